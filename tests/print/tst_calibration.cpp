#include "gui/app/Application.h"
#include "gui/app/frmEcranPrincipal.h"
#include "widgets/Dialogs.h"
#include "printer/Printer.h"
#include "gui/print/BatchPrintDialog.h"
#include "core/layout/SchemaCodec.h"
#include "core/page/Calibration.h"
#include "core/page/PageLoop.h"
#include "core/page/PngSink.h"
#include "core/page/PrinterProfile.h"
#include "core/page/RecordPages.h"
#include "core/text/TextPainter.h"
#include "gui/print/CalibrationDialog.h"
#include "gui/print/PreviewWindow.h"
#include "support/TestSupport.h"
#include "support/WindowTest.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QtMath>
#include <QImageReader>
#include <QtTest>

using namespace formulix;
using namespace formulix::test;

Q_DECLARE_METATYPE(formulix::PrinterProfile)
Q_DECLARE_METATYPE(formulix::PaperArea)

namespace {

constexpr int Dpi = 300;
constexpr double Ppm = Dpi / 25.4;
// A PDF's letters drawn at 300 dpi stand on whole pixels; at this they are placed to 0.01 mm.
constexpr int FineDpi = 600;
const QString Simulated = QStringLiteral("Simulata");

// What a printer does to a page, in the page's own axes: a turn and scales about the paper's
// top-left corner, then a shift.
QTransform printerOnPage(const PrinterProfile &printer)
{
    const double turn = qDegreesToRadians(printer.rotationDegrees);
    return QTransform::fromScale(printer.scaleX, printer.scaleY) * QTransform().rotateRadians(turn)
        * QTransform::fromTranslate(printer.shiftXMm, printer.shiftYMm);
}

// The page as such a printer puts it on the paper: each pixel of the paper sampled, between the
// four nearest, where it comes from on the page (Qt's own drawing puts a shifted image on whole
// pixels).
QImage printedBy(const QImage &page, const PrinterProfile &printer)
{
    const QImage source = page.convertToFormat(QImage::Format_Grayscale8);
    QImage paper(source.size(), QImage::Format_Grayscale8);
    const QTransform back = (QTransform::fromScale(1 / Ppm, 1 / Ppm) * printerOnPage(printer)
                             * QTransform::fromScale(Ppm, Ppm)).inverted();
    const auto at = [&source](int x, int y) {
        return source.rect().contains(x, y) ? double(source.constScanLine(y)[x]) : 255.0;
    };
    for (int y = 0; y < paper.height(); ++y) {
        uchar *line = paper.scanLine(y);
        for (int x = 0; x < paper.width(); ++x) {
            const QPointF from = back.map(QPointF(x + 0.5, y + 0.5)) - QPointF(0.5, 0.5);
            const int x0 = int(std::floor(from.x())), y0 = int(std::floor(from.y()));
            const double fx = from.x() - x0, fy = from.y() - y0;
            const double value = (at(x0, y0) * (1 - fx) + at(x0 + 1, y0) * fx) * (1 - fy)
                + (at(x0, y0 + 1) * (1 - fx) + at(x0 + 1, y0 + 1) * fx) * fy;
            line[x] = uchar(qBound(0.0, std::round(value), 255.0));
        }
    }
    return paper;
}

// The darkness-weighted centre of the ink in `mm` (a rectangle, or a disc within it when
// `disc`), in millimetres of the image.
QPointF inkCentreIn(const QImage &image, const QRectF &mm, bool disc = false, double ppm = Ppm)
{
    const QRect pixels = QRectF(mm.topLeft() * ppm, mm.size() * ppm).toAlignedRect().intersected(image.rect());
    const QPointF centre = mm.center() * ppm;
    const double radius = mm.width() / 2 * ppm;
    double sx = 0, sy = 0, sw = 0;
    for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
        const uchar *line = image.constScanLine(y);
        for (int x = pixels.left(); x <= pixels.right(); ++x) {
            const double w = 255 - line[x];
            if (w <= 0 || (disc && std::hypot(x + 0.5 - centre.x(), y + 0.5 - centre.y()) > radius))
                continue;
            sx += w * (x + 0.5);
            sy += w * (y + 0.5);
            sw += w;
        }
    }
    return sw > 0 ? QPointF(sx, sy) / sw / ppm : QPointF(1e6, 1e6);
}

