#include "Scans.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QPainter>
#include <QtEndian>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>
#include <malloc.h>

namespace formulix::test {

void put16le(QByteArray &bytes, int value)
{
    bytes.append(char(value & 0xFF)).append(char(value >> 8 & 0xFF));
}

void put32le(QByteArray &bytes, qint64 value)
{
    put16le(bytes, int(value & 0xFFFF));
    put16le(bytes, int(value >> 16 & 0xFFFF));
}

QImage formImage(QSize pixels, bool color)
{
    QImage image(pixels, color ? QImage::Format_RGB32 : QImage::Format_Grayscale8);
    image.fill(Qt::white);
    QPainter painter(&image);
    const int w = pixels.width(), h = pixels.height();
    painter.setPen(QPen(QColor(60, 60, 60), qMax(1, w / 300)));
    painter.drawRect(w / 20, h / 20, w - w / 10, h - h / 10);
    for (int i = 1; i < 8; ++i)
        painter.drawLine(w / 10, h * i / 9, w * 9 / 10, h * i / 9);
    painter.fillRect(w / 8, h / 6, w / 4, h / 8, color ? QColor(200, 30, 30) : QColor(90, 90, 90));
    painter.fillRect(w / 2, h / 6, w / 4, h / 8, color ? QColor(30, 60, 200) : QColor(170, 170, 170));
    painter.fillRect(w / 8, h * 2 / 3, w / 3, h / 6, color ? QColor(40, 160, 60) : QColor(40, 40, 40));
    return image;
}

QByteArray encodeJpeg(const QImage &source, const JpegOptions &options)
{
    const bool gray = source.format() == QImage::Format_Grayscale8;
    const QImage image = gray ? source : source.convertToFormat(QImage::Format_RGB888);
    const qsizetype rowBytes = qsizetype(image.width()) * (gray ? 1 : 3);
    return encodeJpeg(image.size(), !gray,
                      [&image, rowBytes](int y, uchar *row) { memcpy(row, image.constScanLine(y), size_t(rowBytes)); },
                      options);
}

QByteArray encodeJpeg(QSize pixels, bool color, const std::function<void(int y, uchar *row)> &fill,
                      const JpegOptions &options)
{
    const bool gray = !color;
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(pixels.width());
    info.image_height = JDIMENSION(pixels.height());
    info.input_components = gray ? 1 : 3;
    info.in_color_space = gray ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, options.quality, TRUE);
    info.write_JFIF_header = options.jfif ? TRUE : FALSE;
    info.density_unit = UINT8(options.jfifUnit);
    info.X_density = UINT16(options.jfifX);
    info.Y_density = UINT16(options.jfifY);
    info.restart_interval = unsigned(options.restartInterval);
    static const jpeg_scan_info separateColor[] = {
        {1, {0}, 0, 0, 0, 1}, {1, {1}, 0, 0, 0, 1}, {1, {2}, 0, 0, 0, 1},
        {1, {0}, 1, 63, 0, 0}, {1, {1}, 1, 63, 0, 0}, {1, {2}, 1, 63, 0, 0},
        {1, {0}, 0, 0, 1, 0}, {1, {1}, 0, 0, 1, 0}, {1, {2}, 0, 0, 1, 0},
    };
    static const jpeg_scan_info separateGray[] = {{1, {0}, 0, 0, 0, 1}, {1, {0}, 1, 63, 0, 0}, {1, {0}, 0, 0, 1, 0}};
    if (options.separateDcScans) {
        info.scan_info = gray ? separateGray : separateColor;
        info.num_scans = gray ? 3 : 9;
    } else if (options.progressive) {
        jpeg_simple_progression(&info);
    }
    jpeg_start_compress(&info, TRUE);
    std::vector<uchar> pixelsOfRow(size_t(pixels.width()) * (gray ? 1 : 3));
    while (info.next_scanline < info.image_height) {
        fill(int(info.next_scanline), pixelsOfRow.data());
        JSAMPROW row = pixelsOfRow.data();
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    const QByteArray bytes(reinterpret_cast<const char *>(buffer), qsizetype(size));
    jpeg_destroy_compress(&info);
    free(buffer);
    return bytes;
}

QByteArray withExifResolution(const QByteArray &jpeg, double resolution, int unit)
{
    // A little-endian TIFF block: IFD0 with the resolution tags, or with the orientation alone.
    QByteArray tiff("II\x2A\x00\x08\x00\x00\x00", 8);
    const auto put16 = [&tiff](int v) { put16le(tiff, v); };
    const auto put32 = [&tiff](quint32 v) { put32le(tiff, v); };
    const quint32 denominator = 1000;
    const quint32 numerator = quint32(std::lround(resolution * denominator));
    if (resolution > 0) {
        const quint32 rationals = 8 + 2 + 3 * 12 + 4;
        put16(3);
        put16(0x011A), put16(5), put32(1), put32(rationals);
        put16(0x011B), put16(5), put32(1), put32(rationals + 8);
        put16(0x0128), put16(3), put32(1), put32(quint32(unit));
        put32(0);
        put32(numerator), put32(denominator), put32(numerator), put32(denominator);
    } else {
        put16(1);
        put16(0x0112), put16(3), put32(1), put32(1);
        put32(0);
    }
    QByteArray segment("\xFF\xE1", 2);
    const int length = 2 + 6 + int(tiff.size());
    segment.append(char(length >> 8)).append(char(length & 0xFF)).append("Exif\0\0", 6).append(tiff);
    // After the JFIF segment when there is one, else right after the start of image.
    qsizetype at = 2;
    if (jpeg.size() > 6 && uchar(jpeg[2]) == 0xFF && uchar(jpeg[3]) == 0xE0)
        at = 4 + qFromBigEndian<quint16>(jpeg.constData() + 4);
    QByteArray result = jpeg;
    result.insert(at, segment);
    return result;
}

QByteArray cutWithEndMarker(const QByteArray &jpeg, double fraction)
{
    return jpeg.left(qsizetype(jpeg.size() * fraction)) + QByteArray("\xFF\xD9", 2);
}

QByteArray encodeCoreBmp(const QImage &source)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB888);
    const int rowBytes = (image.width() * 3 + 3) / 4 * 4;
    QByteArray bytes("BM");
    put32le(bytes, 26 + qint64(rowBytes) * image.height());
    put32le(bytes, 0);
    put32le(bytes, 26);
    put32le(bytes, 12);
    put16le(bytes, image.width());
    put16le(bytes, image.height());
    put16le(bytes, 1);
    put16le(bytes, 24);
    for (int y = image.height() - 1; y >= 0; --y) {
        const uchar *line = image.constScanLine(y);
        QByteArray row(rowBytes, '\0');
        for (int x = 0; x < image.width(); ++x) {
            row[3 * x] = char(line[3 * x + 2]);
            row[3 * x + 1] = char(line[3 * x + 1]);
            row[3 * x + 2] = char(line[3 * x]);
        }
        bytes.append(row);
    }
    return bytes;
}

