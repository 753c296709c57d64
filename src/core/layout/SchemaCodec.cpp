#include "core/layout/SchemaCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/files/FileSafety.h"
#include "core/layout/SchemaBlock.h"

#include <cerrno>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <utility>

namespace formulix {

namespace {

constexpr int TextOffset = 0;
constexpr int NumeCampOffset = 50;
constexpr int FontOffset = 70;
constexpr int XOffset = 71;
constexpr int YOffset = 73;
constexpr int RangMinOffset = 75;
constexpr int RangMaxOffset = 76;
static_assert(NumeCampOffset == TextOffset + decltype(Camp::Text)::Width);
static_assert(FontOffset == NumeCampOffset + decltype(Camp::NumeCamp)::Width);
static_assert(SchemaRecordSize == RangMaxOffset + 1);

// The longest file a reader ever needs to look at: the header, full tables and the largest block.
constexpr qsizetype MaxSchemaSize = qsizetype(1 + Module1::MaxCampuriGen + Module1::MaxCampuriBD) * SchemaRecordSize
    + SchemaBlockHeadSize + MaxSchemaBlockPayload;

// Windows-1250 bytes 0x80..0xFF. The five bytes the code page leaves undefined map to the C1
// control of the same value, so that no byte is lost on the way through the model.
constexpr std::array<char16_t, 128> Cp1250High = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179, // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7, // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7, // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9, // F8
};

struct CharByte
{
    char16_t ch;
    uchar byte;
};

// The reverse of Cp1250High plus the comma-below letters, sorted for a binary search.
using ReverseTable = std::array<CharByte, Cp1250High.size() + 4>;

constexpr ReverseTable makeReverseTable()
{
    ReverseTable table{};
    std::size_t n = 0;
    for (std::size_t i = 0; i < Cp1250High.size(); ++i)
        table[n++] = {Cp1250High[i], uchar(0x80 + i)};
    // Romanian keyboards type the comma-below letters; the code page only has the cedilla ones.
    table[n++] = {u'\u0218', 0xAA}; // Ș -> Ş
    table[n++] = {u'\u0219', 0xBA}; // ș -> ş
    table[n++] = {u'\u021A', 0xDE}; // Ț -> Ţ
    table[n++] = {u'\u021B', 0xFE}; // ț -> ţ
    std::sort(table.begin(), table.end(), [](CharByte a, CharByte b) { return a.ch < b.ch; });
    return table;
}

constexpr ReverseTable Cp1250Reverse = makeReverseTable();

uchar cp1250Byte(QChar ch)
{
    const char16_t u = ch.unicode();
    if (u < 0x80)
        return uchar(u);
    const auto before = [](CharByte entry, char16_t value) { return entry.ch < value; };
    const auto it = std::lower_bound(Cp1250Reverse.begin(), Cp1250Reverse.end(), u, before);
    return it != Cp1250Reverse.end() && it->ch == u ? it->byte : uchar('?');
}

QChar cp1250Char(uchar byte)
{
    return byte < 0x80 ? QChar(byte) : QChar(Cp1250High[byte - 0x80]);
}

void putText(char *at, const QString &raw)
{
    for (QChar ch : raw)
        *at++ = char(cp1250Byte(ch));
}

void putRecord(char *at, const QString &text, const QString &numeCamp, quint8 font, qint16 x,
               qint16 y, quint8 rangMin, quint8 rangMax)
{
    putText(at + TextOffset, text);
    putText(at + NumeCampOffset, numeCamp);
    at[FontOffset] = char(font);
    qToLittleEndian(x, at + XOffset);
    qToLittleEndian(y, at + YOffset);
    at[RangMinOffset] = char(rangMin);
    at[RangMaxOffset] = char(rangMax);
}

void putCamp(char *at, const Camp &camp)
{
    putRecord(at, camp.Text.raw(), camp.NumeCamp.raw(), camp.MarimeFont, camp.X, camp.Y,
              camp.RangMin, camp.RangMax);
}

Camp takeCamp(QByteArrayView record)
{
    Camp camp;
    constexpr int TextWidth = decltype(Camp::Text)::Width;
    constexpr int NumeCampWidth = decltype(Camp::NumeCamp)::Width;
    camp.Text.setRaw(fromCp1250(record.sliced(TextOffset, TextWidth)));
    camp.NumeCamp.setRaw(fromCp1250(record.sliced(NumeCampOffset, NumeCampWidth)));
    camp.MarimeFont = quint8(record[FontOffset]);
    camp.X = qFromLittleEndian<qint16>(record.data() + XOffset);
    camp.Y = qFromLittleEndian<qint16>(record.data() + YOffset);
    camp.RangMin = quint8(record[RangMinOffset]);
    camp.RangMax = quint8(record[RangMaxOffset]);
    return camp;
}

} // namespace

QByteArray toCp1250(const QString &text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    putText(bytes.data(), text);
    return bytes;
}

