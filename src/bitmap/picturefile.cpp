// SPDX-License-Identifier: MIT
#include "picturefile.h"

#include "bmpreader.h"
#include "pngreader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace vellora {

namespace {

std::string_view FileNameOf(std::string_view path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool EndsWithNoCase(std::string_view text, std::string_view tail) {
    if (text.size() < tail.size())
        return false;
    const std::string_view end = text.substr(text.size() - tail.size());
    for (std::size_t i = 0; i < tail.size(); ++i) {
        char c = end[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != tail[i])
            return false;
    }
    return true;
}

const char* NotRegularKind(std::filesystem::file_type type) {
    switch (type) {
    case std::filesystem::file_type::directory:
        return "a folder";
    case std::filesystem::file_type::fifo:
        return "a FIFO";
    case std::filesystem::file_type::block:
    case std::filesystem::file_type::character:
        return "a device";
    case std::filesystem::file_type::socket:
        return "a socket";
    default:
        return "not a regular file";
    }
}

// A regular file's length, or the reason it cannot be read.
std::optional<std::uintmax_t> RegularFileLength(const std::string& path, FileBytes& r) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        r.error = "No such file: " + path;
        return std::nullopt;
    }
    if (ec) {
        r.error = "Cannot read the file (" + ec.message() + "): " + path;
        return std::nullopt;
    }
    // Reading a FIFO or a device could block for ever or never end, and
    // neither reports a length: only plain files are read.
    if (!std::filesystem::is_regular_file(status)) {
        r.error =
            std::string("Cannot read ") + NotRegularKind(status.type()) + ", only regular files: " + path;
        return std::nullopt;
    }
    const std::uintmax_t length = std::filesystem::file_size(path, ec);
    if (ec) {
        r.error = "Cannot read the file (" + ec.message() + "): " + path;
        return std::nullopt;
    }
    return length;
}

// Why a file that exists cannot be opened: the system's own words.
std::string CannotOpen(const std::string& path, int error) {
    return "Cannot open the file (" + std::string(error != 0 ? std::strerror(error) : "unknown reason") +
           "): " + path;
}

// Reads a file's bytes from the start, as far as asked and no further.
class PrefixReader {
  public:
    PrefixReader(const std::string& path, std::uintmax_t length, std::vector<std::uint8_t>& bytes)
        : length_(length), bytes_(bytes) {
        errno = 0;
        file_.open(path, std::ios::binary);
        openError_ = file_ ? 0 : errno;
    }
    // The system's reason when the file did not open.
    int openError() const { return openError_; }
    bool open() const { return static_cast<bool>(file_); }
    // Makes the first upTo bytes (at most the file's length) present; false
    // on a read error. A file that shrank meanwhile ends where it ends.
    bool fill(std::uint64_t upTo) {
        upTo = std::min<std::uint64_t>(upTo, length_);
        const std::size_t old = bytes_.size();
        if (upTo <= old || ended_)
            return true;
        bytes_.resize(static_cast<std::size_t>(upTo));
        file_.read(reinterpret_cast<char*>(bytes_.data() + old), static_cast<std::streamsize>(upTo - old));
        bytes_.resize(old + static_cast<std::size_t>(file_.gcount()));
        ended_ = bytes_.size() < upTo;
        return !file_.bad();
    }

  private:
    std::ifstream file_;
    int openError_ = 0;
    std::uintmax_t length_;
    std::vector<std::uint8_t>& bytes_;
    bool ended_ = false;
};

std::uint32_t BigEndian32(std::span<const std::uint8_t> b, std::size_t at) {
    return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) | (std::uint32_t{b[at + 2]} << 8) |
           b[at + 3];
}

// Walks a PNG's chunks, reading each, and stops after IEND. Returns false
// when the chunks up to there would take more than kMaxPictureFileBytes. A
// file cut short or a damaged length ends the walk where the file ends; the
// reader then refuses it.
bool ReadPngChunks(PrefixReader& reader, std::vector<std::uint8_t>& bytes, bool& failed) {
    std::uint64_t pos = 8;
    while (true) {
        failed = !reader.fill(pos + 8);
        if (failed || bytes.size() < pos + 8)
            return true;
        const std::uint64_t end = pos + 12 + BigEndian32(bytes, static_cast<std::size_t>(pos));
        if (end > kMaxPictureFileBytes)
            return false;
        failed = !reader.fill(end);
        if (failed || bytes.size() < end)
            return true;
        if (std::memcmp(bytes.data() + pos + 4, "IEND", 4) == 0)
            return true;
        pos = end;
    }
}

