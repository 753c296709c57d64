#pragma once
// A form handed out as a PDF: one of its pages as the template, at its exact page size, drawn
// no finer than the screen needs and within the pixel budget.

#include "core/pictures/Picture.h"

#include <QByteArray>
#include <QString>
#include <chrono>
#include <optional>

namespace formulix {

bool isPdf(const QByteArray &data);
// How many pages the document has; -1, with a Romanian message naming the file, when it cannot
// be read (damaged, or locked with a password).
int pdfPageCount(const QByteArray &data, const QString &name, QString *error);
// Page `page` (from 0) rendered for `pixelsPerMm` device pixels per millimetre.
// A page is drawn in a child process of ours, stopped past `time`, and refused memory past
// `memoryBytes` more than it starts with: poppler cannot be stopped inside one drawing operation,
// and one operation (an image drawn far larger than the page, a picture claiming enormous
// dimensions) can ask for gigabytes. Nothing of a page given up reaches the program.
std::optional<Picture> renderPdfTemplate(const QByteArray &data, int page, const QString &name, double pixelsPerMm,
                                         QString *error);

struct PdfRenderBounds
{
    std::chrono::milliseconds time{20000};
    qint64 memoryBytes = 1LL << 30;
};
PdfRenderBounds pdfRenderBounds();
void setPdfRenderBounds(const PdfRenderBounds &bounds);

// How a thread waits for the page it asked for. Without one it blocks until the page is drawn or
// its time is up; the window makes one for each load, which keeps it responsive and offers
// "Anulare". One serves the loads of the thread that made it, while it lives.
class PdfRenderWait
{
public:
    enum class End { Drawn, Cancelled, TimedOut };
    PdfRenderWait();
    virtual ~PdfRenderWait();
    PdfRenderWait(const PdfRenderWait &) = delete;
    PdfRenderWait &operator=(const PdfRenderWait &) = delete;
    // Drawn once `ready` (a descriptor) can be read, which it can when the drawing has ended;
    // TimedOut when `limit` passes first.
    virtual End wait(int ready, std::chrono::milliseconds limit) = 0;

private:
    PdfRenderWait *m_outer;
};

} // namespace formulix
