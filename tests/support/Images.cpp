#include "Images.h"

#include "widgets/PictureBox.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QPainter>
#include <QtEndian>
#include <cmath>

namespace formulix::test {

QString writeTemplate(const QString &dir, const QString &name, const char *format, QSize pixels, double dpi)
{
    QImage image(pixels, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setPen(QPen(QColor(200, 200, 200), qMax(1, pixels.width() / 400)));
        painter.drawRect(image.rect().adjusted(pixels.width() / 20, pixels.height() / 20, -pixels.width() / 20,
                                              -pixels.height() / 20));
    }
    const double written = dpi > 0 ? dpi : 72;
    image.setDotsPerMeterX(int(std::lround(written / 0.0254)));
    image.setDotsPerMeterY(int(std::lround(written / 0.0254)));
    const QString path = QDir(dir).filePath(name);
    if (!image.save(path, format, 90))
        return QString();
    return dpi > 0 || writeFile(path, withRecordedDpi(readFile(path), 0)) ? path : QString();
}

QByteArray withRecordedDpi(QByteArray bytes, int dpi)
{
    if (bytes.startsWith("BM")) {
        qToLittleEndian<qint32>(qint32(std::lround(dpi / 0.0254)), bytes.data() + 38);
        qToLittleEndian<qint32>(qint32(std::lround(dpi / 0.0254)), bytes.data() + 42);
    } else if (const qsizetype jfif = bytes.indexOf(QByteArrayView("JFIF\0", 5)); jfif > 0) {
        bytes[jfif + 7] = char(dpi > 0 ? 1 : 0); // dots per inch, or no unit: an aspect ratio only
        qToBigEndian<quint16>(quint16(qMax(dpi, 1)), bytes.data() + jfif + 8);
        qToBigEndian<quint16>(quint16(qMax(dpi, 1)), bytes.data() + jfif + 10);
    }
    return bytes;
}

int inkIn(const PictureBox &box, const QRectF &mm)
{
    const QImage &image = box.image();
    const double scale = box.pixelsPerMm() * image.devicePixelRatio();
    const QRect area = QRect(int(mm.left() * scale), int(mm.top() * scale), int(std::ceil(mm.width() * scale)),
                             int(std::ceil(mm.height() * scale)))
                           .intersected(image.rect());
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 100)
                ++dark;
        }
    }
    return dark;
}

} // namespace formulix::test
