#include "gui/app/Application.h"
#include "gui/app/frmEcranPrincipal.h"
#include "widgets/Dialogs.h"
#include "printer/Printer.h"
#include "gui/print/BatchPrintDialog.h"
#include "core/page/Calibration.h"
#include "gui/print/CalibrationDialog.h"
#include "gui/print/PreviewWindow.h"
#include "gui/print/frmPozitie.h"
#include "support/TestSupport.h"
#include "support/WindowTest.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace formulix;
using namespace formulix::test;

namespace {

constexpr int Dpi = 300;
constexpr double PixelsPerMm = Dpi / 25.4;

// The centre of the target drawn near `expectedMm` on a page rendered at Dpi: where its cross's
// two lines run, each found as the rows (columns) inked along most of the window.
QPointF targetCentre(const QImage &page, QPointF expectedMm)
{
    const int half = int(6.5 * PixelsPerMm); // inside the arms, above the label
    const QPoint c = (expectedMm * PixelsPerMm).toPoint();
    QList<int> rows(2 * half + 1), columns(2 * half + 1);
    for (int dy = -half; dy <= half; ++dy) {
        for (int dx = -half; dx <= half; ++dx) {
            const QPoint p = c + QPoint(dx, dy);
            if (page.rect().contains(p) && qGray(page.pixel(p)) < 128) {
                ++rows[dy + half];
                ++columns[dx + half];
            }
        }
    }
    const auto line = [half](const QList<int> &counts) {
        const int most = *std::max_element(counts.begin(), counts.end());
        double sum = 0, weight = 0;
        for (int i = 0; i < counts.size(); ++i) {
            if (most > 0 && counts[i] > most * 0.6) {
                sum += (i - half + 0.5) * counts[i];
                weight += counts[i];
            }
        }
        return weight > 0 ? sum / weight : 1e9;
    };
    return QPointF(c.x() + line(columns), c.y() + line(rows)) / PixelsPerMm;
}

struct Sheet
{
    QImage page;
    QSizeF canvasMm;
    QRectF printableMm; // of the PDF the seam writes

    // Where a target placed at `positionMm` on the canvas is drawn on the paper, the offsets
    // scaled as the printable area is.
    QPointF drawnAt(QPointF positionMm, int left, int up) const
    {
        return printableMm.topLeft() + positionMm
            - QPointF(left * printableMm.width() / canvasMm.width(), up * printableMm.height() / canvasMm.height());
    }
};

} // namespace

Q_DECLARE_METATYPE(formulix::CalibrationInput)

class TestCalibration : public WindowTest
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void targetsLandAtTheirPlaces_data();
    void targetsLandAtTheirPlaces();
    void offsetsFromMeasurements_data();
    void offsetsFromMeasurements();
    void badMeasurementsAreMarked_data();
    void badMeasurementsAreMarked();
    void measuredOffsetsPutTheTargetsBack();
    void sheetInPreviewAndPdf();

private:
    Sheet printSheet(int orientation, int left, int up);

};

void TestCalibration::init()
{
    BatchPrintDialog::reset();
    CalibrationDialog::reset();
    QVERIFY(openWindow());
}

void TestCalibration::cleanup()
{
    PrinterSeam::setPdfOutput(QString());
    closeWindow();
}

// "Pagina de calibrare" with no template, through the default printer's seam.
Sheet TestCalibration::printSheet(int orientation, int left, int up)
{
    m_model->Orientare = qint16(orientation);
    m_model->PozStanga = qint16(left);
    m_model->PozSus = qint16(up);
    const QString pdf = m_dir->filePath(QStringLiteral("calibrare.pdf"));
    QFile::remove(pdf);
    PrinterSeam::setPdfOutput(pdf);
    m_window->calibrationSheetAction->trigger();
    const PageOrientation turn = orientation == 1 ? PageOrientation::Landscape : PageOrientation::Portrait;
    Sheet sheet;
    std::unique_ptr<PageJob> seam = PageJob::toDefaultPrinter(nullptr);
    seam->prepare(turn);
    sheet.printableMm = seam->printableMm();
    std::unique_ptr<PageJob> paper = PageJob::forPreview();
    paper->prepare(turn);
    sheet.canvasMm = paper->paperMm();
    sheet.page = renderPdfPage(pdf, 1, Dpi);
    return sheet;
}

