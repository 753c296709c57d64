#include "gui/app/Application.h"
#include "gui/app/frmAjutor.h"
#include "gui/app/frmEcranPrincipal.h"
#include "core/Product.h"
#include "core/page/PrinterProfile.h"
#include "gui/data/TextTableDialog.h"
#include "gui/editor/FieldPropertiesDialog.h"
#include "gui/print/CalibrationDialog.h"
#include "support/TestSupport.h"
#include "support/WindowTest.h"
#include "widgets/TextBox.h"
#include "widgets/Units.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFontComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSizeGrip>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionGroupBox>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTreeView>
#include <QTreeWidget>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QSignalSpy>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <functional>
#include <QtTest>
#include <memory>

using namespace formulix;
using namespace formulix::test;

namespace {

const char *const HelpParagraphs[] = {
    "Se deschide mai intai poza unui document ce se poate otine scanand documentul in marime 100% in format jpg. ",
    "Aceasta poza (macheta) are doar rol orientativ si este de cele mai multe ori inexacta.",
    "Daca documentul preia date dintro baza de date, aceasta trebuie sa aiba extensie .mdb si va trebui incarcata prin optiunea de meniu: Instrumente->Incarca baza de date",
    "O schema memoreaza pozitiile campurilor ce trebuie completate precum si datele generale ale documentului.",
    "Prin date generale se inteleg acele date care nu se extrag dintr-o baza de date dar trebuie introduse(cum ar fi: Denumirea Unitatii sau Director)",
    "Daca exista deja dintr-o sesiune anterioara o schema salvata aceasta poate fi incarcata prin optiunea de meniu Fisiere->Deschide Schema",
    "Daca nu exista o astfel de schema se poate construi una, folosind optiunile de meniu: Instrumente->Defineste campuri generale si respectiv, Instrumente->Defineste campuri din baza de date.",
    "Aceasta optiune este disponibila daca in prealabil s-a incarcat o baza de date si apoi s-a ales un tabel din care culegem date.",
    "Definirea unui camp se realizeaza introducand textul dorit in casuta text rezervata si actionand butonul - Creaza Camp.",
    "Amplasarea unui camp se realizeaza facand click cu mausul in locul in care dorim sa plasam campul.",
    "Daca acesta este un camp dintr-o tabela atunci va apare numele campului sau prima litera din denumirea campului in cazul in care dorim sa definim o selectie din continutul campului.",
    "Aceasta selectie se obtine specificand un rang minim si unul maxim ceea ce inseamna rangul primei litere si respectiv al ultimei litere. Exemplu: Pentru a obtine a patra cifra din CNP vom lua: RangMin=4, RangMax=4",
    "Putem sa mutam un camp daca-l selectam cu click dreapta si apoi folosim optiunea de meniu: Instrumente->Corecteaza Pozitie. ",
    "Deselectia unui camp se face tot cu un click de dreapta in afara campului. ",
    "Daca avem o selectie facuta putem sa eliminam campul respectiv folosind butonul care apare doar in aceasta situatie.",
    "O schema odata creata poate fi salvata folosind optiunea de meniu: Fisiere->Salveaza schema",
    "Prin optiunea de meniu: Instrumente->Selecteaza inregistrare, se obtin datele dintr-o inregistrare a tabelei selectate din baza de date deschisa.",
    "Dupa efectuarea unei selectii tabelul poate fi inchis inainte de a tipari.",
    "Datele dintr-o inregistrare pot fi modificate direct in tabel dar vor fi valabile doar la urmatoarea deschidere a tabelului. Deci modificarile nu se vor vedea in document decat la urmatoarea deschidere a tabelului.",
    "Pozitia machetei in ecranul principal se poate modifica cu ajutorul tastelor de directie.",
    "Dupa ce schema a fost completata se poate trece la tiparirea datelor din document.",
    "Este indicat ca inainte de tiparire intr-un document oficial sa se realizeze una doua tipari pe copii de documente, pentru a se face apoi ajustarile necesare folosind optiunile de meniu: Fisiere->Seteaza Pagina. ",
    "Valorile medii pentru coordonatele stanga si sus la imprimanta mea sunt: 20 si respectiv 5, dar difera de la imprimanta la imprimanta. Valorile normale ar fi 0 si 0",
    "Este deci foarte important efectuare unor teste pentru a putea face corectarile de pozitie necesare.",
    "Modificarea acestor parametrii (stanga, sus) are ca efect deplasarea intregului continut al documentului.",
    "Spor la lucru!!!!!",
};

QList<frmAjutor *> helpWindows()
{
    QList<frmAjutor *> found;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (auto *help = qobject_cast<frmAjutor *>(window); help && !help->testAttribute(Qt::WA_WState_Hidden))
            found << help;
    }
    return found;
}

} // namespace

class TestApp : public WindowTest
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startsWaitingForATemplate_data();
    void startsWaitingForATemplate();
    void startUpSetsModelAndWindow();
    void ctrlCRunsItsCommandEvenInATextBox_data();
    void ctrlCRunsItsCommandEvenInATextBox();
    void arrowsPanTheCanvasUntilTheNextResize_data();
    void arrowsPanTheCanvasUntilTheNextResize();
    void arrowKeysAlsoReachTheFocusedControl();
    void helpWindowShowsTheExactTextAndResetsOnResize();
    void helpOpensOnceHoweverOftenChosen();
    void aboutBoxNamesTheTeam();
    void focusAloneChoosesNothingInTheLists_data();
    void focusAloneChoosesNothingInTheLists();
    void menuKeysDoNotPanTheCanvas_data();
    void menuKeysDoNotPanTheCanvas();
    void userTextsShowAsPlainText();
    void windowSystemGetsTheExactTitles();
    void qtDialogsSpeakRomanian_data();
    void qtDialogsSpeakRomanian();
    void fileDialogsStartWhereTheUserCanWrite_data();
    void fileDialogsStartWhereTheUserCanWrite();
    void guideShowsTheFileTheReadmePointsTo();
    void escapeCancelsAndEnterConfirms_data();
    void escapeCancelsAndEnterConfirms();
    void windowsFitTheirCaptions_data();
    void windowsFitTheirCaptions();
    // Last: once the program is told to end, no dialog's event loop runs in this process.
    void exitClosesEveryWindow();

