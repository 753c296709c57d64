#pragma once
// The extension block of a schema file: what a layout holds beyond its fixed records, written
// right after the last record the header counts, where readers of the records never look.
//
//   0  magic, 8 bytes: 89 46 58 54 49 50 0D 0A ("\x89FXTIP\r\n", so that a file passed
//      through a text-mode copy or cut to 7 bits is seen as damaged rather than misread)
//   8  version, u16 little-endian: 1
//  10  payload length in bytes, u32 little-endian (at most MaxSchemaBlockPayload)
//  14  CRC-32 (IEEE, as zlib's) of the counted records' bytes, header included: a block whose
//      records another program rewrote no longer matches them and is ignored
//  18  CRC-32 of the payload
//  22  payload: one JSON object in UTF-8 (keys in the README)
//
// The version changes only when a key changes its meaning; a reader ignores a block of a
// version it does not know. New keys come within a version, and readers ignore keys they do
// not know, so an older program still reads what it understands of a newer file.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace formulix {

class Module1;
struct Schema;

inline constexpr char SchemaBlockMagic[] = "\x89" "FXTIP\r\n";
inline constexpr int SchemaBlockMagicSize = 8;
inline constexpr int SchemaBlockHeadSize = 22;
inline constexpr quint16 SchemaBlockVersion = 1;
inline constexpr qsizetype MaxSchemaBlockPayload = qsizetype(1) << 20;

quint32 crc32(QByteArrayView bytes);

// The block for `module`, whose records are `records`; empty when the records hold it all.
QByteArray encodeSchemaBlock(const Module1 &module, QByteArrayView records, const QString &schemaFile);

// Reads a block at the start of `after` (the bytes following `records`) into `schema`: its
// extras, and its fields' styles, names and texts. Bytes that do not begin like a block are
// no block; one that begins like one but cannot be read sets only `schema.ignoredBlock`.
void readSchemaBlock(QByteArrayView after, QByteArrayView records, Schema &schema);

// How many bytes at the start of `after` are a block of ours: 0 when they do not begin like
// one, all of them when its length cannot be trusted.
qsizetype schemaBlockExtent(QByteArrayView after);

} // namespace formulix
