// Memory of loading a template: each crafted or huge scan is loaded by a fresh process, as
// "Incarca Macheta" loads it (the decoded picture, the shown canvas and the hidden copy), and its
// peak memory is held against the floor of loading a 300 dpi A4 scan plus the pixel budget of
// the picture and the canvas. A progressive file keeps within 1.5 times the peak of its baseline
// twin (the same picture, coded in one pass). A3 scans at 600 dpi in TIFFs of each kind, made by
// libtiff's own tools, are held against the same floor, with the growth of the peak while
// loading shown beside them.
//
//   bench_pictures                  makes the scans in a temporary folder and measures each
//   bench_pictures --load <file>    (child) loads one and prints its peak memory and its
//                                   resident memory before loading, in kB
#include "BenchSupport.h"
#include "widgets/PictureBox.h"
#include "core/pictures/PictureLoader.h"
#include "support/Scans.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

using namespace formulix;
using namespace formulix::test;

namespace {

const double ScreenPixelsPerMm = 96 / 25.4;

// A line of /proc/self/status in kB: the peak of this program's own memory (getrusage would
// report the parent's, kept across fork and exec) or what is resident now.
qint64 statusKb(const QByteArray &field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

int loadInChild(const QString &path)
{
    PictureBox canvas, copy;
    canvas.show();
    const qint64 beforeKb = statusKb("VmRSS:");
    QString error;
    if (const std::optional<Picture> picture = loadPicture(path, ScreenPixelsPerMm, &error)) {
        canvas.setPicture(*picture);
        copy.setPicture(*picture);
        canvas.image();
    }
    QTextStream(stdout) << statusKb("VmHWM:") << ' ' << beforeKb << ' ' << (error.isEmpty() ? "loaded" : "refused") << '\n';
    return 0;
}

struct Measured
{
    double peakMb = 0;
    double grownMb = 0; // the peak past what was resident before loading
    double ms = 0;
    QString outcome;
};

Measured measure(const QString &program, const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    QProcess child;
    child.start(program, {QStringLiteral("--load"), path});
    child.waitForFinished(-1);
    const QStringList words = QString::fromLatin1(child.readAllStandardOutput()).split(u' ', Qt::SkipEmptyParts);
    Measured measured;
    measured.ms = double(timer.elapsed());
    if (words.size() == 3) {
        measured.peakMb = words[0].toDouble() / 1024;
        measured.grownMb = (words[0].toDouble() - words[1].toDouble()) / 1024;
        measured.outcome = words[2].trimmed();
    }
    return measured;
}

// Runs each step (a program and its arguments) in `dir`; false, saying which, when one fails.
bool run(const QString &dir, const QList<QStringList> &steps)
{
    for (const QStringList &step : steps) {
        QProcess tool;
        tool.setWorkingDirectory(dir);
        tool.start(step.first(), step.mid(1));
        if (!tool.waitForFinished(-1) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0) {
            QTextStream(stderr) << step.join(u' ') << " failed (scripts/packages.sh installs it): "
                                << tool.readAllStandardError() << '\n';
            return false;
        }
    }
    return true;
}

// Raw samples of `rows` for raw2tiff: each byte as it is, widened to 16 bits, or taken as RGB
// and turned into CMYK ink.
enum class Raw { Bytes, Words, Cmyk };

bool writeRaw(const QString &path, QSize pixels, int channels, Raw kind, const std::function<void(int, uchar *)> &rows)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const size_t width = size_t(pixels.width()), samples = width * size_t(channels);
    std::vector<uchar> row(samples);
    std::vector<quint16> words(kind == Raw::Words ? samples : 0);
    std::vector<uchar> inks(kind == Raw::Cmyk ? width * 4 : 0);
    for (int y = 0; y < pixels.height(); ++y) {
        rows(y, row.data());
        const char *out = reinterpret_cast<const char *>(row.data());
        qint64 bytes = qint64(samples);
        if (kind == Raw::Words) { // in the machine's byte order, as raw2tiff reads them
            for (size_t i = 0; i < samples; ++i)
                words[i] = quint16(row[i] * 257);
            out = reinterpret_cast<const char *>(words.data());
            bytes *= 2;
        } else if (kind == Raw::Cmyk) { // no black ink
            for (size_t x = 0; x < width; ++x) {
                for (size_t c = 0; c < 3; ++c)
                    inks[x * 4 + c] = uchar(255 - row[x * 3 + c]);
                inks[x * 4 + 3] = 0;
            }
            out = reinterpret_cast<const char *>(inks.data());
            bytes = qint64(inks.size());
        }
        if (file.write(out, bytes) != bytes)
            return false;
    }
    return true;
}

// A light form for a scan too large to hold: white, ruled every 5 mm, a few dark boxes.
std::function<void(int, uchar *)> formRows(QSize pixels, bool color, double dpi)
{
    const int channels = color ? 3 : 1;
    const int ruling = qMax(2, int(dpi * 5 / 25.4));
    return [=](int y, uchar *row) {
        const bool ruled = y % ruling < qMax(1, ruling / 20);
        memset(row, ruled ? 120 : 255, size_t(pixels.width()) * channels);
        if (y > pixels.height() / 6 && y < pixels.height() / 4)
            memset(row + size_t(pixels.width() / 8) * channels, 40, size_t(pixels.width() / 4) * channels);
    };
}

} // namespace