private:
    void activate();
    // A window a user meets, opened as the user opens it; a dialog of a command shown on its own.
    QWidget *openNamed(const QString &name);
    std::unique_ptr<QDialog> m_dialog;
    std::unique_ptr<QPrinter> m_printer; // the print dialog's
};

namespace {

const QStringList WindowNames = {"Completeaza Act, campuri generale", "Completeaza Act, campuri din baza de date",
                                 "Seteaza pozitie", "Muta Camp", "Tabel cu inregistrari", "Explicatii",
                                 "Ghid de utilizare", "Previzualizare", "Tipareste Inregistrari", "Exporta PDF",
                                 "Calibrare", "Tabel text", "Proprietati Camp", "Incarc macheta salvata cu schema?",
                                 "Incarca Macheta (Qt)", "Alege imprimanta (Qt)"};

QString caption(QString text)
{
    return text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
}

// What a user would see wrong in `window`: visible widgets of one parent lying over each other, a
// control over its frame's border or caption, a caption wider than its room.
QStringList crowding(QWidget *window)
{
    QStringList found;
    const auto name = [](const QWidget *widget) {
        QString text = widget->objectName();
        if (const auto *label = qobject_cast<const QLabel *>(widget))
            text = label->text();
        else if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
            text = button->text();
        else if (const auto *frame = qobject_cast<const QGroupBox *>(widget))
            text = frame->title();
        return QStringLiteral("%1 \"%2\"").arg(QString::fromLatin1(widget->metaObject()->className()), caption(text));
    };
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.removeIf([window](QWidget *widget) { return !widget->isVisible() || widget->window() != window; });
    for (QWidget *widget : std::as_const(widgets)) {
        for (QWidget *other : std::as_const(widgets)) {
            if (other <= widget || other->parentWidget() != widget->parentWidget())
                continue;
            // A size grip sits in its window's corner over whatever lies there, as everywhere.
            if (other->geometry().intersects(widget->geometry()) && !qobject_cast<QSizeGrip *>(widget)
                && !qobject_cast<QSizeGrip *>(other))
                found << name(widget) + QStringLiteral(" over ") + name(other);
            // Controls of a kind one under the other: a column, unless a pixel or three off.
            const int left = qAbs(other->x() - widget->x()), width = qAbs(other->width() - widget->width());
            if (other->metaObject() == widget->metaObject() && !qobject_cast<QLabel *>(widget)
                && ((left > 0 && left <= 3) || (left == 0 && width > 0 && width <= 3)))
                found << name(widget) + QStringLiteral(" out of line with ") + name(other);
        }
        // A list's entries whole: the folder's files and the places of a file dialog.
        if (const auto *tree = qobject_cast<const QTreeView *>(widget)) {
            const QAbstractItemView *view = tree; // whose sizeHintForColumn() is public
            for (int column = 0; column < tree->header()->count(); ++column) {
                if (!tree->isColumnHidden(column) && view->sizeHintForColumn(column) > tree->columnWidth(column))
                    found << name(widget) + QStringLiteral(" column %1 cut: %2 in %3").arg(column)
                                                .arg(view->sizeHintForColumn(column)).arg(tree->columnWidth(column));
            }
        } else if (const auto *list = qobject_cast<const QListView *>(widget); list && list->viewMode() == QListView::ListMode
                   && list->flow() == QListView::TopToBottom && list->sizeHintForColumn(0) > list->viewport()->width()) {
            found << name(widget) + QStringLiteral(" cut: %1 in %2").arg(list->sizeHintForColumn(0)).arg(list->viewport()->width());
        }
        if (const auto *frame = qobject_cast<const QGroupBox *>(widget->parentWidget());
            frame && !frame->contentsRect().contains(widget->geometry()))
            found << name(widget) + QStringLiteral(" on the border of ") + name(frame);
        const QFontMetrics metrics(widget->font());
        QRect room;
        QString text;
        if (const auto *label = qobject_cast<const QLabel *>(widget); label && label->wordWrap()) {
            if (label->heightForWidth(label->width()) > label->height())
                found << name(widget) + QStringLiteral(" cut: %1 high in %2").arg(label->heightForWidth(label->width())).arg(label->height());
        } else if (label && !label->text().contains(u'<')) {
            text = caption(label->text());
            room = label->contentsRect();
        } else if (const auto *box = qobject_cast<const QComboBox *>(widget); box && !box->isEditable()
                   && !qobject_cast<const QFontComboBox *>(box)) {
            // Each choice, as the box shows it once chosen; a font list names the system's fonts,
            // whole in its open list.
            QStyleOptionComboBox option;
            option.initFrom(box);
            room = box->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, box);
            for (int i = 0; i < box->count(); ++i) {
                if (metrics.horizontalAdvance(box->itemText(i)) > metrics.horizontalAdvance(text))
                    text = box->itemText(i);
            }
        } else if (const auto *button = qobject_cast<const QAbstractButton *>(widget); button && !button->text().isEmpty()) {
            text = caption(button->text());
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            const QStyle::SubElement element = qobject_cast<const QRadioButton *>(button) ? QStyle::SE_RadioButtonContents
                : qobject_cast<const QCheckBox *>(button)                                 ? QStyle::SE_CheckBoxContents
                                                                                          : QStyle::SE_PushButtonContents;
            room = button->style()->subElementRect(element, &option, button);
        } else if (const auto *frame = qobject_cast<const QGroupBox *>(widget)) {
            text = frame->title();
            room = QRect(0, 0, frame->width() - 2 * metrics.averageCharWidth(), frame->height());
        }
        if (!text.isEmpty() && (metrics.horizontalAdvance(text) > room.width() || metrics.height() > room.height()))
            found << name(widget) + QStringLiteral(" cut: %1x%2 in %3x%4")
                                        .arg(metrics.horizontalAdvance(text)).arg(metrics.height())
                                        .arg(room.width()).arg(room.height());
    }
    return found;
}

} // namespace

void TestApp::init()
{
    QVERIFY(openWindow());
}

void TestApp::cleanup()
{
    m_dialog.reset();
    m_printer.reset();
    ProfileStore::setSettingsFile(QString());
    closeWindow();
}

void TestApp::activate()
{
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    // Keys sent to the window are the ones typed while none of its controls has the focus.
    if (QWidget *focus = QApplication::focusWidget())
        focus->clearFocus();
}

