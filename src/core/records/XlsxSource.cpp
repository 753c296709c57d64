#include "core/records/XlsxSource.h"

#include "core/records/CellFormat.h"
#include "core/records/SheetCursor.h"
#include "core/records/ZipArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <charconv>
#include <limits>

namespace formulix {

using namespace Qt::Literals::StringLiterals;

namespace {

const QString WorkbookPart = QStringLiteral("xl/workbook.xml");
constexpr qint64 MaxPartBytes = 64 << 20; // the workbook, its relations and its styles

QString notWorkbook(const QString &path, const QString &why)
{
    return QStringLiteral("Fisierul %1 nu este un registru Excel (.xlsx): %2.").arg(path, why);
}

QString damaged(const QString &path, const QString &why)
{
    return QStringLiteral("Fisierul %1 este deteriorat: %2.").arg(path, why);
}

// An OLE2 compound file: "encrypted" when it holds the EncryptedPackage stream a password-
// protected workbook is kept in (its directory is walked through the first FAT sectors).
enum class Ole2 { No, Plain, Encrypted };

Ole2 ole2Kind(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Ole2::No;
    const QByteArray header = file.read(512);
    if (!header.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1")) || header.size() < 512)
        return Ole2::No;
    const auto *h = reinterpret_cast<const uchar *>(header.constData());
    const int shift = qFromLittleEndian<quint16>(h + 30);
    if (shift != 9 && shift != 12)
        return Ole2::Plain;
    const qint64 sectorSize = qint64(1) << shift;
    const auto sector = [&](quint32 index) {
        file.seek((qint64(index) + 1) * sectorSize);
        return file.read(sectorSize);
    };
    const auto next = [&](quint32 index) -> quint32 {
        const quint32 perSector = quint32(sectorSize / 4);
        const quint32 fat = index / perSector;
        if (fat >= 109)
            return 0xFFFFFFFE; // past the FAT sectors the header lists: stop there
        const QByteArray table = sector(qFromLittleEndian<quint32>(h + 76 + 4 * fat));
        if (table.size() < sectorSize)
            return 0xFFFFFFFE;
        return qFromLittleEndian<quint32>(reinterpret_cast<const uchar *>(table.constData()) + 4 * (index % perSector));
    };
    const QString wanted = QStringLiteral("EncryptedPackage");
    quint32 index = qFromLittleEndian<quint32>(h + 48);
    for (int walked = 0; walked < 256 && index < 0xFFFFFFFA; ++walked, index = next(index)) {
        const QByteArray entries = sector(index);
        for (qint64 at = 0; at + 128 <= entries.size(); at += 128) {
            const auto *entry = reinterpret_cast<const uchar *>(entries.constData() + at);
            const int bytes = qFromLittleEndian<quint16>(entry + 64);
            if (bytes == 2 * (wanted.size() + 1)
                && QString::fromUtf16(reinterpret_cast<const char16_t *>(entry), wanted.size()) == wanted)
                return Ole2::Encrypted;
        }
    }
    return Ole2::Plain;
}

// The zip opened as a workbook; false with the reason (a sentence naming the file).
bool openWorkbookZip(ZipArchive &zip, const QString &path, QString *error)
{
    QString reason;
    switch (zip.open(path, &reason)) {
    case ZipArchive::Fault::None:
        break;
    case ZipArchive::Fault::Unreadable:
        *error = reason;
        return false;
    case ZipArchive::Fault::Damaged:
        *error = QStringLiteral("Fisierul %1 este deteriorat sau incomplet: arhiva zip a registrului nu poate fi "
                                "citita.").arg(zip.path());
        return false;
    case ZipArchive::Fault::NotZip:
        switch (ole2Kind(path)) {
        case Ole2::Encrypted:
            *error = QStringLiteral("Fisierul %1 este protejat cu parola; salvati-l fara parola.").arg(zip.path());
            break;
        case Ole2::Plain:
            *error = notWorkbook(zip.path(), QStringLiteral("este un registru Excel vechi (.xls) sau alt document "
                                                            "Office; salvati-l ca .xlsx"));
            break;
        case Ole2::No:
            *error = notWorkbook(zip.path(), QStringLiteral("nu este o arhiva zip"));
            break;
        }
        return false;
    }
    if (!zip.contains(WorkbookPart)) {
        *error = notWorkbook(zip.path(), QStringLiteral("arhiva nu contine partea %1").arg(WorkbookPart));
        return false;
    }
    return true;
}

// Where a relation's target is inside the zip: relative to the folder of the part that names it.
QString partPath(const QString &folder, QStringView target)
{
    const QString path = target.startsWith(u'/') ? target.mid(1).toString() : folder + u'/' + target.toString();
    return QDir::cleanPath(path);
}

struct Workbook
{
    struct Sheet
    {
        QString name;
        QString part;
    };
    QList<Sheet> sheets;
    QString sharedStrings;
    QString styles;
    bool date1904 = false;
};

// The sheets, the parts they are in and the date system; false with the reason.
bool readWorkbook(const ZipArchive &zip, Workbook *book, QString *why)
{
    const QString relsPart = QStringLiteral("xl/_rels/workbook.xml.rels");
    QByteArray bytes;
    if (!zip.read(relsPart, MaxPartBytes, &bytes, why))
        return false;
    QHash<QString, QString> worksheets;
    QXmlStreamReader rels(bytes);
    while (!rels.atEnd()) {
        if (rels.readNext() != QXmlStreamReader::StartElement || rels.name() != u"Relationship")
            continue;
        const QXmlStreamAttributes attributes = rels.attributes();
        if (attributes.value("TargetMode"_L1) == u"External")
            continue;
        const QStringView type = attributes.value("Type"_L1);
        const QString target = partPath(QStringLiteral("xl"), attributes.value("Target"_L1));
        if (type.endsWith(u"/worksheet"))
            worksheets.insert(attributes.value("Id"_L1).toString(), target);
        else if (type.endsWith(u"/sharedStrings"))
            book->sharedStrings = target;
        else if (type.endsWith(u"/styles"))
            book->styles = target;
    }
    if (rels.hasError()) {
        *why = QStringLiteral("partea %1 nu este XML valid (linia %2)").arg(relsPart).arg(rels.lineNumber());
        return false;
    }

    if (!zip.read(WorkbookPart, MaxPartBytes, &bytes, why))
        return false;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.name() == u"workbookPr") {
            const QStringView flag = attributes.value("date1904"_L1);
            book->date1904 = flag == u"1" || flag == u"true";
        } else if (xml.name() == u"sheet") {
            // The relation's id is in the relationships namespace, whichever prefix it has.
            QString id;
            for (const QXmlStreamAttribute &attribute : attributes) {
                if (attribute.name() == u"id" && !attribute.namespaceUri().isEmpty())
                    id = attribute.value().toString();
            }
            const auto part = worksheets.constFind(id);
            if (part != worksheets.constEnd()) // chart sheets have no cells
                book->sheets.append({attributes.value("name"_L1).toString(), *part});
        }
    }
    if (xml.hasError()) {
        *why = QStringLiteral("partea %1 nu este XML valid (linia %2)").arg(WorkbookPart).arg(xml.lineNumber());
        return false;
    }
    return true;
}

// The number format of each cell format (the s of a cell), from the styles part.
bool readStyles(const ZipArchive &zip, const QString &part, std::vector<NumberStyle> *styles, QString *why)
{
    if (part.isEmpty() || !zip.contains(part))
        return true; // every cell General
    QByteArray bytes;
    if (!zip.read(part, MaxPartBytes, &bytes, why))
        return false;
    QHash<int, QString> codes;
    QXmlStreamReader xml(bytes);
    bool cellFormats = false;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == u"cellXfs")
            cellFormats = false;
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.name() == u"numFmt") {
            codes.insert(attributes.value("numFmtId"_L1).toInt(), attributes.value("formatCode"_L1).toString());
        } else if (xml.name() == u"cellXfs") {
            cellFormats = true;
        } else if (cellFormats && xml.name() == u"xf") {
            const int id = attributes.value("numFmtId"_L1).toInt();
            const auto code = codes.constFind(id);
            styles->push_back(code != codes.constEnd() ? NumberStyle::excelCode(*code) : NumberStyle::excelBuiltIn(id));
        }
    }
    if (xml.hasError()) {
        *why = QStringLiteral("partea %1 nu este XML valid (linia %2)").arg(part).arg(xml.lineNumber());
        return false;
    }
    return true;
}

