#pragma once
// cErrorBox: how the windows show a reported error: a message box through cPrompts (error icon,
// OK button) with the report's title and lines, owned by the active window.

#include "support/MError.h"

class cErrorBox final : public MError::cErrorView {
public:
    void ShowError(const std::string& title, const std::string& text) override;

    // Installs one process-wide instance as the error view of ReportError.
    static void Install();
};
