#include "core/page/PngSink.h"

#include "core/files/FileSafety.h"
#include "core/text/Units.h"

#include <QDir>
#include <QImageWriter>
#include <QPainter>
#include <QRegularExpression>

#include <algorithm>

namespace formulix {

namespace {

QString tooLarge(QSize size)
{
    return QStringLiteral("O pagina de %1 x %2 pixeli nu incape in memorie: alegeti o rezolutie mai mica.")
        .arg(size.width())
        .arg(size.height());
}

} // namespace

PngSink::PngSink(const QString &folder, qint64 pageCount, const PaperArea &paper, int dpi, bool replace)
    : m_folder(folder), m_shown(QDir::toNativeSeparators(folder)), m_pageCount(pageCount), m_paper(paper),
      m_dpi(std::clamp(dpi, MinDpi, MaxDpi)), m_replace(replace)
{
}

QString PngSink::pageName(qint64 page, qint64 pageCount)
{
    const int width = std::max<int>(4, int(QString::number(pageCount).size()));
    return QStringLiteral("%1.png").arg(page, width, 10, QChar(u'0'));
}

QStringList PngSink::existingPages(const QString &folder, qint64 pageCount)
{
    // One reading of the folder, not a look-up for each of a long job's names.
    static const QRegularExpression numbered(QStringLiteral("^(\\d{4,18})\\.png$"));
    QList<qint64> pages;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::System | QDir::Hidden)) {
        const QRegularExpressionMatch match = numbered.match(name);
        const qint64 page = match.hasMatch() ? match.captured(1).toLongLong() : 0;
        if (page >= 1 && page <= pageCount && name == pageName(page, pageCount))
            pages.append(page);
    }
    std::sort(pages.begin(), pages.end());
    QStringList names;
    for (const qint64 page : std::as_const(pages))
        names.append(pageName(page, pageCount));
    return names;
}

QString PngSink::pageSpan(qint64 pages, qint64 pageCount)
{
    return pages <= 1 ? pageName(1, pageCount)
                      : QStringLiteral("%1 - %2").arg(pageName(1, pageCount), pageName(pages, pageCount));
}

QString PngSink::pagePath(qint64 page) const
{
    return QDir(m_folder).filePath(pageName(page, m_pageCount));
}

double PngSink::pixelsPerMm() const
{
    return formulix::pixelsPerMm(m_dpi);
}

QSize PngSink::imageSize() const
{
    return QSize(qMax(1, qRound(m_paper.paperMm.width() * pixelsPerMm())),
                 qMax(1, qRound(m_paper.paperMm.height() * pixelsPerMm())));
}

QImage &PngSink::canvas(bool grey)
{
    QImage &image = grey ? m_grey : m_color;
    if (image.isNull() || image.size() != imageSize()) {
        image = QImage(imageSize(), grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
        const int dotsPerMeter = qRound(m_dpi / (MmPerInch / 1000));
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
    }
    return image;
}

bool PngSink::begin(PageOrientation, const QString &, QString *error)
{
    const auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (!m_replace) {
        if (const QStringList there = existingPages(m_folder, m_pageCount); !there.isEmpty())
            return fail(QStringLiteral("Folderul %1 contine deja imagini ale paginilor (%2...).").arg(m_shown, there.first()));
    }
    if (canvas(true).isNull())
        return fail(tooLarge(imageSize()));

    // What killed writes left beside the page files, swept once for the whole folder.
    static const QRegularExpression leftover(QStringLiteral("^\\.(\\d{4,18}\\.png)\\.formulix-[A-Za-z0-9]{6}$"));
    for (const QString &name : QDir(m_folder).entryList({QStringLiteral(".*.png.formulix-*")}, QDir::Files | QDir::Hidden)) {
        if (const QRegularExpressionMatch match = leftover.match(name); match.hasMatch())
            removeStaleTemporaries(QDir(m_folder).filePath(match.captured(1)));
    }
    // The first page's file made and dropped: a folder that is missing or may not be written is
    // told before any page is drawn.
    OutputFile probe;
    probe.skipStaleSweep();
    QString reason;
    if (!probe.open(pagePath(1), m_replace, &reason))
        return fail(QStringLiteral("Fisierul %1 nu poate fi scris: %2.").arg(QDir::toNativeSeparators(pagePath(1)), reason));
    probe.discard();
    m_pages = 0;
    m_started = true;
    return true;
}

bool PngSink::addPage(const PageContent &content, QSizeF pageMm, double offsetLeft, double offsetUp,
                      const Picture *form, QString *error)
{
    if (!m_started)
        return false;
    const QString path = pagePath(m_pages + 1);
    const QString shown = QDir::toNativeSeparators(path);
    const bool grey = (!form || form->isNull())
        && std::all_of(content.texts.begin(), content.texts.end(), [](const PrintedText &text) {
               return text.color.red() == text.color.green() && text.color.green() == text.color.blue();
           });
    QImage &image = canvas(grey);
    if (image.isNull()) {
        if (error)
            *error = tooLarge(imageSize());
        return false;
    }
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        // The painter's origin at the printable area's corner, as on the PDF's page.
        painter.translate(m_paper.printableMm.topLeft() * pixelsPerMm());
        renderPage(painter, pixelsPerMm(), {pageMm, m_paper.printableMm, offsetLeft, offsetUp}, content, form, correctionMm());
    }
    OutputFile file;
    file.skipStaleSweep();
    QString reason;
    if (!file.open(path, m_replace, &reason)) {
        if (error)
            *error = QStringLiteral("Fisierul %1 nu poate fi scris: %2.").arg(shown, reason);
        return false;
    }
    QImageWriter writer(&file, "png");
    if (!writer.write(image) || file.failure() != 0) {
        if (error)
            *error = QStringLiteral("Fisierul %1 nu a putut fi scris: %2.").arg(shown, systemReason(file.failure(), writer.errorString()));
        file.discard();
        return false;
    }
    if (!file.commit(&reason)) {
        if (error)
            *error = QStringLiteral("Fisierul %1 nu a putut fi scris: %2.").arg(shown, reason);
        return false;
    }
    ++m_pages;
    return true;
}

bool PngSink::finish(QString *)
{
    // Each page took its name when it was whole: nothing is left to do.
    const bool started = m_started;
    m_started = false;
    return started;
}

bool PngSink::cancel(QString *)
{
    m_started = false;
    return true;
}

} // namespace formulix
