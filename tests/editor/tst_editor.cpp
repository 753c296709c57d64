#include "support/Images.h"
#include "support/TestSupport.h"
#include "support/WindowTest.h"
#include "gui/app/frmEcranPrincipal.h"
#include "gui/editor/frmMutaCamp.h"
#include "core/pictures/PictureLoader.h"
#include "core/text/TextPainter.h"
#include "widgets/Units.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace formulix;
using namespace formulix::test;

namespace {

QRectF extentAt(const Camp &camp, bool general)
{
    const QSizeF size = textExtentMm(frmEcranPrincipal::displayText(camp, general), QApplication::font(),
                                     camp.MarimeFont);
    return QRectF(QPointF(camp.X, camp.Y), size);
}

} // namespace

class TestEditor : public WindowTest
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void aTemplateLoadsAtItsRealSizeAndAllowsPlacing_data();
    void aTemplateLoadsAtItsRealSizeAndAllowsPlacing();
    void scaleCorrectionFromAKnownDistance_data();
    void scaleCorrectionFromAKnownDistance();
    void refusesFilesThatAreNotWholePictures_data();
    void refusesFilesThatAreNotWholePictures();
    void placesOneFieldPerArmingOnlyWithAValidSize_data();
    void placesOneFieldPerArmingOnlyWithAValidSize();
    void refusesAFieldPastTheTable_data();
    void refusesAFieldPastTheTable();
    void redrawShowsStoredFieldsOnTheCleanTemplate();
    void databaseFieldShowsRangeByFirstLetter();
    void selectionHitOrderAndBounds_data();
    void selectionHitOrderAndBounds();
    void selectionSwitchesPanelsAndButtons();
    void styledFieldIsDrawnAndPickedWhereItPrints_data();
    void styledFieldIsDrawnAndPickedWhereItPrints();
    void deletesTheSelectedField();
    void editsTheSelectedGeneralText_data();
    void editsTheSelectedGeneralText();
    void correctionMovesTheSelectedFieldByMillimetres_data();
    void correctionMovesTheSelectedFieldByMillimetres();

private:
    void rightRelease(double x, double y) { m_window->Picture1_MouseUp(RightButton, 0, float(x), float(y)); }
    // The general panel opened, a text typed and "Creaza Camp" pressed.
    void arm(const QString &text, const QString &fontSize = QStringLiteral("10"))
    {
        m_window->mnuDefCampGen->trigger();
        m_window->Text1->setText(text);
        m_window->Text2->setText(fontSize);
        m_window->Command1->click();
    }
};

void TestEditor::init()
{
    QVERIFY(openWindow(QSize(1000, 800)));
    // All but one start on a blank A4 scan; that one sees the window before any template.
    if (QByteArrayView(QTest::currentTestFunction()) != "aTemplateLoadsAtItsRealSizeAndAllowsPlacing")
        QVERIFY(loadScan(QSize(1240, 1754)));
}

void TestEditor::cleanup()
{
    closeWindow();
}

void TestEditor::scaleCorrectionFromAKnownDistance_data()
{
    QTest::addColumn<QPointF>("from");
    QTest::addColumn<QPointF>("to");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<double>("factor"); // 0: refused, nothing changes
    QTest::addColumn<QString>("says");
    QTest::newRow("scanned at 98 %") << QPointF(20, 30) << QPointF(120, 30) << "102,0" << 1.02 << "";
    QTest::newRow("diagonal, point decimals") << QPointF(10, 10) << QPointF(70, 90) << "95.5" << 0.955 << "";
    QTest::newRow("the same point twice") << QPointF(50, 50) << QPointF(50, 50) << "100" << 0.0 << "acelasi punct";
    QTest::newRow("a distance of zero") << QPointF(20, 30) << QPointF(120, 30) << "0" << 0.0 << "mai mare decat zero";
    QTest::newRow("not a number") << QPointF(20, 30) << QPointF(120, 30) << "o suta" << 0.0 << "mai mare decat zero";
    QTest::newRow("cancelled") << QPointF(20, 30) << QPointF(120, 30) << "" << 0.0 << "";
}

