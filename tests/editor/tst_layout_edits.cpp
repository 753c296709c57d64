// Moving fields by hand, boxed fields, and the layout's undo history, through the real window.
#include "support/Images.h"
#include "support/TestSupport.h"
#include "support/WindowTest.h"
#include "gui/app/frmEcranPrincipal.h"
#include "gui/editor/frmMutaCamp.h"
#include "core/layout/SchemaCodec.h"
#include "gui/print/frmPozitie.h"
#include "gui/editor/FieldPropertiesDialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontComboBox>
#include <QSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>
#include <tuple>
#include <memory>

using namespace formulix;
using namespace formulix::test;

Q_DECLARE_METATYPE(FieldLook)

class TestLayoutEdits : public WindowTest
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void dragMovesAFieldUnlessEscapedOrArmed_data();
    void dragMovesAFieldUnlessEscapedOrArmed();
    void ctrlArrowsMoveTheSelectedField_data();
    void ctrlArrowsMoveTheSelectedField();
    void boxedFieldsMatchTheExampleNumber();
    void boxedFieldsRefused_data();
    void boxedFieldsRefused();
    void everyChangeUndoesAndRedoes_data();
    void everyChangeUndoesAndRedoes();
    void undoAndRedoByKeysAndMenu();
    void savingMarksTheCleanState();
    void fieldPropertiesAreOneStep_data();
    void fieldPropertiesAreOneStep();
    void propertiesDialogKeepsWhatItShows_data();
    void propertiesDialogKeepsWhatItShows();
    void propertiesDialogReadsDistances_data();
    void propertiesDialogReadsDistances();
    void propertiesDialogAnswersKeys();

private:
    QPoint pixel(QPointF mm) const;
    void chooseColumn(const QString &name, const QString &fontSize = QStringLiteral("10"));
    void makeChange(const QString &change);

};

void TestLayoutEdits::init()
{
    QVERIFY(openWindow(QSize(1000, 800)));
    QVERIFY(loadScan(QSize(1240, 1754)));
    FieldPropertiesDialog::reset();
}

void TestLayoutEdits::cleanup()
{
    closeWindow();
}

QPoint TestLayoutEdits::pixel(QPointF mm) const
{
    const double ppm = m_window->Picture1->pixelsPerMm();
    return QPoint(int(std::lround(mm.x() * ppm)), int(std::lround(mm.y() * ppm)));
}

void TestLayoutEdits::chooseColumn(const QString &name, const QString &fontSize)
{
    m_window->mnuDefCampBazaDate_Click();
    m_window->TabelaAleasa = true;
    m_window->List2->clear();
    m_window->List2->addItems({name});
    m_window->List2->setCurrentRow(0);
    m_window->List2_Click();
    m_window->Text3->setText(fontSize);
}

void TestLayoutEdits::dragMovesAFieldUnlessEscapedOrArmed_data()
{
    QTest::addColumn<QPointF>("press");
    QTest::addColumn<QPointF>("release");
    QTest::addColumn<QPoint>("landing");
    QTest::addColumn<QString>("how"); // "Escape": pressed before the release; "armed": a text to place
    // The field "Nume" lies at (50, 60).
    QTest::newRow("right and down, half a mm rounds to even")
        << QPointF(51, 61) << QPointF(71.5, 91.4) << QPoint(70, 90) << "";
    QTest::newRow("up and left, past the edge") << QPointF(52, 62) << QPointF(1, 2) << QPoint(-1, 0) << "";
    QTest::newRow("under a millimetre: a click") << QPointF(51, 61) << QPointF(51.6, 61.6) << QPoint(50, 60) << "";
    QTest::newRow("Escape puts it back, selected as before")
        << QPointF(51, 61) << QPointF(90, 100) << QPoint(50, 60) << "Escape";
    QTest::newRow("armed, the press places a text instead")
        << QPointF(51, 61) << QPointF(90, 100) << QPoint(50, 60) << "armed";
}

