// "Pagina de calibrare" and "Calibrare...": the sheet goes through the job of many records, so
// it prints, previews and exports exactly as any page does.
#include "gui/app/Application.h"
#include "gui/app/frmEcranPrincipal.h"
#include "widgets/Dialogs.h"
#include "printer/Printer.h"
#include "core/page/Calibration.h"
#include "gui/print/CalibrationDialog.h"

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
    QString error;
    std::unique_ptr<PageJob> job = PageJob::toDefaultPrinter(&error);
    if (!job) {
        MessageBox::information(this, applicationTitle(), error);
        return;
    }
    JobRequest request;
    request.choice.kind = RecordChoice::Calibration;
    runPageJob(*job, request, JobOutput::Printer);
}

void frmEcranPrincipal::calibrate()
{
    RecordChoice sheet;
    sheet.kind = RecordChoice::Calibration;
    const QSizeF canvas = jobCanvasMm(sheet);
    std::unique_ptr<PageJob> paper = PageJob::forPreview();
    paper->prepare(pageOrientation());
    const QList<CalibrationTarget> targets = calibrationTargets(canvas);
    CalibrationSetup setup;
    setup.intended1 = targets.at(0).positionMm;
    setup.intended4 = targets.at(3).positionMm;
    setup.offsetLeft = m.PozStanga;
    setup.offsetUp = m.PozSus;
    setup.kx = paper->printableMm().width() / canvas.width();
    setup.ky = paper->printableMm().height() / canvas.height();
    setup.paperMm = paper->paperMm();
    const std::optional<CalibrationResult> result = CalibrationDialog::ask(this, setup);
    if (!result)
        return;
    const PendingEdit edit = beginEdit();
    m.PozStanga = qint16(result->offsetLeft);
    m.PozSus = qint16(result->offsetUp);
    recordEdit(edit, QStringLiteral("calibrarea"));
}

} // namespace formulix