void TestApp::startsWaitingForATemplate_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<bool>("available");
    QTest::newRow("Salveaza Schema") << "Salveaza Schema" << "Ctrl+S" << false;
    QTest::newRow("Deschide Schema") << "Deschide Schema" << "Ctrl+O" << false;
    QTest::newRow("Seteaza Pagina") << "Seteaza Pagina" << "Ctrl+P" << false;
    QTest::newRow("Tipareste") << "Tipareste" << "Ctrl+W" << false;
    QTest::newRow("Exit") << "Exit" << "F4" << false;
    QTest::newRow("Incarca Macheta") << "Incarca Macheta" << "Ctrl+M" << true;
    QTest::newRow("Incarca baza de date") << "Incarca baza de date" << "Ctrl+B" << false;
    QTest::newRow("Defineste Campuri Generale") << "Defineste Campuri Generale" << "Ctrl+G" << false;
    QTest::newRow("Defineste campuri din baza de date") << "Defineste campuri din baza de date" << "Ctrl+C" << false;
    QTest::newRow("Corecteaza Pozitie") << "Corecteaza Pozitie" << "F5" << false;
    QTest::newRow("Selecteaza Inregistrare") << "Selecteaza Inregistrare" << "F2" << false;
    QTest::newRow("Proprietati Camp...") << "Proprietati Camp..." << "F6" << false;
    QTest::newRow("Despre") << "Despre" << "" << true;
    QTest::newRow("Explicatii") << "Explicatii" << "F1" << true;
    QTest::newRow("Ghid de utilizare") << "Ghid de utilizare" << "" << true;
}

void TestApp::startsWaitingForATemplate()
{
    QFETCH(QString, caption);
    QFETCH(QString, shortcut);
    QFETCH(bool, available);
    QAction *found = nullptr;
    for (QAction *menu : m_window->menuBar()->actions()) {
        for (QAction *command : menu->menu()->actions()) {
            if (command->text() == caption)
                found = command;
        }
    }
    QVERIFY(found);
    QCOMPARE(found->shortcut().toString(), shortcut);
    // No other command of the window answers the same keys.
    for (const QAction *other : m_window->findChildren<QAction *>())
        QVERIFY2(other == found || shortcut.isEmpty() || other->shortcut() != found->shortcut(), qPrintable(other->text()));
    QCOMPARE(m_window->commandAvailable(found), available);
    if (available || shortcut.isEmpty())
        return;
    // Its keys do nothing either.
    activate();
    QTest::keySequence(m_window.get(), found->shortcut());
    QVERIFY(m_window->isVisible()); // F4 would have ended the program
    QVERIFY(CommonDialog::shown().isEmpty());
    QVERIFY(helpWindows().isEmpty());
}

void TestApp::startUpSetsModelAndWindow()
{
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Completeaza Act"));
    QStringList menus;
    for (QAction *menu : m_window->menuBar()->actions())
        menus << menu->text();
    QCOMPARE(menus, QStringList({"Fisiere", "Editare", "Instrumente", "Ajutor"}));
    QVERIFY(!m_window->mnuFile->menuAction()->isEnabled());

    QCOMPARE(m_model->PozStanga, qint16(20));
    QCOMPARE(m_model->PozSus, qint16(5));
    QCOMPARE(m_model->Orientare, qint16(1));
    QCOMPARE(m_model->NrCampuriGen, qint16(0));
    QVERIFY(!m_window->MachetaIncarcata && !m_window->AsteaptaCampGen && !m_window->TabelaAleasa
            && !m_window->AsteaptaCampBD && !m_window->PermiteCampuriBD && !m_window->PermiteMeniuri);

    QVERIFY(m_window->Frame1->isHidden());
    QVERIFY(m_window->Frame2->isHidden());
    QCOMPARE(m_window->Frame1->title(), QStringLiteral("Creaza Camp"));
    QCOMPARE(m_window->Frame2->title(), QStringLiteral("Campuri Baza Date"));
    QCOMPARE(mm::height(m_window->Frame1), 40.0);
    QVERIFY(m_window->Label8->isHidden());
    QVERIFY(m_window->Picture2->isHidden());
    QVERIFY(m_window->Picture3->isHidden());

    // The white canvas sits just below the panel strip.
    QVERIFY(!m_window->Picture1->isHidden());
    QCOMPARE(m_window->Picture1->leftMm(), 0.0);
    QCOMPARE(m_window->Picture1->topMm(), 40.0);
    QCOMPARE(m_window->Picture1->image().pixelColor(5, 5), QColor(Qt::white));
    QCOMPARE(m_window->centralWidget()->palette().color(QPalette::Window), QColor(255, 128, 0));

    // The icon is decoded only when asked for, and then it is there in both sizes.
    const QIcon icon = QApplication::windowIcon();
    for (int side : {64, 256}) {
        const QImage pixmap = icon.pixmap(QSize(side, side)).toImage();
        QCOMPARE(pixmap.size(), QSize(side, side));
        QVERIFY(qAlpha(pixmap.pixel(side / 2, side / 2)) > 0);
    }
}

void TestApp::ctrlCRunsItsCommandEvenInATextBox_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::newRow("command enabled: runs it") << true;
    QTest::newRow("command disabled: the box copies") << false;
}

