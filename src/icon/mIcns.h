#pragma once
// mIcns: Apple icon files (.icns): the big-endian "icns" header and its elements (a four-byte
// type, a four-byte length that counts the element's own eight bytes, the data), each image
// element turned into an image block the way the program holds images: PNG streams as they are
// stored, everything else as a DIB block (BITMAPINFOHEADER, palette, colour bits, AND mask) of
// the depth it was drawn in, and JPEG 2000 (decoded with OpenJPEG) as a 32-bit DIB, or as a PNG
// stream where it is larger than an icon directory can say (256 pixels).
//
// The element types read:
//   PNG or JPEG 2000     ic07..ic14, icp4..icp6, and ic04, ic05, icsb, icsB, sb24, SB24 when they
//                        hold one; ic11..ic14, icsB and SB24 are double-density ("@2x") images
//   ARGB                 ic04, ic05, icsb, sb24 (and the others above) starting with "ARGB": four
//                        planes A, R, G, B, each packed as below
//   24-bit packed        is32, il32, ih32, it32 (after four zero bytes), and icp4..icp6 that hold
//                        neither PNG nor JPEG 2000: three planes R, G, B, each run-length packed
//                        (a byte n < 128 copies n + 1 bytes, n >= 128 repeats the next byte n - 125
//                        times); a plane's length of 4 bytes per pixel means unpacked xRGB. Alpha
//                        from s8mk, l8mk, h8mk, t8mk (one byte per pixel) where the file has it.
//   1, 4 and 8 bits      ICON (no mask), ICN#, icm#, ics#, ich# (image and 1-bit mask), icl4,
//                        icl8, icm4, icm8, ics4, ics8, ich4, ich8 in the classic 16 and 256 colour
//                        palettes, masked by the 1-bit element of their size
// "TOC ", "icnV", "name", "info" and every other type are passed over.
//
// Untrusted bytes: every length is checked against the file (and the header's own length) before
// it is used; a plane that would overrun its image, or that runs out, is an error; a JPEG 2000
// stream's size is read from its header and refused beyond mDib::kMaxDimension or the load's
// budget before anything is decoded. Errors name the file and the element:
// "icon.icns: element 'il32' at offset 1234: ...".

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "icon/cLoadBudget.h"
#include "platform/mDib.h"

namespace mIcns {

// One image of the file.
struct cImage {
    std::string element; // its element type, four characters ("il32")
    std::uint64_t offset = 0; // where the element starts in the file
    std::int32_t width = 0, height = 0; // in pixels
    std::int32_t scale = 1; // 2 for a double-density element
    std::int32_t bits = 32; // the depth it was drawn in: 1, 4, 8 or 32
    std::vector<std::uint8_t> block; // a PNG stream or a DIB block
};

// What the images of a file may take beside the file's own size: decoded JPEG 2000 and packed
// images are larger than their bytes in the file.
inline constexpr std::uint64_t kDecodeAllowance = std::uint64_t{64} << 20;

// The images of an .icns file held in `bytes`, in the file's order; what they keep (blocks and
// decoded pixels) is counted in `budget`. Raises a cError of number cError::kInvalidPicture whose
// description starts with `fileName`. A file without any image element answers none.
std::vector<cImage> Read(std::span<const std::uint8_t> bytes, const std::string& fileName, cLoadBudget& budget);

// A JPEG 2000 stream (JP2 file or bare codestream) as ARGB; its size is checked against
// mDib::kMaxDimension and `budget` (4 bytes a pixel for each component and the result) before it
// is decoded. Raises a cError of number cError::kInvalidPicture saying what is wrong with it.
mDib::cBitmap DecodeJpeg2000(std::span<const std::uint8_t> stream, cLoadBudget& budget);

// True when the bytes start like a JPEG 2000 file ("jP  " signature box) or codestream (SOC, SIZ).
bool IsJpeg2000(std::span<const std::uint8_t> bytes) noexcept;

// A 32-bit DIB block of an ARGB bitmap: colour bits with their alpha, and an AND mask that is set
// where alpha is 0.
std::vector<std::uint8_t> Dib32(const mDib::cBitmap& argb);

} // namespace mIcns