void TestEditor::scaleCorrectionFromAKnownDistance()
{
    QFETCH(QPointF, from);
    QFETCH(QPointF, to);
    QFETCH(QString, typed);
    QFETCH(double, factor);
    QFETCH(QString, says);
    addGeneral(generalField(QStringLiteral("Scoala"), 40, 60, 12));
    const QSizeF before = m_window->Picture1->picture().sizeMm;
    DialogSeam::reset();

    m_window->scaleTemplateAction->trigger();
    QVERIFY(m_window->pickingScalePoints());
    if (typed.isEmpty())
        InputBox::queueCancel();
    else
        InputBox::queueAnswer(typed);
    m_window->Picture1_MouseDown(LeftButton, 0, float(from.x()), float(from.y()));
    m_window->Picture1_MouseDown(LeftButton, 0, float(to.x()), float(to.y()));
    QVERIFY(!m_window->pickingScalePoints());

    const QSizeF after = m_window->Picture1->picture().sizeMm;
    const QSizeF expected = factor > 0 ? before * factor : before;
    QVERIFY2(std::abs(after.width() - expected.width()) < 0.01 && std::abs(after.height() - expected.height()) < 0.01,
             qPrintable(QStringLiteral("%1 x %2 mm").arg(after.width()).arg(after.height())));
    QCOMPARE(m_window->Picture1->widthMm(), after.width());
    QCOMPARE(m_window->Picture2->picture().sizeMm, after);
    QVERIFY(qAbs(m_model->templ.scale - (factor > 0 ? factor : 1.0)) < 1e-4); // the schema keeps it
    // The fields stay where they were, in millimetres, and are drawn there.
    QCOMPARE(m_model->CampuriGen.at(1)->X, qint16(40));
    QCOMPARE(m_model->CampuriGen.at(1)->Y, qint16(60));
    if (factor > 0) {
        QVERIFY(!m_window->Picture1->printedTexts().isEmpty());
        QCOMPARE(m_window->Picture1->printedTexts().constLast().topLeftMm, QPointF(40, 60));
    }
    if (says.isEmpty())
        QCOMPARE(MessageBox::shown().size(), 1); // the instruction alone
    else
        QVERIFY2(MessageBox::shown().constLast().text.contains(says), qPrintable(MessageBox::shown().constLast().text));
}

void TestEditor::aTemplateLoadsAtItsRealSizeAndAllowsPlacing_data()
{
    QTest::addColumn<QString>("format"); // "": the file dialog cancelled
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<double>("dpi");
    QTest::addColumn<QSizeF>("sizeMm");
    QTest::newRow("JPEG A4 at 300 dpi") << "JPEG" << QSize(2480, 3508) << 300.0 << QSizeF(209.97, 297.01);
    QTest::newRow("JPEG A4 at 150 dpi") << "JPEG" << QSize(1240, 1754) << 150.0 << QSizeF(209.97, 297.01);
    QTest::newRow("JPEG without resolution") << "JPEG" << QSize(480, 240) << 0.0 << QSizeF(127.0, 63.5);
    QTest::newRow("BMP at 200 dpi") << "BMP" << QSize(800, 400) << 200.0 << QSizeF(101.6, 50.8);
    QTest::newRow("BMP without resolution") << "BMP" << QSize(96, 96) << 0.0 << QSizeF(25.4, 25.4);
    QTest::newRow("the example form, A4 landscape") << "example" << QSize(1753, 1240) << 150.0 << QSizeF(296.84, 209.97);
    QTest::newRow("cancelled: nothing changes") << "" << QSize() << 0.0 << QSizeF();
}