void TestApp::ctrlCRunsItsCommandEvenInATextBox()
{
    QFETCH(bool, enabled);
    m_window->Frame1->show();
    m_window->mnuDefCampBazaDate->setEnabled(enabled);
    QSignalSpy triggered(m_window->mnuDefCampBazaDate, &QAction::triggered);
    activate();
    m_window->Text1->setText(QStringLiteral("Liceul"));
    m_window->Text1->selectAll();
    m_window->Text1->setFocus();
    QTRY_VERIFY(m_window->Text1->hasFocus());
    QTest::keyClick(m_window->Text1, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(triggered.count(), enabled ? 1 : 0);
    QCOMPARE(m_window->Text1->text(), QStringLiteral("Liceul"));
}

void TestApp::arrowsPanTheCanvasUntilTheNextResize_data()
{
    QTest::addColumn<QList<int>>("keys"); // each a QKeyCombination
    QTest::addColumn<double>("left");
    QTest::addColumn<double>("top");
    const int left = QKeyCombination(Qt::Key_Left).toCombined();
    QTest::newRow("Left three times") << QList<int>(3, left) << -30.0 << 40.0;
    QTest::newRow("modifiers are not looked at, letters do not pan")
        << QList<int>{left, left, left, QKeyCombination(Qt::ShiftModifier, Qt::Key_Down).toCombined(),
                      QKeyCombination(Qt::ControlModifier, Qt::Key_Right).toCombined(),
                      QKeyCombination(Qt::Key_A).toCombined()}
        << -20.0 << 50.0;
    QTest::newRow("Up twenty times, out of the window") << QList<int>(20, QKeyCombination(Qt::Key_Up).toCombined())
                                                        << 0.0 << -160.0;
}

void TestApp::arrowsPanTheCanvasUntilTheNextResize()
{
    QFETCH(QList<int>, keys);
    QFETCH(double, left);
    QFETCH(double, top);
    activate();
    for (int key : keys) {
        const QKeyCombination combination = QKeyCombination::fromCombined(key);
        QTest::keyClick(m_window.get(), combination.key(), combination.keyboardModifiers());
    }
    QCOMPARE(m_window->Picture1->leftMm(), left);
    QCOMPARE(m_window->Picture1->topMm(), top);
    if (top < 0)
        QVERIFY(m_window->Picture1->geometry().bottom() < 0);

    m_window->resize(m_window->width() - 40, m_window->height() - 30);
    QTRY_COMPARE(m_window->Picture1->leftMm(), 0.0);
    QCOMPARE(m_window->Picture1->topMm(), 40.0);
}

void TestApp::arrowKeysAlsoReachTheFocusedControl()
{
    // The text box keeps its own use of the arrow, and the canvas moves exactly once.
    m_window->Frame1->show();
    m_window->Text1->setText(QStringLiteral("Liceul"));
    activate();
    m_window->Text1->setFocus();
    QTRY_VERIFY(m_window->Text1->hasFocus());
    m_window->Text1->setCursorPosition(6);
    QTest::keyClick(m_window->Text1, Qt::Key_Left);
    QCOMPARE(m_window->Text1->cursorPosition(), 5);
    QCOMPARE(m_window->Picture1->leftMm(), -10.0);
    QTest::keyClick(m_window->Text1, Qt::Key_Up); // ignored by the box, so it climbs to the window
    QCOMPARE(m_window->Picture1->topMm(), 30.0);
}

void TestApp::helpWindowShowsTheExactTextAndResetsOnResize()
{
    QString expected = QStringLiteral("\r\n\r\n\r\n        --------  Explicatii de utilizare ------------\r\n\r\n\r\n\r\n\r\n");
    for (const char *paragraph : HelpParagraphs) {
        if (paragraph != HelpParagraphs[0])
            expected += QStringLiteral("\r\n\r\n");
        expected += u'\t' + QString::fromLatin1(paragraph);
    }
    m_window->mnuExplicatii->trigger();
    frmAjutor *help = m_window->helpWindow();
    QVERIFY(help && QTest::qWaitForWindowExposed(help));
    const QString shown = help->Text1->text();
    for (int i = 0; i < qMin(shown.size(), expected.size()); ++i) {
        if (shown[i] != expected[i])
            QFAIL(qPrintable(QStringLiteral("differs at %1: ...%2").arg(i).arg(shown.mid(i, 40))));
    }
    QCOMPARE(shown.size(), expected.size());
    QCOMPARE(help->windowTitle(), QStringLiteral("Explicatii"));

    // It fills its window, and a resize brings back the text and its top, whatever was done to them.
    QCOMPARE(help->Text1->geometry(), help->rect());
    help->Text1->moveCursor(QTextCursor::End);
    help->Text1->insertPlainText(QStringLiteral("typed by the user"));
    help->Text1->verticalScrollBar()->setValue(help->Text1->verticalScrollBar()->maximum());

    help->resize(help->width() + 50, help->height() - 40);
    QTRY_COMPARE(help->Text1->geometry(), help->rect());
    QCOMPARE(help->Text1->text(), frmAjutor::usageText());
    QCOMPARE(help->Text1->verticalScrollBar()->value(), 0);
}

void TestApp::helpOpensOnceHoweverOftenChosen()
{
    activate();
    QTest::keyClick(m_window.get(), Qt::Key_F1);
    QTRY_COMPARE(helpWindows().size(), 1);
    frmAjutor *first = m_window->helpWindow();
    m_window->mnuExplicatii->trigger();
    QCOMPARE(helpWindows().size(), 1);
    QCOMPARE(m_window->helpWindow(), first);

    // Closed, it is gone; the next choice makes a new one.
    first->close();
    QTRY_VERIFY(!m_window->helpWindow());
    m_window->mnuExplicatii->trigger();
    QVERIFY(m_window->helpWindow());
    QCOMPARE(helpWindows().size(), 1);
}

void TestApp::aboutBoxNamesTheTeam()
{
    m_window->mnuDespre->trigger();
    const QList<MessageBox::Shown> shown = MessageBox::shown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].title, QStringLiteral("Formulix v.0.1"));
    QVERIFY(!shown[0].text.contains(u'\n'));
    QVERIFY(shown[0].text.contains(QStringLiteral("Formulix")));
    QVERIFY(shown[0].text.contains(QRegularExpression(QStringLiteral("\\d{4} \\d{3} \\d{3}"))));
    QVERIFY(shown[0].text.contains(u'@'));
}

void TestApp::exitClosesEveryWindow()
{
    m_window->mnuExplicatii->trigger();
    QVERIFY(m_window->helpWindow());
    m_window->mnuFile->setEnabled(true);
    m_window->mnuExit->trigger();
    QVERIFY(!m_window->isVisible());
    QTRY_VERIFY(helpWindows().isEmpty());
}

void TestApp::focusAloneChoosesNothingInTheLists_data()
{
    QTest::addColumn<bool>("tables");
    QTest::newRow("the tables, List1") << true;
    QTest::newRow("the columns, List2") << false;
}

