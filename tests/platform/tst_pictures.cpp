#include "cli/CommandLine.h"
#include "gui/app/frmEcranPrincipal.h"
#include "widgets/Dialogs.h"
#include "core/pictures/JpegDecoder.h"
#include "core/pictures/PdfTemplate.h"
#include "widgets/PictureBox.h"
#include "core/pictures/PictureLoader.h"
#include "core/pictures/RowScaler.h"
#include "support/Images.h"
#include "support/Scans.h"
#include "support/TestSupport.h"
#include "support/WindowTest.h"

#include <QApplication>
#include <QBuffer>
#include <QAction>
#include <QDir>
#include <QTemporaryDir>
#include <QImageReader>
#include <QPainter>
#include <QImageWriter>
#include <QPdfWriter>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QtEndian>
#include <array>
#include <chrono>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

using namespace formulix;
using namespace formulix::test;

namespace {

// A vector form of pages of the given sizes in millimetres, as an office hands it out.
QByteArray pdfForm(const QList<QSizeF> &pagesMm)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setPageSize(QPageSize(pagesMm.first(), QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
    QPainter painter(&writer);
    for (qsizetype i = 0; i < pagesMm.size(); ++i) {
        if (i > 0) {
            writer.setPageSize(QPageSize(pagesMm[i], QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
            writer.newPage();
        }
        const QRect page = painter.viewport();
        painter.setPen(QPen(Qt::darkBlue, 20));
        painter.drawRect(page.adjusted(100, 100, -100, -100));
        painter.drawText(page.adjusted(300, 300, 0, 0), QStringLiteral("CERTIFICAT %1").arg(i + 1));
    }
    painter.end();
    return bytes;
}

// One page of a PDF written by hand, object by object: `page` holds the page's own keys, `more`
// the objects from 5 on that its resources name.
QByteArray handWrittenPdf(const QByteArray &page, const QByteArray &content, const QByteArray &resources = {},
                          const QList<QByteArray> &more = {})
{
    const auto stream = [](const QByteArray &bytes) {
        return "<< /Length " + QByteArray::number(bytes.size()) + " >>\nstream\n" + bytes + "\nendstream";
    };
    QList<QByteArray> objects{"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                              "<< /Type /Page /Parent 2 0 R " + page + " /Contents 4 0 R /Resources << " + resources + " >> >>",
                              stream(content)};
    objects += more;
    QByteArray pdf("%PDF-1.6\n");
    QList<qsizetype> offsets;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        offsets.append(pdf.size());
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const QByteArray count = QByteArray::number(objects.size() + 1);
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + count + "\n0000000000 65535 f \n";
    for (const qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    return pdf + "trailer\n<< /Size " + count + " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
}

// An A4 page that asks poppler for endless work: forms each drawing the next twice, 2^15 long
// strokes in all, some seconds of drawing in a few kilobytes.
QByteArray endlessPdf()
{
    constexpr int Depth = 16;
    QList<QByteArray> forms;
    for (int i = 0; i < Depth; ++i) {
        const bool last = i == Depth - 1;
        const QByteArray body = last ? "0 0 1 RG 0 0 m 595 842 l S" : "/F Do /F Do";
        forms.append("<< /Type /XObject /Subtype /Form /BBox [0 0 595 842] /Resources << "
                     + (last ? QByteArray() : "/XObject << /F " + QByteArray::number(6 + i) + " 0 R >>") + " >> /Length "
                     + QByteArray::number(body.size()) + " >>\nstream\n" + body + "\nendstream");
    }
    return handWrittenPdf("/MediaBox [0 0 595 842]", "/F Do", "/XObject << /F 5 0 R >>", forms);
}

// An A4 page with a small picture drawn 3.5 m wide: poppler scales the whole picture before it
// clips it to the page, half a gigabyte in one operation.
QByteArray hugeDrawingPdf()
{
    QByteArray pixels(100 * 100 * 3, Qt::Uninitialized);
    for (qsizetype i = 0; i < pixels.size(); ++i)
        pixels[i] = char(i * 7);
    return handWrittenPdf("/MediaBox [0 0 595 842]", "q 10000 0 0 10000 -5000 -5000 cm /I Do Q", "/XObject << /I 5 0 R >>",
                          {"<< /Type /XObject /Subtype /Image /Width 100 /Height 100 /ColorSpace /DeviceRGB "
                           "/BitsPerComponent 8 /Interpolate true /Length 30000 >>\nstream\n"
                           + pixels + "\nendstream"});
}

// `pdf` as qpdf rewrites it with `options`; empty, with the reason in `why`, when it cannot.
QByteArray rewrittenByQpdf(const QByteArray &pdf, const QStringList &options, QString *why)
{
    return madeByTools(pdf, QStringLiteral("dat.pdf"), {QStringList{"qpdf"} + options + QStringList{"dat.pdf", "scris.pdf"}}, why,
                       QStringLiteral("scris.pdf"));
}

// A white picture whose top-left quarter is dark blue.
QImage quartered(QSize pixels)
{
    QImage image(pixels, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter(&image).fillRect(QRect(QPoint(0, 0), pixels / 4), Qt::darkBlue);
    return image;
}

// That picture as a JPEG with a JFIF segment of `jfifUnit` (-1: none) and `density`, and an EXIF
// block of `exif` in `exifUnit` (-1: none, 0: one without resolution).
QByteArray jpegRecording(QSize pixels, int jfifUnit, int density, double exif = -1, int exifUnit = 2)
{
    JpegOptions options;
    options.jfif = jfifUnit >= 0;
    options.jfifUnit = qMax(0, jfifUnit);
    options.jfifX = options.jfifY = density;
    const QByteArray bytes = encodeJpeg(quartered(pixels), options);
    return exif >= 0 ? withExifResolution(bytes, exif, exifUnit) : bytes;
}

// The same saved as `format` with its resolution recorded.
QByteArray savedAs(QSize pixels, double dpi, const char *format)
{
    QImage image = quartered(pixels);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    return writer.write(image) ? bytes : QByteArray();
}

// An uncompressed grey TIFF of several pages, each of its own size and resolution, little-endian.
QByteArray tiffPages(const QList<QPair<QSize, int>> &pages)
{
    QByteArray bytes("II*\0\0\0\0\0", 8);
    qsizetype link = 4; // where the offset of the next directory goes
    for (const auto &[size, dpi] : pages) {
        const quint32 pixels = quint32(bytes.size());
        bytes.append(QByteArray(size.width() * size.height(), char(0xF0)));
        const quint32 rational = quint32(bytes.size());
        put32le(bytes, dpi), put32le(bytes, 1);
        if (bytes.size() % 2)
            bytes.append('\0');
        qToLittleEndian(quint32(bytes.size()), bytes.data() + link);
        const QList<std::array<quint32, 3>> tags = {{256, 4, quint32(size.width())}, {257, 4, quint32(size.height())},
                                                    {258, 3, 8}, {259, 3, 1}, {262, 3, 1}, {273, 4, pixels},
                                                    {277, 3, 1}, {278, 4, quint32(size.height())},
                                                    {279, 4, quint32(size.width() * size.height())},
                                                    {282, 5, rational}, {283, 5, rational}, {296, 3, 2}};
        put16le(bytes, int(tags.size()));
        for (const auto &[tag, type, value] : tags) {
            put16le(bytes, int(tag)), put16le(bytes, int(type)), put32le(bytes, 1);
            if (type == 3)
                put16le(bytes, int(value)), put16le(bytes, 0);
            else
                put32le(bytes, value);
        }
        link = bytes.size();
        put32le(bytes, 0);
    }
    return bytes;
}

// TIFFs that ImageMagick makes of one PNG, with libtiff's tools run on them after it; what failed
// in `why`.
struct Converted
{
    QByteArray png;
    QString why;

    QByteArray operator()(const QStringList &options, const QList<QStringList> &after = {})
    {
        why.clear();
        return madeByTools(png, QStringLiteral("in.png"),
                           QList<QStringList>{QStringList{"convert", "in.png"} + options + QStringList{"scan.tif"}} + after, &why);
    }
};

// A 96 dpi screen.
const double ScreenPixelsPerMm = 96 / 25.4;

struct Loaded
{
    std::optional<Picture> picture;
    QString error;
};

Loaded load(const QByteArray &bytes, double pixelsPerMm = ScreenPixelsPerMm, int page = 0)
{
    Loaded loaded;
    loaded.picture = decodePicture(bytes, QStringLiteral("scan"), pixelsPerMm, &loaded.error, page);
    return loaded;
}

// Whether a size in millimetres or pixels is within `tolerance` of another on both sides, and
// what it is, for the message when it is not.
template <typename Size>
bool near(const Size &got, const Size &wanted, double tolerance)
{
    return std::abs(got.width() - wanted.width()) <= tolerance && std::abs(got.height() - wanted.height()) <= tolerance;
}

template <typename Size>
QString shown(const Size &size)
{
    return QStringLiteral("%1 x %2").arg(size.width()).arg(size.height());
}

// Mean difference per channel between two pictures of one size.
double meanDifference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const auto *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col)
            sum += (qAbs(qRed(p[col]) - qRed(q[col])) + qAbs(qGreen(p[col]) - qGreen(q[col]))
                    + qAbs(qBlue(p[col]) - qBlue(q[col])))
                / 3.0;
    }
    return sum / (double(x.width()) * x.height());
}

QImage decodedByQt(const QByteArray &bytes, QSize size)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    QImageReader reader(&buffer);
    reader.setAllocationLimit(0);
    return reader.read().scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

class TestPictures : public QObject
{
    Q_OBJECT
private slots:
    void badFilesAreRefused_data();
    void badFilesAreRefused();
    void progressiveFilesReadFromTheirDcScans_data();
    void progressiveFilesReadFromTheirDcScans();
    void wholeAndStreamedDecodesAgree_data();
    void wholeAndStreamedDecodesAgree();
    void rowsShrinkToTheAverageOfTheirBoxes_data();
    void rowsShrinkToTheAverageOfTheirBoxes();
    void largeScansStayWithinTheBudget_data();
    void largeScansStayWithinTheBudget();
    void writesTheFuzzSeeds();
    void pdfPagesAtTheirPageSize_data();
    void pdfPagesAtTheirPageSize();
    void severalPagesAskWhichOne();
    void heavyPagesAreBounded_data();
    void heavyPagesAreBounded();
    void scansLoadUprightAtTheirSize_data();
    void scansLoadUprightAtTheirSize();
    void onlyRegularFilesAreRead_data();
    void onlyRegularFilesAreRead();
};

// Damaged files, and ones that claim too much or hold what cannot be shown, refused with a word
// that names the file; the same files whole load.
void TestPictures::badFilesAreRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<double>("pixelsPerMm");
    QTest::addColumn<QString>("says"); // empty: it loads
    const QImage form = formImage(QSize(600, 800), true);
    const QByteArray baseline = encodeJpeg(form, {});
    JpegOptions progressive;
    progressive.progressive = true;
    const QByteArray progressiveJpeg = encodeJpeg(form, progressive);
    const QByteArray rle8 = encodeRleBmp(form, false, 150), rle4 = encodeRleBmp(form, true, 150);
    const QByteArray core = encodeCoreBmp(form);
    const qsizetype rleStart = 14 + 40 + 256 * 4;
    const QString damaged = QStringLiteral("scan este deteriorat");
    // A resolution that makes the page absurd, or a picture too small to be a form.
    QTest::newRow("JPEG at 1 dpi") << jpegRecording(QSize(800, 600), 1, 1) << ScreenPixelsPerMm << "20320 x 15240 mm";
    QTest::newRow("JPEG at 1 dot per cm") << jpegRecording(QSize(800, 600), 2, 1) << ScreenPixelsPerMm << "8000 x 6000 mm";
    QTest::newRow("JPEG at 65535 dpi") << jpegRecording(QSize(800, 600), 1, 65535) << ScreenPixelsPerMm << "0.3 x 0.2 mm";
    QTest::newRow("JPEG too small at 96 dpi") << jpegRecording(QSize(30, 30), -1, 0) << ScreenPixelsPerMm << "7.9 x 7.9 mm";

    QTest::newRow("whole JPEG") << baseline << ScreenPixelsPerMm << "";
    QTest::newRow("JPEG cut, end marker appended") << cutWithEndMarker(baseline, 0.6) << ScreenPixelsPerMm << damaged;
    QTest::newRow("whole progressive JPEG, DC scans") << progressiveJpeg << 0.3 << "";
    QTest::newRow("progressive JPEG cut in its DC scan") << cutWithEndMarker(progressiveJpeg, 0.05) << 0.3 << damaged;
    QTest::newRow("progressive JPEG cut, full decode") << cutWithEndMarker(progressiveJpeg, 0.6) << ScreenPixelsPerMm << damaged;
    const qsizetype frame = baseline.indexOf(QByteArrayView("\xFF\xC0", 2));
    QByteArray hugeJpeg = baseline, garbled = baseline;
    memset(hugeJpeg.data() + frame + 5, 0xFF, 4); // the largest a JPEG can say, twice
    memset(garbled.data() + frame + 4, 0x5A, 40);
    QTest::newRow("JPEG claiming 65535 x 65535") << hugeJpeg << ScreenPixelsPerMm << "65535 x 65535 pixeli";
    QTest::newRow("JPEG with a broken frame header") << garbled << ScreenPixelsPerMm << "23130 x 23130 pixeli";
    QTest::newRow("whole OS/2 BMP") << core << ScreenPixelsPerMm << "";
    QTest::newRow("OS/2 BMP cut in half") << core.left(core.size() / 2) << ScreenPixelsPerMm << damaged;
    QTest::newRow("whole RLE8 BMP") << rle8 << ScreenPixelsPerMm << "";
    QTest::newRow("whole RLE4 BMP") << rle4 << ScreenPixelsPerMm << "";
    QTest::newRow("RLE8 BMP without its end marker") << rle8.left(rle8.size() - 2) << ScreenPixelsPerMm << "";
    QTest::newRow("RLE8 BMP cut in half") << rle8.left(rle8.size() / 2) << ScreenPixelsPerMm << damaged;
    QTest::newRow("RLE4 BMP cut in half") << rle4.left(rle4.size() / 2) << ScreenPixelsPerMm << damaged;
    QByteArray longRun = rle8;
    longRun[rleStart] = char(0xFF); // a run past the row's end
    longRun[rleStart + 2] = char(0xFF);
    longRun[rleStart + 4] = char(0xFF);
    QTest::newRow("RLE8 BMP run past the row") << longRun << ScreenPixelsPerMm << damaged;
    QByteArray delta = rle8;
    delta.insert(rleStart, QByteArray("\x00\x02\x00\xFF\x00\x02\x00\xFF\x00\x02\x00\xFF\x00\x02\x00\xFF", 16));
    QTest::newRow("RLE8 BMP moved below the picture") << delta << ScreenPixelsPerMm << damaged;
    QByteArray hugeBmp = savedAs(QSize(600, 800), 150, "bmp");
    qToLittleEndian<qint32>(100000, hugeBmp.data() + 18);
    qToLittleEndian<qint32>(100000, hugeBmp.data() + 22);
    QTest::newRow("BMP claiming 100000 x 100000") << hugeBmp << ScreenPixelsPerMm << "100000 x 100000 pixeli";

    const QByteArray pdf = pdfForm({QSizeF(210, 297)});
    QTest::newRow("PDF cut in half") << pdf.left(pdf.size() / 3) << ScreenPixelsPerMm << "deteriorat";
    QTest::newRow("PDF, a header only") << QByteArray("%PDF-1.4\n") << ScreenPixelsPerMm << "deteriorat";
    QTest::newRow("PDF, a page of 5 m") << pdfForm({QSizeF(5000, 297)}) << ScreenPixelsPerMm << "masoara 5000 x 297 mm";
    QTest::newRow("PDF, a page of 5 mm") << pdfForm({QSizeF(5, 5)}) << ScreenPixelsPerMm << "masoara 5 x 5 mm";
    // Locked with a password by qpdf, as an office's PDF tool would.
    QString why;
    QTest::newRow("PDF locked with a password")
        << rewrittenByQpdf(pdf, {"--encrypt", "parola", "parola", "256", "--"}, &why) << ScreenPixelsPerMm << "protejat prin parola";

    const QByteArray png = savedAs(QSize(600, 450), 150, "png");
    QTest::newRow("PNG cut short") << png.left(png.size() - 40) << ScreenPixelsPerMm << "deteriorat";
    QByteArray huge = png;
    qToBigEndian<quint32>(100000, huge.data() + 16);
    qToBigEndian<quint32>(100000, huge.data() + 20);
    QTest::newRow("PNG of 100000 x 100000") << huge << ScreenPixelsPerMm << "100000 x 100000 pixeli";
    QByteArray bomb = tiffPages({{QSize(4, 4), 300}});
    qToLittleEndian<quint32>(100000, bomb.data() + bomb.indexOf(QByteArray("\x00\x01\x04\x00", 4)) + 8);
    QTest::newRow("TIFF claiming 100000 pixels a side") << bomb << ScreenPixelsPerMm << "100000 x 4 pixeli";
    // A second width entry of no valid type, which libtiff passes over: the first one counts.
    QByteArray twice = tiffPages({{QSize(64, 64), 300}});
    qToLittleEndian<quint32>(100000, twice.data() + twice.indexOf(QByteArray("\x00\x01\x04\x00", 4)) + 8);
    const qsizetype unit = twice.indexOf(QByteArray("\x28\x01\x03\x00", 4));
    qToLittleEndian<quint16>(256, twice.data() + unit);
    qToLittleEndian<quint16>(0, twice.data() + unit + 2);
    qToLittleEndian<quint32>(64, twice.data() + unit + 8);
    QTest::newRow("TIFF naming its width twice") << twice << ScreenPixelsPerMm << "100000 x 64 pixeli";
    QByteArray lost = tiffPages({{QSize(64, 64), 96}});
    qToLittleEndian<quint32>(quint32(lost.size()) * 4, lost.data() + lost.indexOf(QByteArray("\x11\x01\x04\x00", 4)) + 8);
    QTest::newRow("TIFF whose image lies past its end") << lost << ScreenPixelsPerMm << "deteriorat";
    QTest::newRow("TIFF cut before its directory")
        << QByteArray(tiffPages({{QSize(64, 64), 300}})).left(100) << ScreenPixelsPerMm << "deteriorat";
    Converted tiff{png, {}};
    QTest::newRow("TIFF of 64-bit floating point")
        << tiff({"-define", "quantum:format=floating-point", "-depth", "64"}) << ScreenPixelsPerMm << "un TIFF de un fel";
}

void TestPictures::badFilesAreRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(double, pixelsPerMm);
    QFETCH(QString, says);
    QElapsedTimer timer;
    timer.start();
    const Loaded loaded = load(bytes, pixelsPerMm);
    QVERIFY2(timer.elapsed() < 5000, "a bad file must not stall the program");
    QCOMPARE(bool(loaded.picture), says.isEmpty());
    if (!says.isEmpty())
        QVERIFY2(loaded.error.contains(says) && loaded.error.contains(QStringLiteral("scan")), qPrintable(loaded.error));
}

void TestPictures::progressiveFilesReadFromTheirDcScans_data()
{
    QTest::addColumn<bool>("color");
    QTest::addColumn<bool>("separateDcScans");
    QTest::addColumn<int>("restartInterval");
    QTest::newRow("grey") << false << false << 0;
    QTest::newRow("colour, one DC scan") << true << false << 0;
    QTest::newRow("colour, a DC scan per component") << true << true << 0;
    QTest::newRow("colour with restart markers") << true << false << 7;
    QTest::newRow("grey, restart markers, own scans") << false << true << 5;
}

void TestPictures::progressiveFilesReadFromTheirDcScans()
{
    QFETCH(bool, color);
    QFETCH(bool, separateDcScans);
    QFETCH(int, restartInterval);
    JpegOptions options;
    options.separateDcScans = separateDcScans;
    options.restartInterval = restartInterval;
    options.jfifUnit = 1;
    options.jfifX = options.jfifY = 300;
    const QImage form = formImage(QSize(2480, 3508), color);
    const QByteArray baseline = encodeJpeg(form, options);
    options.progressive = true;
    const QByteArray bytes = encodeJpeg(form, options);
    // A view that needs under an eighth of the pixels goes through the DC scans alone, and sees
    // what the decoder's own 1/8 scaling of the same coefficients gives.
    const Loaded loaded = load(bytes, 1.0);
    QVERIFY2(loaded.picture, qPrintable(loaded.error));
    const QImage &image = loaded.picture->image;
    QCOMPARE(image.size(), QSize(210, 298));
    const double fromBaseline = meanDifference(image, load(baseline, 1.0).picture->image);
    QVERIFY2(fromBaseline < 0.5, qPrintable(QString::number(fromBaseline)));
    const double fromFullDecode = meanDifference(image, decodedByQt(bytes, image.size()));
    QVERIFY2(fromFullDecode < 6, qPrintable(QString::number(fromFullDecode)));
}

void TestPictures::wholeAndStreamedDecodesAgree_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("target");
    const QImage colour = formImage(QSize(640, 800), true), grey = formImage(QSize(640, 800), false);
    JpegOptions progressive;
    progressive.progressive = true;
    // Targets the decoder reaches exactly (n/8), so neither route resamples: any difference is
    // the route's own, a channel order or a row out of place.
    QTest::newRow("colour, full size") << encodeJpeg(colour) << QSize(640, 800);
    QTest::newRow("colour, half size") << encodeJpeg(colour) << QSize(320, 400);
    QTest::newRow("grey, three eighths") << encodeJpeg(grey) << QSize(240, 300);
    QTest::newRow("progressive, half size") << encodeJpeg(colour, progressive) << QSize(320, 400);
    QTest::newRow("progressive, from its DC scans") << encodeJpeg(colour, progressive) << QSize(80, 100);
    QTest::newRow("cut short") << cutWithEndMarker(encodeJpeg(colour), 0.6) << QSize(320, 400);
}

