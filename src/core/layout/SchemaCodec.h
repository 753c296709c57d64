#pragma once
// The schema file (.tip): the layout model saved as fixed 77-byte records, kept apart from any
// window so it can be tested and fuzzed on its own.
//
// Record 1 is the header, then the general fields in table order, then the database fields.
// Every record has the layout of one Camp, members packed, numbers little-endian:
//   0 Text (50 bytes) | 50 NumeCamp (20) | 70 MarimeFont (u8) | 71 X (i16) | 73 Y (i16) |
//   75 RangMin (u8) | 76 RangMax (u8)
// The header stores the database path in Text, the table name in NumeCamp, font 0, PozStanga
// and PozSus in X and Y, and the two field counts in RangMin and RangMax. There is no magic,
// version or checksum, so the counts and the length are all a reader can check.
//
// What the records cannot hold (styles, the template, the orientation, names longer than their
// records, characters the code page lacks) follows the last counted record in one extension
// block, which readers of the records alone never reach (see SchemaBlock.h). A layout with
// nothing beyond its records is written without one, as it always was.

#include "core/layout/Module1.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

namespace formulix {

inline constexpr int SchemaRecordSize = 77;

// What a file holds, decoded but not yet applied: a refused file must leave the model as it
// was, so nothing touches the model until the whole file has been read.
struct Schema
{
    QString caleBazaDate; // the header's 50 characters, exactly as stored
    QString numeTabela;   // the header's 20 characters, exactly as stored
    qint16 pozStanga = 0;
    qint16 pozSus = 0;
    QList<Camp> campuriGen; // at most Module1::MaxCampuriGen
    QList<Camp> campuriBD;  // at most Module1::MaxCampuriBD

    // From the extension block; as without one when the file has none. The fields' styles,
    // whole column names and exact texts are in the Camps above.
    bool extended = false;   // a block was read
    QString fullCaleBazaDate; // the database path and table when their records cut them
    QString fullNumeTabela;
    qint16 orientare = 1;
    Module1::TemplateMemory templ; // templ.file absolute; empty when the layout had none
    QString templateRelative;      // the same from the schema's folder, when it was known
    QString ignoredBlock; // why a block that was there was not read, in Romanian; empty otherwise

    // The header texts as the user is told them after opening: the path trimmed at both
    // ends, the table name at its end only; whole when the block has them.
    QString shownCaleBazaDate() const { return fullCaleBazaDate.isEmpty() ? trimBlanks(caleBazaDate) : fullCaleBazaDate; }
    QString shownNumeTabela() const { return fullNumeTabela.isEmpty() ? rightTrimBlanks(numeTabela) : fullNumeTabela; }
};

enum class SchemaStatus {
    Loaded,
    CannotOpen,    // the caller stays silent: the user picked something that is not a file
    TooManyFields, // the header counts more fields than the tables hold
    Truncated,     // shorter than its header says (an empty file included)
};

struct SchemaResult
{
    SchemaStatus status = SchemaStatus::CannotOpen;
    Schema schema;  // filled only when Loaded
    QString reason; // why it was CannotOpen, in Romanian, when the system says

    bool ok() const { return status == SchemaStatus::Loaded; }
};

// The whole model as file bytes: exactly (1 + used general + used database) records, then the
// extension block when the layout has anything the records cannot hold. `schemaFile`, where
// the bytes will be saved, lets the block name the template from the schema's folder too.
QByteArray encodeSchema(const Module1 &module, const QString &schemaFile = QString());
// The records alone, as readers of the specified format see them.
QByteArray encodeRecords(const Module1 &module);

// What a saved schema would keep of the user's layout work: the fields' places, texts, fonts,
// ranges, styles and whole column names, the two offsets and the orientation. A database
// field's text is left out (choosing a record rewrites it), and so are the database path and
// table name and the template (loading a database or a template is not editing the layout).
// Equal snapshots mean nothing needs saving.
QByteArray layoutSnapshot(const Module1 &module);

// Reads the header and the records it counts, then the extension block right after them: a
// block that is damaged, or left behind by a program that rewrote the records, is ignored
// (Schema::ignoredBlock says why) and the records open as they are. Other bytes are ignored.
SchemaResult decodeSchema(QByteArrayView bytes);

// Sets the counts, the offsets and entries 1..count of both tables, and with a block the
// orientation. The path and table name stay as they are (the database is loaded separately),
// and so do the template, the selection and the entries past the new counts.
void applySchema(const Schema &schema, Module1 &module);

// Where the template a schema remembers is on this computer: the path from the schema's folder
// when that file exists, else the absolute one when it exists; empty otherwise.
QString findSchemaTemplate(const Schema &schema, const QString &schemaFile);

// What of the layout a file saved at `schemaFile` would not give back exactly, in Romanian, one
// entry a field or setting ("campul general 3 (Nume)"); empty when everything comes back.
QStringList schemaLosses(const Module1 &module, const QString &schemaFile = QString());

// Saves atomically, written to a temporary file beside the target and renamed over it: the new
// records, the new block, and then what an existing file held after its records that is not
// ours: after its block, or with none the bytes past the new records' length, as the records
// were always written over the old ones. On failure the old file is untouched and `error` gets
// the system's reason for the caller's message box. The path is used as given (no extension is
// added).
bool saveSchemaFile(const QString &path, const Module1 &module, QString *error = nullptr);

// Opens and decodes a file; one that cannot be opened or read gives CannotOpen, and so does
// anything but a regular file, before it is opened (a pipe would block for ever). Reads no
// more than full tables need, so a wrongly picked huge file costs nothing.
SchemaResult loadSchemaFile(const QString &path);

// Where the database a schema names is on this computer: the stored path when it is absolute
// and exists, a relative one from the schema's folder, else a file of the same name in the
// schema's folder (the name taken after the last slash or backslash, the letter case as the
// folder has it), as when a schema travels with its database or was made on another computer;
// only then a relative path from the current folder, so that what the schema's folder holds
// prints wherever the program runs. Empty when none is found. The schema itself is not changed.
QString findSchemaDatabase(const QString &storedPath, const QString &schemaFile);

// Windows-1250, the files' code page (Romanian Windows), one character per byte.
// Comma-below letters go to their cedilla twins (the code page has no others); any other
// missing character becomes '?'. Every byte decodes to a distinct character (the five
// undefined ones to the C1 control of the same value), so decoding then encoding is exact.
QByteArray toCp1250(const QString &text);
QString fromCp1250(QByteArrayView bytes);

} // namespace formulix
