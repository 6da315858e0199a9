#include "app/mThumbnailer.h"

#include <charconv>
#include <cstdint>

#include "base/mPrintable.h"
#include "platform/cInPlaceFile.h"
#include "platform/mFileAt.h"
#include "platform/mSysText.h"
#include "resources/mThumbnail.h"

namespace mThumbnailer {

namespace {

int Usage(const cProgram& program, std::ostream& err) {
    err << program.usage;
    return 2;
}

} // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const cProgram& program) {
    const std::string& kName = program.name;
    std::int32_t size = kDefaultSize;
    std::vector<std::string> files;
    bool options = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        // "--" ends the options: the names after it may begin with "-".
        if (!options || a == "--") {
            if (!options) files.push_back(a);
            options = false;
            continue;
        }
        if (a == "-h" || a == "--help") {
            out << program.usage;
            return 0;
        }
        if (a == "--version") {
            out << kName << ' ' << PICTRIX_VERSION << '\n';
            return 0;
        }
        if (a == "-s" || a == "--size") {
            if (i + 1 >= args.size()) return Usage(program, err);
            const std::string& v = args[++i];
            const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), size);
            if (ec != std::errc() || end != v.data() + v.size() || size < 1 || size > mThumbnail::kMaxSize)
                return Usage(program, err);
        } else if (a.size() > 1 && a[0] == '-') {
            return Usage(program, err);
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2 || files[0].empty() || files[1].empty()) return Usage(program, err);
    const std::string& input = files[0];
    const std::string& output = files[1];
    // The picture never takes the place of the file it shows (by its name, a hard link or a
    // symbolic link): refused before anything is read or opened for writing.
    if (mFileAt::InputAt(output, {input}) >= 0) {
        err << kName << ": " << mPrintable::Of(output) << ": the thumbnail would overwrite " << mPrintable::Of(input)
            << ", the file it is made from; name another output\n";
        return 2;
    }

    // File managers keep thumbnails in their cache and read them back: written for speed over
    // size, a PNG image at its own size as it is stored.
    if (program.sizeChosen) program.sizeChosen(size);
    const mThumbnail::cThumbnailPng thumbnail = mThumbnail::MakePng(input, size);
    if (thumbnail.png.empty()) {
        err << kName << ": " << mPrintable::Of(input) << ": " << mPrintable::Of(thumbnail.failure) << '\n';
        return 1;
    }
    // Clients such as tumbler create OUTPUT themselves and read the result through the handle
    // they keep: a file held open so is written in place, through its one inode; any other is
    // replaced whole. A link there is never written through, nor a file with a second name.
    cInPlaceFile target;
    if (!target.Open(output) || !target.Write(thumbnail.png) || !target.Commit()) {
        const std::string why = target.LastError() == mFileAt::kLinkAtName
                                    ? std::string("it is a symbolic link, which is never written through")
                                    : mSysText::TextLine(target.LastError(), output);
        err << kName << ": " << mPrintable::Of(output) << ": cannot write the thumbnail: " << mPrintable::Of(why)
            << '\n';
        return 1;
    }
    return 0;
}

} // namespace mThumbnailer