void TestPictures::wholeAndStreamedDecodesAgree()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, target);
    JpegFailure wholeFailure = JpegFailure::None, streamedFailure = JpegFailure::None;
    const QImage whole = decodeJpeg(bytes, target, &wholeFailure);
    const QImage streamed = decodeJpeg(bytes, target, &streamedFailure, 0);
    QCOMPARE(int(wholeFailure), int(streamedFailure));
    QCOMPARE(whole.isNull(), streamedFailure != JpegFailure::None);
    if (whole.isNull())
        return;
    QCOMPARE(whole.size(), target);
    QCOMPARE(streamed.size(), target);
    QCOMPARE(whole.format(), QImage::Format_RGB32);
    QCOMPARE(meanDifference(whole, streamed), 0.0);
}

void TestPictures::rowsShrinkToTheAverageOfTheirBoxes_data()
{
    QTest::addColumn<QSize>("source");
    QTest::addColumn<QSize>("target");
    QTest::addColumn<bool>("sparse");
    QTest::newRow("uneven boxes") << QSize(1003, 701) << QSize(334, 211) << false;
    QTest::newRow("a little smaller") << QSize(930, 1316) << QSize(794, 1123) << false;
    QTest::newRow("same size") << QSize(64, 48) << QSize(64, 48) << false;
    QTest::newRow("one pixel of many") << QSize(4000, 3000) << QSize(1, 1) << false;
    QTest::newRow("a line") << QSize(5000, 1) << QSize(7, 1) << false;
    // 25 ones in a box of 49: a mean of 0.51, just past the half.
    QTest::newRow("a mean just past one half") << QSize(7, 7) << QSize(1, 1) << true;
}

