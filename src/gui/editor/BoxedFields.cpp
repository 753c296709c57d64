// "Campuri pe casute": a number printed one character to a box, as personal numbers and codes
// are on official forms. The user names the column, how many boxes and from which character,
// then clicks the centre of the first box and of the last; the fields in between are spaced
// evenly. They are ordinary one-character fields, so any schema reader takes them.

#include "gui/app/Application.h"
#include "gui/app/frmEcranPrincipal.h"
#include "widgets/Dialogs.h"
#include "core/page/FieldText.h"

#include <QLineEdit>
#include <QListWidget>
#include <cmath>
#include <limits>

namespace formulix {

namespace {

// The boxes are written as the field of their column is: the one selected, else the first. They
// take its font, case and format; a box width or alignment would not fit one character's box.
FieldStyle boxStyle(const Module1 &m, const QString &column)
{
    Camp probe;
    probe.NumeCamp = column;
    const Camp *selected = !m.CampSelectat.EsteGeneral ? m.campSelectat() : nullptr;
    const Camp *source = selected && selected->NumeCamp == probe.NumeCamp ? selected : nullptr;
    for (int i = 1; !source && i <= m.usedBD(); ++i) {
        if (m.CampuriBD.at(i)->NumeCamp == probe.NumeCamp)
            source = m.CampuriBD.at(i);
    }
    FieldStyle style;
    if (source) {
        style.family = source->style.family;
        style.bold = source->style.bold;
        style.italic = source->style.italic;
        style.textCase = source->style.textCase;
        style.format = source->style.format;
    }
    return style;
}

// Whole numbers only, as typed in the boxes' questions.
std::optional<int> typedCount(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

} // namespace

void frmEcranPrincipal::boxedFields_Click()
{
    cancelBoxes();
    const QString title = applicationTitle();
    const QListWidgetItem *column = TabelaAleasa ? List2->currentItem() : nullptr;
    if (!column) {
        MessageBox::information(this, title, QStringLiteral("Alegeti intai din lista Campuri coloana ale carei "
                                                            "caractere merg in casute."));
        return;
    }
    const std::optional<quint8> fontSize = toByte(Text3->text());
    if (!fontSize || *fontSize == 0) {
        MessageBox::information(this, title, QStringLiteral("Marime font trebuie sa fie un numar intre 1 si 255."));
        return;
    }
    const int room = Module1::MaxCampuriBD - m.usedBD();
    if (room < 2) {
        MessageBox::information(this, title,
                                QStringLiteral("Nu mai este loc pentru campuri pe casute: se pot defini cel mult %1 "
                                               "campuri din baza de date, iar %2 sunt definite.")
                                    .arg(Module1::MaxCampuriBD)
                                    .arg(m.usedBD()));
        return;
    }
    const QString typed = InputBox::ask(
        this, QStringLiteral("Cate casute are %1? (intre 2 si %2)").arg(column->text()).arg(room), title);
    if (typed.isEmpty())
        return;
    const std::optional<int> count = typedCount(typed);
    if (!count || *count < 2 || *count > room) {
        MessageBox::information(this, title,
                                QStringLiteral("Numarul de casute trebuie sa fie intre 2 si %1.").arg(room));
        return;
    }
    const QString typedFirst = InputBox::ask(
        this, QStringLiteral("Primul caracter al valorii care merge in prima casuta:"), title, QStringLiteral("1"));
    if (typedFirst.isEmpty())
        return;
    const int maxFirst = std::numeric_limits<quint8>::max() - *count + 1; // the last range still fits a byte
    const std::optional<int> first = typedCount(typedFirst);
    if (!first || *first < 1 || *first > maxFirst) {
        MessageBox::information(this, title,
                                QStringLiteral("Primul caracter trebuie sa fie intre 1 si %1.").arg(maxFirst));
        return;
    }
    // The boxes replace a placement the click on the column armed.
    AsteaptaCampBD = false;
    m_boxes = Boxes{true, column->text(), *count, *first, *fontSize, {}, boxStyle(m, column->text())};
    setMousePointer(this, MousePointer::Cross);
    Picture1->setFocus();
    MessageBox::information(this, title,
                            QStringLiteral("Faceti clic pe centrul primei casute, apoi pe centrul ultimei. "
                                           "Esc sau clic dreapta renunta."));
}

void frmEcranPrincipal::cancelBoxes()
{
    if (!m_boxes.active)
        return;
    m_boxes = Boxes{};
    setMousePointer(this, MousePointer::Arrow);
}

bool frmEcranPrincipal::takeBoxPoint(int button, QPointF mm)
{
    if (!m_boxes.active)
        return false;
    if (button != LeftButton) {
        cancelBoxes();
        return true;
    }
    m_boxes.points.append(mm);
    if (m_boxes.points.size() < 2)
        return true;
    const Boxes boxes = m_boxes;
    cancelBoxes();
    const QString title = applicationTitle();
    const QPointF span = boxes.points.at(1) - boxes.points.at(0);
    if (std::hypot(span.x(), span.y()) < 1) {
        MessageBox::information(this, title,
                                QStringLiteral("Cele doua clicuri sunt in acelasi loc; faceti clic pe centrul primei "
                                               "si apoi al ultimei casute."));
        return true;
    }
    // Undone or placed meanwhile, the table may have less room than when the number was asked.
    if (boxes.count > Module1::MaxCampuriBD - m.usedBD()) {
        MessageBox::information(this, title,
                                QStringLiteral("Nu se pot defini mai mult de %1 campuri din baza de date.")
                                    .arg(Module1::MaxCampuriBD));
        return true;
    }
    // Each field's character is centred on its box: a digit's extent at the field's size.
    const QSizeF glyph = textExtentMm(QStringLiteral("0"), fieldFace(boxes.style), boxes.fontSize);
    QList<Camp> placed;
    for (int i = 0; i < boxes.count; ++i) {
        const QPointF centre = boxes.points.at(0) + span * (double(i) / (boxes.count - 1));
        const double x = roundHalfEven(centre.x() - glyph.width() / 2);
        const double y = roundHalfEven(centre.y() - glyph.height() / 2);
        if (!(x >= std::numeric_limits<qint16>::min() && x <= std::numeric_limits<qint16>::max()
              && y >= std::numeric_limits<qint16>::min() && y <= std::numeric_limits<qint16>::max()))
            return true;
        Camp camp;
        setColumn(camp, boxes.column);
        camp.X = qint16(x);
        camp.Y = qint16(y);
        camp.MarimeFont = boxes.fontSize;
        camp.RangMin = camp.RangMax = quint8(boxes.first + i);
        camp.style = boxes.style;
        placed.append(camp);
    }
    const PendingEdit edit = beginEdit();
    for (const Camp &camp : placed) {
        m.NrCampuriBD = qint16(m.usedBD() + 1);
        *m.CampuriBD.at(m.NrCampuriBD) = camp;
    }
    RedeseneazaCampuri();
    recordEdit(edit, QStringLiteral("Campuri pe casute"));
    return true;
}

} // namespace formulix
