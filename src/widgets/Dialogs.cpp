#include "widgets/Dialogs.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGuiApplication>
#include <QPointer>
#include <QProgressDialog>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QMessageBox>
#include <QRegularExpression>
#include <QtGlobal>

#include <memory>
#include <utility>

namespace formulix {

namespace {

struct SeamState
{
    bool testMode = false;
    QList<std::optional<QString>> fileAnswers;
    QList<CommonDialog::Shown> fileShown;
    QList<MessageBox::Shown> messagesShown;
    QList<MessageBox::Answer> questionAnswers;
    QList<std::optional<QString>> inputAnswers;
    QList<InputBox::Shown> inputsShown;
    QList<std::optional<int>> choiceAnswers;
    QList<QStringList> choicesShown;
    int cancelAtStep = 0; // of the next load; 0: never
    QStringList progressShown;
};

SeamState &seam()
{
    static SeamState state;
    return state;
}

// The next queued answer; in test mode an empty queue answers "cancel".
std::optional<QString> takeAnswer(QList<std::optional<QString>> &queue)
{
    if (queue.isEmpty())
        return std::nullopt;
    return queue.takeFirst();
}

} // namespace

void DialogSeam::setTestMode(bool on)
{
    seam().testMode = on;
}

bool DialogSeam::testMode()
{
    return seam().testMode;
}

void DialogSeam::reset()
{
    const bool mode = seam().testMode;
    seam() = SeamState();
    seam().testMode = mode;
}

QString toQtNameFilter(const QString &filter)
{
    // "Description|*.a;*.b|Other|*.c": pairs of a description and its patterns.
    const QStringList parts = filter.split(u'|');
    if (parts.size() < 2)
        return filter;
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString &pattern : parts.at(i + 1).split(u';', Qt::SkipEmptyParts)) {
            if (!pattern.trimmed().isEmpty())
                patterns << pattern.trimmed();
        }
        filters << QStringLiteral("%1 (%2)").arg(parts.at(i).trimmed(), patterns.join(u' '));
    }
    return filters.join(QStringLiteral(";;"));
}

void CommonDialog::prepare(const QString &filter)
{
    InitDir = QCoreApplication::applicationDirPath();
    Filter = filter;
    FileName.clear();
}

void CommonDialog::ShowOpen(QWidget *parent)
{
    show(parent, Mode::Open);
}

void CommonDialog::ShowSave(QWidget *parent)
{
    show(parent, Mode::Save);
}

void CommonDialog::ShowFolder(QWidget *parent)
{
    show(parent, Mode::Folder);
}