void TestPictures::rowsShrinkToTheAverageOfTheirBoxes()
{
    QFETCH(QSize, source);
    QFETCH(QSize, target);
    QFETCH(bool, sparse);
    // Noise and a full white corner, so that rounding and the largest sums both show.
    std::vector<uchar> pixels(size_t(source.width()) * size_t(source.height()) * 3);
    quint32 seed = 12345;
    for (size_t i = 0; i < pixels.size(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        pixels[i] = sparse ? uchar((i / 3) % 2 == 0) : i < pixels.size() / 4 ? 255 : uchar(seed >> 24);
    }
    RowScaler scaler(source, target);
    for (int y = 0; y < source.height(); ++y)
        scaler.addRow(&pixels[size_t(y) * size_t(source.width()) * 3]);
    const QImage image = scaler.finish();
    QCOMPARE(image.size(), target);

    // Each target pixel is the rounded mean of the source pixels that fall in it.
    std::vector<quint64> sums(size_t(target.width()) * size_t(target.height()) * 3);
    std::vector<quint64> counts(size_t(target.width()) * size_t(target.height()));
    for (int y = 0; y < source.height(); ++y) {
        const int ty = int(qint64(y) * target.height() / source.height());
        for (int x = 0; x < source.width(); ++x) {
            const size_t box = size_t(ty) * size_t(target.width()) + size_t(qint64(x) * target.width() / source.width());
            for (int c = 0; c < 3; ++c)
                sums[box * 3 + size_t(c)] += pixels[(size_t(y) * size_t(source.width()) + size_t(x)) * 3 + size_t(c)];
            ++counts[box];
        }
    }
    for (int ty = 0; ty < target.height(); ++ty) {
        for (int tx = 0; tx < target.width(); ++tx) {
            const size_t box = size_t(ty) * size_t(target.width()) + size_t(tx);
            const quint64 n = counts[box];
            const QRgb expected = qRgb(int((sums[box * 3] + n / 2) / n), int((sums[box * 3 + 1] + n / 2) / n),
                                       int((sums[box * 3 + 2] + n / 2) / n));
            if (image.pixel(tx, ty) != expected)
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2 is %3 instead of %4")
                                     .arg(tx).arg(ty).arg(image.pixel(tx, ty), 0, 16).arg(expected, 0, 16)));
        }
    }
}

