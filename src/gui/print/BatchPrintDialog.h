#pragma once
// Chooses what a job of many pages takes: the current record, every record, a range of records
// numbered as the record window numbers them, the rows selected in its grid, or the calibration
// sheet; how many copies
// of each page; and, for a print, the printer; for a PDF or images, whether the form goes beneath.

#include "core/page/PageLoop.h" // JobSeam: tests stop the jobs this dialog starts
#include "core/page/RecordChoice.h"

#include <QDialog>
#include <QList>
#include <memory>
#include <functional>
#include <optional>

class QCheckBox;
class QLabel;
class QPrinter;
class QRadioButton;
class QSpinBox;

namespace formulix {

struct JobRequest
{
    RecordChoice choice;
    bool withForm = false;            // the template beneath the texts (PDF and image proofs)
    std::shared_ptr<QPrinter> printer; // set up in the print dialog; none: the default printer
    // The calibration sheet goes without the printer's correction, but for this: the sheet that
    // confirms it. Every other page takes it.
    bool confirmation = false;
};

class BatchPrintDialog : public QDialog
{
    Q_OBJECT
public:
    enum class Purpose { Print, Preview, Pdf, Png };

    // What the user chose, or nothing on "Anulare". `records` is the table's record count (-1
    // when there is no table: only the current record can be chosen); `selectedRows` are the
    // grid's selected rows. In test mode the queued answer is given instead.
    static std::optional<JobRequest> ask(QWidget *parent, Purpose purpose, qint64 records,
                                         const QList<qint64> &selectedRows);

    // Test seam.
    static void queueAnswer(const JobRequest &request);
    static void queueCancel();
    struct Shown
    {
        Purpose purpose;
        qint64 records;
        QList<qint64> selectedRows;
    };
    static QList<Shown> shown();
    static void reset();

    BatchPrintDialog(QWidget *parent, Purpose purpose, qint64 records, const QList<qint64> &selectedRows);
    JobRequest request() const;

private:
    void choosePrinter();
    void updateEnabled();

    Purpose m_purpose;
    QList<qint64> m_selected;
    QRadioButton *m_current = nullptr;
    QRadioButton *m_all = nullptr;
    QRadioButton *m_range = nullptr;
    QRadioButton *m_rows = nullptr;
    QRadioButton *m_calibration = nullptr;
    QSpinBox *m_first = nullptr;
    QSpinBox *m_last = nullptr;
    QSpinBox *m_copies = nullptr;
    QCheckBox *m_withForm = nullptr;
    QLabel *m_printerName = nullptr;
    std::shared_ptr<QPrinter> m_printer;
};

} // namespace formulix
