#pragma once
// The system's default printer, printing one page of texts at true size. Tests can send the
// page to a PDF file instead.

#include "platform/PictureBox.h"

#include <QRectF>
#include <QString>

namespace formulix {

namespace PrinterSeam {
// Pages go to this PDF file instead of the default printer; an empty path restores the printer.
void setPdfOutput(const QString &path);
QString pdfOutput();
} // namespace PrinterSeam

enum class PageOrientation { Unchanged, Landscape, Portrait };

struct PrintResult
{
    bool ok = false;
    QString error;      // a Romanian sentence for the user when not ok
    QString printer;    // the printer's name
    QRectF printableMm; // the printable area on the paper, in millimetres
};

// Prints the texts of a page image of `pageMm` on one page, placed and cut as PageGeometry
// says (see PageRenderer.h).
PrintResult printPage(const QList<PictureBox::PrintedText> &texts, QSizeF pageMm, double offsetLeft,
                      double offsetUp, PageOrientation orientation, const QString &documentName);

} // namespace formulix
