#include "icon/cAnimatedCursor.h"

#include <memory>
#include <optional>
#include <span>

#include "base/cError.h"
#include "icon/cLoadBudget.h"
#include "platform/cByteView.h"
#include "platform/cReadFile.h"
#include "platform/mSysText.h"

namespace {

constexpr std::size_t kChunkHeader = 8; // four-character id, 32-bit size
constexpr std::size_t kRiffHeader = 12; // "RIFF", size, form type
constexpr std::size_t kAniHeaderSize = 36;

bool IsId(const cByteView& v, std::size_t at, const char (&id)[5]) {
    return v.Has(at, 4) && v.U8(at) == static_cast<std::uint8_t>(id[0]) &&
           v.U8(at + 1) == static_cast<std::uint8_t>(id[1]) && v.U8(at + 2) == static_cast<std::uint8_t>(id[2]) &&
           v.U8(at + 3) == static_cast<std::uint8_t>(id[3]);
}

std::string IdText(const cByteView& v, std::size_t at) {
    std::string id;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::uint8_t c = v.U8(at + i);
        id += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
    return id;
}

// One chunk inside [from, end): its id's offset and its data's place. Refuses a chunk whose
// header or data runs past `end`.
struct cChunk {
    std::size_t at = 0, data = 0, size = 0;
};

} // namespace

void cAnimatedCursor::Clear() {
    frames_.clear();
    steps_.clear();
    rates_.clear();
    notes_.clear();
    displayRate_ = 0;
    hasSequence_ = hasRates_ = false;
}

void cAnimatedCursor::Fail(const std::string& reason) {
    Clear();
    throw cError(kErrLoad, cError::SourceOf("cAnimatedCursor"), "Failed to load animated cursor: " + reason);
}

bool cAnimatedCursor::Load(const std::string& fileName) {
    Clear();
    fileName_ = fileName;
    cReadFile file;
    if (!file.Open(fileName)) Fail(mSysText::TextLine(file.LastError(), fileName));
    if (file.Size() > kMaxFileBytes) Fail("File is too large for an animated cursor.");
    // Not zeroed first: every byte is read over (a pack's animations are megabytes).
    const auto size = static_cast<std::size_t>(file.Size());
    const std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[size]);
    if (file.ReadAt(0, bytes.get(), size) != size) Fail("File could not be read whole.");
    return LoadBytes(std::span<const std::uint8_t>(bytes.get(), size), fileName);
}

