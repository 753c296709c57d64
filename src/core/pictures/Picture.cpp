#include "core/pictures/Picture.h"

#include "core/text/Units.h"

#include <cmath>

namespace formulix {

Picture Picture::fromImage(const QImage &image)
{
    const double dpiX = image.dotsPerMeterX() * 0.0254;
    const double dpiY = image.dotsPerMeterY() * 0.0254;
    return fromImage(image, dpiX, dpiY);
}

Picture Picture::fromImage(const QImage &image, double dpiX, double dpiY)
{
    if (!(dpiX > 0))
        dpiX = 96.0;
    if (!(dpiY > 0))
        dpiY = 96.0;
    return {image, QSizeF(image.width() * MmPerInch / dpiX, image.height() * MmPerInch / dpiY)};
}

QSize pictureDevicePixels(QSizeF sizeMm, double pixelsPerMm)
{
    return QSize(int(std::ceil(sizeMm.width() * pixelsPerMm - 1e-9)), int(std::ceil(sizeMm.height() * pixelsPerMm - 1e-9)));
}

QSize withinPixelBudget(QSize pixels)
{
    const qint64 area = qint64(pixels.width()) * pixels.height();
    if (pixels.isEmpty() || area <= PixelBudget)
        return pixels;
    const double scale = std::sqrt(double(PixelBudget) / double(area));
    return QSize(qMax(1, int(pixels.width() * scale)), qMax(1, int(pixels.height() * scale)));
}

} // namespace formulix
