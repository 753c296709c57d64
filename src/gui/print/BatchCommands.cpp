// "Tipareste Inregistrari...", "Previzualizare", "Exporta PDF..." and "Exporta imagini PNG...":
// the page "Tipareste" prints, for many records in one job, on screen, into a PDF file or into
// a folder of images.

#include "gui/app/Application.h"
#include "gui/app/frmEcranPrincipal.h"
#include "core/records/ColumnMatch.h"
#include "core/records/RecordSource.h"
#include "core/records/RecordSources.h"
#include "widgets/DataGrid.h"
#include "core/files/FileSafety.h"
#include "core/page/PageFit.h"
#include "core/page/PageLoop.h"
#include "core/page/PngSink.h"
#include "core/text/TextRules.h"
#include "printer/PrintSupport.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPageLayout>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QScopeGuard>

#include <algorithm>

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

bool frmEcranPrincipal::runPageJob(PageSink &sink, const JobRequest &request, JobOutput output,
                                    std::unique_ptr<RecordPages> pages)
{
    if (refuseSecondJob())
        return false;
    m_jobRunning = true;
    const auto jobEnded = qScopeGuard([this] { m_jobRunning = false; });
    QString error;
    if (!pages)
        pages = recordPages(request.choice, &error);
    if (!pages) {
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
    PageLoopOptions options;
    options.orientation = pageOrientation();
    options.documentName = applicationTitle();
    options.pageMm = jobCanvasMm(request.choice);
    options.offsetLeft = m.PozStanga;
    options.offsetUp = m.PozSus;
    options.form = request.withForm ? &form : nullptr;
    PageLoopCallbacks callbacks;
    callbacks.progress = [&](qint64 done) {
        if (done < total)
            progress.setLabelText(QStringLiteral("Se tipareste inregistrarea %1 din %2").arg(done / copies + 1).arg(records));
        progress.setValue(int(qMin<qint64>(done, progress.maximum())));
    };
    callbacks.cancelRequested = [&] { return progress.wasCanceled(); };
    const bool corrected = request.choice.kind != RecordChoice::Calibration || request.confirmation;
    sink.setProfile(corrected ? ProfileStore::load(sink.profileOwner()) : PrinterProfile());
    const PageLoopResult result = runPages(*pages, sink, options, callbacks);

    // A job that did not end as asked: the user told, and for a PDF offered its finished pages.
    const auto stopped = [&](const QString &why) {
        progress.reset();
        if (auto *pdf = output == JobOutput::Pdf ? dynamic_cast<PageJob *>(&sink) : nullptr)
            offerFinishedPages(*pdf, why);
        else if (output == JobOutput::Png)
            MessageBox::information(this, applicationTitle(), why + QLatin1Char(' ') + pagesLeftInFolder(sink, total));
        else
            MessageBox::information(this, applicationTitle(), why);
        return false;
    };
    switch (result.end) {
    case PageLoopResult::NotBegun:
        progress.reset();
        MessageBox::information(this, applicationTitle(), result.error);
        return false;
    case PageLoopResult::RecordUnread:
    case PageLoopResult::PageRefused:
        return stopped(result.record > 0
                           ? QStringLiteral("Inregistrarea %1: %2 Lucrarea a fost oprita.").arg(result.record).arg(result.error)
                           : result.error);
    case PageLoopResult::Cancelled:
    case PageLoopResult::Finished:
        break;
    }
    if (!result.ok)
        return stopped(result.error);
    const bool cancelled = result.end == PageLoopResult::Cancelled;
    if (cancelled && output != JobOutput::Printer)
        return stopped(QStringLiteral("Oprit la cerere."));
    const qint64 sent = sink.pagesDone();
    QString message;
    if (cancelled)
        message = QStringLiteral("Tiparirea a fost anulata: nicio pagina nu a ajuns la imprimanta %1.").arg(sink.destination());
    else if (output == JobOutput::Pdf)
        message = QStringLiteral("In fisierul %1: %2.")
                      .arg(sink.destination(), countOf(sent, QStringLiteral("pagina"), QStringLiteral("pagini")));
    else if (output == JobOutput::Png)
        message = QStringLiteral("In folderul %1: %2.")
                      .arg(sink.destination(), countOf(sent, QStringLiteral("pagina"), QStringLiteral("pagini")));
    else
        message = QStringLiteral("La imprimanta %1: %2.")
                      .arg(sink.destination(), countOf(sent, QStringLiteral("pagina trimisa"), QStringLiteral("pagini trimise")));
    if (!sink.notice().isEmpty())
        message += QLatin1Char(' ') + sink.notice();
    MessageBox::information(this, applicationTitle(), message);
    return !cancelled;
}

QString frmEcranPrincipal::pagesLeftInFolder(const PageSink &sink, qint64 total)
{
    const qint64 done = sink.pagesDone();
    if (done == 0)
        return QStringLiteral("Nicio pagina nu a fost scrisa in folderul %1.").arg(sink.destination());
    const QString pages = done == 1 ? QStringLiteral("a ramas pagina terminata")
                                    : QStringLiteral("au ramas cele %1 terminate")
                                          .arg(countOf(done, QStringLiteral("pagina"), QStringLiteral("pagini")));
    return QStringLiteral("In folderul %1 %2 (%3); celelalte fisiere au ramas cum erau.")
        .arg(sink.destination(), pages, PngSink::pageSpan(done, total));
}

std::optional<JobRequest> frmEcranPrincipal::askJob(BatchPrintDialog::Purpose purpose)
{
    if (refuseSecondJob())
        return std::nullopt;
    std::optional<JobRequest> request = BatchPrintDialog::ask(this, purpose, tableRecordCount(), gridSelection());
    if (request && (!goOnWithoutColumns(request->choice) || !goOnOutsidePaper(*request, purpose)))
        request.reset();
    return request;
}

bool frmEcranPrincipal::goOnOutsidePaper(const JobRequest &request, BatchPrintDialog::Purpose purpose)
{
    if (request.choice.kind == RecordChoice::Calibration)
        return true; // its targets are placed on the canvas, not by the user
    // The job's first record alone: a table is not counted through once more for it.
    RecordChoice first = request.choice;
    first.copies = 1;
    if (first.kind == RecordChoice::All)
        first = {RecordChoice::Range, 1, 1, {}, 1};
    else if (first.kind == RecordChoice::Range)
        first.last = first.first;
    else if (first.kind == RecordChoice::Rows && !first.rows.isEmpty())
        first.rows = {*std::min_element(first.rows.begin(), first.rows.end())};
    QString error;
    PageContent page;
    const std::unique_ptr<RecordPages> pages = recordPages(first, &error);
    if (!pages || pages->pageCount() == 0 || !pages->page(0, &page, &error))
        return true; // the job itself tells why it cannot go
    QRectF printable;
    if (request.printer) {
        const std::unique_ptr<PageJob> job = PageJob::toPrinter(request.printer.get());
        job->prepare(pageOrientation());
        printable = job->printableMm();
    } else if (purpose == BatchPrintDialog::Purpose::Pdf || purpose == BatchPrintDialog::Purpose::Png) {
        printable = PageJob::pdfPaper(pageOrientation()).printableMm;
    } else {
        const std::unique_ptr<PageJob> job = PageJob::forPreview();
        job->prepare(pageOrientation());
        printable = job->printableMm();
    }
    return goOnOutsidePaper(page, jobCanvasMm(request.choice), printable);
}

bool frmEcranPrincipal::goOnOutsidePaper(const PageContent &page, QSizeF pageMm, const QRectF &printableMm)
{
    const PageGeometry geometry{pageMm, printableMm, double(m.PozStanga), double(m.PozSus)};
    const QStringList outside = fieldsOutside(m, page, geometry);
    if (outside.isEmpty())
        return true;
    return MessageBox::question(this, applicationTitle(),
                                fieldsOutsideMessage(outside, pageOrientation()) + QStringLiteral(" Continuati?"))
        == MessageBox::Answer::Yes;
}

bool frmEcranPrincipal::goOnWithoutColumns(const RecordChoice &choice)
{
    // Only pages that read the table's records can lack its columns.
    const RecordChoice read = currentRecordRead(choice);
    const RecordCursor *rows = TabelaAleasa ? Data1->recordset() : nullptr;
    if (!rows || read.kind == RecordChoice::Current || read.kind == RecordChoice::Calibration)
        return true;
    const QStringList missing = missingColumns(m, rows->columnNames());
    if (missing.isEmpty())
        return true;
    return MessageBox::question(this, applicationTitle(),
                                QStringLiteral("Tabela %1 nu are coloanele campurilor %2: acestea vor ramane goale pe "
                                               "fiecare pagina%3. Continuati?")
                                    .arg(m.NumeTabela, missing.join(QStringLiteral(", ")), bracedNote(missing)))
        == MessageBox::Answer::Yes;
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
    if (!TabelaAleasa)
        return;
    const std::optional<JobRequest> request = askJob(BatchPrintDialog::Purpose::Print);
    if (!request)
        return;
    // "Print to file" in the print dialog is an export like "Exporta PDF...", under its rules.
    if (QPrinter *printer = request->printer.get(); printer && printSupport()->outputFormat(*printer) == QPrinter::PdfFormat
        && !printSupport()->outputFileName(*printer).isEmpty()) {
        const QPageLayout paper = printer->pageLayout();
        if (std::unique_ptr<PageJob> job = pdfJob(printSupport()->outputFileName(*printer), &paper))
            runPageJob(*job, *request, JobOutput::Pdf);
        return;
    }
    QString error;
    std::unique_ptr<PageJob> job =
        request->printer ? PageJob::toPrinter(request->printer.get()) : PageJob::toDefaultPrinter(&error);
    if (!job) {
        MessageBox::information(this, applicationTitle(), error);
        return;
    }
    runPageJob(*job, *request, JobOutput::Printer);
}

void frmEcranPrincipal::showPreview()
{
    const std::optional<JobRequest> request = askJob(BatchPrintDialog::Purpose::Preview);
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
        runPageJob(*job, print, JobOutput::Printer);
        if (preview)
            preview->printButton()->setEnabled(true);
    });
    m_preview->show();
    m_preview->raise();
}

