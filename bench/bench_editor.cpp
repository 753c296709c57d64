// The canvas: a full redraw of 200 general and 50 database fields on a 300 dpi A4 template,
// loading that template, and dragging a field across it, each against a floor measured in the
// same run. Loading's floor is libjpeg's own scaled decode of the file to the canvas's size.
#include "BenchLayout.h"
#include "BenchSupport.h"
#include "gui/app/frmEcranPrincipal.h"
#include "core/page/FieldText.h"
#include "core/text/TextPainter.h"

#include <QApplication>
#include <QFile>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdio>
#include <jpeglib.h>

using namespace formulix;
using formulix::bench::medianMs;

namespace {

// Counts the paints a widget gets, to know a timed loop did reach the screen.
struct PaintCounter : QObject
{
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

QString writeA4Scan(const QString &dir)
{
    QImage scan(2480, 3508, QImage::Format_RGB32);
    scan.fill(Qt::white);
    {
        QPainter painter(&scan);
        painter.setPen(QPen(QColor(90, 90, 140), 4));
        for (int y = 200; y < 3400; y += 120)
            painter.drawLine(150, y, 2330, y);
        painter.setFont(QFont(QStringLiteral("DejaVu Serif"), 60));
        painter.drawText(700, 180, QStringLiteral("CERTIFICAT DE ABSOLVIRE"));
    }
    scan.setDotsPerMeterX(int(300 / 0.0254));
    scan.setDotsPerMeterY(int(300 / 0.0254));
    const QString path = dir + QStringLiteral("/a4-300dpi.jpg");
    scan.save(path, "JPEG", 90);
    return path;
}

// The file read and decoded by libjpeg straight into RGB32 rows, scaled by the decoder itself
// (scale_num / scale_denom, which it rounds up to its next eighth) towards `size`.
QImage libjpegScaledDecode(const QString &path, QSize size)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    const QByteArray data = file.readAll();
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(data.constData()), (unsigned long)data.size());
    jpeg_read_header(&info, TRUE);
    info.scale_num = unsigned(size.width());
    info.scale_denom = info.image_width;
    info.out_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    jpeg_start_decompress(&info);
    QImage image(int(info.output_width), int(info.output_height), QImage::Format_RGB32);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return image;
}

} // namespace

