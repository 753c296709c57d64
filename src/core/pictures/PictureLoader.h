#pragma once
// Loads a template scan (JPEG, BMP, PNG or TIFF) as a picture of its real size, decoded only as finely as
// the screen needs and never beyond the pixel budget, whatever the file claims.

#include "core/pictures/Picture.h"

#include <QString>
#include <optional>

namespace formulix {

// A template's real size on each side: an A0 sheet fits, and so does an A3 scan at 600 dpi whose
// file lost its resolution (2.6 m at 96 dpi, 3.5 m at 72 dpi).
constexpr double MinTemplateSideMm = 10;
constexpr double MaxTemplateSideMm = 4000;

struct ImageHeader
{
    QByteArray format; // "jpeg" or "bmp"
    QSize pixels;
    // The resolution the picture is taken at: a JPEG's JFIF density, else its EXIF resolution,
    // whichever gives a sane size first; 0 when the file records none.
    double dpiX = 0;
    double dpiY = 0;
    // How the stored rows lie, as the TIFF and EXIF Orientation values say: 1 upright, 2 to 4
    // mirrored or turned 180 degrees, 5 to 8 turned a quarter (width and height swap).
    int orientation = 1;
};

// Reads what the file says of itself without decoding it; nothing for other kinds of file.
std::optional<ImageHeader> readImageHeader(const QByteArray &data);

// The picture of the file, decoded at no more than `pixelsPerMm` (device pixels per millimetre
// of its real size) and within the pixel budget. Nothing, with a Romanian message naming the
// file in `error`, when the file is not a whole, readable JPEG or BMP of a sane size. Without a
// recorded resolution a picture is taken at 96 dpi.
// A PDF gives its page `page` (from 0) at its page size.
std::optional<Picture> loadPicture(const QString &path, double pixelsPerMm, QString *error = nullptr, int page = 0);

// The same for bytes already read; `name` is the file the messages name.
std::optional<Picture> decodePicture(const QByteArray &data, const QString &name, double pixelsPerMm,
                                     QString *error = nullptr, int page = 0);

// How many pages a template file offers to choose from: a PDF's pages, 1 for a picture; -1,
// with the reason, when the file cannot be read at all.
int templatePageCount(const QString &path, QString *error = nullptr);

} // namespace formulix