void TestPictures::largeScansStayWithinTheBudget_data()
{
    QTest::addColumn<int>("jfifDensity"); // 0: none recorded
    QTest::addColumn<double>("pixelRatio");
    QTest::addColumn<QSizeF>("sizeMm");
    QTest::newRow("A3 at 600 dpi, no density") << 0 << 1.0 << QSizeF(2624.9, 1856.3);
    QTest::newRow("A3 at 600 dpi, no density, pixel ratio 2") << 0 << 2.0 << QSizeF(2624.9, 1856.3);
    QTest::newRow("A3 at 600 dpi, 72 dpi recorded") << 72 << 1.0 << QSizeF(3499.9, 2475.1);
    QTest::newRow("A3 at 600 dpi, as recorded, pixel ratio 2") << 600 << 2.0 << QSizeF(420.0, 297.0);
    QTest::newRow("BMP past the reader's default limit") << -1 << 1.0 << QSizeF(1693.3, 1693.3);
}

void TestPictures::largeScansStayWithinTheBudget()
{
    QFETCH(int, jfifDensity);
    QFETCH(double, pixelRatio);
    QFETCH(QSizeF, sizeMm);
    static const QByteArray scan = encodeJpeg(formImage(QSize(9921, 7016), false), {});
    QByteArray bytes = scan;
    if (jfifDensity < 0) { // 6400 x 6400 at 24 bits: 164 MB once decoded
        QImage big(6400, 6400, QImage::Format_RGB888);
        big.fill(Qt::white);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(big.save(&buffer, "BMP"));
    }
    const Loaded loaded = load(withRecordedDpi(bytes, qMax(jfifDensity, 0)), ScreenPixelsPerMm * pixelRatio);
    QVERIFY2(loaded.picture, qPrintable(loaded.error));
    QVERIFY2(near(loaded.picture->sizeMm, sizeMm, 0.1), qPrintable(shown(loaded.picture->sizeMm)));
    const QImage &image = loaded.picture->image;
    QVERIFY(qint64(image.width()) * image.height() <= PixelBudget);
    QVERIFY(qAbs(double(image.width()) / image.height() - sizeMm.width() / sizeMm.height()) < 0.01);

    // The canvas over it keeps to the budget as well, and still shows the picture at its size.
    PictureBox box;
    box.setPicture(*loaded.picture);
    const QImage &canvas = box.image();
    QVERIFY(qint64(canvas.width()) * canvas.height() <= PixelBudget);
    QVERIFY(qAbs(canvas.width() / canvas.devicePixelRatio() - box.width()) <= 1);
    QVERIFY(qGray(canvas.pixel(canvas.width() * 3 / 10, canvas.height() / 2)) > 200);
    if (jfifDensity >= 0)
        QVERIFY(qGray(canvas.pixel(canvas.width() / 4, canvas.height() * 23 / 100)) < 120);
}

