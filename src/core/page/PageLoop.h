#pragma once
// The one loop that sends a job's pages to a sink, for the window and the command line alike:
// each chosen record's page, composed as it is asked for, handed to the sink, the sink begun
// before and finished (or cancelled) after.

#include "core/page/PageSink.h"
#include "core/page/RecordPages.h"

#include <functional>

namespace formulix {

namespace JobSeam {
// Tests: a job stops as if "Anulare" were pressed once this many pages went out; -1 never.
void setCancelAfter(qint64 pages);
qint64 cancelAfter();
// Tests: called with the count of pages done after each page of a job, as if something else
// happened meanwhile (a table rewritten); empty for none.
void setAfterPage(std::function<void(qint64)> call);
void afterPage(qint64 pagesDone);
} // namespace JobSeam

struct PageLoopOptions
{
    PageOrientation orientation = PageOrientation::Unchanged;
    QString documentName;
    QSizeF pageMm; // the page image
    double offsetLeft = 0;
    double offsetUp = 0;
    const Picture *form = nullptr; // drawn beneath the texts, for proofs
};

struct PageLoopCallbacks
{
    // With the pages done so far: before the first page, a few times a second while pages go
    // out (not at every page: a progress box laid out again costs as much as a page), and with
    // the page count once all went out, before the sink is finished.
    std::function<void(qint64 pagesDone)> progress;
    // Asked before each page; true stops the job as "Anulare" does.
    std::function<bool()> cancelRequested;
};

struct PageLoopResult
{
    enum End {
        NotBegun,     // the sink did not begin: nothing was written
        RecordUnread, // a page's record could not be read; the sink was cancelled
        PageRefused,  // the sink could not take a page; it was cancelled
        Cancelled,    // stopped on request; the sink was cancelled
        Finished,     // every page went to the sink, which was then finished
    };
    End end = NotBegun;
    // Cancelled: the sink cancelled cleanly; Finished: it finished. Otherwise false.
    bool ok = false;
    QString error;     // why not ok, in Romanian
    qint64 record = 0; // RecordUnread, PageRefused: the record the page shows (0: the layout alone)
};

// The pages of `pages` (opened, read once in order) into `sink`, begun here.
PageLoopResult runPages(RecordPages &pages, PageSink &sink, const PageLoopOptions &options,
                        const PageLoopCallbacks &callbacks = {});

} // namespace formulix
