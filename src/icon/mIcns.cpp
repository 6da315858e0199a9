#include "icon/mIcns.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <optional>

#include <openjpeg.h>

#include "base/cError.h"
#include "base/mChecked.h"
#include "icon/cFileIcon.h"
#include "icon/mFileKind.h"
#include "platform/cByteView.h"

namespace mIcns {

namespace {

enum class eForm {
    kModern, // PNG, JPEG 2000 or ARGB; 24-bit packed for the icp ones
    kPacked24, // is32 and its kind: three packed planes, an 8-bit mask element beside it
    kMask8, // the 8-bit masks: no image of their own
    kMono, // 1 bit, with its 1-bit mask after it (ICON has none)
    kIndexed4,
    kIndexed8,
};

struct cType {
    char tag[5];
    eForm form;
    std::int32_t side; // width in pixels (height too, except for icm)
    std::int32_t height;
    std::int32_t scale;
    char mask[5]; // the element whose mask applies ("" for none)
};

// Every image type the reader knows, with its size in pixels.
constexpr std::array<cType, 38> kTypes{{
    {"ICON", eForm::kMono, 32, 32, 1, ""},           {"ICN#", eForm::kMono, 32, 32, 1, "ICN#"},
    {"icm#", eForm::kMono, 16, 12, 1, "icm#"},       {"ics#", eForm::kMono, 16, 16, 1, "ics#"},
    {"ich#", eForm::kMono, 48, 48, 1, "ich#"},       {"icl4", eForm::kIndexed4, 32, 32, 1, "ICN#"},
    {"icl8", eForm::kIndexed8, 32, 32, 1, "ICN#"},   {"icm4", eForm::kIndexed4, 16, 12, 1, "icm#"},
    {"icm8", eForm::kIndexed8, 16, 12, 1, "icm#"},   {"ics4", eForm::kIndexed4, 16, 16, 1, "ics#"},
    {"ics8", eForm::kIndexed8, 16, 16, 1, "ics#"},   {"ich4", eForm::kIndexed4, 48, 48, 1, "ich#"},
    {"ich8", eForm::kIndexed8, 48, 48, 1, "ich#"},   {"is32", eForm::kPacked24, 16, 16, 1, "s8mk"},
    {"il32", eForm::kPacked24, 32, 32, 1, "l8mk"},   {"ih32", eForm::kPacked24, 48, 48, 1, "h8mk"},
    {"it32", eForm::kPacked24, 128, 128, 1, "t8mk"}, {"s8mk", eForm::kMask8, 16, 16, 1, ""},
    {"l8mk", eForm::kMask8, 32, 32, 1, ""},          {"h8mk", eForm::kMask8, 48, 48, 1, ""},
    {"t8mk", eForm::kMask8, 128, 128, 1, ""},        {"icp4", eForm::kModern, 16, 16, 1, ""},
    {"icp5", eForm::kModern, 32, 32, 1, ""},         {"icp6", eForm::kModern, 64, 64, 1, ""},
    {"ic07", eForm::kModern, 128, 128, 1, ""},       {"ic08", eForm::kModern, 256, 256, 1, ""},
    {"ic09", eForm::kModern, 512, 512, 1, ""},       {"ic10", eForm::kModern, 1024, 1024, 2, ""},
    {"ic11", eForm::kModern, 32, 32, 2, ""},         {"ic12", eForm::kModern, 64, 64, 2, ""},
    {"ic13", eForm::kModern, 256, 256, 2, ""},       {"ic14", eForm::kModern, 512, 512, 2, ""},
    {"ic04", eForm::kModern, 16, 16, 1, ""},         {"ic05", eForm::kModern, 32, 32, 1, ""},
    {"icsb", eForm::kModern, 18, 18, 1, ""},         {"icsB", eForm::kModern, 36, 36, 2, ""},
    {"sb24", eForm::kModern, 24, 24, 1, ""},         {"SB24", eForm::kModern, 48, 48, 2, ""},
}};

const cType* TypeOf(const std::uint8_t* tag) {
    for (const cType& t : kTypes) {
        if (std::memcmp(t.tag, tag, 4) == 0) return &t;
    }
    return nullptr;
}

// The classic 16-colour palette, as 0xRRGGBB.
constexpr std::array<std::uint32_t, 16> kPalette4{0xFFFFFF, 0xFCF305, 0xFF6402, 0xDD0806, 0xF20884, 0x4600A5,
                                                  0x0000D4, 0x02ABEA, 0x1FB714, 0x006411, 0x562C05, 0x90713A,
                                                  0xC0C0C0, 0x808080, 0x404040, 0x000000};

// The classic 256-colour palette: a 6 x 6 x 6 cube (red slowest, each from FF down to 00 in steps
// of 33) without its black, ten-step ramps of red, green, blue and grey without the cube's values,
// and black last.
std::array<std::uint32_t, 256> Palette8() {
    std::array<std::uint32_t, 256> p{};
    std::size_t i = 0;
    for (std::uint32_t r = 0; r < 6; ++r)
        for (std::uint32_t g = 0; g < 6; ++g)
            for (std::uint32_t b = 0; b < 6; ++b)
                if (i < 215) p[i++] = ((0xFF - 0x33 * r) << 16) | ((0xFF - 0x33 * g) << 8) | (0xFF - 0x33 * b);
    constexpr std::array<std::uint32_t, 10> ramp{0xEE, 0xDD, 0xBB, 0xAA, 0x88, 0x77, 0x55, 0x44, 0x22, 0x11};
    for (const std::uint32_t shift : {16u, 8u, 0u})
        for (const std::uint32_t v : ramp) p[i++] = v << shift;
    for (const std::uint32_t v : ramp) p[i++] = (v << 16) | (v << 8) | v;
    p[255] = 0x000000;
    return p;
}

std::uint32_t BigU32(const cByteView& v, std::size_t at) {
    return (std::uint32_t{v.U8(at)} << 24) | (std::uint32_t{v.U8(at + 1)} << 16) | (std::uint32_t{v.U8(at + 2)} << 8) |
           v.U8(at + 3);
}

std::string Tag(const std::uint8_t* tag) {
    std::string s;
    for (int i = 0; i < 4; ++i) {
        const std::uint8_t c = tag[i];
        if (c >= 0x20 && c < 0x7F && c != '\'' && c != '\\') {
            s += static_cast<char>(c);
        } else {
            constexpr char kHex[] = "0123456789ABCDEF";
            s += "\\x";
            s += kHex[c >> 4];
            s += kHex[c & 15];
        }
    }
    return s;
}

// A fault of one element, raised with the element's name and place by the caller.
struct cBad {
    std::string what;
};

// One packed plane of `plane.size()` bytes from `data` at `at`, which moves past it.
void Unpack(const cByteView& data, std::size_t& at, std::span<std::uint8_t> plane, const char* name) {
    std::size_t filled = 0;
    while (filled < plane.size()) {
        if (at >= data.Size())
            throw cBad{std::string("the ") + name + " plane ends after " + std::to_string(filled) + " of " +
                       std::to_string(plane.size()) + " pixels"};
        const std::uint8_t n = data.U8(at++);
        const std::size_t run = n < 0x80 ? std::size_t{n} + 1 : std::size_t{n} - 125;
        if (run > plane.size() - filled)
            throw cBad{std::string("a run of the ") + name + " plane passes its " + std::to_string(plane.size()) +
                       " pixels"};
        if (n < 0x80) {
            if (!data.Has(at, run))
                throw cBad{std::string("the ") + name + " plane ends inside a run of " + std::to_string(run) +
                           " bytes"};
            std::memcpy(plane.data() + filled, data.Data() + at, run);
            at += run;
        } else {
            if (at >= data.Size()) throw cBad{std::string("the ") + name + " plane ends inside a run"};
            std::memset(plane.data() + filled, data.U8(at++), run);
        }
        filled += run;
    }
}

// A DIB block: BITMAPINFOHEADER, palette, colour rows and AND mask rows, both bottom-up.
// `index(x, y)` gives a palette index (bits <= 8) or the ARGB value (bits 32); `clear(x, y)` true
// where the pixel is transparent.
template <typename tIndex, typename tClear>
std::vector<std::uint8_t> Dib(std::int32_t width, std::int32_t height, std::int32_t bits,
                              std::span<const std::uint32_t> palette, tIndex index, tClear clear) {
    const auto colourRow = static_cast<std::size_t>(mChecked::RowLength(std::int64_t{width} * bits));
    const auto maskRow = static_cast<std::size_t>(mChecked::RowLength(width));
    const auto h = static_cast<std::size_t>(height);
    const std::size_t colourAt = 40 + 4 * palette.size();
    const std::size_t maskAt = colourAt + colourRow * h;
    std::vector<std::uint8_t> out(maskAt + maskRow * h, 0);
    PutU32(out, 0, 40);
    PutU32(out, 4, static_cast<std::uint32_t>(width));
    PutU32(out, 8, static_cast<std::uint32_t>(2 * height));
    PutU16(out, 12, 1);
    PutU16(out, 14, static_cast<std::uint16_t>(bits));
    PutU32(out, 20, static_cast<std::uint32_t>(maskAt - colourAt + maskRow * h));
    for (std::size_t i = 0; i < palette.size(); ++i) {
        out[40 + 4 * i] = static_cast<std::uint8_t>(palette[i]);
        out[40 + 4 * i + 1] = static_cast<std::uint8_t>(palette[i] >> 8);
        out[40 + 4 * i + 2] = static_cast<std::uint8_t>(palette[i] >> 16);
    }
    for (std::int32_t y = 0; y < height; ++y) {
        const std::size_t row = h - 1 - static_cast<std::size_t>(y);
        std::uint8_t* colour = out.data() + colourAt + row * colourRow;
        std::uint8_t* mask = out.data() + maskAt + row * maskRow;
        for (std::int32_t x = 0; x < width; ++x) {
            const std::uint32_t v = index(x, y);
            const auto ux = static_cast<std::size_t>(x);
            switch (bits) {
            case 1: colour[ux / 8] |= static_cast<std::uint8_t>((v & 1) << (7 - ux % 8)); break;
            case 4: colour[ux / 2] |= static_cast<std::uint8_t>((v & 15) << (ux % 2 == 0 ? 4 : 0)); break;
            case 8: colour[ux] = static_cast<std::uint8_t>(v); break;
            default:
                for (std::size_t c = 0; c < 4; ++c) colour[4 * ux + c] = static_cast<std::uint8_t>(v >> (8 * c));
                break;
            }
            if (clear(x, y)) mask[ux / 8] |= static_cast<std::uint8_t>(0x80 >> (ux % 8));
        }
    }
    return out;
}

// ---- JPEG 2000 ----

struct cMemory {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t at = 0;
};

OPJ_SIZE_T MemRead(void* buffer, OPJ_SIZE_T n, void* user) {
    auto* m = static_cast<cMemory*>(user);
    if (m->at >= m->size) return static_cast<OPJ_SIZE_T>(-1);
    n = std::min<OPJ_SIZE_T>(n, m->size - m->at);
    std::memcpy(buffer, m->data + m->at, n);
    m->at += n;
    return n;
}

OPJ_OFF_T MemSkip(OPJ_OFF_T n, void* user) {
    auto* m = static_cast<cMemory*>(user);
    if (n < 0) {
        const auto back = std::min<std::size_t>(m->at, static_cast<std::size_t>(-n));
        m->at -= back;
        return -static_cast<OPJ_OFF_T>(back);
    }
    const auto ahead = std::min<std::size_t>(m->size - m->at, static_cast<std::size_t>(n));
    m->at += ahead;
    return static_cast<OPJ_OFF_T>(ahead);
}

OPJ_BOOL MemSeek(OPJ_OFF_T n, void* user) {
    auto* m = static_cast<cMemory*>(user);
    if (n < 0 || static_cast<std::uint64_t>(n) > m->size) return OPJ_FALSE;
    m->at = static_cast<std::size_t>(n);
    return OPJ_TRUE;
}

void Quiet(const char*, void*) {}

struct cCodecFree {
    void operator()(opj_codec_t* c) const noexcept { opj_destroy_codec(c); }
};
struct cStreamFree {
    void operator()(opj_stream_t* s) const noexcept { opj_stream_destroy(s); }
};
struct cImageFree {
    void operator()(opj_image_t* i) const noexcept { opj_image_destroy(i); }
};

} // namespace

bool IsJpeg2000(std::span<const std::uint8_t> b) noexcept {
    static constexpr std::uint8_t kBox[12] = {0, 0, 0, 12, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A};
    static constexpr std::uint8_t kCodestream[4] = {0xFF, 0x4F, 0xFF, 0x51};
    return (b.size() >= 12 && std::memcmp(b.data(), kBox, 12) == 0) ||
           (b.size() >= 4 && std::memcmp(b.data(), kCodestream, 4) == 0);
}

namespace {

mDib::cBitmap Jpeg2000(std::span<const std::uint8_t> bytes, cLoadBudget& budget) {
    const bool codestream = bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0x4F;
    cMemory memory{bytes.data(), bytes.size(), 0};
    std::unique_ptr<opj_stream_t, cStreamFree> stream(opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE));
    std::unique_ptr<opj_codec_t, cCodecFree> codec(opj_create_decompress(codestream ? OPJ_CODEC_J2K : OPJ_CODEC_JP2));
    if (!stream || !codec) cError::RaiseRuntime(cError::kOutOfMemory);
    opj_stream_set_user_data(stream.get(), &memory, nullptr);
    opj_stream_set_user_data_length(stream.get(), bytes.size());
    opj_stream_set_read_function(stream.get(), MemRead);
    opj_stream_set_skip_function(stream.get(), MemSkip);
    opj_stream_set_seek_function(stream.get(), MemSeek);
    opj_set_info_handler(codec.get(), Quiet, nullptr);
    opj_set_warning_handler(codec.get(), Quiet, nullptr);
    opj_set_error_handler(codec.get(), Quiet, nullptr);
    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    if (!opj_setup_decoder(codec.get(), &parameters)) throw cBad{"the JPEG 2000 decoder cannot be set up"};