// The picture fuzzer starts from these (see the README).
void TestPictures::writesTheFuzzSeeds()
{
    QDir dir(QStringLiteral(FORMULIX_PICTURE_SEEDS));
    QVERIFY(dir.mkpath(QStringLiteral(".")));
    const QImage form = formImage(QSize(160, 120), true);
    JpegOptions progressive;
    progressive.progressive = true;
    progressive.restartInterval = 3;
    JpegOptions separate;
    separate.separateDcScans = true;
    const QList<std::pair<const char *, QByteArray>> seeds = {
        {"baseline.jpg", encodeJpeg(form, {})},
        {"progressive.jpg", encodeJpeg(form, progressive)},
        {"separate-dc.jpg", encodeJpeg(formImage(QSize(160, 120), false), separate)},
        {"exif.jpg", withExifResolution(encodeJpeg(form, {}), 300)},
        {"core.bmp", encodeCoreBmp(form)},
        {"rle8.bmp", encodeRleBmp(form, false, 300)},
        {"rle4.bmp", encodeRleBmp(form, true, 300)},
    };
    for (const auto &[name, bytes] : seeds) {
        QVERIFY(writeFile(dir.filePath(QString::fromLatin1(name)), bytes));
        QVERIFY2(load(bytes, 10).picture, name);
    }
}

void TestPictures::pdfPagesAtTheirPageSize_data()
{
    QTest::addColumn<QSizeF>("pageMm");
    QTest::addColumn<double>("pixelsPerMm");
    QTest::addColumn<QByteArray>("bytes"); // empty: a form of that size as QPdfWriter writes it
    QTest::newRow("A4 on a 96 dpi screen") << QSizeF(210, 297) << ScreenPixelsPerMm << QByteArray();
    QTest::newRow("A3 landscape at 300 dpi") << QSizeF(420, 297) << 300 / 25.4 << QByteArray();
    QTest::newRow("a label, 50 x 30 mm") << QSizeF(50, 30) << ScreenPixelsPerMm << QByteArray();
    QTest::newRow("A0 at 600 dpi: the budget") << QSizeF(841, 1189) << 600 / 25.4 << QByteArray();
    // Half an A4 in units of two points: an A4; and the same with its page packed by qpdf into a
    // compressed object stream, as writers of PDF 1.5 on do.
    const QByteArray inUnits =
        handWrittenPdf("/MediaBox [0 0 297.64 420.94] /UserUnit 2", "0 0 0.5 RG 4 w 20 20 257.64 380.94 re S");
    QTest::newRow("A4 in units of 2 points") << QSizeF(210, 297) << ScreenPixelsPerMm << inUnits;
    QString why;
    if (const QByteArray packed = rewrittenByQpdf(inUnits, {"--object-streams=generate"}, &why); !packed.isEmpty())
        QTest::newRow("A4 in units of 2 points, packed by qpdf") << QSizeF(210, 297) << ScreenPixelsPerMm << packed;
}

void TestPictures::pdfPagesAtTheirPageSize()
{
    QFETCH(QSizeF, pageMm);
    QFETCH(double, pixelsPerMm);
    QFETCH(QByteArray, bytes);
    const Loaded loaded = load(bytes.isEmpty() ? pdfForm({pageMm}) : bytes, pixelsPerMm);
    QVERIFY2(loaded.picture, qPrintable(loaded.error));
    // The writer stores its page size in whole points: within half a point (0.18 mm).
    QVERIFY2(near(loaded.picture->sizeMm, pageMm, 0.18), qPrintable(shown(loaded.picture->sizeMm)));
    QVERIFY2(near(loaded.picture->image.size(), withinPixelBudget(pictureDevicePixels(loaded.picture->sizeMm, pixelsPerMm)), 1),
             qPrintable(shown(loaded.picture->image.size())));
    // The frame drawn 100 units in from the edge shows where it was drawn: inked, not blank.
    const QImage &image = loaded.picture->image;
    QVERIFY(qGray(image.pixel(image.width() / 2, image.height() / 2)) > 200);
    int dark = 0;
    for (int x = 0; x < image.width(); ++x)
        dark += qGray(image.pixel(x, image.height() / 2)) < 160;
    QVERIFY(dark >= 2);
}

