// "Incarca Macheta": the scanned blank form, shown at its real size as a guide.

#include "gui/app/Application.h"
#include "gui/app/frmEcranPrincipal.h"
#include "core/pictures/PdfTemplate.h"
#include "core/pictures/PictureLoader.h"
#include "core/text/TextRules.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QMenu>
#include <QProgressDialog>
#include <QSocketNotifier>
#include <QTimer>

namespace formulix {

namespace {

// While a page of a PDF form is drawn the window stays alive; past half a second it says what it
// is doing and offers "Anulare". Until then the user's clicks wait, as behind a dialog.
class TemplateProgress final : public PdfRenderWait
{
public:
    TemplateProgress(QWidget *window, const QString &name) : m_window(window), m_name(name) {}

    // The load was cancelled or ran out of time: nothing was changed.
    bool stopped() const { return m_end != End::Drawn; }

    End wait(int ready, std::chrono::milliseconds limit) override
    {
        QEventLoop loop;
        bool over = false;
        const auto finish = [&](End end) {
            m_end = end;
            over = true;
            loop.quit();
        };
        QSocketNotifier drawn(ready, QSocketNotifier::Read);
        QObject::connect(&drawn, &QSocketNotifier::activated, &loop, [&] { finish(End::Drawn); });
        QTimer deadline;
        deadline.setSingleShot(true);
        deadline.setTimerType(Qt::PreciseTimer);
        QObject::connect(&deadline, &QTimer::timeout, &loop, [&] { finish(End::TimedOut); });
        deadline.start(limit);
        QTimer::singleShot(500, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        if (over)
            return m_end;
        QProgressDialog progress(m_window);
        progress.setWindowTitle(applicationTitle());
        progress.setLabelText(QStringLiteral("Se deseneaza macheta %1. Daca dureaza mai mult de %2, incarcarea se "
                                             "opreste singura.")
                                  .arg(m_name, countOf(std::chrono::ceil<std::chrono::seconds>(limit).count(),
                                                       QStringLiteral("secunda"), QStringLiteral("secunde"))));
        progress.setCancelButtonText(QStringLiteral("Anulare"));
        progress.setRange(0, 0);
        progress.setAutoClose(false);
        progress.setAutoReset(false);
        progress.setWindowModality(Qt::WindowModal);
        QObject::connect(&progress, &QProgressDialog::canceled, &loop, [&] { finish(End::Cancelled); });
        progress.show();
        loop.exec();
        return m_end;
    }

private:
    QWidget *m_window;
    QString m_name;
    End m_end = End::Drawn;
};

} // namespace

void frmEcranPrincipal::mnuIncarcaMacheta_Click()
{
    // The caption as it always was; the patterns take forms handed out as PDF too.
    CommonDialog1.prepare(QStringLiteral("(jpeg, bmp)|*.jpg; *.bmp; *.jpeg; *.png; *.tif; *.tiff; *.pdf"));
    CommonDialog1.ShowOpen(this);
    const QString fileName = CommonDialog1.FileName;
    if (fileName.isEmpty())
        return;

    // A file that is not a whole picture of a sane size changes nothing, and says why.
    QString error;
    const int pages = templatePageCount(fileName, &error);
    if (pages < 0) {
        MessageBox::information(this, applicationTitle(), error);
        return;
    }
    int page = 0;
    if (pages > 1) {
        QStringList items;
        for (int i = 1; i <= pages; ++i)
            items.append(QStringLiteral("Pagina %1 din %2").arg(i).arg(pages));
        const std::optional<int> chosen = InputBox::choose(
            this, QStringLiteral("Alegeti pagina care este macheta:"), applicationTitle(), items);
        if (!chosen || *chosen < 0)
            return;
        page = *chosen;
    }
    loadTemplateFile(fileName, page, 1.0);
}

bool frmEcranPrincipal::loadTemplateFile(const QString &fileName, int page, double scale)
{
    QString error;
    TemplateProgress progress(this, QDir::toNativeSeparators(fileName));
    std::optional<Picture> picture =
        loadPicture(fileName, Picture1->pixelsPerMm() * Picture1->devicePixelRatioF(), &error, page);
    if (!picture) {
        if (progress.stopped())
            error += MachetaIncarcata ? QStringLiteral(" Macheta de pana acum si campurile au ramas neschimbate.")
                                      : QStringLiteral(" Campurile au ramas neschimbate.");
        MessageBox::information(this, applicationTitle(), error);
        return false;
    }
    // The scale a schema remembers, unless it would make the template absurd (a file edited by hand).
    const QSizeF scaled = picture->sizeMm * scale;
    if (scale > 0 && qMin(scaled.width(), scaled.height()) >= MinTemplateSideMm
        && qMax(scaled.width(), scaled.height()) <= MaxTemplateSideMm)
        picture->sizeMm = scaled;
    else
        scale = 1.0;
    Picture1->setPicture(*picture);
    Picture2->setPicture(*picture);
    m_templateFile = fileName;
    m.templ = {QFileInfo(fileName).absoluteFilePath(), page, scale};
    MachetaIncarcata = true;
    PermiteMeniuri = true;
    mnuDefCampGen->setEnabled(PermiteMeniuri);
    mnuIncarcaBaza->setEnabled(PermiteMeniuri);
    mnuFile->setEnabled(true);
    scaleTemplateAction->setEnabled(true);
    m_pickingScale = false; // points picked on the old template mean nothing on this one
    return true;
}

} // namespace formulix