bool cAnimatedCursor::LoadBytes(std::span<const std::uint8_t> bytes, const std::string& fileName) {
    Clear();
    fileName_ = fileName;
    if (bytes.size() > kMaxFileBytes) Fail("File is too large for an animated cursor.");
    const cByteView v(bytes);
    if (!IsId(v, 0, "RIFF") || !v.Has(0, kRiffHeader) || !IsId(v, 8, "ACON"))
        Fail("File is not an animated cursor (no RIFF form ACON).");
    const std::uint32_t riffSize = v.U32(4);
    if (riffSize < 4) Fail("The RIFF chunk is too short to hold its form type.");
    // Many cursors passed around count more bytes than they hold (their sizes written by tools
    // that counted a header twice, or the file cut short): the file's end is the RIFF's end then.
    const std::uint64_t riffCounted = kChunkHeader + std::uint64_t{riffSize};
    std::size_t riffEnd = bytes.size();
    if (riffCounted > bytes.size())
        notes_.push_back("The RIFF chunk counts " + std::to_string(riffCounted) + " bytes; the file holds " +
                         std::to_string(bytes.size()) + ": read to the end of the file.");
    else
        riffEnd = static_cast<std::size_t>(riffCounted);

    // Reads the chunk at `at` inside a parent ending at `end`. A chunk running past its parent
    // ends with it; a chunk so clamped that swallowed its siblings leaves counts that disagree,
    // and is refused by them below.
    auto chunkAt = [&](std::size_t at, std::size_t end) {
        if (end - at < kChunkHeader) Fail("A chunk header runs past its parent.");
        cChunk c{at, at + kChunkHeader, v.U32(at + 4)};
        if (c.size > end - c.data) {
            notes_.push_back("Chunk '" + IdText(v, at) + "' counts " + std::to_string(c.size) +
                             " bytes; its parent holds " + std::to_string(end - c.data) +
                             ": read to the parent's end.");
            c.size = end - c.data;
        }
        return c;
    };
    // The next chunk's offset: data, then a pad byte to an even size where the parent has it.
    auto after = [](const cChunk& c, std::size_t end) {
        const std::size_t next = c.data + c.size;
        return (c.size & 1) != 0 && next < end ? next + 1 : next;
    };

    std::optional<cChunk> header, sequence, rate;
    std::vector<std::span<const std::uint8_t>> icons;
    // Each frame costs at least a group's share of the load's budget: more frames than the
    // budget could ever hold (empty "icon" chunks by the million) are refused as they are
    // counted, before anything is sized by them.
    const std::uint64_t mostFrames = cLoadBudget(bytes.size()).Limit() / cLoadBudget::kPerGroup;
    bool sawFrames = false;
    for (std::size_t at = kRiffHeader; at < riffEnd;) {
        // Where the RIFF's end is the file's, a few stray bytes after the last chunk are no chunk.
        if (riffCounted > riffEnd && riffEnd - at < kChunkHeader) {
            notes_.push_back(std::to_string(riffEnd - at) + " bytes after the last chunk left out.");
            break;
        }
        const cChunk c = chunkAt(at, riffEnd);
        if (IsId(v, at, "anih")) {
            if (header) Fail("The file holds two anih headers.");
            header = c;
        } else if (IsId(v, at, "seq ")) {
            if (sequence) Fail("The file holds two seq chunks.");
            sequence = c;
        } else if (IsId(v, at, "rate")) {
            if (rate) Fail("The file holds two rate chunks.");
            rate = c;
        } else if (IsId(v, at, "LIST") && c.size >= 4 && IsId(v, c.data, "fram")) {
            if (sawFrames) Fail("The file holds two frame lists.");
            sawFrames = true;
            // The frames' chunks, one level down; nothing below them is walked.
            const std::size_t listEnd = c.data + c.size;
            for (std::size_t in = c.data + 4; in < listEnd;) {
                const cChunk f = chunkAt(in, listEnd);
                if (IsId(v, in, "icon")) {
                    if (icons.size() >= mostFrames) Fail("The file holds more frames than its size allows.");
                    icons.push_back(bytes.subspan(f.data, f.size));
                }
                in = after(f, listEnd);
            }
        }
        at = after(c, riffEnd);
    }

    if (!header || header->size < kAniHeaderSize) Fail("The file has no anih header.");
    const std::size_t h = header->data;
    const std::uint32_t frameCount = v.U32(h + 4);
    const std::uint32_t stepCount = v.U32(h + 8);
    displayRate_ = v.U32(h + 28);
    const std::uint32_t flags = v.U32(h + 32);
    if ((flags & kFlagIcon) == 0) Fail("The frames are raw bitmaps, not icons.");
    if (frameCount == 0) Fail("The header counts no frames.");
    if (frameCount != icons.size())
        Fail("The header counts " + std::to_string(frameCount) + " frames; the file holds " +
             std::to_string(icons.size()) + ".");
    if (stepCount == 0) Fail("The header counts no steps.");

    // Steps: the sequence's, or the frames in order. Either way a count larger than the chunk
    // (or than the frames) is refused before anything is sized by it.
    if (sequence) {
        if (std::uint64_t{stepCount} * 4 > sequence->size)
            Fail("The sequence holds fewer steps than the header counts.");
    } else if (stepCount > frameCount) {
        Fail("Step " + std::to_string(frameCount + 1) + " names frame " + std::to_string(frameCount + 1) +
             ", which is missing.");
    }
    if (rate && std::uint64_t{stepCount} * 4 > rate->size) Fail("The rates hold fewer steps than the header counts.");
    steps_.resize(stepCount);
    rates_.resize(stepCount, displayRate_);
    for (std::uint32_t k = 0; k < stepCount; ++k) {
        steps_[k] = sequence ? v.U32(sequence->data + 4 * std::size_t{k}) : k;
        if (steps_[k] >= frameCount)
            Fail("Step " + std::to_string(k + 1) + " names frame " + std::to_string(std::uint64_t{steps_[k]} + 1) +
                 ", which is missing.");
        if (rate) rates_[k] = v.U32(rate->data + 4 * std::size_t{k});
    }
    hasSequence_ = sequence.has_value();
    hasRates_ = rate.has_value();

    // The frames, each an icon file of its own, under one budget for the whole file.
    cLoadBudget budget(bytes.size());
    std::vector<cFileIcon> frames(icons.size());
    for (std::size_t i = 0; i < icons.size(); ++i) {
        try {
            frames[i].LoadIconBytes(icons[i], fileName, budget);
        } catch (const cError& e) {
            Fail("frame " + std::to_string(i + 1) + ": " + e.Description());
        }
        frames[i].SetFrame(static_cast<std::int32_t>(i + 1));
    }
    frames_ = std::move(frames);
    return true;
}
