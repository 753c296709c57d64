#pragma once
// Template scans made on the spot: JPEG and BMP files of a given size and resolution.

#include <QImage>
#include <QRectF>
#include <QString>

namespace formulix {
class PictureBox;
}

namespace formulix::test {

// A light form (grey frame lines on white) of `pixels` at `dpi`; dpi 0 writes a file that records
// no resolution. Returns the path.
QString writeTemplate(const QString &dir, const QString &name, const char *format, QSize pixels, double dpi);

// A JPEG or BMP file's bytes recording `dpi` as its resolution; dpi 0 records none.
QByteArray withRecordedDpi(QByteArray bytes, int dpi);

// Dark pixels of the box's image inside a rectangle given in millimetres.
int inkIn(const PictureBox &box, const QRectF &mm);

} // namespace formulix::test
