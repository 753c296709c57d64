#include "core/layout/Module1.h"

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
    if (camp.RangMin == 0) {
        camp.Text = value;
        return rightTrimBlanks(value);
    }
    if (camp.RangMin > camp.RangMax)
        return std::nullopt;
    const QString part = value.mid(camp.RangMin - 1, camp.RangMax - camp.RangMin + 1);
    camp.Text = part;
    return part;
}

} // namespace formulix