// The length of a regular file about to be read; an empty file is read
// already (ok, no bytes). None, with r's error set, for a file that cannot
// be read or is longer than limit.
std::optional<std::uintmax_t> OpenedLength(const std::string& path, FileBytes& r,
                                           std::optional<std::uintmax_t> limit) {
    const std::optional<std::uintmax_t> length = RegularFileLength(path, r);
    if (!length)
        return std::nullopt;
    if (limit && *length > *limit) {
        r.error = "File too large to be read: " + path;
        return std::nullopt;
    }
    return length;
}

} // namespace

FileBytes ReadWholeFile(const std::string& path) {
    FileBytes r;
    // The largest picture a reader accepts needs far less than this.
    constexpr std::uintmax_t kMaxFile = std::uintmax_t{3} << 29;
    const std::optional<std::uintmax_t> length = OpenedLength(path, r, kMaxFile);
    if (!length)
        return r;
    PrefixReader reader(path, *length, r.bytes);
    if (!reader.open()) {
        r.error = CannotOpen(path, reader.openError());
        return r;
    }
    if (!reader.fill(*length)) {
        r.error = "Cannot read the file " + path;
        return r;
    }
    r.ok = true;
    return r;
}

FileBytes ReadPictureBytes(const std::string& path, PictureNeed need) {
    FileBytes r;
    const std::optional<std::uintmax_t> length = OpenedLength(path, r, std::nullopt);
    if (!length)
        return r;
    PrefixReader reader(path, *length, r.bytes);
    if (!reader.open()) {
        r.error = CannotOpen(path, reader.openError());
        return r;
    }
    if (*length == 0) {
        r.ok = true; // an empty file is read; no picture header fits it
        return r;
    }
    // Every header and palette lies in the first 64 KiB.
    constexpr std::uint64_t kHead = 64 * 1024;
    bool failed = !reader.fill(kHead);
    bool fits = true;
    if (need == PictureNeed::Size) {
        // Every header lies in the head.
    } else if (!failed && HasPngSignature(r.bytes)) {
        fits = ReadPngChunks(reader, r.bytes, failed);
    } else if (!failed) {
        const std::uint64_t extent = BmpExtent(r.bytes);
        fits = extent <= kMaxPictureFileBytes;
        if (fits)
            failed = !reader.fill(extent);
    }
    if (failed) {
        r.error = "Cannot read the file " + path;
        r.bytes.clear();
        return r;
    }
    if (!fits) {
        r.error = "File too large to be read: its picture would take more than " +
                  std::to_string(kMaxPictureFileBytes) + " bytes: " + path;
        r.bytes.clear();
        return r;
    }
    r.ok = true;
    return r;
}

PictureReadResult ReadPicture(std::span<const std::uint8_t> bytes, bool pngName, TileLevel& level,
                              std::int64_t maxPixels, PictureNeed need) {
    if (pngName || HasPngSignature(bytes))
        return ReadPng(bytes, level, maxPixels, need);
    return ReadBmp(bytes, level, maxPixels, need);
}

PictureReadResult ReadPictureFile(const std::string& path, TileLevel& level, std::int64_t maxPixels,
                                  PictureNeed need) {
    const FileBytes file = ReadPictureBytes(path, need);
    if (!file.ok) {
        PictureReadResult r;
        r.error = file.error;
        return r;
    }
    return ReadPicture(file.bytes, HasPngName(path), level, maxPixels, need);
}

bool HasExtension(std::string_view path, std::string_view ext) {
    const std::string_view name = FileNameOf(path);
    return name.size() > ext.size() && EndsWithNoCase(name, ext);
}

bool HasPngName(std::string_view path) {
    return EndsWithNoCase(FileNameOf(path), ".png");
}

std::optional<std::string_view> KindSuffixOf(std::string_view path) {
    std::string_view name = FileNameOf(path);
    if (!EndsWithNoCase(name, ".png") && !EndsWithNoCase(name, ".bmp"))
        return std::nullopt;
    name.remove_suffix(4);
    const std::size_t dot = name.find_last_of('.');
    // The kind needs a name before it: ".ci4.png" alone is a hidden file.
    if (dot == std::string_view::npos || dot == 0)
        return std::nullopt;
    return name.substr(dot + 1);
}

std::optional<Kind> KindFromFileName(std::string_view path) {
    const auto suffix = KindSuffixOf(path);
    return suffix ? KindFromName(*suffix) : std::nullopt;
}

std::optional<std::string> UnknownKindSuffix(std::string_view path) {
    const auto suffix = KindSuffixOf(path);
    if (!suffix || KindFromName(*suffix))
        return std::nullopt;
    std::string known;
    for (int k = 0; k < kKindCount; ++k) {
        if (!known.empty())
            known += ", ";
        for (char c : KindName(static_cast<Kind>(k)))
            known.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    }
    std::string line = "The file name's \"";
    line.append(*suffix);
    line += "\" names no texture kind (known: " + known + ")";
    return line;
}

} // namespace vellora
