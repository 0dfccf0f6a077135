// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace vellora {

// Files written all or nothing. Every file goes first to a temporary name
// beside its target and is renamed into place only once every one of them
// is complete, so a failure (a missing folder, a full disk, a size limit)
// never leaves a truncated file or destroys an earlier good one, and
// whatever the attempt created is removed again. Should a later rename
// fail, the files already put in place are taken back to what they were:
// files that belong together (a texture and its palette) change together.
class OutputFiles {
  public:
    // How a finished temporary is put in place; tests stand in a failing one.
    using Replace = std::function<void(const std::string& from, const std::string& to, std::error_code&)>;

    // A folder to create (with its parents) when it does not exist; the
    // folders created are removed again on failure.
    void addFolder(std::string path);
    void add(std::string path, std::vector<std::uint8_t> bytes);
    // A file the run reads: refused as an output, under any of its names.
    void addInput(std::string path);
    // A file to remove once everything is written (what an earlier run left
    // that the new files would not replace); missing ones are no matter.
    void addStale(std::string path);
    void setReplace(Replace replace) { replace_ = std::move(replace); }

    // Checks every target before anything is written: its folder exists or
    // is to be created, the target itself is not a folder, and it is neither
    // an input nor another target. Returns the first problem as
    // "PATH: reason".
    std::optional<std::string> check() const;
    // Writes everything; on failure returns "PATH: reason" and leaves the
    // file system as it was.
    std::optional<std::string> write();

  private:
    struct File {
        std::string path;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<std::string> folders_;
    std::vector<File> files_;
    std::vector<std::string> inputs_;
    std::vector<std::string> stale_;
    Replace replace_;
};

} // namespace vellora
