#pragma once
// The main window: the menu through which every command is reached, the two field panels, the
// canvas with the template, and the hidden boxes the other commands use. Its handlers live in
// the folder of their subsystem; this header declares every control and handler once.

#include "gui/app/frmAjutor.h"
#include "gui/data/frmSelectie.h"
#include "gui/print/frmPozitie.h"
#include "gui/editor/frmMutaCamp.h"
#include "core/layout/Document.h"
#include "core/layout/LayoutHistory.h"
#include "core/layout/Module1.h"
#include "core/layout/SchemaCodec.h"
#include "widgets/DataControl.h"
#include "widgets/Dialogs.h"
#include "widgets/MousePointer.h"
#include "widgets/PictureBox.h"
#include "printer/Printer.h"
#include "gui/print/BatchPrintDialog.h"
#include "gui/print/PreviewWindow.h"
#include "core/page/RecordPages.h"

#include <QMainWindow>
#include <QPointer>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPageLayout;
class QPushButton;
class QLabel;
class QUndoStack;

namespace formulix {

class FieldGhost;
class KeyPreview;

class frmEcranPrincipal : public QMainWindow
{
    Q_OBJECT
public:
    explicit frmEcranPrincipal(Module1 &model, QWidget *parent = nullptr);
    ~frmEcranPrincipal() override;

    // Shows the window as it opens at start: maximized.
    void showAtStart();

    Module1 &m;

    // Menu "Fisiere"
    QMenu *mnuFile = nullptr;
    QAction *mnuSalveazaSch = nullptr;
    QAction *mnuDeschSch = nullptr;
    QAction *mnuSeteazaPag = nullptr;
    QAction *mnuTipareste = nullptr;
    QAction *mnuExit = nullptr;
    // Beside "Tipareste": many records, the preview, PDF, images (src/print/BatchCommands.cpp)
    QAction *printRecordsAction = nullptr;
    QAction *previewAction = nullptr;
    QAction *exportPdfAction = nullptr;
    QAction *exportPngAction = nullptr;
    // Calibrating the printer (src/print/CalibrationCommands.cpp); their keys work before a
    // template is loaded, when the menu cannot be opened yet.
    QAction *calibrationSheetAction = nullptr;
    QAction *calibrateAction = nullptr;
    // Menu "Editare": undo and redo of the layout (src/editor/LayoutEdits.cpp)
    QMenu *editMenu = nullptr;
    QAction *undoAction = nullptr;
    QAction *redoAction = nullptr;
    // Menu "Instrumente"
    QMenu *mnuInstrumente = nullptr;
    QAction *mnuIncarcaMacheta = nullptr;
    QAction *mnuIncarcaBaza = nullptr;
    QAction *mnuDefCampGen = nullptr;
    QAction *mnuDefCampBazaDate = nullptr;
    QAction *mnuCorecteazaPoz = nullptr;
    QAction *mnuSelInreg = nullptr;
    // After them: a scan not made at 100 % (src/editor/TemplateScale.cpp)
    QAction *scaleTemplateAction = nullptr;
    // After "Corecteaza Pozitie": the selected field's style and format (src/editor/FieldProperties.cpp)
    QAction *fieldPropertiesAction = nullptr;
    // Menu "Ajutor"
    QMenu *mnuAjutor = nullptr;
    QAction *mnuDespre = nullptr;
    QAction *mnuExplicatii = nullptr;

    // General-field panel
    QGroupBox *Frame1 = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *Text1 = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *Text2 = nullptr;
    QPushButton *Command1 = nullptr; // "Creaza Camp"
    QPushButton *Command3 = nullptr; // "Sterge Ultimul Camp"
    QPushButton *Command2 = nullptr; // "Terminat"
    QPushButton *Command7 = nullptr; // "Sterge Camp"
    QPushButton *Command9 = nullptr; // "Editeaza Camp"
    QPushButton *Command8 = nullptr; // "Sterge TextBox"

    // Database-field panel
    QGroupBox *Frame2 = nullptr;
    QLabel *Label3 = nullptr;
    QListWidget *List1 = nullptr;
    QLabel *Label4 = nullptr;
    QListWidget *List2 = nullptr;
    QLabel *Label5 = nullptr;
    QLineEdit *Text3 = nullptr;
    QLabel *Label6 = nullptr;
    QLineEdit *Text4 = nullptr;
    QLabel *Label7 = nullptr;
    QLineEdit *Text5 = nullptr;
    QPushButton *Command4 = nullptr; // "Undo"
    QPushButton *Command6 = nullptr; // "Sterge Camp"
    QPushButton *Command5 = nullptr; // "Terminat"
    QPushButton *boxedFieldsButton = nullptr; // "Campuri pe casute" (src/editor/BoxedFields.cpp)

