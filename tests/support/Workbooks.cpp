#include "support/Workbooks.h"

#include <QFile>
#include <QHash>
#include <zip.h>

namespace formulix::test {

namespace {

const QStringList Towns = {QStringLiteral("Cluj-Napoca"), QStringLiteral("Florești"), QStringLiteral("Târgu Mureș"),
                           QStringLiteral("Bistrița"), QStringLiteral("Oradea"), QStringLiteral("Gilău")};

QByteArray columnLetters(int column)
{
    QByteArray letters;
    for (int n = column + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(char('A' + (n - 1) % 26));
    return letters;
}

} // namespace

bool writeZip(const QString &path, const ZipParts &parts, bool storeFirst)
{
    QFile::remove(path);
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return false;
    bool ok = true;
    for (qsizetype i = 0; i < parts.size() && ok; ++i) {
        // libzip reads the bytes when the zip is closed: they stay in `parts` until then.
        const QByteArray &bytes = parts[i].second;
        zip_source_t *source = zip_source_buffer(archive, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        const zip_int64_t index = source ? zip_file_add(archive, parts[i].first.toUtf8().constData(), source, ZIP_FL_OVERWRITE) : -1;
        if (index < 0) {
            zip_source_free(source);
            ok = false;
        } else {
            // The fastest deflate: long generated sheets are mostly their own repetition, which
            // the default level spends seconds on.
            ok = zip_set_file_compression(archive, zip_uint64_t(index), i == 0 && storeFirst ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                                          1) == 0;
        }
    }
    if (!ok) {
        zip_discard(archive);
        return false;
    }
    return zip_close(archive) == 0;
}

ZipParts xlsxParts(const QByteArray &sheet, const QByteArray &sharedStrings, const QByteArray &styles)
{
    const QByteArray main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const QByteArray relations = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    QByteArray rels = "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                      "<Relationship Id=\"rId1\" Type=\"" + relations + "/worksheet\" Target=\"worksheets/sheet1.xml\"/>";
    ZipParts parts = {
        {QStringLiteral("[Content_Types].xml"),
         "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"},
        {QStringLiteral("xl/workbook.xml"),
         "<workbook xmlns=\"" + main + "\" xmlns:r=\"" + relations + "\"><sheets><sheet name=\"Foaie1\" sheetId=\"1\" "
         "r:id=\"rId1\"/></sheets></workbook>"},
        {QStringLiteral("xl/worksheets/sheet1.xml"), "<worksheet xmlns=\"" + main + "\">" + sheet + "</worksheet>"},
    };
    if (!sharedStrings.isNull()) {
        rels += "<Relationship Id=\"rId2\" Type=\"" + relations + "/sharedStrings\" Target=\"sharedStrings.xml\"/>";
        parts.append({QStringLiteral("xl/sharedStrings.xml"), "<sst xmlns=\"" + main + "\">" + sharedStrings + "</sst>"});
    }
    if (!styles.isNull()) {
        rels += "<Relationship Id=\"rId3\" Type=\"" + relations + "/styles\" Target=\"styles.xml\"/>";
        parts.append({QStringLiteral("xl/styles.xml"), "<styleSheet xmlns=\"" + main + "\">" + styles + "</styleSheet>"});
    }
    parts.append({QStringLiteral("xl/_rels/workbook.xml.rels"), rels + "</Relationships>"});
    return parts;
}

ZipParts odsParts(const QByteArray &tables, const QByteArray &styles)
{
    return {
        {QStringLiteral("mimetype"), "application/vnd.oasis.opendocument.spreadsheet"},
        {QStringLiteral("content.xml"),
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content "
         "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
         "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
         "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
         "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
         "xmlns:number=\"urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0\" office:version=\"1.3\">"
         "<office:automatic-styles>" + styles + "</office:automatic-styles><office:body><office:spreadsheet>"
         + tables + "</office:spreadsheet></office:body></office:document-content>"},
    };
}

namespace {

// A long sheet's cell as UTF-8, and whether it is a number.
QByteArray longSheetBytes(int row, int column, bool *number)
{
    *number = row >= 0 && column % 2 == 1;
    if (row < 0)
        return "Coloana" + QByteArray::number(column + 1);
    switch (column % 4) {
    case 0: return column == 0 ? "Elev " + QByteArray::number(row) : "Clasa a " + QByteArray::number(row % 12 + 1) + "-a";
    case 1: return QByteArray::number(row * 7 + column);
    case 2: return Towns[(row + column) % Towns.size()].toUtf8();
    default: return QByteArray::number(row % 1000 + 0.25 * (column % 4), 'g', 15);
    }
}

} // namespace

QString longSheetText(int row, int column)
{
    bool number = false;
    return QString::fromUtf8(longSheetBytes(row, column, &number));
}

bool writeLongXlsx(const QString &path, int rows, int columns, const QByteArray &tail)
{
    // Shared texts in the order the cells first use them, as writers number them: the first
    // column's are each new, the others repeat.
    QHash<QByteArray, int> numbers;
    int count = 0;
    QByteArray strings, sheet = "<dimension ref=\"A1\"/><sheetData>";
    strings.reserve(qsizetype(rows) * 24);
    sheet.reserve(qsizetype(rows) * columns * 32);
    std::vector<QByteArray> letters;
    for (int column = 0; column < columns; ++column)
        letters.push_back(columnLetters(column));
    for (int row = -1; row < rows; ++row) {
        const QByteArray line = QByteArray::number(row + 2);
        sheet.append("<row r=\"").append(line).append("\">");
        for (int column = 0; column < columns; ++column) {
            bool number = false;
            const QByteArray text = longSheetBytes(row, column, &number);
            sheet.append("<c r=\"").append(letters[std::size_t(column)]).append(line);
            if (number) {
                sheet.append("\"><v>").append(text);
            } else {
                int index = row >= 0 && column == 0 ? -1 : numbers.value(text, -1);
                if (index < 0) {
                    index = count++;
                    if (row < 0 || column != 0)
                        numbers.insert(text, index);
                    strings.append("<si><t>").append(text).append("</t></si>");
                }
                sheet.append("\" t=\"s\"><v>").append(QByteArray::number(index));
            }
            sheet.append("</v></c>");
        }
        sheet.append("</row>");
    }
    sheet += tail + "</sheetData>";
    return writeZip(path, xlsxParts(sheet, strings + tail));
}

} // namespace formulix::test