// A target's centre, from near it: the ink of the whole mark, which is symmetric about its
// centre, and nothing else (its label starts past the arms' ends).
QPointF targetCentre(const QImage &image, QPointF nearMm)
{
    const double radius = 7.5;
    QPointF centre = nearMm;
    for (int step = 0; step < 6; ++step)
        centre = inkCentreIn(image, QRectF(centre - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius)), true);
    return centre;
}

double distance(QPointF a, QPointF b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

QString typed(double mm)
{
    return QString::number(mm, 'f', 2).replace(u'.', u',');
}

QImage grey(const QImage &image)
{
    return image.convertToFormat(QImage::Format_Grayscale8);
}

PaperArea inkjet(QSizeF paper)
{
    return {paper, QRectF(QPointF(3.4, 4.2), QPointF(paper.width() - 3.4, paper.height() - 12.7))};
}

CalibrationSetup setupFor(const PaperArea &paper)
{
    CalibrationSetup setup;
    setup.printers = {Simulated, QString()};
    setup.printer = Simulated;
    setup.paperOf = [paper](const QString &) { return paper; };
    return setup;
}

// Ten typed measurements of where `printer` puts the targets of `paper`; `off` added to one.
QStringList measurementsOf(const PaperArea &paper, const PrinterProfile &printer, int mistyped = -1, QPointF off = {})
{
    QStringList texts;
    for (const CalibrationTarget &target : calibrationTargets(paper)) {
        const QPointF at = printerOnPage(printer).map(target.positionMm) + (target.number - 1 == mistyped ? off : QPointF());
        texts << typed(at.x()) << typed(at.y());
    }
    return texts;
}

} // namespace

class TestCalibration : public WindowTest
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void fitFindsThePrinter_data();
    void fitFindsThePrinter();
    void profilesAreKeptPerPrinter();
    void sheetKeepsClearOfItsTargets_data();
    void sheetKeepsClearOfItsTargets();
    void simulatedPrinterIsCorrected_data();
    void simulatedPrinterIsCorrected();
    void badMeasurementsAreMarked_data();
    void badMeasurementsAreMarked();
    void dialogFitsTheScreen();
    void calibrationThroughTheWindow();
    void everyOutputTakesTheProfile_data();
    void everyOutputTakesTheProfile();
    void commandLineTakesTheProfile_data();
    void commandLineTakesTheProfile();

private:
    QImage render(const PaperArea &paper, const Module1 &model, QSizeF pageMm, RecordChoice::Kind kind,
                  const PrinterProfile &profile);
    QString m_pdf;
};

void TestCalibration::init()
{
    BatchPrintDialog::reset();
    CalibrationDialog::reset();
    QVERIFY(openWindow());
    ProfileStore::setSettingsFile(m_dir->filePath(QStringLiteral("profile.ini")));
    m_pdf = m_dir->filePath(QStringLiteral("pagina.pdf"));
    PrinterSeam::setPdfOutput(m_pdf);
}

void TestCalibration::cleanup()
{
    PrinterSeam::setPdfOutput(QString());
    ProfileStore::setSettingsFile(QString());
    closeWindow();
}

// One page of the layout, or the calibration sheet, through the images' sink with `profile`.
QImage TestCalibration::render(const PaperArea &paper, const Module1 &model, QSizeF pageMm, RecordChoice::Kind kind,
                               const PrinterProfile &profile)
{
    RecordPages pages(model, pageMm);
    RecordChoice choice;
    choice.kind = kind;
    if (!pages.open(choice, nullptr))
        return QImage();
    PngSink sink(m_dir->path(), 1, paper, Dpi, true);
    sink.setProfile(profile);
    const PageLoopOptions options{PageOrientation::Unchanged, QStringLiteral("Formulix"), pageMm,
                                  double(model.PozStanga), double(model.PozSus), nullptr};
    if (runPages(pages, sink, options).end != PageLoopResult::Finished)
        return QImage();
    return grey(QImage(m_dir->filePath(QStringLiteral("0001.png"))));
}

