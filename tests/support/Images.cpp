#include "Images.h"

#include "platform/PictureBox.h"

#include <QDir>
#include <QFile>
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
    if (dpi > 0)
        return path;

    // Erase the resolution the writer recorded.
    QFile file(path);
    file.open(QIODevice::ReadWrite);
    QByteArray data = file.readAll();
    if (qstrcmp(format, "BMP") == 0 || qstrcmp(format, "bmp") == 0) {
        qToLittleEndian<qint32>(0, data.data() + 38);
        qToLittleEndian<qint32>(0, data.data() + 42);
    } else {
        const qsizetype jfif = data.indexOf(QByteArrayView("JFIF\0", 5));
        if (jfif > 0) {
            data[jfif + 7] = 0; // no unit: an aspect ratio only
            qToBigEndian<quint16>(1, data.data() + jfif + 8);
            qToBigEndian<quint16>(1, data.data() + jfif + 10);
        }
    }
    file.seek(0);
    file.write(data);
    return path;
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
