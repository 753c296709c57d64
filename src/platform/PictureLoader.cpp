#include "platform/PictureLoader.h"

#include "platform/Units.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QtEndian>
#include <cmath>

namespace formulix {

namespace {

// Far beyond any scan of a paper form (an A3 page at 1200 dpi is 14000 x 19800), and small
// enough that a lying header cannot make us reserve gigabytes.
constexpr int MaxSide = 32768;
constexpr qint64 MaxPixels = 300'000'000;

quint16 be16(const uchar *p) { return qFromBigEndian<quint16>(p); }

std::optional<ImageHeader> jpegHeader(const QByteArray &data)
{
    ImageHeader header{"jpeg", {}, 0, 0};
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    const qsizetype size = data.size();
    qsizetype pos = 2;
    while (pos + 4 <= size) {
        if (bytes[pos] != 0xFF)
            return std::nullopt;
        const uchar marker = bytes[pos + 1];
        if (marker == 0xFF) { // fill byte
            ++pos;
            continue;
        }
        if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7)) {
            pos += 2;
            continue;
        }
        const quint16 length = be16(bytes + pos + 2);
        if (length < 2 || pos + 2 + length > size)
            return std::nullopt;
        const uchar *segment = bytes + pos + 4;
        if (marker == 0xE0 && length >= 16 && memcmp(segment, "JFIF\0", 5) == 0) {
            const uchar unit = segment[7];
            const double x = be16(segment + 8), y = be16(segment + 10);
            if (unit == 1 && x > 0 && y > 0) { // dots per inch
                header.dpiX = x;
                header.dpiY = y;
            } else if (unit == 2 && x > 0 && y > 0) { // dots per centimetre
                header.dpiX = x * 2.54;
                header.dpiY = y * 2.54;
            }
        }
        // Start of frame (C0..CF, but C4 DHT, C8 JPG and CC DAC are not frames).
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            if (length < 7)
                return std::nullopt;
            header.pixels = QSize(be16(segment + 3), be16(segment + 1));
            return header;
        }
        if (marker == 0xDA || marker == 0xD9)
            return std::nullopt; // scan data before any frame header
        pos += 2 + length;
    }
    return std::nullopt;
}

std::optional<ImageHeader> bmpHeader(const QByteArray &data)
{
    if (data.size() < 26)
        return std::nullopt;
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    const quint32 infoSize = qFromLittleEndian<quint32>(bytes + 14);
    ImageHeader header{"bmp", {}, 0, 0};
    if (infoSize == 12) { // OS/2 core header: 16-bit sizes, no resolution
        header.pixels = QSize(qFromLittleEndian<quint16>(bytes + 18), qFromLittleEndian<quint16>(bytes + 20));
        return header;
    }
    if (infoSize < 40 || data.size() < 46)
        return std::nullopt;
    const qint32 width = qFromLittleEndian<qint32>(bytes + 18);
    const qint32 height = qFromLittleEndian<qint32>(bytes + 22);
    if (width <= 0 || height == 0 || height == std::numeric_limits<qint32>::min())
        return std::nullopt;
    header.pixels = QSize(width, std::abs(height));
    const qint32 ppmX = qFromLittleEndian<qint32>(bytes + 38);
    const qint32 ppmY = qFromLittleEndian<qint32>(bytes + 42);
    if (ppmX > 0 && ppmY > 0) {
        header.dpiX = ppmX * 0.0254;
        header.dpiY = ppmY * 0.0254;
    }
    return header;
}

// A JPEG whose end-of-image marker is missing was cut short: the decoder would fill the rest
// with grey and call it a success.
bool jpegIsWhole(const QByteArray &data)
{
    const qsizetype scan = data.lastIndexOf(QByteArrayView("\xFF\xDA", 2));
    const qsizetype end = data.lastIndexOf(QByteArrayView("\xFF\xD9", 2));
    return scan > 0 && end > scan;
}

// An uncompressed BMP must hold all the rows its header announces.
bool bmpIsWhole(const QByteArray &data, const ImageHeader &header)
{
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    const quint32 infoSize = qFromLittleEndian<quint32>(bytes + 14);
    if (infoSize < 40)
        return true;
    const quint32 dataOffset = qFromLittleEndian<quint32>(bytes + 10);
    const quint16 bitCount = qFromLittleEndian<quint16>(bytes + 28);
    const quint32 compression = qFromLittleEndian<quint32>(bytes + 30);
    if (compression != 0 && compression != 3) // RLE: the decoder checks its own runs
        return true;
    const qint64 rowBytes = ((qint64(header.pixels.width()) * bitCount + 31) / 32) * 4;
    return qint64(dataOffset) + rowBytes * header.pixels.height() <= data.size();
}

} // namespace

std::optional<ImageHeader> readImageHeader(const QByteArray &data)
{
    if (data.startsWith("\xFF\xD8"))
        return jpegHeader(data);
    if (data.startsWith("BM"))
        return bmpHeader(data);
    return std::nullopt;
}

std::optional<Picture> loadPicture(const QString &path, double pixelsPerMm)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // A scan is a few megabytes; anything claiming to be far larger is not one.
    if (file.size() > qint64(MaxPixels) * 4 + 1024 * 1024)
        return std::nullopt;
    const QByteArray data = file.readAll();
    const std::optional<ImageHeader> header = readImageHeader(data);
    if (!header || header->pixels.isEmpty() || header->pixels.width() > MaxSide
        || header->pixels.height() > MaxSide
        || qint64(header->pixels.width()) * header->pixels.height() > MaxPixels)
        return std::nullopt;
    if (header->format == "jpeg" ? !jpegIsWhole(data) : !bmpIsWhole(data, *header))
        return std::nullopt;

    const double dpiX = header->dpiX > 0 ? header->dpiX : 96.0;
    const double dpiY = header->dpiY > 0 ? header->dpiY : 96.0;
    const QSizeF sizeMm(header->pixels.width() * MmPerInch / dpiX, header->pixels.height() * MmPerInch / dpiY);

    // Decode no finer than the screen shows it; the JPEG decoder then scales while decoding.
    QSize decoded = header->pixels;
    const QSize needed = pictureDevicePixels(sizeMm, pixelsPerMm);
    if (needed.width() > 0 && needed.height() > 0 && needed.width() < decoded.width()
        && needed.height() < decoded.height())
        decoded = needed;

    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, header->format);
    reader.setAutoTransform(false);
    if (decoded != header->pixels)
        reader.setScaledSize(decoded);
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return std::nullopt;
    return Picture{image.convertToFormat(QImage::Format_RGB32), sizeMm};
}

} // namespace formulix
