#pragma once
// Where a job's pages go: a printer, a PDF file, a folder of images. The page loop (PageLoop.h)
// walks the records and hands each page to a sink; the sink owns what its output needs to stay
// safe: a file takes its final name only once it is whole, so a job that fails or is stopped
// leaves no half-written file under a name the user knows.

#include "core/page/PageRenderer.h"
#include "core/page/PrinterProfile.h"

#include <QRectF>
#include <QSizeF>
#include <QString>

namespace formulix {

// The paper a job's pages are drawn for and the part of it the printer prints, in millimetres
// from the paper's top-left corner.
struct PaperArea
{
    QSizeF paperMm;
    QRectF printableMm;
};

class PageSink
{
public:
    virtual ~PageSink() = default;

    // Starts the job; false with a Romanian reason, and then nothing was written.
    virtual bool begin(PageOrientation orientation, const QString &documentName, QString *error) = 0;
    // What the messages name: the printer, the file or the folder.
    virtual QString destination() const = 0;
    // Once begun: the paper, its printable area, and the device's dots per millimetre.
    virtual QSizeF paperMm() const = 0;
    virtual QRectF printableMm() const = 0;
    virtual double pixelsPerMm() const = 0;

    // One page of a page image of `pageMm`, placed and cut as PageGeometry says; `form`, when
    // given, beneath it. False with the reason naming the file or the printer.
    virtual bool addPage(const PageContent &content, QSizeF pageMm, double offsetLeft, double offsetUp,
                         const Picture *form, QString *error) = 0;
    virtual int pagesDone() const = 0;
    // Ends the job: every page goes out; false with the reason.
    virtual bool finish(QString *error) = 0;
    // Stops the job; what each sink keeps of the pages done is said by it.
    virtual bool cancel(QString *error) = 0;
    // After finish(): what the user should know although the job went out; empty when nothing.
    virtual QString notice() const { return QString(); }

    // Whose profile corrects the pages: the printer's name, or empty for files (PDF and PNG).
    virtual QString profileOwner() const { return QString(); }
    // The printer's correction drawn into every page from now on; none at first.
    void setProfile(const PrinterProfile &profile) { m_profile = profile; }
    const PrinterProfile &profile() const { return m_profile; }

protected:
    // Once begun: the profile's correction on this sink's paper.
    QTransform correctionMm() const { return m_profile.correction(paperMm()); }

private:
    PrinterProfile m_profile;
};

} // namespace formulix