void TestApp::focusAloneChoosesNothingInTheLists()
{
    QFETCH(bool, tables);
    activate();
    m_window->Frame2->show();
    QListWidget *list = tables ? m_window->List1 : m_window->List2;
    list->addItems({"MSysObjects", "Elevi", "Profesori"});
    m_window->TabelaAleasa = !tables;
    const auto chose = [&] {
        return tables ? !m_model->NumeTabela.isEmpty() : m_window->AsteaptaCampBD;
    };

    // Tabbing in makes a row current, which is no choice.
    list->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(list->hasFocus());
    QVERIFY(!chose());
    QVERIFY(mousePointer(m_window.get()) != MousePointer::Cross);
    QWidget *elsewhere = m_window->Text3;
    elsewhere->setFocus(Qt::TabFocusReason);
    list->setFocus(Qt::BacktabFocusReason);
    QVERIFY(!chose());

    // Moving the current entry with a key is a choice, and so is a click.
    QTest::keyClick(list, Qt::Key_Down);
    QVERIFY(chose());
    if (tables)
        QCOMPARE(m_model->NumeTabela, list->currentItem()->text());
    m_model->NumeTabela.clear();
    m_window->AsteaptaCampBD = false;
    const QRect row = list->visualItemRect(list->item(2));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
    QVERIFY(chose());
    if (tables)
        QCOMPARE(m_model->NumeTabela, QStringLiteral("Profesori"));
}

void TestApp::menuKeysDoNotPanTheCanvas_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Alt") << int(Qt::Key_Alt);
    QTest::newRow("F10") << int(Qt::Key_F10);
}

void TestApp::menuKeysDoNotPanTheCanvas()
{
    QFETCH(int, key);
    activate();
    QMenuBar *bar = m_window->menuBar();
    QTest::keyClick(m_window.get(), Qt::Key(key));
    QTRY_VERIFY(bar->activeAction());
    for (Qt::Key arrow : {Qt::Key_Right, Qt::Key_Down, Qt::Key_Left, Qt::Key_Up, Qt::Key_Right}) {
        QWidget *receiver = QApplication::activePopupWidget() ? QApplication::activePopupWidget()
                                                               : static_cast<QWidget *>(bar);
        QTest::keyClick(receiver, arrow);
    }
    QVERIFY(bar->activeAction()); // the keys walked the menus
    QCOMPARE(m_window->Picture1->leftMm(), 0.0);
    QCOMPARE(m_window->Picture1->topMm(), 40.0);

    // Out of the menus, the arrows pan again.
    while (QWidget *popup = QApplication::activePopupWidget())
        popup->close();
    QTest::keyClick(bar, Qt::Key_Escape);
    activate();
    QTest::keyClick(m_window.get(), Qt::Key_Left);
    QCOMPARE(m_window->Picture1->leftMm(), -10.0);
}

namespace {

// Runs `open`, which shows a modal dialog with the test seam off, hands the dialog to `look`
// once it is on screen and closes it.
void withRealDialog(const std::function<void()> &open, const std::function<void(QWidget *)> &look)
{
    bool seen = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QDialog *dialog = nullptr;
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (auto *shown = qobject_cast<QDialog *>(window); shown && shown->isVisible())
                dialog = shown;
        }
        if (!dialog || seen || !QTest::qWaitForWindowExposed(dialog))
            return;
        seen = true;
        look(dialog);
        dialog->reject();
    });
    poll.start();
    DialogSeam::setTestMode(false);
    open();
    DialogSeam::setTestMode(true);
    QVERIFY(seen);
}

// The title the window manager reads for a window.
QString netWmName(QWidget *window)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"),
                {QStringLiteral("-id"), QString::number(window->winId()), QStringLiteral("_NET_WM_NAME")});
    if (!xprop.waitForFinished(10000))
        return QStringLiteral("(xprop did not answer)");
    const QString out = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
    const qsizetype quote = out.indexOf(u'"');
    return quote < 0 ? out : out.mid(quote + 1).chopped(1);
}

} // namespace

void TestApp::userTextsShowAsPlainText()
{
    const QString markup = QStringLiteral("<b>Nume</b> & <i>Prenume</i>");
    m_window->Label8->setText(markup);
    QCOMPARE(m_window->Label8->textFormat(), Qt::PlainText);

    withRealDialog([&] { MessageBox::information(m_window.get(), QStringLiteral("Formulix"), markup); },
                   [&](QWidget *dialog) {
                       auto *label = dialog->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
                       QVERIFY(label);
                       QCOMPARE(label->textFormat(), Qt::PlainText);
                       QCOMPARE(label->text(), markup);
                   });
    withRealDialog([&] { MessageBox::question(m_window.get(), QStringLiteral("Formulix"), markup); },
                   [&](QWidget *dialog) {
                       auto *box = qobject_cast<QMessageBox *>(dialog);
                       QVERIFY(box);
                       QCOMPARE(box->textFormat(), Qt::PlainText);
                       QStringList buttons;
                       for (QAbstractButton *button : box->buttons())
                           buttons << button->text();
                       buttons.sort();
                       QCOMPARE(buttons, QStringList({"Anulare", "Da", "Nu"}));
                   });
    withRealDialog([&] { InputBox::ask(m_window.get(), markup, QStringLiteral("Text Nou")); },
                   [&](QWidget *dialog) {
                       bool found = false;
                       for (QLabel *label : dialog->findChildren<QLabel *>()) {
                           if (label->text() == markup) {
                               found = true;
                               QCOMPARE(label->textFormat(), Qt::PlainText);
                           }
                       }
                       QVERIFY(found);
                   });
}

void TestApp::windowSystemGetsTheExactTitles()
{
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        QSKIP("needs an X server: the run under Xvfb checks the titles");
    if (QStandardPaths::findExecutable(QStringLiteral("xprop")).isEmpty())
        QSKIP("needs xprop (Debian package x11-utils)");
    QCOMPARE(netWmName(m_window.get()), QStringLiteral("Completeaza Act"));

    m_window->mnuExplicatii_Click();
    m_window->mnuCorecteazaPoz_Click();
    m_window->mnuSeteazaPag_Click();
    m_window->mnuSelInreg_Click();
    const QList<std::pair<QWidget *, QString>> windows = {
        {m_window->helpWindow(), "Explicatii"},
        {m_window->correctionWindow(), "Muta Camp"},
        {m_window->pageWindow(), "Seteaza pozitie"},
        {m_window->recordWindow(), "Tabel cu inregistrari"},
    };
    for (const auto &[window, title] : windows) {
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCOMPARE(netWmName(window), title);
    }

    const auto dialogTitled = [](const QString &title) {
        return [title](QWidget *dialog) { QCOMPARE(netWmName(dialog), title); };
    };
    withRealDialog([&] { m_window->mnuDespre_Click(); }, dialogTitled(QStringLiteral("Formulix v.0.1")));
    withRealDialog([&] { InputBox::ask(m_window.get(), QStringLiteral("Introduceti noul text"), QStringLiteral("Text Nou")); },
                   dialogTitled(QStringLiteral("Text Nou")));
    withRealDialog(
        [&] {
            MessageBox::information(m_window.get(), QStringLiteral("Baza de date utilizata"),
                                    QStringLiteral("Schema foloseste tabela: Elevi din baza de date: elevi.mdb"));
        },
        dialogTitled(QStringLiteral("Baza de date utilizata")));
}

