// SPDX-License-Identifier: MIT
#include "picturefile.h"

#include "bmpreader.h"
#include "pngreader.h"

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

} // namespace

FileBytes ReadWholeFile(const std::string& path) {
    FileBytes r;
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        r.ok = true;
        return r;
    }
    if (ec) {
        r.error = "Cannot read the file " + path;
        return r;
    }
    // Reading a FIFO or a device could block for ever or never end, and
    // neither reports a length: only plain files are read.
    if (!std::filesystem::is_regular_file(status)) {
        r.error =
            std::string("Cannot read ") + NotRegularKind(status.type()) + ", only regular files: " + path;
        return r;
    }
    const std::uintmax_t length = std::filesystem::file_size(path, ec);
    // The largest picture a reader accepts needs far less than this.
    constexpr std::uintmax_t kMaxFile = std::uintmax_t{3} << 29;
    if (ec || length > kMaxFile) {
        r.error = "File too large to be read: " + path;
        return r;
    }
    r.bytes.resize(static_cast<std::size_t>(length));
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        r.error = "Cannot open the file " + path;
        return r;
    }
    file.read(reinterpret_cast<char*>(r.bytes.data()), static_cast<std::streamsize>(r.bytes.size()));
    // A file that shrank meanwhile keeps zeros where its data ended.
    if (file.bad()) {
        r.error = "Cannot read the file " + path;
        return r;
    }
    r.ok = true;
    return r;
}

PictureReadResult ReadPicture(std::span<const std::uint8_t> bytes, bool pngName, TileLevel& level) {
    if (pngName || HasPngSignature(bytes))
        return ReadPng(bytes, level);
    return ReadBmp(bytes, level);
}

PictureReadResult ReadPictureFile(const std::string& path, TileLevel& level) {
    const FileBytes file = ReadWholeFile(path);
    if (!file.ok) {
        PictureReadResult r;
        r.error = file.error;
        return r;
    }
    return ReadPicture(file.bytes, HasPngName(path), level);
}

bool HasExtension(std::string_view path, std::string_view ext) {
    const std::string_view name = FileNameOf(path);
    return name.size() > ext.size() && EndsWithNoCase(name, ext);
}

bool HasPngName(std::string_view path) {
    return EndsWithNoCase(FileNameOf(path), ".png");
}

std::optional<Kind> KindFromFileName(std::string_view path) {
    std::string_view name = FileNameOf(path);
    if (!EndsWithNoCase(name, ".png") && !EndsWithNoCase(name, ".bmp"))
        return std::nullopt;
    name.remove_suffix(4);
    const std::size_t dot = name.find_last_of('.');
    // The kind needs a name before it: ".ci4.png" alone is a hidden file.
    if (dot == std::string_view::npos || dot == 0)
        return std::nullopt;
    return KindFromName(name.substr(dot + 1));
}

} // namespace vellora
