#include "gui/app/frmEcranPrincipal.h"

#include "gui/app/frmAjutor.h"
#include "core/layout/SchemaCodec.h"
#include "widgets/ActivationTracker.h"
#include "widgets/ChoiceList.h"
#include "widgets/Controls.h"
#include "widgets/KeyPreview.h"
#include "widgets/Units.h"

#include <QAction>
#include <QStatusBar>
#include <QCloseEvent>
#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QUndoStack>

namespace formulix {

namespace {

const QColor PanelButtonColor(0xFF, 0xC0, 0xC0); // &H00C0C0FF
const QColor WindowColor(255, 128, 0);

// A frame whose caption is 12 pt while its controls keep the normal interface font.
QGroupBox *makeFrame(const QString &caption, QWidget *parent)
{
    auto *frame = new QGroupBox(caption, parent);
    QFont captionFont = QApplication::font();
    captionFont.setPointSizeF(12);
    frame->setFont(captionFont);
    // A frame has the face colour of the controls, not the window's orange.
    QPalette palette = frame->palette();
    palette.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    frame->setPalette(palette);
    frame->setAutoFillBackground(true);
    return frame;
}

// The controls' design places assume an 8 pt interface font.
QFont controlFont()
{
    QFont font = QApplication::font();
    font.setPointSizeF(8);
    return font;
}

template <typename W>
W *place(W *widget, double left, double top, double width, double height)
{
    widget->setFont(controlFont());
    setTwipsGeometry(widget, left, top, width, height);
    return widget;
}

QLabel *makeLabel(const QString &caption, QWidget *parent, double l, double t, double w, double h)
{
    QLabel *label = place(new QLabel(caption, parent), l, t, w, h);
    fitCaption(label);
    return label;
}

QLineEdit *makeTextBox(const QString &text, QWidget *parent, double l, double t, double w, double h)
{
    return place(new QLineEdit(text, parent), l, t, w, h);
}

QPushButton *makeButton(const QString &caption, QWidget *parent, double l, double t, double w, double h)
{
    QPushButton *button = place(new QPushButton(caption, parent), l, t, w, h);
    fitCaption(button);
    return button;
}

QPushButton *makeColouredButton(const QString &caption, const QColor &color, QWidget *parent, double l, double t,
                                double w, double h)
{
    QPushButton *button = makeButton(caption, parent, l, t, w, h);
    setButtonColor(button, color);
    return button;
}

} // namespace

frmEcranPrincipal::frmEcranPrincipal(Module1 &model, QWidget *parent) : QMainWindow(parent), m(model)
{
    setWindowTitle(QStringLiteral("Completeaza Act"));
    m_client = new QWidget(this);
    m_client->setAutoFillBackground(true);
    QPalette palette = m_client->palette();
    palette.setColor(QPalette::Window, WindowColor);
    m_client->setPalette(palette);
    setCentralWidget(m_client);

    m_document = new Document(m, this);
    m_history = m_document->history();
    createMenus();
    createControls();
    // Beside the specified window: a line that always says whose values print.
    recordStatus = new QLabel(this);
    recordStatus->setObjectName(QStringLiteral("recordStatus"));
    statusBar()->addWidget(recordStatus, 1);
    connectHandlers();

    const double dpi = logicalDpi(this);
    resize(twipsToPixels(11055, dpi), twipsToPixels(8310, dpi) + menuBar()->sizeHint().height());

    ActivationTracker::registerWindow(this);
    m_keyPreview = new KeyPreview(this, [this](int keyCode, int shift) { Form_KeyDown(keyCode, shift); });
    qApp->installEventFilter(this);
    Form_Load();
}

frmEcranPrincipal::~frmEcranPrincipal()
{
    qApp->removeEventFilter(this);
    delete m_frmAjutor.data();
    delete m_frmMutaCamp.data();
    delete m_frmSelectie.data();
    delete m_frmPozitie.data();
    delete m_preview.data();
}

void frmEcranPrincipal::showAtStart()
{
    setWindowState(Qt::WindowMaximized);
    show();
}

void frmEcranPrincipal::createMenus()
{
    auto add = [this](QMenu *menu, const QString &caption, const QKeySequence &shortcut) {
        QAction *action = menu->addAction(caption);
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
        return action;
    };

    mnuFile = menuBar()->addMenu(QStringLiteral("Fisiere"));
    mnuSalveazaSch = add(mnuFile, QStringLiteral("Salveaza Schema"), QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuDeschSch = add(mnuFile, QStringLiteral("Deschide Schema"), QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuSeteazaPag = add(mnuFile, QStringLiteral("Seteaza Pagina"), QKeySequence(Qt::CTRL | Qt::Key_P));
    mnuTipareste = add(mnuFile, QStringLiteral("Tipareste"), QKeySequence(Qt::CTRL | Qt::Key_W));
    mnuExit = add(mnuFile, QStringLiteral("Exit"), QKeySequence(Qt::Key_F4));
    // Printing many records, the preview, PDF and images, after "Tipareste"; their keys take none of
    // the menus' own.
    auto insert = [this](const QString &caption, const QKeySequence &shortcut) {
        auto *action = new QAction(caption, this);
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
        mnuFile->insertAction(mnuExit, action);
        return action;
    };
    printRecordsAction = insert(QStringLiteral("Tipareste Inregistrari..."), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_W));
    previewAction = insert(QStringLiteral("Previzualizare"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V));
    exportPdfAction = insert(QStringLiteral("Exporta PDF..."), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    exportPngAction = insert(QStringLiteral("Exporta imagini PNG..."), QKeySequence());
    calibrationSheetAction = insert(QStringLiteral("Pagina de calibrare"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T));
    calibrateAction = insert(QStringLiteral("Calibrare..."), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K));
    addAction(calibrationSheetAction);
    addAction(calibrateAction);
    printRecordsAction->setEnabled(false);

    editMenu = menuBar()->addMenu(QStringLiteral("Editare"));
    undoAction = add(editMenu, QStringLiteral("Anuleaza"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    redoAction = add(editMenu, QStringLiteral("Reface"), QKeySequence(Qt::CTRL | Qt::Key_Y));

    mnuInstrumente = menuBar()->addMenu(QStringLiteral("Instrumente"));
    mnuIncarcaMacheta = add(mnuInstrumente, QStringLiteral("Incarca Macheta"), QKeySequence(Qt::CTRL | Qt::Key_M));
    mnuIncarcaBaza = add(mnuInstrumente, QStringLiteral("Incarca baza de date"), QKeySequence(Qt::CTRL | Qt::Key_B));
    mnuDefCampGen = add(mnuInstrumente, QStringLiteral("Defineste Campuri Generale"), QKeySequence(Qt::CTRL | Qt::Key_G));
    mnuDefCampBazaDate = add(mnuInstrumente, QStringLiteral("Defineste campuri din baza de date"),
                             QKeySequence(Qt::CTRL | Qt::Key_C));
    mnuCorecteazaPoz = add(mnuInstrumente, QStringLiteral("Corecteaza Pozitie"), QKeySequence(Qt::Key_F5));
    mnuSelInreg = add(mnuInstrumente, QStringLiteral("Selecteaza Inregistrare"), QKeySequence(Qt::Key_F2));
    scaleTemplateAction = add(mnuInstrumente, QStringLiteral("Corecteaza Scara Machetei"),
                              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M));
    // Beside "Corecteaza Pozitie", the other command on the selected field; F6 after its F5.
    fieldPropertiesAction = new QAction(QStringLiteral("Proprietati Camp..."), this);
    fieldPropertiesAction->setShortcut(QKeySequence(Qt::Key_F6));
    fieldPropertiesAction->setShortcutContext(Qt::WindowShortcut);
    fieldPropertiesAction->setEnabled(false);
    mnuInstrumente->insertAction(mnuSelInreg, fieldPropertiesAction);

    mnuAjutor = menuBar()->addMenu(QStringLiteral("Ajutor"));
    mnuDespre = mnuAjutor->addAction(QStringLiteral("Despre"));
    mnuExplicatii = add(mnuAjutor, QStringLiteral("Explicatii"), QKeySequence(Qt::Key_F1));

    // F10 opens the first menu that can be chosen, as desktop programs do; Alt works through Qt.
    auto *menuKey = new QAction(this);
    menuKey->setShortcut(QKeySequence(Qt::Key_F10));
    menuKey->setShortcutContext(Qt::WindowShortcut);
    addAction(menuKey);
    connect(menuKey, &QAction::triggered, this, [this] {
        for (QAction *menu : menuBar()->actions()) {
            if (menu->isEnabled() && menu->isVisible()) {
                menuBar()->setActiveAction(menu);
                return;
            }
        }
    });
}

void frmEcranPrincipal::connectHandlers()
{
    connectCommand(mnuExit, &frmEcranPrincipal::mnuExit_Click);
    connectCommand(mnuDespre, &frmEcranPrincipal::mnuDespre_Click);
    connectCommand(mnuExplicatii, &frmEcranPrincipal::mnuExplicatii_Click);
    connectCommand(mnuSalveazaSch, &frmEcranPrincipal::mnuSalveazaSch_Click);
    connectCommand(mnuDeschSch, &frmEcranPrincipal::mnuDeschSch_Click);
    connectCommand(mnuIncarcaMacheta, &frmEcranPrincipal::mnuIncarcaMacheta_Click);
    connectCommand(mnuDefCampGen, &frmEcranPrincipal::mnuDefCampGen_Click);
    connectCommand(mnuDefCampBazaDate, &frmEcranPrincipal::mnuDefCampBazaDate_Click);
    connectCommand(mnuIncarcaBaza, &frmEcranPrincipal::mnuIncarcaBaza_Click);
    connectCommand(mnuSelInreg, &frmEcranPrincipal::mnuSelInreg_Click);
    connectCommand(mnuSeteazaPag, &frmEcranPrincipal::mnuSeteazaPag_Click);
    connectCommand(mnuTipareste, &frmEcranPrincipal::mnuTipareste_Click);
    connectCommand(printRecordsAction, &frmEcranPrincipal::printRecords);
    connectCommand(previewAction, &frmEcranPrincipal::showPreview);
    connectCommand(exportPdfAction, &frmEcranPrincipal::exportPdf);
    connectCommand(exportPngAction, &frmEcranPrincipal::exportPng);
    connectCommand(scaleTemplateAction, &frmEcranPrincipal::correctTemplateScale);
    // Not through the menu's enabling: calibrating needs no template.
    connect(calibrationSheetAction, &QAction::triggered, this, &frmEcranPrincipal::printCalibrationSheet);
    connect(calibrateAction, &QAction::triggered, this, &frmEcranPrincipal::calibrate);
    connectCommand(mnuCorecteazaPoz, &frmEcranPrincipal::mnuCorecteazaPoz_Click);
    connectCommand(undoAction, &frmEcranPrincipal::undoLayout);
    connectCommand(redoAction, &frmEcranPrincipal::redoLayout);
    undoAction->setEnabled(false);
    redoAction->setEnabled(false);
    connect(m_history, &QUndoStack::canUndoChanged, undoAction, &QAction::setEnabled);
    connect(m_history, &QUndoStack::canRedoChanged, redoAction, &QAction::setEnabled);
    // The menu names the step each item would take back or do again.
    connect(m_history, &QUndoStack::undoTextChanged, undoAction, &QAction::setStatusTip);
    connect(m_history, &QUndoStack::redoTextChanged, redoAction, &QAction::setStatusTip);
    connect(boxedFieldsButton, &QPushButton::clicked, this, &frmEcranPrincipal::boxedFields_Click);
    connect(Picture1, &PictureBox::mouseMove, this, &frmEcranPrincipal::Picture1_MouseMove);

    connect(Command1, &QPushButton::clicked, this, &frmEcranPrincipal::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmEcranPrincipal::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmEcranPrincipal::Command3_Click);
    connect(Command8, &QPushButton::clicked, this, &frmEcranPrincipal::Command8_Click);
    connect(Command7, &QPushButton::clicked, this, &frmEcranPrincipal::Command7_Click);
    connect(Command9, &QPushButton::clicked, this, &frmEcranPrincipal::Command9_Click);
    connect(Command6, &QPushButton::clicked, this, &frmEcranPrincipal::Command6_Click);
    connect(Command4, &QPushButton::clicked, this, &frmEcranPrincipal::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &frmEcranPrincipal::Command5_Click);
    // A list's choice runs on a click, also on the entry already chosen, and on a change by
    // keyboard; the list only getting the focus chooses nothing.
    auto onChoice = [this](QListWidget *list, void (frmEcranPrincipal::*handler)()) {
        connect(list, &QListWidget::itemClicked, this, handler);
        connect(static_cast<ChoiceList *>(list), &ChoiceList::currentMovedByKey, this, [this, handler] {
            if (!m_fillingLists)
                (this->*handler)();
        });
    };
    onChoice(List1, &frmEcranPrincipal::List1_Click);
    onChoice(List2, &frmEcranPrincipal::List2_Click);
    connect(Picture1, &PictureBox::mouseDown, this, &frmEcranPrincipal::Picture1_MouseDown);
    connect(Picture1, &PictureBox::mouseDown, this, &frmEcranPrincipal::notePress); // after the press is handled
    connect(Picture1, &PictureBox::doubleClick, this, &frmEcranPrincipal::Picture1_DblClick);
    connectCommand(fieldPropertiesAction, &frmEcranPrincipal::editFieldProperties);
    connect(Picture1, &PictureBox::mouseUp, this, &frmEcranPrincipal::Picture1_MouseUp);
}

void frmEcranPrincipal::connectCommand(QAction *command, void (frmEcranPrincipal::*handler)())
{
    connect(command, &QAction::triggered, this, [this, command, handler] {
        if (commandAvailable(command))
            (this->*handler)();
    });
}

bool frmEcranPrincipal::commandAvailable(const QAction *command) const
{
    if (!command->isEnabled())
        return false;
    for (QObject *object : command->associatedObjects()) {
        if (auto *menu = qobject_cast<QMenu *>(object)) {
            if (!menu->isEnabled() || !menu->menuAction()->isEnabled())
                return false;
        }
    }
    return true;
}

void frmEcranPrincipal::createControls()
{
    createGeneralPanel();
    createDatabasePanel();

    Picture1 = new PictureBox(m_client);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setBackColor(Qt::white);
    Picture1->moveMm(twipsToMm(180), twipsToMm(2340));
    Picture1->setSizeMm(twipsToMm(5175), twipsToMm(4545));
    Picture1->setBoxOutlines(true);

    Label8 = new QLabel(QStringLiteral("Label8"), Picture1);
    Label8->setTextFormat(Qt::PlainText); // it shows a field's text: data, never markup
    Label8->setAutoFillBackground(true);
    Label8->setMargin(0);
    Label8->setIndent(0);
    Label8->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label8->setFont(Picture1->face());
    // A press on the marker is a press on the field under it: it reaches the canvas.
    Label8->setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette markerPalette = Label8->palette();
    markerPalette.setColor(QPalette::Window, QColor(0, 0, 255));
    Label8->setPalette(markerPalette);
    Label8->hide();

    Picture2 = new PictureBox(m_client);
    Picture2->moveMm(twipsToMm(4950), twipsToMm(3900));
    Picture2->setSizeMm(twipsToMm(4035), twipsToMm(3015));
    Picture2->hide();

    Picture3 = new PictureBox(m_client);
    Picture3->moveMm(twipsToMm(2640), twipsToMm(7200));
    Picture3->setSizeMm(twipsToMm(1755), twipsToMm(645));
    Picture3->hide();

    Data1 = new DataControl(m_client);
    Data1->hide();

    // The panels lie over the canvas when they are shown.
    Frame1->raise();
    Frame2->raise();
}

void frmEcranPrincipal::createGeneralPanel()
{
    Frame1 = makeFrame(QStringLiteral("Creaza Camp"), m_client);
    setTwipsGeometry(Frame1, 420, 4920, 10005, 1965);
    Label1 = makeLabel(QStringLiteral("Text"), Frame1, 4530, 510, 825, 195);
    Text1 = makeTextBox(QString(), Frame1, 5910, 390, 3825, 495);
    Label2 = makeLabel(QStringLiteral("Marime font"), Frame1, 4530, 1230, 825, 195);
    Text2 = makeTextBox(QStringLiteral("8"), Frame1, 5910, 1110, 1575, 465);
    Command1 = makeColouredButton(QStringLiteral("Creaza Camp"), PanelButtonColor, Frame1, 870, 300, 1575, 435);
    Command3 = makeColouredButton(QStringLiteral("Sterge Ultimul Camp"), PanelButtonColor, Frame1, 870, 840, 1575, 435);
    Command2 = makeColouredButton(QStringLiteral("Terminat"), PanelButtonColor, Frame1, 870, 1410, 1575, 435);
    Command7 = makeButton(QStringLiteral("Sterge Camp"), Frame1, 2640, 840, 1545, 435);
    Command9 = makeButton(QStringLiteral("Editeaza Camp"), Frame1, 2640, 1440, 1575, 435);
    Command8 = makeButton(QStringLiteral("Sterge TextBox"), Frame1, 7920, 1080, 1575, 495);
    Command7->hide();
    Command9->hide();
}

void frmEcranPrincipal::createDatabasePanel()
{
    Frame2 = makeFrame(QStringLiteral("Campuri Baza Date"), m_client);
    setTwipsGeometry(Frame2, -120, 750, 9795, 2145);
    Label3 = makeLabel(QStringLiteral("Tabele"), Frame2, 360, 330, 495, 195);
    List1 = place(new ChoiceList(Frame2), 360, 600, 2025, 1425);
    Label4 = makeLabel(QStringLiteral("Campuri"), Frame2, 2760, 330, 570, 195);
    List2 = place(new ChoiceList(Frame2), 2730, 600, 2355, 1425);
    Label5 = makeLabel(QStringLiteral("Marime font"), Frame2, 5550, 720, 825, 195);
    Text3 = makeTextBox(QStringLiteral("8"), Frame2, 6480, 630, 945, 315);
    Label6 = makeLabel(QStringLiteral("Min"), Frame2, 5580, 1170, 825, 195);
    Text4 = makeTextBox(QString(), Frame2, 6480, 1080, 945, 345);
    Label7 = makeLabel(QStringLiteral("Max"), Frame2, 5580, 1680, 825, 195);
    Text5 = makeTextBox(QString(), Frame2, 6480, 1590, 975, 345);
    Command4 = makeColouredButton(QStringLiteral("Undo"), PanelButtonColor, Frame2, 7800, 390, 1665, 435);
    Command6 = makeButton(QStringLiteral("Sterge Camp"), Frame2, 7800, 930, 1665, 495);
    Command5 = makeColouredButton(QStringLiteral("Terminat"), PanelButtonColor, Frame2, 7830, 1560, 1665, 435);
    Command6->hide();
    // Under the frame's top line, above the font size: the one free strip of the panel.
    boxedFieldsButton = makeButton(QStringLiteral("Campuri pe casute"), Frame2, 5550, 360, 1875, 255);
    boxedFieldsButton->setToolTip(QStringLiteral("Cate un camp pentru fiecare casuta: alegeti coloana, apoi dati clic "
                                                 "pe centrul primei si al ultimei casute"));
    Frame2->hide();
}

void frmEcranPrincipal::Form_Load()
{
    m.PozStanga = 20;
    m.PozSus = 5;
    mm::move(Frame1, 0, 0);
    mm::move(Frame2, 0, 0);
    m.Orientare = 1;
    mm::setHeight(Frame1, 40);
    Frame1->hide();
    MachetaIncarcata = false;
    AsteaptaCampGen = false;
    TabelaAleasa = false;
    AsteaptaCampBD = false;
    PermiteCampuriBD = false;
    PermiteMeniuri = false;
    m.NrCampuriGen = 0;
    mnuDefCampBazaDate->setEnabled(PermiteMeniuri);
    mnuSelInreg->setEnabled(false);
    mnuDefCampGen->setEnabled(PermiteMeniuri);
    mnuIncarcaBaza->setEnabled(PermiteMeniuri);
    mnuFile->setEnabled(false);
    mnuCorecteazaPoz->setEnabled(false);
    scaleTemplateAction->setEnabled(false);
}

void frmEcranPrincipal::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmEcranPrincipal::Form_Resize()
{
    mm::move(Frame1, 0, 0);
    Picture1->moveMm(0, mm::height(Frame1));
}

void frmEcranPrincipal::Form_KeyDown(int keyCode, int shift)
{
    // Ctrl+arrows move the selected field, by 10 mm with Shift; with none selected they pan.
    if (shift & CtrlMask) {
        const int step = shift & ShiftMask ? 10 : 1;
        const bool moved = keyCode == KeyLeft ? nudgeSelection(-step, 0)
            : keyCode == KeyRight            ? nudgeSelection(step, 0)
            : keyCode == KeyUp               ? nudgeSelection(0, -step)
            : keyCode == KeyDown             ? nudgeSelection(0, step)
                                             : false;
        if (moved)
            return;
    }
    // The picture may go anywhere, even out of sight; the next resize brings it back.
    switch (keyCode) {
    case KeyLeft: Picture1->setLeftMm(Picture1->leftMm() - 10); break;
    case KeyRight: Picture1->setLeftMm(Picture1->leftMm() + 10); break;
    case KeyUp: Picture1->setTopMm(Picture1->topMm() - 10); break;
    case KeyDown: Picture1->setTopMm(Picture1->topMm() + 10); break;
    default: break;
    }
}

bool frmEcranPrincipal::eventFilter(QObject *watched, QEvent *event)
{
    // "Proprietati Camp..." can be chosen while a field is marked, however the marker came or went.
    if (watched == Label8 && (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent))
        fieldPropertiesAction->setEnabled(event->type() == QEvent::ShowToParent);
    // A menu shortcut wins over a text box's own use of the key (Ctrl+C runs its command,
    // it does not copy), as long as the command can run.
    if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType()
        && static_cast<QWidget *>(watched)->window() == this) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const QKeySequence pressed(key->keyCombination());
        // A text box with typing of its own to take back keeps Ctrl+Z and Ctrl+Y.
        const auto *textBox = qobject_cast<const QLineEdit *>(watched);
        for (QMenu *menu : {mnuFile, editMenu, mnuInstrumente, mnuAjutor}) {
            for (QAction *command : menu->actions()) {
                if (textBox && ((command == undoAction && textBox->isUndoAvailable())
                                || (command == redoAction && textBox->isRedoAvailable())))
                    continue;
                if (!command->shortcut().isEmpty() && command->shortcut() == pressed && commandAvailable(command)) {
                    event->ignore();
                    return true;
                }
            }
        }
    }
    // Esc puts a dragged field back and gives up picking boxes.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape
        && (dragging() || pickingBoxes()) && watched->isWidgetType()
        && static_cast<QWidget *>(watched)->window() == this) {
        cancelDrag();
        cancelBoxes();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmEcranPrincipal::closeSecondaryWindows()
{
    delete m_frmAjutor.data();
    delete m_frmMutaCamp.data();
    delete m_frmSelectie.data();
    delete m_frmPozitie.data();
    delete m_preview.data();
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window != this && window->isVisible())
            window->close();
    }
}

void frmEcranPrincipal::mnuExit_Click()
{
    // Ends the program, every window with it, once a changed layout is saved or given up.
    if (!confirmLayoutSaved())
        return;
    closeSecondaryWindows();
    hide();
    QCoreApplication::exit(0);
}

void frmEcranPrincipal::closeEvent(QCloseEvent *event)
{
    // Closing the main window ends the program as "Exit" does.
    if (!confirmLayoutSaved()) {
        event->ignore();
        return;
    }
    closeSecondaryWindows();
    QMainWindow::closeEvent(event);
}

void frmEcranPrincipal::mnuDespre_Click()
{
    MessageBox::information(this, QStringLiteral("Formulix v.0.1"),
                            QStringLiteral("Formulix - realizat de echipa Formulix, telefon 0264 555 010, "
                                           "e-mail echipa@formulix.example"));
}

void frmEcranPrincipal::mnuExplicatii_Click()
{
    showWindow(m_frmAjutor, [] { return new frmAjutor(); });
}

} // namespace formulix
