#include "core/page/PageFit.h"

#include "core/page/PageRenderer.h"

namespace formulix {

QStringList fieldsOutside(const Module1 &layout, const PageContent &page, const PageGeometry &geometry)
{
    const QRectF area = geometry.visibleMm();
    const QPointF shift = geometry.shiftMm();
    const int gen = layout.usedGen();
    // The page has one text a field, general fields first; a page composed otherwise is named
    // by its texts.
    const bool byField = page.texts.size() == gen + layout.usedBD();
    constexpr double Slack = 0.01; // mm: rounding, not ink
    QStringList names;
    for (qsizetype i = 0; i < page.texts.size(); ++i) {
        const PrintedText &text = page.texts.at(i);
        const bool database = byField && i >= gen;
        if (text.text.isEmpty() && !database)
            continue;
        const QRectF rect = textRectMm(text).translated(shift);
        if (rect.left() >= area.left() - Slack && rect.top() >= area.top() - Slack
            && rect.right() <= area.right() + Slack && rect.bottom() <= area.bottom() + Slack)
            continue;
        const QString name = database ? columnName(*layout.CampuriBD.at(int(i) - gen + 1))
                           : byField  ? u'"' + layout.CampuriGen.at(int(i) + 1)->Text.shown() + u'"'
                                      : u'"' + text.text + u'"';
        if (!names.contains(name))
            names.append(name);
    }
    return names;
}

QString fieldsOutsideMessage(const QStringList &fields, PageOrientation orientation)
{
    const QString paper = orientation == PageOrientation::Landscape ? QStringLiteral("hartiei asezate peisaj")
                        : orientation == PageOrientation::Portrait  ? QStringLiteral("hartiei asezate portret")
                                                                    : QStringLiteral("hartiei");
    return fields.size() == 1
        ? QStringLiteral("Campul %1 iese din zona tiparibila a %2: nu se va tipari intreg.").arg(fields.first(), paper)
        : QStringLiteral("Campurile %1 ies din zona tiparibila a %2: nu se vor tipari intregi.")
              .arg(fields.join(QStringLiteral(", ")), paper);
}

} // namespace formulix
