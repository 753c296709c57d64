#pragma once
// Qt's print support (printers, the system's list of them, the print dialog) is reached through a
// module of the program, opened with the first printer or print dialog asked for: linked, it
// would be loaded at every start of the window. The program holds its printers as QPrinter, a
// paint device like any, and calls QPrinter's own members only through this table. Both sides
// are built together, so a C++ interface crosses between them.

#include <QPrinter>
#include <QString>
#include <QStringList>

class QWidget;

namespace formulix {

struct PrintSupport
{
    // A printer in high resolution with Qt's defaults (the default printer's, when there is one).
    QPrinter *(*newPrinter)();
    // The default printer in high resolution; nullptr when the system has none.
    QPrinter *(*newDefaultPrinter)();
    // The printer so named in high resolution; nullptr when the system has none by that name.
    QPrinter *(*newNamedPrinter)(const QString &name);
    // The default printer's name; empty when there is none.
    QString (*defaultPrinterName)();
    // The names of the system's printers.
    QStringList (*printerNames)();
    // Whether the queue of the printer so named is stopped (paused).
    bool (*printerStopped)(const QString &name);

    QString (*printerName)(const QPrinter &printer);
    int (*resolution)(const QPrinter &printer);
    QPrinter::OutputFormat (*outputFormat)(const QPrinter &printer);
    QString (*outputFileName)(const QPrinter &printer);
    QPrinter::PrinterState (*printerState)(const QPrinter &printer);
    void (*setOutputFormat)(QPrinter &printer, QPrinter::OutputFormat format);
    void (*setOutputFileName)(QPrinter &printer, const QString &name);
    void (*setDocName)(QPrinter &printer, const QString &name);
    bool (*abort)(QPrinter &printer);

    // The print dialog for `printer`, without printing to a file, page ranges or a selection;
    // true when the user accepted it.
    bool (*choosePrinter)(QPrinter &printer, QWidget *parent);
};

// What the module exports, under the name PrintSupportEntry.
using PrintSupportFunction = const PrintSupport *(*)();
constexpr const char *PrintSupportEntry = "formulixPrintSupport";

// The module's table, opened on the first call; nullptr when the module is missing.
const PrintSupport *printSupport();

// What the user is told when it is missing.
QString missingPrintSupport();

} // namespace formulix