void TestLayoutEdits::dragMovesAFieldUnlessEscapedOrArmed()
{
    QFETCH(QPointF, press);
    QFETCH(QPointF, release);
    QFETCH(QPoint, landing);
    QFETCH(QString, how);
    addGeneral(generalField(QStringLiteral("Nume"), 50, 60, 12));
    addGeneral(generalField(QStringLiteral("Alt"), 120, 60, 12));
    m_window->RedeseneazaCampuri();
    const bool escape = how == QStringLiteral("Escape"), armed = how == QStringLiteral("armed");
    if (escape)
        m_window->Picture1_MouseUp(RightButton, 0, 51, 61);
    if (armed) {
        m_window->mnuDefCampGen_Click();
        m_window->Text1->setText(QStringLiteral("Nou"));
        m_window->Command1->click();
    }
    QWidget *canvas = m_window->Picture1;
    const int stepsBefore = m_window->layoutHistory()->count();

    QTest::mousePress(canvas, Qt::LeftButton, {}, pixel(press));
    QTest::mouseMove(canvas, pixel((press + release) / 2));
    QTest::mouseMove(canvas, pixel(release));
    if (escape) {
        QVERIFY(m_window->dragging());
        QVERIFY(m_window->Label8->isHidden());
        QCOMPARE(m_window->Picture1->printedTexts().size(), 1); // only the ghost shows it now
        QTest::keyClick(canvas, Qt::Key_Escape);
        QVERIFY(!m_window->dragging());
    }
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, pixel(release));

    const Camp &moved = *m_model->CampuriGen.at(1);
    QCOMPARE(QPoint(moved.X, moved.Y), landing);
    QCOMPARE(m_model->CampuriGen.at(2)->X, qint16(120));
    QCOMPARE(m_model->NrCampuriGen, qint16(armed ? 3 : 2));
    if (armed)
        QCOMPARE(QPoint(m_model->CampuriGen.at(3)->X, m_model->CampuriGen.at(3)->Y), press.toPoint());
    const bool dragged = landing != QPoint(50, 60);
    QCOMPARE(m_window->layoutHistory()->count(), stepsBefore + (dragged || armed ? 1 : 0));
    // Dropped, the field is selected and drawn where it landed, once.
    QCOMPARE(!m_window->Label8->isHidden(), dragged || escape);
    if (dragged) {
        QCOMPARE(m_model->CampSelectat, (SelectieCamp{true, 1}));
        QCOMPARE(m_window->Label8->pos(), pixel(QPointF(landing)));
    }
    const auto &texts = m_window->Picture1->printedTexts();
    QCOMPARE(texts.size(), armed ? 3 : 2);
    QCOMPARE(std::count_if(texts.begin(), texts.end(), [&](const PictureBox::PrintedText &t) {
                 return t.text == QStringLiteral("Nume") && t.topLeftMm == QPointF(landing);
             }),
             1);
}

void TestLayoutEdits::ctrlArrowsMoveTheSelectedField_data()
{
    QTest::addColumn<bool>("selected");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QPoint>("field");
    QTest::addColumn<QPointF>("canvasShift");
    QTest::newRow("Ctrl+Left") << true << int(Qt::Key_Left) << int(Qt::ControlModifier) << QPoint(49, 60) << QPointF();
    QTest::newRow("Ctrl+Down") << true << int(Qt::Key_Down) << int(Qt::ControlModifier) << QPoint(50, 61) << QPointF();
    QTest::newRow("Ctrl+Shift+Up") << true << int(Qt::Key_Up) << int(Qt::ControlModifier | Qt::ShiftModifier)
                                   << QPoint(50, 50) << QPointF();
    QTest::newRow("Ctrl+Shift+Right") << true << int(Qt::Key_Right) << int(Qt::ControlModifier | Qt::ShiftModifier)
                                      << QPoint(60, 60) << QPointF();
    QTest::newRow("plain Right pans") << true << int(Qt::Key_Right) << 0 << QPoint(50, 60) << QPointF(10, 0);
    QTest::newRow("Ctrl+Up, nothing selected, pans")
        << false << int(Qt::Key_Up) << int(Qt::ControlModifier) << QPoint(50, 60) << QPointF(0, -10);
}

void TestLayoutEdits::ctrlArrowsMoveTheSelectedField()
{
    QFETCH(bool, selected);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QPoint, field);
    QFETCH(QPointF, canvasShift);
    addGeneral(generalField(QStringLiteral("Nume"), 50, 60, 12));
    m_window->RedeseneazaCampuri();
    if (selected)
        m_window->Picture1_MouseUp(RightButton, 0, 51, 61);
    m_window->Picture1->setFocus();
    const QPointF canvasAt(m_window->Picture1->leftMm(), m_window->Picture1->topMm());
    QTest::keyClick(m_window->Picture1, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(QPoint(m_model->CampuriGen.at(1)->X, m_model->CampuriGen.at(1)->Y), field);
    QCOMPARE(QPointF(m_window->Picture1->leftMm(), m_window->Picture1->topMm()) - canvasAt, canvasShift);
    if (selected && canvasShift.isNull()) {
        QCOMPARE(m_window->Label8->pos(), pixel(QPointF(field))); // the marker goes with it
        QCOMPARE(m_window->Picture1->printedTexts().constFirst().topLeftMm, QPointF(field));
        QCOMPARE(m_window->layoutHistory()->count(), 1);
    }
}

