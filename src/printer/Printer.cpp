#include "printer/Printer.h"

#include "printer/PrintSupport.h"
#include "core/text/TextRules.h"
#include "core/text/Units.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QPageSize>
#include <QPdfWriter>

#include <cstdio>

#include <cups/cups.h>
#include <malloc.h>

namespace formulix {

namespace {

QString &pdfPath()
{
    static QString path;
    return path;
}

QString noDefaultPrinter()
{
    return QStringLiteral("Nu exista o imprimanta implicita. Alegeti o imprimanta implicita in "
                          "setarile sistemului si tipariti din nou.");
}

// Qt's PDF writer takes and frees two 64 kB buffers a page. At the heap's top glibc gives them
// back to the kernel at once and faults them in again on the next page: a third of a long
// job's time. Keeping some freed memory costs a few megabytes at most.
void keepFreedHeap()
{
    static const bool kept = mallopt(M_TRIM_THRESHOLD, 8 << 20) == 1;
    Q_UNUSED(kept);
}

// A PDF whose end the writer could not put down (a full disk, a size limit) lacks its trailer.
bool endsAsPdf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 8)
        return false;
    file.seek(qMax<qint64>(0, file.size() - 64));
    return file.readAll().contains("%%EOF");
}

// The print server's answer to the last job. libcups is opened only here, when a job has gone
// to a printer: Qt's own print plugin has loaded it by then, and a program linked with it would
// take twice as long to start.
struct ServerAnswer
{
    ipp_status_t status = IPP_STATUS_OK;
    QString text;
};

ServerAnswer lastServerAnswer()
{
    using StatusFunction = ipp_status_t (*)();
    using TextFunction = const char *(*)();
    static QLibrary library(QStringLiteral("cups"), 2);
    static const auto status = reinterpret_cast<StatusFunction>(library.resolve("cupsLastError"));
    static const auto text = reinterpret_cast<TextFunction>(library.resolve("cupsLastErrorString"));
    ServerAnswer answer;
    if (status)
        answer.status = status();
    if (text && text())
        answer.text = QString::fromLocal8Bit(text());
    return answer;
}

// Why the print server turned the last job away, in the program's language where it is known.
QString refusal(const ServerAnswer &answer)
{
    switch (answer.status) {
    case IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS:
        return QStringLiteral("coada ei nu primeste lucrari");
    case IPP_STATUS_ERROR_NOT_FOUND:
        return QStringLiteral("imprimanta nu mai exista pe serverul de tiparire");
    case IPP_STATUS_ERROR_FORBIDDEN:
    case IPP_STATUS_ERROR_NOT_AUTHORIZED:
    case IPP_STATUS_ERROR_NOT_AUTHENTICATED:
        return QStringLiteral("serverul de tiparire nu permite lucrarea");
    case IPP_STATUS_ERROR_SERVICE_UNAVAILABLE:
    case IPP_STATUS_ERROR_INTERNAL:
        return QStringLiteral("serverul de tiparire nu raspunde");
    default:
        return answer.text;
    }
}

// Only where a printer exists, which the module made.
const PrintSupport &printing()
{
    return *printSupport();
}

} // namespace

void PrinterSeam::setPdfOutput(const QString &path)
{
    pdfPath() = path;
}

QString PrinterSeam::pdfOutput()
{
    return pdfPath();
}

PageJob::~PageJob()
{
    if (m_painter.isActive())
        m_painter.end();
}

QPagedPaintDevice *PageJob::device() const
{
    return m_pdf ? static_cast<QPagedPaintDevice *>(m_pdf.get()) : m_printer;
}

int PageJob::resolution() const
{
    return m_pdf ? m_pdf->resolution() : printing().resolution(*m_printer);
}

QString PageJob::fileFailure() const
{
    return QStringLiteral("Fisierul %1 nu a putut fi scris: %2.").arg(m_name, systemReason(m_file->failure()));
}