void TestCalibration::fitFindsThePrinter_data()
{
    QTest::addColumn<PrinterProfile>("printer");
    QTest::addColumn<int>("mistyped"); // a target typed 5 mm off, -1 none
    QTest::addColumn<bool>("collinear"); // only targets 1, 2 and one between them
    QTest::addColumn<QString>("refused");
    QTest::newRow("an exact printer") << PrinterProfile() << -1 << false << "";
    QTest::newRow("shift, scale and turn") << PrinterProfile{2.3, -1.7, 0.985, 1.012, -0.8} << -1 << false << "";
    QTest::newRow("a turn of 1.9 degrees") << PrinterProfile{0, 0, 1, 1, 1.9} << -1 << false << "";
    QTest::newRow("one target mistyped") << PrinterProfile{1, 1, 1, 1, 0} << 2 << false << "";
    QTest::newRow("a turn of 2.5 degrees") << PrinterProfile{0, 0, 1, 1, 2.5} << -1 << false << "rotita cu 2,50 grade";
    QTest::newRow("half the size") << PrinterProfile{0, 0, 0.5, 0.5, 0} << -1 << false << "prea departe de 1";
    QTest::newRow("targets on a line") << PrinterProfile() << -1 << true << "singura linie";
}

void TestCalibration::fitFindsThePrinter()
{
    QFETCH(PrinterProfile, printer);
    QFETCH(int, mistyped);
    QFETCH(bool, collinear);
    QFETCH(QString, refused);
    const PaperArea paper = inkjet({297, 210});
    QList<QPointF> intended, measured;
    for (const CalibrationTarget &target : calibrationTargets(paper))
        intended << target.positionMm;
    if (collinear)
        intended = {intended[0], intended[1], (intended[0] + intended[1]) / 2};
    for (int i = 0; i < intended.size(); ++i)
        measured << printerOnPage(printer).map(intended[i]) + (i == mistyped ? QPointF(5, 0) : QPointF());
    const ProfileFit fit = fitProfile(intended, measured);
    QCOMPARE(fit.ok, refused.isEmpty());
    if (!fit.ok) {
        QVERIFY2(fit.error.contains(refused), qPrintable(fit.error));
        return;
    }
    QCOMPARE(fit.residuals.size(), intended.size());
    if (mistyped >= 0) {
        // The wrong one stands out, the others stay under it.
        QVERIFY(fit.worstResidualMm > SuspectResidualMm);
        for (int i = 0; i < intended.size(); ++i)
            QVERIFY((std::hypot(fit.residuals[i].x(), fit.residuals[i].y()) == fit.worstResidualMm) == (i == mistyped));
        return;
    }
    QVERIFY2(fit.worstResidualMm < 1e-6, qPrintable(QString::number(fit.worstResidualMm)));
    const PrinterProfile &found = fit.onPage;
    QVERIFY(qAbs(found.shiftXMm - printer.shiftXMm) < 1e-6 && qAbs(found.shiftYMm - printer.shiftYMm) < 1e-6);
    QVERIFY(qAbs(found.scaleX - printer.scaleX) < 1e-9 && qAbs(found.scaleY - printer.scaleY) < 1e-9);
    QVERIFY(qAbs(found.rotationDegrees - printer.rotationDegrees) < 1e-7);
    // Kept upright, it is the same printer on the landscape page, and the correction undoes it.
    const PrinterProfile kept = PrinterProfile::fromPage(found, paper.paperMm);
    for (const QPointF &point : std::as_const(intended)) {
        QVERIFY(distance(kept.printerMap(paper.paperMm).map(point), printerOnPage(printer).map(point)) < 1e-6);
        QVERIFY(distance(kept.printerMap(paper.paperMm).map(kept.correction(paper.paperMm).map(point)), point) < 1e-6);
    }
}

void TestCalibration::profilesAreKeptPerPrinter()
{
    const QString office = QStringLiteral("Birou/Etaj 2");
    ProfileStore::save(office, {3.456, -2.04, 0.98004, 1.01, 0.5004});
    ProfileStore::save(QString(), {1, 2, 1, 1, 0});
    QCOMPARE(ProfileStore::load(office), (PrinterProfile{3.456, -2.04, 0.98004, 1.01, 0.5004}));
    QCOMPARE(ProfileStore::load(QString()), (PrinterProfile{1, 2, 1, 1, 0}));
    QCOMPARE(ProfileStore::load(QStringLiteral("Alta")), PrinterProfile());
    QCOMPARE(ProfileStore::printers(), QStringList{office});
    QVERIFY(ProfileStore::load(office).described().contains(QStringLiteral("3,5 mm la dreapta si 2,0 mm in sus")));
    ProfileStore::save(office, {0.01, 0, 1, 1, 0}); // nothing a sheet can show
    QVERIFY(ProfileStore::printers().isEmpty());
    // A value past the limits, edited by hand, is not trusted.
    {
        QSettings settings(m_dir->filePath(QStringLiteral("profile.ini")), QSettings::IniFormat);
        settings.setValue(QStringLiteral("ProfilFisiere/scaraX"), 5);
    }
    QCOMPARE(ProfileStore::load(QString()), PrinterProfile());
}