void TestEditor::aTemplateLoadsAtItsRealSizeAndAllowsPlacing()
{
    QFETCH(QString, format);
    QFETCH(QSize, pixels);
    QFETCH(double, dpi);
    QFETCH(QSizeF, sizeMm);
    // Without a template "Creaza Camp" arms nothing, and there is no scale to correct.
    QVERIFY(!m_window->scaleTemplateAction->isEnabled());
    m_window->Frame1->show();
    m_window->Command1->click();
    QVERIFY(!m_window->AsteaptaCampGen);
    QCOMPARE(mousePointer(m_window.get()), MousePointer::Default);

    const bool loads = !format.isEmpty();
    if (!loads)
        CommonDialog::queueCancel();
    else
        CommonDialog::queueAnswer(format == "example" ? QStringLiteral(FORMULIX_SOURCE_DIR "/examples/certificat.jpg")
                                                      : writeTemplate(m_dir->path(), "scan." + format.toLower(),
                                                                      qPrintable(format), pixels, dpi));
    m_window->mnuIncarcaMacheta->trigger();
    const CommonDialog::Shown shown = CommonDialog::shown().constLast();
    QCOMPARE(shown.filter, QStringLiteral("(jpeg, bmp)|*.jpg; *.bmp; *.jpeg; *.png; *.tif; *.tiff; *.pdf"));
    QCOMPARE(shown.initDir, QCoreApplication::applicationDirPath());
    QCOMPARE(shown.fileName, QString());
    QVERIFY(!shown.save);
    QCOMPARE(m_window->MachetaIncarcata, loads);
    QCOMPARE(m_window->commandAvailable(m_window->mnuSalveazaSch), loads);
    QCOMPARE(m_window->commandAvailable(m_window->mnuDefCampGen), loads);
    QCOMPARE(m_window->scaleTemplateAction->isEnabled(), loads);
    if (!loads)
        return;
    QVERIFY(m_window->PermiteMeniuri);
    QVERIFY(qAbs(m_window->Picture1->widthMm() - sizeMm.width()) < 0.02);
    QVERIFY(qAbs(m_window->Picture1->heightMm() - sizeMm.height()) < 0.02);
    QCOMPARE(m_window->Picture2->picture().sizeMm, m_window->Picture1->picture().sizeMm);
    // Never held finer than the screen shows it.
    const QSize screen = pictureDevicePixels(m_window->Picture1->picture().sizeMm, m_window->Picture1->pixelsPerMm());
    QVERIFY(m_window->Picture1->picture().image.width() <= qMax(screen.width(), pixels.width() < screen.width() ? pixels.width() : 0));
    QVERIFY(m_window->commandAvailable(m_window->mnuIncarcaBaza));
    QVERIFY(!m_window->commandAvailable(m_window->mnuDefCampBazaDate));
    m_window->Command1->click();
    QVERIFY(m_window->AsteaptaCampGen);
    QCOMPARE(mousePointer(m_window.get()), MousePointer::Cross);
}

// Damaged files through the window; what the decoder refuses is checked file kind by file kind
// where the pictures are tested.
void TestEditor::refusesFilesThatAreNotWholePictures_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("text file") << "text";
    QTest::newRow("empty file") << "empty";
    QTest::newRow("missing file") << "missing";
    QTest::newRow("JPEG cut in half") << "jpeg";
    QTest::newRow("BMP cut in half") << "bmp";
}

void TestEditor::refusesFilesThatAreNotWholePictures()
{
    QFETCH(QString, damage);
    const QSizeF before(m_window->Picture1->widthMm(), m_window->Picture1->heightMm());
    const bool bmp = damage == "bmp";
    QString path = writeTemplate(m_dir->path(), bmp ? "bad.bmp" : "bad.jpg", bmp ? "BMP" : "JPEG", QSize(600, 800), 150);
    const QByteArray whole = readFile(path);
    QVERIFY(writeFile(path, damage == "text" ? QByteArray("Acesta nu este un document scanat.\n")
                            : damage == "empty" ? QByteArray() : whole.left(whole.size() / 2)));
    if (damage == "missing")
        path = m_dir->filePath("nu-exista.jpg");

    QElapsedTimer timer;
    timer.start();
    loadTemplate(*m_window, path);
    QVERIFY2(timer.elapsed() < 5000, "a bad file must not stall the program");
    QCOMPARE(QSizeF(m_window->Picture1->widthMm(), m_window->Picture1->heightMm()), before);
    // One message, naming the file.
    QCOMPARE(MessageBox::shown().size(), 1);
    QVERIFY2(MessageBox::shown().constFirst().text.contains(QDir::toNativeSeparators(path)),
             qPrintable(MessageBox::shown().constFirst().text));
}

// A valid size places one field per arming, at the clicked millimetre rounded half to even; a bad
// one is refused before anything changes, without a word. "Terminat" waits for the armed field.
void TestEditor::placesOneFieldPerArmingOnlyWithAValidSize_data()
{
    QTest::addColumn<QString>("fontSize");
    QTest::newRow("12") << "12";
    QTest::newRow("empty") << "";
    QTest::newRow("not a number") << "mare";
    QTest::newRow("above a byte") << "300";
    QTest::newRow("negative") << "-4";
    QTest::newRow("above 16 bits") << "40000";
}

