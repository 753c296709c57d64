#include "core/page/PageLoop.h"

#include <QElapsedTimer>

namespace formulix {

namespace {

qint64 &cancelPages()
{
    static qint64 pages = -1;
    return pages;
}

std::function<void(qint64)> &afterPageCall()
{
    static std::function<void(qint64)> call;
    return call;
}

} // namespace

void JobSeam::setCancelAfter(qint64 pages)
{
    cancelPages() = pages;
}

qint64 JobSeam::cancelAfter()
{
    return cancelPages();
}

void JobSeam::setAfterPage(std::function<void(qint64)> call)
{
    afterPageCall() = std::move(call);
}

void JobSeam::afterPage(qint64 pagesDone)
{
    if (afterPageCall())
        afterPageCall()(pagesDone);
}

PageLoopResult runPages(RecordPages &pages, PageSink &sink, const PageLoopOptions &options,
                        const PageLoopCallbacks &callbacks)
{
    PageLoopResult result;
    pages.setOnePass(true);
    if (!sink.begin(options.orientation, options.documentName, &result.error))
        return result;
    // The calibration sheet is drawn for the paper it goes on.
    pages.setSheet({{sink.paperMm(), sink.printableMm()}, sink.profileOwner(), !sink.profile().isIdentity(),
                    sink.profile().onPage(sink.paperMm())});
    const qint64 total = pages.pageCount();
    const auto stopped = [&](PageLoopResult::End end, qint64 page) {
        QString ignored;
        sink.cancel(&ignored);
        result.end = end;
        result.record = pages.recordOf(page);
        return result;
    };
    QElapsedTimer sinceShown;
    PageContent content;
    for (qint64 page = 0; page < total; ++page) {
        if (page == 0 || sinceShown.hasExpired(100)) {
            sinceShown.start();
            if (callbacks.progress)
                callbacks.progress(page);
        }
        if ((callbacks.cancelRequested && callbacks.cancelRequested())
            || (JobSeam::cancelAfter() >= 0 && page >= JobSeam::cancelAfter())) {
            result.end = PageLoopResult::Cancelled;
            break;
        }
        if (!pages.page(page, &content, &result.error))
            return stopped(PageLoopResult::RecordUnread, page);
        if (!sink.addPage(content, options.pageMm, options.offsetLeft, options.offsetUp, options.form, &result.error))
            return stopped(PageLoopResult::PageRefused, page);
        JobSeam::afterPage(page + 1);
    }
    if (callbacks.progress)
        callbacks.progress(total);
    if (result.end == PageLoopResult::Cancelled) {
        result.ok = sink.cancel(&result.error);
    } else {
        result.end = PageLoopResult::Finished;
        result.ok = sink.finish(&result.error);
    }
    return result;
}

} // namespace formulix
