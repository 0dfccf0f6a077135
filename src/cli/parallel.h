// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <functional>
#include <string>

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

} // namespace vellora::cli