void TestEditor::placesOneFieldPerArmingOnlyWithAValidSize()
{
    QFETCH(QString, fontSize);
    const bool valid = fontSize == "12";
    arm(QStringLiteral("Liceul Teoretic"), fontSize);
    QVERIFY(m_window->Frame1->isVisible());
    QVERIFY(!m_window->mnuDefCampGen->isEnabled());
    QVERIFY(m_window->mnuDefCampBazaDate->isEnabled());
    m_window->Command1->click();
    m_window->Command2->click();
    QVERIFY(m_window->Frame1->isVisible());
    m_window->Picture1_MouseDown(LeftButton, 0, 12.5f, 13.5f);
    m_window->Picture1_MouseDown(LeftButton, 0, 50.0f, 50.0f); // no longer armed
    QCOMPARE(m_model->NrCampuriGen, qint16(valid ? 1 : 0));
    QCOMPARE(m_window->AsteaptaCampGen, !valid);
    QCOMPARE(mousePointer(m_window.get()), valid ? MousePointer::Arrow : MousePointer::Cross);
    QCOMPARE(inkIn(*m_window->Picture1, QRectF(12.5, 13.5, 20, 5)) > 0, valid);
    QCOMPARE(inkIn(*m_window->Picture1, QRectF(50, 50, 20, 5)), 0);
    QVERIFY(MessageBox::shown().isEmpty());
    if (!valid)
        return;
    const Camp &camp = *m_model->CampuriGen.at(1);
    QCOMPARE(camp.X, qint16(12));
    QCOMPARE(camp.Y, qint16(14));
    QCOMPARE(camp.MarimeFont, quint8(12));
    QCOMPARE(camp.Text.shown(), QStringLiteral("Liceul Teoretic"));
    QCOMPARE(camp.NumeCamp.raw(), QString(20, QChar(u'\0')));

    // A real click: the field lands at the pressed millimetre.
    m_window->Command1->click();
    QTest::mouseClick(m_window->Picture1, Qt::LeftButton, {}, mmToPixel(m_window->Picture1, QPointF(80.3, 100.3)));
    QCOMPARE(m_model->NrCampuriGen, qint16(2));
    QCOMPARE(m_model->CampuriGen.at(2)->X, qint16(80));
    QCOMPARE(m_model->CampuriGen.at(2)->Y, qint16(100));
    // A right click while armed places the field, then selects it.
    m_window->Command1->click();
    QTest::mouseClick(m_window->Picture1, Qt::RightButton, {}, mmToPixel(m_window->Picture1, QPointF(30.6, 40.6)));
    QCOMPARE(m_model->NrCampuriGen, qint16(3));
    QCOMPARE(m_model->CampSelectat, (SelectieCamp{true, 3}));
    QVERIFY(m_window->Label8->isVisible());
    m_window->Command2->click();
    QVERIFY(m_window->Frame1->isHidden());
    QVERIFY(m_window->mnuDefCampBazaDate->isEnabled());
    QVERIFY(!m_window->mnuDefCampGen->isEnabled()); // until the other panel is used
}

void TestEditor::refusesAFieldPastTheTable_data()
{
    QTest::addColumn<bool>("general");
    QTest::newRow("the 201st general field") << true;
    QTest::newRow("the 51st database field") << false;
}

void TestEditor::refusesAFieldPastTheTable()
{
    QFETCH(bool, general);
    const int capacity = general ? Module1::MaxCampuriGen : Module1::MaxCampuriBD;
    for (int i = 0; i < capacity; ++i)
        general ? addGeneral(generalField(QStringLiteral("f%1").arg(i), 1, 1))
                : addDatabase(databaseField(QStringLiteral("f%1").arg(i), 1, 1));
    const qint16 &count = general ? m_model->NrCampuriGen : m_model->NrCampuriBD;
    const auto last = [&]() -> const Camp & { return general ? *m_model->CampuriGen.at(capacity) : *m_model->CampuriBD.at(capacity); };
    const Camp before = last();
    const auto place = [&] {
        if (general) {
            m_window->Frame1->show();
            m_window->Text1->setText(QStringLiteral("prea mult"));
            m_window->Command1->click();
        } else {
            m_window->Frame2->show();
            m_window->TabelaAleasa = true;
            m_window->List2->clear();
            m_window->List2->addItems({"Nume"});
            m_window->List2->setCurrentRow(0);
            m_window->List2_Click();
        }
        QCOMPARE(mousePointer(m_window.get()), MousePointer::Cross);
        m_window->Picture1_MouseDown(LeftButton, 0, 40, 40);
        QCOMPARE(count, qint16(capacity));
    };
    place();
    QCOMPARE(last(), before);
    QCOMPARE(MessageBox::shown().size(), 1);
    QVERIFY(MessageBox::shown().constFirst().text.contains(QString::number(capacity)));

    // The refused placement is over: no cross-hair, and "Terminat" closes the panel.
    QVERIFY(!m_window->AsteaptaCampGen && !m_window->AsteaptaCampBD);
    QCOMPARE(mousePointer(m_window.get()), MousePointer::Arrow);
    (general ? m_window->Command2 : m_window->Command5)->click();
    QVERIFY((general ? m_window->Frame1 : m_window->Frame2)->isHidden());

    // Removing one makes room for exactly one.
    (general ? m_window->Command3 : m_window->Command4)->click();
    place();
    QCOMPARE(general ? last().Text.shown() : last().NumeCamp.shown(), general ? "prea mult" : "Nume");
}