    PictureBox *Picture1 = nullptr; // the canvas
    QLabel *Label8 = nullptr;       // selection marker inside the canvas
    PictureBox *Picture2 = nullptr; // clean template copy, never shown
    PictureBox *Picture3 = nullptr; // page image, never shown
    DataControl *Data1 = nullptr;
    CommonDialog CommonDialog1;

    // How far the user's work has come.
    bool MachetaIncarcata = false;
    bool AsteaptaCampGen = false;
    bool TabelaAleasa = false;
    bool AsteaptaCampBD = false;
    bool PermiteCampuriBD = false;
    bool PermiteMeniuri = false;

    // A command can run only while it and its menu are enabled: a disabled menu also silences
    // the shortcuts of its commands.
    bool commandAvailable(const QAction *command) const;

    frmAjutor *helpWindow() const { return m_frmAjutor; }

    // Start-up, layout, keys, Exit, help (src/app)
    void Form_Load();
    void Form_Resize();
    void Form_KeyDown(int keyCode, int shift);
    void mnuExit_Click();
    void mnuDespre_Click();
    void mnuExplicatii_Click();

    // Schema files (src/model/SchemaCommands.cpp)
    void mnuSalveazaSch_Click();
    void mnuDeschSch_Click();
    // The layout differs from the one last saved or opened (or from the empty one at start).
    bool layoutChanged() const;
    // Before the layout is thrown away: asks whether to save a changed layout. True when the
    // caller may go on (saved, not wanted, or nothing changed); false when the user cancelled
    // or the save did not happen.
    bool confirmLayoutSaved();
    // After a schema opened: offers the template saved with it, when it is found and not the one
    // loaded already (a schema that names one that is gone says so).
    void offerSchemaTemplate(const Schema &schema);

    // Template picture (src/editor/TemplatePicture.cpp)
    void mnuIncarcaMacheta_Click();
    // Loads page `page` (from 0) of a template, its size times `scale`; false, the user told,
    // when it does not load (the template and the fields then stay as they were).
    bool loadTemplateFile(const QString &fileName, int page, double scale);

    // General-field panel (src/editor/GeneralPanel.cpp)
    void mnuDefCampGen_Click();
    void Command1_Click(); // "Creaza Camp"
    void Command2_Click(); // "Terminat"
    void Command3_Click(); // "Sterge Ultimul Camp"
    void Command8_Click(); // "Sterge TextBox"

    // Database-field panel (src/editor/DatabasePanel.cpp)
    void mnuDefCampBazaDate_Click();
    void List2_Click();
    void Command4_Click(); // "Undo"
    void Command5_Click(); // "Terminat"

    // Loading a database and choosing a table (src/data/DatabaseCommands.cpp)
    void mnuIncarcaBaza_Click();
    void List1_Click();
    void mnuSelInreg_Click();
    QStringList tableList() const; // the tables List1 shows
    frmSelectie *recordWindow() const { return m_frmSelectie; }
    // The record window took record `number` (from 1) into the layout; `label` names it (the
    // first value of the record that is a text).
    void recordTaken(qint64 number, const QString &label);
    // The status line: whose values print now.
    QLabel *recordStatus = nullptr;
    void showWhoPrints();

    // Page settings and printing (src/print)
    void mnuSeteazaPag_Click();
    void mnuTipareste_Click();
    void CompunePagina();
    frmPozitie *pageWindow() const { return m_frmPozitie; }
    void printRecords();
    void showPreview();
    void exportPdf();
    void exportPng();
    PreviewWindow *previewWindow() const { return m_preview; }
    // The calibration sheet for the default printer; for a profile's owner (a printer, or ""
    // for files, as a PDF), plain or, `confirmation`, corrected by the owner's profile.
    void printCalibrationSheet();
    void printSheetFor(const QString &printer, bool confirmation);
    void calibrate();

    // Drawing the fields (src/editor/Canvas.cpp)
    static QString displayText(const Camp &camp, bool esteGeneral);
    void DeseneazaCamp(const Camp &camp, bool esteGeneral);
    void RedeseneazaCampuri();
    // What the field covers on the canvas, in millimetres: where a click picks it.
    static QRectF fieldRect(const Camp &camp, bool esteGeneral);

