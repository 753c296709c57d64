// "Corecteaza Scara Machetei": a scan not made at 100 % is brought to its real size from one
// distance the user knows (measured with a ruler on the paper form). The fields keep their
// millimetre positions: only the guide beneath them changes.

#include "gui/app/Application.h"
#include "gui/app/frmEcranPrincipal.h"
#include "widgets/Dialogs.h"
#include "core/pictures/PictureLoader.h"
#include "core/page/Calibration.h"
#include "core/text/Millimetres.h"

#include <cmath>

namespace formulix {

void frmEcranPrincipal::correctTemplateScale()
{
    if (!MachetaIncarcata)
        return;
    m_scalePoints.clear();
    m_pickingScale = true;
    MessageBox::information(this, applicationTitle(),
                            QStringLiteral("Faceti clic pe macheta pe doua puncte a caror distanta reala o cunoasteti "
                                           "(de exemplu capetele unei linii masurate cu rigla pe formular)."));
}

bool frmEcranPrincipal::takeScalePoint(int button, QPointF mm)
{
    if (!m_pickingScale)
        return false;
    if (button != 1) { // any other button gives up
        m_pickingScale = false;
        return true;
    }
    m_scalePoints.append(mm);
    if (m_scalePoints.size() < 2)
        return true;
    m_pickingScale = false;
    const QPointF span = m_scalePoints.at(1) - m_scalePoints.at(0);
    const double measured = std::hypot(span.x(), span.y());
    if (measured < 1) {
        MessageBox::information(this, applicationTitle(),
                                QStringLiteral("Cele doua puncte sunt acelasi punct; alegeti doua puncte departate."));
        return true;
    }
    const QString typed = InputBox::ask(
        this,
        QStringLiteral("Distanta reala dintre cele doua puncte, in milimetri (pe macheta: %1 mm):").arg(millimetres(measured)),
        applicationTitle());
    if (typed.isEmpty())
        return true;
    const std::optional<double> real = parseMillimetres(typed);
    if (!real || *real <= 0) {
        MessageBox::information(this, applicationTitle(),
                                QStringLiteral("Distanta trebuie sa fie un numar de milimetri mai mare decat zero."));
        return true;
    }
    Picture picture = Picture1->picture();
    picture.sizeMm *= *real / measured;
    if (picture.sizeMm.width() < MinTemplateSideMm || picture.sizeMm.height() < MinTemplateSideMm
        || picture.sizeMm.width() > MaxTemplateSideMm || picture.sizeMm.height() > MaxTemplateSideMm) {
        MessageBox::information(this, applicationTitle(),
                                QStringLiteral("Macheta ar masura %1 x %2 mm; verificati distanta scrisa.")
                                    .arg(millimetres(picture.sizeMm.width()), millimetres(picture.sizeMm.height())));
        return true;
    }
    Picture1->setPicture(picture);
    Picture2->setPicture(picture);
    m.templ.scale *= *real / measured; // kept with the schema, for the next opening and the command line
    RedeseneazaCampuri();
    return true;
}

} // namespace formulix
