#include "themes/cCursorTheme.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "icon/cAnimatedCursor.h"
#include "icon/cFileIcon.h"
#include "icon/mFileKind.h"
#include "platform/cReadFile.h"
#include "platform/mDib.h"
#include "platform/mSysText.h"
#include "themes/mCursorInf.h"

namespace fs = std::filesystem;

namespace {

// What one role's images may hold together: an animation of many steps at many sizes is bounded
// by this many pixels (256 MiB), far beyond any real cursor.
constexpr std::uint64_t kMaxRolePixels = std::uint64_t{64} << 20;

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool HasExtension(const std::string& name, std::string_view ext) {
    const std::string lower = Lower(name);
    return lower.size() > ext.size() && lower.ends_with(ext);
}

// The regular files of a folder (links followed), sorted by name.
std::vector<std::string> FilesOf(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code kind;
        if (it->is_regular_file(kind)) names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadText(const std::string& path, std::size_t limit) {
    cReadFile file;
    if (!file.Open(path)) return {};
    const auto size = static_cast<std::size_t>(std::min<std::uint64_t>(file.Size(), limit));
    std::string text(size, '\0');
    text.resize(file.ReadAt(0, text.data(), size));
    return text;
}

// Straight ARGB to Xcursor's premultiplied ARGB.
std::vector<std::uint32_t> Premultiplied(const mDib::cBitmap& argb) {
    std::vector<std::uint32_t> out(argb.Pixels().size());
    std::transform(argb.Pixels().begin(), argb.Pixels().end(), out.begin(), [](std::uint32_t p) {
        const std::uint32_t a = p >> 24;
        // Most pixels of a cursor are opaque or clear: nothing to multiply.
        if (a == 0xFF) return p;
        if (a == 0) return std::uint32_t{0};
        auto mul = [a](std::uint32_t c) { return (c * a + 127) / 255; };
        return a << 24 | mul((p >> 16) & 0xFF) << 16 | mul((p >> 8) & 0xFF) << 8 | mul(p & 0xFF);
    });
    return out;
}

// One decoded image of a frame at one size.
struct cDecoded {
    mDib::cBitmap argb;
    cFileIcon::cHotspot hotspot;
    std::int32_t depth = 0;
};

// The images of one frame by size (the larger side); of two of one size the deepest. Raises a
// reason when an image cannot be decoded.
std::map<std::int32_t, cDecoded> Decode(const cFileIcon& icon, std::vector<std::string>& notes,
                                        const std::string& what) {
    std::map<std::int32_t, cDecoded> bySize;
    for (std::int32_t i = 1; i <= icon.ImageCount(); ++i) {
        mDib::cBitmap argb = icon.ImageArgb(i);
        if (argb.Empty()) throw std::runtime_error(what + "image " + std::to_string(i) + " cannot be decoded");
        const std::int32_t size = std::max(argb.Width(), argb.Height());
        const std::int32_t depth = icon.ImageBitDepth(i);
        cFileIcon::cHotspot hot = icon.Hotspot(i);
        if (hot.x < 0 || hot.y < 0 || hot.x >= argb.Width() || hot.y >= argb.Height()) {
            const cFileIcon::cHotspot inside{std::clamp(hot.x, 0, argb.Width() - 1),
                                             std::clamp(hot.y, 0, argb.Height() - 1)};
            notes.push_back(what + "image " + std::to_string(i) + ": hotspot " + std::to_string(hot.x) + "," +
                            std::to_string(hot.y) + " lies outside the image, moved to " + std::to_string(inside.x) +
                            "," + std::to_string(inside.y));
            hot = inside;
        }
        auto it = bySize.find(size);
        if (it != bySize.end()) {
            if (it->second.depth >= depth) {
                notes.push_back(what + "image " + std::to_string(i) + " left out: another image of " +
                                std::to_string(size) + " pixels is as deep or deeper");
                continue;
            }
            notes.push_back(what + "an image of " + std::to_string(size) + " pixels left out for image " +
                            std::to_string(i) + ", which is deeper");
        }
        bySize[size] = cDecoded{std::move(argb), hot, depth};
    }
    if (bySize.empty()) throw std::runtime_error(what + "no images");
    return bySize;
}

std::uint32_t DelayOf(std::uint32_t jiffies) {
    const std::uint64_t ms = (std::uint64_t{jiffies} * 1000 + 30) / 60;
    return static_cast<std::uint32_t>(std::clamp<std::uint64_t>(ms, 1, UINT32_MAX));
}

} // namespace

void cCursorTheme::Fail(std::int32_t number, const std::string& description) {
    throw cError(number, cError::SourceOf("cCursorTheme"), description);
}

void cCursorTheme::Find(const std::string& pack) {
    *this = cCursorTheme();
    std::error_code ec;
    const fs::file_status st = fs::status(pack, ec);
    std::vector<std::string> infs;
    if (fs::is_directory(st)) {
        folder_ = pack;
    } else if (fs::is_regular_file(st)) {
        folder_ = fs::path(pack).parent_path().string();
        if (folder_.empty()) folder_ = ".";
        infs.push_back(fs::path(pack).filename().string());
    } else {
        Fail(kErrNoCursors, pack + ": no such folder or file");
    }
    const std::vector<std::string> files = FilesOf(folder_);
    if (infs.empty()) {
        for (const std::string& f : files)
            if (Lower(f) == "install.inf") infs.push_back(f);
        for (const std::string& f : files)
            if (HasExtension(f, ".inf") && Lower(f) != "install.inf") infs.push_back(f);
    }
    auto inFolder = [&](const std::string& name) { return (fs::path(folder_) / name).string(); };
    // A file of the pack by name, without regard to case (the exact spelling first).
    auto match = [&](const std::string& name) -> std::string {
        if (std::find(files.begin(), files.end(), name) != files.end()) return name;
        const std::string lower = Lower(name);
        for (const std::string& f : files)
            if (Lower(f) == lower) return f;
        return {};
    };

    std::vector<bool> used(files.size(), false);
    auto markUsed = [&](const std::string& f) {
        const auto it = std::find(files.begin(), files.end(), f);
        if (it != files.end()) used[static_cast<std::size_t>(it - files.begin())] = true;
    };
    for (const std::string& infName : infs) {
        const mCursorInf::cScheme scheme = mCursorInf::Parse(ReadText(inFolder(infName), mCursorInf::kMaxBytes));
        if (!scheme.AnyFile()) continue;
        inf_ = inFolder(infName);
        markUsed(infName);
        schemeName_ = scheme.name;
        for (std::size_t r = 0; r < roles_.size(); ++r) {
            if (scheme.files[r].empty()) continue;
            cRole& role = roles_[r];
            role.file = scheme.files[r];
            const std::string found = match(scheme.files[r]);
            if (found.empty()) {
                role.status = eStatus::kMissing;
                role.error = "the INF names " + scheme.files[r] + ", which the pack lacks";
                continue;
            }
            role.path = inFolder(found);
            role.status = eStatus::kDamaged; // until converted
            markUsed(found);
        }
        break;
    }
    if (inf_.empty()) {
        for (std::size_t i = 0; i < files.size(); ++i) {
            if (!HasExtension(files[i], ".cur") && !HasExtension(files[i], ".ani")) continue;
            const auto r = mCursorRoles::RoleOfFileName(files[i]);
            if (!r || !roles_[*r].path.empty()) continue;
            roles_[*r].file = files[i];
            roles_[*r].path = inFolder(files[i]);
            roles_[*r].status = eStatus::kDamaged;
            used[i] = true;
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!used[i] &&
            (HasExtension(files[i], ".cur") || HasExtension(files[i], ".ani") || HasExtension(files[i], ".inf")))
            unused_.push_back(files[i]);
    }
    if (std::none_of(roles_.begin(), roles_.end(), [](const cRole& r) { return r.status != eStatus::kNotNamed; }))
        Fail(kErrNoCursors, pack + ": no cursor of the pack could be told");
}

void cCursorTheme::Convert(const std::vector<std::int32_t>& sizes, bool scaleUp) {
    for (cRole& role : roles_) {
        if (role.path.empty()) continue;
        role.images.clear();
        try {
            cError::Guarded([&] {
                ConvertRole(role, sizes, scaleUp);
                return true;
            });
            role.status = eStatus::kConverted;
        } catch (const cError& e) {
            role.status = eStatus::kDamaged;
            role.error = e.Description();
            while (!role.error.empty() && (role.error.back() == '\n' || role.error.back() == '\r'))
                role.error.pop_back();
        } catch (const std::exception& e) {
            role.status = eStatus::kDamaged;
            role.error = e.what();
        }
        if (role.status != eStatus::kConverted) {
            role.images.clear();
            role.sizes.clear();
            role.delays.clear();
            role.scaled.clear();
            role.frames = 0;
        }
    }
}

void cCursorTheme::ConvertRole(cRole& role, const std::vector<std::int32_t>& wanted, bool scaleUp) {
    // The frames in the order they are shown, with each step's delay.
    std::vector<cFileIcon> frames;
    std::vector<std::uint32_t> steps, delays;
    const mFileKind::eKind kind = mFileKind::KindOf(role.path);
    if (kind == mFileKind::eKind::kAnimatedCursor) {
        cAnimatedCursor animation;
        animation.Load(role.path);
        // Sizes the reader repaired (a RIFF counting more than the file holds, say).
        role.notes.insert(role.notes.end(), animation.Notes().begin(), animation.Notes().end());
        steps = animation.Steps();
        for (const std::uint32_t rate : animation.Rates()) delays.push_back(DelayOf(rate));
        frames = animation.TakeFrames();
    } else {
        cFileIcon icon;
        if (kind == mFileKind::eKind::kCursorFile)
            icon.LoadCursor(role.path);
        else
            icon.LoadIcon(role.path);
        frames.push_back(std::move(icon));
        steps = {0};
        delays = {0};
    }

    std::vector<std::map<std::int32_t, cDecoded>> decoded;
    for (std::size_t f = 0; f < frames.size(); ++f) {
        const std::string what = frames.size() > 1 ? "frame " + std::to_string(f + 1) + ": " : std::string();
        decoded.push_back(Decode(frames[f], role.notes, what));
    }
    // The sizes every frame holds.
    std::vector<std::int32_t> own;
    for (const auto& [size, image] : decoded.front()) {
        if (std::all_of(decoded.begin(), decoded.end(), [s = size](const auto& d) { return d.contains(s); }))
            own.push_back(size);
        else
            role.notes.push_back("size " + std::to_string(size) + " left out: not every frame has it");
    }
    if (own.empty()) throw std::runtime_error("the frames have no size in common");

    // Sizes asked for that the cursor lacks: from the nearest larger size, or smaller if allowed.
    std::vector<std::pair<std::int32_t, std::int32_t>> made; // size, from
    for (const std::int32_t size : wanted) {
        if (std::find(own.begin(), own.end(), size) != own.end()) continue;
        const auto larger = std::lower_bound(own.begin(), own.end(), size);
        if (larger != own.end()) {
            made.emplace_back(size, *larger);
        } else if (scaleUp) {
            made.emplace_back(size, own.back());
        } else {
            role.notes.push_back("size " + std::to_string(size) + " not made: the largest image is " +
                                 std::to_string(own.back()) + " pixels, and scaling up was not asked for");
        }
    }

    std::vector<std::int32_t> sizes = own;
    for (const auto& m : made) sizes.push_back(m.first);
    std::sort(sizes.begin(), sizes.end());
    std::uint64_t pixels = 0;
    for (const std::int32_t size : sizes) {
        const auto scaledFrom =
            std::find_if(made.begin(), made.end(), [size](const auto& m) { return m.first == size; });
        const std::int32_t from = scaledFrom == made.end() ? size : scaledFrom->second;
        // Each frame's image at this size, made once, whatever the steps that show it.
        std::vector<cImage> frameImages;
        for (std::size_t f = 0; f < decoded.size(); ++f) {
            const cDecoded& d = decoded[f].at(from);
            // The decoded image itself where the size is its own; a scaled copy where it is made.
            mDib::cBitmap scaled;
            const mDib::cBitmap* source = &d.argb;
            cFileIcon::cHotspot hot = d.hotspot;
            if (from != size) {
                const auto [w, h] = mDib::FittedSize(d.argb.Width(), d.argb.Height(), size);
                const std::int32_t ow = d.argb.Width(), oh = d.argb.Height();
                scaled = mDib::ScaleSmooth(d.argb, w, h);
                if (scaled.Empty()) throw std::runtime_error("size " + std::to_string(size) + " could not be made");
                source = &scaled;
                hot.x = std::clamp(static_cast<std::int32_t>((std::int64_t{hot.x} * w * 2 + ow) / (2 * ow)), 0, w - 1);
                hot.y = std::clamp(static_cast<std::int32_t>((std::int64_t{hot.y} * h * 2 + oh) / (2 * oh)), 0, h - 1);
                if (f == 0) role.scaled.push_back({size, from, hot.x, hot.y});
            }
            cImage image;
            image.size = static_cast<std::uint32_t>(size);
            image.width = static_cast<std::uint32_t>(source->Width());
            image.height = static_cast<std::uint32_t>(source->Height());
            image.xhot = static_cast<std::uint32_t>(hot.x);
            image.yhot = static_cast<std::uint32_t>(hot.y);
            image.pixels = Premultiplied(*source);
            frameImages.push_back(std::move(image));
        }
        // A frame shown by several steps is copied for all but its last, which takes it.
        std::vector<std::size_t> showings(frameImages.size());
        for (const std::uint32_t step : steps) ++showings.at(step);
        for (std::size_t s = 0; s < steps.size(); ++s) {
            cImage& frame = frameImages.at(steps[s]);
            pixels += frame.pixels.size();
            if (pixels > kMaxRolePixels)
                throw std::runtime_error("the animation holds more images than a cursor theme can take");
            if (--showings[steps[s]] == 0)
                role.images.push_back(std::move(frame));
            else
                role.images.push_back(frame);
            role.images.back().delay = delays[s];
        }
    }
    role.sizes = sizes;
    role.frames = static_cast<std::int32_t>(steps.size());
    if (frames.size() > 1 || steps.size() > 1 || delays.front() != 0) role.delays = delays;
}

bool cCursorTheme::Complete() const {
    return std::all_of(roles_.begin(), roles_.end(), [](const cRole& r) {
        return r.status == eStatus::kNotNamed || r.status == eStatus::kConverted;
    });
}

std::string cCursorTheme::FolderName(const std::string& name) {
    std::string out;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        out.push_back(c == '/' || c == '\\' || u < 0x20 || u == 0x7F ? '_' : c);
    }
    const auto first = out.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    out = out.substr(first, out.find_last_not_of(' ') - first + 1);
    if (out == "." || out == ".." || out.size() > 200) return {};
    return out;
}

std::string cCursorTheme::DefaultName() const {
    std::string name = FolderName(schemeName_);
    if (name.empty()) {
        fs::path folder = fs::path(folder_).lexically_normal();
        if (folder.filename().empty()) folder = folder.parent_path();
        std::error_code ec;
        const fs::path absolute = fs::absolute(folder, ec);
        name = FolderName((ec ? folder : absolute.lexically_normal()).filename().string());
    }
    return name.empty() ? "cursors" : name;
}

std::string cCursorTheme::DefaultDir() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data == '/') return std::string(data) + "/icons";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.local/share/icons";
}