void TestCalibration::sheetKeepsClearOfItsTargets_data()
{
    QTest::addColumn<PaperArea>("paper");
    QTest::addColumn<bool>("corrected");
    const QList<std::pair<const char *, QSizeF>> sizes = {{"A5", {148, 210}}, {"A4", {210, 297}}, {"A3", {297, 420}}};
    for (const auto &[name, size] : sizes) {
        for (const bool landscape : {false, true}) {
            const QSizeF turned = landscape ? size.transposed() : size;
            const char *orientation = landscape ? "landscape" : "portrait";
            QTest::addRow("%s %s, to the edges", name, orientation) << PaperArea{turned, QRectF(QPointF(0, 0), turned)} << false;
            QTest::addRow("%s %s, inkjet margins, confirmation", name, orientation) << inkjet(turned) << true;
        }
    }
}

void TestCalibration::sheetKeepsClearOfItsTargets()
{
    QFETCH(PaperArea, paper);
    QFETCH(bool, corrected);
    const PageContent sheet = calibrationSheet({paper, Simulated, corrected, {-12.3, 4.5, 0.9876, 1.0123, -1.234}});
    QVERIFY(sheet.onPaper);
    QCOMPARE(sheet.targets.size(), 5);
    const QRectF inside = paper.printableMm.adjusted(MinTargetInsetMm, MinTargetInsetMm, -MinTargetInsetMm, -MinTargetInsetMm);
    QList<QRectF> marks;
    for (const TargetMark &target : sheet.targets) {
        const double extent = target.armMm + target.lineMm / 2;
        marks << QRectF(target.centreMm - QPointF(extent, extent), QSizeF(2 * extent, 2 * extent));
        QVERIFY2(inside.contains(marks.last()), qPrintable(QStringLiteral("target at %1,%2").arg(target.centreMm.x()).arg(target.centreMm.y())));
    }
    QList<QRectF> texts;
    QString all;
    for (const PrintedText &text : sheet.texts) {
        const QRectF box = QRectF(text.topLeftMm, textExtentMm(text.text, text.face, text.points)).adjusted(-0.5, -0.5, 0.5, 0.5);
        QVERIFY2(paper.printableMm.contains(box), qPrintable(text.text));
        for (const QRectF &mark : std::as_const(marks))
            QVERIFY2(!box.intersects(mark.adjusted(-1, -1, 1, 1)), qPrintable(text.text));
        for (const QRectF &other : std::as_const(texts))
            QVERIFY2(!box.adjusted(0.5, 0.5, -0.5, -0.5).intersects(other.adjusted(0.5, 0.5, -0.5, -0.5)), qPrintable(text.text));
        texts << box;
        all += text.text + u' ';
    }
    // Every line found its place.
    QVERIFY2(all.contains(corrected ? QStringLiteral("Fisiere > Calibrare...") : QStringLiteral("la fiecare tiparire.")), qPrintable(all));
    QVERIFY(all.contains(QStringLiteral("5: X %1 mm").arg(millimetres(std::round(paper.paperMm.width() / 2)))));
}

void TestCalibration::simulatedPrinterIsCorrected_data()
{
    QTest::addColumn<QSizeF>("form");
    QTest::addColumn<PrinterProfile>("printer");
    QTest::addColumn<double>("tolerance");
    const QList<std::tuple<const char *, PrinterProfile, double>> printers = {
        {"shift 3.5/-2", {3.5, -2, 1, 1, 0}, 0.1},
        {"shift 1.2/2.7", {1.2, 2.7, 1, 1, 0}, 0.1},
        {"scale 0.98x1.01", {0, 0, 0.98, 1.01, 0}, 0.2},
        {"rotation 0.5", {0, 0, 1, 1, 0.5}, 0.2},
    };
    const QList<std::pair<const char *, QSizeF>> forms = {{"A4", {210, 297}}, {"A5", {148, 210}}};
    for (const auto &[form, size] : forms) {
        for (const bool landscape : {false, true}) {
            for (const auto &[name, printer, tolerance] : printers)
                QTest::addRow("%s %s, %s", form, landscape ? "landscape" : "portrait", name)
                    << (landscape ? size.transposed() : size) << printer << tolerance;
        }
    }
}

