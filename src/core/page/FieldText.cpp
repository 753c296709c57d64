#include "core/page/FieldText.h"
#include "core/text/ValueFormat.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>

namespace formulix {

QFont fieldFace(const FieldStyle &style)
{
    if (style.family.isEmpty() && !style.bold && !style.italic)
        return QGuiApplication::font();
    // Made once a face: a page of many fields names a few faces many times, and the same font
    // object is compared and hashed faster further on.
    static QHash<QString, QFont> faces;
    const QString key = style.family + QChar(u'0' + int(style.bold) + 2 * int(style.italic));
    auto known = faces.constFind(key);
    if (known == faces.constEnd()) {
        QFont face = QGuiApplication::font();
        if (!style.family.isEmpty() && QFontDatabase::hasFamily(style.family))
            face.setFamilies({style.family});
        face.setBold(style.bold);
        face.setItalic(style.italic);
        if (faces.size() >= 256)
            faces.clear();
        known = faces.insert(key, face);
    }
    return *known;
}

TextPlacement fieldPlacement(const FieldStyle &style)
{
    TextPlacement placement;
    placement.align = style.align;
    if (style.boxWidthMm > 0) {
        placement.boxWidthMm = style.boxWidthMm;
        placement.fit = style.fit;
        if (style.fit == TextFit::Shrink)
            placement.minPoints = qMax(0.5, style.minPoints);
        if (style.fit == TextFit::Wrap)
            placement.lineHeightMm = qMax(0.0, style.lineHeightMm);
    }
    return placement;
}

PrintedText printedField(const Camp &camp, const QString &text)
{
    const FieldStyle &style = camp.style;
    if (style.isPlain()) // most fields: nothing to look up
        return {QPointF(camp.X, camp.Y), text, double(camp.MarimeFont), QGuiApplication::font(), Qt::black};
    return {QPointF(camp.X, camp.Y), applyCase(style.textCase, text), double(camp.MarimeFont), fieldFace(style),
            Qt::black, fieldPlacement(style)};
}

} // namespace formulix
