#pragma once
// The program's modal dialogs: the common Open/Save file dialog, the message box and the input
// box. Each has a test seam: tests queue the next answers and read back what was shown, and in
// test mode no real dialog ever opens (an unanswered dialog counts as cancelled).

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class QBoxLayout;
class QDialog;
class QPushButton;

class QWidget;

namespace formulix {

namespace DialogSeam {
void setTestMode(bool on);
bool testMode();
// Forgets every queued answer and every record of what was shown.
void reset();
} // namespace DialogSeam

// Turns "description|patterns[|description|patterns...]" (patterns separated by ';', blanks allowed)
// into Qt name filters.
QString toQtNameFilter(const QString &filter);

class CommonDialog
{
public:
    QString InitDir;
    QString Filter;   // "description|patterns"
    QString FileName; // empty before showing; the chosen full path after, empty on cancel

    // What every use sets first: the program's own folder, the filter, no file name; so no
    // setting carries over from one command to the next.
    void prepare(const QString &filter);

    void ShowOpen(QWidget *parent);
    void ShowSave(QWidget *parent);
    // A folder, for an export of many files: FileName is the chosen folder. Its test answers come
    // from the same queue as the files'.
    void ShowFolder(QWidget *parent);

    // What a shown dialog was given, for tests.
    struct Shown
    {
        bool save;
        QString initDir;
        QString filter;
        QString fileName;
        bool folder = false;
    };
    static void queueAnswer(const QString &path);
    static void queueCancel();
    static QList<Shown> shown();

private:
    enum class Mode { Open, Save, Folder };
    void show(QWidget *parent, Mode mode);
};

// Message and input boxes show their texts as plain text: they carry paths, table names and
// field texts, which are data, never markup.
class MessageBox
{
public:
    // An OK-only message box without an icon.
    static void information(QWidget *parent, const QString &title, const QString &text);

    enum class Answer { Yes, No, Cancel };
    // A question with "Da", "Nu" and "Anulare"; closing the box answers Cancel.
    static Answer question(QWidget *parent, const QString &title, const QString &text);

    struct Shown
    {
        QString title;
        QString text;
        bool question = false;
    };
    // The next question's answer; in test mode an unanswered question is cancelled.
    static void queueAnswer(Answer answer);
    static QList<Shown> shown();
};

class InputBox
{
public:
    // Returns the typed text, or an empty text when the user cancels.
    static QString ask(QWidget *parent, const QString &prompt, const QString &title,
                       const QString &defaultText = QString());

    struct Shown
    {
        QString prompt;
        QString title;
        QString defaultText;
        bool masked = false; // a password box
    };
    static void queueAnswer(const QString &text);
    static void queueCancel();
    static QList<Shown> shown();

    // --- Passwords -----------------------------------------------------------------------
    // Like ask(), with the typed text masked; nothing when the user cancels, so an empty
    // password can still be told from a cancelled box. Answers come from the same queue as
    // ask()'s, and shown() records the box with `masked` set.
    static std::optional<QString> askPassword(QWidget *parent, const QString &prompt, const QString &title);

    // --- A choice from a list -----------------------------------------------------------
    // The index of the chosen item, nothing on "Anulare". In test mode the answer queued with
    // queueChoice() (nothing when none), and shown() records the box with `items` set.
    static std::optional<int> choose(QWidget *parent, const QString &prompt, const QString &title,
                                     const QStringList &items);
    static void queueChoice(std::optional<int> index);
    static QList<QStringList> choicesShown();
};

// A load that may take long (a table opened, rows read, a grid or a list filled) shows a box with
// "Anulare" once it has taken half a second; until then it shows nothing. The box is modal to
// the whole program, so nothing else changes under the load, while every window still repaints.
// A load begun while another runs joins it: one box, one clock, one "Anulare".
class LoadProgress
{
public:
    LoadProgress(QWidget *parent, const QString &label);
    ~LoadProgress();
    LoadProgress(const LoadProgress &) = delete;
    LoadProgress &operator=(const LoadProgress &) = delete;

    // Called between the parts of the load, often (a few times a second at least): shows the box
    // when it is due, with `label` when given, and lets the windows repaint. False once the user
    // pressed "Anulare": the load then stops and leaves things as they were before it.
    bool step(const QString &label = QString());
    bool cancelled() const;

    // Tests: the next load is cancelled at its `step`-th step (from 1), as if "Anulare" were
    // pressed there; shown() gives the labels of the boxes that appeared. In test mode no box
    // opens: one counts as shown at the step it would have appeared, or when the load is
    // cancelled.
    static void queueCancel(int step);
    static QStringList shown();

    struct Load; // the one under way, shared by the loads joining it

private:
    Load *m_load;
    bool m_owner;
};

// Adds "OK" (the default button) and "Anulare" under a dialog's contents; returns "OK".
QPushButton *addOkCancel(QDialog *dialog, QBoxLayout *layout);

} // namespace formulix
