#pragma once
// cAnimatedCursor: an animated cursor (.ani) read whole: a RIFF file of the form "ACON" holding an
// "anih" header (ANIHEADER: cbSize, nFrames, nSteps, iWidth, iHeight, iBitCount, nPlanes,
// iDispRate, bfAttributes), a "LIST" of type "fram" whose "icon" chunks are one .cur (or .ico) file
// each, and optionally "seq " (the frame shown at each step) and "rate" (each step's time in
// jiffies, 1/60 s). Other chunks ("LIST INFO", names, unknown ones) are skipped.
//
// Invariants after a load: FrameCount() >= 1 frames, each a cFileIcon with Frame() its 1-based
// number; Steps() and Rates() hold StepCount() entries, every step naming a frame that exists.
// Sizes that count more than is there are read leniently: the RIFF chunk ends at the file's end at
// most, any other chunk at its parent's end; each such repair is told in Notes().
// Reading is bounded: the file is at most kMaxFileBytes, every chunk lies inside its parent, the
// counts of the header are checked against the chunks that hold them before anything is sized by
// them, the chunks are walked in one pass without recursion, and what the frames keep together is
// held to one cLoadBudget. A failed load leaves the object empty.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "icon/cFileIcon.h"

class cAnimatedCursor {
public:
    // Failures raise the icon file's load error, "Failed to load animated cursor: " and the reason.
    static constexpr std::int32_t kErrLoad = cFileIcon::kErrLoadIcon;
    // Larger files are refused before they are read: real ones take a few hundred KiB.
    static constexpr std::uint64_t kMaxFileBytes = std::uint64_t{64} << 20;
    // ANIHEADER bfAttributes: the frames are icon or cursor files (not raw bitmaps); a "seq "
    // chunk orders them.
    static constexpr std::uint32_t kFlagIcon = 1;
    static constexpr std::uint32_t kFlagSequence = 2;

    bool Load(const std::string& fileName);
    // The same from bytes in memory; `fileName` is what the frames report as their file.
    bool LoadBytes(std::span<const std::uint8_t> bytes, const std::string& fileName);

    std::int32_t FrameCount() const noexcept { return static_cast<std::int32_t>(frames_.size()); }
    const std::vector<cFileIcon>& Frames() const noexcept { return frames_; }
    // Hands the frames over (the object keeps its steps and rates).
    std::vector<cFileIcon> TakeFrames() { return std::move(frames_); }
    std::int32_t StepCount() const noexcept { return static_cast<std::int32_t>(steps_.size()); }
    // The 0-based frame of each step, in order.
    const std::vector<std::uint32_t>& Steps() const noexcept { return steps_; }
    // Each step's display time in jiffies (1/60 s): the "rate" chunk's, or the header's rate.
    const std::vector<std::uint32_t>& Rates() const noexcept { return rates_; }
    std::uint32_t DisplayRate() const noexcept { return displayRate_; }
    bool HasSequence() const noexcept { return hasSequence_; }
    bool HasRates() const noexcept { return hasRates_; }
    const std::string& Filename() const noexcept { return fileName_; }
    // The sizes the load repaired, one sentence each; empty for a sound file.
    const std::vector<std::string>& Notes() const noexcept { return notes_; }

private:
    [[noreturn]] void Fail(const std::string& reason);
    void Clear();

    std::string fileName_;
    std::vector<cFileIcon> frames_;
    std::vector<std::uint32_t> steps_;
    std::vector<std::uint32_t> rates_;
    std::vector<std::string> notes_;
    std::uint32_t displayRate_ = 0;
    bool hasSequence_ = false;
    bool hasRates_ = false;
};