void TestEditor::redrawShowsStoredFieldsOnTheCleanTemplate()
{
    arm(QString(60, u'W'));
    m_window->Picture1_MouseDown(LeftButton, 0, 10, 20);
    const double whole = textExtentMm(QString(60, u'W'), QApplication::font(), 10).width();
    const double cut = textExtentMm(QString(50, u'W'), QApplication::font(), 10).width();
    QVERIFY(inkIn(*m_window->Picture1, QRectF(10 + cut + 0.5, 20, whole - cut - 1, 4)) > 0);

    addGeneral(generalField(QStringLiteral("Al doilea"), 10, 40));
    addGeneral(generalField(QStringLiteral("Al treilea"), 10, 60));
    m_window->Command3->click(); // the third goes, the rest are drawn again from the model
    QCOMPARE(m_model->NrCampuriGen, qint16(2));
    QVERIFY(inkIn(*m_window->Picture1, QRectF(10, 20, cut, 4)) > 0);
    QCOMPARE(inkIn(*m_window->Picture1, QRectF(10 + cut + 0.5, 20, whole - cut - 1, 4)), 0);
    QVERIFY(inkIn(*m_window->Picture1, QRectF(10, 40, 15, 4)) > 0);
    QCOMPARE(inkIn(*m_window->Picture1, QRectF(10, 60, 15, 4)), 0);
    QCOMPARE(m_window->Picture2->printedTexts().size(), 0); // the clean copy stays clean
}

void TestEditor::databaseFieldShowsRangeByFirstLetter()
{
    addDatabase(databaseField(QStringLiteral("CNP"), 10, 10, 3, 3));
    addDatabase(databaseField(QStringLiteral("Nume   "), 10, 30));
    m_window->RedeseneazaCampuri();
    const auto &printed = m_window->Picture1->printedTexts();
    QCOMPARE(printed.size(), 2);
    QCOMPARE(printed[0].text, QStringLiteral("C"));
    QCOMPARE(printed[1].text, QStringLiteral("Nume"));

    // Placed with "Min" only: whole name now, first letter after the next redraw.
    m_window->Frame2->show();
    m_window->List2->addItems({"Localitate"});
    m_window->List2->setCurrentRow(0);
    m_window->Text4->setText(QStringLiteral("2"));
    m_window->AsteaptaCampBD = true;
    m_window->Picture1_MouseDown(LeftButton, 0, 50, 50);
    QCOMPARE(m_model->NrCampuriBD, qint16(3));
    QCOMPARE(m_window->Picture1->printedTexts().constLast().text, QStringLiteral("Localitate"));
    QCOMPARE(m_model->CampuriBD.at(3)->RangMin, quint8(2));
    QCOMPARE(m_model->CampuriBD.at(3)->RangMax, quint8(0));
    m_window->RedeseneazaCampuri();
    QCOMPARE(m_window->Picture1->printedTexts().constLast().text, QStringLiteral("L"));
}

void TestEditor::selectionHitOrderAndBounds_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<bool>("general");
    QTest::addColumn<int>("index");
    // General 1 and 2 overlap at (20, 20); database field 1 lies under general 2 at (60, 20);
    // general 3 at (11, 80).
    QTest::newRow("overlap: lower index wins") << 21.2 << 21.5 << true << 1;
    QTest::newRow("general wins over database") << 61.0 << 21.0 << true << 2;
    QTest::newRow("database alone") << 61.0 << 30.0 << false << 1;
    QTest::newRow("left edge is inside") << 11.0 << 80.5 << true << 3;
    QTest::newRow("10.7 tests column 10, left of 11") << 10.7 << 80.5 << false << 0;
    QTest::newRow("empty canvas") << 150.0 << 150.0 << false << 0;
}

