#pragma once
// mListPictures: the pictures of the main window's two image lists, apart from any window. A list
// shows its pictures at a size in logical pixels (32 or 16). On a screen whose device pixel ratio
// is r, each picture is made at DevicePixels(size, r) pixels from the image that the best-image
// rule picks for that many pixels, so at ratio 1 the choice is the list size's own. The chosen
// image is drawn as its icon draws onto transparency and scaled smoothly to fit the square,
// keeping its aspect ratio, centred.
//
// cMaker serves one retrieval. It keeps every picture it made under the bytes of the image block
// it came from and the size it was made at, so an image that recurs in several groups of a file
// is decoded and scaled once. It refers to the blocks of the icons it was given: those icons must
// outlive it.

#include <cstddef>
#include <cstdint>
#include <span>
#include <unordered_map>

#include "platform/mDib.h"

class cFileIcon;

namespace mListPictures {

// The pixels of a picture of `logical` pixels at device pixel ratio `ratio`: rounded, at least 1.
std::int32_t DevicePixels(std::int32_t logical, double ratio);

// `drawn` scaled to fit a transparent square of `pixels`, aspect kept, centred; as it is when it
// is that square already. Empty for an empty bitmap.
mDib::cBitmap Fit(const mDib::cBitmap& drawn, std::int32_t pixels);

class cMaker {
public:
    // Image n of `icon` drawn (cFileIcon::ImageArgb) and fitted to `pixels`. An image that cannot
    // be drawn raises the invalid-picture error (481); so does an image number below 1.
    const mDib::cBitmap& Picture(const cFileIcon& icon, std::int32_t n, std::int32_t pixels);

    // How many pictures were drawn, and how many were taken from one drawn before.
    std::size_t Drawn() const noexcept { return drawn_; }
    std::size_t Reused() const noexcept { return reused_; }

private:
    struct cEntry {
        std::span<const std::uint8_t> block;
        std::int32_t pixels = 0;
        mDib::cBitmap picture;
    };
    std::unordered_multimap<std::size_t, cEntry> made_;
    // The image drawn last, with its block.
    std::span<const std::uint8_t> lastBlock_;
    mDib::cBitmap lastDrawn_;
    std::size_t drawn_ = 0;
    std::size_t reused_ = 0;
};

} // namespace mListPictures
