// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vellora {

// Files written all or nothing. Every file goes first to a temporary name
// beside its target and is renamed into place only once every one of them
// is complete, so a failure (a missing folder, a full disk, a size limit)
// never leaves a truncated file or destroys an earlier good one, and
// whatever the attempt created is removed again.
class OutputFiles {
  public:
    // A folder to create (with its parents) when it does not exist; the
    // folders created are removed again on failure.
    void addFolder(std::string path);
    void add(std::string path, std::vector<std::uint8_t> bytes);

    // Checks every target before anything is written: its folder exists or
    // is to be created, and the target itself is not a folder. Returns the
    // first problem as "PATH: reason".
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
};

} // namespace vellora
