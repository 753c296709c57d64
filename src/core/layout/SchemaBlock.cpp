#include "core/layout/SchemaBlock.h"

#include "core/layout/SchemaCodec.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>

#include <array>
#include <cmath>
#include <cstring>

namespace formulix {

namespace {

constexpr std::array<quint32, 256> makeCrcTable()
{
    std::array<quint32, 256> table{};
    for (quint32 n = 0; n < 256; ++n) {
        quint32 c = n;
        for (int k = 0; k < 8; ++k)
            c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

constexpr std::array<quint32, 256> CrcTable = makeCrcTable();

// Enumerations by name, so a value a later version adds reads as the default, not as another.
template <typename E, std::size_t N>
QString nameOf(E value, const std::array<const char *, N> &names)
{
    const auto i = std::size_t(value);
    return QLatin1String(i < N ? names[i] : names[0]);
}

template <typename E, std::size_t N>
E valueNamed(const QJsonValue &name, const std::array<const char *, N> &names)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (name.toString() == QLatin1String(names[i]))
            return E(i);
    }
    return E(0);
}

constexpr std::array<const char *, 3> AlignNames = {"left", "centre", "right"};
constexpr std::array<const char *, 3> FitNames = {"none", "shrink", "wrap"};
constexpr std::array<const char *, 3> CaseNames = {"asWritten", "upper", "title"};
constexpr std::array<const char *, 4> KindNames = {"asGiven", "date", "number", "words"};
constexpr std::array<const char *, 2> UnitNames = {"none", "lei"};

// A number the file gives, or `otherwise` when it is none, not finite or below `least`.
double numberOr(const QJsonValue &value, double otherwise, double least)
{
    if (!value.isDouble())
        return otherwise;
    const double number = value.toDouble();
    return std::isfinite(number) && number >= least ? number : otherwise;
}

QJsonObject formatJson(const FieldFormat &format)
{
    const FieldFormat plain;
    QJsonObject json;
    if (format.kind != plain.kind)
        json.insert(QStringLiteral("kind"), nameOf(format.kind, KindNames));
    if (format.pattern != plain.pattern)
        json.insert(QStringLiteral("pattern"), format.pattern);
    if (format.decimals != plain.decimals)
        json.insert(QStringLiteral("decimals"), format.decimals);
    if (format.thousands != plain.thousands)
        json.insert(QStringLiteral("thousands"), format.thousands);
    if (format.decimalComma != plain.decimalComma)
        json.insert(QStringLiteral("decimalComma"), format.decimalComma);
    if (format.unit != plain.unit)
        json.insert(QStringLiteral("unit"), nameOf(format.unit, UnitNames));
    return json;
}

FieldFormat formatFrom(const QJsonObject &json)
{
    FieldFormat format;
    format.kind = valueNamed<ValueKind>(json.value(QStringLiteral("kind")), KindNames);
    format.pattern = json.value(QStringLiteral("pattern")).toString();
    if (const double decimals = numberOr(json.value(QStringLiteral("decimals")), -1, -1); decimals <= 99)
        format.decimals = qint8(decimals);
    format.thousands = json.value(QStringLiteral("thousands")).toBool(format.thousands);
    format.decimalComma = json.value(QStringLiteral("decimalComma")).toBool(format.decimalComma);
    format.unit = valueNamed<WordsUnit>(json.value(QStringLiteral("unit")), UnitNames);
    return format;
}

// Only what differs from a plain field, so an older reader's defaults fill in the rest.
QJsonObject styleJson(const FieldStyle &style)
{
    const FieldStyle plain;
    QJsonObject json;
    if (style.family != plain.family)
        json.insert(QStringLiteral("family"), style.family);
    if (style.bold != plain.bold)
        json.insert(QStringLiteral("bold"), style.bold);
    if (style.italic != plain.italic)
        json.insert(QStringLiteral("italic"), style.italic);
    if (style.align != plain.align)
        json.insert(QStringLiteral("align"), nameOf(style.align, AlignNames));
    if (style.boxWidthMm != plain.boxWidthMm)
        json.insert(QStringLiteral("boxWidthMm"), style.boxWidthMm);
    if (style.fit != plain.fit)
        json.insert(QStringLiteral("fit"), nameOf(style.fit, FitNames));
    if (style.minPoints != plain.minPoints)
        json.insert(QStringLiteral("minPoints"), style.minPoints);
    if (style.lineHeightMm != plain.lineHeightMm)
        json.insert(QStringLiteral("lineHeightMm"), style.lineHeightMm);
    if (style.textCase != plain.textCase)
        json.insert(QStringLiteral("case"), nameOf(style.textCase, CaseNames));
    if (!(style.format == plain.format))
        json.insert(QStringLiteral("format"), formatJson(style.format));
    return json;
}

FieldStyle styleFrom(const QJsonObject &json)
{
    FieldStyle style;
    style.family = json.value(QStringLiteral("family")).toString();
    style.bold = json.value(QStringLiteral("bold")).toBool();
    style.italic = json.value(QStringLiteral("italic")).toBool();
    style.align = valueNamed<TextAlign>(json.value(QStringLiteral("align")), AlignNames);
    style.boxWidthMm = numberOr(json.value(QStringLiteral("boxWidthMm")), style.boxWidthMm, 0);
    style.fit = valueNamed<TextFit>(json.value(QStringLiteral("fit")), FitNames);
    style.minPoints = numberOr(json.value(QStringLiteral("minPoints")), style.minPoints, 0);
    style.lineHeightMm = numberOr(json.value(QStringLiteral("lineHeightMm")), style.lineHeightMm, 0);
    style.textCase = valueNamed<TextCase>(json.value(QStringLiteral("case")), CaseNames);
    style.format = formatFrom(json.value(QStringLiteral("format")).toObject());
    return style;
}

// The record's characters give `raw` back exactly.
bool recordHolds(const QString &raw)
{
    return fromCp1250(toCp1250(raw)) == raw;
}

// What a record of `Width` characters gives back of a header text, as the user is told it.
template <int Width>
QString headerKept(const QString &text)
{
    return fromCp1250(toCp1250(FixedString<Width>(text).raw()));
}

// A field's entry: only what its record lacks.
QJsonObject fieldJson(const Camp &camp, bool general)
{
    QJsonObject json;
    if (general && !recordHolds(camp.Text.raw()))
        json.insert(QStringLiteral("text"), camp.Text.shown());
    if (!recordHolds(camp.NumeCamp.raw()))
        json.insert(QStringLiteral("name"), camp.NumeCamp.shown());
    if (!camp.fullColumn.isEmpty())
        json.insert(QStringLiteral("column"), camp.fullColumn);
    if (!camp.style.isPlain())
        json.insert(QStringLiteral("style"), styleJson(camp.style));
    return json;
}

// The record's characters with the block's exact ones over their start. The record decides: a
// text it does not spell in its code page is not this field's.
template <int Width>
void overlay(FixedString<Width> &member, const QString &exact)
{
    const QString kept = exact.left(Width);
    if (toCp1250(kept) == toCp1250(member.raw().left(kept.size())))
        member.setRaw(kept + member.raw().mid(kept.size()));
}

void readFields(const QJsonArray &entries, QList<Camp> &camps, bool general)
{
    for (const QJsonValue &value : entries) {
        const QJsonObject entry = value.toObject();
        const double index = numberOr(entry.value(QStringLiteral("index")), 0, 1);
        if (index < 1 || index != std::floor(index) || index > camps.size())
            continue;
        Camp &camp = camps[qsizetype(index) - 1];
        if (const QJsonValue text = entry.value(QStringLiteral("text")); general && text.isString())
            overlay(camp.Text, text.toString());
        if (const QJsonValue name = entry.value(QStringLiteral("name")); name.isString())
            overlay(camp.NumeCamp, name.toString());
        camp.fullColumn = entry.value(QStringLiteral("column")).toString();
        camp.style = styleFrom(entry.value(QStringLiteral("style")).toObject());
    }
}

QJsonArray fieldsJson(const auto &table, int used, bool general)
{
    QJsonArray entries;
    for (int i = 1; i <= used; ++i) {
        QJsonObject entry = fieldJson(*table.at(i), general);
        if (entry.isEmpty())
            continue;
        entry.insert(QStringLiteral("index"), i);
        entries.append(entry);
    }
    return entries;
}

} // namespace

quint32 crc32(QByteArrayView bytes)
{
    quint32 c = 0xFFFFFFFFu;
    for (const char byte : bytes)
        c = CrcTable[(c ^ uchar(byte)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

QByteArray encodeSchemaBlock(const Module1 &module, QByteArrayView records, const QString &schemaFile)
{
    QJsonObject json;
    if (module.Orientare != 1)
        json.insert(QStringLiteral("orientation"), module.Orientare);
    QJsonObject database;
    if (trimBlanks(headerKept<50>(module.CaleBazaDate)) != trimBlanks(module.CaleBazaDate))
        database.insert(QStringLiteral("path"), trimBlanks(module.CaleBazaDate));
    if (rightTrimBlanks(headerKept<20>(module.NumeTabela)) != rightTrimBlanks(module.NumeTabela))
        database.insert(QStringLiteral("table"), rightTrimBlanks(module.NumeTabela));
    if (!database.isEmpty())
        json.insert(QStringLiteral("database"), database);
    if (!module.templ.file.isEmpty()) {
        QJsonObject form;
        if (!schemaFile.isEmpty())
            form.insert(QStringLiteral("file"), QFileInfo(schemaFile).absoluteDir().relativeFilePath(module.templ.file));
        form.insert(QStringLiteral("absolute"), module.templ.file);
        if (module.templ.page != 0)
            form.insert(QStringLiteral("page"), module.templ.page);
        if (module.templ.scale != 1.0)
            form.insert(QStringLiteral("scale"), module.templ.scale);
        json.insert(QStringLiteral("template"), form);
    }
    if (const QJsonArray general = fieldsJson(module.CampuriGen, module.usedGen(), true); !general.isEmpty())
        json.insert(QStringLiteral("generalFields"), general);
    if (const QJsonArray fields = fieldsJson(module.CampuriBD, module.usedBD(), false); !fields.isEmpty())
        json.insert(QStringLiteral("databaseFields"), fields);
    if (json.isEmpty())
        return QByteArray();

    const QByteArray payload = QJsonDocument(json).toJson(QJsonDocument::Compact);
    QByteArray block(SchemaBlockHeadSize, '\0');
    std::memcpy(block.data(), SchemaBlockMagic, SchemaBlockMagicSize);
    qToLittleEndian<quint16>(SchemaBlockVersion, block.data() + 8);
    qToLittleEndian<quint32>(quint32(payload.size()), block.data() + 10);
    qToLittleEndian<quint32>(crc32(records), block.data() + 14);
    qToLittleEndian<quint32>(crc32(payload), block.data() + 18);
    return block + payload;
}

qsizetype schemaBlockExtent(QByteArrayView after)
{
    if (after.size() < 4 || std::memcmp(after.data(), SchemaBlockMagic, 4) != 0)
        return 0;
    if (after.size() < SchemaBlockHeadSize || std::memcmp(after.data(), SchemaBlockMagic, SchemaBlockMagicSize) != 0)
        return after.size();
    const quint32 length = qFromLittleEndian<quint32>(after.data() + 10);
    return length <= quint64(after.size() - SchemaBlockHeadSize) ? SchemaBlockHeadSize + qsizetype(length) : after.size();
}

void readSchemaBlock(QByteArrayView after, QByteArrayView records, Schema &schema)
{
    if (after.size() < 4 || std::memcmp(after.data(), SchemaBlockMagic, 4) != 0)
        return; // no block: bytes another program left, or none
    const auto ignore = [&schema](const QString &why) { schema.ignoredBlock = why; };
    if (after.size() < SchemaBlockMagicSize || std::memcmp(after.data(), SchemaBlockMagic, SchemaBlockMagicSize) != 0)
        return ignore(QStringLiteral("semnatura datelor de dupa campuri este stricata"));
    if (after.size() < SchemaBlockHeadSize)
        return ignore(QStringLiteral("datele de dupa campuri sunt incomplete"));
    if (const quint16 version = qFromLittleEndian<quint16>(after.data() + 8); version != SchemaBlockVersion)
        return ignore(QStringLiteral("datele de dupa campuri sunt de o versiune (%1) pe care programul nu o cunoaste")
                          .arg(version));
    const quint32 length = qFromLittleEndian<quint32>(after.data() + 10);
    if (length > MaxSchemaBlockPayload || length > quint64(after.size() - SchemaBlockHeadSize))
        return ignore(QStringLiteral("datele de dupa campuri sunt incomplete"));
    const QByteArrayView payload = after.sliced(SchemaBlockHeadSize, length);
    if (crc32(payload) != qFromLittleEndian<quint32>(after.data() + 18))
        return ignore(QStringLiteral("datele de dupa campuri sunt stricate"));
    if (crc32(records) != qFromLittleEndian<quint32>(after.data() + 14))
        return ignore(QStringLiteral("campurile au fost schimbate de alt program dupa ce schema a fost salvata"));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(payload.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return ignore(QStringLiteral("datele de dupa campuri sunt stricate"));

    const QJsonObject json = document.object();
    schema.extended = true;
    if (const double orientation = numberOr(json.value(QStringLiteral("orientation")), 1, -32768);
        orientation <= 32767 && orientation == std::floor(orientation))
        schema.orientare = qint16(orientation);
    const QJsonObject database = json.value(QStringLiteral("database")).toObject();
    schema.fullCaleBazaDate = database.value(QStringLiteral("path")).toString();
    schema.fullNumeTabela = database.value(QStringLiteral("table")).toString();
    const QJsonObject form = json.value(QStringLiteral("template")).toObject();
    schema.templ.file = form.value(QStringLiteral("absolute")).toString();
    schema.templateRelative = form.value(QStringLiteral("file")).toString();
    if (const double page = numberOr(form.value(QStringLiteral("page")), 0, 0); page <= 9999 && page == std::floor(page))
        schema.templ.page = int(page);
    if (const double scale = numberOr(form.value(QStringLiteral("scale")), 1, 0); scale > 0)
        schema.templ.scale = scale;
    readFields(json.value(QStringLiteral("generalFields")).toArray(), schema.campuriGen, true);
    readFields(json.value(QStringLiteral("databaseFields")).toArray(), schema.campuriBD, false);
}

} // namespace formulix