// The example form's personal number has 13 boxes 8 mm wide from 80 mm, 10 mm high from 117 mm.
void TestLayoutEdits::boxedFieldsMatchTheExampleNumber()
{
    const SchemaResult example = loadSchemaFile(QStringLiteral(FORMULIX_SOURCE_DIR "/examples/certificat.tip"));
    QCOMPARE(example.status, SchemaStatus::Loaded);
    QList<Camp> expected;
    for (const Camp &camp : example.schema.campuriBD) {
        if (camp.NumeCamp.shown() == QStringLiteral("CNP"))
            expected.append(camp);
    }
    QCOMPARE(expected.size(), 13);
    // The boxes are written as the column's field is: its font and case, not its box.
    Camp source = databaseField(QStringLiteral("CNP"), 20, 20);
    source.style.family = QStringLiteral("DejaVu Serif");
    source.style.bold = true;
    source.style.textCase = TextCase::Upper;
    source.style.align = TextAlign::Right;
    source.style.boxWidthMm = 40;
    addDatabase(source);

    chooseColumn(QStringLiteral("CNP"), QStringLiteral("12"));
    InputBox::queueAnswer(QStringLiteral("13"));
    InputBox::queueAnswer(QStringLiteral("1"));
    m_window->boxedFieldsButton->click();
    QVERIFY(m_window->pickingBoxes());
    QVERIFY(!m_window->AsteaptaCampBD);
    m_window->Command5->click(); // "Terminat" waits for the boxes
    QVERIFY(!m_window->Frame2->isHidden());
    m_window->Picture1_MouseDown(LeftButton, 0, 84, 122);
    QCOMPARE(m_model->NrCampuriBD, qint16(1));
    m_window->Picture1_MouseDown(LeftButton, 0, 180, 122);
    QVERIFY(!m_window->pickingBoxes());

    QCOMPARE(m_model->NrCampuriBD, qint16(14));
    for (int i = 0; i < 13; ++i) {
        const Camp &made = *m_model->CampuriBD.at(2 + i);
        const Camp &want = expected.at(i);
        QCOMPARE(made.NumeCamp.shown(), QStringLiteral("CNP"));
        QCOMPARE(made.MarimeFont, want.MarimeFont);
        QCOMPARE(made.RangMin, want.RangMin);
        QCOMPARE(made.RangMax, want.RangMax);
        QVERIFY(made.style.family == source.style.family && made.style.bold && made.style.textCase == TextCase::Upper);
        QVERIFY(made.style.align == TextAlign::Left && made.style.boxWidthMm == 0);
        QVERIFY2(qAbs(made.X - want.X) <= 1 && qAbs(made.Y - want.Y) <= 1,
                 qPrintable(QStringLiteral("box %1 at %2, %3").arg(i + 1).arg(made.X).arg(made.Y)));
    }
    // One step takes all thirteen back, and brings them again.
    QCOMPARE(m_window->layoutHistory()->count(), 1);
    m_window->undoLayout();
    QCOMPARE(m_model->NrCampuriBD, qint16(1));
    m_window->redoLayout();
    QCOMPARE(m_model->NrCampuriBD, qint16(14));
    QCOMPARE(m_window->Picture1->printedTexts().size(), 14);

    // Saved, they are ordinary one-character fields of the schema file.
    const QString path = m_dir->filePath(QStringLiteral("cnp.tip"));
    QVERIFY(saveSchemaFile(path, *m_model));
    const SchemaResult reread = loadSchemaFile(path);
    QCOMPARE(reread.schema.campuriBD.size(), 14);
    QCOMPARE(reread.schema.campuriBD.at(13).RangMin, quint8(13));
}

void TestLayoutEdits::boxedFieldsRefused_data()
{
    QTest::addColumn<int>("defined");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QList<QPointF>>("clicks");
    QTest::addColumn<QString>("says");
    QTest::newRow("one box") << 0 << QStringList{"1"} << QList<QPointF>() << QStringLiteral("intre 2 si 50");
    QTest::newRow("not a number") << 0 << QStringList{"sase"} << QList<QPointF>() << QStringLiteral("intre 2 si 50");
    QTest::newRow("more boxes than room") << 45 << QStringList{"6"} << QList<QPointF>() << QStringLiteral("intre 2 si 5");
    QTest::newRow("a full table") << 49 << QStringList() << QList<QPointF>() << QStringLiteral("cel mult 50");
    QTest::newRow("first character past a byte")
        << 0 << QStringList{"10", "250"} << QList<QPointF>() << QStringLiteral("intre 1 si 246");
    QTest::newRow("the clicks coincide") << 0 << QStringList{"5", "1"} << QList<QPointF>{{30, 30}, {30.4, 30.2}}
                                         << QStringLiteral("acelasi loc");
    QTest::newRow("cancelled by a right click") << 0 << QStringList{"5", "1"} << QList<QPointF>{{30, 30}, {-1, -1}}
                                                << QString();
    QTest::newRow("cancelled question") << 0 << QStringList{""} << QList<QPointF>() << QString();
}

