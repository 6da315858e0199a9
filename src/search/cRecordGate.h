#pragma once
// cRecordGate: records that wait until the files they name are in place, handed out in the order
// they came, each exactly once. A record is held (Hold) while its files wait for a flush; Release
// first has them put in place (the caller's `place`, which may still amend the records: a
// replacement that could not be made), then hands out every held record. Release is due (Due)
// once kMaxHeld records are held or the oldest has waited maxAge by the gate's clock: a caller
// that waits for something else (input, a loader) wakes by Deadline() to release them, so that no
// record waits on the next one to come. A hand-out that throws loses only its own record: those
// after it stay held for the next Release, and the exception goes on to the caller.
//
// Knows nothing of what a record is: the batch's records, a test's numbers.

#include <chrono>
#include <cstddef>
#include <functional>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

template <class tRecord>
class cRecordGate {
public:
    using tClock = std::function<std::chrono::steady_clock::time_point()>;

    cRecordGate(
        std::size_t maxHeld, std::chrono::steady_clock::duration maxAge,
        tClock clock = [] { return std::chrono::steady_clock::now(); })
        : maxHeld_(maxHeld), maxAge_(maxAge), clock_(std::move(clock)) {}

    void Hold(tRecord record) {
        if (held_.empty()) since_ = clock_();
        held_.push_back(std::move(record));
    }
    bool Empty() const noexcept { return held_.empty(); }
    std::size_t Held() const noexcept { return held_.size(); }
    // When the oldest held record has waited its longest; none while nothing is held.
    std::optional<std::chrono::steady_clock::time_point> Deadline() const {
        if (held_.empty()) return std::nullopt;
        return since_ + maxAge_;
    }
    // Held records are to go out now: too many, or the oldest too old.
    bool Due() const { return !held_.empty() && (held_.size() >= maxHeld_ || clock_() >= since_ + maxAge_); }

    // Puts the held records' files in place (`place` is called even with none held: files may
    // wait without records), then hands each record out once, in order.
    void Release(const std::function<void(std::vector<tRecord>&)>& place,
                 const std::function<void(tRecord&)>& handOut) {
        std::vector<tRecord> held = std::move(held_);
        held_.clear();
        try {
            place(held);
        } catch (...) {
            // Nothing was handed out: all stay held.
            Restore(held, 0);
            throw;
        }
        for (std::size_t i = 0; i < held.size(); ++i) {
            try {
                handOut(held[i]);
            } catch (...) {
                Restore(held, i + 1);
                throw;
            }
        }
    }

private:
    void Restore(std::vector<tRecord>& held, std::size_t from) {
        std::vector<tRecord> rest(std::make_move_iterator(held.begin() + static_cast<std::ptrdiff_t>(from)),
                                  std::make_move_iterator(held.end()));
        rest.insert(rest.end(), std::make_move_iterator(held_.begin()), std::make_move_iterator(held_.end()));
        held_ = std::move(rest);
        since_ = clock_();
    }

    std::size_t maxHeld_;
    std::chrono::steady_clock::duration maxAge_;
    tClock clock_;
    std::vector<tRecord> held_;
    std::chrono::steady_clock::time_point since_{};
};
