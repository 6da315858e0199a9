// The main of the benchmarks that time the windows: an offscreen platform unless one is asked
// for, settings and an error log of their own (the windows' settings and recent lists never reach
// the user's), then Google Benchmark.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>

#include "support/MError.h"

inline int RunUiBenchmarks(int argc, char** argv) {
    namespace fs = std::filesystem;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const fs::path home = fs::temp_directory_path() / "pictrix-bench-home";
    fs::create_directories(home / "config");
    fs::create_directories(home / "state");
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    setenv("XDG_STATE_HOME", (home / "state").c_str(), 1);
    MError::SetErrorLogPath((fs::temp_directory_path() / "pictrix-bench-errlog.txt").string());
    QApplication app(argc, argv);
    // A benchmark closes the windows it times; the application stays.
    QApplication::setQuitOnLastWindowClosed(false);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