QString fromCp1250(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        text[i] = cp1250Char(uchar(bytes[i]));
    return text;
}

QByteArray encodeSchema(const Module1 &module, const QString &schemaFile)
{
    const QByteArray records = encodeRecords(module);
    return records + encodeSchemaBlock(module, records, schemaFile);
}

QByteArray encodeRecords(const Module1 &module)
{
    const int gen = module.usedGen();
    const int bd = module.usedBD();
    QByteArray bytes(qsizetype(1 + gen + bd) * SchemaRecordSize, Qt::Uninitialized);
    char *at = bytes.data();

    // FixedString gives the header texts the same cut-or-pad-with-blanks rule as a field's.
    putRecord(at, decltype(Camp::Text)(module.CaleBazaDate).raw(),
              decltype(Camp::NumeCamp)(module.NumeTabela).raw(), 0, module.PozStanga, module.PozSus,
              quint8(gen), quint8(bd));
    at += SchemaRecordSize;
    for (int i = 1; i <= gen; ++i, at += SchemaRecordSize)
        putCamp(at, *module.CampuriGen.at(i));
    for (int i = 1; i <= bd; ++i, at += SchemaRecordSize)
        putCamp(at, *module.CampuriBD.at(i));
    return bytes;
}

QByteArray layoutSnapshot(const Module1 &module)
{
    Module1 layout = module;
    layout.CaleBazaDate.clear();
    layout.NumeTabela.clear();
    layout.templ = {};
    for (int i = 1; i <= layout.usedBD(); ++i)
        layout.CampuriBD.at(i)->Text = QString();
    return encodeSchema(layout);
}

QString findSchemaTemplate(const Schema &schema, const QString &schemaFile)
{
    const auto existingFile = [](const QString &path) {
        const QFileInfo info(path);
        return !path.isEmpty() && info.isFile() ? info.absoluteFilePath() : QString();
    };
    if (!schema.templateRelative.isEmpty() && QDir::isRelativePath(schema.templateRelative)) {
        if (QString found = existingFile(QFileInfo(schemaFile).absoluteDir().filePath(schema.templateRelative));
            !found.isEmpty())
            return found;
    }
    return QDir::isAbsolutePath(schema.templ.file) ? existingFile(schema.templ.file) : QString();
}

QStringList schemaLosses(const Module1 &module, const QString &schemaFile)
{
    const SchemaResult result = decodeSchema(encodeSchema(module, schemaFile));
    QStringList lost;
    if (!result.ok())
        return {QStringLiteral("campurile")};
    const Schema &back = result.schema;
    if (back.shownCaleBazaDate() != trimBlanks(module.CaleBazaDate))
        lost << QStringLiteral("calea bazei de date");
    if (back.shownNumeTabela() != rightTrimBlanks(module.NumeTabela))
        lost << QStringLiteral("numele tabelei");
    if (back.orientare != module.Orientare)
        lost << QStringLiteral("orientarea");
    if (!(back.templ == module.templ))
        lost << QStringLiteral("macheta");
    for (int i = 1; i <= module.usedGen() && i <= back.campuriGen.size(); ++i) {
        if (!(back.campuriGen.at(i - 1) == *module.CampuriGen.at(i)))
            lost << QStringLiteral("campul general %1 (%2)").arg(i).arg(module.CampuriGen.at(i)->Text.shown());
    }
    for (int i = 1; i <= module.usedBD() && i <= back.campuriBD.size(); ++i) {
        Camp saved = *module.CampuriBD.at(i);
        saved.Text = back.campuriBD.at(i - 1).Text; // a record's value, not the layout's
        if (!(back.campuriBD.at(i - 1) == saved))
            lost << QStringLiteral("campul %1 din baza de date (%2)").arg(i).arg(columnName(saved));
    }
    return lost;
}

QString findSchemaDatabase(const QString &storedPath, const QString &schemaFile)
{
    const QString stored = trimBlanks(storedPath);
    if (stored.isEmpty())
        return QString();
    const QDir schemaDir = QFileInfo(schemaFile).absoluteDir();
    const auto existingFile = [](const QString &path) {
        const QFileInfo info(path);
        return info.isFile() ? info.absoluteFilePath() : QString();
    };
    const bool relative = QDir::isRelativePath(stored);
    if (!relative) {
        if (QString found = existingFile(stored); !found.isEmpty())
            return found;
    } else if (!stored.contains(u'\\')) {
        if (QString found = existingFile(schemaDir.filePath(stored)); !found.isEmpty())
            return found;
    }
    const QString name = stored.mid(qMax(stored.lastIndexOf(u'/'), stored.lastIndexOf(u'\\')) + 1);
    if (name.isEmpty() || name == QStringLiteral(".") || name == QStringLiteral(".."))
        return QString();
    if (QString found = existingFile(schemaDir.filePath(name)); !found.isEmpty())
        return found;
    // Made on Windows, where ELEVI.MDB and elevi.mdb are one file.
    const QStringList entries = schemaDir.entryList(QDir::Files | QDir::Hidden);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return schemaDir.absoluteFilePath(entry);
    }
    return relative ? existingFile(stored) : QString();
}

