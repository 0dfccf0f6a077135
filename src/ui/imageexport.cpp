// SPDX-License-Identifier: MIT
#include "ui/imageexport.h"

#include "bitmap/pngwriter.h"
#include "document/outputfiles.h"

#include <QDir>
#include <QFile>

#include <cstring>

namespace vellora {

namespace {

std::string Native(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

std::optional<QString> Written(OutputFiles& files) {
    if (auto problem = files.write())
        return QString::fromLocal8Bit(problem->c_str());
    return std::nullopt;
}

} // namespace

std::optional<QString> WriteImagePng(const QImage& image, const QString& path) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull() || rgb.width() <= 0 || rgb.height() <= 0)
        return QStringLiteral("There is no picture to save.");
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(rgb.width()) *
                                     static_cast<std::size_t>(rgb.height()) * 3u);
    const std::size_t rowBytes = static_cast<std::size_t>(rgb.width()) * 3u;
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(pixels.data() + static_cast<std::size_t>(y) * rowBytes, rgb.constScanLine(y), rowBytes);
    OutputFiles files;
    files.add(Native(path), EncodePng(rgb.width(), rgb.height(), 3, pixels));
    return Written(files);
}

std::optional<QString> WriteLevelPngs(const TileTable& tiles, int lastIndex, const QString& folder) {
    OutputFiles files;
    for (int i = 0; i <= lastIndex && i < kLevelCount; ++i) {
        const QString path = QDir(folder).filePath(QStringLiteral("level-%1.png").arg(i));
        files.add(Native(path), EncodeLevelPng(tiles[static_cast<std::size_t>(i)]));
    }
    return Written(files);
}

} // namespace vellora