// A printer that shifts, scales or turns the page: its calibration sheet measured as a user reads
// it, the profile fitted and kept, then the confirmation sheet and a layout's page printed
// through it land where they belong.
void TestCalibration::simulatedPrinterIsCorrected()
{
    QFETCH(QSizeF, form);
    QFETCH(PrinterProfile, printer);
    QFETCH(double, tolerance);
    const PaperArea paper = inkjet(form);
    Module1 layout; // the start offsets 20 and 5, the page image the form's size
    layout.Orientare = form.width() > form.height() ? 1 : 2;
    const QList<QPointF> fields = {{35, 20}, {form.width() - 45, 25}, {form.width() / 2, form.height() / 2},
                                   {35, form.height() - 25}, {form.width() - 45, form.height() - 30}};
    for (const QPointF &at : fields) {
        const int index = ++layout.NrCampuriGen;
        *layout.CampuriGen.at(index) = generalField(QStringLiteral("Campul %1").arg(index), int(at.x()), int(at.y()), 12);
    }

    const QImage sheet = printedBy(render(paper, layout, form, RecordChoice::Calibration, {}), printer);
    QVERIFY(!sheet.isNull());
    const QList<CalibrationTarget> targets = calibrationTargets(paper);
    QStringList measured;
    for (const CalibrationTarget &target : targets) {
        const QPointF found = targetCentre(sheet, printerOnPage(printer).map(target.positionMm));
        measured << typed(found.x()) << typed(found.y());
    }
    CalibrationDialog dialog(nullptr, setupFor(paper));
    dialog.setMeasurements(measured);
    QVERIFY2(dialog.apply(), qPrintable(dialog.summary()));
    const PrinterProfile profile = ProfileStore::load(Simulated);

    double worstTarget = 0, worstField = 0;
    const QImage check = printedBy(render(paper, layout, form, RecordChoice::Calibration, profile), printer);
    for (const CalibrationTarget &target : targets)
        worstTarget = std::max(worstTarget, distance(targetCentre(check, target.positionMm), target.positionMm));

    // Each field's ink against where an exact printer puts it.
    const QImage exact = render(paper, layout, form, RecordChoice::Current, {});
    const QImage corrected = printedBy(render(paper, layout, form, RecordChoice::Current, profile), printer);
    const PageGeometry geometry{form, paper.printableMm, double(layout.PozStanga), double(layout.PozSus)};
    for (int i = 1; i <= layout.NrCampuriGen; ++i) {
        const Camp &camp = *layout.CampuriGen.at(i);
        const QPointF at = paper.printableMm.topLeft() + geometry.shiftMm() + QPointF(camp.X, camp.Y);
        const QRectF box = QRectF(at, textExtentMm(camp.Text.shown(), QGuiApplication::font(), camp.MarimeFont)).adjusted(-3, -3, 3, 3);
        worstField = std::max(worstField, distance(inkCentreIn(corrected, box), inkCentreIn(exact, box)));
    }
    qInfo("%s: targets within %.3f mm, fields within %.3f mm", QTest::currentDataTag(), worstTarget, worstField);
    QVERIFY2(worstTarget <= tolerance && worstField <= tolerance,
             qPrintable(QStringLiteral("targets %1 mm, fields %2 mm off").arg(worstTarget).arg(worstField)));
}

void TestCalibration::badMeasurementsAreMarked_data()
{
    QTest::addColumn<bool>("deviations");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<int>>("marked");
    QTest::addColumn<bool>("applies");
    const QStringList good = measurementsOf(inkjet({210, 297}), {0.5, 0.5, 1, 1, 0});
    QStringList points = good;
    for (QString &text : points)
        text.replace(u',', u'.');
    QTest::newRow("comma decimals") << false << good << QList<int>{} << true;
    QTest::newRow("point decimals") << false << points << QList<int>{} << true;
    QStringList changed = good;
    changed[3].clear();
    QTest::newRow("one empty") << false << changed << QList<int>{} << false;
    changed = good;
    changed[1] = QStringLiteral("treizeci");
    changed[8] = QStringLiteral("1e");
    QTest::newRow("not a number") << false << changed << QList<int>{1, 8} << false;
    changed = good;
    changed[0] = QStringLiteral("-1");
    changed[7] = QStringLiteral("298");
    QTest::newRow("off the paper") << false << changed << QList<int>{0, 7} << false;
    QTest::newRow("deviations") << true << QStringList{"0,5", "-0,3", "0,5", "-0,3", "0,5", "-0,3", "0,5", "-0,3", "0,5", "-0,3"}
                                << QList<int>{} << true;
    QTest::newRow("a deviation too large") << true << QStringList{"60", "0", "0", "0", "0", "0", "0", "0", "0", "0"}
                                           << QList<int>{0} << false;
}

