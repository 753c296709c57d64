#include "core/pictures/PictureLoader.h"

#include "core/files/FileSafety.h"
#include "core/files/LazyLibrary.h"
#include "core/pictures/PdfTemplate.h"
#include "core/pictures/TiffDecoder.h"

#include "core/pictures/JpegDecoder.h"
#include "core/text/Units.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QTransform>
#include <QtEndian>
#include <climits>
#include <cmath>

#include <libexif/exif-data.h>

namespace formulix {

namespace {

// Far beyond any scan of a paper form (an A3 page at 1200 dpi is 14000 x 19800), and small
// enough that a lying header cannot make us reserve gigabytes.
constexpr int MaxSide = 32768;
constexpr qint64 MaxPixels = 300'000'000;
constexpr qint64 MaxFileBytes = 512LL * 1024 * 1024;
// A BMP is decoded whole before it is scaled: an A3 page at 600 dpi takes 280 MB.
constexpr qint64 MaxBmpDecodePixels = 128LL * 1024 * 1024;

quint16 be16(const uchar *p) { return qFromBigEndian<quint16>(p); }

struct Density
{
    double x = 0, y = 0;
    bool recorded() const { return x > 0 && y > 0; }
};

QSizeF realSizeMm(QSize pixels, Density density)
{
    const double x = density.recorded() ? density.x : 96.0;
    const double y = density.recorded() ? density.y : 96.0;
    return QSizeF(pixels.width() * MmPerInch / x, pixels.height() * MmPerInch / y);
}

bool saneSize(QSizeF mm)
{
    return mm.width() >= MinTemplateSideMm && mm.height() >= MinTemplateSideMm && mm.width() <= MaxTemplateSideMm
        && mm.height() <= MaxTemplateSideMm;
}

// libexif, opened with the first JPEG template.
#define LIBEXIF_FUNCTIONS(F)                                                                               \
    F(exif_data_new) F(exif_data_unset_option) F(exif_data_load_data) F(exif_data_get_byte_order) F(exif_data_unref) \
    F(exif_content_get_entry) F(exif_get_rational) F(exif_get_short)
FORMULIX_LAZY_LIBRARY(LibExif, LIBEXIF_FUNCTIONS, FORMULIX_LIBEXIF)

// The resolution and the orientation in the EXIF block of an APP1 segment (payload from
// "Exif\0\0").
Density exifDensity(const uchar *payload, int length, int *orientation)
{
    Density density;
    const LibExif *lib = loadLibExif();
    ExifData *exif = lib ? lib->exif_data_new() : nullptr;
    if (!exif)
        return density;
    // Left on, the library would invent the "mandatory" 72 dpi of a block that records none.
    lib->exif_data_unset_option(exif, EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    lib->exif_data_load_data(exif, payload, unsigned(length));
    const ExifByteOrder order = lib->exif_data_get_byte_order(exif);
    ExifContent *ifd = exif->ifd[EXIF_IFD_0];
    auto rational = [&](ExifTag tag) {
        ExifEntry *entry = ifd ? lib->exif_content_get_entry(ifd, tag) : nullptr;
        if (!entry || entry->format != EXIF_FORMAT_RATIONAL || entry->components < 1 || entry->size < 8)
            return 0.0;
        const ExifRational value = lib->exif_get_rational(entry->data, order);
        return value.denominator ? double(value.numerator) / value.denominator : 0.0;
    };
    int unit = 2; // inches, the default
    if (ExifEntry *entry = ifd ? lib->exif_content_get_entry(ifd, EXIF_TAG_RESOLUTION_UNIT) : nullptr) {
        if (entry->format == EXIF_FORMAT_SHORT && entry->size >= 2)
            unit = lib->exif_get_short(entry->data, order);
    }
    if (ExifEntry *entry = ifd ? lib->exif_content_get_entry(ifd, EXIF_TAG_ORIENTATION) : nullptr) {
        const int value =
            entry->format == EXIF_FORMAT_SHORT && entry->size >= 2 ? lib->exif_get_short(entry->data, order) : 1;
        *orientation = value >= 1 && value <= 8 ? value : 1;
    }
    const double factor = unit == 2 ? 1.0 : unit == 3 ? 2.54 : 0.0;
    density.x = rational(EXIF_TAG_X_RESOLUTION) * factor;
    density.y = rational(EXIF_TAG_Y_RESOLUTION) * factor;
    lib->exif_data_unref(exif);
    return density;
}

std::optional<ImageHeader> jpegHeader(const QByteArray &data)
{
    ImageHeader header{"jpeg", {}, 0, 0};
    Density jfif, exif;
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
            if (unit == 1) // dots per inch; unit 0 gives an aspect ratio only
                jfif = {x, y};
            else if (unit == 2) // dots per centimetre
                jfif = {x * 2.54, y * 2.54};
        }
        if (marker == 0xE1 && length >= 8 && memcmp(segment, "Exif\0\0", 6) == 0 && !exif.recorded())
            exif = exifDensity(segment, length - 2, &header.orientation);
        // Start of frame (C0..CF, but C4 DHT, C8 JPG and CC DAC are not frames).
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            if (length < 7)
                return std::nullopt;
            header.pixels = QSize(be16(segment + 3), be16(segment + 1));
            // JFIF first when both are there and sane; a density that gives an absurd size loses
            // to one that does not, and is reported when it is all there is.
            const Density chosen = jfif.recorded() && saneSize(realSizeMm(header.pixels, jfif)) ? jfif
                : exif.recorded() && saneSize(realSizeMm(header.pixels, exif))                 ? exif
                : jfif.recorded()                                                               ? jfif
                                                                                                : exif;
            if (chosen.recorded()) {
                header.dpiX = chosen.x;
                header.dpiY = chosen.y;
            }
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
quint32 be32(const uchar *p) { return qFromBigEndian<quint32>(p); }

// A PNG's size from its IHDR chunk, its resolution from pHYs (pixels per metre).
std::optional<ImageHeader> pngHeader(const QByteArray &data)
{
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    if (data.size() < 33 || QByteArrayView(data).sliced(12, 4) != QByteArrayView("IHDR"))
        return std::nullopt;
    ImageHeader header;
    header.format = "png";
    const quint32 width = be32(bytes + 16), height = be32(bytes + 20);
    header.pixels = QSize(int(std::min<quint32>(width, INT_MAX)), int(std::min<quint32>(height, INT_MAX)));
    for (qsizetype at = 8; at + 12 <= data.size();) {
        const quint32 length = be32(bytes + at);
        const QByteArrayView type = QByteArrayView(data).sliced(at + 4, 4);
        if (type == QByteArrayView("IDAT") || type == QByteArrayView("IEND") || length > quint32(data.size()))
            break;
        if (type == QByteArrayView("pHYs") && length >= 9 && at + 8 + 9 <= data.size() && bytes[at + 16] == 1) {
            header.dpiX = be32(bytes + at + 8) * 0.0254;
            header.dpiY = be32(bytes + at + 12) * 0.0254;
        }
        at += 12 + qsizetype(length);
    }
    return header;
}

// A classic TIFF or a BigTIFF, which libtiff reads as well.
bool isTiff(const QByteArray &data)
{
    return data.startsWith(QByteArrayView("II*\0", 4)) || data.startsWith(QByteArrayView("MM\0*", 4))
        || data.startsWith(QByteArrayView("II+\0", 4)) || data.startsWith(QByteArrayView("MM\0+", 4));
}

bool jpegIsWhole(const QByteArray &data)
{
    const qsizetype scan = data.lastIndexOf(QByteArrayView("\xFF\xDA", 2));
    const qsizetype end = data.lastIndexOf(QByteArrayView("\xFF\xD9", 2));
    return scan > 0 && end > scan;
}

// Run-length coded rows must stay inside the picture and reach its end; the decoder leaves
// whatever a cut or garbled stream does not cover as it was.
bool rleIsWhole(const uchar *bytes, qsizetype size, qsizetype pos, QSize pixels, bool fourBits)
{
    const int width = pixels.width(), height = pixels.height();
    int x = 0, y = 0;
    while (pos + 1 < size) {
        const int count = bytes[pos], code = bytes[pos + 1];
        pos += 2;
        if (count > 0) {
            if (y >= height || x + count > width)
                return false;
            x += count;
            continue;
        }
        if (code == 0) { // end of line
            x = 0;
            ++y;
        } else if (code == 1) { // end of bitmap
            return true;
        } else if (code == 2) { // move right and down
            if (pos + 1 >= size)
                return false;
            x += bytes[pos];
            y += bytes[pos + 1];
            pos += 2;
            if (x > width || y > height)
                return false;
        } else { // literal pixels, padded to a 16-bit boundary
            const int literal = fourBits ? (code + 1) / 2 : code;
            if (y >= height || x + code > width)
                return false;
            pos += literal + (literal & 1);
            if (pos > size)
                return false;
            x += code;
        }
    }
    return y >= height; // every row given, only the end marker missing
}

// A BMP must hold all the rows its header announces.
bool bmpIsWhole(const QByteArray &data, const ImageHeader &header)
{
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    const quint32 infoSize = qFromLittleEndian<quint32>(bytes + 14);
    const quint32 dataOffset = qFromLittleEndian<quint32>(bytes + 10);
    const quint16 bitCount = qFromLittleEndian<quint16>(bytes + (infoSize == 12 ? 24 : 28));
    const quint32 compression = infoSize == 12 ? 0 : qFromLittleEndian<quint32>(bytes + 30);
    if (dataOffset >= quint64(data.size()))
        return false;
    if (compression == 1 || compression == 2)
        return rleIsWhole(bytes, data.size(), dataOffset, header.pixels, compression == 2);
    if (compression != 0 && compression != 3) // embedded JPEG or PNG: the decoder refuses them
        return true;
    const qint64 rowBytes = ((qint64(header.pixels.width()) * bitCount + 31) / 32) * 4;
    return qint64(dataOffset) + rowBytes * header.pixels.height() <= data.size();
}

QString openFailure(const QFile &file)
{
    const QFileInfo info(file.fileName());
    if (!info.exists())
        return QStringLiteral("fisierul nu exista");
    if (info.isDir())
        return QStringLiteral("este un dosar, nu un fisier");
    if (!info.isReadable())
        return QStringLiteral("nu aveti dreptul sa il cititi");
    return readReason(errno, file.errorString());
}

// The picture as it is meant to be seen, from rows that lie as `orientation` says.
QImage upright(const QImage &image, int orientation)
{
    switch (orientation) {
    case 2:
        return image.mirrored(true, false);
    case 3:
        return image.mirrored(true, true);
    case 4:
        return image.mirrored(false, true);
    case 5:
        return image.transformed(QTransform().rotate(90)).mirrored(true, false);
    case 6:
        return image.transformed(QTransform().rotate(90));
    case 7:
        return image.transformed(QTransform().rotate(90)).mirrored(false, true);
    case 8:
        return image.transformed(QTransform().rotate(270));
    default:
        return image;
    }
}

QString millimetres(double mm)
{
    return mm >= 100 ? QString::number(std::lround(mm)) : QString::number(mm, 'f', 1);
}

} // namespace

std::optional<ImageHeader> readImageHeader(const QByteArray &data)
{
    if (data.startsWith("\xFF\xD8"))
        return jpegHeader(data);
    if (data.startsWith("BM"))
        return bmpHeader(data);
    if (data.startsWith("\x89PNG\r\n\x1a\n"))
        return pngHeader(data);
    if (isTiff(data))
        return tiffHeader(data);
    return std::nullopt;
}

namespace {

// The file mapped, a large scan costing no copy of its bytes; nothing, with the reason, when it
// cannot be opened or is too large for a template.
std::optional<QByteArray> mapTemplate(QFile &file, const QString &name, QString *error)
{
    // A pipe would keep the open waiting for ever and a device, its size shown as 0, would be
    // read without end: only a regular file is opened.
    const QFileInfo info(file.fileName());
    const QString notFile = info.exists() && !info.isDir() ? notRegularFile(file.fileName()) : QString();
    if (!notFile.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Fisierul %1 nu poate fi deschis: %2.").arg(name, notFile.isEmpty() ? openFailure(file) : notFile);
        return std::nullopt;
    }
    if (file.size() > MaxFileBytes) {
        if (error)
            *error = QStringLiteral("Fisierul %1 are %2 MB, prea mult pentru o macheta scanata.")
                         .arg(name)
                         .arg(file.size() / (1024 * 1024));
        return std::nullopt;
    }
    if (uchar *mapped = file.size() > 0 ? file.map(0, file.size()) : nullptr)
        return QByteArray::fromRawData(reinterpret_cast<const char *>(mapped), file.size());
    return file.readAll();
}

} // namespace

std::optional<Picture> loadPicture(const QString &path, double pixelsPerMm, QString *error, int page)
{
    QFile file(path);
    const QString name = QDir::toNativeSeparators(path);
    const std::optional<QByteArray> data = mapTemplate(file, name, error);
    return data ? decodePicture(*data, name, pixelsPerMm, error, page) : std::nullopt;
}

int templatePageCount(const QString &path, QString *error)
{
    QFile file(path);
    const QString name = QDir::toNativeSeparators(path);
    const std::optional<QByteArray> data = mapTemplate(file, name, error);
    if (!data)
        return -1;
    if (isPdf(*data))
        return pdfPageCount(*data, name, error);
    if (isTiff(*data))
        return std::max(1, tiffPageCount(*data));
    return 1;
}

std::optional<Picture> decodePicture(const QByteArray &data, const QString &name, double pixelsPerMm, QString *error,
                                     int page)
{
    if (isPdf(data))
        return renderPdfTemplate(data, page, name, pixelsPerMm, error);
    auto fail = [error](const QString &message) -> std::optional<Picture> {
        if (error)
            *error = message;
        return std::nullopt;
    };
    const QString damaged = QStringLiteral("Fisierul %1 este deteriorat sau incomplet: imaginea nu poate fi citita in intregime.").arg(name);
    // The libraries a scan is read with are opened with the first one of its kind.
    QString missing;
    if (data.startsWith("\xFF\xD8"))
        missing = loadLibExif() ? missingJpegLibrary() : missingLibraryReason(FORMULIX_LIBEXIF, "libexif12");
    else if (isTiff(data))
        missing = missingTiffLibrary();
    if (!missing.isEmpty())
        return fail(QStringLiteral("Imaginea %1 nu poate fi citita: %2.").arg(name, missing));

    const std::optional<ImageHeader> header = isTiff(data) ? tiffHeader(data, page) : readImageHeader(data);
    if (!header || header->pixels.isEmpty()) {
        if (data.startsWith("\xFF\xD8") || data.startsWith("BM") || data.startsWith("\x89PNG") || isTiff(data))
            return fail(damaged);
        return fail(QStringLiteral("Fisierul %1 nu este o imagine JPEG, BMP, PNG sau TIFF, nici un document PDF.").arg(name));
    }
    const QSize pixels = header->pixels;
    if (pixels.width() > MaxSide || pixels.height() > MaxSide || qint64(pixels.width()) * pixels.height() > MaxPixels
        || (header->format != "jpeg" && header->format != "tiff" && qint64(pixels.width()) * pixels.height() > MaxBmpDecodePixels))
        return fail(QStringLiteral("Imaginea %1 are %2 x %3 pixeli, prea multi pentru o macheta.")
                        .arg(name).arg(pixels.width()).arg(pixels.height()));

    // In the stored rows' direction until the picture is turned upright at the end.
    const QSizeF sizeMm = realSizeMm(pixels, {header->dpiX, header->dpiY});
    const QSizeF shownMm = header->orientation >= 5 ? sizeMm.transposed() : sizeMm;
    if (!saneSize(sizeMm))
        return fail(QStringLiteral("Macheta %1 ar masura %2 x %3 mm dupa rezolutia inregistrata in fisier; o macheta "
                                   "masoara intre %4 si %5 mm pe fiecare latura. Scanati formularul la 100 % sau "
                                   "corectati rezolutia imaginii.")
                        .arg(name, millimetres(shownMm.width()), millimetres(shownMm.height()))
                        .arg(MinTemplateSideMm)
                        .arg(MaxTemplateSideMm));
    if (header->format == "jpeg" ? !jpegIsWhole(data)
        : header->format == "bmp" ? !bmpIsWhole(data, *header)
        : header->format == "png" ? !data.contains("IEND")
                                  : false)
        return fail(damaged);

    // Decode no finer than the screen shows it, and never beyond the budget.
    QSize decoded = pixels;
    const QSize needed = pictureDevicePixels(sizeMm, pixelsPerMm);
    if (needed.width() > 0 && needed.height() > 0 && needed.width() < decoded.width()
        && needed.height() < decoded.height())
        decoded = needed;
    decoded = withinPixelBudget(decoded);

    QImage image;
    if (header->format == "jpeg") {
        JpegFailure failure = JpegFailure::None;
        image = decodeJpeg(data, decoded, &failure);
        if (failure == JpegFailure::TooLarge)
            return fail(QStringLiteral("Imaginea %1 nu poate fi citita in memoria rezervata unei machete.").arg(name));
        if (failure == JpegFailure::Unsupported)
            return fail(QStringLiteral("Imaginea %1 foloseste un fel de compresie JPEG pe care Formulix nu il citeste.").arg(name));
    } else if (header->format == "tiff") { // never whole: a line, a strip or a row of tiles at a time
        TiffOutcome outcome = TiffOutcome::Damaged;
        image = decodeTiff(data, page, pixels, decoded, &outcome);
        if (outcome == TiffOutcome::TooLarge)
            return fail(QStringLiteral("Imaginea %1 nu poate fi citita in memoria rezervata unei machete.").arg(name));
        if (outcome == TiffOutcome::Unsupported)
            return fail(QStringLiteral("Imaginea %1 este un TIFF de un fel pe care Formulix nu il citeste.").arg(name));
    } else {
        QByteArray bytes = data;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, header->format);
        reader.setAutoTransform(false);
        if (page > 0 && !reader.jumpToImage(page))
            return fail(QStringLiteral("Fisierul %1 nu are pagina %2.").arg(name).arg(page + 1));
        reader.setAllocationLimit(int(MaxBmpDecodePixels * 4 / (1024 * 1024)) + 1);
        if (decoded != pixels)
            reader.setScaledSize(decoded);
        if (!reader.read(&image))
            image = QImage();
    }
    if (image.isNull())
        return fail(damaged);
    if (image.hasAlphaChannel()) { // a transparent scan lies on white paper
        QImage paper(image.size(), QImage::Format_RGB32);
        paper.fill(Qt::white);
        QPainter(&paper).drawImage(0, 0, image);
        image = paper;
    }
    image = upright(image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32),
                    header->orientation);
    return Picture{image, shownMm};
}

} // namespace formulix