// "_x000D_" is how Office Open XML writes a character XML cannot hold; "_x005F_" an underscore.
void appendOfficeText(std::string &out, QStringView text)
{
    if (!text.contains(u"_x")) {
        appendUtf8(out, text);
        return;
    }
    QString decoded;
    decoded.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        bool ok = false;
        if (text[i] == u'_' && i + 6 < text.size() && text[i + 1] == u'x' && text[i + 6] == u'_') {
            const uint code = text.mid(i + 2, 4).toUInt(&ok, 16);
            if (ok) {
                decoded += QChar(char16_t(code));
                i += 6;
                continue;
            }
        }
        decoded += text[i];
    }
    appendUtf8(out, decoded);
}

// Digits of a ref or index: -1 when there are none or too many.
qint64 parseCount(QStringView text)
{
    qint64 value = 0;
    if (text.isEmpty() || text.size() > 12)
        return -1;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

// A cell reference's column (from 0) and row (from 0, or -1 without one); false when it is
// not a reference inside the sheet's limits.
bool parseReference(QStringView ref, int *column, qint64 *row)
{
    qsizetype i = 0;
    int letters = 0;
    qint64 value = 0;
    for (; i < ref.size() && letters < 4; ++i, ++letters) {
        const char16_t c = ref[i].unicode() & ~0x20; // upper case
        if (c < u'A' || c > u'Z')
            break;
        value = value * 26 + (c - u'A' + 1);
    }
    const qint64 number = i < ref.size() ? parseCount(ref.mid(i)) : -1;
    if (letters == 0 || value > SheetCursor::MaxColumns || (i < ref.size() && (number < 1 || number > SheetCursor::MaxRows)))
        return false;
    *column = int(value - 1);
    *row = number - 1;
    return true;
}

// The shared texts, read from their part only as far as the cells read so far need.
class SharedStrings
{
public:
    void open(const ZipArchive &zip, const QString &part)
    {
        m_part = part;
        QString why;
        m_open = !part.isEmpty() && zip.contains(part) && m_xml.open(zip, part, &why);
        if (!m_open && !why.isEmpty())
            m_why = why;
    }

    // The index-th text; false when the part has no such one or is damaged (why()).
    bool get(qint64 index, std::string_view *text)
    {
        while (index >= qint64(m_ends.size())) {
            if (!readOne())
                return false;
        }
        const std::size_t start = index == 0 ? 0 : m_ends[std::size_t(index - 1)];
        *text = std::string_view(m_text).substr(start, m_ends[std::size_t(index)] - start);
        return true;
    }
    QString why() const { return m_why; }

private:
    bool readOne()
    {
        if (!m_open)
            return false;
        for (;;) {
            const QXmlStreamReader::TokenType token = m_xml.next();
            if (token == QXmlStreamReader::StartElement && m_xml.xml().name() == u"si")
                break;
            if (token == QXmlStreamReader::Invalid || token == QXmlStreamReader::EndDocument) {
                m_open = false;
                m_why = m_xml.why();
                return false;
            }
        }
        // Its text, or the runs' texts of a rich text, without the phonetic guides.
        for (int depth = 1; depth > 0;) {
            switch (m_xml.next()) {
            case QXmlStreamReader::StartElement:
                if (m_xml.xml().name() == u"t") {
                    if (!m_xml.readText(&m_run))
                        return fail();
                    appendOfficeText(m_text, m_run);
                } else if (m_xml.xml().name() == u"rPh") {
                    if (!m_xml.skipElement())
                        return fail();
                } else {
                    ++depth; // a run, its properties
                }
                break;
            case QXmlStreamReader::EndElement: --depth; break;
            case QXmlStreamReader::Invalid: return fail();
            default: break;
            }
        }
        m_ends.push_back(m_text.size());
        return true;
    }
    bool fail()
    {
        m_open = false;
        m_why = m_xml.why().isEmpty() ? QStringLiteral("partea %1 este incompleta").arg(m_part) : m_xml.why();
        return false;
    }

    QString m_part;
    XmlMember m_xml;
    bool m_open = false;
    std::string m_text;
    std::vector<std::size_t> m_ends;
    QString m_run;
    QString m_why;
};

class XlsxRows final : public SheetRows
{
public:
    // The sheet named `name` (exactly, else ignoring case) as the file is now; false with the
    // reason.
    bool open(const QString &path, const QString &name, QString *sheet, QString *error);
    bool nextRow(Row &row, int columns) override;
    bool changed() const override { return m_zip.changed(); }

private:
    enum class Type { Number, Shared, Inline, Text, Boolean, Error, Date };

    bool readRowCells(Row &row, int columns);
    bool readCell(Row &row, int columns, int *nextColumn);
    void appendValue(Row &row, Type type, int style);
    bool damaged(const QString &why)
    {
        setFault(formulix::damaged(m_zip.path(), why));
        m_ended = true;
        return false;
    }
    bool xmlFault() { return damaged(m_sheet.why().isEmpty() ? QStringLiteral("partea %1 este incompleta").arg(m_sheet.name()) : m_sheet.why()); }

    ZipArchive m_zip;
    XmlMember m_sheet;
    SharedStrings m_strings;
    std::vector<NumberStyle> m_styles;
    CellFormat m_format; // the regional settings as the sheet is opened
    bool m_date1904 = false;
    QString m_sheetName;
    bool m_inData = false;
    bool m_ended = false;
    qint64 m_lastRow = -1;
    QString m_value;  // a cell's <v>
    QString m_inline; // a cell's inline text
    QString m_run;
};

bool XlsxRows::open(const QString &path, const QString &name, QString *sheet, QString *error)
{
    if (!openWorkbookZip(m_zip, path, error))
        return false;
    Workbook book;
    QString why;
    if (!readWorkbook(m_zip, &book, &why)) {
        *error = formulix::damaged(m_zip.path(), why);
        return false;
    }
    const Workbook::Sheet *found = nullptr;
    for (const Workbook::Sheet &candidate : std::as_const(book.sheets)) {
        if (candidate.name == name) {
            found = &candidate;
            break;
        }
        if (!found && candidate.name.compare(name, Qt::CaseInsensitive) == 0)
            found = &candidate;
    }
    if (!found) {
        *error = QStringLiteral("Fisierul %1 nu are foaia %2.").arg(m_zip.path(), name);
        return false;
    }
    if (!readStyles(m_zip, book.styles, &m_styles, &why) || !m_sheet.open(m_zip, found->part, &why)) {
        *error = formulix::damaged(m_zip.path(), why);
        return false;
    }
    m_strings.open(m_zip, book.sharedStrings);
    m_date1904 = book.date1904;
    m_sheetName = found->name;
    *sheet = found->name;
    return true;
}

bool XlsxRows::nextRow(Row &row, int columns)
{
    row.clear();
    while (!m_ended) {
        switch (m_sheet.next()) {
        case QXmlStreamReader::StartElement: {
            const QStringView name = m_sheet.xml().name();
            if (!m_inData) {
                // Into every element before the cells; the declared size only has to fit a sheet.
                if (name == u"sheetData") {
                    m_inData = true;
                } else if (name == u"dimension") {
                    const QStringView ref = m_sheet.xml().attributes().value("ref"_L1);
                    int column = 0;
                    qint64 line = 0;
                    for (QStringView corner : ref.split(u':')) {
                        if (!corner.isEmpty() && !parseReference(corner, &column, &line))
                            return damaged(QStringLiteral("foaia %1 declara o marime in afara limitelor unei foi (%2)")
                                               .arg(m_sheetName, ref.toString()));
                    }
                }
            } else if (name == u"row") {
                return readRowCells(row, columns);
            } else if (!m_sheet.skipElement()) {
                return xmlFault();
            }
            break;
        }
        case QXmlStreamReader::EndElement:
            if (m_inData && m_sheet.xml().name() == u"sheetData")
                m_ended = true; // what follows the cells (merged ranges, page setup) shows no value
            break;
        case QXmlStreamReader::EndDocument: m_ended = true; break;
        case QXmlStreamReader::Invalid: return xmlFault();
        default: break;
        }
    }
    return false;
}

bool XlsxRows::readRowCells(Row &row, int columns)
{
    const QStringView r = m_sheet.xml().attributes().value("r"_L1);
    if (!r.isEmpty()) {
        const qint64 number = parseCount(r);
        if (number < 1 || number > SheetCursor::MaxRows)
            return damaged(QStringLiteral("randul %1 al foii %2 este in afara limitelor unei foi").arg(r.toString(), m_sheetName));
        row.index = number - 1;
    } else {
        row.index = m_lastRow + 1;
    }
    m_lastRow = row.index;
    int nextColumn = 0;
    for (;;) {
        switch (m_sheet.next()) {
        case QXmlStreamReader::StartElement:
            if (m_sheet.xml().name() == u"c" ? !readCell(row, columns, &nextColumn) : !m_sheet.skipElement())
                return m_ended ? false : xmlFault();
            break;
        case QXmlStreamReader::EndElement: return true;
        case QXmlStreamReader::Invalid: return xmlFault();
        default: break;
        }
    }
}

bool XlsxRows::readCell(Row &row, int columns, int *nextColumn)
{
    int column = *nextColumn;
    int style = 0;
    Type type = Type::Number;
    {
        const QXmlStreamAttributes attributes = m_sheet.xml().attributes();
        const QStringView ref = attributes.value("r"_L1);
        qint64 line = 0;
        if (!ref.isEmpty() && !parseReference(ref, &column, &line))
            return damaged(QStringLiteral("celula %1 a foii %2 este in afara limitelor unei foi").arg(ref.toString(), m_sheetName));
        const QStringView t = attributes.value("t"_L1);
        if (t == u"s")
            type = Type::Shared;
        else if (t == u"inlineStr")
            type = Type::Inline;
        else if (t == u"str")
            type = Type::Text;
        else if (t == u"b")
            type = Type::Boolean;
        else if (t == u"e")
            type = Type::Error;
        else if (t == u"d")
            type = Type::Date;
        const QStringView s = attributes.value("s"_L1);
        if (!s.isEmpty())
            style = int(std::min<qint64>(parseCount(s), std::numeric_limits<int>::max()));
    }
    *nextColumn = column + 1;
    m_value.resize(0); // keeping their room for the next cell
    m_inline.resize(0);
    for (;;) {
        switch (m_sheet.next()) {
        case QXmlStreamReader::StartElement:
            if (m_sheet.xml().name() == u"v") {
                if (!m_sheet.readText(&m_value))
                    return false;
            } else if (m_sheet.xml().name() == u"is") {
                // Text, or rich text runs, less the phonetic guides.
                for (int depth = 1; depth > 0;) {
                    switch (m_sheet.next()) {
                    case QXmlStreamReader::StartElement:
                        if (m_sheet.xml().name() == u"t") {
                            if (!m_sheet.readText(&m_run))
                                return false;
                            m_inline += m_run;
                        } else if (m_sheet.xml().name() == u"rPh") {
                            if (!m_sheet.skipElement())
                                return false;
                        } else {
                            ++depth;
                        }
                        break;
                    case QXmlStreamReader::EndElement: --depth; break;
                    case QXmlStreamReader::Invalid: return false;
                    default: break;
                    }
                }
            } else if (!m_sheet.skipElement()) { // the formula, whose value is in <v>
                return false;
            }
            break;
        case QXmlStreamReader::EndElement:
            if (column < columns) {
                appendValue(row, type, style);
                if (m_ended)
                    return false;
                row.endCell(column);
            }
            return true;
        case QXmlStreamReader::Invalid: return false;
        default: break;
        }
    }
}

void XlsxRows::appendValue(Row &row, Type type, int style)
{
    std::string &out = row.text;
    const NumberStyle &format = style >= 0 && std::size_t(style) < m_styles.size() ? m_styles[std::size_t(style)]
                                                                                   : NumberStyle();
    switch (type) {
    case Type::Shared: {
        if (m_value.isEmpty())
            return;
        const qint64 index = parseCount(QStringView(m_value).trimmed());
        std::string_view text;
        if (index < 0 || !m_strings.get(index, &text)) {
            damaged(!m_strings.why().isEmpty()
                        ? m_strings.why()
                        : QStringLiteral("o celula a foii %1 trimite la textul comun %2, care lipseste").arg(m_sheetName, m_value));
            return;
        }
        out += text;
        return;
    }
    case Type::Inline:
        appendOfficeText(out, m_inline.isEmpty() ? m_value : m_inline);
        return;
    case Type::Text:
    case Type::Error:
        appendOfficeText(out, m_value);
        return;
    case Type::Boolean:
        if (!m_value.isEmpty())
            CellFormat::appendBoolean(out, m_value != u"0" && m_value != u"false");
        return;
    case Type::Date: {
        QDate date;
        qint64 seconds = 0;
        bool hasTime = false;
        if (!parseIsoDateTime(m_value, &date, &seconds, &hasTime)) {
            appendUtf8(out, m_value);
            return;
        }
        m_format.appendDateTime(out, date, seconds,
                                format.kind == NumberStyle::DateTime ? format
                                                                     : NumberStyle::dateTime(true, hasTime, seconds % 60 != 0));
        return;
    }
    case Type::Number:
        break;
    }
    const QStringView text = QStringView(m_value).trimmed();
    if (text.isEmpty())
        return;
    char latin[64];
    double value = 0;
    std::from_chars_result parsed{nullptr, std::errc::invalid_argument};
    if (text.size() < qsizetype(sizeof latin)) {
        for (qsizetype i = 0; i < text.size(); ++i)
            latin[i] = char(text[i].unicode() < 0x80 ? text[i].unicode() : '?');
        parsed = std::from_chars(latin, latin + text.size(), value);
    }
    if (parsed.ec != std::errc() || parsed.ptr != latin + text.size()) {
        appendUtf8(out, text); // not a number: as it is written
        return;
    }
    if (format.kind == NumberStyle::DateTime)
        m_format.appendSerialDate(out, value, format, m_date1904);
    else
        m_format.appendNumber(out, value, format);
}

} // namespace