void TestLayoutEdits::boxedFieldsRefused()
{
    QFETCH(int, defined);
    QFETCH(QStringList, answers);
    QFETCH(QList<QPointF>, clicks);
    QFETCH(QString, says);
    for (int i = 0; i < defined; ++i)
        addDatabase(databaseField(QStringLiteral("Nume"), 5, 5 + i));
    chooseColumn(QStringLiteral("CNP"));
    for (const QString &answer : answers) {
        if (answer.isEmpty())
            InputBox::queueCancel();
        else
            InputBox::queueAnswer(answer);
    }
    m_window->boxedFieldsButton->click();
    for (const QPointF &click : clicks)
        m_window->Picture1_MouseDown(click.x() < 0 ? RightButton : LeftButton, 0, float(click.x()), float(click.y()));
    QVERIFY(!m_window->pickingBoxes());
    QCOMPARE(m_model->NrCampuriBD, qint16(defined));
    QCOMPARE(m_window->layoutHistory()->count(), 0);
    QCOMPARE(mousePointer(m_window.get()), clicks.isEmpty() ? MousePointer::Cross : MousePointer::Arrow);
    if (!says.isEmpty())
        QVERIFY2(MessageBox::shown().constLast().text.contains(says), qPrintable(MessageBox::shown().constLast().text));
}

void TestLayoutEdits::makeChange(const QString &change)
{
    frmEcranPrincipal &w = *m_window;
    if (change == QStringLiteral("place a text")) {
        w.mnuDefCampGen_Click();
        w.Text1->setText(QStringLiteral("Nou"));
        w.Command1->click();
        w.Picture1_MouseDown(LeftButton, 0, 100, 150);
    } else if (change.startsWith(QStringLiteral("place a column"))) {
        chooseColumn(QStringLiteral("Prenume"));
        w.Picture1_MouseDown(LeftButton, 0, 100, 150);
    } else if (change.startsWith(QStringLiteral("delete a text"))) {
        w.Picture1_MouseUp(RightButton, 0, 31, 41);
        w.Command7->click();
    } else if (change == QStringLiteral("delete a column")) {
        w.Picture1_MouseUp(RightButton, 0, 81, 121);
        w.Command6->click();
    } else if (change == QStringLiteral("edit a text")) {
        w.Picture1_MouseUp(RightButton, 0, 31, 41);
        InputBox::queueAnswer(QStringLiteral("Alt text"));
        w.Command9->click();
    } else if (change == QStringLiteral("drag")) {
        QTest::mousePress(w.Picture1, Qt::LeftButton, {}, pixel({31, 41}));
        QTest::mouseMove(w.Picture1, pixel({61, 71}));
        QTest::mouseRelease(w.Picture1, Qt::LeftButton, {}, pixel({61, 71}));
    } else if (change == QStringLiteral("nudge")) {
        w.Picture1_MouseUp(RightButton, 0, 81, 121);
        w.Picture1->setFocus();
        QTest::keyClick(w.Picture1, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
    } else if (change == QStringLiteral("Corecteaza Pozitie")) {
        w.Picture1_MouseUp(RightButton, 0, 31, 41);
        w.mnuCorecteazaPoz->trigger();
        w.correctionWindow()->Command3->click();
        w.correctionWindow()->Command4->click();
        w.correctionWindow()->Command5->click();
    } else if (change == QStringLiteral("boxed fields")) {
        chooseColumn(QStringLiteral("CNP"));
        InputBox::queueAnswer(QStringLiteral("4"));
        InputBox::queueAnswer(QStringLiteral("3"));
        w.boxedFieldsButton->click();
        w.Picture1_MouseDown(LeftButton, 0, 20, 180);
        w.Picture1_MouseDown(LeftButton, 0, 44, 180);
    } else if (change == QStringLiteral("Sterge Ultimul Camp")) {
        w.mnuDefCampGen_Click();
        w.Command3->click();
    } else if (change == QStringLiteral("Undo of the column panel")) {
        w.mnuDefCampBazaDate_Click();
        w.Command4->click();
    } else if (change == QStringLiteral("open a schema")) {
        Module1 other;
        *other.CampuriGen.at(1) = generalField(QStringLiteral("Din fisier"), 10, 10);
        other.NrCampuriGen = 1;
        other.PozStanga = 7;
        const QString path = m_dir->filePath(QStringLiteral("alta.tip"));
        QVERIFY(saveSchemaFile(path, other));
        CommonDialog::queueAnswer(path);
        w.mnuDeschSch->trigger();
    } else if (change == QStringLiteral("page offsets and orientation")) {
        w.mnuSeteazaPag->trigger();
        frmPozitie *page = w.pageWindow();
        QVERIFY(QTest::qWaitForWindowActive(page));
        page->Text1->setText(QStringLiteral("12"));
        page->Text2->setText(QStringLiteral("-3"));
        page->Option2->setChecked(true);
        page->Command1->click();
    } else {
        QFAIL(qPrintable(change));
    }
}

void TestLayoutEdits::everyChangeUndoesAndRedoes_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("selectedAfterUndo"); // the field the step was about is marked again
    QTest::addColumn<QString>("step");           // as the menu names it
    for (const auto &[change, selected, step] : std::initializer_list<std::tuple<const char *, bool, const char *>>{
             {"place a text", false, "crearea campului"},
             {"place a column", false, "crearea campului din baza de date"},
             {"delete a text", true, "stergerea campului"},
             {"delete a column", true, "stergerea campului"},
             {"edit a text", true, "editarea campului"},
             {"drag", false, "mutarea campului"},
             {"nudge", true, "mutarea campului"},
             {"Corecteaza Pozitie", true, "corectarea pozitiei"},
             {"boxed fields", false, "crearea campurilor pe casute"},
             {"Sterge Ultimul Camp", false, "stergerea ultimului camp"},
             {"Undo of the column panel", false, "stergerea ultimului camp din baza de date"},
             {"open a schema", false, "deschiderea schemei"},
             {"page offsets and orientation", false, "setarea paginii"},
             {"delete a text, at 200 texts", true, "stergerea campului"},
             {"place a column, the 50th", false, "crearea campului din baza de date"}})
        QTest::newRow(change) << QString::fromLatin1(change) << selected << QString::fromLatin1(step);
}