void TestCalibration::targetsLandAtTheirPlaces_data()
{
    QTest::addColumn<int>("orientation");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("up");
    for (int orientation : {1, 2}) {
        const char *name = orientation == 1 ? "landscape" : "portrait";
        QTest::addRow("%s 0/0", name) << orientation << 0 << 0;
        QTest::addRow("%s 20/5", name) << orientation << 20 << 5;
        QTest::addRow("%s -12/-7", name) << orientation << -12 << -7;
    }
}

void TestCalibration::targetsLandAtTheirPlaces()
{
    QFETCH(int, orientation);
    QFETCH(int, left);
    QFETCH(int, up);
    const Sheet sheet = printSheet(orientation, left, up);
    QVERIFY(!sheet.page.isNull());
    QVERIFY2(MessageBox::shown().constLast().text.contains(QStringLiteral("1 pagina")),
             qPrintable(MessageBox::shown().constLast().text));
    for (const CalibrationTarget &target : calibrationTargets(sheet.canvasMm)) {
        const QPointF expected = sheet.drawnAt(target.positionMm, left, up);
        const QPointF found = targetCentre(sheet.page, expected);
        QVERIFY2(std::hypot(found.x() - expected.x(), found.y() - expected.y()) <= 0.2,
                 qPrintable(QStringLiteral("target %1 at %2,%3 instead of %4,%5")
                                .arg(target.number)
                                .arg(found.x())
                                .arg(found.y())
                                .arg(expected.x())
                                .arg(expected.y())));
    }
}

void TestCalibration::offsetsFromMeasurements_data()
{
    QTest::addColumn<CalibrationInput>("input");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("up");
    QTest::addColumn<QPointF>("residual");
    QTest::addColumn<double>("scale");
    QTest::addColumn<double>("skew");
    QTest::addColumn<int>("hints");

    CalibrationInput a4; // landscape A4, targets 1 and 4 at 30 mm from the corners
    a4.intended1 = {30, 30};
    a4.intended4 = {267, 180};
    a4.paperHeightMm = 210;

    CalibrationInput in = a4;
    in.measured1 = {30, 30};
    in.measured4 = {267, 180};
    QTest::newRow("in place") << in << 0 << 0 << QPointF(0, 0) << 0.0 << 0.0 << 0;
    in.offsetLeft = 20;
    in.offsetUp = 5;
    in.measured1 = {33.4, 27.2};
    in.measured4 = {270.4, 177.2};
    QTest::newRow("right and up") << in << 23 << 2 << QPointF(0.4, 0.2) << 0.0 << 0.0 << 0;
    in.offsetLeft = -3;
    in.offsetUp = 0;
    in.measured1 = {26, 31};
    in.measured4 = {263, 181};
    QTest::newRow("negative offsets") << in << -7 << 1 << QPointF(0, 0) << 0.0 << 0.0 << 0;
    in = a4;
    in.kx = 0.95;
    in.ky = 0.9;
    in.measured1 = {31.9, 34.5};
    in.measured4 = {268.9, 184.5};
    QTest::newRow("kx and ky below 1") << in << 2 << 5 << QPointF(0.0, 0.0) << 0.0 << 0.0 << 0;
    in = a4;
    in.measured1 = {30, 30};
    in.measured4 = {262.3, 177};
    QTest::newRow("fit to page") << in << -2 << -2 << QPointF(-0.35, 0.5) << -1.99 << 0.0 << 1;
    in = a4;
    in.measured1 = {30, 30};
    in.measured4 = {268.5, 178.5}; // turned by about 0.4 degrees
    QTest::newRow("skewed paper") << in << 1 << -1 << QPointF(-0.25, 0.25) << 0.17 << -1.55 << 1;

    CalibrationInput portrait;
    portrait.intended1 = {30, 30};
    portrait.intended4 = {180, 267};
    portrait.paperHeightMm = 297;
    portrait.offsetLeft = 20;
    portrait.offsetUp = 5;
    portrait.measured1 = {28, 25};
    portrait.measured4 = {178, 262};
    QTest::newRow("portrait") << portrait << 18 << 0 << QPointF(0, 0) << 0.0 << 0.0 << 0;
}