std::unique_ptr<PageJob> PageJob::toDefaultPrinter(QString *error)
{
    const PrintSupport *support = printSupport();
    if (!support) {
        if (error)
            *error = missingPrintSupport();
        return nullptr;
    }
    std::unique_ptr<PageJob> job(new PageJob);
    if (!pdfPath().isEmpty()) {
        job->m_owned.reset(support->newPrinter());
        support->setOutputFormat(*job->m_owned, QPrinter::PdfFormat);
        support->setOutputFileName(*job->m_owned, pdfPath());
        job->m_name = pdfPath();
    } else {
        job->m_owned.reset(support->newDefaultPrinter());
        if (!job->m_owned) {
            if (error)
                *error = noDefaultPrinter();
            return nullptr;
        }
        job->m_name = support->printerName(*job->m_owned);
    }
    job->m_printer = job->m_owned.get();
    return job;
}

std::unique_ptr<PageJob> PageJob::toPrinter(QPrinter *printer)
{
    std::unique_ptr<PageJob> job(new PageJob);
    job->m_printer = printer;
    job->m_name = printing().outputFormat(*printer) == QPrinter::PdfFormat ? printing().outputFileName(*printer)
                                                                           : printing().printerName(*printer);
    return job;
}

std::unique_ptr<PageJob> PageJob::toNamedPrinter(const QString &name, QString *error)
{
    const PrintSupport *support = printSupport();
    if (!support) {
        if (error)
            *error = missingPrintSupport();
        return nullptr;
    }
    std::unique_ptr<PageJob> job(new PageJob);
    job->m_owned.reset(support->newNamedPrinter(name));
    if (!job->m_owned) {
        if (error)
            *error = QStringLiteral("Imprimanta %1 nu exista.").arg(name);
        return nullptr;
    }
    job->m_printer = job->m_owned.get();
    job->m_name = support->printerName(*job->m_owned);
    return job;
}

QString PageJob::defaultProfileOwner()
{
    const PrintSupport *support = pdfPath().isEmpty() ? printSupport() : nullptr;
    return support ? support->defaultPrinterName() : QString();
}

PaperArea PageJob::paperOf(const QString &profileOwner, PageOrientation orientation)
{
    std::unique_ptr<PageJob> job;
    if (profileOwner.isEmpty())
        job = pdfPath().isEmpty() ? toPdf(QString()) : toDefaultPrinter(nullptr);
    else
        job = toNamedPrinter(profileOwner, nullptr);
    if (!job)
        job = toPdf(QString());
    job->prepare(orientation);
    return {job->paperMm(), job->printableMm()};
}

QString PageJob::profileOwner() const
{
    return !m_pdf && printing().outputFormat(*m_printer) == QPrinter::NativeFormat ? printing().printerName(*m_printer)
                                                                                   : QString();
}

std::unique_ptr<PageJob> PageJob::toPdf(const QString &path, bool replaceReadOnly, const QPageLayout *paper)
{
    std::unique_ptr<PageJob> job(new PageJob);
    // Written through a device of ours, so a failed write tells why (a full disk, a size limit).
    job->m_file = std::make_unique<OutputFile>();
    job->m_pdf = std::make_unique<QPdfWriter>(job->m_file.get());
    job->m_pdf->setResolution(1200);
    // Without the print module no printer is known: the PDF takes A4, as without a printer.
    const PrintSupport *support = paper ? nullptr : printSupport();
    if (support)
        job->m_reference.reset(support->newDefaultPrinter());
    if (paper) {
        job->m_pdf->setPageLayout(*paper);
    } else if (job->m_reference) {
        job->m_pdf->setPageSize(job->m_reference->pageLayout().pageSize());
    } else {
        job->m_pdf->setPageSize(QPageSize(QPageSize::A4));
    }
    job->m_name = QDir::toNativeSeparators(path);
    job->m_pdfPath = path;
    job->m_replaceReadOnly = replaceReadOnly;
    return job;
}

PaperArea PageJob::pdfPaper(PageOrientation orientation)
{
    const std::unique_ptr<PageJob> paper = toPdf(QString());
    paper->prepare(orientation);
    return {paper->paperMm(), paper->printableMm()};
}

