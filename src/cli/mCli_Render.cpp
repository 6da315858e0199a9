// pictrix-cli render: one image of an icon as a PNG with alpha.

#include <charconv>
#include <cmath>

#include "cli/mCli.h"
#include "containers/mContainers.h"
#include "icon/cFileIcon.h"
#include "icon/mBestImage.h"
#include "platform/cReplaceFile.h"
#include "platform/mFileAt.h"
#include "platform/mDib.h"
#include "platform/mSysText.h"
#include "resources/mIconGroups.h"

namespace mCli {

namespace {

constexpr const char* kRenderUsage =
    "usage: pictrix-cli render FILE [--group N | --frame N] [--image N] [--size PX] -o OUT.png\n"
    "  --group N  the group of a module (1-based: its icon groups in the order the module stores\n"
    "             them, then its cursor groups)\n"
    "  --frame N  the frame of an animated cursor (.ani), 1-based\n"
    "  --image N  the image to write (1-based); without it the best image for the size\n"
    "  --size PX  the size wanted (default 32 when choosing, else the image's own); an image of\n"
    "             another width is scaled smoothly to PX pixels wide\n";

bool ParseNumber(const std::string& s, std::int32_t& out) {
    const char* end = s.data() + s.size();
    auto [p, ec] = std::from_chars(s.data(), end, out);
    return ec == std::errc() && p == end;
}

// Draws image `image` (0: the best for `size`) of `icon` and writes it as a PNG.
int RenderImage(const cFileIcon& icon, const std::string& file, const std::string& output, std::int32_t image,
                std::int32_t size, std::ostream& out, std::ostream& err) {
    if (image == 0) {
        image = mBestImage::BestImageIndex(icon, size == 0 ? 32 : size, true);
        // The list's rule looks no further than 255 pixels from the size asked: past that, the
        // smallest image that reaches it, else the largest, is the nearest there is.
        if (image == 0) image = mBestImage::FitImageIndex(icon, size);
        if (image == 0) {
            err << "pictrix-cli: " << Printable(file) << ": the icon holds no images\n";
            return 1;
        }
    } else if (image > icon.ImageCount()) {
        err << "pictrix-cli: " << Printable(file) << ": there is no image " << image << "; the icon holds "
            << icon.ImageCount() << '\n';
        return 1;
    }

    mDib::cBitmap argb = icon.ImageArgb(image);
    if (argb.Empty()) {
        PrintError(err, file, cError::Runtime(cError::kInvalidPicture));
        return 1;
    }
    if (size != 0 && argb.Width() != size) {
        const auto height =
            static_cast<std::int32_t>(std::lround(static_cast<double>(argb.Height()) * size / argb.Width()));
        argb = mDib::ScaleSmooth(argb, size, std::max(1, height));
    }
    const std::vector<std::uint8_t> png = mDib::EncodePng(argb);
    if (png.empty()) {
        err << "pictrix-cli: " << Printable(output) << ": the image could not be encoded as PNG\n";
        return 1;
    }
    cReplaceFile target;
    const bool opened = target.Open(output);
    // What a render killed before it could finish left beside the output goes with this one.
    if (opened) target.RemoveStale();
    if (!opened || !target.Write(png) || !target.Commit()) {
        err << "pictrix-cli: " << Printable(output)
            << ": cannot write the PNG: " << mSysText::TextLine(target.LastError()) << '\n';
        return 1;
    }
    out << Printable(output) << ": image " << image << ", " << argb.Width() << " x " << argb.Height() << '\n';
    return 0;
}

} // namespace

int Render(const tArgs& args, std::ostream& out, std::ostream& err) {
    std::string file, output;
    std::int32_t group = 1, image = 0, size = 0;
    bool options = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        // After "--" the file's name may begin with "-".
        if (options && a == "--") {
            options = false;
            continue;
        }
        if (!options) {
            if (!file.empty() || a.empty()) return err << kRenderUsage, 2;
            file = a;
            continue;
        }
        auto value = [&](std::int32_t& into) {
            return i + 1 < args.size() && ParseNumber(args[++i], into) && into >= 1;
        };
        if (a == "--group" || a == "--frame") {
            if (!value(group)) return err << kRenderUsage, 2;
        } else if (a == "--image") {
            if (!value(image)) return err << kRenderUsage, 2;
        } else if (a == "--size") {
            if (!value(size) || size > mDib::kMaxDimension) return err << kRenderUsage, 2;
        } else if (a == "-o") {
            if (i + 1 >= args.size()) return err << kRenderUsage, 2;
            output = args[++i];
        } else if (file.empty() && !a.empty() && a[0] != '-') {
            file = a;
        } else if (a.size() > 1 && a[0] == '-') {
            return UnknownOption(err, "render", a, kRenderUsage);
        } else {
            err << kRenderUsage;
            return 2;
        }
    }
    if (file.empty() || output.empty()) {
        err << kRenderUsage;
        return 2;
    }
    // The PNG never takes the place of the file it is drawn from, by its own name, a hard link or
    // a symbolic link: refused before anything is read or opened for writing.
    if (mFileAt::InputAt(output, {file}) >= 0) {
        err << "pictrix-cli: " << Printable(output) << ": the PNG would overwrite " << Printable(file)
            << ", the file it is drawn from; name another output\n";
        return 2;
    }

    // Every group of the file, the way the windows load them: an icon file is one group. A damaged
    // group fails alone: the others render, and keep their places in the numbering.
    mIconGroups::cEveryGroup every;
    // An SVG icon is drawn at the size asked too, rather than scaled to it.
    mContainers::SetSvgSideAsked(size);
    if (!Guard(err, file, [&] { every = mIconGroups::LoadEvery(file); })) return 1;
    const mIconGroups::cFailure* failed = nullptr;
    const cFileIcon* icon = every.At(group, &failed);
    if (failed) {
        PrintError(err, file, failed->error);
        return 1;
    }
    if (!icon) {
        const bool frames = !every.groups.empty() && every.groups.front().Frame() > 0;
        err << "pictrix-cli: " << Printable(file) << ": there is no " << (frames ? "frame " : "icon group ") << group
            << "; the file holds " << every.Count() << '\n';
        return 1;
    }
    int status = 1;
    // Drawing the image can run out of memory too.
    if (!Guard(err, file, [&] { status = RenderImage(*icon, file, output, image, size, out, err); })) return 1;
    return status;
}

} // namespace mCli
