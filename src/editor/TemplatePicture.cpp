// "Incarca Macheta": the scanned blank form, shown at its real size as a guide.

#include "app/Application.h"
#include "app/frmEcranPrincipal.h"
#include "platform/PictureLoader.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

namespace formulix {

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
    const std::optional<Picture> picture =
        loadPicture(fileName, Picture1->pixelsPerMm() * Picture1->devicePixelRatioF(), &error, page);
    if (!picture) {
        MessageBox::information(this, applicationTitle(), error);
        return;
    }
    Picture1->setPicture(*picture);
    Picture2->setPicture(*picture);
    m_templateFile = fileName;
    MachetaIncarcata = true;
    PermiteMeniuri = true;
    mnuDefCampGen->setEnabled(PermiteMeniuri);
    mnuIncarcaBaza->setEnabled(PermiteMeniuri);
    mnuFile->setEnabled(true);
    scaleTemplateAction->setEnabled(true);
    m_pickingScale = false; // points picked on the old template mean nothing on this one
}

} // namespace formulix