void TestApp::qtDialogsSpeakRomanian_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    QTest::newRow("file dialog: folder") << "lookInLabel" << "Cauta in:";
    QTest::newRow("file dialog: file name") << "fileNameLabel" << "&Nume fisier:";
    QTest::newRow("file dialog: type") << "fileTypeLabel" << "Fisiere de tipul:";
    QTest::newRow("message box: Yes") << "Yes" << "&Da";
    QTest::newRow("message box: No") << "No" << "&Nu";
    QTest::newRow("message box: Cancel") << "Cancel" << "Anulare";
    // The columns Qt fills in the system's language, here with a file of the test's.
    QTest::newRow("file dialog: a file's size") << "column 1" << "2,9 KB";
    QTest::newRow("file dialog: a file's type") << "column 2" << "Fisier PDF";
    QTest::newRow("file dialog: a file's date, no month name") << "column 3" << "15.03.2024 10:30";
    QTest::newRow("page setup: landscape") << "QPageSetupWidget|Landscape" << "Peisaj";
    // The paper sizes the print dialog lists for a PDF file, and its questions of the print server.
    QTest::newRow("print dialog: an envelope") << "paper size" << "Plic DL";
    QTest::newRow("print server: a password") << "QCupsPrinterSupport|Authentication Needed" << "Autentificare necesara";
    QTest::newRow("spin box menu") << "QAbstractSpinBox|&Select All" << "&Selecteaza tot";
}

void TestApp::qtDialogsSpeakRomanian()
{
    QFETCH(QString, control);
    QFETCH(QString, text);
    QFileDialog files(m_window.get());
    files.setOption(QFileDialog::DontUseNativeDialog);
    QMessageBox box(QMessageBox::Question, QStringLiteral("Formulix"), QString(),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, m_window.get());
    const QMap<QString, QMessageBox::StandardButton> buttons = {
        {"Yes", QMessageBox::Yes}, {"No", QMessageBox::No}, {"Cancel", QMessageBox::Cancel}};
    if (buttons.contains(control)) {
        QCOMPARE(box.button(buttons[control])->text(), text);
    } else if (control == QStringLiteral("paper size")) {
        QCOMPARE(QPageSize(QPageSize::EnvelopeDL).name(), text);
    } else if (control.contains(u'|')) {
        QCOMPARE(QCoreApplication::translate(qPrintable(control.section(u'|', 0, 0)), qPrintable(control.section(u'|', 1))), text);
    } else if (control.startsWith(QStringLiteral("column"))) {
        const QString file = m_dir->filePath(QStringLiteral("clasa.pdf"));
        QVERIFY(writeFile(file, QByteArray(3000, 'x')));
        QFile written(file);
        QVERIFY(written.open(QIODevice::ReadWrite)
                && written.setFileTime(QDateTime(QDate(2024, 3, 15), QTime(10, 30)), QFileDevice::FileModificationTime));
        written.close();
        files.ensurePolished();
        files.setDirectory(m_dir->path());
        const QAbstractItemModel *model = files.findChild<QTreeView *>(QStringLiteral("treeView"))->model();
        const auto cell = [&] {
            const QModelIndex folder = files.findChild<QTreeView *>(QStringLiteral("treeView"))->rootIndex();
            for (int row = 0; row < model->rowCount(folder); ++row) {
                if (model->index(row, 0, folder).data().toString() == QStringLiteral("clasa.pdf"))
                    return model->index(row, control.section(u' ', 1).toInt(), folder).data().toString();
            }
            return QString();
        };
        QTRY_COMPARE(cell(), text);
    } else {
        auto *label = files.findChild<QLabel *>(control);
        QVERIFY(label);
        QCOMPARE(label->text(), text);
    }
}