void TestCalibration::badMeasurementsAreMarked()
{
    QFETCH(bool, deviations);
    QFETCH(QStringList, texts);
    QFETCH(QList<int>, marked);
    QFETCH(bool, applies);
    CalibrationDialog dialog(nullptr, setupFor(inkjet({210, 297})));
    dialog.setDeviationsMode(deviations);
    dialog.setMeasurements(texts);
    for (int i = 0; i < 2 * CalibrationDialog::Targets; ++i)
        QCOMPARE(dialog.isMarked(i), marked.contains(i));
    QCOMPARE(dialog.applyButton()->isEnabled(), applies);
    QCOMPARE(dialog.apply(), applies);
    QCOMPARE(ProfileStore::load(Simulated).isIdentity(), !applies);
    if (applies)
        QVERIFY2(dialog.summary().contains(QStringLiteral("deplasare 0,5 mm la dreapta")), qPrintable(dialog.summary()));
    else if (!marked.isEmpty())
        QVERIFY2(dialog.summary().contains(QStringLiteral("numar")) || dialog.summary().contains(QStringLiteral("pe foaie"))
                     || dialog.summary().contains(QStringLiteral("abatere")),
                 qPrintable(dialog.summary()));
}

// With its longest texts (a long printer name, every hint, a mistyped target, the saved
// correction), the dialog fits a 1024 x 768 screen, no widget over another, no caption cut.
void TestCalibration::dialogFitsTheScreen()
{
    const PaperArea paper = inkjet({297, 210});
    CalibrationSetup setup = setupFor(paper);
    setup.printers.prepend(QStringLiteral("Imprimanta laser de la secretariat, etajul al doilea"));
    setup.printSheet = [](const QString &, bool) {};
    CalibrationDialog dialog(m_window.get(), setup);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const auto check = [&dialog](const char *when) {
        QCoreApplication::processEvents();
        QVERIFY2(dialog.width() <= 1024 && dialog.height() <= 768,
                 qPrintable(QStringLiteral("%1: %2 x %3").arg(when).arg(dialog.width()).arg(dialog.height())));
        QList<std::pair<QWidget *, QRect>> placed;
        for (QWidget *widget : dialog.findChildren<QWidget *>()) {
            if (!widget->isVisible() || !(qobject_cast<QLabel *>(widget) || qobject_cast<QAbstractButton *>(widget)
                                          || qobject_cast<QLineEdit *>(widget) || qobject_cast<QComboBox *>(widget)))
                continue;
            const QRect rect(widget->mapTo(&dialog, QPoint(0, 0)), widget->size());
            const QString name = QStringLiteral("%1 \"%2\"").arg(QLatin1String(widget->metaObject()->className()),
                                                               qobject_cast<QLabel *>(widget) ? qobject_cast<QLabel *>(widget)->text().left(30) : QString());
            QVERIFY2(dialog.rect().contains(rect), qPrintable(QStringLiteral("%1: %2 outside").arg(when, name)));
            // A label's whole text, a button's caption, a field's measurement.
            const auto *label = qobject_cast<QLabel *>(widget);
            const QSize needed = label && label->wordWrap() ? QSize(rect.width(), label->heightForWidth(rect.width()))
                               : qobject_cast<QLineEdit *>(widget) ? widget->minimumSizeHint().expandedTo(
                                     QSize(widget->fontMetrics().horizontalAdvance(QStringLiteral("000,00")) + 8, 0))
                                                                   : widget->sizeHint();
            QVERIFY2(needed.width() <= rect.width() && needed.height() <= rect.height(),
                     qPrintable(QStringLiteral("%1: %2 cut, %3 x %4 in %5 x %6")
                                    .arg(when, name).arg(needed.width()).arg(needed.height()).arg(rect.width()).arg(rect.height())));
            for (const auto &[other, otherRect] : std::as_const(placed))
                QVERIFY2(!rect.intersects(otherRect), qPrintable(QStringLiteral("%1: %2 over another").arg(when, name)));
            placed.append({widget, rect});
        }
    };
    check("empty");
    dialog.setMeasurements(measurementsOf(paper, {1.2, -0.8, 0.99, 1.01, 0.4}, 2, {2, 1}));
    check("results");
    QVERIFY(dialog.apply());
    check("saved");
    dialog.choosePrinter(setup.printers.first());
    check("the long name");
}