void frmEcranPrincipal::exportPdf()
{
    const std::optional<JobRequest> request = askJob(BatchPrintDialog::Purpose::Pdf);
    if (!request)
        return;
    const QString fileName = askPdfFileName();
    if (fileName.isEmpty())
        return;
    if (std::unique_ptr<PageJob> job = pdfJob(fileName, nullptr))
        runPageJob(*job, *request, JobOutput::Pdf);
}

QString frmEcranPrincipal::askPdfFileName()
{
    CommonDialog1.prepare(QStringLiteral("PDF|*.pdf"));
    CommonDialog1.ShowSave(this);
    QString fileName = CommonDialog1.FileName;
    if (!fileName.isEmpty() && !fileName.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        fileName += QStringLiteral(".pdf");
    return fileName;
}

void frmEcranPrincipal::exportPng()
{
    const std::optional<JobRequest> request = askJob(BatchPrintDialog::Purpose::Png);
    if (!request)
        return;
    CommonDialog1.prepare(QString());
    CommonDialog1.ShowFolder(this);
    const QString folder = CommonDialog1.FileName;
    if (folder.isEmpty())
        return;
    QString error;
    std::unique_ptr<RecordPages> pages = recordPages(request->choice, &error);
    if (!pages) {
        MessageBox::information(this, applicationTitle(), error);
        return;
    }
    // Pages of an earlier export are replaced only when the user says so; never a file this
    // window reads (a template saved as 0001.png).
    const qint64 total = pages->pageCount();
    const QStringList there = PngSink::existingPages(folder, total);
    bool readOnly = false;
    for (const QString &name : there) {
        const QString path = QDir(folder).filePath(name);
        if (const QString input = inputAt(path); !input.isEmpty()) {
            MessageBox::information(this, applicationTitle(),
                                    QStringLiteral("Fisierul %1 nu poate fi scris: este chiar %2 folosita.")
                                        .arg(QDir::toNativeSeparators(path), input));
            return;
        }
        readOnly = readOnly || isReadOnlyFile(path);
    }
    if (!there.isEmpty()) {
        QString question = QStringLiteral("Folderul %1 contine deja imagini ale paginilor (%2...).")
                               .arg(QDir::toNativeSeparators(folder), there.first());
        if (readOnly)
            question += QStringLiteral(" Unele pot fi doar citite.");
        if (MessageBox::question(this, applicationTitle(), question + QStringLiteral(" Le inlocuiti?"))
            != MessageBox::Answer::Yes)
            return;
    }
    PngSink sink(folder, total, PageJob::pdfPaper(pageOrientation()), PngSink::DefaultDpi, !there.isEmpty());
    runPageJob(sink, *request, JobOutput::Png, std::move(pages));
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
