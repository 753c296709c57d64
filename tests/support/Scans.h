#pragma once
// Scans as scanners, phones and damaged disks leave them: JPEGs with chosen densities, EXIF
// blocks and progressive scan orders, and BMPs with the older headers and run-length coding.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QList>
#include <QStringList>
#include <functional>

namespace formulix::test {

// Little-endian numbers appended to a file being written.
void put16le(QByteArray &bytes, int value);
void put32le(QByteArray &bytes, qint64 value);

// A form-like picture with enough detail that a wrong decode shows.
QImage formImage(QSize pixels, bool color);

struct JpegOptions
{
    int quality = 85;
    bool progressive = false;
    bool separateDcScans = false; // progressive with one DC scan per component
    int restartInterval = 0; // in MCUs
    bool jfif = true;
    int jfifUnit = 0; // 0 aspect ratio only, 1 dots per inch, 2 dots per centimetre
    int jfifX = 1, jfifY = 1;
};

QByteArray encodeJpeg(const QImage &image, const JpegOptions &options = {});
// The same for a picture too large to hold: `row` fills row y (RGB triplets, or grey bytes).
QByteArray encodeJpeg(QSize pixels, bool color, const std::function<void(int y, uchar *row)> &row,
                      const JpegOptions &options = {});

// The JPEG with an EXIF block holding `resolution` in `unit` (2 inch, 3 cm); 0 writes a block
// that records no resolution.
QByteArray withExifResolution(const QByteArray &jpeg, double resolution, int unit = 2);

// Cut at `fraction` of its length and given an end-of-image marker.
QByteArray cutWithEndMarker(const QByteArray &jpeg, double fraction);

// BMPs of a grey picture: the 12-byte OS/2 header with 24-bit rows, or 8- and 4-bit run-length
// coding (256 or 16 grey levels).
QByteArray encodeCoreBmp(const QImage &image);
QByteArray encodeRleBmp(const QImage &image, bool fourBits, double dpi);

// What other programs make of `input`, written as `inputName` in a folder of its own: each step,
// a program and its arguments, runs there in turn, and the bytes of `result` there are returned.
// Empty, with the reason in `why`, when a tool is missing or fails.
QByteArray madeByTools(const QByteArray &input, const QString &inputName, const QList<QStringList> &steps,
                       QString *why, const QString &result = QStringLiteral("scan.tif"));

// How much the process's resident memory rose past its size at construction, at its peak.
class PeakMemory
{
public:
    PeakMemory();
    double grownMb() const;

private:
    qint64 m_startKb = 0;
};

} // namespace formulix::test
