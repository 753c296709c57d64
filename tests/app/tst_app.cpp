#include "gui/app/Application.h"
#include "gui/app/frmAjutor.h"
#include "gui/app/frmEcranPrincipal.h"
#include "support/WindowTest.h"
#include "widgets/TextBox.h"
#include "widgets/Units.h"

#include <QAbstractButton>
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
    // Last: once the program is told to end, no dialog's event loop runs in this process.
    void exitClosesEveryWindow();

private:
    void activate();
};

void TestApp::init()
{
    QVERIFY(openWindow());
}

void TestApp::cleanup()
{
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
    } else {
        auto *label = files.findChild<QLabel *>(control);
        QVERIFY(label);
        QCOMPARE(label->text(), text);
    }
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