int main(int argc, char *argv[])
{
    bench::preferOffscreen();
    QApplication app(argc, argv);
    DialogSeam::setTestMode(true);
    QTemporaryDir dir;
    const QString scan = writeA4Scan(dir.path());

    Module1 model;
    frmEcranPrincipal window(model);
    window.show();

    // Loading the template, against libjpeg decoding it to the size the canvas shows it at.
    CommonDialog::queueAnswer(scan);
    window.mnuIncarcaMacheta_Click();
    const QSize shown = window.Picture1->picture().image.size();
    QSize decoded;
    const auto [load, decode] = bench::medianMsTurnAbout(
        41,
        [&] {
            CommonDialog::queueAnswer(scan);
            window.mnuIncarcaMacheta_Click();
        },
        [&] { decoded = libjpegScaledDecode(scan, shown).size(); });
    bool ok = bench::report(QStringLiteral("Incarca Macheta, 300 dpi A4 JPEG shown %1 x %2").arg(shown.width()).arg(shown.height()),
                            load, QStringLiteral("libjpeg scaled decode to %1 x %2").arg(decoded.width()).arg(decoded.height()),
                            decode, 1.1);
    ok = window.Picture1->picture().image.size() == shown && ok;

    // A full redraw, against copying the clean picture and drawing the same texts at the same
    // places with bare QPainter::drawText, their fonts and places worked out beforehand.
    bench::fillLayout(model);

    const QImage clean = window.Picture2->image();
    const QFont face = window.Picture1->face();
    const double ppm = window.Picture1->pixelsPerMm();
    struct Placed
    {
        QFont font;
        QPointF baseline;
        QString text;
    };
    QList<Placed> texts;
    const auto place = [&](const Camp &camp, const QString &text) {
        QFont font = face;
        font.setPointSizeF(camp.MarimeFont * ppm * 25.4 / clean.logicalDpiY());
        const double ascent = QFontMetricsF(font, &clean).ascent();
        texts.append({font, QPointF(camp.X * ppm, camp.Y * ppm + ascent), text});
    };
    for (int i = 1; i <= 200; ++i)
        place(*model.CampuriGen.at(i), model.CampuriGen.at(i)->Text.shown());
    for (int i = 1; i <= 50; ++i)
        place(*model.CampuriBD.at(i), frmEcranPrincipal::displayText(*model.CampuriBD.at(i), false));
    QImage canvas;
    const auto [redraw, bare] = bench::medianMsTurnAbout(31, [&] { window.RedeseneazaCampuri(); }, [&] {
        canvas = clean.copy();
        QPainter painter(&canvas);
        for (const Placed &placed : texts) {
            painter.setFont(placed.font);
            painter.drawText(placed.baseline, placed.text);
        }
    });
    ok = bench::report(QStringLiteral("RedeseneazaCampuri, 250 fields on 300 dpi A4"), redraw,
                       QStringLiteral("copy and bare QPainter::drawText"), bare, 1.3) && ok;

    // The same with every field styled, against drawing the very lines it draws, laid out
    // beforehand, in their fonts at their places.
    Module1 plain = model;
    bench::styleLayout(model);
    struct Line
    {
        QFont font;
        QPointF at;
        QString text;
    };
    QList<Line> lines;
    auto layOut = [&](const Camp &camp, bool general) {
        const PrintedText text = printedField(camp, frmEcranPrincipal::displayText(camp, general));
        const TextBlock block = layoutText(text.topLeftMm, text.text, text.face, text.points, text.placement,
                                           TextMeasure::Screen);
        const QFont font = fontForDevice(text.face, block.points, ppm, &canvas);
        const double ascent = QFontMetricsF(font, &canvas).ascent();
        for (qsizetype i = 0; i < block.lines.size(); ++i)
            lines.append({font, QPointF(block.leftMm.at(i) * ppm, (text.topLeftMm.y() + i * block.lineHeightMm) * ppm + ascent),
                          block.lines.at(i)});
    };
    for (int i = 1; i <= 200; ++i)
        layOut(*model.CampuriGen.at(i), true);
    for (int i = 1; i <= 50; ++i)
        layOut(*model.CampuriBD.at(i), false);
    const auto [styledRedraw, styledFloor] = bench::medianMsTurnAbout(
        60, [&] { window.RedeseneazaCampuri(); },
        [&] {
            canvas = clean.copy();
            QPainter painter(&canvas);
            for (const Line &line : std::as_const(lines)) {
                if (painter.font() != line.font)
                    painter.setFont(line.font);
                painter.drawText(line.at, line.text);
            }
        });
    ok = bench::report(QStringLiteral("RedeseneazaCampuri, 250 styled fields on 300 dpi A4"), styledRedraw,
                       QStringLiteral("copy and QPainter lines"), styledFloor, 1.3) && ok;
    model = plain; // the drag below grips a field by its plain place
    window.RedeseneazaCampuri();

    // Dragging: each pointer move with the repaint it causes, against a full redraw with its
    // repaint. Both reach the screen, as the user sees them.
    window.resize(1400, 1000);
    QApplication::processEvents();
    PictureBox *box = window.Picture1;
    const double scale = box->pixelsPerMm();
    const auto send = [&](QEvent::Type type, QPointF mm, Qt::MouseButtons held) {
        const QPointF at = mm * scale;
        QMouseEvent event(type, at, box->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(box, &event);
    };
    const double fullRedraw = medianMs(30, [&] {
        window.RedeseneazaCampuri();
        box->update();
        QApplication::processEvents();
    });
    const Camp &dragged = *model.CampuriBD.at(25);
    const QPointF grip(dragged.X + 0.5, dragged.Y + 0.5);
    send(QEvent::MouseButtonPress, grip, Qt::LeftButton);
    send(QEvent::MouseMove, grip + QPointF(3, 0), Qt::LeftButton); // the drag starts here
    QApplication::processEvents();
    PaintCounter counter;
    box->installEventFilter(&counter);
    int step = 0;
    const double perMove = medianMs(400, [&] {
        ++step; // across the page and back, a millimetre at a time
        const double x = 10 + (step % 200 < 100 ? step % 100 : 100 - step % 100) * 1.8;
        send(QEvent::MouseMove, QPointF(x, grip.y() + (step % 7)), Qt::LeftButton);
        QApplication::processEvents();
    });
    box->removeEventFilter(&counter);
    send(QEvent::MouseButtonRelease, QPointF(120, grip.y()), Qt::NoButton);
    QTextStream(stdout) << QStringLiteral("  (%1 canvas paints in %2 moves)\n").arg(counter.paints).arg(step);
    ok = bench::report(QStringLiteral("Dragging a field over 250 on 300 dpi A4, per pointer move"), perMove,
                       QStringLiteral("full RedeseneazaCampuri"), fullRedraw, 0.5)
        && ok;
    ok = model.CampuriBD.at(25)->X == 120 && counter.paints >= step / 2 && ok;
    return ok ? 0 : 1;
}