// Each kind of scan at the size its resolution gives, no larger than the screen needs, drawn the
// right way up, and decoded a strip at a time.
void TestPictures::scansLoadUprightAtTheirSize_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("why");
    QTest::addColumn<int>("page");
    QTest::addColumn<QSize>("pixels"); // as shown, turned upright
    QTest::addColumn<double>("dpi");
    // Where the stored top-left quarter shows: TL, TR, BL or BR, in lower case when it is grey;
    // empty for a page of light grey alone.
    QTest::addColumn<QString>("corner");
    const QSize wide(400, 300), tall(300, 400);
    // JPEGs: JFIF's resolution when it is sane, else EXIF's, else 96 dpi.
    QTest::newRow("JPEG, JFIF density 0") << jpegRecording(QSize(800, 600), 1, 0) << "" << 0 << QSize(800, 600) << 96.0 << "TL";
    QTest::newRow("JPEG, EXIF only, 300 dpi")
        << jpegRecording(QSize(2480, 3508), -1, 0, 300) << "" << 0 << QSize(2480, 3508) << 300.0 << "TL";
    QTest::newRow("JPEG, EXIF only, dots per cm")
        << jpegRecording(QSize(1181, 1181), -1, 0, 118.11, 3) << "" << 0 << QSize(1181, 1181) << 300.0 << "TL";
    QTest::newRow("JPEG, EXIF without resolution")
        << jpegRecording(QSize(480, 240), -1, 0, 0) << "" << 0 << QSize(480, 240) << 96.0 << "TL";
    QTest::newRow("JPEG, JFIF aspect ratio, EXIF 300 dpi")
        << jpegRecording(QSize(1200, 1200), 0, 1, 300) << "" << 0 << QSize(1200, 1200) << 300.0 << "TL";
    QTest::newRow("JPEG, JFIF and EXIF sane: JFIF first")
        << jpegRecording(QSize(1200, 1200), 1, 150, 300) << "" << 0 << QSize(1200, 1200) << 150.0 << "TL";
    QTest::newRow("JPEG, JFIF absurd, EXIF sane")
        << jpegRecording(QSize(1200, 1200), 1, 1, 300) << "" << 0 << QSize(1200, 1200) << 300.0 << "TL";
    for (int dpi : {72, 150, 300, 600}) {
        QTest::addRow("PNG at %d dpi", dpi) << savedAs(QSize(600, 450), dpi, "png") << "" << 0 << QSize(600, 450) << double(dpi) << "TL";
        QTest::addRow("TIFF at %d dpi", dpi) << savedAs(QSize(600, 450), dpi, "tiff") << "" << 0 << QSize(600, 450) << double(dpi) << "TL";
    }
    const QByteArray pages = tiffPages({{wide, 100}, {tall, 150}});
    QTest::newRow("TIFF, page 2 of 2") << pages << "" << 1 << tall << 150.0 << "";
    QTest::newRow("TIFF, page 1 of 2") << pages << "" << 0 << wide << 100.0 << "";
    // A preview between the pages is no page of its own.
    Converted tiff{savedAs(wide, 100, "png"), {}};
    QString &why = tiff.why;
    const QByteArray previewed = madeByTools(tiffPages({{wide, 100}, {QSize(40, 30), 10}, {tall, 150}}), QStringLiteral("scan.tif"),
                                             {{"tiffset", "-d", "1", "-s", "254", "1", "scan.tif"}}, &why);
    QTest::newRow("TIFF, page 2 after a preview") << previewed << why << 1 << tall << 150.0 << "";
    const QStringList rgb = {"-type", "TrueColor"};
    const QList<std::tuple<const char *, QStringList, QList<QStringList>, const char *>> kinds = {
        {"48-bit RGB", rgb + QStringList{"-depth", "16"}, {}, "TL"},
        {"16-bit grey, big-endian", {"-colorspace", "Gray", "-depth", "16", "-define", "tiff:endian=msb"}, {}, "tl"},
        {"4-bit grey", {"-colorspace", "Gray", "-depth", "4"}, {}, "tl"},
        {"palette of two colours", {"-type", "Palette"}, {}, "TL"},
        {"32-bit floating-point RGB", rgb + QStringList{"-define", "quantum:format=floating-point", "-depth", "32"}, {}, "TL"},
        {"16-bit floating-point grey", {"-colorspace", "Gray", "-define", "quantum:format=floating-point", "-depth", "16"}, {}, "tl"},
        {"CMYK", {"-colorspace", "CMYK"}, {}, "TL"},
        {"tiled RGB", rgb + QStringList{"-define", "tiff:tile-geometry=64x64"}, {}, "TL"},
        {"RGB in separate planes", rgb + QStringList{"-interlace", "Plane"}, {}, "TL"},
        {"JPEG-compressed RGB", rgb + QStringList{"-compress", "JPEG"}, {}, "TL"},
        {"JPEG-compressed YCbCr", rgb, {{"tiffcp", "-c", "jpeg", "scan.tif", "ycbcr.tif"}, {"mv", "ycbcr.tif", "scan.tif"}}, "TL"},
        {"CCITT Group 4", {"-monochrome", "-compress", "Group4"}, {}, "tl"},
        {"BigTIFF", rgb, {{"tiffcp", "-8", "scan.tif", "big.tif"}, {"mv", "big.tif", "scan.tif"}}, "TL"},
        {"tiled, orientation 6", rgb + QStringList{"-define", "tiff:tile-geometry=64x64"}, {{"tiffset", "-s", "274", "6", "scan.tif"}}, "TR"},
        {"Group 4, orientation 8", {"-monochrome", "-compress", "Group4"}, {{"tiffset", "-s", "274", "8", "scan.tif"}}, "bl"},
    };
    for (const auto &[name, options, after, corner] : kinds) {
        const QByteArray bytes = tiff(options, after);
        QTest::newRow(name) << bytes << why << 0 << (QByteArray(name).contains("orientation") ? tall : wide) << 100.0 << corner;
    }
    // Orientation 1 to 8: as stored, mirrored, turned 180, flipped, transposed, turned 90
    // clockwise, transversed, turned 90 counter-clockwise.
    const char *corners[] = {"TL", "TR", "BR", "BL", "TL", "TR", "BR", "BL"};
    for (int orientation = 2; orientation <= 8; ++orientation) {
        const QByteArray bytes = tiff(rgb + QStringList{"-compress", "LZW"},
                                      {{"tiffset", "-s", "274", QString::number(orientation), "scan.tif"}});
        QTest::addRow("orientation %d", orientation) << bytes << why << 0 << (orientation >= 5 ? tall : wide) << 100.0
                                                     << corners[orientation - 1];
    }
    for (int orientation : {3, 5, 6, 8}) {
        why.clear();
        const QByteArray jpeg = madeByTools(tiff.png, QStringLiteral("in.png"),
                                            {{"convert", "in.png", "-units", "PixelsPerInch", "-quality", "95", "scan.jpg"},
                                             {"exiftool", "-q", "-overwrite_original", "-n",
                                              QStringLiteral("-Orientation=%1").arg(orientation), "scan.jpg"}},
                                            &why, QStringLiteral("scan.jpg"));
        QTest::addRow("JPEG, EXIF orientation %d", orientation)
            << jpeg << why << 0 << (orientation >= 5 ? tall : wide) << 100.0 << corners[orientation - 1];
    }
    // An A4 page at 300 dpi: 35 MB as an RGBA raster, 4 MB once shown on a 96 dpi screen.
    const QSize a4(2480, 3508);
    tiff.png = savedAs(a4, 300, "png");
    QTest::newRow("A4, 48-bit RGB") << tiff(rgb + QStringList{"-depth", "16"}) << why << 0 << a4 << 300.0 << "TL";
    QTest::newRow("A4, 16-bit grey") << tiff({"-colorspace", "Gray", "-depth", "16"}) << why << 0 << a4 << 300.0 << "tl";
    QTest::newRow("A4, CMYK") << tiff({"-colorspace", "CMYK"}) << why << 0 << a4 << 300.0 << "TL";
    QTest::newRow("A4, tiled RGB") << tiff(rgb + QStringList{"-define", "tiff:tile-geometry=256x256"}) << why << 0 << a4 << 300.0 << "TL";
    QTest::newRow("A4, JPEG-compressed YCbCr")
        << tiff(rgb, {{"tiffcp", "-c", "jpeg", "scan.tif", "ycbcr.tif"}, {"mv", "ycbcr.tif", "scan.tif"}}) << why << 0 << a4 << 300.0 << "TL";
    // A fax scan of an A4 page at 1200 dpi, one strip of 139 megapixels in a few kilobytes.
    const QSize fax(9921, 14032);
    const int rowBytes = (fax.width() + 7) / 8;
    QByteArray pbm = QStringLiteral("P4\n%1 %2\n").arg(fax.width()).arg(fax.height()).toLatin1();
    const qsizetype start = pbm.size();
    pbm.append(QByteArray(qsizetype(rowBytes) * fax.height(), '\0'));
    for (int y = 0; y < fax.height() / 4; ++y)
        memset(pbm.data() + start + qsizetype(y) * rowBytes, 0xFF, size_t(rowBytes / 4));
    why.clear();
    const QByteArray g4 = madeByTools(pbm, QStringLiteral("in.pbm"), {{"ppm2tiff", "-c", "g4", "-R", "1200", "in.pbm", "scan.tif"}}, &why);
    QTest::newRow("A4 fax at 1200 dpi, Group 4") << g4 << why << 0 << fax << 1200.0 << "tl";
}

