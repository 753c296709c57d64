#include "core/page/PageComposer.h"

#include "core/page/FieldText.h"

namespace formulix {

QString generalText(const Camp &camp, const ColumnLookup &columns)
{
    // The case is the drawing's (printedField), as for every field.
    const QString text = camp.Text.shown();
    return columns ? composeText(text, columns) : text;
}

PageContent composePage(const Module1 &layout, const FieldValues *record, const ColumnLookup &columns)
{
    PageContent page;
    auto print = [&](const Camp &camp, const QString &text) { page.texts.append(printedField(camp, text)); };
    for (int i = 1; i <= layout.usedGen(); ++i) {
        const Camp &camp = *layout.CampuriGen.at(i);
        print(camp, generalText(camp, columns));
    }
    for (int i = 1; i <= layout.usedBD(); ++i) {
        Camp camp = *layout.CampuriBD.at(i);
        // A record decides every database field: one whose column the table lacks, or whose
        // characters the value does not reach, prints nothing rather than another record's text.
        std::optional<QString> shown;
        if (record) {
            const std::optional<QString> value = i - 1 < record->size() ? record->at(i - 1) : std::nullopt;
            shown = value ? takeRecordValue(camp, *value) : std::nullopt;
            if (!shown)
                camp.Text = QString();
        }
        // A value as the record holds it prints as much as the field's text keeps; a formatted
        // one (a sum in words, a date with the month's name) prints whole.
        print(camp, shown && camp.style.format.kind != ValueKind::AsGiven ? *shown : camp.Text.shown());
    }
    return page;
}

} // namespace formulix
