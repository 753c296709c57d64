#pragma once
// Loads a template scan (JPEG or BMP) as a picture of its real size, decoded only as finely as
// the screen needs.

#include "platform/PictureBox.h"

#include <QString>
#include <optional>

namespace formulix {

struct ImageHeader
{
    QByteArray format; // "jpeg" or "bmp"
    QSize pixels;
    double dpiX = 0; // 0: the file records no resolution
    double dpiY = 0;
};

// Reads what the file says of itself without decoding it; nothing for other kinds of file.
std::optional<ImageHeader> readImageHeader(const QByteArray &data);

// The picture of the file, decoded at no more than `pixelsPerMm` (device pixels per millimetre
// of its real size), or nothing when the file is not a whole, readable JPEG or BMP of a sane
// size. Without a recorded resolution a picture is taken at 96 dpi.
std::optional<Picture> loadPicture(const QString &path, double pixelsPerMm);

} // namespace formulix
