// Any bytes through the schema reader. What it accepts must fit the tables and write back to
// the very records it was read from, and what its block gave must write as a block that reads
// back the same; anything else aborts so the fuzzer keeps the input. The bytes after the
// records go in once more as a block's data behind a head that fits them, so that the JSON
// reader is reached past the checksums.

#include "core/layout/SchemaBlock.h"
#include "core/layout/SchemaCodec.h"

#include <QtEndian>
#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace formulix;

namespace {

// Returns the bytes of the records read, 0 when the reader refused the file.
qsizetype check(QByteArrayView bytes)
{
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
    if (encodeRecords(module) != expected)
        std::abort();

    // Whatever a block gave the layout is written as a block that reads back whole and the same.
    const QByteArray written = encodeSchema(module);
    const SchemaResult again = decodeSchema(written);
    if (!again.ok() || !again.schema.ignoredBlock.isEmpty() || again.schema.extended != (written.size() > used))
        std::abort();
    Module1 reread;
    applySchema(again.schema, reread);
    reread.CaleBazaDate = module.CaleBazaDate;
    reread.NumeTabela = module.NumeTabela;
    if (encodeSchema(reread) != written)
        std::abort();
    return used;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    const qsizetype used = check(bytes);
    const QByteArrayView rest = bytes.sliced(used);
    if (used == 0 || rest.size() > MaxSchemaBlockPayload
        || (rest.size() >= 4 && std::memcmp(rest.data(), SchemaBlockMagic, 4) == 0))
        return 0;
    QByteArray framed = bytes.first(used).toByteArray();
    QByteArray head(SchemaBlockHeadSize, '\0');
    std::memcpy(head.data(), SchemaBlockMagic, SchemaBlockMagicSize);
    qToLittleEndian<quint16>(SchemaBlockVersion, head.data() + 8);
    qToLittleEndian<quint32>(quint32(rest.size()), head.data() + 10);
    qToLittleEndian<quint32>(crc32(framed), head.data() + 14);
    qToLittleEndian<quint32>(crc32(rest), head.data() + 18);
    framed += head + rest.toByteArray();
    check(framed);
    return 0;
}