std::unique_ptr<XlsxSource> XlsxSource::open(const QString &path, QString *error)
{
    QString reason;
    ZipArchive zip;
    Workbook book;
    if (!openWorkbookZip(zip, path, &reason)) {
        if (error)
            *error = reason;
        return nullptr;
    }
    if (!readWorkbook(zip, &book, &reason)) {
        if (error)
            *error = damaged(zip.path(), reason);
        return nullptr;
    }
    std::unique_ptr<XlsxSource> source(new XlsxSource);
    source->m_path = path;
    const QFileInfo info(path);
    source->m_size = info.size();
    source->m_modified = info.lastModified();
    for (const Workbook::Sheet &sheet : std::as_const(book.sheets))
        source->m_sheets.append(sheet.name);
    return source;
}

bool XlsxSource::changedOnDisk() const
{
    const QFileInfo info(m_path);
    return !info.exists() || info.size() != m_size || info.lastModified() != m_modified;
}

std::unique_ptr<RecordCursor> XlsxSource::openTable(const QString &name, QString *error) const
{
    auto rows = std::make_unique<XlsxRows>();
    QString sheet, reason;
    if (!rows->open(m_path, name, &sheet, &reason)) {
        if (error)
            *error = reason;
        return nullptr;
    }
    return SheetCursor::open(std::move(rows), QDir::toNativeSeparators(m_path), sheet, error);
}

SourceKind xlsxSourceKind()
{
    SourceKind kind;
    kind.name = QStringLiteral("Registre Excel");
    kind.extensions = {QStringLiteral("xlsx")};
    kind.recognises = [](QByteArrayView head, const QString &path) {
        if (head.startsWith("PK\x03\x04")) {
            ZipArchive zip;
            return zip.open(path, nullptr) == ZipArchive::Fault::None && zip.contains(WorkbookPart);
        }
        return head.startsWith(QByteArrayView("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) && ole2Kind(path) == Ole2::Encrypted;
    };
    kind.open = [](const QString &path, const QString &, QString *error, OpenFailure *failure) -> std::unique_ptr<RecordSource> {
        std::unique_ptr<XlsxSource> source = XlsxSource::open(path, error);
        if (failure)
            *failure = source ? OpenFailure::None : OpenFailure::Failed;
        return source;
    };
    return kind;
}

} // namespace formulix
