#pragma once
// Printing pages of texts at true size: on the system's default printer, on a printer the user
// chose, or into a PDF file. Tests can send the default printer's pages to a PDF file instead.

#include "core/files/FileSafety.h"
#include "core/page/PageRenderer.h"
#include "core/page/PageSink.h"

#include <QPainter>
#include <QRectF>
#include <QString>
#include <memory>

class QPageLayout;
class QPagedPaintDevice;
class QPdfWriter;
class QPrinter;

namespace formulix {

namespace PrinterSeam {
// Pages go to this PDF file instead of the default printer; an empty path restores the printer.
void setPdfOutput(const QString &path);
QString pdfOutput();
} // namespace PrinterSeam

struct PrintResult
{
    bool ok = false;
    QString error;      // a Romanian sentence for the user when not ok
    QString printer;    // the printer's name
    QRectF printableMm; // the printable area on the paper, in millimetres
    QString notice;     // what the user should know of a job that went out (a stopped printer)
};

// One print job or PDF file, page after page on one painter; nothing of a page is kept once it
// is drawn.
class PageJob final : public PageSink
{
public:
    ~PageJob() override;
    PageJob(const PageJob &) = delete;
    PageJob &operator=(const PageJob &) = delete;

    // The default printer (or the test seam's PDF file); nullptr with the reason when there is
    // none.
    static std::unique_ptr<PageJob> toDefaultPrinter(QString *error);
    // A printer set up by the user in the print dialog; the job does not own it.
    static std::unique_ptr<PageJob> toPrinter(QPrinter *printer);
    // The printer of that name; nullptr with the reason when there is none.
    static std::unique_ptr<PageJob> toNamedPrinter(const QString &name, QString *error);
    // The default printer for a preview, or A4 paper with the whole sheet printable when there is
    // no printer; never nullptr.
    static std::unique_ptr<PageJob> forPreview();
    // A PDF file on the default printer's paper (A4 without a printer). It is written beside
    // `path` and takes that name only when the job finishes, so a failed or cancelled job leaves
    // the old file as it was and nothing half-written under the name. A read-only file is
    // replaced only when `replaceReadOnly`.
    // `paper`: the paper and margins chosen in the print dialog, instead of the default printer's.
    static std::unique_ptr<PageJob> toPdf(const QString &path, bool replaceReadOnly = false,
                                          const QPageLayout *paper = nullptr);
    // The paper and printable area a PDF of toPdf() gets for the orientation: other exports
    // draw on the same, so their texts land where the PDF's do.
    static PaperArea pdfPaper(PageOrientation orientation);
    // Whose profile the default printer's pages take: its name, or files' when there is no
    // printer or the test seam writes its pages to a PDF.
    static QString defaultProfileOwner();
    // The paper and printable area a profile's owner prints on (files: those of toPdf()).
    static PaperArea paperOf(const QString &profileOwner, PageOrientation orientation);

    // Sets the printer up for the orientation without starting: the paper and the printable
    // area are then known (a preview shows them).
    void prepare(PageOrientation orientation);
    // Starts the job; false with a Romanian reason.
    bool begin(PageOrientation orientation, const QString &documentName, QString *error) override;
    QString printerName() const;
    QString destination() const override { return printerName(); }
    QRectF printableMm() const override;
    // The printer's own dots per millimetre.
    double pixelsPerMm() const override;
    QSizeF paperMm() const override;

    bool addPage(const PageContent &content, QSizeF pageMm, double offsetLeft, double offsetUp,
                 const Picture *form, QString *error) override;
    int pagesDone() const override { return m_pages; }
    // Ends the job: every page goes out (a PDF file takes its name); false with the reason.
    bool finish(QString *error) override;
    // After finish(): what the user should know although the job went out, in Romanian (a
    // printer stopped, whose queue holds the job); empty when nothing.
    QString notice() const override { return m_notice; }
    // A printer's name; files' (empty) for a PDF, written here or by Qt's print-to-file.
    QString profileOwner() const override;
    // Stops the job: a printer's job is withdrawn; a PDF file keeps the pages done aside, under no
    // name, until keepFinishedPages() (a file chosen in the print dialog keeps them in place).
    bool cancel(QString *error) override;
    // After cancel(), the finished pages of a PDF go to a file of their own beside the one asked
    // for, which stays as it was. The name taken, or empty with the reason.
    QString keepFinishedPages(QString *error);
    bool canKeepFinishedPages() const;
    // The name keepFinishedPages() would try first.
    QString finishedPagesName() const;

private:
    PageJob() = default;

    QPagedPaintDevice *device() const;
    int resolution() const;
    // Why the file could not be written, naming it.
    QString fileFailure() const;

    std::unique_ptr<QPrinter> m_owned;
    QPrinter *m_printer = nullptr;
    QString m_name;
    QString m_pdfPath; // the name the file takes at the end
    bool m_replaceReadOnly = false;
    std::unique_ptr<OutputFile> m_file; // declared before the writer, which writes into it
    std::unique_ptr<QPdfWriter> m_pdf;
    // A PDF takes the default printer's paper and printable area, so its texts land where that
    // printer puts them.
    std::unique_ptr<QPrinter> m_reference;
    QPointF m_origin; // the printable area's corner in the device's own printable area, mm
    QPainter m_painter;
    QRectF m_printable;
    int m_pages = 0;
    bool m_started = false;
    QString m_notice;
};

// Prints the texts of a page image of `pageMm` on one page of the default printer, placed and
// cut as PageGeometry says (see PageRenderer.h), corrected by the printer's stored profile.
PrintResult printPage(const QList<PrintedText> &texts, QSizeF pageMm, double offsetLeft,
                      double offsetUp, PageOrientation orientation, const QString &documentName);

} // namespace formulix