    opj_image_t* raw = nullptr;
    const OPJ_BOOL headerRead = opj_read_header(stream.get(), codec.get(), &raw);
    std::unique_ptr<opj_image_t, cImageFree> image(raw);
    if (!headerRead || !image) throw cBad{"its JPEG 2000 header cannot be read"};
    // The size the stream claims, checked before a pixel is decoded.
    const std::int64_t width = std::int64_t{image->x1} - image->x0;
    const std::int64_t height = std::int64_t{image->y1} - image->y0;
    if (width < 1 || height < 1 || width > mDib::kMaxDimension || height > mDib::kMaxDimension)
        throw cBad{"its JPEG 2000 stream claims " + std::to_string(width) + " x " + std::to_string(height) +
                   " pixels, more than " + std::to_string(mDib::kMaxDimension) + " on a side"};
    if (image->numcomps < 1 || image->numcomps > 4)
        throw cBad{"its JPEG 2000 stream has " + std::to_string(image->numcomps) + " components"};
    for (OPJ_UINT32 c = 0; c < image->numcomps; ++c) {
        const opj_image_comp_t& comp = image->comps[c];
        if (comp.dx != 1 || comp.dy != 1 || comp.prec < 1 || comp.prec > 16)
            throw cBad{"its JPEG 2000 stream has a subsampled or unusual component"};
    }
    // Each component is held as 32-bit numbers while it is decoded, and the result as ARGB.
    const auto pixels = static_cast<std::uint64_t>(width * height);
    if (!budget.Take(pixels * 4 * (image->numcomps + 1)))
        throw cBad{"its JPEG 2000 image of " + std::to_string(width) + " x " + std::to_string(height) +
                   " pixels needs more memory than the file allows"};
    if (!opj_decode(codec.get(), stream.get(), image.get()) || !opj_end_decompress(codec.get(), stream.get()))
        throw cBad{"its JPEG 2000 stream cannot be decoded"};

