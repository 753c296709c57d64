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
    CommonDialog1.prepare(QStringLiteral("(jpeg, bmp)|*.jpg; *.bmp"));
    CommonDialog1.ShowOpen(this);
    const QString fileName = CommonDialog1.FileName;
    if (fileName.isEmpty())
        return;

    // A file that is not a whole picture of a sane size changes nothing, and says why.
    QString error;
    const std::optional<Picture> picture =
        loadPicture(fileName, Picture1->pixelsPerMm() * Picture1->devicePixelRatioF(), &error);
    if (!picture) {
        MessageBox::information(this, applicationTitle(), error);
        return;
    }
    Picture1->setPicture(*picture);
    Picture2->setPicture(*picture);
    MachetaIncarcata = true;
    PermiteMeniuri = true;
    mnuDefCampGen->setEnabled(PermiteMeniuri);
    mnuIncarcaBaza->setEnabled(PermiteMeniuri);
    mnuFile->setEnabled(true);
}

} // namespace formulix
