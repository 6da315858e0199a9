#include "common/mTestKit.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <sys/wait.h>

#include "base/mProgram.h"

namespace mTestKit {

cTempDir::cTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pictrix-test-XXXXXX").string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
    path_ = buf.data();
}

cTempDir::~cTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string Fixture(const std::string& relative) { return std::string(PICTRIX_FIXTURE_DIR) + "/" + relative; }

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

int Run(const std::string& command, std::string* output) {
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return -1;
    std::array<char, 4096> buf{};
    std::size_t n = 0;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) {
        if (output) output->append(buf.data(), n);
    }
    int status = ::pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        if (c == '\'') q += "'\\''";
        else q += c;
    }
    return q + "'";
}

std::string SourceOf(const std::string& classWord) { return mProgram::ExeBaseName() + "." + classWord; }

void ExpectError(const std::function<void()>& f, std::int32_t number, const std::string& source,
                 const std::string& description) {
    try {
        f();
    } catch (const cError& e) {
        EXPECT_EQ(e.Number(), number) << e.what();
        EXPECT_EQ(e.Source(), source) << e.what();
        EXPECT_EQ(e.Description(), description) << e.what();
        return;
    }
    ADD_FAILURE() << "no cError raised; expected " << number << " " << description;
}

} // namespace mTestKit
