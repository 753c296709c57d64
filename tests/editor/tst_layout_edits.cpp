// Moving fields by hand, boxed fields, and the layout's undo history, through the real window.
#include "support/Images.h"
#include "support/TestSupport.h"
#include "support/WindowTest.h"
#include "gui/app/frmEcranPrincipal.h"
#include "gui/editor/frmMutaCamp.h"
#include "core/layout/SchemaCodec.h"
#include "gui/print/frmPozitie.h"

#include <QAction>
#include <QApplication>
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

private:
    QPoint pixel(QPointF mm) const;
    void chooseColumn(const QString &name, const QString &fontSize = QStringLiteral("10"));
    void makeChange(const QString &change);

};

void TestLayoutEdits::init()
{
    QVERIFY(openWindow(QSize(1000, 800)));
    QVERIFY(loadScan(QSize(1240, 1754)));
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
    addDatabase(databaseField(QStringLiteral("Nume"), 20, 20));

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

    // The orientation is not kept in the file: changing it alone asks nothing.
    CommonDialog::queueAnswer(path);
    m_window->mnuSalveazaSch->trigger();
    m_window->mnuSeteazaPag->trigger();
    QVERIFY(QTest::qWaitForWindowActive(m_window->pageWindow()));
    m_window->pageWindow()->Option2->setChecked(true);
    m_window->pageWindow()->Command1->click();
    QVERIFY(!m_window->layoutHistory()->isClean());
    QVERIFY(!m_window->layoutChanged());

    // Opening a schema is clean; undone past what was saved, closing asks again.
    CommonDialog::queueAnswer(path);
    m_window->mnuDeschSch->trigger();
    QVERIFY(m_window->layoutHistory()->isClean());
    m_window->undoLayout();
    m_window->undoLayout();
    QVERIFY(m_window->layoutChanged());
    MessageBox::queueAnswer(MessageBox::Answer::Cancel);
    const int shown = int(MessageBox::shown().size());
    m_window->close();
    QVERIFY(m_window->isVisible());
    QCOMPARE(MessageBox::shown().size(), shown + 1);
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
