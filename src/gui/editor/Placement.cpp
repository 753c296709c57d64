// The mouse on the canvas: a press places an armed field, a right-button release selects the
// field under the pointer.

#include "gui/app/Application.h"
#include "gui/app/frmEcranPrincipal.h"
#include "widgets/Dialogs.h"
#include "core/page/FieldText.h"
#include "widgets/Units.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <cmath>
#include <limits>

namespace formulix {

namespace {

std::optional<qint16> roundedMm(float value)
{
    const double rounded = roundHalfEven(value);
    if (!(rounded >= std::numeric_limits<qint16>::min() && rounded <= std::numeric_limits<qint16>::max()))
        return std::nullopt;
    return qint16(rounded);
}

// The size a text box asks for, as the canvas's font takes it (a fraction included).
double typedFontSize(const QString &text)
{
    bool ok = false;
    const double size = QLocale().toDouble(text.trimmed(), &ok);
    return ok ? size : 0;
}

} // namespace

void frmEcranPrincipal::Picture1_MouseDown(int Button, int, float X, float Y)
{
    if (takeScalePoint(Button, QPointF(X, Y))) // "Corecteaza Scara Machetei" is picking its points
        return;
    if (takeBoxPoint(Button, QPointF(X, Y))) // "Campuri pe casute" is picking its two boxes
        return;
    // With no placement armed, a left press on a field may become a drag.
    if (Button == LeftButton && !AsteaptaCampGen && !AsteaptaCampBD && beginDragAt(QPointF(X, Y)))
        return;
    // Every number is checked before anything changes; a text that is not a whole number of
    // the member's range leaves the placement armed.
    const bool general = Frame1->isVisible();
    const bool database = Frame2->isVisible();
    if (general && !toInt16(Text2->text()))
        return;
    if (database
        && (!toInt16(Text3->text()) || (!Text4->text().isEmpty() && !toInt16(Text4->text()))
            || (!Text5->text().isEmpty() && !toInt16(Text5->text()))))
        return;
    if (general && !AsteaptaCampGen)
        return;
    if (database && !AsteaptaCampBD)
        return;
    const std::optional<qint16> x = roundedMm(X), y = roundedMm(Y);
    if (!x || !y)
        return;

    if (general) {
        const std::optional<quint8> fontSize = toByte(Text2->text());
        if (!fontSize)
            return;
        if (m.NrCampuriGen >= Module1::MaxCampuriGen) {
            MessageBox::information(this, applicationTitle(),
                                    QStringLiteral("Nu se pot defini mai mult de %1 campuri generale.")
                                        .arg(Module1::MaxCampuriGen));
            // The refused placement is over: left armed, "Terminat" could never close the panel.
            AsteaptaCampGen = false;
            setMousePointer(this, MousePointer::Arrow);
            return;
        }
        const PendingEdit edit = beginEdit();
        m.NrCampuriGen += 1;
        Camp &camp = *m.CampuriGen.at(m.NrCampuriGen);
        camp.Text = Text1->text();
        camp.X = *x;
        camp.Y = *y;
        camp.MarimeFont = *fontSize;
        // The first drawing is at the exact point with the whole typed text; a redraw later
        // uses the stored, rounded field.
        Picture1->setCurrentX(X);
        Picture1->setCurrentY(Y);
        Picture1->setFontSize(typedFontSize(Text2->text()));
        Picture1->printText(Text1->text());
        recordEdit(edit, QStringLiteral("Creaza Camp"));
        AsteaptaCampGen = false;
        setMousePointer(this, MousePointer::Arrow);
    }

    if (database) {
        const std::optional<quint8> fontSize = toByte(Text3->text());
        const std::optional<quint8> rangMin = Text4->text().isEmpty() ? quint8(0) : toByte(Text4->text());
        const std::optional<quint8> rangMax = Text5->text().isEmpty() ? quint8(0) : toByte(Text5->text());
        if (!fontSize || !rangMin || !rangMax)
            return;
        if (m.NrCampuriBD >= Module1::MaxCampuriBD) {
            MessageBox::information(this, applicationTitle(),
                                    QStringLiteral("Nu se pot defini mai mult de %1 campuri din baza de date.")
                                        .arg(Module1::MaxCampuriBD));
            AsteaptaCampBD = false;
            setMousePointer(this, MousePointer::Arrow);
            return;
        }
        const QString column = List2->currentItem() ? List2->currentItem()->text() : QString();
        const PendingEdit edit = beginEdit();
        m.NrCampuriBD += 1;
        Camp &camp = *m.CampuriBD.at(m.NrCampuriBD);
        camp.X = *x;
        camp.Y = *y;
        camp.MarimeFont = *fontSize;
        camp.RangMin = *rangMin;
        camp.RangMax = *rangMax;
        setColumn(camp, column);
        Picture1->setCurrentX(X);
        Picture1->setCurrentY(Y);
        Picture1->setFontSize(typedFontSize(Text3->text()));
        const bool ranged = !Text4->text().isEmpty() && !Text5->text().isEmpty();
        Picture1->printText(ranged ? camp.NumeCamp.raw().left(1) : column);
        recordEdit(edit, QStringLiteral("Camp din baza de date"));
        AsteaptaCampBD = false;
        setMousePointer(this, MousePointer::Arrow);
    }
}

void frmEcranPrincipal::Picture1_MouseUp(int Button, int, float X, float Y)
{
    if (Button == LeftButton && m_drag.pressed) {
        finishDrag(QPointF(X, Y));
        return;
    }
    if (Button != RightButton)
        return;
    const double xs = std::floor(X), ys = std::floor(Y);
    if (!(xs >= std::numeric_limits<qint16>::min() && xs <= std::numeric_limits<qint16>::max()
          && ys >= std::numeric_limits<qint16>::min() && ys <= std::numeric_limits<qint16>::max()))
        return;
    m.CampSelectat = SelecteazaCamp(qint16(xs), qint16(ys));
}

void frmEcranPrincipal::clearSelection()
{
    Label8->hide();
    Command7->hide();
    Command9->hide();
    Command6->hide();
    m.CampSelectat.Index = 0;
}

void frmEcranPrincipal::markField(bool esteGeneral, int index)
{
    const Camp *found = esteGeneral ? m.CampuriGen.at(index) : m.CampuriBD.at(index);
    if (!found)
        return;
    const Camp &camp = *found;
    // The marker covers the field as it is drawn: its lines, size, alignment and box.
    const PrintedText text = printedField(camp, displayText(camp, esteGeneral));
    const TextBlock block = layoutText(text.topLeftMm, text.text, text.face, text.points, text.placement,
                                       TextMeasure::Screen);
    QFont font = text.face;
    font.setPointSizeF(qMax(0.01, block.points));
    Label8->setFont(font);
    Label8->setText(block.lines.join(u'\n'));
    const Qt::Alignment across = camp.style.align == TextAlign::Right ? Qt::AlignRight
        : camp.style.align == TextAlign::Centre                      ? Qt::AlignHCenter
                                                                      : Qt::AlignLeft;
    Label8->setAlignment(across | Qt::AlignTop);
    mm::resize(Label8, block.rectMm.width(), block.rectMm.height());
    mm::move(Label8, block.rectMm.left(), block.rectMm.top());
    Label8->show();
    Label8->raise();
    mnuCorecteazaPoz->setEnabled(true);
    if (esteGeneral) {
        Frame1->show();
        Frame2->hide();
        mnuDefCampGen->setEnabled(false);
        mnuDefCampBazaDate->setEnabled(true);
        Command7->show();
        Command9->show();
        Command6->hide();
    } else {
        Frame1->hide();
        Frame2->show();
        mnuDefCampGen->setEnabled(true);
        mnuDefCampBazaDate->setEnabled(false);
        Command6->show();
        Command7->hide();
        Command9->hide();
    }
    m.CampSelectat = {esteGeneral, qint16(index)};
}

SelectieCamp frmEcranPrincipal::SelecteazaCamp(qint16 xs, qint16 ys)
{
    // Each field is where its display text is drawn; the first field hit wins, general fields
    // before database fields, each table in index order.
    auto hits = [&](const Camp &camp, bool esteGeneral) {
        const QRectF drawn = fieldRect(camp, esteGeneral);
        return xs >= drawn.left() && xs <= drawn.right() && ys >= drawn.top() && ys <= drawn.bottom();
    };
    for (int i = 1; i <= m.usedGen(); ++i) {
        if (hits(*m.CampuriGen.at(i), true)) {
            markField(true, i);
            return {true, qint16(i)};
        }
    }
    for (int i = 1; i <= m.usedBD(); ++i) {
        if (hits(*m.CampuriBD.at(i), false)) {
            markField(false, i);
            return {false, qint16(i)};
        }
    }
    Label8->hide();
    Command7->hide();
    Command9->hide();
    Command6->hide();
    return {false, 0};
}

} // namespace formulix
