#include "model/Module1.h"

namespace formulix {

Camp *Module1::campSelectat()
{
    const int index = CampSelectat.Index;
    if (CampSelectat.EsteGeneral)
        return index <= usedGen() ? CampuriGen.at(index) : nullptr;
    return index <= usedBD() ? CampuriBD.at(index) : nullptr;
}

} // namespace formulix
