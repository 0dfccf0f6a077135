// SPDX-License-Identifier: MIT
#include "document/outputfiles.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

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

// A name beside the target nobody else picks: the process, its clock and a
// counter. It is short whatever the target's name, so it fits wherever the
// target's name fits.
std::string TemporaryName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    const auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
    const std::string name = ".vellora-" + std::to_string(::getpid()) + "-" +
                             std::to_string(tick % 1000000007) + "-" + std::to_string(counter++) + ".tmp";
    return (FolderOf(path) / name).string();
}

// What makes two paths one file: the device and inode of a file that
// exists, else the place the path names once made absolute and normal.
std::string FileKey(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return "inode " + std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
    std::error_code ec;
    const fs::path place = fs::weakly_canonical(fs::absolute(path, ec), ec);
    return ec ? "path " + path : "path " + place.string();
}

void RenameFile(const std::string& from, const std::string& to, std::error_code& ec) {
    fs::rename(from, to, ec);
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

void OutputFiles::addInput(std::string path) {
    inputs_.push_back(std::move(path));
}

void OutputFiles::addStale(std::string path) {
    stale_.push_back(std::move(path));
}

std::optional<std::string> OutputFiles::check() const {
    std::error_code ec;
    // Each path's identity is looked up once, so that a run of many files
    // stays a matter of one lookup a file.
    std::map<std::string, std::string> inputs, targets;
    for (const std::string& input : inputs_)
        inputs.emplace(FileKey(input), input);
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
        const std::string key = FileKey(file.path);
        if (auto input = inputs.find(key); input != inputs.end())
            return file.path + ": is also read by this run (" + input->second + "); choose another name";
        if (auto [other, fresh] = targets.emplace(key, file.path); !fresh)
            return other->second + ": would be written twice by this run (also as " + file.path + ")";
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

    // Each target that exists keeps a second name until every file is in
    // place, so that a failed rename can take the earlier ones back.
    std::vector<std::string> kept(files_.size());
    auto forgetKept = [&] {
        std::error_code ignored;
        for (const std::string& k : kept)
            if (!k.empty())
                fs::remove(k, ignored);
    };
    for (std::size_t i = 0; i < files_.size(); ++i) {
        std::error_code ec;
        if (!fs::exists(files_[i].path, ec))
            continue;
        kept[i] = TemporaryName(files_[i].path);
        fs::create_hard_link(files_[i].path, kept[i], ec);
        if (ec) // a file system without hard links: a copy does as well
            fs::copy_file(files_[i].path, kept[i], ec);
        if (ec) {
            kept[i].clear();
            forgetKept();
            undo();
            return files_[i].path + ": cannot keep the earlier file while replacing it (" + ec.message() +
                   ")";
        }
    }

    const Replace replace = replace_ ? replace_ : Replace(RenameFile);
    for (std::size_t i = 0; i < files_.size(); ++i) {
        std::error_code ec;
        replace(temporaries[i], files_[i].path, ec);
        if (ec) {
            // The files put in place before this one go back to what they were.
            std::error_code ignored;
            for (std::size_t j = 0; j < i; ++j) {
                if (kept[j].empty()) {
                    fs::remove(files_[j].path, ignored);
                } else {
                    // Should even this fail, the earlier file stays under its second name.
                    fs::rename(kept[j], files_[j].path, ignored);
                    kept[j].clear();
                }
            }
            temporaries.erase(temporaries.begin(), temporaries.begin() + static_cast<std::ptrdiff_t>(i));
            forgetKept();
            undo();
            return files_[i].path + ": cannot put the file in place (" + ec.message() + ")";
        }
    }
    forgetKept();
    for (const std::string& path : stale_) {
        std::error_code ec;
        if (fs::is_regular_file(fs::symlink_status(path, ec)))
            fs::remove(path, ec);
    }
    return std::nullopt;
}

} // namespace vellora
