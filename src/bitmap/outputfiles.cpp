// SPDX-License-Identifier: MIT
#include "outputfiles.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace vellora {

namespace {

fs::path FolderOf(const std::string& path) {
    fs::path folder = fs::path(path).parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

// A folder to be created, or one that creating it creates on the way.
bool IsPlannedFolder(const std::vector<std::string>& folders, const fs::path& folder) {
    const fs::path wanted = folder.lexically_normal();
    return std::any_of(folders.begin(), folders.end(), [&](const std::string& f) {
        const fs::path planned = fs::path(f).lexically_normal();
        auto [w, p] = std::mismatch(wanted.begin(), wanted.end(), planned.begin(), planned.end());
        return w == wanted.end() || (std::next(w) == wanted.end() && w->empty());
    });
}

// A name beside the target nobody else picks: the target's name, the
// process's clock and a counter.
std::string TemporaryName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    const auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
    std::string name(".");
    name.append(fs::path(path).filename().string());
    name.append(".tmp-");
    name.append(std::to_string(tick % 1000000007));
    name.push_back('-');
    name.append(std::to_string(counter++));
    return (FolderOf(path) / name).string();
}

std::string ErrnoText(int error) {
    return error == 0 ? std::string("write failed") : std::string(std::strerror(error));
}

// Writes bytes to a new file at path; "" on success, else the reason.
std::string WriteNew(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    errno = 0;
    // "x": fail rather than reuse anything that already has this name.
    std::FILE* f = std::fopen(path.c_str(), "wbx");
    if (!f)
        return ErrnoText(errno);
    errno = 0;
    const std::size_t written = bytes.empty() ? 0 : std::fwrite(bytes.data(), 1, bytes.size(), f);
    int error = written == bytes.size() ? 0 : (errno != 0 ? errno : EIO);
    errno = 0;
    if (std::fflush(f) != 0 && error == 0)
        error = errno != 0 ? errno : EIO;
    if (std::fclose(f) != 0 && error == 0)
        error = errno != 0 ? errno : EIO;
    return error == 0 ? std::string() : ErrnoText(error);
}

} // namespace

void OutputFiles::addFolder(std::string path) {
    folders_.push_back(std::move(path));
}

void OutputFiles::add(std::string path, std::vector<std::uint8_t> bytes) {
    files_.push_back({std::move(path), std::move(bytes)});
}

std::optional<std::string> OutputFiles::check() const {
    std::error_code ec;
    for (const std::string& folder : folders_) {
        const fs::file_status s = fs::status(folder, ec);
        if (fs::exists(s) && !fs::is_directory(s))
            return folder + ": exists and is not a folder";
    }
    for (const File& file : files_) {
        if (file.bytes.empty())
            return file.path + ": nothing to write";
        const fs::path folder = FolderOf(file.path);
        const fs::file_status fstat = fs::status(folder, ec);
        if (!fs::is_directory(fstat) && !IsPlannedFolder(folders_, folder))
            return file.path + ": the folder " + folder.string() + " does not exist";
        const fs::file_status target = fs::status(file.path, ec);
        if (fs::exists(target) && !fs::is_regular_file(target))
            return file.path + ": exists and is not a regular file";
    }
    return std::nullopt;
}

std::optional<std::string> OutputFiles::write() {
    if (auto problem = check())
        return problem;

    std::vector<fs::path> createdFolders;
    std::vector<std::string> temporaries;
    auto undo = [&] {
        std::error_code ignored;
        for (const std::string& t : temporaries)
            fs::remove(t, ignored);
        // Innermost first: each was created inside the one before it.
        for (auto it = createdFolders.rbegin(); it != createdFolders.rend(); ++it)
            fs::remove(*it, ignored);
    };

    for (const std::string& folder : folders_) {
        // Each missing ancestor is created one by one so that exactly those
        // can be removed again.
        std::vector<fs::path> missing;
        std::error_code ec;
        for (fs::path p = fs::path(folder).lexically_normal(); !p.empty() && !fs::exists(p, ec);
             p = p.parent_path()) {
            missing.push_back(p);
            if (p == p.parent_path())
                break;
        }
        for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
            if (!fs::create_directory(*it, ec) || ec) {
                undo();
                return folder + ": cannot create the folder (" + ec.message() + ")";
            }
            createdFolders.push_back(*it);
        }
    }

    for (const File& file : files_) {
        const std::string temporary = TemporaryName(file.path);
        const std::string reason = WriteNew(temporary, file.bytes);
        if (!reason.empty()) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            undo();
            return file.path + ": cannot write the file (" + reason + ")";
        }
        temporaries.push_back(temporary);
    }

    for (std::size_t i = 0; i < files_.size(); ++i) {
        std::error_code ec;
        fs::rename(temporaries[i], files_[i].path, ec);
        if (ec) {
            // Renames before this one are done and cannot be taken back;
            // every file not yet in place is removed.
            temporaries.erase(temporaries.begin(), temporaries.begin() + static_cast<std::ptrdiff_t>(i));
            createdFolders.clear();
            undo();
            return files_[i].path + ": cannot put the file in place (" + ec.message() + ")";
        }
    }
    return std::nullopt;
}

} // namespace vellora