QWidget *TestApp::openNamed(const QString &name)
{
    frmEcranPrincipal &w = *m_window;
    const QString examples = QStringLiteral(FORMULIX_SOURCE_DIR "/examples/");
    if (name != QStringLiteral("Explicatii") && name != QStringLiteral("Ghid de utilizare"))
        loadTemplate(w, examples + QStringLiteral("certificat.jpg"));
    if (name.startsWith(QStringLiteral("Completeaza Act"))) {
        // Every control of the panel shown, the ones a selection brings up too.
        if (name.endsWith(QStringLiteral("generale"))) {
            w.mnuDefCampGen->trigger();
            w.Command7->show();
            w.Command9->show();
        } else {
            loadDatabase(w, examples + QStringLiteral("elevi.mdb"));
            w.Command6->show();
        }
        return &w;
    }
    if (name == QStringLiteral("Seteaza pozitie")) {
        w.mnuSeteazaPag->trigger();
        return w.pageWindow();
    }
    if (name == QStringLiteral("Muta Camp")) {
        addGeneral(generalField(QStringLiteral("Liceul Teoretic"), 40, 50, 12));
        w.RedeseneazaCampuri();
        w.markField(true, 1);
        w.mnuCorecteazaPoz_Click();
        return w.correctionWindow();
    }
    if (name == QStringLiteral("Tabel cu inregistrari")) {
        loadDatabase(w, examples + QStringLiteral("elevi.mdb"));
        if (!chooseTable(w, QStringLiteral("Elevi")))
            return nullptr;
        w.mnuSelInreg->trigger();
        return w.recordWindow();
    }
    if (name == QStringLiteral("Explicatii")) {
        w.mnuExplicatii->trigger();
        return w.helpWindow();
    }
    if (name == QStringLiteral("Ghid de utilizare")) {
        w.guideAction->trigger();
        return w.guideWindow();
    }
    if (name == QStringLiteral("Previzualizare")) {
        BatchPrintDialog::queueAnswer(JobRequest());
        w.previewAction->trigger();
        return w.previewWindow();
    }
    if (name == QStringLiteral("Tipareste Inregistrari") || name == QStringLiteral("Exporta PDF")) {
        const auto purpose = name == QStringLiteral("Exporta PDF") ? BatchPrintDialog::Purpose::Pdf : BatchPrintDialog::Purpose::Print;
        m_dialog = std::make_unique<BatchPrintDialog>(&w, purpose, 10, QList<qint64>{2, 3});
    } else if (name == QStringLiteral("Calibrare")) {
        // The files' profile, on A4 with margins, from crosses that landed 1 mm right of their place.
        ProfileStore::setSettingsFile(m_dir->filePath(QStringLiteral("profile.ini")));
        CalibrationSetup setup;
        setup.printers = {QString()};
        const PaperArea paper{{210, 297}, QRectF(5, 5, 200, 287)};
        setup.paperOf = [paper](const QString &) { return paper; };
        auto *dialog = new CalibrationDialog(&w, setup);
        QStringList measured;
        for (const CalibrationTarget &target : calibrationTargets(paper))
            measured << QString::number(target.positionMm.x() + 1) << QString::number(target.positionMm.y());
        dialog->setMeasurements(measured);
        m_dialog.reset(dialog);
    } else if (name == QStringLiteral("Tabel text")) {
        m_dialog = std::make_unique<TextTableDialog>(&w, examples + QStringLiteral("elevi.csv"), CsvOptions());
    } else if (name == QStringLiteral("Proprietati Camp")) {
        // A box that shrinks and a number format: every control in use.
        FieldLook look;
        look.size = 12;
        look.style.boxWidthMm = 60;
        look.style.fit = TextFit::Shrink;
        look.style.format.kind = ValueKind::Number;
        m_dialog = std::make_unique<FieldPropertiesDialog>(&w, look, QStringLiteral("Numele si prenumele elevului"));
    } else if (name == QStringLiteral("Incarc macheta salvata cu schema?")) {
        m_dialog = MessageBox::questionBox(&w, applicationTitle(), name);
    } else if (name == QStringLiteral("Incarca Macheta (Qt)")) {
        // Qt's own dialog, as the program opens it, on a folder of a scan and a folder.
        const QString folder = m_dir->filePath(QStringLiteral("Sabloane"));
        if (!QDir().mkpath(folder + QStringLiteral("/Scanari vechi"))
            || !QFile::copy(examples + QStringLiteral("certificat.jpg"), folder + QStringLiteral("/certificat.jpg")))
            return nullptr;
        auto *files = new QFileDialog(&w, QString(), folder, toQtNameFilter(QStringLiteral("(jpeg, bmp)|*.jpg; *.bmp")));
        files->setOption(QFileDialog::DontUseNativeDialog);
        m_dialog.reset(files);
        m_dialog->show();
        auto *view = files->findChild<QTreeView *>(QStringLiteral("treeView"));
        if (!QTest::qWaitFor([view] { return view->model()->rowCount(view->rootIndex()) == 2; }))
            return nullptr;
        return files;
    } else if (name == QStringLiteral("Alege imprimanta (Qt)")) {
        // Qt's own dialog on a PDF file, the printer every machine has.
        m_printer = std::make_unique<QPrinter>();
        m_printer->setOutputFileName(m_dir->filePath(QStringLiteral("clasa.pdf")));
        m_dialog = std::make_unique<QPrintDialog>(m_printer.get(), &w);
    } else {
        return nullptr;
    }
    m_dialog->show();
    return m_dialog.get();
}

void TestApp::fileDialogsStartWhereTheUserCanWrite_data()
{
    QTest::addColumn<bool>("programFolderWritable");
    QTest::addColumn<QString>("chosenBefore"); // the filter of a dialog answered in the folder "ales" before
    QTest::addColumn<bool>("folderGone");      // "ales" removed since
    QTest::addColumn<QString>("startsIn");     // "program", "ales" or "documents"
    const QString templates = QStringLiteral("*.jpg");
    QTest::newRow("run from its own folder") << true << templates << false << "program";
    QTest::newRow("installed, first time") << false << QString() << false << "documents";
    QTest::newRow("installed, a template chosen before") << false << templates << false << "ales";
    QTest::newRow("installed, that folder gone") << false << templates << true << "documents";
    QTest::newRow("installed, only a schema chosen before") << false << QStringLiteral("(tip file)|*.tip") << false
                                                           << "documents";
    QTest::newRow("installed, a template chosen in the folder dialog") << false << QString("folder") << false << "documents";
}

void TestApp::fileDialogsStartWhereTheUserCanWrite()
{
    QFETCH(bool, programFolderWritable);
    QFETCH(QString, chosenBefore);
    QFETCH(bool, folderGone);
    QFETCH(QString, startsIn);
    QSettings(QStringLiteral("Formulix"), QStringLiteral("Formulix")).remove(QStringLiteral("Foldere"));
    const QString program = m_dir->filePath(programFolderWritable ? QStringLiteral("program") : QStringLiteral("usr/bin"));
    const QString chosen = m_dir->filePath(QStringLiteral("ales"));
    QVERIFY(QDir().mkpath(chosen));
    if (programFolderWritable)
        QVERIFY(QDir().mkpath(program));
    DialogSeam::setProgramFolder(program);
    const auto restore = qScopeGuard([] { DialogSeam::setProgramFolder(QString()); });
    if (!chosenBefore.isEmpty()) {
        CommonDialog earlier;
        earlier.prepare(chosenBefore == QStringLiteral("folder") ? QString() : chosenBefore);
        CommonDialog::queueAnswer(chosen + QStringLiteral("/ales.jpg"));
        chosenBefore == QStringLiteral("folder") ? earlier.ShowFolder(m_window.get()) : earlier.ShowOpen(m_window.get());
    }
    if (folderGone)
        QVERIFY(QDir(chosen).removeRecursively());

    CommonDialog::queueCancel();
    m_window->mnuIncarcaMacheta->trigger();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString expected = startsIn == QStringLiteral("program") ? program
        : startsIn == QStringLiteral("ales")                       ? chosen
        : QFileInfo(documents).isDir()                             ? documents
                                                                   : QDir::homePath();
    QCOMPARE(CommonDialog::shown().constLast().initDir, expected);
}

