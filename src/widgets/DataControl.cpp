#include "widgets/DataControl.h"

#include "core/records/ColumnMatch.h"
#include "core/records/RecordSources.h"
#include "widgets/Dialogs.h"
#include "core/text/TextRules.h"

#include <QDir>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace formulix {

namespace {

constexpr qint64 CellsPerBlock = 256 * 1024;

QToolButton *navigationButton(const QString &text, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setText(text);
    button->setAutoRaise(false);
    return button;
}

} // namespace

DataControl::DataControl(QWidget *parent) : QWidget(parent) {}

// The buttons are made when first needed: a data control that only lists tables is never shown.
void DataControl::ensureButtons() const
{
    if (m_caption)
        return;
    auto *self = const_cast<DataControl *>(this);
    auto *layout = new QHBoxLayout(self);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_first = navigationButton(QStringLiteral("|◀"), self);
    m_previous = navigationButton(QStringLiteral("◀"), self);
    m_caption = new QLabel(m_captionText, self);
    m_caption->setAlignment(Qt::AlignCenter);
    m_caption->setFrameShape(QFrame::Panel);
    m_caption->setFrameShadow(QFrame::Sunken);
    m_caption->setAutoFillBackground(true);
    m_next = navigationButton(QStringLiteral("▶"), self);
    m_last = navigationButton(QStringLiteral("▶|"), self);
    layout->addWidget(m_first);
    layout->addWidget(m_previous);
    layout->addWidget(m_caption, 1);
    layout->addWidget(m_next);
    layout->addWidget(m_last);
    connect(m_first, &QToolButton::clicked, self, &DataControl::moveFirst);
    connect(m_previous, &QToolButton::clicked, self, &DataControl::movePrevious);
    connect(m_next, &QToolButton::clicked, self, &DataControl::moveNext);
    connect(m_last, &QToolButton::clicked, self, &DataControl::moveLast);
}

void DataControl::showEvent(QShowEvent *event)
{
    ensureButtons();
    QWidget::showEvent(event);
}

DataControl::~DataControl() = default;

bool DataControl::Refresh(QString *error)
{
    m_failureShown = false;
    m_readFailureShown = false;
    m_cancelled = false;
    // What is opened stays aside until the whole of it is: "Anulare" keeps the table shown before.
    LoadProgress load(this, QStringLiteral("Se deschide %1...").arg(QDir::toNativeSeparators(DatabaseName)));
    const auto cancel = [&] {
        m_cancelled = m_failureShown = true;
        if (error)
            *error = QStringLiteral("Deschiderea bazei de date %1 a fost anulata.").arg(QDir::toNativeSeparators(DatabaseName));
        return false;
    };
    const auto failed = [&](std::unique_ptr<formulix::RecordSource> database) {
        m_database = std::move(database);
        m_recordset.reset();
        m_position = -1;
        emit recordsetChanged();
        return false;
    };
    std::unique_ptr<formulix::RecordSource> reopened;
    if (!m_database || m_database->path() != DatabaseName || m_database->changedOnDisk()) {
        reopened = openDatabase(error);
        if (!load.step())
            return cancel();
        if (!reopened)
            return failed(nullptr);
    }
    const formulix::RecordSource &database = reopened ? *reopened : *m_database;
    std::unique_ptr<RecordCursor> records;
    if (!RecordSource.isEmpty()) {
        records = database.openTable(RecordSource, error);
        if (!load.step())
            return cancel();
        if (!records)
            return failed(reopened ? std::move(reopened) : std::move(m_database));
        records->fetchMore(1);
        if (!load.step())
            return cancel();
    }
    if (reopened)
        m_database = std::move(reopened);
    m_recordset = std::move(records);
    m_position = m_recordset && m_recordset->rowsRead() > 0 ? 0 : -1;
    emit recordsetChanged();
    if (m_recordset)
        emit reposition();
    reportReadFailure();
    return true;
}

