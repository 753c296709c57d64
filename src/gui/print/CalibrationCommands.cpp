// "Pagina de calibrare" and "Calibrare...": the sheet goes through the job of many records, so
// it prints, previews and exports exactly as any page does; the profile it gives is the
// printer's, kept in the user's settings, never in the schema.
#include "gui/app/Application.h"
#include "gui/app/frmEcranPrincipal.h"
#include "widgets/Dialogs.h"
#include "printer/Printer.h"
#include "core/page/Calibration.h"
#include "gui/print/CalibrationDialog.h"

#include "printer/PrintSupport.h"

namespace formulix {

QSizeF frmEcranPrincipal::jobCanvasMm(const RecordChoice &choice) const
{
    if (choice.kind != RecordChoice::Calibration || MachetaIncarcata)
        return pageSizeMm();
    std::unique_ptr<PageJob> paper = PageJob::forPreview();
    paper->prepare(pageOrientation());
    return paper->paperMm();
}

void frmEcranPrincipal::printCalibrationSheet()
{
    printSheetFor(PageJob::defaultProfileOwner(), false);
}

void frmEcranPrincipal::printSheetFor(const QString &printer, bool confirmation)
{
    JobRequest request;
    request.choice.kind = RecordChoice::Calibration;
    request.confirmation = confirmation;
    QString error;
    std::unique_ptr<PageJob> job;
    if (!printer.isEmpty()) {
        job = PageJob::toNamedPrinter(printer, &error);
    } else if (!PrinterSeam::pdfOutput().isEmpty()) {
        job = PageJob::toDefaultPrinter(&error);
    } else {
        // Files' sheet is a PDF, printed from wherever the files will be.
        const QString fileName = askPdfFileName();
        if (fileName.isEmpty())
            return;
        if ((job = pdfJob(fileName, nullptr)))
            runPageJob(*job, request, JobOutput::Pdf);
        return;
    }
    if (!job) {
        MessageBox::information(this, applicationTitle(), error);
        return;
    }
    runPageJob(*job, request, JobOutput::Printer);
}

void frmEcranPrincipal::calibrate()
{
    CalibrationSetup setup;
    if (const PrintSupport *support = printSupport())
        setup.printers = support->printerNames();
    setup.printers.append(QString());
    setup.printer = PageJob::defaultProfileOwner();
    const PageOrientation orientation = pageOrientation();
    setup.paperOf = [orientation](const QString &printer) { return PageJob::paperOf(printer, orientation); };
    setup.printSheet = [this](const QString &printer, bool confirmation) { printSheetFor(printer, confirmation); };
    CalibrationDialog::ask(this, setup);
}

} // namespace formulix
