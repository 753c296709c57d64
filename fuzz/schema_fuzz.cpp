// Any bytes through the schema reader. What it accepts must fit the tables and write back to
// the very records it was read from; anything else aborts so the fuzzer keeps the input.

#include "core/layout/SchemaCodec.h"

#include <cstdint>
#include <cstdlib>

using namespace formulix;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    const SchemaResult result = decodeSchema(bytes);
    if (!result.ok())
        return 0;

    const Schema &schema = result.schema;
    const qsizetype used =
        (1 + schema.campuriGen.size() + schema.campuriBD.size()) * SchemaRecordSize;
    if (schema.campuriGen.size() > Module1::MaxCampuriGen
        || schema.campuriBD.size() > Module1::MaxCampuriBD || used > bytes.size())
        std::abort();

    Module1 module;
    applySchema(schema, module);
    module.CaleBazaDate = schema.caleBazaDate; // not applied, but part of the bytes
    module.NumeTabela = schema.numeTabela;
    QByteArray expected = bytes.first(used).toByteArray();
    expected[70] = 0; // the header's font byte is always written as 0
    if (encodeSchema(module) != expected)
        std::abort();
    return 0;
}