void TestCalibration::offsetsFromMeasurements()
{
    QFETCH(CalibrationInput, input);
    QFETCH(int, left);
    QFETCH(int, up);
    QFETCH(QPointF, residual);
    QFETCH(double, scale);
    QFETCH(double, skew);
    QFETCH(int, hints);
    const CalibrationResult result = computeCalibration(input);
    QCOMPARE(result.offsetLeft, left);
    QCOMPARE(result.offsetUp, up);
    QVERIFY2(std::abs(result.residualMm.x() - residual.x()) < 0.01 && std::abs(result.residualMm.y() - residual.y()) < 0.01,
             qPrintable(QStringLiteral("%1,%2").arg(result.residualMm.x()).arg(result.residualMm.y())));
    QVERIFY2(std::abs(result.scalePercent - scale) < 0.02, qPrintable(QString::number(result.scalePercent)));
    QVERIFY2(std::abs(result.skewMm - skew) < 0.1, qPrintable(QString::number(result.skewMm)));
    QCOMPARE(result.hints.size(), hints);
    if (std::abs(scale) > ScaleLimitPercent)
        QVERIFY(result.hints.join(u' ').contains(QStringLiteral("fit to page")));
    if (std::abs(skew) > SkewLimitMm)
        QVERIFY(result.hints.join(u' ').contains(QStringLiteral("ghidajul hartiei")));
}

void TestCalibration::badMeasurementsAreMarked_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<bool>>("marked");
    QTest::addColumn<bool>("applies");
    QTest::newRow("comma decimals") << QStringList{"30,5", "29,5", "267", "180,25"} << QList<bool>{0, 0, 0, 0} << true;
    QTest::newRow("point decimals") << QStringList{"30.5", "29", "267", "180"} << QList<bool>{0, 0, 0, 0} << true;
    QTest::newRow("one empty") << QStringList{"30", "", "267", "180"} << QList<bool>{0, 0, 0, 0} << false;
    QTest::newRow("not a number") << QStringList{"30", "treizeci", "267", "1e"} << QList<bool>{0, 1, 0, 1} << false;
    QTest::newRow("off the paper") << QStringList{"-1", "30", "298", "211"} << QList<bool>{1, 0, 1, 1} << false;
}

void TestCalibration::badMeasurementsAreMarked()
{
    QFETCH(QStringList, texts);
    QFETCH(QList<bool>, marked);
    QFETCH(bool, applies);
    CalibrationSetup setup;
    setup.intended1 = {30, 30};
    setup.intended4 = {267, 180};
    setup.paperMm = {297, 210};
    CalibrationDialog dialog(nullptr, setup);
    dialog.setMeasurements(texts);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(dialog.isMarked(i), marked[i]);
    QCOMPARE(dialog.applyButton()->isEnabled(), applies);
    QCOMPARE(dialog.result().has_value(), applies);
    if (applies)
        QVERIFY(dialog.summary().contains(QStringLiteral("Deplaseaza la stanga: acum 0 mm, calculat")));
    else if (marked.contains(true))
        QVERIFY2(dialog.summary().contains(QStringLiteral("numar")) || dialog.summary().contains(QStringLiteral("pe foaie")),
                 qPrintable(dialog.summary()));
}