void TestLayoutEdits::everyChangeUndoesAndRedoes()
{
    QFETCH(QString, change);
    QFETCH(bool, selectedAfterUndo);
    QFETCH(QString, step);
    addGeneral(generalField(QStringLiteral("Nume"), 30, 40, 12));
    addGeneral(generalField(QStringLiteral("Scoala"), 30, 80, 12));
    addDatabase(databaseField(QStringLiteral("CNP"), 80, 120, 1, 1));
    addDatabase(databaseField(QStringLiteral("Prenume"), 80, 140));
    // The count limits: a delete from a full table, a placement that fills one.
    while (change.endsWith(QStringLiteral("200 texts")) && m_model->NrCampuriGen < Module1::MaxCampuriGen)
        addGeneral(generalField(QStringLiteral("umplutura"), 150, 10));
    while (change.endsWith(QStringLiteral("50th")) && m_model->NrCampuriBD < Module1::MaxCampuriBD - 1)
        addDatabase(databaseField(QStringLiteral("Prenume"), 150, 100));
    m_window->RedeseneazaCampuri();
    const LayoutState start = captureLayout(*m_model);

    makeChange(change);
    const LayoutState changed = captureLayout(*m_model);
    QVERIFY(changed != start);
    QUndoStack *history = m_window->layoutHistory();
    QCOMPARE(history->count(), 1);
    QVERIFY(m_window->undoAction->isEnabled());
    QVERIFY(!m_window->redoAction->isEnabled());
    QCOMPARE(m_window->undoAction->text(), QStringLiteral("Anuleaza ") + step);
    QCOMPARE(m_window->redoAction->text(), QStringLiteral("Reface"));

    m_window->undoAction->trigger();
    QCOMPARE(m_window->undoAction->text(), QStringLiteral("Anuleaza"));
    QCOMPARE(m_window->redoAction->text(), QStringLiteral("Reface ") + step);
    QCOMPARE(captureLayout(*m_model), start);
    QCOMPARE(m_window->Picture1->printedTexts().size(), m_model->usedGen() + m_model->usedBD());
    QCOMPARE(!m_window->Label8->isHidden(), selectedAfterUndo);
    QVERIFY(m_window->redoAction->isEnabled());

    m_window->redoAction->trigger();
    QCOMPARE(captureLayout(*m_model), changed);
    QCOMPARE(m_window->Picture1->printedTexts().size(), m_model->usedGen() + m_model->usedBD());
    QVERIFY(!m_window->redoAction->isEnabled());
    if (change.endsWith(QStringLiteral("50th"))) { // full again after the redo: the next one is refused
        chooseColumn(QStringLiteral("Prenume"));
        m_window->Picture1_MouseDown(LeftButton, 0, 120, 150);
        QCOMPARE(m_model->NrCampuriBD, qint16(Module1::MaxCampuriBD));
        QCOMPARE(history->count(), 1);
    }
    // The marker, when shown, is on a field in use and at its place.
    if (const Camp *selected = m_model->campSelectat(); selected && !m_window->Label8->isHidden())
        QCOMPARE(m_window->Label8->pos(), pixel(QPointF(selected->X, selected->Y)));
}