void TestPictures::scansLoadUprightAtTheirSize()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, why);
    QFETCH(int, page);
    QFETCH(QSize, pixels);
    QFETCH(double, dpi);
    QFETCH(QString, corner);
    QVERIFY2(!bytes.isEmpty(), qPrintable(why));
    const PeakMemory peak;
    const Loaded loaded = load(bytes, ScreenPixelsPerMm, page);
    const double grown = peak.grownMb();
    QVERIFY2(loaded.picture, qPrintable(loaded.error));
    const QSizeF sizeMm = QSizeF(pixels) * 25.4 / dpi;
    QVERIFY2(near(loaded.picture->sizeMm, sizeMm, 0.05), qPrintable(shown(loaded.picture->sizeMm)));
    // As many pixels as the screen needs, never more than were scanned nor past the budget.
    const QImage &image = loaded.picture->image;
    QVERIFY2(near(image.size(), pictureDevicePixels(sizeMm, ScreenPixelsPerMm).boundedTo(pixels), 1), qPrintable(shown(image.size())));
    QCOMPARE(image.size(), withinPixelBudget(pictureDevicePixels(loaded.picture->sizeMm, ScreenPixelsPerMm)).boundedTo(image.size()));
    QVERIFY2(grown < 16, qPrintable(QStringLiteral("%1 MB more at the peak").arg(grown, 0, 'f', 1)));
    // The quarter inked where it was drawn, up to its corner, the other corners white.
    for (const QString at : {"TL", "TR", "BL", "BR"}) {
        const bool left = at[1] == u'L', top = at[0] == u'T';
        const QRgb pixel = image.pixel(left ? image.width() / 10 : image.width() * 9 / 10, top ? image.height() / 10 : image.height() * 9 / 10);
        const QRgb edge = image.pixel(left ? 10 : image.width() - 11, top ? 10 : image.height() - 11);
        if (corner.isEmpty()) {
            QCOMPARE(pixel, qRgb(0xF0, 0xF0, 0xF0));
        } else if (at != corner.toUpper()) {
            QCOMPARE(pixel, qRgb(255, 255, 255));
        } else {
            for (const QRgb ink : {pixel, edge})
                QVERIFY2(qGray(ink) < 60 && (corner != at || (qBlue(ink) > 100 && qRed(ink) < 60 && qGreen(ink) < 60)),
                         qPrintable(QString::number(ink, 16)));
        }
    }
}

void TestPictures::onlyRegularFilesAreRead_data()
{
    QTest::addColumn<bool>("pipe"); // else /dev/zero, whose size shows as 0 and which never ends
    QTest::addColumn<bool>("counted"); // the pages counted, else the picture loaded
    QTest::addColumn<QString>("says");
    QTest::newRow("a pipe, loaded") << true << false << QStringLiteral("canal de comunicare");
    QTest::newRow("a pipe, its pages counted") << true << true << QStringLiteral("canal de comunicare");
    QTest::newRow("a device, loaded") << false << false << QStringLiteral("dispozitiv");
    QTest::newRow("a device, its pages counted") << false << true << QStringLiteral("dispozitiv");
}

void TestPictures::onlyRegularFilesAreRead()
{
    QFETCH(bool, pipe);
    QFETCH(bool, counted);
    QFETCH(QString, says);
    QTemporaryDir dir;
    const QString path = pipe ? dir.filePath(QStringLiteral("macheta.tif")) : QStringLiteral("/dev/zero");
    int pages = 0;
    QString error;
    const auto read = [&] {
        pages = counted ? templatePageCount(path, &error) : loadPicture(path, ScreenPixelsPerMm, &error) ? 1 : -1;
    };
    if (pipe)
        QVERIFY2(endsWithoutWaitingOnFifo(path, read), "opening the pipe blocked");
    else
        read();
    QCOMPARE(pages, -1);
    QVERIFY2(error.contains(QDir::toNativeSeparators(path)) && error.contains(says), qPrintable(error));
}

