#pragma once
// A picture with its real size, and the pixel budget every held picture keeps to.

#include <QImage>
#include <QSizeF>

namespace formulix {

// A picture together with its real size, taken from the resolution stored in the image.
struct Picture
{
    QImage image;
    QSizeF sizeMm;

    bool isNull() const { return image.isNull(); }

    // Real size from the image's own resolution; 96 dpi when it records none.
    static Picture fromImage(const QImage &image);
    static Picture fromImage(const QImage &image, double dpiX, double dpiY);
};

// The device pixels a picture of `sizeMm` covers at `pixelsPerMm`.
QSize pictureDevicePixels(QSizeF sizeMm, double pixelsPerMm);

// What one picture, or one box's image, may hold whatever a file claims: 32 megapixels (128 MB),
// so the template and the canvas over it stay within 256 MB together. An A3 page at 400 dpi
// still fits whole.
constexpr qint64 PixelBudget = 32LL * 1024 * 1024;

// `pixels`, scaled down evenly when it holds more than the budget.
QSize withinPixelBudget(QSize pixels);

} // namespace formulix