SchemaResult decodeSchema(QByteArrayView bytes)
{
    SchemaResult result;
    if (bytes.size() < SchemaRecordSize) {
        result.status = SchemaStatus::Truncated;
        return result;
    }
    const Camp header = takeCamp(bytes.first(SchemaRecordSize));
    const int gen = header.RangMin;
    const int bd = header.RangMax;
    if (gen > Module1::MaxCampuriGen || bd > Module1::MaxCampuriBD) {
        result.status = SchemaStatus::TooManyFields;
        return result;
    }
    if (bytes.size() < qsizetype(1 + gen + bd) * SchemaRecordSize) {
        result.status = SchemaStatus::Truncated;
        return result;
    }

    Schema &schema = result.schema;
    schema.caleBazaDate = header.Text.raw();
    schema.numeTabela = header.NumeCamp.raw();
    schema.pozStanga = header.X;
    schema.pozSus = header.Y;
    schema.campuriGen.reserve(gen);
    schema.campuriBD.reserve(bd);
    qsizetype at = SchemaRecordSize;
    for (int i = 0; i < gen; ++i, at += SchemaRecordSize)
        schema.campuriGen.append(takeCamp(bytes.sliced(at, SchemaRecordSize)));
    for (int i = 0; i < bd; ++i, at += SchemaRecordSize)
        schema.campuriBD.append(takeCamp(bytes.sliced(at, SchemaRecordSize)));
    readSchemaBlock(bytes.sliced(at), bytes.first(at), schema);
    result.status = SchemaStatus::Loaded;
    return result;
}

void applySchema(const Schema &schema, Module1 &module)
{
    // A hand-built Schema may be longer than the tables; a decoded one never is.
    const int gen = int(std::min<qsizetype>(schema.campuriGen.size(), Module1::MaxCampuriGen));
    const int bd = int(std::min<qsizetype>(schema.campuriBD.size(), Module1::MaxCampuriBD));
    module.NrCampuriGen = qint16(gen);
    module.NrCampuriBD = qint16(bd);
    module.PozStanga = schema.pozStanga;
    module.PozSus = schema.pozSus;
    if (schema.extended)
        module.Orientare = schema.orientare;
    for (int i = 1; i <= gen; ++i)
        *module.CampuriGen.at(i) = schema.campuriGen.at(i - 1);
    for (int i = 1; i <= bd; ++i)
        *module.CampuriBD.at(i) = schema.campuriBD.at(i - 1);
}

bool saveSchemaFile(const QString &path, const Module1 &module, QString *error)
{
    const auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };

    if (QFileInfo(path).isDir())
        return fail(systemReason(EISDIR));
    QString reason;
    const QString target = outputTarget(path, &reason);
    if (target.isEmpty())
        return fail(reason);
    const QByteArray records = encodeRecords(module);
    QByteArray content = records + encodeSchemaBlock(module, records, QFileInfo(path).absoluteFilePath());

    // The records were always written over the old file, so a longer one keeps its bytes past
    // them; readers ignore them. A block of ours there is replaced, what follows it is kept.
    // Only a regular file is read: a pipe never ends.
    QFile old(target);
    if (old.exists()) {
        if (!old.open(QIODevice::ReadOnly))
            return fail(readReason(errno, old.errorString()));
        const QByteArray bytes = old.readAll();
        if (old.error() != QFileDevice::NoError)
            return fail(readReason(errno, old.errorString()));
        old.close();
        qsizetype tail = records.size();
        if (const SchemaResult was = decodeSchema(bytes); was.ok()) {
            const qsizetype used = (1 + was.schema.campuriGen.size() + was.schema.campuriBD.size()) * SchemaRecordSize;
            if (const qsizetype block = schemaBlockExtent(QByteArrayView(bytes).sliced(used)); block > 0)
                tail = used + block;
        }
        if (bytes.size() > tail)
            content += QByteArrayView(bytes).sliced(tail);
    }

    // Written beside the file and renamed onto it when whole; a read-only schema is kept.
    OutputFile file;
    if (!file.open(path, false, &reason))
        return fail(reason);
    if (file.write(content) != content.size()) {
        reason = systemReason(file.failure());
        file.discard();
        return fail(reason);
    }
    if (!file.commit(&reason))
        return fail(reason);
    return true;
}

SchemaResult loadSchemaFile(const QString &path)
{
    SchemaResult failed;
    failed.reason = notRegularFile(path);
    if (!failed.reason.isEmpty())
        return failed;
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        failed.reason = readReason(errno, file.errorString());
        return failed;
    }
    const QByteArray bytes = file.read(MaxSchemaSize);
    if (file.error() != QFileDevice::NoError)
        return {};
    return decodeSchema(bytes);
}

} // namespace formulix
