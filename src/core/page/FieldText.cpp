#include "core/page/FieldText.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>

namespace formulix {

QFont fieldFace(const FieldStyle &style)
{
    QFont face = QGuiApplication::font();
    if (!style.family.isEmpty()) {
        // Asked once a family: a page of many fields names a few families many times.
        static QHash<QString, bool> installed;
        auto known = installed.constFind(style.family);
        if (known == installed.constEnd())
            known = installed.insert(style.family, QFontDatabase::hasFamily(style.family));
        if (*known)
            face.setFamilies({style.family});
    }
    if (style.bold)
        face.setBold(true);
    if (style.italic)
        face.setItalic(true);
    return face;
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

QString withCase(const QString &text, TextCase textCase)
{
    switch (textCase) {
    case TextCase::AsWritten: return text;
    case TextCase::Upper: return text.toUpper();
    case TextCase::Title: break;
    }
    QString titled = text.toLower();
    bool wordStart = true;
    for (QChar &c : titled) {
        if (wordStart && c.isLetter())
            c = c.toUpper();
        wordStart = !c.isLetterOrNumber() && c != u'\'';
    }
    return titled;
}

PrintedText printedField(const Camp &camp, const QString &text)
{
    const FieldStyle &style = camp.style;
    if (style.isPlain()) // most fields: nothing to look up
        return {QPointF(camp.X, camp.Y), text, double(camp.MarimeFont), QGuiApplication::font(), Qt::black};
    return {QPointF(camp.X, camp.Y), withCase(text, style.textCase), double(camp.MarimeFont), fieldFace(style),
            Qt::black, fieldPlacement(style)};
}

} // namespace formulix