int main(int argc, char *argv[])
{
    bench::preferOffscreen();
    QApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--load")
        return loadInChild(QString::fromLocal8Bit(argv[2]));

    QTemporaryDir dir;
    auto write = [&dir](const char *name, const QByteArray &bytes) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        writeFile(path, bytes);
        return path;
    };
    JpegOptions at300;
    at300.jfifUnit = 1;
    at300.jfifX = at300.jfifY = 300;
    const QString a4 = write("a4-300dpi.jpg", encodeJpeg(formImage(QSize(2480, 3508), true), at300));

    auto density = [](int unit, int value) {
        JpegOptions options;
        options.jfifUnit = unit;
        options.jfifX = options.jfifY = value;
        return options;
    };
    const QImage small = formImage(QSize(800, 600), true);
    QList<std::pair<QString, QString>> scans = {
        {"JPEG at 1 dpi", write("1dpi.jpg", encodeJpeg(small, density(1, 1)))},
        {"JPEG at 1 dot/cm", write("1dpcm.jpg", encodeJpeg(small, density(2, 1)))},
        {"JPEG at density 0", write("0dpi.jpg", encodeJpeg(small, density(1, 0)))},
        {"JPEG at 65535 dpi", write("65535dpi.jpg", encodeJpeg(small, density(1, 65535)))},
        {"JPEG, EXIF only 300 dpi", write("exif.jpg", withExifResolution(encodeJpeg(formImage(QSize(2480, 3508), true), density(0, 1)), 300))},
        {"JPEG cut, end marker added", write("cut.jpg", cutWithEndMarker(encodeJpeg(formImage(QSize(2480, 3508), true), at300), 0.5))},
        {"RLE8 BMP cut", write("cut8.bmp", encodeRleBmp(formImage(QSize(2480, 3508), false), false, 300).chopped(9000))},
        {"RLE4 BMP cut", write("cut4.bmp", encodeRleBmp(formImage(QSize(2480, 3508), false), true, 300).chopped(9000))},
    };
    const QSize a3at600(7016, 9921), a3at1200(14032, 19843);
    scans.append({"A3 600 dpi JPEG, no density", write("a3-600.jpg", encodeJpeg(a3at600, true, formRows(a3at600, true, 600), density(0, 1)))});
    JpegOptions progressive = density(1, 1200);
    progressive.progressive = true;
    const QString baseline1200 = write("a3-1200.jpg", encodeJpeg(a3at1200, true, formRows(a3at1200, true, 1200), density(1, 1200)));
    const QString progressive1200 = write("a3-1200-progressive.jpg", encodeJpeg(a3at1200, true, formRows(a3at1200, true, 1200), progressive));
    scans.append({"A3 1200 dpi baseline JPEG", baseline1200});
    scans.append({"A3 1200 dpi progressive JPEG", progressive1200});

    // The TIFF kinds, from the same A3 form: raw samples turned into TIFF by raw2tiff, tiled and
    // JPEG-coded copies of the 8-bit one by tiffcp, and a fax page by ppm2tiff.
    QList<std::pair<QString, QString>> tiffs;
    const QString w = QString::number(a3at600.width()), h = QString::number(a3at600.height());
    auto rawTiff = [&](const char *what, const char *name, int channels, Raw kind, const QStringList &options) {
        const QString raw = dir.filePath(QStringLiteral("scan.raw"));
        const QString bands = QString::number(kind == Raw::Cmyk ? 4 : channels);
        if (writeRaw(raw, a3at600, channels, kind, formRows(a3at600, channels == 3, 600))
            && run(dir.path(), {QStringList{"raw2tiff", "-w", w, "-l", h, "-b", bands, "-c", "lzw"} + options
                                    + QStringList{raw, QString::fromLatin1(name)},
                                {"tiffset", "-s", "282", "600", QString::fromLatin1(name)},
                                {"tiffset", "-s", "283", "600", QString::fromLatin1(name)},
                                {"tiffset", "-s", "296", "2", QString::fromLatin1(name)}}))
            tiffs.append({QString::fromLatin1(what), dir.filePath(QString::fromLatin1(name))});
        QFile::remove(raw);
    };
    rawTiff("A3 600 dpi TIFF, 8-bit RGB LZW", "a3-lzw.tif", 3, Raw::Bytes, {"-p", "rgb"});
    rawTiff("A3 600 dpi TIFF, 16-bit grey", "a3-grey16.tif", 1, Raw::Words, {"-d", "short", "-p", "minisblack"});
    rawTiff("A3 600 dpi TIFF, 48-bit RGB", "a3-rgb48.tif", 3, Raw::Words, {"-d", "short", "-p", "rgb"});
    rawTiff("A3 600 dpi TIFF, CMYK", "a3-cmyk.tif", 3, Raw::Cmyk, {"-p", "cmyk"});
    if (run(dir.path(), {{"tiffcp", "-t", "-w", "256", "-l", "256", "-c", "lzw", "a3-lzw.tif", "a3-tiled.tif"}}))
        tiffs.append({"A3 600 dpi TIFF, RGB in 256 x 256 tiles", dir.filePath(QStringLiteral("a3-tiled.tif"))});
    if (run(dir.path(), {{"tiffcp", "-c", "jpeg", "-r", "16", "a3-lzw.tif", "a3-jpeg.tif"}}))
        tiffs.append({"A3 600 dpi TIFF, JPEG-coded YCbCr", dir.filePath(QStringLiteral("a3-jpeg.tif"))});
    const QSize fax(9921, 14032);
    QByteArray pbm = QStringLiteral("P4\n%1 %2\n").arg(fax.width()).arg(fax.height()).toLatin1();
    const int faxRowBytes = (fax.width() + 7) / 8;
    for (int y = 0; y < fax.height(); ++y) // a rule every 5 mm
        pbm.append(QByteArray(faxRowBytes, y % 236 < 4 ? char(0xFF) : '\0'));
    writeFile(dir.filePath(QStringLiteral("fax.pbm")), pbm);
    pbm.clear();
    if (run(dir.path(), {{"ppm2tiff", "-c", "g4", "-R", "1200", "fax.pbm", "a4-fax.tif"}}))
        tiffs.append({"A4 1200 dpi fax TIFF, Group 4 in one strip", dir.filePath(QStringLiteral("a4-fax.tif"))});
    QFile::remove(dir.filePath(QStringLiteral("fax.pbm")));
    scans.append(tiffs);

    const QString self = QCoreApplication::applicationFilePath();
    const Measured floor = measure(self, a4);
    const double budgetMb = 2.0 * PixelBudget * 4 / (1024 * 1024); // the picture and the canvas
    QTextStream(stdout) << QStringLiteral("floor: a 300 dpi A4 scan peaks at %1 MB in %2 ms; budget %3 MB\n")
                               .arg(floor.peakMb, 0, 'f', 1)
                               .arg(floor.ms, 0, 'f', 0)
                               .arg(budgetMb, 0, 'f', 0);
    bool pass = true;
    for (const auto &[what, path] : scans) {
        const Measured measured = measure(self, path);
        if (tiffs.contains({what, path}) && measured.outcome != QLatin1String("loaded")) {
            QTextStream(stdout) << what << ": refused FAIL\n";
            pass = false;
        }
        pass &= bench::report(QStringLiteral("%1 (%2, %3 ms, %4 KB file, peak +%5 MB while loading)")
                                  .arg(what, measured.outcome)
                                  .arg(measured.ms, 0, 'f', 0)
                                  .arg(QFileInfo(path).size() / 1024)
                                  .arg(measured.grownMb, 0, 'f', 0),
                              measured.peakMb, QStringLiteral("A4 + budget"), floor.peakMb + budgetMb, 1.0,
                              QStringLiteral("MB"));
    }
    const Measured base = measure(self, baseline1200), prog = measure(self, progressive1200);
    pass &= bench::report(QStringLiteral("progressive A3 1200 dpi (%1 ms) against its baseline twin (%2 ms)")
                              .arg(prog.ms, 0, 'f', 0)
                              .arg(base.ms, 0, 'f', 0),
                          prog.peakMb, QStringLiteral("baseline"), base.peakMb, 1.5, QStringLiteral("MB"));
    return pass ? 0 : 1;
}