void PageJob::prepare(PageOrientation orientation)
{
    // The device's own printable area, not Qt's default margins: the painter's origin is then
    // where the printer really starts printing (the whole sheet on a printer that prints to the
    // edge), which is what the offsets are measured from.
    auto setUp = [orientation](QPagedPaintDevice &printer) {
        if (orientation == PageOrientation::Landscape)
            printer.setPageOrientation(QPageLayout::Landscape);
        else if (orientation == PageOrientation::Portrait)
            printer.setPageOrientation(QPageLayout::Portrait);
        QPageLayout layout = printer.pageLayout();
        layout.setMode(QPageLayout::StandardMode);
        layout.setMargins(layout.minimumMargins());
        printer.setPageLayout(layout);
        return printer.pageLayout().paintRect(QPageLayout::Millimeter);
    };
    const QRectF own = setUp(*device());
    m_printable = m_reference ? setUp(*m_reference) : own;
    m_origin = m_printable.topLeft() - own.topLeft();
}

std::unique_ptr<PageJob> PageJob::forPreview()
{
    if (std::unique_ptr<PageJob> job = toDefaultPrinter(nullptr))
        return job;
    std::unique_ptr<PageJob> job = toPdf(QString());
    job->m_name = QStringLiteral("A4");
    return job;
}

bool PageJob::begin(PageOrientation orientation, const QString &documentName, QString *error)
{
    if (m_pdf) {
        QString reason;
        if (!m_file->open(m_pdfPath, m_replaceReadOnly, &reason)) {
            if (error)
                *error = QStringLiteral("Fisierul %1 nu poate fi scris: %2.").arg(m_name, reason);
            return false;
        }
        m_pdf->setTitle(documentName);
        m_pdf->setCreator(documentName);
    } else {
        printing().setDocName(*m_printer, documentName);
    }
    prepare(orientation);
    keepFreedHeap();
    if (!m_painter.begin(device())) {
        if (error)
            *error = m_pdf ? QStringLiteral("Fisierul %1 nu poate fi scris.").arg(m_name)
                           : QStringLiteral("Imprimanta %1 nu poate tipari documentul.").arg(m_name);
        if (m_pdf)
            m_file->discard();
        return false;
    }
    m_started = true;
    return true;
}

QString PageJob::printerName() const
{
    return m_name;
}

QRectF PageJob::printableMm() const
{
    return m_printable;
}

double PageJob::pixelsPerMm() const
{
    return resolution() / MmPerInch;
}

QSizeF PageJob::paperMm() const
{
    const QPagedPaintDevice *paper = m_reference ? m_reference.get() : device();
    return paper->pageLayout().fullRect(QPageLayout::Millimeter).size();
}

bool PageJob::addPage(const PageContent &content, QSizeF pageMm, double offsetLeft,
                      double offsetUp, const Picture *form, QString *error)
{
    if (!m_started)
        return false;
    if (m_pdf && m_file->failure() != 0) {
        if (error)
            *error = fileFailure();
        return false;
    }
    if (m_pages > 0 && !device()->newPage()) {
        if (error)
            *error = m_pdf ? fileFailure()
                           : QStringLiteral("Imprimanta %1 nu a putut incepe pagina %2.").arg(m_name).arg(m_pages + 1);
        return false;
    }
    // The painter's origin is the printable area's top-left corner, one unit a device pixel.
    const bool moved = !m_origin.isNull();
    if (moved) {
        m_painter.save();
        m_painter.translate(m_origin * pixelsPerMm());
    }
    renderPage(m_painter, pixelsPerMm(), {pageMm, m_printable, offsetLeft, offsetUp}, content, form, correctionMm());
    if (moved)
        m_painter.restore();
    if (m_pdf ? m_file->failure() != 0 : printing().printerState(*m_printer) == QPrinter::Error) {
        if (error)
            *error = m_pdf ? fileFailure()
                           : QStringLiteral("Imprimanta %1 nu a putut tipari pagina %2.").arg(m_name).arg(m_pages + 1);
        return false;
    }
    ++m_pages;
    return true;
}

