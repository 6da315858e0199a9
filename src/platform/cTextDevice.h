#pragma once
// cTextDevice: a printer used as a text device, as the list printing sees it. It has a current
// font (the printer's own, or a name, a size in points and bold); each printed line goes below the
// previous one at the left edge of the printable area in the current font, and a line that no
// longer fits on the page goes to the top of a new one. EndDoc ends the document and sends it to
// the printer; KillDoc drops an unfinished document, of which nothing is printed.
//
// Failures (no printer, a printer fault) raise a cError with the printer error number
// (cError::kPrinterError) and a description naming the cause.

#include <string>
#include <string_view>

class cTextDevice {
public:
    virtual ~cTextDevice() = default;

    // The printer's own font.
    virtual void DefaultFont() = 0;
    virtual void FontName(std::string_view name) = 0;
    virtual void FontSize(double points) = 0;
    virtual void FontBold(bool bold) = 0;
    // One line (UTF-8) in the current font; an empty text advances by one line.
    virtual void PrintLine(std::string_view text) = 0;
    virtual void EndDoc() = 0;
    virtual void KillDoc() noexcept = 0;
};