std::unique_ptr<formulix::RecordSource> DataControl::openDatabase(QString *error)
{
    using Failure = OpenFailure;
    Failure failure = Failure::None;
    std::unique_ptr<formulix::RecordSource> database = openRecordSource(DatabaseName, error, Password, &failure);
    if (database || (failure != Failure::PasswordNeeded && failure != Failure::WrongPassword))
        return database;

    const QString file = QDir::toNativeSeparators(DatabaseName);
    const QString title = QGuiApplication::applicationDisplayName();
    // The control itself may be hidden: the boxes belong to its window.
    QWidget *parent = window();
    const std::optional<QString> typed = InputBox::askPassword(
        parent, QStringLiteral("Baza de date %1 este protejata prin parola. Introduceti parola:").arg(file), title);
    if (!typed) {
        const QString message =
            QStringLiteral("Baza de date %1 nu a fost deschisa: parola nu a fost introdusa.").arg(file);
        MessageBox::information(parent, title, message);
        m_failureShown = true;
        if (error)
            *error = message;
        return nullptr;
    }
    database = openRecordSource(DatabaseName, error, *typed, &failure);
    if (database) {
        Password = *typed;
        return database;
    }
    if (failure == Failure::PasswordNeeded || failure == Failure::WrongPassword) {
        const QString message = QStringLiteral("Parola pentru baza de date %1 nu este corecta.").arg(file);
        MessageBox::information(parent, title, message);
        m_failureShown = true;
        if (error)
            *error = message;
    }
    return nullptr;
}

bool DataControl::readUpTo(qint64 row)
{
    if (!m_recordset)
        return true;
    const qint64 before = m_recordset->rowsRead();
    if (row < before)
        return true;
    // A block at a time, about as long to read whatever the table's width, between which the
    // user may stop: the rows read so far stay.
    const qint64 block = qMax<qint64>(1, CellsPerBlock / qMax<qint64>(1, m_recordset->columnNames().size()));
    LoadProgress load(this, QStringLiteral("Se citeste tabela %1...").arg(m_recordset->tableName()));
    bool stopped = false;
    while (m_recordset->rowsRead() <= row && !m_recordset->allRead() && !m_recordset->failed()) {
        m_recordset->fetchMore(qMin(block, row + 1 - m_recordset->rowsRead()));
        if (!load.step(QStringLiteral("Se citeste tabela %1: %2 inregistrari...")
                           .arg(m_recordset->tableName())
                           .arg(m_recordset->rowsRead()))) {
            stopped = true;
            break;
        }
    }
    if (m_recordset->rowsRead() > before)
        emit rowsRead(before, m_recordset->rowsRead() - 1);
    reportReadFailure();
    return !stopped;
}

void DataControl::readMore(qint64 count)
{
    if (m_recordset && count > 0)
        readUpTo(m_recordset->rowsRead() + count - 1);
}

void DataControl::reportReadFailure()
{
    if (!m_recordset || !m_recordset->failed() || m_readFailureShown)
        return;
    m_readFailureShown = true;
    MessageBox::information(window(), QGuiApplication::applicationDisplayName(), m_recordset->failure());
}

bool DataControl::moveTo(qint64 row)
{
    if (!m_recordset || row < 0 || !readUpTo(row))
        return false;
    if (row >= m_recordset->rowsRead())
        return false;
    m_position = row;
    emit reposition();
    return true;
}

bool DataControl::moveFirst()
{
    return moveTo(0);
}

bool DataControl::movePrevious()
{
    return m_position > 0 && moveTo(m_position - 1);
}

bool DataControl::moveNext()
{
    return moveTo(m_position + 1);
}

bool DataControl::moveLast()
{
    if (!m_recordset || !readUpTo(std::numeric_limits<qint64>::max()))
        return false;
    return moveTo(m_recordset->rowsRead() - 1);
}

std::optional<QString> DataControl::value(const QString &column) const
{
    if (!m_recordset || m_position < 0)
        return std::nullopt;
    const int index = findColumn(m_recordset->columnNames(), column);
    if (index < 0)
        return std::nullopt;
    return m_recordset->text(m_position, index);
}

QString DataControl::caption() const
{
    return m_captionText;
}

void DataControl::setCaption(const QString &caption)
{
    m_captionText = caption;
    if (m_caption)
        m_caption->setText(caption);
}

} // namespace formulix
