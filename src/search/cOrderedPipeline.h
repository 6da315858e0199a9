#pragma once
// cOrderedPipeline: inputs loaded by up to `jobs` threads at once and committed by one strictly in
// the order they were taken, so that what the commits do is what one thread would do, whatever
// finishes first. The committer is one of the loaders: while the item it is to commit is not
// ready, it loads the next input itself, so that one job (or a system that gives no thread) loads
// and commits each input in turn. The other loaders start one at a time once the first item is
// committed and more inputs follow: a run over one input takes the memory of one loader.
//
// Memory stays within `jobs` loads: an input is taken only while fewer than `jobs` items are being
// loaded or wait for their commit holding much; light items (Light) may wait up to kMaxAhead deep,
// so that the loaders need not stop at every small input.
//
// Before each commit, on the committing thread, the pipeline tells the inputs taken since the
// last commit (Taken) and the items loaded since (Loaded), each once: what the commits must know
// of what is coming. While the committer waits (for an item, or for input), it wakes by the
// Deadline its steps give and when input is awaited (WaitingForInput), and does its Idle work.
//
// What a step throws, on whichever thread, ends the run: the other loaders stop at their next
// input and are joined, and the first exception leaves Run. Knows nothing of what it loads.

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

template <class tInput, class tItem>
class cOrderedPipeline {
public:
    using tTime = std::chrono::steady_clock::time_point;
    static constexpr std::size_t kMaxAhead = 64;

    struct cSteps {
        // The next input; false at the end. Under the pipeline's lock, on whichever thread takes it.
        std::function<bool(tInput&)> Next;
        // Asked before each input is taken (under the lock): false stops the run there.
        std::function<bool()> KeepGoing;
        // Loads an input, on any thread, outside the lock.
        std::function<std::unique_ptr<tItem>(const tInput&)> Load;
        // An item that holds little may wait in the longer queue.
        std::function<bool(const tItem&)> Light;
        // On the committing thread, before the next commit, each once (see above).
        std::function<void(const tInput&)> Taken;
        std::function<void(tItem&)> Loaded;
        // Commits an item, in the inputs' order, on the committing thread; false stops the run after it.
        std::function<bool(tItem&)> Commit;
        // While the committer waits: by when it is to wake (none: only for an item or input), and
        // what it does when it wakes so or input is awaited.
        std::function<std::optional<tTime>()> Deadline;
        std::function<void()> Idle;
    };

    // True when every input was committed, false when the run was stopped (KeepGoing or Commit).
    bool Run(const cSteps& steps, std::size_t jobs) {
        jobs = std::clamp<std::size_t>(jobs, 1, kMaxAhead);
        steps_ = &steps;
        committer_ = std::this_thread::get_id();
        ahead_.clear();
        taken_.clear();
        next_ = committed_ = front_ = lightWaiting_ = workersWaiting_ = 0;
        ended_ = stop_ = stopped_ = idleWanted_ = taking_ = false;
        failure_ = nullptr;
        jobs_ = jobs;

        std::vector<std::thread> workers;
        bool threadsRefused = false;
        const auto startLoader = [&] {
            if (threadsRefused || workers.size() + 1 >= jobs) return;
            {
                std::lock_guard lock(m_);
                if (stop_ || ended_) return;
            }
            try {
                workers.emplace_back([this] { Work(); });
            } catch (const std::system_error&) {
                threadsRefused = true;
            }
        };
        try {
            for (;;) {
                if (committed_ > 0) startLoader();
                std::unique_lock lock(m_);
                // `committed_` is the item to commit next.
                while (!stop_ && !(committed_ < next_ && ahead_.front().item)) {
                    if (committed_ == next_ && ended_) break;
                    if (idleWanted_ || Overdue()) {
                        WakeIdle(lock);
                    } else if (!taking_ && (committed_ == next_ || (!ended_ && MayStart()))) {
                        // The committer does not wait to take an input: while another thread
                        // takes one, it waits for its item (and idles) instead.
                        std::unique_lock taking(input_, std::try_to_lock);
                        if (!taking) {
                            taking_ = true;
                            continue;
                        }
                        std::size_t j = 0;
                        tInput input;
                        const bool claimed = Claim(lock, j, input);
                        taking.unlock();
                        if (!claimed) continue;
                        lock.unlock();
                        LoadInto(j, input);
                        lock.lock();
                    } else {
                        const std::optional<tTime> deadline = steps.Deadline ? steps.Deadline() : std::nullopt;
                        if (!deadline) {
                            filled_.wait(lock);
                        } else if (filled_.wait_until(lock, *deadline) == std::cv_status::timeout) {
                            idleWanted_ = true;
                        }
                        taking_ = false;
                    }
                }
                if (stop_ || committed_ == next_) break;
                CommitFront(lock);
            }
        } catch (...) {
            Fail(std::current_exception());
        }
        {
            std::lock_guard lock(m_);
            stop_ = true;
        }
        freed_.notify_all();
        for (auto& w : workers) w.join();
        if (failure_) std::rethrow_exception(failure_);
        return !stopped_;
    }

    // From Next, on any thread: the input has nothing to give yet. The committer does its Idle
    // work now, rather than by its deadline. When it is the caller (it takes an input ahead while
    // another thread loads the item it is to commit), it first commits what is ready: an item
    // never waits for input that comes after it.
    void WaitingForInput() {
        if (std::this_thread::get_id() == committer_) {
            std::unique_lock lock(m_);
            while (!stop_ && committed_ < next_ && ahead_.front().item) CommitFront(lock);
            lock.unlock();
            if (steps_ && steps_->Idle) steps_->Idle();
            return;
        }
        std::lock_guard lock(m_);
        idleWanted_ = true;
        filled_.notify_all();
    }

private:
    struct cSlot {
        std::unique_ptr<tItem> item;
        bool seen = false; // told to Loaded
    };