    // Placing and selecting (src/editor/Placement.cpp)
    void Picture1_MouseDown(int Button, int Shift, float X, float Y);
    void Picture1_MouseUp(int Button, int Shift, float X, float Y);
    SelectieCamp SelecteazaCamp(qint16 xs, qint16 ys);
    // Clears the selection: no marker, no button that acts on it.
    void clearSelection();

    // Deleting and editing (src/editor/DeleteEdit.cpp)
    void Command7_Click(); // "Sterge Camp" of the general panel
    void Command6_Click(); // "Sterge Camp" of the database panel
    void Command9_Click(); // "Editeaza Camp"
    void StergeCampSelectat();
    void EditeazaCampSelectat();

    // "Corecteaza Scara Machetei": two points clicked on the template and their real distance.
    void correctTemplateScale();
    // A click while the points are being picked; true when it was one of them.
    bool takeScalePoint(int button, QPointF mm);
    bool pickingScalePoints() const { return m_pickingScale; }

    // The history of the layout (src/editor/LayoutEdits.cpp). A handler takes beginEdit() before
    // it changes the layout and hands it to recordEdit() after: a change becomes one undo step.
    struct PendingEdit
    {
        LayoutState before;
        SelectieCamp selected;
    };
    PendingEdit beginEdit() const;
    void recordEdit(const PendingEdit &edit, const QString &text);
    QUndoStack *layoutHistory() const { return m_history; }
    void undoLayout();
    void redoLayout();
    // The selection as the user sees it: a field under the marker, or none.
    SelectieCamp shownSelection() const;
    // Selects field `index` of a table as a right click on it does.
    void markField(bool esteGeneral, int index);

    // Dragging a field with the left button while no placement is armed, and moving the selected
    // one with Ctrl+arrows (src/editor/FieldDrag.cpp)
    void Picture1_MouseMove(int Buttons, int Shift, float X, float Y);
    bool dragging() const { return m_drag.started; }
    void cancelDrag();
    // True when a field was selected and moved, false when the keys are left to pan.
    bool nudgeSelection(int dxMm, int dyMm);

    // "Campuri pe casute": a column's characters one per box, from two clicks
    // (src/editor/BoxedFields.cpp)
    void boxedFields_Click();
    bool takeBoxPoint(int button, QPointF mm);
    bool pickingBoxes() const { return m_boxes.active; }
    void cancelBoxes();

    // "Proprietati Camp...": the selected field's look in one dialog, one undo step; a double
    // click on a field opens it for that field (src/editor/FieldProperties.cpp)
    void editFieldProperties();
    void Picture1_DblClick(int Button, int Shift, float X, float Y);