bool PageJob::finish(QString *error)
{
    if (!m_started)
        return false;
    m_started = false;
    if (m_pdf) {
        QString reason;
        if (!m_painter.end() || m_file->failure() != 0) {
            if (error)
                *error = fileFailure();
            m_file->discard();
            return false;
        }
        if (!m_file->commit(&reason)) {
            if (error)
                *error = QStringLiteral("Fisierul %1 nu a putut fi scris: %2.").arg(m_name, reason);
            return false;
        }
        return true;
    }
    const bool ended = m_painter.end() && printing().printerState(*m_printer) != QPrinter::Error;
    if (!ended) {
        if (error)
            *error = printing().outputFormat(*m_printer) == QPrinter::NativeFormat
                ? QStringLiteral("Imprimanta %1 nu a putut tipari documentul.").arg(m_name)
                : QStringLiteral("Fisierul %1 nu a putut fi scris in intregime.").arg(m_name);
        return false;
    }
    if (printing().outputFormat(*m_printer) == QPrinter::NativeFormat) {
        // Qt hands the spooled job to the print server without looking at the answer: a queue
        // that refuses jobs, or a server gone, would pass for printed.
        if (const ServerAnswer answer = lastServerAnswer(); answer.status > IPP_STATUS_OK_EVENTS_COMPLETE) {
            if (error)
                *error = QStringLiteral("Imprimanta %1 nu a primit lucrarea: %2. Nicio pagina nu a fost tiparita.")
                             .arg(m_name, refusal(answer));
            return false;
        }
        // A stopped (paused) queue takes the job and holds it without a word.
        if (printing().printerStopped(printing().printerName(*m_printer)))
            m_notice = QStringLiteral("Imprimanta %1 este oprita: lucrarea asteapta in coada ei si se tipareste "
                                      "abia cand imprimanta este pornita din nou.")
                           .arg(m_name);
        return true;
    }
    // A file chosen in the print dialog is written in place; at least say when it is cut.
    const QString file = printing().outputFileName(*m_printer);
    if (!file.isEmpty() && !endsAsPdf(file)) {
        if (error)
            *error = QStringLiteral("Fisierul %1 nu a putut fi scris in intregime.").arg(QDir::toNativeSeparators(file));
        return false;
    }
    return true;
}

bool PageJob::cancel(QString *error)
{
    if (m_pdf) {
        // The pages done make a whole PDF of their own, kept aside until the user says.
        if (m_started && !m_painter.end() && error)
            *error = fileFailure();
        m_started = false;
        return m_file->failure() == 0;
    }
    if (printing().outputFormat(*m_printer) == QPrinter::PdfFormat)
        return finish(error);
    m_started = false;
    printing().abort(*m_printer);
    if (m_painter.isActive())
        m_painter.end();
    return true;
}

QString PageJob::finishedPagesName() const
{
    if (!m_pdf)
        return QString();
    const QFileInfo asked(m_file->target().isEmpty() ? m_pdfPath : m_file->target());
    const QString suffix = asked.suffix().isEmpty() ? QString() : QStringLiteral(".") + asked.suffix();
    return asked.dir().filePath(QStringLiteral("%1 (incomplet, %2)%3")
                                    .arg(asked.completeBaseName(),
                                         countOf(m_pages, QStringLiteral("pagina"), QStringLiteral("pagini")), suffix));
}

bool PageJob::canKeepFinishedPages() const
{
    return m_pdf && !m_started && m_pages > 0 && m_file->holdsWhole();
}

QString PageJob::keepFinishedPages(QString *error)
{
    if (!canKeepFinishedPages()) {
        if (error)
            *error = m_pages == 0 ? QStringLiteral("Nicio pagina nu a fost terminata.")
                                  : QStringLiteral("Paginile terminate nu pot fi pastrate: %1.").arg(systemReason(m_file->failure()));
        return QString();
    }
    QString reason;
    const QString kept = m_file->keepAs(finishedPagesName(), &reason);
    if (kept.isEmpty() && error)
        *error = QStringLiteral("Fisierul %1 nu a putut fi scris: %2.")
                     .arg(QDir::toNativeSeparators(finishedPagesName()), reason);
    return kept;
}

PrintResult printPage(const QList<PrintedText> &texts, QSizeF pageMm, double offsetLeft,
                      double offsetUp, PageOrientation orientation, const QString &documentName)
{
    PrintResult result;
    std::unique_ptr<PageJob> job = PageJob::toDefaultPrinter(&result.error);
    if (!job)
        return result;
    result.printer = job->printerName();
    if (!job->begin(orientation, documentName, &result.error))
        return result;
    result.printableMm = job->printableMm();
    job->setProfile(ProfileStore::load(job->profileOwner()));
    if (!job->addPage(texts, pageMm, offsetLeft, offsetUp, nullptr, &result.error))
        return result;
    if (!job->finish(&result.error))
        return result;
    result.notice = job->notice();
    result.ok = true;
    return result;
}

} // namespace formulix
