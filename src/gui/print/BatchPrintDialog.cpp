#include "gui/print/BatchPrintDialog.h"

#include "gui/app/Application.h"
#include "printer/PrintSupport.h"
#include "widgets/Dialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace formulix {

namespace {

struct Seam
{
    QList<std::optional<JobRequest>> answers;
    QList<BatchPrintDialog::Shown> shown;
};

Seam &seam()
{
    static Seam s;
    return s;
}

} // namespace

void BatchPrintDialog::queueAnswer(const JobRequest &request)
{
    seam().answers.append(request);
}

void BatchPrintDialog::queueCancel()
{
    seam().answers.append(std::nullopt);
}

QList<BatchPrintDialog::Shown> BatchPrintDialog::shown()
{
    return seam().shown;
}

void BatchPrintDialog::reset()
{
    seam() = Seam();
}

std::optional<JobRequest> BatchPrintDialog::ask(QWidget *parent, Purpose purpose, qint64 records,
                                                const QList<qint64> &selectedRows)
{
    seam().shown.append({purpose, records, selectedRows});
    if (DialogSeam::testMode())
        return seam().answers.isEmpty() ? std::nullopt : seam().answers.takeFirst();
    BatchPrintDialog dialog(parent, purpose, records, selectedRows);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.request();
}

BatchPrintDialog::BatchPrintDialog(QWidget *parent, Purpose purpose, qint64 records, const QList<qint64> &selectedRows)
    : QDialog(parent), m_purpose(purpose), m_selected(selectedRows)
{
    setWindowTitle(purpose == Purpose::Print     ? QStringLiteral("Tipareste Inregistrari")
                   : purpose == Purpose::Preview ? QStringLiteral("Previzualizare")
                   : purpose == Purpose::Pdf     ? QStringLiteral("Exporta PDF")
                                                 : QStringLiteral("Exporta imagini PNG"));
    auto *layout = new QVBoxLayout(this);
    auto *grid = new QGridLayout;
    m_current = new QRadioButton(QStringLiteral("Inregistrarea curenta"), this);
    m_all = new QRadioButton(records >= 0 ? QStringLiteral("Toate inregistrarile (%1)").arg(records)
                                          : QStringLiteral("Toate inregistrarile"),
                             this);
    m_range = new QRadioButton(QStringLiteral("de la"), this);
    m_first = new QSpinBox(this);
    m_last = new QSpinBox(this);
    const int top = int(std::clamp<qint64>(records, 1, 999999999));
    for (QSpinBox *box : {m_first, m_last})
        box->setRange(1, top);
    m_last->setValue(top);
    m_rows = new QRadioButton(QStringLiteral("Randurile selectate in tabel (%1)").arg(selectedRows.size()), this);
    grid->addWidget(m_current, 0, 0, 1, 4);
    grid->addWidget(m_all, 1, 0, 1, 4);
    grid->addWidget(m_range, 2, 0);
    grid->addWidget(m_first, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("pana la"), this), 2, 2);
    grid->addWidget(m_last, 2, 3);
    grid->addWidget(m_rows, 3, 0, 1, 4);
    m_calibration = new QRadioButton(QStringLiteral("Pagina de calibrare"), this);
    grid->addWidget(m_calibration, 4, 0, 1, 4);
    layout->addLayout(grid);

    auto *copiesRow = new QHBoxLayout;
    copiesRow->addWidget(new QLabel(QStringLiteral("Copii din fiecare pagina:"), this));
    m_copies = new QSpinBox(this);
    m_copies->setRange(1, 99);
    copiesRow->addWidget(m_copies);
    copiesRow->addStretch();
    layout->addLayout(copiesRow);

    if (purpose == Purpose::Print) {
        auto *printerRow = new QHBoxLayout;
        const PrintSupport *support = printSupport();
        const QString name = support ? support->defaultPrinterName() : QString();
        m_printerName = new QLabel(QStringLiteral("Imprimanta: %1")
                                       .arg(name.isEmpty() ? QStringLiteral("nu exista o imprimanta implicita") : name),
                                   this);
        m_printerName->setTextFormat(Qt::PlainText);
        auto *choose = new QPushButton(QStringLiteral("Alege imprimanta..."), this);
        connect(choose, &QPushButton::clicked, this, &BatchPrintDialog::choosePrinter);
        printerRow->addWidget(m_printerName, 1);
        printerRow->addWidget(choose);
        layout->addLayout(printerRow);
    } else if (purpose == Purpose::Pdf || purpose == Purpose::Png) {
        m_withForm = new QCheckBox(QStringLiteral("Cu macheta dedesubt (proba pentru aprobare)"), this);
        layout->addWidget(m_withForm);
    }

    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(purpose == Purpose::Print     ? QStringLiteral("Tipareste")
                       : purpose == Purpose::Preview ? QStringLiteral("Previzualizeaza")
                                                     : QStringLiteral("Exporta"),
                       QDialogButtonBox::AcceptRole)
        ->setDefault(true);
    buttons->addButton(QStringLiteral("Anulare"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    const bool table = records >= 0;
    m_all->setEnabled(table);
    m_range->setEnabled(table && records > 0);
    m_rows->setEnabled(table && !selectedRows.isEmpty());
    // A print of many records is what this dialog is for; a preview or an export starts from the
    // record on the canvas.
    (purpose == Purpose::Print && table ? m_all : m_current)->setChecked(true);
    for (QRadioButton *button : {m_current, m_all, m_range, m_rows, m_calibration})
        connect(button, &QRadioButton::toggled, this, &BatchPrintDialog::updateEnabled);
    connect(m_first, &QSpinBox::valueChanged, this, [this](int value) {
        if (m_last->value() < value)
            m_last->setValue(value);
    });
    connect(m_last, &QSpinBox::valueChanged, this, [this](int value) {
        if (m_first->value() > value)
            m_first->setValue(value);
    });
    updateEnabled();
}

void BatchPrintDialog::updateEnabled()
{
    m_first->setEnabled(m_range->isChecked());
    m_last->setEnabled(m_range->isChecked());
}

void BatchPrintDialog::choosePrinter()
{
    const PrintSupport *support = printSupport();
    if (!support) {
        MessageBox::information(this, applicationTitle(), missingPrintSupport());
        return;
    }
    auto printer = m_printer ? m_printer : std::shared_ptr<QPrinter>(support->newPrinter());
    if (!support->choosePrinter(*printer, this))
        return;
    m_printer = printer;
    m_printerName->setText(QStringLiteral("Imprimanta: %1").arg(support->printerName(*printer)));
}

JobRequest BatchPrintDialog::request() const
{
    JobRequest request;
    RecordChoice &choice = request.choice;
    choice.kind = m_all->isChecked() ? RecordChoice::All
        : m_range->isChecked()       ? RecordChoice::Range
        : m_rows->isChecked()        ? RecordChoice::Rows
        : m_calibration->isChecked() ? RecordChoice::Calibration
                                     : RecordChoice::Current;
    choice.first = m_first->value();
    choice.last = m_last->value();
    if (choice.kind == RecordChoice::Rows)
        choice.rows = m_selected;
    choice.copies = m_copies->value();
    request.withForm = m_withForm && m_withForm->isChecked();
    request.printer = m_printer;
    return request;
}

} // namespace formulix