// Through "Incarca Macheta": a form of three pages asks which one, and takes that one.
void TestPictures::severalPagesAskWhichOne()
{
    DialogSeam::setTestMode(true);
    DialogSeam::reset();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("formular.pdf"));
    QVERIFY(writeFile(path, pdfForm({QSizeF(210, 297), QSizeF(148, 210), QSizeF(297, 210)})));
    QCOMPARE(templatePageCount(path), 3);
    const QString tiff = dir.filePath(QStringLiteral("formular.tif"));
    QVERIFY(writeFile(tiff, tiffPages({{QSize(40, 30), 100}, {QSize(30, 60), 150}})));
    QCOMPARE(templatePageCount(tiff), 2);
    QString why;
    QVERIFY(writeFile(tiff, madeByTools(readFile(tiff), QStringLiteral("scan.tif"),
                                        {{"tiffset", "-d", "1", "-s", "254", "1", "scan.tif"}}, &why)));
    QVERIFY2(templatePageCount(tiff) == 1, qPrintable(why)); // its second image is a preview of the first
    Module1 model;
    frmEcranPrincipal window(model);
    InputBox::queueChoice(std::nullopt); // "Anulare" first: nothing changes
    loadTemplate(window, path);
    QVERIFY(!window.MachetaIncarcata);
    InputBox::queueChoice(1);
    loadTemplate(window, path);
    QVERIFY(window.MachetaIncarcata);
    QCOMPARE(InputBox::choicesShown().constLast(),
             QStringList({"Pagina 1 din 3", "Pagina 2 din 3", "Pagina 3 din 3"}));
    QVERIFY2(near(window.Picture1->picture().sizeMm, QSizeF(148, 210), 0.18), qPrintable(shown(window.Picture1->picture().sizeMm)));
    QVERIFY(MessageBox::shown().isEmpty());
    DialogSeam::setTestMode(false);
}

// A page that asks too much is given up past the time bound or on "Anulare", through the window
// and the command line alike, and leaves the template and the fields as they were; one that asks
// for gigabytes in one drawing is refused them and costs the program nothing.
void TestPictures::heavyPagesAreBounded_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("boundMs");
    QTest::addColumn<int>("memoryMb");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<bool>("commandLine");
    QTest::addColumn<QString>("says"); // empty: it loads
    QTest::newRow("longer than the bound") << endlessPdf() << 1000 << 1024 << false << false
                                           << QStringLiteral("nu a putut fi desenata in 1 secunda");
    QTest::newRow("stopped with Anulare") << endlessPdf() << 20000 << 1024 << true << false
                                          << QStringLiteral("a fost anulata");
    QTest::newRow("from the command line") << endlessPdf() << 1000 << 1024 << false << true
                                           << QStringLiteral("nu a putut fi desenata in 1 secunda");
    QTest::newRow("a drawing of half a gigabyte") << hugeDrawingPdf() << 20000 << 200 << false << false << QString();
}

void TestPictures::heavyPagesAreBounded()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, boundMs);
    QFETCH(int, memoryMb);
    QFETCH(bool, cancel);
    QFETCH(bool, commandLine);
    QFETCH(QString, says);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("greu.pdf"));
    QVERIFY(writeFile(path, bytes));
    const PdfRenderBounds given = pdfRenderBounds();
    const auto restore = qScopeGuard([&given] { setPdfRenderBounds(given); });
    setPdfRenderBounds({std::chrono::milliseconds(boundMs), qint64(memoryMb) << 20});
    QElapsedTimer clock;

    if (commandLine) {
        // What it says on stderr, caught in a file.
        const QString said = dir.filePath(QStringLiteral("stderr.txt"));
        const int saved = ::dup(STDERR_FILENO);
        const int caught = ::open(QFile::encodeName(said).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        QVERIFY(saved >= 0 && caught >= 0);
        ::dup2(caught, STDERR_FILENO);
        ::close(caught);
        clock.start();
        const int status = runCommandLine({QStringLiteral("formulix"), QStringLiteral("--pdf"), dir.filePath(QStringLiteral("iesire.pdf")),
                                           QStringLiteral("--template"), path,
                                           QStringLiteral(FORMULIX_SOURCE_DIR "/examples/certificat.tip")},
                                          [] { return std::unique_ptr<QCoreApplication>(); });
        ::dup2(saved, STDERR_FILENO);
        ::close(saved);
        QCOMPARE(status, int(RunSchema));
        QVERIFY(clock.elapsed() < boundMs + 3000);
        const QString told = QString::fromUtf8(readFile(said));
        QVERIFY2(told.contains(says) && told.contains(path), qPrintable(told));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("iesire.pdf"))));
        return;
    }

    DialogSeam::setTestMode(true);
    DialogSeam::reset();
    const auto testModeOff = qScopeGuard([] { DialogSeam::setTestMode(false); });
    Module1 model;
    frmEcranPrincipal window(model);
    const QString before = dir.filePath(QStringLiteral("inainte.pdf"));
    QVERIFY(writeFile(before, pdfForm({QSizeF(148, 210)})));
    loadTemplate(window, before);
    QVERIFY(window.MachetaIncarcata);
    *model.CampuriGen.at(1) = generalField(QStringLiteral("Nume"), 20, 30);
    model.NrCampuriGen = 1;
    const Picture shown = window.Picture1->picture();

    // The progress box, looked for as the user would see it, and "Anulare" pressed when asked.
    qint64 boxAfterMs = -1;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QProgressDialog *>(widget);
            if (!box || !box->isVisible() || boxAfterMs >= 0)
                continue;
            boxAfterMs = clock.elapsed();
            for (QPushButton *button : box->findChildren<QPushButton *>())
                if (cancel && button->text() == QStringLiteral("Anulare"))
                    QTest::mouseClick(button, Qt::LeftButton);
        }
    });
    watch.start(20);
    const PeakMemory peak;
    clock.start();
    loadTemplate(window, path);
    const qint64 tookMs = clock.elapsed();
    watch.stop();
    const double peakGrowthMb = peak.grownMb();

    if (says.isEmpty()) {
        for (const MessageBox::Shown &message : MessageBox::shown())
            QFAIL(qPrintable(message.text));
        QVERIFY(near(window.Picture1->picture().sizeMm, QSizeF(210, 297), 0.18));
        QVERIFY2(peakGrowthMb < 100, qPrintable(QStringLiteral("%1 MB").arg(peakGrowthMb)));
        return;
    }
    QVERIFY2(boxAfterMs >= 450 && boxAfterMs < tookMs, qPrintable(QString::number(boxAfterMs)));
    QVERIFY(tookMs < (cancel ? 3000 : boundMs + 3000));
    QCOMPARE(MessageBox::shown().size(), 1);
    const QString told = MessageBox::shown().constFirst().text;
    QVERIFY2(told.contains(says) && told.contains(QDir::toNativeSeparators(path))
                 && told.contains(QStringLiteral("Macheta de pana acum si campurile au ramas neschimbate")),
             qPrintable(told));
    QCOMPARE(window.Picture1->picture().image.cacheKey(), shown.image.cacheKey());
    QCOMPARE(window.Picture1->picture().sizeMm, shown.sizeMm);
    QVERIFY(window.MachetaIncarcata);
    QCOMPARE(model.NrCampuriGen, qint16(1));
    QCOMPARE(model.CampuriGen.at(1)->Text.shown(), QStringLiteral("Nume"));
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestPictures test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_pictures.moc"
