#include "platform/Printer.h"

#include "platform/PageRenderer.h"
#include "platform/Units.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace formulix {

namespace {

QString &pdfPath()
{
    static QString path;
    return path;
}

} // namespace

void PrinterSeam::setPdfOutput(const QString &path)
{
    pdfPath() = path;
}

QString PrinterSeam::pdfOutput()
{
    return pdfPath();
}

PrintResult printPage(const QList<PictureBox::PrintedText> &texts, QSizeF pageMm, double offsetLeft,
                      double offsetUp, PageOrientation orientation, const QString &documentName)
{
    PrintResult result;
    std::unique_ptr<QPrinter> printer;
    if (!pdfPath().isEmpty()) {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdfPath());
        result.printer = pdfPath();
    } else {
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (info.isNull()) {
            result.error = QStringLiteral("Nu exista o imprimanta implicita. Alegeti o imprimanta implicita in "
                                          "setarile sistemului si tipariti din nou.");
            return result;
        }
        printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
        result.printer = info.printerName();
    }
    printer->setDocName(documentName);
    if (orientation == PageOrientation::Landscape)
        printer->setPageOrientation(QPageLayout::Landscape);
    else if (orientation == PageOrientation::Portrait)
        printer->setPageOrientation(QPageLayout::Portrait);

    // The device's own printable area, not Qt's default margins: the painter's origin is then
    // where the printer really starts printing (the whole sheet on a printer that prints to the
    // edge), which is what the offsets are measured from.
    QPageLayout layout = printer->pageLayout();
    layout.setMode(QPageLayout::StandardMode);
    layout.setMargins(layout.minimumMargins());
    printer->setPageLayout(layout);

    QPainter painter;
    if (!painter.begin(printer.get())) {
        result.error = QStringLiteral("Imprimanta %1 nu poate tipari documentul.").arg(result.printer);
        return result;
    }
    result.printableMm = printer->pageLayout().paintRect(QPageLayout::Millimeter);
    // The painter's origin is the printable area's top-left corner, one unit a device pixel.
    renderPage(painter, printer->resolution() / MmPerInch, {pageMm, result.printableMm, offsetLeft, offsetUp}, texts);
    if (!painter.end() || printer->printerState() == QPrinter::Error) {
        result.error = QStringLiteral("Imprimanta %1 nu a putut tipari documentul.").arg(result.printer);
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace formulix
