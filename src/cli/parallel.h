// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace vellora::cli {

// How a parallel run went.
struct ParallelRun {
    int threads = 0;        // threads that did the work, this one among them
    std::string startError; // why fewer threads than asked for could be started
    bool stopped = false;   // a task asked to stop the run
};

// Runs task(i) for every i below count on up to jobs threads, this one
// among them, taking the items in order. A thread that cannot be started
// leaves its share to those that could (at worst this thread alone). A task
// that throws gets failed(i, reason) instead, so no exception ever leaves a
// worker; a task returning false stops the run: items not yet begun are
// never run. While progress is set this thread calls it now and then with
// the number of items done, instead of working itself.
ParallelRun RunParallel(std::size_t count, int jobs, const std::function<bool(std::size_t)>& task,
                        const std::function<void(std::size_t, const std::string&)>& failed,
                        const std::function<void(std::size_t)>& progress = {});

// The reports of a parallel run in the order of their items: each item is
// written as soon as it and every item before it are done, so a long run
// shows its progress and holds only the reports of the items under way.
class InOrder {
  public:
    // write(i) writes item i's report; it runs under the writer's lock, one
    // item at a time, in order. It returns false once the output failed.
    InOrder(std::size_t count, std::function<bool(std::size_t)> write)
        : ready_(count, false), write_(std::move(write)) {}
    // Item i is done: writes what is now in order. False once a write failed.
    bool done(std::size_t i);
    // Whether a write failed.
    bool failed() const;

  private:
    mutable std::mutex lock_;
    std::vector<bool> ready_;
    std::size_t next_ = 0;
    bool failed_ = false;
    std::function<bool(std::size_t)> write_;
};

} // namespace vellora::cli
