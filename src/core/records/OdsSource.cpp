#include "core/records/OdsSource.h"

#include "core/records/CellFormat.h"
#include "core/records/SheetCursor.h"
#include "core/records/ZipArchive.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <charconv>
#include <cstring>

namespace formulix {

using namespace Qt::Literals::StringLiterals;

namespace {

const QString ContentPart = QStringLiteral("content.xml");
const QByteArray SpreadsheetType = "application/vnd.oasis.opendocument.spreadsheet";
constexpr QLatin1StringView OfficeNs("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
constexpr QLatin1StringView TableNs("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
constexpr QLatin1StringView TextNs("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
constexpr QLatin1StringView StyleNs("urn:oasis:names:tc:opendocument:xmlns:style:1.0");
constexpr QLatin1StringView NumberNs("urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0");
constexpr QLatin1StringView CalcExtNs("urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0");
constexpr QLatin1StringView LoExtNs("urn:org:documentfoundation:names:experimental:office:xmlns:loext:1.0");
constexpr qint64 MaxSmallPart = 16 << 20;
constexpr qint64 MaxTagBytes = 1 << 20;
constexpr int MaxSpaces = 1000; // one text:s keeps at most this many

QString notSpreadsheet(const QString &path, const QString &why)
{
    return QStringLiteral("Fisierul %1 nu este un registru OpenDocument (.ods): %2.").arg(path, why);
}

QString damaged(const QString &path, const QString &why)
{
    return QStringLiteral("Fisierul %1 este deteriorat: %2.").arg(path, why);
}

// A count attribute: 1 when absent or not a number, at most `most`.
qint64 countOf(QStringView text, qint64 most)
{
    if (text.isEmpty())
        return 1;
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    return !ok || value < 1 ? 1 : std::min(value, most);
}

bool openSpreadsheetZip(ZipArchive &zip, const QString &path, QString *error)
{
    QString reason;
    switch (zip.open(path, &reason)) {
    case ZipArchive::Fault::None: break;
    case ZipArchive::Fault::Unreadable: *error = reason; return false;
    case ZipArchive::Fault::Damaged:
        *error = QStringLiteral("Fisierul %1 este deteriorat sau incomplet: arhiva zip a registrului nu poate fi "
                                "citita.").arg(zip.path());
        return false;
    case ZipArchive::Fault::NotZip:
        *error = notSpreadsheet(zip.path(), QStringLiteral("nu este o arhiva zip"));
        return false;
    }
    QByteArray bytes;
    if (zip.contains(QStringLiteral("mimetype"))) {
        if (!zip.read(QStringLiteral("mimetype"), 4096, &bytes, &reason)) {
            *error = damaged(zip.path(), reason);
            return false;
        }
        bytes = bytes.trimmed();
        if (!bytes.startsWith(SpreadsheetType)) { // a template (-template) is a spreadsheet too
            *error = notSpreadsheet(zip.path(), QStringLiteral("este un document de alt fel (%1)").arg(QString::fromUtf8(bytes.left(100))));
            return false;
        }
    }
    // A password-protected document keeps its parts encrypted and says how in its manifest.
    if (zip.read(QStringLiteral("META-INF/manifest.xml"), MaxSmallPart, &bytes, &reason) && bytes.contains("encryption-data")) {
        *error = QStringLiteral("Fisierul %1 este protejat cu parola; salvati-l fara parola.").arg(zip.path());
        return false;
    }
    if (!zip.contains(ContentPart)) {
        *error = notSpreadsheet(zip.path(), QStringLiteral("arhiva nu contine partea %1").arg(ContentPart));
        return false;
    }
    return true;
}

// The sheets' names in order, found by their start tags in content.xml: a long sheet is not
// parsed to reach the next. The table prefix is the one the document declares.
bool scanSheetNames(const ZipArchive &zip, QStringList *names, QString *why)
{
    QString prefix = QStringLiteral("table");
    {
        XmlMember xml;
        if (!xml.open(zip, ContentPart, why))
            return false;
        QXmlStreamReader::TokenType token;
        while ((token = xml.next()) != QXmlStreamReader::StartElement) {
            if (token == QXmlStreamReader::Invalid) {
                *why = xml.why();
                return false;
            }
        }
        for (const QXmlStreamNamespaceDeclaration &declaration : xml.xml().namespaceDeclarations()) {
            if (declaration.namespaceUri() == TableNs)
                prefix = declaration.prefix().toString();
        }
    }
    const std::string open = "<" + prefix.toStdString() + ":table";
    ZipStream stream;
    if (!stream.open(zip, ContentPart, why))
        return false;
    std::string buffer;
    std::size_t from = 0;
    std::vector<char> block(256 * 1024);
    for (;;) {
        const std::size_t at = buffer.find(open, from);
        bool more = at == std::string::npos;
        if (!more) {
            const std::size_t after = at + open.size();
            if (after >= buffer.size()) {
                more = true;
            } else if (!std::strchr(" \t\r\n/>", buffer[after]) || buffer[after] == 0) {
                from = after; // table-row, table-cell...
                continue;
            } else {
                // The tag's end: the first '>' outside quoted values.
                char quote = 0;
                std::size_t end = after;
                for (; end < buffer.size(); ++end) {
                    const char c = buffer[end];
                    if (quote)
                        quote = c == quote ? 0 : quote;
                    else if (c == '"' || c == '\'')
                        quote = c;
                    else if (c == '>')
                        break;
                }
                if (end < buffer.size()) {
                    std::string tag = buffer.substr(at, end - at);
                    if (tag.back() != '/')
                        tag += '/';
                    tag += '>';
                    QXmlStreamReader xml(QByteArray::fromStdString(tag));
                    xml.setNamespaceProcessing(false);
                    while (!xml.atEnd() && xml.readNext() != QXmlStreamReader::StartElement) {
                    }
                    names->append(xml.attributes().value(prefix + QStringLiteral(":name")).toString());
                    from = end + 1;
                    continue;
                }
                if (buffer.size() - at > std::size_t(MaxTagBytes)) {
                    *why = QStringLiteral("partea %1 are o foaie cu eticheta de inceput neterminata").arg(ContentPart);
                    return false;
                }
                more = true;
            }
        }
        // What is searched is let go, but for the start of a tag that may go on in the next block.
        const std::size_t keep = at != std::string::npos ? at : buffer.size() - std::min(buffer.size(), open.size());
        buffer.erase(0, keep);
        from = 0;
        const qint64 got = stream.read(block.data(), qint64(block.size()));
        if (got < 0) {
            *why = stream.why();
            return false;
        }
        if (got == 0)
            return true;
        buffer.append(block.data(), std::size_t(got));
    }
}

class OdsRows final : public SheetRows
{
public:
    bool open(const QString &path, const QString &sheet, QString *error);
    bool nextRow(Row &row, int columns) override;
    bool changed() const override { return m_zip.changed(); }

private:
    bool readStyles(XmlMember &xml);
    bool readNumberStyle(XmlMember &xml, QStringView kind);
    const NumberStyle &styleOf(const QString &cellStyle);
    bool readRowCells(Row &row, int columns);
    bool readCell(Row &row, int columns, const QString &rowStyle, int *column);
    bool readParagraph(QString *text);
    void appendValue(std::string &out, const NumberStyle &style);
    bool xmlFault()
    {
        setFault(damaged(m_zip.path(), m_content.why().isEmpty() ? QStringLiteral("partea %1 este incompleta").arg(ContentPart)
                                                                 : m_content.why()));
        m_ended = true;
        return false;
    }

    ZipArchive m_zip;
    XmlMember m_content;
    CellFormat m_format;
    QString m_sheet;
    // Number styles by name; cell styles by name: their number style and the style they build on.
    QHash<QString, NumberStyle> m_numberStyles;
    QHash<QString, std::pair<QString, QString>> m_cellStyles;
    QHash<QString, NumberStyle> m_resolved;
    std::vector<QString> m_columnStyles; // each column's default cell style
    qint64 m_nextRow = 0;
    bool m_ended = false;
    // The cell being read.
    QString m_type, m_value, m_paragraphs, m_paragraph;
};

bool OdsRows::open(const QString &path, const QString &sheet, QString *error)
{
    if (!openSpreadsheetZip(m_zip, path, error))
        return false;
    m_sheet = sheet;
    QString why;
    const QString stylesPart = QStringLiteral("styles.xml");
    if (m_zip.contains(stylesPart)) {
        XmlMember styles;
        if (!styles.open(m_zip, stylesPart, &why)) {
            *error = damaged(m_zip.path(), why);
            return false;
        }
        for (QXmlStreamReader::TokenType token; (token = styles.next()) != QXmlStreamReader::EndDocument;) {
            if (token == QXmlStreamReader::Invalid) {
                *error = damaged(m_zip.path(), styles.why());
                return false;
            }
            if (token == QXmlStreamReader::StartElement && styles.xml().namespaceUri() == OfficeNs
                && (styles.xml().name() == u"styles" || styles.xml().name() == u"automatic-styles") && !readStyles(styles)) {
                *error = damaged(m_zip.path(), styles.why());
                return false;
            }
        }
    }
    if (!m_content.open(m_zip, ContentPart, &why)) {
        *error = damaged(m_zip.path(), why);
        return false;
    }
    // To the sheet: the styles on the way are kept, the other sheets passed over.
    for (;;) {
        const QXmlStreamReader::TokenType token = m_content.next();
        if (token == QXmlStreamReader::Invalid || token == QXmlStreamReader::EndDocument) {
            xmlFault();
            *error = m_content.failed() ? fault() : QStringLiteral("Fisierul %1 nu are foaia %2.").arg(m_zip.path(), sheet);
            return false;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamReader &xml = m_content.xml();
        const QStringView name = xml.name();
        bool ok = true;
        if (xml.namespaceUri() == OfficeNs && name == u"automatic-styles") {
            ok = readStyles(m_content);
        } else if (xml.namespaceUri() == TableNs && name == u"table") {
            if (xml.attributes().value(TableNs, "name"_L1) == sheet)
                return true;
            ok = m_content.skipElement();
        } else if (!(xml.namespaceUri() == OfficeNs && (name == u"document-content" || name == u"body" || name == u"spreadsheet"))) {
            ok = m_content.skipElement();
        }
        if (!ok) {
            xmlFault();
            *error = fault();
            return false;
        }
    }
}

bool OdsRows::readStyles(XmlMember &xml)
{
    for (;;) {
        switch (xml.next()) {
        case QXmlStreamReader::StartElement: {
            const QStringView name = xml.xml().name();
            if (xml.xml().namespaceUri() == NumberNs && name.endsWith(u"-style")) {
                if (!readNumberStyle(xml, name))
                    return false;
                break;
            }
            if (xml.xml().namespaceUri() == StyleNs && name == u"style") {
                const QXmlStreamAttributes attributes = xml.xml().attributes();
                if (attributes.value(StyleNs, "family"_L1) == u"table-cell")
                    m_cellStyles.insert(attributes.value(StyleNs, "name"_L1).toString(),
                                        {attributes.value(StyleNs, "data-style-name"_L1).toString(),
                                         attributes.value(StyleNs, "parent-style-name"_L1).toString()});
            }
            if (!xml.skipElement())
                return false;
            break;
        }
        case QXmlStreamReader::EndElement: return true;
        case QXmlStreamReader::Invalid: return false;
        default: break;
        }
    }
}

bool OdsRows::readNumberStyle(XmlMember &xml, QStringView kind)
{
    const QXmlStreamAttributes attributes = xml.xml().attributes();
    const QString name = attributes.value(StyleNs, "name"_L1).toString();
    const bool dateOrTime = kind == u"date-style" || kind == u"time-style";
    NumberStyle style;
    if (dateOrTime)
        style = NumberStyle::dateTime(false, false, false, attributes.value(NumberNs, "truncate-on-overflow"_L1) == u"false");
    bool general = false;
    for (int depth = 1; depth > 0;) {
        switch (xml.next()) {
        case QXmlStreamReader::StartElement: {
            ++depth;
            if (xml.xml().namespaceUri() != NumberNs)
                break;
            const QStringView part = xml.xml().name();
            const QXmlStreamAttributes partAttributes = xml.xml().attributes();
            if (dateOrTime) {
                if (part == u"hours" || part == u"minutes") {
                    style.time = true;
                } else if (part == u"seconds") {
                    style.time = style.seconds = true;
                } else if (part == u"day" || part == u"month" || part == u"year" || part == u"era"
                           || part == u"day-of-week" || part == u"week-of-year" || part == u"quarter") {
                    style.date = true;
                }
            } else if (part == u"number") {
                const int decimals = std::clamp(partAttributes.value(NumberNs, "decimal-places"_L1).toInt(), 0, 30);
                QStringView least = partAttributes.value(NumberNs, "min-decimal-places"_L1);
                if (least.isEmpty())
                    least = partAttributes.value(LoExtNs, "min-decimal-places"_L1);
                style.kind = NumberStyle::Digits;
                style.maxDecimals = quint8(decimals);
                style.minDecimals = quint8(least.isEmpty() ? decimals : std::clamp(least.toInt(), 0, decimals));
                style.grouping = partAttributes.value(NumberNs, "grouping"_L1) == u"true";
            } else if (part == u"scientific-number" || part == u"fraction") {
                general = true;
            }
            break;
        }
        case QXmlStreamReader::EndElement: --depth; break;
        case QXmlStreamReader::Invalid: return false;
        default: break;
        }
    }
    if (general)
        style = NumberStyle();
    if (kind == u"boolean-style")
        style.kind = NumberStyle::YesNo;
    if (kind == u"percentage-style")
        style.percent = true;
    if (dateOrTime && !style.date && !style.time)
        style.date = true;
    m_numberStyles.insert(name, style);
    return true;
}

const NumberStyle &OdsRows::styleOf(const QString &cellStyle)
{
    auto known = m_resolved.find(cellStyle);
    if (known != m_resolved.end())
        return *known;
    // A cell style without a number style takes its parent's.
    NumberStyle style;
    QString name = cellStyle;
    for (int depth = 0; depth < 16 && !name.isEmpty(); ++depth) {
        const auto entry = m_cellStyles.constFind(name);
        if (entry == m_cellStyles.constEnd())
            break;
        if (!entry->first.isEmpty()) {
            style = m_numberStyles.value(entry->first);
            break;
        }
        name = entry->second;
    }
    return *m_resolved.insert(cellStyle, style);
}

bool OdsRows::nextRow(Row &row, int columns)
{
    row.clear();
    while (!m_ended) {
        switch (m_content.next()) {
        case QXmlStreamReader::StartElement: {
            const QXmlStreamReader &xml = m_content.xml();
            const QStringView name = xml.name();
            if (xml.namespaceUri() != TableNs) {
                if (!m_content.skipElement())
                    return xmlFault();
            } else if (name == u"table-row") {
                return readRowCells(row, columns);
            } else if (name == u"table-column") {
                const QXmlStreamAttributes attributes = xml.attributes();
                const qint64 repeat = countOf(attributes.value(TableNs, "number-columns-repeated"_L1), SheetCursor::MaxColumns);
                const QString style = attributes.value(TableNs, "default-cell-style-name"_L1).toString();
                for (qint64 i = 0; i < repeat && m_columnStyles.size() < std::size_t(SheetCursor::MaxColumns); ++i)
                    m_columnStyles.push_back(style);
                if (!m_content.skipElement())
                    return xmlFault();
            } else if (!name.startsWith(u"table-row") && !name.startsWith(u"table-column") && name != u"table-header-rows"
                       && name != u"table-header-columns") {
                // Not a group of rows or columns, into which the rows go on.
                if (!m_content.skipElement())
                    return xmlFault();
            }
            break;
        }
        case QXmlStreamReader::EndElement:
            if (m_content.xml().namespaceUri() == TableNs && m_content.xml().name() == u"table")
                m_ended = true;
            break;
        case QXmlStreamReader::Invalid: return xmlFault();
        default: break;
        }
    }
    return false;
}

bool OdsRows::readRowCells(Row &row, int columns)
{
    const QXmlStreamAttributes attributes = m_content.xml().attributes();
    // Rows past the sheet's limit stay counted, not read: only a value there is a fault.
    row.repeat = countOf(attributes.value(TableNs, "number-rows-repeated"_L1), SheetCursor::MaxRows + 1);
    row.index = m_nextRow;
    m_nextRow = std::min(m_nextRow + row.repeat, SheetCursor::MaxRows + 1);
    const QString rowStyle = attributes.value(TableNs, "default-cell-style-name"_L1).toString();
    int column = 0;
    for (;;) {
        switch (m_content.next()) {
        case QXmlStreamReader::StartElement: {
            const QStringView name = m_content.xml().name();
            const bool cell = m_content.xml().namespaceUri() == TableNs && (name == u"table-cell" || name == u"covered-table-cell");
            if (cell ? !readCell(row, columns, rowStyle, &column) : !m_content.skipElement())
                return xmlFault();
            break;
        }
        case QXmlStreamReader::EndElement: return true;
        case QXmlStreamReader::Invalid: return xmlFault();
        default: break;
        }
    }
}

bool OdsRows::readCell(Row &row, int columns, const QString &rowStyle, int *column)
{
    const int first = *column;
    const QXmlStreamReader &xml = m_content.xml();
    const bool covered = xml.name() == u"covered-table-cell";
    QString style;
    {
        const QXmlStreamAttributes attributes = xml.attributes();
        const qint64 repeat = countOf(attributes.value(TableNs, "number-columns-repeated"_L1), SheetCursor::MaxColumns);
        *column = int(std::min<qint64>(first + repeat, SheetCursor::MaxColumns));
        m_type = attributes.value(CalcExtNs, "value-type"_L1) == u"error" ? QStringLiteral("error")
                                                                          : attributes.value(OfficeNs, "value-type"_L1).toString();
        m_value.resize(0);
        // A workbook's yes/no that LibreOffice carried over keeps its value as a formula's number.
        const QStringView formula = attributes.value(TableNs, "formula"_L1);
        if (m_type == u"float" && (formula.endsWith(u"=TRUE()", Qt::CaseInsensitive) || formula.endsWith(u"=FALSE()", Qt::CaseInsensitive))) {
            m_type = QStringLiteral("boolean");
            m_value = attributes.value(OfficeNs, "value"_L1) == u"0" ? QStringLiteral("false") : QStringLiteral("true");
        } else if (m_type == u"float" || m_type == u"percentage" || m_type == u"currency") {
            m_value = attributes.value(OfficeNs, "value"_L1).toString();
        } else if (m_type == u"date") {
            m_value = attributes.value(OfficeNs, "date-value"_L1).toString();
        } else if (m_type == u"time") {
            m_value = attributes.value(OfficeNs, "time-value"_L1).toString();
        } else if (m_type == u"boolean") {
            m_value = attributes.value(OfficeNs, "boolean-value"_L1).toString();
        }
        style = attributes.value(TableNs, "style-name"_L1).toString();
    }
    m_paragraphs.resize(0);
    bool firstParagraph = true;
    for (;;) {
        switch (m_content.next()) {
        case QXmlStreamReader::StartElement:
            if (xml.namespaceUri() == TextNs && (xml.name() == u"p" || xml.name() == u"h")) {
                if (!readParagraph(&m_paragraph))
                    return false;
                if (!firstParagraph)
                    m_paragraphs += u'\n';
                m_paragraphs += m_paragraph;
                firstParagraph = false;
            } else if (!m_content.skipElement()) { // comments, drawings
                return false;
            }
            break;
        case QXmlStreamReader::EndElement: {
            if (covered || first >= columns)
                return true;
            if (style.isEmpty())
                style = !rowStyle.isEmpty() ? rowStyle
                      : std::size_t(first) < m_columnStyles.size() ? m_columnStyles[std::size_t(first)] : QString();
            const std::size_t start = row.text.size();
            appendValue(row.text, styleOf(style));
            if (row.text.size() == start)
                return true;
            // One value for each column it is repeated over, as far as the table goes.
            const std::string value = row.text.substr(start);
            row.endCell(first);
            for (int c = first + 1; c < std::min(*column, columns); ++c) {
                row.text += value;
                row.endCell(c);
            }
            return true;
        }
        case QXmlStreamReader::Invalid: return false;
        default: break;
        }
    }
}

bool OdsRows::readParagraph(QString *text)
{
    text->resize(0); // keeping its room
    for (int depth = 1; depth > 0;) {
        switch (m_content.next()) {
        case QXmlStreamReader::StartElement: {
            const QXmlStreamReader &xml = m_content.xml();
            const QStringView name = xml.name();
            if (xml.namespaceUri() == TextNs && name == u"s") {
                *text += QString(int(countOf(xml.attributes().value(TextNs, "c"_L1), MaxSpaces)), u' ');
            } else if (xml.namespaceUri() == TextNs && name == u"tab") {
                *text += u'\t';
            } else if (xml.namespaceUri() == TextNs && name == u"line-break") {
                *text += u'\n';
            } else if ((xml.namespaceUri() == TextNs && (name == u"note" || name == u"ruby-text"))
                       || xml.namespaceUri() == OfficeNs) {
                if (!m_content.skipElement()) // notes and comments are not the cell's text
                    return false;
                break;
            }
            ++depth; // a span or link, whose text is the paragraph's
            break;
        }
        case QXmlStreamReader::EndElement: --depth; break;
        case QXmlStreamReader::Characters:
        case QXmlStreamReader::EntityReference: text->append(m_content.xml().text()); break;
        case QXmlStreamReader::Invalid: return false;
        default: break;
        }
    }
    return true;
}

void OdsRows::appendValue(std::string &out, const NumberStyle &style)
{
    if (m_type == u"float" || m_type == u"percentage" || m_type == u"currency") {
        const QByteArray latin = m_value.trimmed().toLatin1();
        double value = 0;
        const auto parsed = std::from_chars(latin.constData(), latin.constData() + latin.size(), value);
        if (latin.isEmpty() || parsed.ec != std::errc() || parsed.ptr != latin.constData() + latin.size()) {
            appendUtf8(out, m_paragraphs); // no value kept: what the cell shows
            return;
        }
        NumberStyle shown = style.kind == NumberStyle::DateTime ? NumberStyle() : style;
        if (m_type == u"percentage")
            shown.percent = true;
        m_format.appendNumber(out, value, shown);
    } else if (m_type == u"date") {
        QDate date;
        qint64 seconds = 0;
        bool hasTime = false;
        if (!parseIsoDateTime(m_value, &date, &seconds, &hasTime)) {
            appendUtf8(out, m_paragraphs);
            return;
        }
        m_format.appendDateTime(out, date, seconds,
                                style.kind == NumberStyle::DateTime ? style
                                                                    : NumberStyle::dateTime(true, hasTime, seconds % 60 != 0));
    } else if (m_type == u"time") {
        qint64 seconds = 0;
        if (!parseIsoDuration(m_value, &seconds)) {
            appendUtf8(out, m_paragraphs);
            return;
        }
        NumberStyle shown = style.kind == NumberStyle::DateTime ? style : NumberStyle::dateTime(false, true, seconds % 60 != 0);
        shown.date = false;
        shown.time = true;
        m_format.appendDateTime(out, QDate(), seconds, shown);
    } else if (m_type == u"boolean") {
        CellFormat::appendBoolean(out, m_value == u"true" || m_value == u"1");
    } else {
        appendUtf8(out, m_paragraphs); // text, an error's text, or what a cell of no type shows
    }
}

} // namespace

std::unique_ptr<OdsSource> OdsSource::open(const QString &path, QString *error)
{
    ZipArchive zip;
    QString reason;
    QStringList sheets;
    if (!openSpreadsheetZip(zip, path, &reason)) {
        if (error)
            *error = reason;
        return nullptr;
    }
    if (!scanSheetNames(zip, &sheets, &reason)) {
        if (error)
            *error = damaged(zip.path(), reason);
        return nullptr;
    }
    std::unique_ptr<OdsSource> source(new OdsSource);
    source->m_path = path;
    const QFileInfo info(path);
    source->m_size = info.size();
    source->m_modified = info.lastModified();
    source->m_sheets = sheets;
    return source;
}

bool OdsSource::changedOnDisk() const
{
    const QFileInfo info(m_path);
    return !info.exists() || info.size() != m_size || info.lastModified() != m_modified;
}

std::unique_ptr<RecordCursor> OdsSource::openTable(const QString &name, QString *error) const
{
    QString sheet = name;
    if (!m_sheets.contains(name)) {
        for (const QString &candidate : m_sheets) {
            if (candidate.compare(name, Qt::CaseInsensitive) == 0) {
                sheet = candidate;
                break;
            }
        }
    }
    auto rows = std::make_unique<OdsRows>();
    QString reason;
    if (!rows->open(m_path, sheet, &reason)) {
        if (error)
            *error = reason;
        return nullptr;
    }
    return SheetCursor::open(std::move(rows), QDir::toNativeSeparators(m_path), sheet, error);
}

SourceKind odsSourceKind()
{
    SourceKind kind;
    kind.name = QStringLiteral("Registre OpenDocument");
    kind.extensions = {QStringLiteral("ods")};
    kind.recognises = [](QByteArrayView head, const QString &path) {
        if (!head.startsWith("PK\x03\x04"))
            return false;
        ZipArchive zip;
        QByteArray type;
        QString why;
        return zip.open(path, nullptr) == ZipArchive::Fault::None
            && zip.read(QStringLiteral("mimetype"), 4096, &type, &why) && type.trimmed().startsWith(SpreadsheetType);
    };
    kind.open = [](const QString &path, const QString &, QString *error, OpenFailure *failure) -> std::unique_ptr<RecordSource> {
        std::unique_ptr<OdsSource> source = OdsSource::open(path, error);
        if (failure)
            *failure = source ? OpenFailure::None : OpenFailure::Failed;
        return source;
    };
    return kind;
}

} // namespace formulix