void TestEditor::selectionHitOrderAndBounds()
{
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(bool, general);
    QFETCH(int, index);
    addGeneral(generalField(QStringLiteral("Primul camp"), 20, 20));
    addGeneral(generalField(QStringLiteral("Al doilea camp lung de tot"), 20, 20));
    addGeneral(generalField(QStringLiteral("Trei"), 11, 80));
    addDatabase(databaseField(QStringLiteral("NumeElev"), 60, 20, 0, 0, 40));
    rightRelease(x, y);
    QCOMPARE(m_model->CampSelectat.EsteGeneral, general);
    QCOMPARE(int(m_model->CampSelectat.Index), index);
    QCOMPARE(m_window->Label8->isVisible(), index != 0);
}

void TestEditor::styledFieldIsDrawnAndPickedWhereItPrints_data()
{
    QTest::addColumn<int>("align");
    QTest::addColumn<double>("box");
    QTest::addColumn<double>("end"); // where the ink ends (right) or is centred, in mm
    QTest::newRow("right about X") << int(TextAlign::Right) << 0.0 << 100.0;
    QTest::newRow("centred about X") << int(TextAlign::Centre) << 0.0 << 100.0;
    QTest::newRow("right in a box") << int(TextAlign::Right) << 60.0 << 160.0;
}

// The canvas draws a styled field where the paper has it, and a click on what is seen picks it.
void TestEditor::styledFieldIsDrawnAndPickedWhereItPrints()
{
    QFETCH(int, align);
    QFETCH(double, box);
    QFETCH(double, end);
    Camp camp = generalField(QStringLiteral("Popescu Ion"), 100, 50, 14);
    camp.style.align = TextAlign(align);
    camp.style.boxWidthMm = box;
    addGeneral(camp);
    m_window->RedeseneazaCampuri();
    const QImage &image = m_window->Picture1->image();
    const double scale = m_window->Picture1->pixelsPerMm() * image.devicePixelRatio();
    QRect ink;
    for (int y = int(50 * scale); y < int(57 * scale); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 100)
                ink |= QRect(x, y, 1, 1);
        }
    }
    QVERIFY(!ink.isNull());
    const double at = TextAlign(align) == TextAlign::Right ? ink.right() + 1 : (ink.left() + ink.right() + 1) / 2.0;
    QVERIFY2(qAbs(at - end * scale) <= 2, qPrintable(QStringLiteral("ink at %1, expected %2").arg(at).arg(end * scale)));

    rightRelease(ink.center().x() / scale, ink.center().y() / scale);
    QCOMPARE(m_model->CampSelectat, (SelectieCamp{true, 1}));
    const QRect marker = m_window->Label8->geometry();
    QVERIFY2(marker.left() <= ink.left() + 1 && marker.right() >= ink.right() - 1,
             qPrintable(QStringLiteral("marker %1..%2, ink %3..%4").arg(marker.left()).arg(marker.right())
                            .arg(ink.left()).arg(ink.right())));
    // Left of the text and of its box: nothing.
    rightRelease(qMin(ink.left() / scale, 100.0) - 3, ink.center().y() / scale);
    QCOMPARE(m_model->CampSelectat.Index, qint16(0));
}

