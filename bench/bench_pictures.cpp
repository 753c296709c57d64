// Memory of loading a template: each crafted or huge scan is loaded by a fresh process, as
// "Incarca Macheta" loads it (the decoded picture, the shown canvas and the hidden copy), and its
// peak memory is held against the floor of loading a 300 dpi A4 scan plus the pixel budget of
// the picture and the canvas. A progressive file keeps within 1.5 times the peak of its baseline
// twin (the same picture, coded in one pass).
//
//   bench_pictures                  makes the scans in a temporary folder and measures each
//   bench_pictures --load <file>    (child) loads one and prints its peak memory in kB
#include "BenchSupport.h"
#include "platform/PictureBox.h"
#include "platform/PictureLoader.h"
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

int loadInChild(const QString &path)
{
    PictureBox canvas, copy;
    canvas.show();
    QString error;
    if (const std::optional<Picture> picture = loadPicture(path, ScreenPixelsPerMm, &error)) {
        canvas.setPicture(*picture);
        copy.setPicture(*picture);
        canvas.image();
    }
    // The peak of this program's own memory: getrusage would report the parent's, kept across
    // fork and exec.
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    qint64 peakKb = 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            peakKb = line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    QTextStream(stdout) << peakKb << ' ' << (error.isEmpty() ? "loaded" : "refused") << '\n';
    return 0;
}

struct Measured
{
    double peakMb = 0;
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
    if (words.size() == 2) {
        measured.peakMb = words[0].toDouble() / 1024;
        measured.outcome = words[1].trimmed();
    }
    return measured;
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
        pass &= bench::report(QStringLiteral("%1 (%2, %3 ms, %4 KB file)")
                                  .arg(what, measured.outcome)
                                  .arg(measured.ms, 0, 'f', 0)
                                  .arg(QFileInfo(path).size() / 1024),
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