// Through the window: the sheet printed (whatever the offsets, the targets where they say), read
// off a printer that moves, scales and turns it, "Calibrare..." keeps the profile for files, and
// the confirmation sheet lands in place. "Anulare" keeps it.
void TestCalibration::calibrationThroughTheWindow()
{
    const PrinterProfile printer{1.8, -1.1, 0.99, 1.005, 0.3};
    m_model->Orientare = 1;
    m_model->PozStanga = -12;
    m_model->PozSus = 7;
    m_window->calibrationSheetAction->trigger();
    QVERIFY2(MessageBox::shown().constLast().text.contains(QStringLiteral("1 pagina")), qPrintable(MessageBox::shown().constLast().text));
    const QString text = pdfPageText(m_pdf, 1);
    QVERIFY2(text.contains(QStringLiteral("Pagina de calibrare")) && text.contains(QStringLiteral("fara nicio corectie"))
                 && text.contains(QRegularExpression(QStringLiteral("4: X [\\d,]+ mm, Y [\\d,]+ mm"))),
             qPrintable(text));
    const PaperArea paper = PageJob::paperOf(QString(), PageOrientation::Landscape);
    const QImage sheet = grey(renderPdfPage(m_pdf, 1, Dpi));
    const QList<CalibrationTarget> targets = calibrationTargets(paper);
    for (const CalibrationTarget &target : targets)
        QVERIFY(distance(targetCentre(sheet, target.positionMm), target.positionMm) < 0.05);

    const QImage printed = printedBy(sheet, printer);
    QStringList measured;
    for (const CalibrationTarget &target : targets) {
        const QPointF found = targetCentre(printed, printerOnPage(printer).map(target.positionMm));
        measured << typed(found.x()) << typed(found.y());
    }
    CalibrationDialog::queueAnswer(measured);
    m_window->calibrateAction->trigger();
    const PrinterProfile kept = ProfileStore::load(QString());
    QVERIFY(!kept.isIdentity());
    QCOMPARE(m_model->PozStanga, qint16(-12)); // the schema's offsets stay its own

    QFile::remove(m_pdf);
    m_window->printSheetFor(QString(), true);
    QVERIFY(pdfPageText(m_pdf, 1).normalized(QString::NormalizationForm_KC).contains(QStringLiteral("Pagina de verificare")));
    const QImage check = printedBy(grey(renderPdfPage(m_pdf, 1, Dpi)), printer);
    for (const CalibrationTarget &target : targets) {
        const double off = distance(targetCentre(check, target.positionMm), target.positionMm);
        QVERIFY2(off <= 0.2, qPrintable(QStringLiteral("target %1 is %2 mm off").arg(target.number).arg(off)));
    }

    CalibrationDialog::queueCancel();
    m_window->calibrateAction->trigger();
    QCOMPARE(ProfileStore::load(QString()), kept);
}

void TestCalibration::everyOutputTakesTheProfile_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<bool>("moved");
    QTest::newRow("Tipareste") << "print" << true;
    QTest::newRow("Exporta PDF") << "pdf" << true;
    QTest::newRow("Exporta imagini PNG") << "png" << true;
    QTest::newRow("Previzualizare") << "preview" << false;
    QTest::newRow("Previzualizare, Arata corectia imprimantei") << "corrected preview" << true;
    QTest::newRow("Pagina de calibrare") << "sheet" << false;
}