    // Position correction (src/editor/frmMutaCamp.cpp)
    void mnuCorecteazaPoz_Click();
    frmMutaCamp *correctionWindow() const { return m_frmMutaCamp; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createMenus();
    void createControls();
    void createGeneralPanel();
    void createDatabasePanel();
    void connectCommand(QAction *command, void (frmEcranPrincipal::*handler)());
    // A secondary window is made on first use and brought forward when chosen again.
    template <typename Window, typename Make>
    static void showWindow(QPointer<Window> &window, Make make)
    {
        if (!window)
            window = make();
        window->show();
        window->raise();
        window->activateWindow();
    }
    void connectHandlers();
    void closeSecondaryWindows();

    QWidget *m_client = nullptr;
    bool m_fillingLists = false; // the program, not the user, is changing a list
    KeyPreview *m_keyPreview = nullptr;
    // The files the window reads, which nothing it writes may replace.
    QString m_templateFile;
    QString m_schemaFile;
    // What `output` would destroy: "baza de date", "macheta" or "schema" when it is one of the
    // files the window reads, under any name; empty otherwise.
    QString inputAt(const QString &output) const;
    bool m_jobRunning = false; // one job at a time, whichever window asks
    // The record last taken in the record window (numbered from 1), 0 when none was taken since
    // the table was chosen or a schema opened. Pages of "the current record" read its values
    // from the table, never from the layout: undoing an edit restores an older layout, texts
    // of an earlier record included.
    qint64 m_chosenRecord = 0;
    QString m_chosenLabel;
    // True, having told the user, while a job runs.
    bool refuseSecondJob();
    // Before a job of the table's records: fields whose column the table lacks are named, and the
    // user goes on or stops (false).
    bool goOnWithoutColumns(const RecordChoice &choice);
    // Before pages are printed: fields that the paper, turned as it will print, does not hold
    // whole are named, and the user goes on or stops (false). The first page of `request`
    // stands for the job's, on the paper its purpose prints on.
    bool goOnOutsidePaper(const JobRequest &request, BatchPrintDialog::Purpose purpose);
    bool goOnOutsidePaper(const PageContent &page, QSizeF pageMm, const QRectF &printableMm);
    // What a job of many pages takes, asked in its dialog, the fields without a column named:
    // nothing when the user stops, or when a job runs already (the user told).
    std::optional<JobRequest> askJob(BatchPrintDialog::Purpose purpose);
    QPointer<frmAjutor> m_frmAjutor;
    QPointer<frmMutaCamp> m_frmMutaCamp;
    QPointer<frmSelectie> m_frmSelectie;
    QPointer<frmPozitie> m_frmPozitie;
    QPointer<PreviewWindow> m_preview;
    bool m_pickingScale = false;
    QList<QPointF> m_scalePoints;
    Document *m_document = nullptr; // the layout, its history and its saved state
    QUndoStack *m_history = nullptr; // the document's
    PendingEdit m_pageEdit; // while "Seteaza Pagina" stores its values
    void showLayout(const LayoutState &state, SelectieCamp selected);
    // A press on a field becomes a drag once the pointer has gone 1 mm.
    struct Drag
    {
        bool pressed = false;
        bool started = false;
        bool esteGeneral = false;
        int index = 0;
        QPointF pressMm;
        QPointF originMm; // the field's place before the drag
        SelectieCamp shown; // the selection marked when the button went down
    } m_drag;
    FieldGhost *m_ghost = nullptr;
    // The fields the last two presses on the canvas took hold of, as a drag would (none: the
    // press placed a field, picked a point or missed): a double click acts only when both did.
    SelectieCamp m_pressHeld[2];
    void notePress(int button, int shift, float x, float y);
    // Draws the layout leaving out one field: the one being dragged.
    void redrawWithout(bool esteGeneral, int index);
    bool beginDragAt(QPointF mm);
    void finishDrag(QPointF mm);
    struct Boxes
    {
        bool active = false;
        QString column;
        int count = 0;
        int first = 1;
        quint8 fontSize = 0;
        QList<QPointF> points;
        FieldStyle style; // of the field the boxes are made from
    } m_boxes;
    // What a job's pages go to: a printer, a PDF file (always a PageJob), a folder of images.
    enum class JobOutput { Printer, Pdf, Png };
    // Sends the chosen pages (`pages` when opened already) to `sink`, with a progress dialog that
    // can stop it; true when every page went out. Says how it ended.
    bool runPageJob(PageSink &sink, const JobRequest &request, JobOutput output,
                    std::unique_ptr<RecordPages> pages = nullptr);
    // What a stopped export of images leaves in its folder, for the message that tells it.
    static QString pagesLeftInFolder(const PageSink &sink, qint64 total);
    // A PDF export stopped before its end: the file asked for stays as it was, and the user may
    // keep the finished pages in a file of their own.
    void offerFinishedPages(PageJob &job, const QString &why);
    // The PDF file the user names in the save dialog, ending in ".pdf"; empty when cancelled.
    QString askPdfFileName();
    // A PDF job into `fileName` after the checks every export makes (not over an input, a
    // read-only file only when the user agrees); nullptr, the user told, when refused.
    std::unique_ptr<PageJob> pdfJob(const QString &fileName, const QPageLayout *paper);
    std::unique_ptr<RecordPages> recordPages(const RecordChoice &choice, QString *error) const;
    // "The current record" as the record taken last, read from the table; as given otherwise.
    RecordChoice currentRecordRead(const RecordChoice &choice) const;
    // The canvas as the page image: what "Tipareste" gives the page image.
    QSizeF pageSizeMm() const;
    // The page image of a job: the canvas; for the calibration sheet without a template, the
    // printer's paper (A4 without a printer).
    QSizeF jobCanvasMm(const RecordChoice &choice) const;
    PageOrientation pageOrientation() const;
    qint64 tableRecordCount() const;
    QList<qint64> gridSelection() const;
};

} // namespace formulix
