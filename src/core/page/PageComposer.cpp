#include "core/page/PageComposer.h"

#include "core/page/FieldText.h"

namespace formulix {

PageContent composePage(const Module1 &layout, const FieldValues *record)
{
    PageContent page;
    auto print = [&](const Camp &camp) { page.texts.append(printedField(camp, camp.Text.shown())); };
    for (int i = 1; i <= layout.usedGen(); ++i)
        print(*layout.CampuriGen.at(i));
    for (int i = 1; i <= layout.usedBD(); ++i) {
        Camp camp = *layout.CampuriBD.at(i);
        // A record decides every database field: one whose column the table lacks, or whose
        // characters the value does not reach, prints nothing rather than another record's text.
        if (record) {
            const std::optional<QString> value = i - 1 < record->size() ? record->at(i - 1) : std::nullopt;
            if (!value || !takeRecordValue(camp, *value))
                camp.Text = QString();
        }
        print(camp);
    }
    return page;
}

} // namespace formulix