QByteArray encodeRleBmp(const QImage &source, bool fourBits, double dpi)
{
    const QImage image = source.convertToFormat(QImage::Format_Grayscale8);
    const int levels = fourBits ? 16 : 256;
    QByteArray stream;
    for (int y = image.height() - 1; y >= 0; --y) {
        const uchar *line = image.constScanLine(y);
        int x = 0;
        while (x < image.width()) {
            const int index = line[x] * (levels - 1) / 255;
            int run = 1;
            while (x + run < image.width() && run < 255 && line[x + run] * (levels - 1) / 255 == index)
                ++run;
            stream.append(char(run)).append(char(fourBits ? (index << 4 | index) : index));
            x += run;
        }
        stream.append('\0').append('\0');
    }
    stream.append('\0').append('\1');

    const int header = 14 + 40 + levels * 4;
    QByteArray bytes("BM");
    put32le(bytes, header + stream.size());
    put32le(bytes, 0);
    put32le(bytes, header);
    put32le(bytes, 40);
    put32le(bytes, image.width());
    put32le(bytes, image.height());
    put16le(bytes, 1);
    put16le(bytes, fourBits ? 4 : 8);
    put32le(bytes, fourBits ? 2 : 1);
    put32le(bytes, stream.size());
    const qint64 ppm = std::lround(dpi / 0.0254);
    put32le(bytes, ppm);
    put32le(bytes, ppm);
    put32le(bytes, levels);
    put32le(bytes, 0);
    for (int i = 0; i < levels; ++i) {
        const char level = char(i * 255 / (levels - 1));
        bytes.append(level).append(level).append(level).append('\0');
    }
    return bytes + stream;
}

QByteArray madeByTools(const QByteArray &input, const QString &inputName, const QList<QStringList> &steps,
                       QString *why, const QString &result)
{
    QTemporaryDir dir;
    QFile in(dir.filePath(inputName));
    if (!in.open(QIODevice::WriteOnly) || in.write(input) != input.size()) {
        *why = QStringLiteral("cannot write %1").arg(in.fileName());
        return {};
    }
    in.close();
    for (const QStringList &step : steps) {
        QProcess tool;
        tool.setWorkingDirectory(dir.path());
        tool.start(step.first(), step.mid(1));
        if (!tool.waitForFinished(120000) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0) {
            *why = QStringLiteral("%1 failed (scripts/packages.sh installs it): %2 %3")
                       .arg(step.join(u' '), tool.errorString(), QString::fromLocal8Bit(tool.readAllStandardError()));
            return {};
        }
    }
    QFile out(dir.filePath(result));
    return out.open(QIODevice::ReadOnly) ? out.readAll() : QByteArray();
}

namespace {

qint64 statusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

} // namespace

PeakMemory::PeakMemory()
{
    // Large blocks mapped and unmapped each time, and the heap's free pages handed back, so that
    // memory kept from earlier work cannot hide what comes next.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    malloc_trim(0);
    // Writing 5 there sets the high-water mark back to what is resident now.
    QFile reset(QStringLiteral("/proc/self/clear_refs"));
    if (reset.open(QIODevice::WriteOnly))
        reset.write("5");
    m_startKb = statusKb("VmRSS:");
}

double PeakMemory::grownMb() const
{
    return double(statusKb("VmHWM:") - m_startKb) / 1024;
}

} // namespace formulix::test