void TestLayoutEdits::undoAndRedoByKeysAndMenu()
{
    addGeneral(generalField(QStringLiteral("Nume"), 30, 40, 12));
    m_window->RedeseneazaCampuri();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QCOMPARE(m_window->undoAction->text(), QStringLiteral("Anuleaza"));
    QCOMPARE(m_window->redoAction->text(), QStringLiteral("Reface"));
    QCOMPARE(m_window->undoAction->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    QCOMPARE(m_window->redoAction->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Y));

    m_window->Picture1_MouseUp(RightButton, 0, 31, 41);
    m_window->Picture1->setFocus();
    QTest::keyClick(m_window->Picture1, Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(m_model->CampuriGen.at(1)->X, qint16(31));
    QTest::keyClick(m_window->Picture1, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m_model->CampuriGen.at(1)->X, qint16(30));
    QTest::keyClick(m_window->Picture1, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(m_model->CampuriGen.at(1)->X, qint16(31));

    // Typing in a text box, Ctrl+Z takes back the typing, not the layout.
    m_window->mnuDefCampGen_Click();
    m_window->Text1->setFocus();
    QTest::keyClicks(m_window->Text1, QStringLiteral("abc"));
    QTest::keyClick(m_window->Text1, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m_window->Text1->text(), QString());
    QCOMPARE(m_model->CampuriGen.at(1)->X, qint16(31));
    QTest::keyClick(m_window->Text1, Qt::Key_Z, Qt::ControlModifier); // nothing typed to take back
    QCOMPARE(m_model->CampuriGen.at(1)->X, qint16(30));
}

void TestLayoutEdits::savingMarksTheCleanState()
{
    addGeneral(generalField(QStringLiteral("Nume"), 30, 40, 12));
    m_window->RedeseneazaCampuri();
    const QString path = m_dir->filePath(QStringLiteral("schema.tip"));
    CommonDialog::queueAnswer(path);
    m_window->mnuSalveazaSch->trigger();
    QVERIFY(m_window->layoutHistory()->isClean());
    QVERIFY(!m_window->layoutChanged());

    m_window->Picture1_MouseUp(RightButton, 0, 31, 41);
    m_window->nudgeSelection(5, 0);
    QVERIFY(m_window->layoutChanged());
    m_window->undoLayout();
    QVERIFY(!m_window->layoutChanged()); // back to what was saved: nothing to ask
    m_window->redoLayout();
    QVERIFY(m_window->layoutChanged());

    // The file keeps the orientation: turning the page is a change, turning it back none.
    CommonDialog::queueAnswer(path);
    m_window->mnuSalveazaSch->trigger();
    m_window->mnuSeteazaPag->trigger();
    QVERIFY(QTest::qWaitForWindowActive(m_window->pageWindow()));
    for (QRadioButton *option : {m_window->pageWindow()->Option2, m_window->pageWindow()->Option1}) {
        option->setChecked(true);
        m_window->pageWindow()->Command1->click();
        QVERIFY(!m_window->layoutHistory()->isClean());
        QCOMPARE(m_window->layoutChanged(), option == m_window->pageWindow()->Option2);
    }

    // Opening a schema is clean (the same layout again: no step); undone past what was saved,
    // back to portrait, closing asks again.
    CommonDialog::queueAnswer(path);
    m_window->mnuDeschSch->trigger();
    QVERIFY(m_window->layoutHistory()->isClean());
    m_window->undoLayout();
    QVERIFY(m_window->layoutChanged());
    MessageBox::queueAnswer(MessageBox::Answer::Cancel);
    const int shown = int(MessageBox::shown().size());
    m_window->close();
    QVERIFY(m_window->isVisible());
    QCOMPARE(MessageBox::shown().size(), shown + 1);
}

void TestLayoutEdits::fieldPropertiesAreOneStep_data()
{
    QTest::addColumn<QString>("where"); // "general", "database": on the field; "armed", "empty": not
    QTest::addColumn<QString>("open");  // "menu", "F6", "double click"
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("changes");
    QTest::newRow("general, menu, style") << "general" << "menu" << "style" << true;
    QTest::newRow("database, double click, style") << "database" << "double click" << "style" << true;
    QTest::newRow("general, F6, size") << "general" << "F6" << "size" << true;
    QTest::newRow("database, menu, cancelled") << "database" << "menu" << "cancel" << false;
    QTest::newRow("general, double click, OK unchanged") << "general" << "double click" << "unchanged" << false;
    QTest::newRow("general, menu, a box no number") << "general" << "menu" << "wrong box" << false;
    QTest::newRow("armed: the first click places, no dialog") << "armed" << "double click" << "style" << false;
    QTest::newRow("empty canvas: no dialog") << "empty" << "double click" << "style" << false;
}

void TestLayoutEdits::fieldPropertiesAreOneStep()
{
    QFETCH(QString, where);
    QFETCH(QString, open);
    QFETCH(QString, answer);
    QFETCH(bool, changes);
    addGeneral(generalField(QStringLiteral("Nume"), 30, 40, 12));
    addDatabase(databaseField(QStringLiteral("Prenume"), 80, 120));
    m_window->RedeseneazaCampuri();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    const bool general = where != QStringLiteral("database"), armed = where == QStringLiteral("armed");
    const bool onField = !armed && where != QStringLiteral("empty");
    const QPointF at = !onField ? QPointF(150, 150) : general ? QPointF(31, 41) : QPointF(81, 121);
    QAction *command = m_window->fieldPropertiesAction;
    QVERIFY(!command->isEnabled());
    if (armed) {
        m_window->mnuDefCampGen_Click();
        m_window->Text1->setText(QStringLiteral("Nou"));
        m_window->Command1->click();
    }
    if (open != QStringLiteral("double click")) {
        m_window->Picture1_MouseUp(RightButton, 0, float(at.x()), float(at.y()));
        QVERIFY(command->isEnabled());
    }
    const LayoutState start = captureLayout(*m_model);
    const int stepsBefore = m_window->layoutHistory()->count();
    const FieldLook opened{FieldStyle(), quint8(general ? 12 : 10)};
    FieldLook wanted = opened;
    if (answer == QStringLiteral("cancel"))
        FieldPropertiesDialog::queueCancel();
    else
        FieldPropertiesDialog::queueAnswer([&](FieldPropertiesDialog &dialog) {
            auto choose = [&](const char *name, int index) { dialog.findChild<QComboBox *>(name)->setCurrentIndex(index); };
            auto type = [&](const char *name, const char *text) { dialog.findChild<QLineEdit *>(name)->setText(text); };
            if (answer == QStringLiteral("style")) {
                choose("family", 1);
                dialog.findChild<QCheckBox *>("bold")->setChecked(true);
                dialog.findChild<QSpinBox *>("decimals")->setValue(2);
                choose("align", 2), type("box", "40,5"), choose("fit", 2), type("lineHeight", "6");
                choose("case", 1), choose("kind", 3), choose("unit", 1);
                wanted.style = {dialog.findChild<QComboBox *>("family")->currentText(), true, false, TextAlign::Right,
                                40.5, TextFit::Wrap, 6, 6, TextCase::Upper,
                                {ValueKind::Words, QString(), 2, false, true, WordsUnit::Lei}};
            } else if (answer == QStringLiteral("size")) {
                dialog.findChild<QSpinBox *>("size")->setValue(18), wanted.size = 18;
            } else if (answer == QStringLiteral("wrong box")) {
                type("box", "lat");
            }
        });
    QWidget *canvas = m_window->Picture1;
    if (open == QStringLiteral("menu")) {
        command->trigger();
    } else if (open == QStringLiteral("F6")) {
        QTest::keyClick(canvas, Qt::Key_F6);
    } else { // as the system delivers one: press, release, double click, release
        QTest::mouseClick(canvas, Qt::LeftButton, {}, pixel(at));
        QTest::mouseDClick(canvas, Qt::LeftButton, {}, pixel(at));
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, pixel(at));
    }
    QCOMPARE(FieldPropertiesDialog::shown(), onField ? QList<FieldLook>{opened} : QList<FieldLook>());
    // The armed click placed its one field; no press placed another or moved one.
    QCOMPARE(m_model->NrCampuriGen, qint16(armed ? 2 : 1));
    QCOMPARE(m_window->layoutHistory()->count(), stepsBefore + (changes || armed ? 1 : 0));
    if (!onField)
        return;
    QCOMPARE(m_model->CampSelectat, (SelectieCamp{general, 1}));
    QVERIFY(!m_window->dragging());
    const Camp &camp = general ? *m_model->CampuriGen.at(1) : *m_model->CampuriBD.at(1);
    QCOMPARE((FieldLook{camp.style, camp.MarimeFont}), wanted);
    QCOMPARE(QPoint(camp.X, camp.Y), general ? QPoint(30, 40) : QPoint(80, 120));
    if (changes) {
        const LayoutState changed = captureLayout(*m_model);
        QCOMPARE(m_window->undoAction->text(), QStringLiteral("Anuleaza modificarea proprietatilor campului"));
        m_window->undoAction->trigger();
        QCOMPARE(captureLayout(*m_model), start);
        m_window->redoAction->trigger();
        QCOMPARE(captureLayout(*m_model), changed);
        QCOMPARE(m_window->Picture1->printedTexts().size(), 2);
    }
    QVERIFY(command->isEnabled());
    m_window->clearSelection();
    QVERIFY(!command->isEnabled());
}

void TestLayoutEdits::propertiesDialogKeepsWhatItShows_data()
{
    QTest::addColumn<FieldLook>("look");
    const FieldFormat number{ValueKind::Number, QString(), 2, true, false, WordsUnit::None};
    const FieldFormat date{ValueKind::Date, QStringLiteral("d MMMM yyyy"), -1, false, true, WordsUnit::None};
    const FieldFormat words{ValueKind::Words, QString(), 12, false, true, WordsUnit::Lei}; // 12: past the box
    QTest::newRow("plain") << FieldLook{FieldStyle(), 8};
    QTest::newRow("every choice away from the first")
        << FieldLook{{QString(), true, true, TextAlign::Centre, 25.75, TextFit::Shrink, 7.5, 0, TextCase::Title, number}, 255};
    QTest::newRow("a family this system lacks, a line finer than shown")
        << FieldLook{{"Nu Exista Deloc", false, false, TextAlign::Right, 60, TextFit::Wrap, 6, 4.23333, TextCase::AsWritten, date}, 11};
    QTest::newRow("out of the boxes' range")
        << FieldLook{{QString(), false, false, TextAlign::Left, 0, TextFit::None, 0.3, 0, TextCase::AsWritten, words}, 0};
}

void TestLayoutEdits::propertiesDialogKeepsWhatItShows()
{
    QFETCH(FieldLook, look);
    FieldPropertiesDialog dialog(nullptr, look, QStringLiteral("Nume"));
    QCOMPARE(dialog.look(), look); // so "OK" on an untouched dialog changes nothing
    QVERIFY(dialog.okButton()->isEnabled());
    QCOMPARE(dialog.findChild<QFontComboBox *>("family")->currentIndex() == 0, look.style.family.isEmpty());
}

void TestLayoutEdits::propertiesDialogReadsDistances_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("fit");
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("ok"); // "OK" can be pressed, giving these two:
    QTest::addColumn<double>("boxMm");
    QTest::addColumn<double>("lineMm");
    QTest::newRow("a comma") << "12,5" << 0 << "0" << true << 12.5 << 0.0;
    QTest::newRow("not a number") << "lat" << 0 << "0" << false << 0.0 << 0.0;
    QTest::newRow("past any paper") << "2500" << 0 << "0" << false << 0.0 << 0.0;
    QTest::newRow("wrapped, a line height") << "80" << 2 << "5,5" << true << 80.0 << 5.5;
    QTest::newRow("wrapped, a wrong line height") << "80" << 2 << "x" << false << 80.0 << 0.0;
    QTest::newRow("a wrong line height unused") << "80" << 1 << "x" << true << 80.0 << 0.0;
}