void TestEditor::selectionSwitchesPanelsAndButtons()
{
    const Camp general = generalField(QStringLiteral("Director"), 20, 20, 12);
    const Camp database = databaseField(QStringLiteral("CNP"), 20, 60, 0, 0, 12);
    addGeneral(general);
    addDatabase(database);

    // A release exactly on the bottom-right corner of the text's extent selects it.
    const QRectF extent = extentAt(general, true);
    rightRelease(std::floor(extent.right()), std::floor(extent.bottom()));
    QCOMPARE(m_model->CampSelectat, (SelectieCamp{true, 1}));
    QVERIFY(m_window->Frame1->isVisible() && m_window->Frame2->isHidden());
    QVERIFY(m_window->Command7->isVisible() && m_window->Command9->isVisible());
    QVERIFY(m_window->mnuCorecteazaPoz->isEnabled());
    QCOMPARE(m_window->Label8->text(), QStringLiteral("Director"));
    QCOMPARE(mm::left(m_window->Label8), 20.0);
    QVERIFY(qAbs(mm::width(m_window->Label8) - extent.width()) < 1e-9);
    QCOMPARE(m_window->Label8->palette().color(QPalette::Window), QColor(0, 0, 255));

    rightRelease(21, 61);
    QCOMPARE(m_model->CampSelectat, (SelectieCamp{false, 1}));
    QVERIFY(m_window->Frame2->isVisible() && m_window->Frame1->isHidden());
    QVERIFY(m_window->Command6->isVisible());
    QVERIFY(m_window->Command7->isHidden() && m_window->Command9->isHidden());
    QVERIFY(m_window->mnuDefCampGen->isEnabled() && !m_window->mnuDefCampBazaDate->isEnabled());

    // Left and middle releases never change the selection; a right one on nothing clears it.
    m_window->Picture1_MouseUp(LeftButton, 0, 150, 150);
    m_window->Picture1_MouseUp(MiddleButton, 0, 150, 150);
    QCOMPARE(m_model->CampSelectat.Index, qint16(1));
    rightRelease(150, 150);
    QCOMPARE(m_model->CampSelectat, (SelectieCamp{false, 0}));
    QVERIFY(m_window->Label8->isHidden() && m_window->Command6->isHidden());
    QVERIFY(m_window->mnuCorecteazaPoz->isEnabled()); // a deselection leaves it as it was

    // A new template keeps the selection; the fields return at the next redraw.
    rightRelease(21, 21);
    loadTemplate(*m_window, writeTemplate(m_dir->path(), "alta.bmp", "BMP", QSize(600, 400), 100));
    QCOMPARE(m_model->CampSelectat, (SelectieCamp{true, 1}));
    QVERIFY(m_window->Label8->isVisible());
    QCOMPARE(m_window->Picture1->printedTexts().size(), 0);
}

void TestEditor::deletesTheSelectedField()
{
    for (int i = 1; i <= 4; ++i)
        addGeneral(generalField(QStringLiteral("Camp %1").arg(i), 10, 20 * i, 8 + i));
    addDatabase(databaseField(QStringLiteral("CNP"), 120, 20, 4, 4));
    const Camp third = *m_model->CampuriGen.at(3), fourth = *m_model->CampuriGen.at(4);
    m_window->RedeseneazaCampuri();
    QVERIFY(inkIn(*m_window->Picture1, QRectF(10, 40, 15, 4)) > 0);

    rightRelease(11, 41);
    QCOMPARE(m_model->CampSelectat, (SelectieCamp{true, 2}));
    m_window->Command7->click();
    QCOMPARE(m_model->NrCampuriGen, qint16(3));
    QCOMPARE(*m_model->CampuriGen.at(2), third);
    QCOMPARE(*m_model->CampuriGen.at(3), fourth);
    QCOMPARE(m_model->NrCampuriBD, qint16(1));
    QCOMPARE(m_model->CampSelectat, (SelectieCamp{true, 0}));
    QVERIFY(m_window->Label8->isHidden() && m_window->Command7->isHidden() && m_window->Command9->isHidden());
    QCOMPARE(inkIn(*m_window->Picture1, QRectF(10, 40, 15, 4)), 0);
    QVERIFY(inkIn(*m_window->Picture1, QRectF(10, 80, 15, 4)) > 0);

    // The button cannot act again with nothing selected.
    m_window->Command7->show();
    m_window->Command7->click();
    QCOMPARE(m_model->NrCampuriGen, qint16(3));

    // A database field goes from its own table; the general ones keep their indices.
    rightRelease(121, 21);
    QCOMPARE(m_model->CampSelectat, (SelectieCamp{false, 1}));
    m_window->Command6->click();
    QCOMPARE(m_model->NrCampuriBD, qint16(0));
    QCOMPARE(m_model->NrCampuriGen, qint16(3));

    // "Sterge Ultimul Camp" on the selected last field clears the selection: "Text Nou" has
    // nothing left to change.
    rightRelease(11, 81);
    QCOMPARE(m_model->CampSelectat, (SelectieCamp{true, 3}));
    m_window->Command3->click();
    QCOMPARE(m_model->CampSelectat.Index, qint16(0));
    QVERIFY(m_window->Label8->isHidden() && m_window->Command7->isHidden() && m_window->Command9->isHidden());
    InputBox::queueAnswer(QStringLiteral("nu ajunge nicaieri"));
    m_window->Command9->click();
    QCOMPARE(m_model->CampuriGen.at(3)->Text.shown(), QStringLiteral("Camp 4"));
}

