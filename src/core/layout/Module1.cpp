#include "core/layout/Module1.h"

#include "core/text/ValueFormat.h"

#include <utility>

namespace formulix {

Camp *Module1::campSelectat()
{
    return const_cast<Camp *>(std::as_const(*this).campSelectat());
}

const Camp *Module1::campSelectat() const
{
    const int index = CampSelectat.Index;
    if (CampSelectat.EsteGeneral)
        return index <= usedGen() ? CampuriGen.at(index) : nullptr;
    return index <= usedBD() ? CampuriBD.at(index) : nullptr;
}

std::optional<QString> takeRecordValue(Camp &camp, const QString &value)
{
    // The whole value is formatted before the range cuts it, so that a date written "ddMMyyyy"
    // gives one digit to each box of a boxed field; the case comes last.
    const QString formatted = formatValue(camp.style.format, value);
    QString shown;
    if (camp.RangMin == 0)
        shown = rightTrimBlanks(formatted);
    else if (camp.RangMin > camp.RangMax)
        return std::nullopt;
    else
        shown = formatted.mid(camp.RangMin - 1, camp.RangMax - camp.RangMin + 1);
    shown = applyCase(camp.style.textCase, shown);
    camp.Text = shown;
    return shown;
}

} // namespace formulix
