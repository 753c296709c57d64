#pragma once
// A data control: binds a window to one table of an Access database, keeps the current record
// and moves it with four buttons, showing its caption between them.

#include <QString>
#include <QWidget>
#include <memory>
#include <optional>

class QLabel;
class QToolButton;

namespace formulix {

class RecordSource;
class RecordCursor;

class DataControl : public QWidget
{
    Q_OBJECT
public:
    explicit DataControl(QWidget *parent = nullptr);
    ~DataControl() override;

    QString Connect = QStringLiteral("Access 2000;");
    QString DatabaseName;
    QString RecordSource;
    // The password a protected database was last opened with. Tried first when the database is
    // opened anew; when it does not fit, the user is asked once, in a masked box naming the file,
    // and a wrong or cancelled answer is told in a message and fails the open.
    QString Password;

    // Opens the database (anew when its name changed or the file changed since) and, with a
    // record source, the table: its first record becomes current and reposition() follows.
    // False when either cannot be opened; `error` then says why, and failureShown() tells
    // whether the user was told already (a password asked for and not given).
    // A load that takes long shows a box with "Anulare"; cancelled, it leaves the database and
    // the record set as they were, and Refresh() fails with cancelled() and failureShown() set.
    bool Refresh(QString *error = nullptr);
    bool failureShown() const { return m_failureShown; }
    bool cancelled() const { return m_cancelled; }

    // Reads up to `count` more rows of the table; a fault in reading is told to the user once.
    // Moving to a row not read yet reads up to it, a block at a time, with a box with "Anulare"
    // when that takes long: cancelled, the move does not happen, and the rows read stay.
    void readMore(qint64 count);

    const formulix::RecordSource *database() const { return m_database.get(); }
    RecordCursor *recordset() const { return m_recordset.get(); }

    // 0-based number of the current record; -1 when there is none.
    qint64 absolutePosition() const { return m_position; }
    bool moveTo(qint64 row);
    bool moveFirst();
    bool movePrevious();
    bool moveNext();
    bool moveLast();

    // The current record's value in a column, or nothing without a current record or column.
    std::optional<QString> value(const QString &column) const;

    QString caption() const;
    void setCaption(const QString &caption);

    QToolButton *firstButton() const { return ensureButtons(), m_first; }
    QToolButton *previousButton() const { return ensureButtons(), m_previous; }
    QToolButton *nextButton() const { return ensureButtons(), m_next; }
    QToolButton *lastButton() const { return ensureButtons(), m_last; }

signals:
    void reposition();
    // A new record set replaced the old one (or none is left).
    void recordsetChanged();
    // More rows of the same record set were read: rows first..last are new.
    void rowsRead(qint64 first, qint64 last);

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<formulix::RecordSource> openDatabase(QString *error);
    bool readUpTo(qint64 row); // false when the user stopped it

    void reportReadFailure();
    void ensureButtons() const;

    std::unique_ptr<formulix::RecordSource> m_database;
    std::unique_ptr<RecordCursor> m_recordset;
    qint64 m_position = -1;
    bool m_failureShown = false;
    bool m_cancelled = false;
    bool m_readFailureShown = false;
    QString m_captionText;
    mutable QLabel *m_caption = nullptr;
    mutable QToolButton *m_first = nullptr;
    mutable QToolButton *m_previous = nullptr;
    mutable QToolButton *m_next = nullptr;
    mutable QToolButton *m_last = nullptr;
};

} // namespace formulix
