// Printing: composing and printing one page of 250 fields into a PDF, against a bare QPrinter
// run in the same process drawing the same 250 texts.
#include "BenchLayout.h"
#include "BenchSupport.h"
#include "gui/app/frmEcranPrincipal.h"
#include "printer/Printer.h"

#include <QApplication>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

using namespace formulix;
using formulix::bench::medianMs;

int main(int argc, char *argv[])
{
    bench::preferOffscreen();
    QApplication app(argc, argv);
    DialogSeam::setTestMode(true);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("pagina.pdf"));
    PrinterSeam::setPdfOutput(pdf);

    Module1 model;
    frmEcranPrincipal window(model);
    window.Picture1->setSizeMm(297, 210);
    bench::fillLayout(model);

    const double ours = medianMs(9, [&] { window.mnuTipareste_Click(); });

    const QFont face = window.Picture1->face();
    const double floor = medianMs(9, [&] {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageOrientation(QPageLayout::Landscape);
        QPainter painter(&printer);
        const double pxPerMm = printer.resolution() / 25.4;
        auto draw = [&](const Camp &camp) {
            QFont font = face;
            font.setPointSizeF(camp.MarimeFont);
            painter.setFont(font);
            painter.drawText(QPointF(camp.X * pxPerMm, camp.Y * pxPerMm + painter.fontMetrics().ascent()),
                             camp.Text.shown());
        };
        for (int i = 1; i <= 200; ++i)
            draw(*model.CampuriGen.at(i));
        for (int i = 1; i <= 50; ++i)
            draw(*model.CampuriBD.at(i));
    });
    return bench::report(QStringLiteral("Tipareste, 250 fields into a PDF"), ours, QStringLiteral("bare QPrinter"),
                         floor, 1.3)
        ? 0
        : 1;
}