    const auto w = static_cast<std::int32_t>(width);
    const auto h = static_cast<std::int32_t>(height);
    for (OPJ_UINT32 c = 0; c < image->numcomps; ++c) {
        const opj_image_comp_t& comp = image->comps[c];
        if (!comp.data || comp.w != static_cast<OPJ_UINT32>(w) || comp.h != static_cast<OPJ_UINT32>(h))
            throw cBad{"its JPEG 2000 stream decodes to components of another size"};
    }
    // Components to 8 bits: signed ones shifted to unsigned, wider ones scaled down.
    const auto sample = [&](OPJ_UINT32 c, std::size_t i) -> std::uint32_t {
        const opj_image_comp_t& comp = image->comps[c];
        std::int64_t v = comp.data[i];
        if (comp.sgnd) v += std::int64_t{1} << (comp.prec - 1);
        const std::int64_t most = (std::int64_t{1} << comp.prec) - 1;
        v = std::clamp<std::int64_t>(v, 0, most);
        return static_cast<std::uint32_t>((v * 255 + most / 2) / most);
    };
    mDib::cBitmap out(mDib::eFormat::Argb32, w, h);
    const OPJ_UINT32 n = image->numcomps;
    for (std::int32_t y = 0; y < h; ++y) {
        for (std::int32_t x = 0; x < w; ++x) {
            const std::size_t i =
                static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x);
            std::uint32_t r = 0, g = 0, b = 0, a = 255;
            if (n < 3) {
                r = g = b = sample(0, i);
                if (n == 2) a = sample(1, i);
            } else {
                r = sample(0, i);
                g = sample(1, i);
                b = sample(2, i);
                if (n == 4) a = sample(3, i);
            }
            out.SetPixel(x, y, (a << 24) | (r << 16) | (g << 8) | b);
        }
    }
    return out;
}

} // namespace

