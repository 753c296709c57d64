// The module that reaches Qt's print support (see printer/PrintSupport.h).
#include "printer/PrintSupport.h"

#include <QPrintDialog>
#include <QPrinterInfo>

namespace {

const formulix::PrintSupport Table{
    [] { return new QPrinter(QPrinter::HighResolution); },
    []() -> QPrinter * {
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        return info.isNull() ? nullptr : new QPrinter(info, QPrinter::HighResolution);
    },
    [](const QString &name) -> QPrinter * {
        const QPrinterInfo info = QPrinterInfo::printerInfo(name);
        return info.isNull() ? nullptr : new QPrinter(info, QPrinter::HighResolution);
    },
    [] { return QPrinterInfo::defaultPrinterName(); },
    [] { return QPrinterInfo::availablePrinterNames(); },
    [](const QString &name) { return QPrinterInfo::printerInfo(name).state() == QPrinter::Error; },
    [](const QPrinter &printer) { return printer.printerName(); },
    [](const QPrinter &printer) { return printer.resolution(); },
    [](const QPrinter &printer) { return printer.outputFormat(); },
    [](const QPrinter &printer) { return printer.outputFileName(); },
    [](const QPrinter &printer) { return printer.printerState(); },
    [](QPrinter &printer, QPrinter::OutputFormat format) { printer.setOutputFormat(format); },
    [](QPrinter &printer, const QString &name) { printer.setOutputFileName(name); },
    [](QPrinter &printer, const QString &name) { printer.setDocName(name); },
    [](QPrinter &printer) { return printer.abort(); },
    [](QPrinter &printer, QWidget *parent) {
        QPrintDialog dialog(&printer, parent);
        dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        return dialog.exec() == QDialog::Accepted;
    },
};

} // namespace

extern "C" Q_DECL_EXPORT const formulix::PrintSupport *formulixPrintSupport()
{
    return &Table;
}