void TestEditor::editsTheSelectedGeneralText_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("stored");
    QTest::newRow("blanks around are dropped") << false << "  Ion Popescu  " << "Ion Popescu";
    QTest::newRow("cancel keeps the text") << true << "" << "Vechi";
    QTest::newRow("blanks only keep the text") << false << "    " << "Vechi";
    QTest::newRow("60 characters keep 50") << false << QString(60, u'x') << QString(50, u'x');
    QTest::newRow("diacritics") << false << "Școala Gimnazială" << "Școala Gimnazială";
}

void TestEditor::editsTheSelectedGeneralText()
{
    QFETCH(bool, cancel);
    QFETCH(QString, answer);
    QFETCH(QString, stored);
    addGeneral(generalField(QStringLiteral("Vechi"), 30, 30, 12));
    rightRelease(31, 31);
    if (cancel)
        InputBox::queueCancel();
    else
        InputBox::queueAnswer(answer);
    m_window->Command9->click();
    const Camp &camp = *m_model->CampuriGen.at(1);
    QCOMPARE(camp.Text.raw(), stored.leftJustified(50, u' ', true));
    QCOMPARE(camp.X, qint16(30));
    QCOMPARE(camp.MarimeFont, quint8(12));
    const InputBox::Shown asked = InputBox::shown().constFirst();
    QCOMPARE(asked.prompt, QStringLiteral("Introduceti noul text"));
    QCOMPARE(asked.title, QStringLiteral("Text Nou"));
    QCOMPARE(asked.defaultText, QString());
    QCOMPARE(m_model->CampSelectat.Index, qint16(0));
    QVERIFY(m_window->Label8->isHidden());
    QCOMPARE(m_window->Picture1->printedTexts().constFirst().text, stored);
}

void TestEditor::correctionMovesTheSelectedFieldByMillimetres_data()
{
    QTest::addColumn<bool>("selected");
    QTest::addColumn<QStringList>("uses"); // each the arrows pressed, 1 left to 4 down, then "Ok"
    QTest::addColumn<QPoint>("lands");
    // The field "Data" lies at (40, 60).
    QTest::newRow("three right, one up") << true << QStringList{"3332"} << QPoint(43, 59);
    QTest::newRow("used again from there, past the left edge")
        << true << QStringList{"3332", QString(45, u'1') + u'4'} << QPoint(-2, 60);
    QTest::newRow("nothing selected: no field moves") << false << QStringList{"3"} << QPoint(40, 60);
}

void TestEditor::correctionMovesTheSelectedFieldByMillimetres()
{
    QFETCH(bool, selected);
    QFETCH(QStringList, uses);
    QFETCH(QPoint, lands);
    addGeneral(generalField(QStringLiteral("Data"), 40, 60, 12));
    const Camp before = *m_model->CampuriGen.at(1);
    const auto at = [&] { return QPoint(m_model->CampuriGen.at(1)->X, m_model->CampuriGen.at(1)->Y); };
    for (const QString &use : uses) {
        const QPoint from = at();
        rightRelease(from.x() + 1, from.y() + 1);
        if (!selected)
            rightRelease(150, 150); // deselected, the command stays enabled
        m_window->mnuCorecteazaPoz->trigger();
        frmMutaCamp *dialog = m_window->correctionWindow();
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Muta Camp"));
        const QList<QPushButton *> arrows{dialog->Command1, dialog->Command2, dialog->Command3, dialog->Command4};
        for (QChar arrow : use)
            arrows.at(arrow.digitValue() - 1)->click();
        QCOMPARE(at(), from); // only the marker moved so far
        dialog->Command5->click();
        QVERIFY(m_window->Label8->isHidden());
        QVERIFY(!m_window->mnuCorecteazaPoz->isEnabled());
        QTRY_VERIFY(!m_window->correctionWindow());
    }
    QCOMPARE(at(), lands);
    if (selected)
        QVERIFY(inkIn(*m_window->Picture1, QRectF(lands, QSizeF(8, 4))) > 0);
    else
        QCOMPARE(*m_model->CampuriGen.at(1), before);
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Romanian, QLocale::Romania));
    DialogSeam::setTestMode(true);
    TestEditor test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_editor.moc"