mDib::cBitmap DecodeJpeg2000(std::span<const std::uint8_t> stream, cLoadBudget& budget) {
    try {
        return Jpeg2000(stream, budget);
    } catch (const cBad& bad) {
        throw cError(cError::kInvalidPicture, cError::SourceOf("mIcns"), bad.what);
    }
}

std::vector<std::uint8_t> Dib32(const mDib::cBitmap& argb) {
    return Dib(
        argb.Width(), argb.Height(), 32, {}, [&](std::int32_t x, std::int32_t y) { return argb.Pixel(x, y); },
        [&](std::int32_t x, std::int32_t y) { return (argb.Pixel(x, y) >> 24) == 0; });
}

std::vector<cImage> Read(std::span<const std::uint8_t> bytes, const std::string& fileName, cLoadBudget& budget) {
    const cByteView file(bytes);
    const auto fail = [&fileName](const std::string& what) -> cError {
        return cError(cError::kInvalidPicture, cError::SourceOf("mIcns"), fileName + ": " + what);
    };
    if (!file.Has(0, 8) || !mFileKind::IsIcnsFileHeader(bytes))
        throw fail("not an icon file of the icns format (it does not start with 'icns' and its length)");
    const std::uint32_t declared = BigU32(file, 4);
    if (declared < 8 || declared > file.Size())
        throw fail("its header gives a length of " + std::to_string(declared) + " bytes, the file holds " +
                   std::to_string(file.Size()));

    struct cElement {
        const cType* type = nullptr;
        std::size_t at = 0;
        cByteView data;
    };
    // The elements in order: each must lie inside the length the header gives and be at least
    // its own eight bytes long, so the walk always moves on and ends.
    std::vector<cElement> elements;
    for (std::size_t at = 8; at < declared;) {
        if (declared - at < 8)
            throw fail("element header at offset " + std::to_string(at) + " is cut short by the end of the file");
        const std::uint32_t length = BigU32(file, at + 4);
        const std::string name = Tag(file.Data() + at);
        if (length < 8)
            throw fail("element '" + name + "' at offset " + std::to_string(at) + ": its length " +
                       std::to_string(length) + " is shorter than its own header");
        if (length > declared - at)
            throw fail("element '" + name + "' at offset " + std::to_string(at) + ": its length " +
                       std::to_string(length) + " runs past the end of the file (" + std::to_string(declared) +
                       " bytes)");
        if (const cType* type = TypeOf(file.Data() + at)) elements.push_back({type, at, file.Sub(at + 8, length - 8)});
        at += length;
    }
    // An icon holds at most 32767 images: more are refused before any is decoded.
    const auto imageElements = static_cast<std::size_t>(std::count_if(
        elements.begin(), elements.end(), [](const cElement& e) { return e.type->form != eForm::kMask8; }));
    if (imageElements > 0x7FFF)
        throw fail("the file holds " + std::to_string(imageElements) +
                   " image elements, more than one icon can hold (32767)");
    // The first element of each known type, where masks are looked up: once per file, not once
    // per image (a file may hold tens of thousands of elements).
    std::array<const cElement*, kTypes.size()> first{};
    for (const cElement& e : elements) {
        const auto t = static_cast<std::size_t>(e.type - kTypes.data());
        if (!first[t]) first[t] = &e;
    }
    const auto find = [&first](const char* tag) -> const cElement* {
        const cType* type = TypeOf(reinterpret_cast<const std::uint8_t*>(tag));
        return type ? first[static_cast<std::size_t>(type - kTypes.data())] : nullptr;
    };

    const std::array<std::uint32_t, 256> palette8 = Palette8();
    std::vector<cImage> images;
    for (const cElement& e : elements) {
        const cType& t = *e.type;
        if (t.form == eForm::kMask8) continue;
        cImage image;
        image.element = t.tag;
        image.offset = e.at;
        image.width = t.side;
        image.height = t.height;
        image.scale = t.scale;
        const auto pixels = static_cast<std::size_t>(t.side) * static_cast<std::size_t>(t.height);
        const cByteView& d = e.data;
        try {
            // The 1-bit mask of a 1, 4 or 8-bit image: the second half of its '#' element.
            const auto monoMask = [&](const char* tag, std::vector<std::uint8_t>& mask) {
                mask.clear();
                if (tag[0] == 0) return;
                const cElement* m = find(tag);
                if (!m) return;
                const std::size_t half = pixels / 8;
                if (!m->data.Has(half, half))
                    throw cBad{"its mask '" + std::string(tag) + "' at offset " + std::to_string(m->at) + " holds " +
                               std::to_string(m->data.Size()) + " bytes, " + std::to_string(2 * half) + " are needed"};
                const cByteView bits = m->data.Sub(half, half);
                mask.assign(bits.Data(), bits.Data() + half);
            };
            const auto bitOf = [](std::span<const std::uint8_t> b, std::size_t i) {
                return (b[i / 8] >> (7 - i % 8)) & 1;
            };
            const auto need = [&](std::size_t n) {
                if (d.Size() < n)
                    throw cBad{"it holds " + std::to_string(d.Size()) + " bytes, " + std::to_string(n) +
                               " are needed for " + std::to_string(t.side) + " x " + std::to_string(t.height) +
                               " pixels"};
            };
            const auto w = static_cast<std::size_t>(t.side);
            std::vector<std::uint8_t> mask;
            switch (t.form) {
            case eForm::kMono: {
                need(pixels / 8);
                std::span<const std::uint8_t> bits(d.Data(), pixels / 8);
                monoMask(t.mask, mask);
                static constexpr std::array<std::uint32_t, 2> kMono{0x000000, 0xFFFFFF};
                image.bits = 1;
                image.block = Dib(
                    t.side, t.height, 1, kMono,
                    [&](std::int32_t x, std::int32_t y) -> std::uint32_t {
                        return bitOf(bits, static_cast<std::size_t>(y) * w + static_cast<std::size_t>(x)) ? 0 : 1;
                    },
                    [&](std::int32_t x, std::int32_t y) {
                        return !mask.empty() &&
                               bitOf(mask, static_cast<std::size_t>(y) * w + static_cast<std::size_t>(x)) == 0;
                    });
                break;
            }
            case eForm::kIndexed4:
            case eForm::kIndexed8: {
                const bool four = t.form == eForm::kIndexed4;
                need(four ? pixels / 2 : pixels);
                const std::uint8_t* p = d.Data();
                monoMask(t.mask, mask);
                std::vector<std::uint32_t> palette(four ? kPalette4.begin() : palette8.begin(),
                                                   four ? kPalette4.end() : palette8.end());
                image.bits = four ? 4 : 8;
                image.block = Dib(
                    t.side, t.height, image.bits, palette,
                    [&](std::int32_t x, std::int32_t y) -> std::uint32_t {
                        const std::size_t i = static_cast<std::size_t>(y) * w + static_cast<std::size_t>(x);
                        return four ? (i % 2 == 0 ? p[i / 2] >> 4 : p[i / 2] & 15) : p[i];
                    },
                    [&](std::int32_t x, std::int32_t y) {
                        return !mask.empty() &&
                               bitOf(mask, static_cast<std::size_t>(y) * w + static_cast<std::size_t>(x)) == 0;
                    });
                break;
            }
            case eForm::kPacked24:
            case eForm::kModern: {
                const std::span<const std::uint8_t> s = d.Span();
                if (t.form == eForm::kModern && mDib::IsPngBlock(d)) {
                    image.block.assign(s.begin(), s.end());
                    if (const auto side = cFileIcon::BlockSide(image.block)) {
                        image.width = side->width;
                        image.height = side->height;
                    }
                    break;
                }
                if (t.form == eForm::kModern && IsJpeg2000(s)) {
                    const mDib::cBitmap argb = Jpeg2000(s, budget);
                    image.width = argb.Width();
                    image.height = argb.Height();
                    // Larger than a directory entry can say: a PNG stream, as such images are held.
                    image.block = argb.Width() > 256 || argb.Height() > 256 ? mDib::EncodePng(argb) : Dib32(argb);
                    break;
                }
                const bool argbForm = t.form == eForm::kModern && d.Size() >= 4 && s[0] == 'A' && s[1] == 'R' &&
                                      s[2] == 'G' && s[3] == 'B';
                const bool packed = t.form == eForm::kPacked24 || std::memcmp(t.tag, "icp", 3) == 0;
                if (!argbForm && !packed) throw cBad{"it holds neither PNG, JPEG 2000 nor ARGB data"};
                // Four planes (A, R, G, B) or three (R, G, B) with the alpha of the mask element.
                std::vector<std::uint8_t> planes(4 * pixels, 255);
                std::size_t at = 0;
                if (argbForm) {
                    at = 4;
                    Unpack(d, at, std::span(planes).subspan(0, pixels), "alpha");
                    Unpack(d, at, std::span(planes).subspan(pixels, pixels), "red");
                    Unpack(d, at, std::span(planes).subspan(2 * pixels, pixels), "green");
                    Unpack(d, at, std::span(planes).subspan(3 * pixels, pixels), "blue");
                } else {
                    // it32 starts with four zero bytes.
                    if (std::memcmp(t.tag, "it32", 4) == 0) {
                        need(4);
                        at = 4;
                    }
                    if (d.Size() - at == 4 * pixels) {
                        // Not packed: x, R, G, B for each pixel.
                        for (std::size_t i = 0; i < pixels; ++i)
                            for (std::size_t c = 1; c < 4; ++c) planes[c * pixels + i] = d.U8(at + 4 * i + c);
                    } else {
                        Unpack(d, at, std::span(planes).subspan(pixels, pixels), "red");
                        Unpack(d, at, std::span(planes).subspan(2 * pixels, pixels), "green");
                        Unpack(d, at, std::span(planes).subspan(3 * pixels, pixels), "blue");
                    }
                    if (t.mask[0] != 0) {
                        if (const cElement* m = find(t.mask)) {
                            if (m->data.Size() < pixels)
                                throw cBad{"its mask '" + std::string(t.mask) + "' at offset " + std::to_string(m->at) +
                                           " holds " + std::to_string(m->data.Size()) + " bytes, " +
                                           std::to_string(pixels) + " are needed"};
                            std::memcpy(planes.data(), m->data.Data(), pixels);
                        }
                    }
                }
                mDib::cBitmap argb(mDib::eFormat::Argb32, t.side, t.height);
                for (std::size_t i = 0; i < pixels; ++i) {
                    const std::uint32_t v = (std::uint32_t{planes[i]} << 24) |
                                            (std::uint32_t{planes[pixels + i]} << 16) |
                                            (std::uint32_t{planes[2 * pixels + i]} << 8) | planes[3 * pixels + i];
                    argb.SetPixel(static_cast<std::int32_t>(i % w), static_cast<std::int32_t>(i / w), v);
                }
                image.block = Dib32(argb);
                break;
            }
            case eForm::kMask8: break;
            }
        } catch (const cBad& bad) {
            throw fail("element '" + image.element + "' at offset " + std::to_string(e.at) + ": " + bad.what);
        } catch (const cByteView::cOutOfRange&) {
            throw fail("element '" + image.element + "' at offset " + std::to_string(e.at) + ": it is cut short");
        }
        if (!budget.Take(image.block.size() + cLoadBudget::kPerImage))
            throw fail("element '" + image.element + "' at offset " + std::to_string(e.at) +
                       ": the images need more memory than the file allows");
        images.push_back(std::move(image));
    }
    return images;
}

} // namespace mIcns