// Offsets A, a printer that puts everything a little off, the sheet measured: the offsets
// "Calibrare..." computes put the targets back where they belong.
void TestCalibration::measuredOffsetsPutTheTargetsBack()
{
    const QPointF printerError(2.6, -1.8); // what this printer adds to every position
    const Sheet first = printSheet(1, 20, 5);
    const QList<CalibrationTarget> targets = calibrationTargets(first.canvasMm);
    QStringList measured;
    for (int index : {0, 3}) {
        const QPointF onPaper = targetCentre(first.page, first.drawnAt(targets[index].positionMm, 20, 5)) + printerError;
        measured << QString::number(onPaper.x(), 'f', 1).replace(u'.', u',')
                 << QString::number(onPaper.y(), 'f', 1).replace(u'.', u',');
    }
    CalibrationDialog::queueAnswer(measured);
    m_window->calibrateAction->trigger();
    QVERIFY(m_model->PozStanga != 20 || m_model->PozSus != 5);

    // The page dialog shows them the next time it comes up.
    m_window->mnuSeteazaPag_Click();
    QVERIFY(m_window->pageWindow());
    QCOMPARE(m_window->pageWindow()->Text1->text(), QString::number(m_model->PozStanga));
    QCOMPARE(m_window->pageWindow()->Text2->text(), QString::number(m_model->PozSus));

    const Sheet second = printSheet(1, m_model->PozStanga, m_model->PozSus);
    for (const CalibrationTarget &target : targets) {
        const QPointF onPaper
            = targetCentre(second.page, second.drawnAt(target.positionMm, m_model->PozStanga, m_model->PozSus)) + printerError;
        QVERIFY2(std::hypot(onPaper.x() - target.positionMm.x(), onPaper.y() - target.positionMm.y()) <= 0.5,
                 qPrintable(QStringLiteral("target %1 lands at %2,%3").arg(target.number).arg(onPaper.x()).arg(onPaper.y())));
    }

    // "Anulare" changes nothing.
    const qint16 left = m_model->PozStanga, up = m_model->PozSus;
    CalibrationDialog::queueCancel();
    m_window->calibrateAction->trigger();
    QCOMPARE(m_model->PozStanga, left);
    QCOMPARE(m_model->PozSus, up);
}

void TestCalibration::sheetInPreviewAndPdf()
{
    JobRequest request;
    request.choice.kind = RecordChoice::Calibration;
    BatchPrintDialog::queueAnswer(request);
    m_window->previewAction->trigger();
    QVERIFY(m_window->previewWindow() == nullptr); // the menu waits for a template

    loadTemplate(*m_window, QStringLiteral(FORMULIX_SOURCE_DIR "/examples/certificat.jpg"));
    DialogSeam::reset();
    BatchPrintDialog::queueAnswer(request);
    m_window->previewAction->trigger();
    PreviewWindow *preview = m_window->previewWindow();
    QVERIFY(preview);
    QCOMPARE(preview->pageCount(), 1);

    const QString pdf = m_dir->filePath(QStringLiteral("calibrare.pdf"));
    BatchPrintDialog::queueAnswer(request);
    CommonDialog::queueAnswer(pdf);
    m_window->exportPdfAction->trigger();
    QCOMPARE(pdfPages(pdf), 1);
    const QString text = pdfPageText(pdf, 1);
    QVERIFY2(text.contains(QStringLiteral("Pagina de calibrare")) && text.contains(QRegularExpression(QStringLiteral("4: X [\\d,]+ mm, Y [\\d,]+ mm")))
                 && text.contains(QStringLiteral("Deplaseaza la stanga 20 mm")),
             qPrintable(text));
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    prepareApplication(app);
    DialogSeam::setTestMode(true);
    TestCalibration test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_calibration.moc"
