// SPDX-License-Identifier: MIT
#include "parallel.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace vellora::cli {

ParallelRun RunParallel(std::size_t count, int jobs, const std::function<bool(std::size_t)>& task,
                        const std::function<void(std::size_t, const std::string&)>& failed,
                        const std::function<void(std::size_t)>& progress) {
    ParallelRun run;
    std::atomic<std::size_t> next{0}, done{0};
    std::atomic<bool> stop{false};
    auto one = [&](std::size_t i) {
        bool goOn = true;
        std::string reason;
        try {
            goOn = task(i);
        } catch (const std::bad_alloc&) {
            reason = "out of memory";
        } catch (const std::exception& e) {
            reason = std::string("internal error: ") + e.what();
        } catch (...) {
            reason = "internal error";
        }
        if (!reason.empty()) {
            try {
                failed(i, reason);
            } catch (...) {
                // Nothing more can be recorded for this item; the caller
                // finds it without a result.
            }
        }
        if (!goOn)
            stop = true;
        ++done;
    };
    auto work = [&]() noexcept {
        for (std::size_t i = next++; i < count && !stop; i = next++)
            one(i);
    };

    const std::size_t wanted =
        std::max<std::size_t>(1, std::min(static_cast<std::size_t>(std::max(jobs, 1)), count));
    // With progress this thread only watches, so one more worker takes its place.
    const std::size_t extra = wanted - 1 + (progress ? 1 : 0);
    std::vector<std::thread> pool;
    pool.reserve(extra);
    for (std::size_t i = 0; i < extra; ++i) {
        try {
            pool.emplace_back(work);
        } catch (const std::system_error& e) {
            run.startError = e.what();
            break;
        } catch (const std::bad_alloc&) {
            run.startError = "out of memory";
            break;
        }
    }
    run.threads = static_cast<int>(pool.size());
    if (progress && !pool.empty()) {
        // Once stopped, the joins below wait for the items under way.
        while (done < count && !stop) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            progress(done);
        }
    } else {
        work();
        ++run.threads;
    }
    for (std::thread& t : pool)
        t.join();
    run.stopped = stop;
    return run;
}

bool InOrder::done(std::size_t i) {
    const std::lock_guard hold(lock_);
    ready_[i] = true;
    for (; next_ < ready_.size() && ready_[next_]; ++next_)
        failed_ = failed_ || !write_(next_);
    return !failed_;
}

bool InOrder::failed() const {
    const std::lock_guard hold(lock_);
    return failed_;
}

} // namespace vellora::cli