void TestLayoutEdits::propertiesDialogReadsDistances()
{
    QFETCH(QString, box);
    QFETCH(int, fit);
    QFETCH(QString, line);
    QFETCH(bool, ok);
    QFETCH(double, boxMm);
    QFETCH(double, lineMm);
    FieldPropertiesDialog dialog(nullptr, FieldLook{FieldStyle(), 10}, QString());
    dialog.findChild<QLineEdit *>("box")->setText(box);
    dialog.findChild<QComboBox *>("fit")->setCurrentIndex(fit);
    dialog.findChild<QLineEdit *>("lineHeight")->setText(line);
    QCOMPARE(dialog.okButton()->isEnabled(), ok);
    if (ok)
        QCOMPARE(QPointF(dialog.look().style.boxWidthMm, dialog.look().style.lineHeightMm), QPointF(boxMm, lineMm));
    // What a fitting needs is offered only where it applies.
    QCOMPARE(dialog.findChild<QComboBox *>("fit")->isEnabled(), boxMm > 0);
    QCOMPARE(dialog.findChild<QLineEdit *>("lineHeight")->isEnabled(), boxMm > 0 && fit == 2);
}

// The layout at both screen sizes is the app test's; here, that a typed value counts on Enter.
void TestLayoutEdits::propertiesDialogAnswersKeys()
{
    FieldPropertiesDialog dialog(m_window.get(), FieldLook{FieldStyle(), 10}, QStringLiteral("Nume"));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    // Enter presses "OK", also from a text box; Esc cancels.
    auto *box = dialog.findChild<QLineEdit *>("box");
    box->setText(QStringLiteral("30"));
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.look().style.boxWidthMm, 30.0);
    dialog.show();
    QTest::keyClick(dialog.findChild<QFontComboBox *>("family"), Qt::Key_Escape);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Romanian, QLocale::Romania));
    DialogSeam::setTestMode(true);
    TestLayoutEdits test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_layout_edits.moc"