    // Commits the item at the front, which is there: called by the committer with `lock` held,
    // which it lets go while the steps run.
    void CommitFront(std::unique_lock<std::mutex>& lock) {
        std::unique_ptr<tItem> item = std::move(ahead_.front().item);
        const bool seen = ahead_.front().seen;
        ahead_.pop_front();
        ++front_;
        if (steps_->Light(*item)) --lightWaiting_;
        std::vector<tInput> taken;
        taken.swap(taken_);
        std::vector<tItem*> loaded;
        if (!seen) loaded.push_back(item.get());
        for (auto& a : ahead_) {
            if (a.item && !a.seen) {
                a.seen = true;
                loaded.push_back(a.item.get());
            }
        }
        lock.unlock();
        // Items loaded ahead are not touched by their loaders any more: the committer alone reads
        // them from here on.
        bool goOn = false;
        try {
            if (steps_->Taken)
                for (const auto& t : taken) steps_->Taken(t);
            if (steps_->Loaded)
                for (tItem* l : loaded) steps_->Loaded(*l);
            goOn = steps_->Commit(*item);
        } catch (...) {
            lock.lock();
            throw;
        }
        item.reset();
        lock.lock();
        ++committed_;
        if (!goOn) stop_ = stopped_ = true;
        if (workersWaiting_ > 0) freed_.notify_all();
    }

    bool MayStart() const {
        return stop_ || ended_ || (next_ - committed_ - lightWaiting_ < jobs_ && next_ - committed_ < kMaxAhead);
    }
    // The committer's deadline has passed (it is about to load an input itself, which may take long).
    bool Overdue() const {
        const std::optional<tTime> deadline = steps_->Deadline ? steps_->Deadline() : std::nullopt;
        return deadline && std::chrono::steady_clock::now() >= *deadline;
    }
    // Takes the next input; false when there is none or the run stops. The caller holds `lock`
    // and input_ (the inputs are taken one at a time, each numbered before the next is taken);
    // `lock` is let go while Next runs, which input may keep waiting: the committer must be able
    // to idle meanwhile.
    bool Claim(std::unique_lock<std::mutex>& lock, std::size_t& i, tInput& input) {
        if (stop_ || ended_) return false;
        if (steps_->KeepGoing && !steps_->KeepGoing()) {
            stop_ = stopped_ = true;
            filled_.notify_all();
            freed_.notify_all();
            return false;
        }
        lock.unlock();
        bool got = false;
        try {
            got = steps_->Next(input);
        } catch (...) {
            lock.lock();
            throw;
        }
        lock.lock();
        if (!got) {
            ended_ = true;
            filled_.notify_all();
            freed_.notify_all();
            return false;
        }
        i = next_++;
        ahead_.emplace_back();
        if (steps_->Taken) taken_.push_back(input);
        return true;
    }
    void LoadInto(std::size_t i, const tInput& input) {
        auto item = steps_->Load(input);
        const bool light = steps_->Light(*item);
        std::lock_guard lock(m_);
        ahead_[i - front_].item = std::move(item);
        // A light item frees a place for a waiting loader at once.
        if (light) {
            ++lightWaiting_;
            if (workersWaiting_ > 0) freed_.notify_one();
        }
        if (i == committed_) filled_.notify_one();
    }
    void Work() {
        try {
            for (;;) {
                std::size_t i = 0;
                tInput input;
                {
                    // input_ first, then the lock: the order every thread that holds both takes them in.
                    std::unique_lock taking(input_);
                    std::unique_lock lock(m_);
                    if (!MayStart()) {
                        ++workersWaiting_;
                        freed_.wait(lock, [this] { return MayStart(); });
                        --workersWaiting_;
                    }
                    if (!Claim(lock, i, input)) return;
                }
                LoadInto(i, input);
            }
        } catch (...) {
            Fail(std::current_exception());
        }
    }
    void Fail(std::exception_ptr e) {
        std::lock_guard lock(m_);
        if (!failure_) failure_ = std::move(e);
        stop_ = true;
        filled_.notify_all();
        freed_.notify_all();
    }
    // The committer's idle work, outside the lock.
    void WakeIdle(std::unique_lock<std::mutex>& lock) {
        idleWanted_ = false;
        lock.unlock();
        try {
            if (steps_->Idle) steps_->Idle();
        } catch (...) {
            lock.lock();
            throw;
        }
        lock.lock();
    }

    const cSteps* steps_ = nullptr;
    std::thread::id committer_;
    std::mutex m_;
    std::condition_variable filled_, freed_; // the committer's item is there; a loader may start
    // The inputs from `front_` to `next_` - 1, each loaded or being loaded (`committed_` counts
    // those done, the one being committed not yet).
    std::deque<cSlot> ahead_;
    std::vector<tInput> taken_; // taken since the last commit
    std::size_t next_ = 0, committed_ = 0, front_ = 0, lightWaiting_ = 0, workersWaiting_ = 0, jobs_ = 1;
    bool ended_ = false; // the inputs are all taken
    bool stop_ = false; // a failure or a stop: every loader stops at its next input
    bool stopped_ = false; // stopped by KeepGoing or Commit
    bool idleWanted_ = false;
    bool taking_ = false; // the committer found another thread taking an input
    std::mutex input_; // held while an input is taken and numbered
    std::exception_ptr failure_;
};