void CommonDialog::show(QWidget *parent, Mode mode)
{
    if (seam().testMode) {
        seam().fileShown.append({mode == Mode::Save, InitDir, Filter, FileName, mode == Mode::Folder});
        FileName = takeAnswer(seam().fileAnswers).value_or(QString());
        return;
    }
    QFileDialog dialog(parent, QString(), InitDir, toQtNameFilter(Filter));
    dialog.setAcceptMode(mode == Mode::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // An Open dialog takes a typed name of a file that does not exist yet.
    dialog.setFileMode(mode == Mode::Folder ? QFileDialog::Directory : QFileDialog::AnyFile);
    if (mode == Mode::Folder)
        dialog.setOption(QFileDialog::ShowDirsOnly);
    if (!FileName.isEmpty())
        dialog.selectFile(FileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        FileName.clear();
        return;
    }
    FileName = dialog.selectedFiles().constFirst();
}

void CommonDialog::queueAnswer(const QString &path)
{
    seam().fileAnswers.append(path);
}

void CommonDialog::queueCancel()
{
    seam().fileAnswers.append(std::nullopt);
}

QList<CommonDialog::Shown> CommonDialog::shown()
{
    return seam().fileShown;
}

void MessageBox::information(QWidget *parent, const QString &title, const QString &text)
{
    if (seam().testMode) {
        seam().messagesShown.append({title, text});
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

MessageBox::Answer MessageBox::question(QWidget *parent, const QString &title, const QString &text)
{
    if (seam().testMode) {
        seam().messagesShown.append({title, text, true});
        return seam().questionAnswers.isEmpty() ? Answer::Cancel : seam().questionAnswers.takeFirst();
    }
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                    parent);
    box.setTextFormat(Qt::PlainText);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Da"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Nu"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("Anulare"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
    }
}

void MessageBox::queueAnswer(Answer answer)
{
    seam().questionAnswers.append(answer);
}

QList<MessageBox::Shown> MessageBox::shown()
{
    return seam().messagesShown;
}

QString InputBox::ask(QWidget *parent, const QString &prompt, const QString &title, const QString &defaultText)
{
    if (seam().testMode) {
        seam().inputsShown.append({prompt, title, defaultText});
        return takeAnswer(seam().inputAnswers).value_or(QString());
    }
    QInputDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    // The dialog's label guesses rich text; the prompt may name a file or hold a field's text.
    for (QLabel *label : dialog.findChildren<QLabel *>())
        label->setTextFormat(Qt::PlainText);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.textValue();
}

void InputBox::queueAnswer(const QString &text)
{
    seam().inputAnswers.append(text);
}

void InputBox::queueCancel()
{
    seam().inputAnswers.append(std::nullopt);
}

QList<InputBox::Shown> InputBox::shown()
{
    return seam().inputsShown;
}

// --- Passwords -------------------------------------------------------------------------------

std::optional<QString> InputBox::askPassword(QWidget *parent, const QString &prompt, const QString &title)
{
    if (seam().testMode) {
        seam().inputsShown.append({prompt, title, QString(), true});
        return takeAnswer(seam().inputAnswers);
    }
    bool ok = false;
    const QString text = QInputDialog::getText(parent, title, prompt, QLineEdit::Password, QString(), &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

std::optional<int> InputBox::choose(QWidget *parent, const QString &prompt, const QString &title,
                                    const QStringList &items)
{
    if (seam().testMode) {
        seam().choicesShown.append(items);
        return seam().choiceAnswers.isEmpty() ? std::nullopt : seam().choiceAnswers.takeFirst();
    }
    bool ok = false;
    const QString chosen = QInputDialog::getItem(parent, title, prompt, items, 0, false, &ok);
    if (!ok)
        return std::nullopt;
    return int(items.indexOf(chosen));
}

void InputBox::queueChoice(std::optional<int> index)
{
    seam().choiceAnswers.append(index);
}

QList<QStringList> InputBox::choicesShown()
{
    return seam().choicesShown;
}

// ---------------------------------------------------------------------------------------------

struct LoadProgress::Load
{
    QPointer<QWidget> parent;
    QString label;
    QElapsedTimer clock, sinceEvents;
    std::unique_ptr<QProgressDialog> box;
    bool shown = false;
    bool cancelled = false;
    int steps = 0;
    int cancelAt = 0;
};

namespace {

constexpr qint64 ProgressDelayMs = 500;
constexpr qint64 EventsEveryMs = 40; // a repaint this often keeps the windows alive

LoadProgress::Load *currentLoad = nullptr;

} // namespace

LoadProgress::LoadProgress(QWidget *parent, const QString &label) : m_load(currentLoad), m_owner(!currentLoad)
{
    if (!m_owner)
        return;
    m_load = currentLoad = new Load;
    m_load->parent = parent ? parent->window() : nullptr;
    m_load->label = label;
    m_load->clock.start();
    m_load->sinceEvents.start();
    m_load->cancelAt = std::exchange(seam().cancelAtStep, 0);
}

LoadProgress::~LoadProgress()
{
    if (!m_owner)
        return;
    currentLoad = nullptr;
    delete m_load;
}

bool LoadProgress::step(const QString &label)
{
    Load &load = *m_load;
    if (load.cancelled)
        return false;
    ++load.steps;
    if (!label.isEmpty())
        load.label = label;
    const bool cancelNow = load.steps == load.cancelAt;
    if (!load.shown && (cancelNow || load.clock.elapsed() >= ProgressDelayMs)) {
        load.shown = true;
        seam().progressShown.append(load.label);
        if (!seam().testMode) {
            load.box = std::make_unique<QProgressDialog>(load.parent);
            load.box->setWindowTitle(QGuiApplication::applicationDisplayName());
            load.box->setCancelButtonText(QStringLiteral("Anulare"));
            load.box->setRange(0, 0); // how long the rest takes is not known
            load.box->setMinimumDuration(0);
            load.box->setAutoReset(false);
            load.box->setAutoClose(false);
            // Nothing may change what the load works on, nor close its window, meanwhile.
            load.box->setWindowModality(Qt::ApplicationModal);
            load.box->setLabelText(load.label);
            load.box->show();
            QCoreApplication::processEvents();
            load.sinceEvents.restart();
        }
    }
    if (load.box) {
        if (!label.isEmpty())
            load.box->setLabelText(label);
        if (load.sinceEvents.elapsed() >= EventsEveryMs) {
            QCoreApplication::processEvents();
            load.sinceEvents.restart();
        }
        load.cancelled = load.box->wasCanceled();
    }
    load.cancelled = load.cancelled || cancelNow;
    return !load.cancelled;
}

bool LoadProgress::cancelled() const
{
    return m_load->cancelled;
}

void LoadProgress::queueCancel(int step)
{
    seam().cancelAtStep = step;
}

QStringList LoadProgress::shown()
{
    return seam().progressShown;
}

QPushButton *addOkCancel(QDialog *dialog, QBoxLayout *layout)
{
    auto *buttons = new QDialogButtonBox(dialog);
    QPushButton *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Anulare"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
    return ok;
}

} // namespace formulix