// A page's ink with files' profile against without it: moved back by the printer's shift where
// the profile applies.
void TestCalibration::everyOutputTakesTheProfile()
{
    QFETCH(QString, output);
    QFETCH(bool, moved);
    QVERIFY(loadScan(QSize(1240, 1754))); // 210 x 297 mm
    addGeneral(generalField(QStringLiteral("Formulix"), 60, 80, 20));
    m_model->Orientare = 2;
    int run = 0;
    const auto inkCentre = [&]() -> QPointF {
        JobRequest current;
        current.choice.kind = output == QLatin1String("sheet") ? RecordChoice::Calibration : RecordChoice::Current;
        const QString file = m_dir->filePath(QStringLiteral("iesire%1").arg(++run));
        QImage page;
        int dpi = Dpi;
        if (output == QLatin1String("print") || output == QLatin1String("sheet")) {
            dpi = FineDpi;
            QFile::remove(m_pdf);
            (output == QLatin1String("print") ? m_window->mnuTipareste : m_window->calibrationSheetAction)->trigger();
            page = renderPdfPage(m_pdf, 1, FineDpi);
        } else if (output == QLatin1String("pdf")) {
            dpi = FineDpi;
            BatchPrintDialog::queueAnswer(current);
            CommonDialog::queueAnswer(file + QStringLiteral(".pdf"));
            m_window->exportPdfAction->trigger();
            page = renderPdfPage(file + QStringLiteral(".pdf"), 1, FineDpi);
        } else if (output == QLatin1String("png")) {
            QDir().mkpath(file);
            BatchPrintDialog::queueAnswer(current);
            CommonDialog::queueAnswer(file);
            m_window->exportPngAction->trigger();
            page = QImage(file + QStringLiteral("/0001.png"));
        } else {
            BatchPrintDialog::queueAnswer(current);
            m_window->previewAction->trigger();
            PreviewWindow *preview = m_window->previewWindow();
            if (!preview)
                return {};
            preview->setCorrectionShown(output == QLatin1String("corrected preview"));
            page = preview->pageImage(0, Ppm);
        }
        return page.isNull() ? QPointF() : inkCentreIn(grey(page), QRectF(0, 0, 300, 300), false, dpi / 25.4);
    };
    const QPointF plain = inkCentre();
    ProfileStore::save(QString(), {2.0, -1.5, 1, 1, 0});
    const QPointF corrected = inkCentre();
    QVERIFY(!plain.isNull() && !corrected.isNull());
    const QPointF expected = moved ? QPointF(-2.0, 1.5) : QPointF();
    QVERIFY2(distance(corrected - plain, expected) < 0.05,
             qPrintable(QStringLiteral("moved by %1, %2").arg((corrected - plain).x()).arg((corrected - plain).y())));
}

void TestCalibration::commandLineTakesTheProfile_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("status");
    QTest::addColumn<QPointF>("moved");
    QTest::newRow("files' profile") << QStringList() << 0 << QPointF(-2.0, 1.5);
    QTest::newRow("--no-profile") << QStringList{"--no-profile"} << 0 << QPointF();
    QTest::newRow("--printer with a profile") << QStringList{"--printer", "Birou"} << 0 << QPointF(1.0, -3.0);
    QTest::newRow("--printer without one") << QStringList{"--printer", "Nimeni"} << 2 << QPointF();
}

void TestCalibration::commandLineTakesTheProfile()
{
    QFETCH(QStringList, options);
    QFETCH(int, status);
    QFETCH(QPointF, moved);
    Module1 layout;
    *layout.CampuriGen.at(++layout.NrCampuriGen) = generalField(QStringLiteral("Formulix"), 60, 80, 20);
    const QString schema = m_dir->filePath(QStringLiteral("s.tip"));
    QVERIFY(saveSchemaFile(schema, layout));
    const QString config = m_dir->filePath(QStringLiteral("config"));
    ProfileStore::setSettingsFile(config + QStringLiteral("/Formulix/Formulix.conf"));
    ProfileStore::save(QString(), {2.0, -1.5, 1, 1, 0});
    ProfileStore::save(QStringLiteral("Birou"), {-1.0, 3.0, 1, 1, 0});
    const auto run = [&](const QStringList &given, const QString &pdf) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(FORMULIX_BINARY), QStringList{"--pdf", pdf, "--portrait"} + given + QStringList{schema});
        process.waitForFinished(60000);
        if (process.exitCode() != 0)
            qInfo("%s", process.readAllStandardError().constData());
        return process.exitCode();
    };
    const QString plain = m_dir->filePath(QStringLiteral("fara.pdf")), pdf = m_dir->filePath(QStringLiteral("cu.pdf"));
    QCOMPARE(run({"--no-profile"}, plain), 0);
    QCOMPARE(run(options, pdf), status);
    if (status != 0)
        return;
    const double fine = FineDpi / 25.4;
    const QPointF shift = inkCentreIn(grey(renderPdfPage(pdf, 1, FineDpi)), QRectF(0, 0, 300, 300), false, fine)
        - inkCentreIn(grey(renderPdfPage(plain, 1, FineDpi)), QRectF(0, 0, 300, 300), false, fine);
    QVERIFY2(distance(shift, moved) < 0.05, qPrintable(QStringLiteral("moved by %1, %2").arg(shift.x()).arg(shift.y())));
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    prepareApplication(app);
    QImageReader::setAllocationLimit(512); // a page at FineDpi
    DialogSeam::setTestMode(true);
    TestCalibration test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_calibration.moc"
