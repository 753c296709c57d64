#include "gui/editor/frmMutaCamp.h"

#include "gui/app/frmEcranPrincipal.h"
#include "widgets/ActivationTracker.h"
#include "widgets/Controls.h"
#include "widgets/Units.h"

#include <QAction>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace formulix {

namespace {

// A black arrow on blue, pointing along (dx, dy).
QPixmap arrowPicture(QSize size, int dx, int dy)
{
    QPixmap pixmap(size);
    pixmap.fill(QColor(0, 0, 255));
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.translate(size.width() / 2.0, size.height() / 2.0);
    painter.rotate(dx > 0 ? 0 : dx < 0 ? 180 : dy > 0 ? 90 : -90);
    const double half = (dx != 0 ? size.width() : size.height()) / 2.0 - 4;
    const double thick = (dx != 0 ? size.height() : size.width()) / 2.0 - 4;
    const QPointF arrow[] = {{-half, -thick / 3}, {half / 4, -thick / 3}, {half / 4, -thick}, {half, 0},
                             {half / 4, thick},   {half / 4, thick / 3},  {-half, thick / 3}};
    painter.drawPolygon(arrow, 7);
    return pixmap;
}

QPushButton *arrowButton(QWidget *parent, double l, double t, double w, double h, QSize picture, int dx, int dy)
{
    auto *button = new QPushButton(parent);
    setTwipsGeometry(button, l, t, w, h);
    button->setIcon(QIcon(arrowPicture(picture, dx, dy)));
    button->setIconSize(picture);
    return button;
}

} // namespace

// No check of the selection: "Ok" copes with none.
void frmEcranPrincipal::mnuCorecteazaPoz_Click()
{
    showWindow(m_frmMutaCamp, [this] { return new frmMutaCamp(*this); });
}

frmMutaCamp::frmMutaCamp(frmEcranPrincipal &main) : QWidget(nullptr, Qt::Window), m_main(main)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Muta Camp"));
    ActivationTracker::registerWindow(this);
    const double dpi = logicalDpi(this);
    resize(twipsToPixels(5190, dpi), twipsToPixels(4065, dpi));

    Command2 = arrowButton(this, 2310, 60, 615, 1215, QSize(44, 78), 0, -1);
    Command1 = arrowButton(this, 120, 1770, 1185, 495, QSize(78, 44), -1, 0);
    Command3 = arrowButton(this, 3870, 1770, 1215, 495, QSize(78, 44), 1, 0);
    Command4 = arrowButton(this, 2220, 2820, 645, 1185, QSize(44, 78), 0, 1);
    Command5 = new QPushButton(QStringLiteral("Ok"), this);
    setTwipsGeometry(Command5, 2010, 1740, 1155, 585);
    setButtonColor(Command5, QColor(0x80, 0x80, 0x00)); // &H00008080

    connect(Command1, &QPushButton::clicked, this, &frmMutaCamp::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmMutaCamp::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmMutaCamp::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &frmMutaCamp::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &frmMutaCamp::Command5_Click);

    if (QScreen *screen = main.screen())
        move(screen->availableGeometry().center() - rect().center());
}

void frmMutaCamp::moveMarker(double dxMm, double dyMm)
{
    // No bounds: the marker may go past any edge of the canvas.
    QLabel *marker = m_main.Label8;
    mm::move(marker, mm::left(marker) + dxMm, mm::top(marker) + dyMm);
}

void frmMutaCamp::Command1_Click()
{
    moveMarker(-1.0, 0);
}

void frmMutaCamp::Command2_Click()
{
    moveMarker(0, -1.0);
}

void frmMutaCamp::Command3_Click()
{
    moveMarker(1.0, 0);
}

void frmMutaCamp::Command4_Click()
{
    moveMarker(0, 1.0);
}

void frmMutaCamp::Command5_Click()
{
    const frmEcranPrincipal::PendingEdit edit = m_main.beginEdit();
    // With nothing selected (or a field no longer in use) no field changes.
    if (Camp *camp = m_main.m.campSelectat()) {
        // The marker covers the field as drawn: a right or centred one's point lies off its left.
        const QPointF drawn = frmEcranPrincipal::fieldRect(*camp, m_main.m.CampSelectat.EsteGeneral).topLeft();
        const double x = roundHalfEven(mm::left(m_main.Label8) - (drawn.x() - camp->X));
        const double y = roundHalfEven(mm::top(m_main.Label8) - (drawn.y() - camp->Y));
        if (x >= -32768 && x <= 32767 && y >= -32768 && y <= 32767) {
            camp->X = qint16(x);
            camp->Y = qint16(y);
        }
    }
    m_main.Label8->hide();
    m_main.mnuCorecteazaPoz->setEnabled(false);
    m_main.RedeseneazaCampuri();
    m_main.recordEdit(edit, QStringLiteral("Corecteaza Pozitie"));
    close();
}

} // namespace formulix
