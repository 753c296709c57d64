#pragma once
// A job's pages as PNG images, one file a page in a folder, named by the page's number from 1
// with at least four digits ("0001.png", "0002.png"...; "00001.png"... for a job of 10,000 pages
// or more), so that the names sort in page order. Each image is the whole paper at the chosen
// resolution, white, with the texts where the PDF export puts them: the caller gives the same
// paper and printable area (PageJob::pdfPaper), and the image records its resolution. A page
// of black texts is written in shades of grey, one over a form in colour.

#include "core/page/PageSink.h"

#include <QImage>
#include <QStringList>

namespace formulix {

class PngSink final : public PageSink
{
public:
    static constexpr int DefaultDpi = 300;
    static constexpr int MinDpi = 72;
    static constexpr int MaxDpi = 1200;

    // `pageCount` pages into `folder`, on `paper` (turned as the job's orientation turns it) at
    // `dpi`. Page files already there are replaced, read-only ones too, only when `replace`:
    // otherwise the job does not begin.
    PngSink(const QString &folder, qint64 pageCount, const PaperArea &paper, int dpi = DefaultDpi,
            bool replace = false);

    // The name of page `page` (from 1) of a job of `pageCount` pages.
    static QString pageName(qint64 page, qint64 pageCount);
    // The names of a job's page files already in `folder`, in page order.
    static QStringList existingPages(const QString &folder, qint64 pageCount);
    // "0001.png" or "0001.png - 0012.png": the names of the first `pages` pages, for messages.
    static QString pageSpan(qint64 pages, qint64 pageCount);

    // Every page is written whole under its name or not at all; a failed page leaves the file
    // of that name as it was.
    bool begin(PageOrientation orientation, const QString &documentName, QString *error) override;
    QString destination() const override { return m_shown; }
    QSizeF paperMm() const override { return m_paper.paperMm; }
    QRectF printableMm() const override { return m_paper.printableMm; }
    double pixelsPerMm() const override;
    bool addPage(const PageContent &content, QSizeF pageMm, double offsetLeft, double offsetUp,
                 const Picture *form, QString *error) override;
    int pagesDone() const override { return m_pages; }
    bool finish(QString *error) override;
    // The pages done stay in the folder, each whole; no file of the user's is removed.
    bool cancel(QString *error) override;

    int dpi() const { return m_dpi; }
    QSize imageSize() const;

private:
    QString pagePath(qint64 page) const;

    QString m_folder;
    QString m_shown;
    qint64 m_pageCount;
    PaperArea m_paper;
    int m_dpi;
    bool m_replace;
    bool m_started = false;
    int m_pages = 0;
    // The image a page is drawn on, made once for the job: grey when the page is black and white
    // (its texts alone; a third of the writing time and half the file), in colour under a form.
    // Null when it does not fit in memory.
    QImage &canvas(bool grey);

    QImage m_grey;  // 9 MB at 300 dpi
    QImage m_color; // 35 MB
};

} // namespace formulix
