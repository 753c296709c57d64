// "Tipareste Inregistrari...", "Previzualizare" and "Exporta PDF...": the page "Tipareste" prints,
// for many records in one job, on screen, or into a PDF file.

#include "gui/app/Application.h"
#include "gui/app/frmEcranPrincipal.h"
#include "core/records/RecordSources.h"
#include "widgets/DataGrid.h"
#include "core/files/FileSafety.h"
#include "core/text/TextRules.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPageLayout>
#include <QPointer>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QScopeGuard>

namespace formulix {

QSizeF frmEcranPrincipal::pageSizeMm() const
{
    return QSizeF(Picture1->widthMm(), Picture1->heightMm());
}

PageOrientation frmEcranPrincipal::pageOrientation() const
{
    return m.Orientare == 1 ? PageOrientation::Landscape
        : m.Orientare == 2  ? PageOrientation::Portrait
                            : PageOrientation::Unchanged;
}

qint64 frmEcranPrincipal::tableRecordCount() const
{
    if (!TabelaAleasa)
        return -1;
    RecordPages pages(m, pageSizeMm(), Data1->Password);
    RecordChoice all;
    all.kind = RecordChoice::All;
    return pages.open(all, nullptr) ? pages.pageCount() : -1;
}

QList<qint64> frmEcranPrincipal::gridSelection() const
{
    return m_frmSelectie ? m_frmSelectie->DBGrid1->selectedRecords() : QList<qint64>();
}

std::unique_ptr<RecordPages> frmEcranPrincipal::recordPages(const RecordChoice &choice, QString *error) const
{
    auto pages = std::make_unique<RecordPages>(m, jobCanvasMm(choice), Data1->Password);
    if (!pages->open(currentRecordRead(choice), error))
        return nullptr;
    return pages;
}

RecordChoice frmEcranPrincipal::currentRecordRead(const RecordChoice &choice) const
{
    if (choice.kind != RecordChoice::Current || m_chosenRecord <= 0 || !TabelaAleasa)
        return choice;
    RecordChoice record = choice;
    record.kind = RecordChoice::Range;
    record.first = record.last = m_chosenRecord;
    return record;
}

bool frmEcranPrincipal::runPageJob(PageJob &job, const JobRequest &request, bool toPdf)
{
    if (refuseSecondJob())
        return false;
    m_jobRunning = true;
    const auto jobEnded = qScopeGuard([this] { m_jobRunning = false; });
    QString error;
    const std::unique_ptr<RecordPages> pages = recordPages(request.choice, &error);
    if (!pages) {
        MessageBox::information(this, applicationTitle(), error);
        return false;
    }
    pages->setOnePass(true);
    if (!job.begin(pageOrientation(), applicationTitle(), &error)) {
        MessageBox::information(this, applicationTitle(), error);
        return false;
    }
    const qint64 total = pages->pageCount();
    const qint64 copies = qMax(1, request.choice.copies);
    const qint64 records = total / copies;
    QProgressDialog progress(this);
    progress.setWindowTitle(applicationTitle());
    progress.setCancelButtonText(QStringLiteral("Anulare"));
    progress.setRange(0, int(qMin<qint64>(total, std::numeric_limits<int>::max())));
    progress.setMinimumDuration(400);
    progress.setWindowModality(Qt::ApplicationModal);
    const Picture form = Picture2->picture();
    const QSizeF pageMm = jobCanvasMm(request.choice);

    bool cancelled = false;
    qint64 page = 0;
    // The box is brought up to date a few times a second: laying its label out again for every
    // page would cost as much as drawing the page.
    QElapsedTimer sinceShown;
    for (; page < total; ++page) {
        if (page == 0 || sinceShown.hasExpired(100)) {
            sinceShown.start();
            progress.setLabelText(QStringLiteral("Se tipareste inregistrarea %1 din %2").arg(page / copies + 1).arg(records));
            progress.setValue(int(page));
        }
        if (progress.wasCanceled() || (JobSeam::cancelAfter() >= 0 && page >= JobSeam::cancelAfter())) {
            cancelled = true;
            break;
        }
        PageContent texts;
        if (!pages->page(page, &texts, &error)
            || !job.addPage(texts, pageMm, m.PozStanga, m.PozSus, request.withForm ? &form : nullptr, &error)) {
            progress.reset();
            QString ignored;
            job.cancel(&ignored);
            const qint64 record = pages->recordOf(page);
            const QString told = record > 0 ? QStringLiteral("Inregistrarea %1: %2 Lucrarea a fost oprita.").arg(record).arg(error)
                                            : error;
            if (toPdf)
                offerFinishedPages(job, told);
            else
                MessageBox::information(this, applicationTitle(), told);
            return false;
        }
        JobSeam::afterPage(page + 1);
    }
    progress.setValue(progress.maximum());
    const bool ended = cancelled ? job.cancel(&error) : job.finish(&error);
    if (!ended) {
        if (toPdf)
            offerFinishedPages(job, error);
        else
            MessageBox::information(this, applicationTitle(), error);
        return false;
    }
    const qint64 sent = job.pagesDone();
    QString message;
    if (cancelled && toPdf) {
        offerFinishedPages(job, QStringLiteral("Oprit la cerere."));
        return false;
    }
    if (cancelled)
        message = QStringLiteral("Tiparirea a fost anulata: nicio pagina nu a ajuns la imprimanta %1.").arg(job.printerName());
    else if (toPdf)
        message = QStringLiteral("In fisierul %1: %2.")
                      .arg(job.printerName(), countOf(sent, QStringLiteral("pagina"), QStringLiteral("pagini")));
    else
        message = QStringLiteral("La imprimanta %1: %2.")
                      .arg(job.printerName(), countOf(sent, QStringLiteral("pagina trimisa"), QStringLiteral("pagini trimise")));
    if (!job.notice().isEmpty())
        message += QLatin1Char(' ') + job.notice();
    MessageBox::information(this, applicationTitle(), message);
    return !cancelled;
}

bool frmEcranPrincipal::refuseSecondJob()
{
    // The progress box lets events through: a second job asked for meanwhile (the preview's
    // "Tipareste", say) would run inside the first.
    if (!m_jobRunning)
        return false;
    MessageBox::information(QApplication::activeWindow(), applicationTitle(),
                            QStringLiteral("O lucrare este deja in curs. Asteptati sa se termine sau opriti-o cu "
                                           "\"Anulare\"."));
    return true;
}

QString frmEcranPrincipal::inputAt(const QString &output) const
{
    const std::pair<QString, QString> inputs[] = {{QStringLiteral("baza de date"), m.CaleBazaDate},
                                                  {QStringLiteral("macheta"), m_templateFile},
                                                  {QStringLiteral("schema"), m_schemaFile}};
    for (const auto &[what, path] : inputs) {
        if (!path.isEmpty() && sameFile(output, path))
            return what;
    }
    return QString();
}

void frmEcranPrincipal::offerFinishedPages(PageJob &job, const QString &why)
{
    const QString untouched = QStringLiteral("%1 Fisierul %2 a ramas cum era.").arg(why, job.printerName());
    if (!job.canKeepFinishedPages()) {
        MessageBox::information(this, applicationTitle(), untouched);
        return;
    }
    const QString done = job.pagesDone() == 1
        ? QStringLiteral("pagina terminata")
        : QStringLiteral("cele %1 terminate").arg(countOf(job.pagesDone(), QStringLiteral("pagina"), QStringLiteral("pagini")));
    const QString question = QStringLiteral("%1\n\nPastrati %2 intr-un fisier separat, %3?")
                                 .arg(untouched, done, QDir::toNativeSeparators(job.finishedPagesName()));
    if (MessageBox::question(this, applicationTitle(), question) != MessageBox::Answer::Yes)
        return;
    QString error;
    const QString kept = job.keepFinishedPages(&error);
    MessageBox::information(this, applicationTitle(),
                            kept.isEmpty() ? error
                                           : QStringLiteral("Paginile terminate sunt in fisierul %1.").arg(QDir::toNativeSeparators(kept)));
}

void frmEcranPrincipal::printRecords()
{
    if (refuseSecondJob())
        return;
    if (!TabelaAleasa)
        return;
    const std::optional<JobRequest> request =
        BatchPrintDialog::ask(this, BatchPrintDialog::Purpose::Print, tableRecordCount(), gridSelection());
    if (!request)
        return;
    // "Print to file" in the print dialog is an export like "Exporta PDF...", under its rules.
    if (QPrinter *printer = request->printer.get();
        printer && printer->outputFormat() == QPrinter::PdfFormat && !printer->outputFileName().isEmpty()) {
        const QPageLayout paper = printer->pageLayout();
        if (std::unique_ptr<PageJob> job = pdfJob(printer->outputFileName(), &paper))
            runPageJob(*job, *request, true);
        return;
    }
    QString error;
    std::unique_ptr<PageJob> job =
        request->printer ? PageJob::toPrinter(request->printer.get()) : PageJob::toDefaultPrinter(&error);
    if (!job) {
        MessageBox::information(this, applicationTitle(), error);
        return;
    }
    runPageJob(*job, *request, false);
}

void frmEcranPrincipal::showPreview()
{
    if (refuseSecondJob())
        return;
    const std::optional<JobRequest> request = BatchPrintDialog::ask(
        this, BatchPrintDialog::Purpose::Preview, tableRecordCount(), gridSelection());
    if (!request)
        return;
    QString error;
    std::unique_ptr<RecordPages> pages = recordPages(request->choice, &error);
    if (!pages) {
        MessageBox::information(this, applicationTitle(), error);
        return;
    }
    delete m_preview.data();
    const PreviewWindow::Layout layout{jobCanvasMm(request->choice), double(m.PozStanga), double(m.PozSus),
                                       pageOrientation()};
    m_preview = new PreviewWindow(std::move(pages), layout, Picture2->picture());
    const JobRequest shown = *request;
    connect(m_preview, &PreviewWindow::printRequested, this, [this, shown] {
        QString reason;
        std::unique_ptr<PageJob> job = PageJob::toDefaultPrinter(&reason);
        if (!job) {
            MessageBox::information(m_preview, applicationTitle(), reason);
            return;
        }
        JobRequest print = shown;
        print.withForm = false; // the form is on the paper already
        const QPointer<PreviewWindow> preview = m_preview;
        preview->printButton()->setEnabled(false);
        runPageJob(*job, print, false);
        if (preview)
            preview->printButton()->setEnabled(true);
    });
    m_preview->show();
    m_preview->raise();
}

void frmEcranPrincipal::exportPdf()
{
    if (refuseSecondJob())
        return;
    const std::optional<JobRequest> request =
        BatchPrintDialog::ask(this, BatchPrintDialog::Purpose::Pdf, tableRecordCount(), gridSelection());
    if (!request)
        return;
    CommonDialog1.prepare(QStringLiteral("PDF|*.pdf"));
    CommonDialog1.ShowSave(this);
    QString fileName = CommonDialog1.FileName;
    if (fileName.isEmpty())
        return;
    if (!fileName.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        fileName += QStringLiteral(".pdf");
    if (std::unique_ptr<PageJob> job = pdfJob(fileName, nullptr))
        runPageJob(*job, *request, true);
}

std::unique_ptr<PageJob> frmEcranPrincipal::pdfJob(const QString &fileName, const QPageLayout *paper)
{
    const QString shown = QDir::toNativeSeparators(fileName);
    QString reason;
    const QString target = outputTarget(fileName, &reason);
    if (const QString input = inputAt(fileName); !input.isEmpty())
        reason = QStringLiteral("este chiar %1 folosita").arg(input);
    if (!reason.isEmpty()) {
        MessageBox::information(this, applicationTitle(), QStringLiteral("Fisierul %1 nu poate fi scris: %2.").arg(shown, reason));
        return nullptr;
    }
    bool replaceReadOnly = false;
    if (isReadOnlyFile(target)) {
        if (MessageBox::question(this, applicationTitle(),
                                 QStringLiteral("Fisierul %1 poate fi doar citit. Il inlocuiti?").arg(shown))
            != MessageBox::Answer::Yes)
            return nullptr;
        replaceReadOnly = true;
    }
    return PageJob::toPdf(fileName, replaceReadOnly, paper);
}

} // namespace formulix