void TestApp::guideShowsTheFileTheReadmePointsTo()
{
    QVERIFY(QString::fromUtf8(readFile(QStringLiteral(FORMULIX_SOURCE_DIR "/README.md"))).contains(QStringLiteral("](docs/ghid.md)")));
    const QString file = QString::fromUtf8(readFile(QStringLiteral(FORMULIX_SOURCE_DIR "/docs/ghid.md")));
    m_window->guideAction->trigger();
    m_window->guideAction->trigger();
    GuideWindow *guide = m_window->guideWindow();
    QVERIFY(guide && QTest::qWaitForWindowExposed(guide));
    int guides = 0;
    for (QWidget *window : QApplication::topLevelWidgets())
        guides += qobject_cast<GuideWindow *>(window) && window->isVisible();
    QCOMPARE(guides, 1);
    QCOMPARE(guide->windowTitle(), QStringLiteral("Ghid de utilizare"));
    // Every chapter and section of the file is in the contents, in its order; the notes to its
    // writers are not shown.
    QStringList headings, listed;
    for (const QString &line : file.split(u'\n')) {
        if (line.startsWith(QStringLiteral("## ")) || line.startsWith(QStringLiteral("### ")))
            headings << line.section(u' ', 1);
    }
    for (QTreeWidgetItemIterator it(guide->contents()); *it; ++it)
        listed << (*it)->text(0);
    QVERIFY(headings.size() >= 8);
    QCOMPARE(listed, headings);
    QVERIFY(guide->contents()->header()->sectionSize(0) <= guide->contents()->viewport()->width()); // no entry cut
    const QString shown = guide->text()->toPlainText();
    QVERIFY(shown.contains(QStringLiteral("Ghid de utilizare Formulix")) && shown.contains(QStringLiteral("Anuleaza mutarea campului")));
    QVERIFY(!shown.contains(QStringLiteral("<!--")) && !shown.contains(QStringLiteral("Pentru cei care scriu")));
    // A click on an entry brings its heading to the top.
    guide->resize(900, 400);
    QTreeWidget *contents = guide->contents();
    QTreeWidgetItem *last = contents->topLevelItem(contents->topLevelItemCount() - 1);
    contents->scrollToItem(last);
    QTest::mouseClick(contents->viewport(), Qt::LeftButton, {}, contents->visualItemRect(last).center());
    const QTextCursor top = guide->text()->cursorForPosition(QPoint(5, 5));
    QCOMPARE(top.block().text(), last->text(0));
}

void TestApp::escapeCancelsAndEnterConfirms_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("key");
    for (const char *window : {"Seteaza pozitie", "Muta Camp", "Explicatii", "Ghid de utilizare", "Previzualizare",
                               "Tipareste Inregistrari", "Calibrare", "Tabel text", "Proprietati Camp",
                               "Incarc macheta salvata cu schema?"}) {
        for (const char *key : {"Esc", "Enter"}) {
            if (QByteArray(key) == "Enter" && (QByteArray(window) == "Explicatii" || QByteArray(window) == "Ghid de utilizare"
                                               || QByteArray(window) == "Previzualizare"))
                continue; // no button to confirm with
            QTest::addRow("%s, %s", window, key) << QString::fromLatin1(window) << QString::fromLatin1(key);
        }
    }
}

void TestApp::escapeCancelsAndEnterConfirms()
{
    QFETCH(QString, window);
    QFETCH(QString, key);
    QPointer<QWidget> shown = openNamed(window);
    QVERIFY(shown);
    shown->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(shown));
    const bool enter = key == QStringLiteral("Enter");
    if (window == QStringLiteral("Seteaza pozitie"))
        m_window->pageWindow()->Text1->setText(QStringLiteral("7"));
    if (window == QStringLiteral("Muta Camp"))
        m_window->correctionWindow()->Command3->click(); // the marker 1 mm to the right
    QWidget *focus = QApplication::focusWidget() ? QApplication::focusWidget() : shown.data();
    QTest::keyClick(focus, enter ? Qt::Key_Return : Qt::Key_Escape);
    if (enter && window == QStringLiteral("Calibrare")) {
        // "Aplica" keeps the profile and leaves the dialog open for the next printer.
        const auto *calibration = qobject_cast<CalibrationDialog *>(m_dialog.get());
        QVERIFY(calibration->saved() && shown->isVisible());
        QCOMPARE(qRound(calibration->saved()->shiftXMm * 10), 10);
        return;
    }
    QTRY_VERIFY(!shown || !shown->isVisible());
    if (window == QStringLiteral("Seteaza pozitie"))
        QCOMPARE(m_model->PozStanga, qint16(enter ? 7 : 20));
    if (window == QStringLiteral("Muta Camp"))
        QCOMPARE(m_model->CampuriGen.at(1)->X, qint16(enter ? 41 : 40));
    if (const auto *box = qobject_cast<QMessageBox *>(m_dialog.get()))
        QCOMPARE(MessageBox::answerOf(*box), enter ? MessageBox::Answer::Yes : MessageBox::Answer::Cancel);
    else if (m_dialog)
        QCOMPARE(m_dialog->result(), enter ? QDialog::Accepted : QDialog::Rejected);
}

void TestApp::windowsFitTheirCaptions_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QSize>("screen");
    for (const QSize screen : {QSize(1024, 768), QSize(1920, 1080)}) {
        for (const QString &window : WindowNames)
            QTest::addRow("%s, %dx%d", qPrintable(window), screen.width(), screen.height()) << window << screen;
    }
}

void TestApp::windowsFitTheirCaptions()
{
    QFETCH(QString, window);
    QFETCH(QSize, screen);
    QWidget *shown = openNamed(window);
    QVERIFY(shown);
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    // A window the user may size opens to the screen; a dialog keeps its own size, which fits.
    if (shown->minimumSize() != shown->maximumSize() && !qobject_cast<QDialog *>(shown)
        && !qobject_cast<frmPozitie *>(shown) && !qobject_cast<frmMutaCamp *>(shown))
        shown->resize(screen - (shown->frameGeometry().size() - shown->size()));
    QApplication::processEvents();
    QVERIFY2(shown->frameGeometry().width() <= screen.width() && shown->frameGeometry().height() <= screen.height(),
             qPrintable(QStringLiteral("%1x%2").arg(shown->frameGeometry().width()).arg(shown->frameGeometry().height())));
    const QStringList found = crowding(shown);
    QVERIFY2(found.isEmpty(), qPrintable(found.join(QStringLiteral("\n"))));
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    prepareApplication(app);
    formulix::DialogSeam::setTestMode(true);
    TestApp test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_app.moc"
