#include "gui/print/frmPozitie.h"

#include "core/layout/Module1.h"
#include "widgets/ActivationTracker.h"
#include "widgets/Controls.h"
#include "widgets/Units.h"

#include <QApplication>
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

namespace formulix {

namespace {

template <typename W>
W *place(W *widget, double l, double t, double w, double h, double points = 0)
{
    if (points > 0) {
        QFont font = QApplication::font();
        font.setPointSizeF(points);
        widget->setFont(font);
    }
    setTwipsGeometry(widget, l, t, w, h);
    return widget;
}

} // namespace

frmPozitie::frmPozitie(Module1 &model) : QWidget(nullptr, Qt::Window), m(model)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Seteaza pozitie"));
    const double dpi = logicalDpi(this);
    resize(twipsToPixels(6285, dpi), twipsToPixels(3495, dpi));

    Text1 = place(new QLineEdit(QStringLiteral("3"), this), 2940, 390, 495, 495);
    Label1 = place(new QLabel(QStringLiteral("Deplaseaza la stanga"), this), 540, 360, 2325, 525, 12);
    Text2 = place(new QLineEdit(QStringLiteral("3"), this), 2940, 1110, 495, 495);
    Label2 = place(new QLabel(QStringLiteral("Deplaseaza in sus"), this), 540, 1090, 2325, 525, 12);
    Option1 = place(new QRadioButton(QStringLiteral("Landscape"), this), 540, 1800, 2325, 525, 12);
    Option2 = place(new QRadioButton(QStringLiteral("Portrait"), this), 540, 2550, 2325, 525, 12);
    Command1 = place(new QPushButton(QStringLiteral("Ok"), this), 4590, 930, 1125, 735);
    setButtonColor(Command1, QColor(0, 128, 0)); // &H00008000
    fitCaption(Label1);
    fitCaption(Label2);
    m_orientation = new QButtonGroup(this);
    m_orientation->addButton(Option1);
    m_orientation->addButton(Option2);
    setTabOrder(Text1, Text2);
    setTabOrder(Text2, Option1);
    setTabOrder(Option1, Option2);
    setTabOrder(Option2, Command1);

    connect(Command1, &QPushButton::clicked, this, &frmPozitie::Command1_Click);
    giveDialogKeys(this, Command1);
    ActivationTracker::registerWindow(this);
    connect(&ActivationTracker::instance(), &ActivationTracker::activated, this, [this](QWidget *window) {
        if (window == this)
            Form_Activate();
    });
    if (QScreen *screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    Form_Load();
}

void frmPozitie::setOrientationButtons(bool landscape, bool portrait)
{
    // An orientation other than the two leaves both buttons clear.
    m_orientation->setExclusive(false);
    Option1->setChecked(landscape);
    Option2->setChecked(portrait);
    m_orientation->setExclusive(true);
}

void frmPozitie::Form_Load()
{
    setOrientationButtons(true, false);
}

void frmPozitie::Form_Activate()
{
    // What was typed and not confirmed gives way to the stored values.
    Text1->setText(QString::number(m.PozStanga));
    Text2->setText(QString::number(m.PozSus));
    setOrientationButtons(m.Orientare == 1, m.Orientare == 2);
}

void frmPozitie::Command1_Click()
{
    emit aboutToStore();
    // An entry that is not a number within range leaves its offset as it was.
    if (const std::optional<qint16> left = toInt16(Text1->text()))
        m.PozStanga = *left;
    if (const std::optional<qint16> up = toInt16(Text2->text()))
        m.PozSus = *up;
    m.Orientare = Option1->isChecked() ? 1 : 2;
    emit stored();
    close();
}

} // namespace formulix
