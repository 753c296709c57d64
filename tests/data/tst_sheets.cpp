#include "core/records/RecordSources.h"
#include "core/records/SheetCursor.h"
#include "support/TestSupport.h"
#include "support/Workbooks.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace formulix;
using namespace formulix::test;

using Rows = QList<QStringList>;

namespace {

const QString N; // a NULL cell

QString fixture(const QString &name)
{
    return QStringLiteral(FORMULIX_SOURCE_DIR "/tests/fixtures/sheets/") + name;
}

// The cursor's rows as `rows` gives them, N where a cell is NULL.
bool sameCells(const RecordCursor &cursor, const Rows &rows, QString *why)
{
    if (cursor.rowsRead() != rows.size()) {
        *why = QStringLiteral("%1 rows instead of %2").arg(cursor.rowsRead()).arg(rows.size());
        return false;
    }
    for (int row = 0; row < rows.size(); ++row) {
        for (int column = 0; column < cursor.columnNames().size(); ++column) {
            const QString want = column < rows[row].size() ? rows[row][column] : QStringLiteral("<missing>");
            const bool null = cursor.isNull(row, column);
            const QString got = cursor.text(row, column);
            if (want.isNull() ? !null || !got.isEmpty() : null || got != want) {
                *why = QStringLiteral("row %1, column %2: \"%3\"%4 instead of \"%5\"")
                           .arg(row)
                           .arg(column)
                           .arg(got, null ? QStringLiteral(" (NULL)") : QString(), want.isNull() ? QStringLiteral("NULL") : want);
                return false;
            }
        }
    }
    return true;
}

} // namespace

class TestSheets : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void fixturesReadAsTheirProgramsShowThem_data();
    void fixturesReadAsTheirProgramsShowThem();
    void convertedTablesMatchTheCsv_data();
    void convertedTablesMatchTheCsv();
    void numbersFollowTheRegionalSettings_data();
    void numbersFollowTheRegionalSettings();
    void writtenSheetsReadAsWritten_data();
    void writtenSheetsReadAsWritten();
    void damagedFilesSayWhy_data();
    void damagedFilesSayWhy();
    void longSheetsReadOnDemand_data();
    void longSheetsReadOnDemand();
    void kindsAreToldByContent_data();
    void kindsAreToldByContent();
    void mutatedWorkbooksNeverCrashOrHang();

private:
    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        return writeFile(path, bytes) ? path : QString();
    }
    QByteArray zipped(const ZipParts &parts, bool storeFirst = false)
    {
        const QString path = m_dir.filePath(QStringLiteral("parti.zip"));
        return writeZip(path, parts, storeFirst) ? readFile(path) : QByteArray();
    }
    QTemporaryDir m_dir;
};

void TestSheets::fixturesReadAsTheirProgramsShowThem_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("tables");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<Rows>("rows");

    // openpyxl's workbook, and LibreOffice's .ods of it.
    const QStringList registru = {"Elevi", "Al doilea", "Ascunsa"};
    for (const QString file : {"registru.xlsx", "registru.ods"}) {
        QTest::addRow("%s: dates, formats, merged and empty cells", qPrintable(file))
            << file << registru << "Elevi"
            << QStringList{"Nume", "Nota", "Data", "Ora", "Moment", "Suma", "Mare", "Admis", "Procent", "Coloana 10", "nume_2"}
            << Rows{{"Ștefan Țăranu", "0.3", "14.03.2010", "10:30:15", "29.02.2024 23:59:59", "12.50", "1e+20", "Da", "12.50%", "x", "y"},
                    {"Îonel Brâncuși", N, N, N, N, "1,234.50", N, N, N, N, N},
                    {"Celule unite", N, N, N, N, N, N, N, N, N, N},
                    {N, N, N, N, N, N, N, N, N, N, N},
                    {"bogat", "10", "01.03.1900", "00:00:01", N, "0.00", "1.23456789012346e+17", "Nu", "100.00%", N, N}};
        QTest::addRow("%s: shared and rich texts, a cell past the header", qPrintable(file))
            << file << registru << "al doilea" << QStringList{"Cod", "Denumire"} << Rows{{"1", "Unu"}, {"2", "Doi"}};
        QTest::addRow("%s: a hidden sheet", qPrintable(file)) << file << registru << "Ascunsa" << QStringList{"Secret"}
                                                             << Rows{{"ascuns"}};
    }
    QTest::newRow("openpyxl: the 1904 date system") << "mac1904.xlsx" << QStringList{"Mac"} << "Mac"
                                                    << QStringList{"Data", "Moment"}
                                                    << Rows{{"14.03.2010", "01.01.1904 12:00:00"}};
    const QStringList columns = {"Text", "Cod", "Numar", "Zecimal", "Data", "DataOra", "Ora", "Adevarat", "Formula",
                                 "Coloana 10", "Text_2"};
    const Rows rows = {{"Școală țară", "00123", "42", "0.3", "14.03.2010", "14.03.2010 10:30:00", "10:30:15", "Da", "84", "a", "b"},
                       {"a", N, "-7", "1e+20", "31.12.1999", "29.02.2024 23:59:59", "00:00:01", "Nu", "#DIV/0!", N, N},
                       {"  spatii  ", "007", N, "1234.5", N, N, N, N, "#N/A", N, N},
                       {N, N, N, N, N, N, N, N, N, N, N},
                       {"ultimul", N, "0.5", N, N, N, N, N, "xultimul", N, N}};
    QTest::newRow("LibreOffice: typed cells and formulas, .xlsx") << "tipuri.xlsx" << QStringList{"tipuri"} << "tipuri"
                                                                  << columns << rows;
    QTest::newRow("LibreOffice: typed cells and formulas, .ods") << "tipuri.ods" << QStringList{"tipuri"} << "tipuri"
                                                                 << columns << rows;
}

void TestSheets::fixturesReadAsTheirProgramsShowThem()
{
    QFETCH(QString, file);
    QFETCH(QStringList, tables);
    QFETCH(QString, table);
    QFETCH(QStringList, columns);
    QFETCH(Rows, rows);
    QString error;
    const auto source = openRecordSource(fixture(file), &error);
    QVERIFY2(source, qPrintable(error));
    QCOMPARE(source->tableNames(), tables);
    const auto cursor = source->openTable(table, &error);
    QVERIFY2(cursor, qPrintable(error));
    QCOMPARE(cursor->columnNames(), columns);
    cursor->fetchAll();
    QVERIFY2(cursor->allRead() && !cursor->failed(), qPrintable(cursor->failure()));
    QString why;
    QVERIFY2(sameCells(*cursor, rows, &why), qPrintable(why));
}

void TestSheets::convertedTablesMatchTheCsv_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("xlsx") << "elevi.xlsx";
    QTest::newRow("ods") << "elevi.ods";
}

void TestSheets::convertedTablesMatchTheCsv()
{
    // LibreOffice made them from the demo table, its dates as dates and its numbers as numbers.
    QFETCH(QString, file);
    QString error;
    const auto csv = openRecordSource(QStringLiteral(FORMULIX_SOURCE_DIR "/examples/elevi.csv"), &error);
    QVERIFY2(csv, qPrintable(error));
    const auto expected = csv->openTable(QStringLiteral("elevi"), &error);
    QVERIFY2(expected, qPrintable(error));
    const auto source = openRecordSource(fixture(file), &error);
    QVERIFY2(source, qPrintable(error));
    const auto cursor = source->openTable(QStringLiteral("elevi"), &error);
    QVERIFY2(cursor, qPrintable(error));
    QCOMPARE(cursor->columnNames(), expected->columnNames());
    Rows rows;
    const qint64 count = expected->fetchAll();
    QVERIFY(count > 0);
    for (qint64 row = 0; row < count; ++row) {
        rows.append(QStringList());
        for (int column = 0; column < expected->columnNames().size(); ++column)
            rows.last().append(expected->text(row, column));
    }
    cursor->fetchAll();
    QString why;
    QVERIFY2(sameCells(*cursor, rows, &why), qPrintable(why));
}

void TestSheets::numbersFollowTheRegionalSettings_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("romanian");
    QTest::newRow("General, xlsx") << "tipuri.xlsx" << "tipuri" << 2 << 3 << "1234,5";
    QTest::newRow("General, ods") << "tipuri.ods" << "tipuri" << 0 << 3 << "0,3";
    QTest::newRow("negative") << "tipuri.ods" << "tipuri" << 1 << 2 << "-7";
    QTest::newRow("grouped, two decimals") << "registru.xlsx" << "Elevi" << 1 << 5 << "1.234,50";
    QTest::newRow("percent") << "registru.xlsx" << "Elevi" << 0 << 8 << "12,50%";
    QTest::newRow("dates stay as they are") << "registru.xlsx" << "Elevi" << 0 << 2 << "14.03.2010";
}

void TestSheets::numbersFollowTheRegionalSettings()
{
    QFETCH(QString, file);
    QFETCH(QString, table);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, romanian);
    const auto source = openRecordSource(fixture(file));
    QVERIFY(source);
    // The settings in force when the sheet is opened.
    QLocale::setDefault(QLocale(QLocale::Romanian, QLocale::Romania));
    const auto cursor = source->openTable(table);
    QLocale::setDefault(QLocale::c());
    QVERIFY(cursor);
    cursor->fetchAll();
    QCOMPARE(cursor->text(row, column), romanian);
}

void TestSheets::writtenSheetsReadAsWritten_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<Rows>("rows");

    const auto text = [](const char *t) { return QByteArray("<c t=\"inlineStr\"><is><t>") + t + "</t></is></c>"; };
    QTest::newRow("xlsx: sparse rows and cells, cells without references")
        << zipped(xlsxParts("<sheetData><row r=\"1\"><c r=\"B1\" t=\"inlineStr\"><is><t>B</t></is></c>"
                            "<c r=\"D1\" t=\"inlineStr\"><is><t>D</t></is></c></row>"
                            "<row r=\"3\"><c r=\"A3\"><v>1</v></c><c><v>2</v></c><c r=\"E3\"><v>5</v></c></row>"
                            "<row><c r=\"D4\" t=\"str\"><v>x</v></c></row><row r=\"6\"><c r=\"A6\" s=\"1\"/></row>"
                            "<row r=\"9\"><c r=\"A9\" t=\"s\"><v>0</v></c></row></sheetData>",
                            "<si><t/></si>"))
        << QStringList{"Coloana 1", "B", "Coloana 3", "D"}
        << Rows{{N, N, N, N}, {"1", "2", N, N}, {N, N, N, "x"}};
    QTest::newRow("xlsx: header from the first row with a value; rich text, escapes")
        << zipped(xlsxParts("<sheetData><row r=\"2\"/><row r=\"3\"><c t=\"inlineStr\"><is><r><rPr><b/></rPr><t>Nu</t></r>"
                            "<r><t>me</t></r><rPh><t>x</t></rPh></is></c></row><row r=\"4\"><c t=\"s\"><v>0</v></c></row>"
                            "<row r=\"5\"><c t=\"s\"><v>1</v></c></row></sheetData>",
                            "<si><t>a_x000D_b</t></si><si><r><t>c</t></r><r><rPr><i/></rPr><t>d</t></r><rPh><t>y</t></rPh></si>"))
        << QStringList{"Nume"} << Rows{{"a\rb"}, {"cd"}};

    // Number formats: custom and built-in, as the cell's style (s) names them.
    const QByteArray styles = "<numFmts><numFmt numFmtId=\"164\" formatCode=\"0.000\"/><numFmt numFmtId=\"165\" "
                              "formatCode=\"[h]:mm\"/><numFmt numFmtId=\"166\" formatCode=\"d-mmm-yy h:mm AM/PM\"/>"
                              "<numFmt numFmtId=\"167\" formatCode=\"#,##0.0 &quot;lei&quot;;[Red]-#,##0.0\"/>"
                              "<numFmt numFmtId=\"168\" formatCode=\"0.00E+00\"/><numFmt numFmtId=\"169\" formatCode=\"mm:ss\"/>"
                              "</numFmts><cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"164\"/><xf numFmtId=\"165\"/>"
                              "<xf numFmtId=\"166\"/><xf numFmtId=\"167\"/><xf numFmtId=\"168\"/><xf numFmtId=\"14\"/>"
                              "<xf numFmtId=\"10\"/><xf numFmtId=\"169\"/><xf numFmtId=\"22\"/></cellXfs>";
    const auto cell = [](int style, const char *value, const char *type = "n") {
        return QByteArray("<c s=\"") + QByteArray::number(style) + "\" t=\"" + type + "\"><v>" + value + "</v></c>";
    };
    QByteArray sheet = "<sheetData><row>" + text("V") + "</row>";
    const QList<std::pair<QByteArray, QString>> values = {
        {cell(0, "0.30000000000000004"), "0.3"},  {cell(0, "-0"), "0"},
        {cell(1, "1.0005"), "1.001"},             {cell(2, "1.5"), "36:00"},
        {cell(3, "40251.75"), "14.03.2010 18:00"}, {cell(4, "-1234.56"), "-1,234.6"},
        {cell(5, "12345"), "12345"},              {cell(6, "40251"), "14.03.2010"},
        {cell(6, "0.5"), "00.01.1900"},           {cell(9, "60"), "29.02.1900 00:00"},
        {cell(7, "0.5"), "50.00%"},               {cell(8, "6.9444444444444447E-4"), "00:01:00"},
        {cell(0, "1", "b"), "Da"},                {cell(0, "#N/A", "e"), "#N/A"},
        {cell(0, "2010-03-14T10:30:00", "d"), "14.03.2010 10:30"}, {cell(0, "abc"), "abc"},
    };
    Rows rows;
    for (const auto &[xml, shown] : values) {
        sheet += "<row>" + xml + "</row>";
        rows.append({shown});
    }
    QTest::newRow("xlsx: number formats") << zipped(xlsxParts(sheet + "</sheetData>", {}, styles)) << QStringList{"V"} << rows;

    const auto ods = [&](const QByteArray &rows, const QByteArray &styles = {}) {
        return zipped(odsParts("<table:table table:name=\"Foaie1\">" + rows + "</table:table>", styles), true);
    };
    const auto string = [](const char *t) {
        return QByteArray("<table:table-cell office:value-type=\"string\"><text:p>") + t + "</text:p></table:table-cell>";
    };
    QTest::newRow("ods: repeated, spanned and covered cells, repeated rows")
        << ods("<table:table-column table:number-columns-repeated=\"1024\"/><table:table-row>" + string("A") + string("B")
               + string("C") + "<table:table-cell table:number-columns-repeated=\"16000\"/></table:table-row>"
               "<table:table-row><table:table-cell table:number-columns-spanned=\"2\" office:value-type=\"string\">"
               "<text:p>x</text:p></table:table-cell><table:covered-table-cell/><table:table-cell "
               "office:value-type=\"float\" office:value=\"2.5\"/></table:table-row>"
               "<table:table-row><table:table-cell table:number-columns-repeated=\"1000000000\" office:value-type=\"string\">"
               "<text:p>r</text:p></table:table-cell></table:table-row>"
               "<table:table-row table:number-rows-repeated=\"3\"><table:table-cell table:number-columns-repeated=\"1024\"/>"
               "</table:table-row><table:table-row><table:table-cell office:value-type=\"string\"><office:annotation>"
               "<text:p>nota</text:p></office:annotation><text:p>a<text:s text:c=\"3\"/>b<text:tab/>c<text:line-break/>"
               "d<text:span>e</text:span></text:p><text:p>f</text:p></table:table-cell><table:table-cell "
               "office:value-type=\"percentage\" office:value=\"0.125\"/></table:table-row>"
               "<table:table-row table:number-rows-repeated=\"2\"><table:table-cell office:value-type=\"boolean\" "
               "office:boolean-value=\"false\"/></table:table-row>"
               "<table:table-row table:number-rows-repeated=\"1000000000\"><table:table-cell "
               "table:number-columns-repeated=\"1000000000\"/></table:table-row>")
        << QStringList{"A", "B", "C"}
        << Rows{{"x", N, "2.5"}, {"r", "r", "r"}, {N, N, N}, {N, N, N}, {N, N, N}, {"a   b\tc\nde\nf", "12.5%", N},
                {"Nu", N, N}, {"Nu", N, N}};
    QTest::newRow("ods: number, date and time styles, from the cell, its parent style or the column")
        << ods("<table:table-column table:default-cell-style-name=\"ce1\"/><table:table-column "
               "table:default-cell-style-name=\"ce2\"/><table:table-column table:default-cell-style-name=\"ce3\"/>"
               "<table:table-row>" + string("Suma") + string("Data") + string("Durata") + "</table:table-row>"
               "<table:table-row><table:table-cell office:value-type=\"float\" office:value=\"1234.5\"/><table:table-cell "
               "office:value-type=\"date\" office:date-value=\"2010-03-14T10:30:00\"/><table:table-cell "
               "office:value-type=\"time\" office:time-value=\"PT34H15M00S\"/></table:table-row>"
               "<table:table-row><table:table-cell table:style-name=\"ce4\" office:value-type=\"currency\" "
               "office:value=\"2\"/><table:table-cell table:style-name=\"Default\" office:value-type=\"date\" "
               "office:date-value=\"2010-03-14T10:30:05\"/><table:table-cell table:style-name=\"X\" "
               "office:value-type=\"time\" office:time-value=\"PT10H30M\"/></table:table-row>",
               "<number:number-style style:name=\"N2\"><number:number number:decimal-places=\"2\" "
               "number:min-decimal-places=\"2\" number:grouping=\"true\"/></number:number-style>"
               "<number:date-style style:name=\"N3\"><number:day/><number:text>.</number:text><number:month/>"
               "<number:text>.</number:text><number:year/></number:date-style>"
               "<number:time-style style:name=\"N4\" number:truncate-on-overflow=\"false\"><number:hours/>"
               "<number:text>:</number:text><number:minutes/></number:time-style>"
               "<style:style style:name=\"ce1\" style:family=\"table-cell\" style:data-style-name=\"N2\"/>"
               "<style:style style:name=\"ce2\" style:family=\"table-cell\" style:data-style-name=\"N3\"/>"
               "<style:style style:name=\"ce3\" style:family=\"table-cell\" style:data-style-name=\"N4\"/>"
               "<style:style style:name=\"ce4\" style:family=\"table-cell\" style:parent-style-name=\"ce1\"/>")
        << QStringList{"Suma", "Data", "Durata"}
        << Rows{{"1,234.50", "14.03.2010", "34:15"}, {"2.00", "14.03.2010 10:30:05", "10:30"}};
}

void TestSheets::writtenSheetsReadAsWritten()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, columns);
    QFETCH(Rows, rows);
    QVERIFY(!bytes.isEmpty());
    // Told by content, whatever the name says.
    const QString path = write(QStringLiteral("scris.dat"), bytes);
    QString error;
    const auto source = openRecordSource(path, &error);
    QVERIFY2(source, qPrintable(error));
    const auto cursor = source->openTable(QStringLiteral("Foaie1"), &error);
    QVERIFY2(cursor, qPrintable(error));
    QCOMPARE(cursor->columnNames(), columns);
    cursor->fetchAll();
    QVERIFY2(cursor->allRead() && !cursor->failed(), qPrintable(cursor->failure()));
    QString why;
    QVERIFY2(sameCells(*cursor, rows, &why), qPrintable(why));
}

void TestSheets::damagedFilesSayWhy_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("opening"); // what opening the file says, or ""
    QTest::addColumn<QString>("table");   // what opening its sheet says, or ""
    QTest::addColumn<QString>("reading"); // what reading its rows says
    QTest::addColumn<int>("rowsBefore");

    const QByteArray header = "<row><c t=\"inlineStr\"><is><t>A</t></is></c></row><row><c><v>1</v></c></row>";
    const auto sheet = [&](const QByteArray &rows, const QByteArray &strings = {}) {
        return zipped(xlsxParts("<sheetData>" + header + rows + "</sheetData>", strings));
    };
    const QByteArray registru = readFile(fixture(QStringLiteral("registru.xlsx")));
    QByteArray oldOle2 = readFile(fixture(QStringLiteral("parola.xlsx")));
    oldOle2.replace(QByteArray("P\0a\0c\0k\0a\0g\0e\0", 14), QByteArray("P\0a\0r\0t\0s\0\0\0\0\0", 14));
    ZipParts noSheet = xlsxParts({});
    noSheet.removeIf([](const auto &part) { return part.first.contains(QStringLiteral("worksheets")); });
    ZipParts cut = xlsxParts("<sheetData>" + header + "<row><c><v>2</v></c></row></sheetData>");
    cut[2].second.chop(40);
    ZipParts badWorkbook = xlsxParts({});
    badWorkbook[1].second = "<workbook><sheets>";
    const QByteArray table = "<table:table table:name=\"Foaie1\"><table:table-row><table:table-cell office:value-type="
                             "\"string\"><text:p>A</text:p></table:table-cell></table:table-row>";
    ZipParts textDocument = odsParts(table + "</table:table>");
    textDocument[0].second = "application/vnd.oasis.opendocument.text";

    QTest::newRow("text named .xlsx") << "a.xlsx" << QByteArray("Nume;Oras\n") << "nu este un registru Excel (.xlsx): nu este o arhiva zip" << "" << "" << 0;
    QTest::newRow("zip of no workbook") << "a.xlsx" << zipped({{QStringLiteral("a.txt"), "a"}})
                                        << "nu contine partea xl/workbook.xml" << "" << "" << 0;
    QTest::newRow("zip cut short") << "a.xlsx" << registru.left(registru.size() / 2) << "este deteriorat sau incomplet" << "" << "" << 0;
    QTest::newRow("password") << "a.xlsx" << readFile(fixture(QStringLiteral("parola.xlsx"))) << "este protejat cu parola; salvati-l fara parola" << "" << "" << 0;
    QTest::newRow("OLE2, not encrypted") << "a.xlsx" << oldOle2 << "este un registru Excel vechi (.xls)" << "" << "" << 0;
    QTest::newRow("workbook of bad XML") << "a.xlsx" << zipped(badWorkbook) << "partea xl/workbook.xml nu este XML valid" << "" << "" << 0;
    QTest::newRow("sheet part missing") << "a.xlsx" << zipped(noSheet) << "" << "partea xl/worksheets/sheet1.xml lipseste" << "" << 0;
    QTest::newRow("empty sheet") << "a.xlsx" << zipped(xlsxParts("<sheetData/>")) << "" << "Foaia Foaie1 din fisierul" << "" << 0;
    QTest::newRow("size beyond a sheet") << "a.xlsx" << zipped(xlsxParts("<dimension ref=\"A1:XFD99999999\"/><sheetData>" + header + "</sheetData>"))
                                         << "" << "declara o marime in afara limitelor unei foi (A1:XFD99999999)" << "" << 0;
    QTest::newRow("cell beyond a sheet") << "a.xlsx" << sheet("<row><c r=\"XFE3\"><v>1</v></c></row>") << ""
                                         << "" << "celula XFE3 a foii Foaie1 este in afara limitelor" << 1;
    QTest::newRow("row beyond a sheet") << "a.xlsx" << sheet("<row r=\"1048577\"><c><v>1</v></c></row>") << ""
                                        << "" << "randul 1048577 al foii Foaie1" << 1;
    QTest::newRow("shared text missing") << "a.xlsx" << sheet("<row><c t=\"s\"><v>7</v></c></row>", "<si><t>a</t></si>")
                                         << "" << "" << "textul comun 7, care lipseste" << 1;
    QTest::newRow("bad XML in the sheet") << "a.xlsx" << sheet("<row><c><v>2</c></row>") << "" << ""
                                          << "partea xl/worksheets/sheet1.xml nu este XML valid (linia 1)" << 1;
    QTest::newRow("sheet cut short") << "a.xlsx" << zipped(cut)
                                     << "" << "" << "partea xl/worksheets/sheet1.xml se termina inainte" << 1;
    QTest::newRow("ods: password") << "a.ods" << readFile(fixture(QStringLiteral("parola.ods"))) << "este protejat cu parola" << "" << "" << 0;
    QTest::newRow("ods: a text document") << "a.ods" << zipped(textDocument, true)
                                          << "nu este un registru OpenDocument (.ods): este un document de alt fel" << "" << "" << 0;
    QTest::newRow("ods: no content") << "a.ods" << zipped({odsParts({}).first()}, true) << "nu contine partea content.xml" << "" << "" << 0;
    QTest::newRow("ods: bad XML in the sheet")
        << "a.ods" << zipped(odsParts(table + "<table:table-row><table:table-cell office:value-type=\"float\" office:value=\"1\"/>"
                                              "</table:table-row><table:table-row><table:table-cell></table:table-row></table:table>"), true)
        << "" << "" << "partea content.xml nu este XML valid" << 1;
    QTest::newRow("ods: a value past the last row")
        << "a.ods" << zipped(odsParts(table + "<table:table-row table:number-rows-repeated=\"2000000\"/><table:table-row>"
                                              "<table:table-cell office:value-type=\"float\" office:value=\"1\"/></table:table-row>"
                                              "</table:table>"), true)
        << "" << "" << "foaia Foaie1 are mai mult de 1048576 randuri" << 0;
    QTest::newRow("ods: a header past the last row")
        << "a.ods" << zipped(odsParts("<table:table table:name=\"Foaie1\"><table:table-row table:number-rows-repeated=\"2000000\"/>"
                                      "<table:table-row><table:table-cell office:value-type=\"float\" office:value=\"1\"/>"
                                      "</table:table-row></table:table>"), true)
        << "" << "foaia Foaie1 are mai mult de 1048576 randuri" << "" << 0;
}

void TestSheets::damagedFilesSayWhy()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, opening);
    QFETCH(QString, table);
    QFETCH(QString, reading);
    QFETCH(int, rowsBefore);
    const QString path = write(name, bytes);
    QString error;
    const auto source = openRecordSource(path, &error);
    if (!opening.isEmpty()) {
        QVERIFY(!source);
        QVERIFY2(error.contains(opening) && error.contains(path), qPrintable(error));
        return;
    }
    QVERIFY2(source, qPrintable(error));
    const auto cursor = source->openTable(QStringLiteral("Foaie1"), &error);
    if (!table.isEmpty()) {
        QVERIFY(!cursor);
        QVERIFY2(error.contains(table) && error.contains(path), qPrintable(error));
        return;
    }
    QVERIFY2(cursor, qPrintable(error));
    QCOMPARE(cursor->fetchAll(), rowsBefore);
    QVERIFY(cursor->failed() && !cursor->allRead());
    QVERIFY2(cursor->failure().contains(reading) && cursor->failure().contains(path), qPrintable(cursor->failure()));
}

void TestSheets::longSheetsReadOnDemand_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("xlsx") << "lung.xlsx";
    QTest::newRow("ods") << "lung.ods";
}

void TestSheets::longSheetsReadOnDemand()
{
    // Broken XML after the last row, and after the last shared text: a reader that read ahead of
    // the rows asked for would fail at once.
    QFETCH(QString, name);
    const int rows = 50000, columns = 4;
    const QString path = m_dir.filePath(name);
    if (name.endsWith(QStringLiteral(".xlsx"))) {
        QVERIFY(writeLongXlsx(path, rows, columns, "<stricat"));
    } else {
        QByteArray table = "<table:table table:name=\"Foaie1\">";
        for (int row = -1; row < rows; ++row) {
            table += "<table:table-row>";
            for (int column = 0; column < columns; ++column)
                table += "<table:table-cell office:value-type=\"string\"><text:p>" + longSheetText(row, column).toUtf8()
                    + "</text:p></table:table-cell>";
            table += "</table:table-row>";
        }
        QVERIFY(writeZip(path, odsParts(table + "<stricat</table:table>"), true));
    }
    QString error;
    const auto source = openRecordSource(path, &error);
    QVERIFY2(source, qPrintable(error));
    const auto cursor = source->openTable(QStringLiteral("Foaie1"), &error);
    QVERIFY2(cursor, qPrintable(error));
    QCOMPARE(cursor->columnNames().at(3), longSheetText(-1, 3));
    QCOMPARE(cursor->fetchMore(1), 1);
    QVERIFY(!cursor->allRead() && !cursor->failed());
    QCOMPARE(cursor->text(0, 2), longSheetText(0, 2));
    QCOMPARE(cursor->fetchAll(), rows);
    QVERIFY(cursor->failed());
    QVERIFY2(cursor->failure().contains(QStringLiteral("nu este XML valid")), qPrintable(cursor->failure()));
    for (int column = 0; column < columns; ++column)
        QCOMPARE(cursor->text(rows - 1, column), longSheetText(rows - 1, column));

    // Rewritten while it is read: the rows after go unread, and the user is told.
    const auto again = source->openTable(QStringLiteral("Foaie1"));
    QCOMPARE(again->fetchMore(300), 300);
    QFile file(path);
    QVERIFY(file.open(QIODevice::Append));
    file.write("PK");
    file.close();
    again->fetchAll();
    QVERIFY(again->failed() && again->rowsRead() < rows);
    QVERIFY2(again->failure().contains(QStringLiteral("s-a schimbat")), qPrintable(again->failure()));
}

void TestSheets::kindsAreToldByContent_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::newRow("xlsx named .ods") << "registru.xlsx" << "registru.ods" << "xlsx";
    QTest::newRow("ods named .xlsx") << "tipuri.ods" << "tipuri.xlsx" << "ods";
    QTest::newRow("encrypted xlsx with no extension") << "parola.xlsx" << "parola" << "xlsx";
}

void TestSheets::kindsAreToldByContent()
{
    QFETCH(QString, file);
    QFETCH(QString, name);
    QFETCH(QString, kind);
    const QString path = write(name, readFile(fixture(file)));
    const SourceKind *found = sourceKindOf(path);
    QVERIFY(found);
    QCOMPARE(found->extensions, QStringList{kind});
}

void TestSheets::mutatedWorkbooksNeverCrashOrHang()
{
    // The parts' XML changed before it is zipped, so the parser, not the unzipping, meets it.
    QByteArray sheet = "<dimension ref=\"A1:C4\"/><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c>"
                       "<c r=\"B1\" t=\"inlineStr\"><is><r><t>B</t></r></is></c><c r=\"C1\" t=\"s\"><v>1</v></c></row>"
                       "<row r=\"3\"><c r=\"A3\" s=\"1\"><v>40251.5</v></c><c r=\"B3\" t=\"b\"><v>1</v></c>"
                       "<c r=\"C3\" t=\"e\"><v>#N/A</v></c></row><row r=\"4\"><c r=\"A4\" s=\"2\"><v>0.125</v></c></row>"
                       "</sheetData>";
    const QByteArray strings = "<si><t>Nume</t></si><si><r><t>Da</t></r><r><t>ta</t></r></si>";
    const QByteArray styles = "<numFmts><numFmt numFmtId=\"164\" formatCode=\"dd.mm.yyyy hh:mm\"/></numFmts>"
                              "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"164\"/><xf numFmtId=\"10\"/></cellXfs>";
    const QByteArray table = "<table:table table:name=\"Foaie1\"><table:table-column table:number-columns-repeated=\"3\"/>"
                             "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>A<text:s "
                             "text:c=\"2\"/></text:p></table:table-cell><table:table-cell office:value-type=\"float\" "
                             "office:value=\"2.5\" table:number-columns-repeated=\"2\"/></table:table-row><table:table-row "
                             "table:number-rows-repeated=\"4\"><table:table-cell office:value-type=\"date\" office:date-value="
                             "\"2010-03-14T10:00:00\"/><table:table-cell office:value-type=\"time\" office:time-value="
                             "\"PT1H\"/></table:table-row></table:table>";
    const QList<std::pair<ZipParts, QString>> originals = {{xlsxParts(sheet, strings, styles), QStringLiteral("mutat.xlsx")},
                                                           {odsParts(table), QStringLiteral("mutat.ods")}};
    QRandomGenerator random(20261208);
    const QByteArray special("<>/\"=&;:#_x0123456789 \xC8\x98", 23);
    for (int i = 0; i < 400; ++i) {
        const auto &[original, name] = originals[i % 2];
        ZipParts parts = original;
        QByteArray &bytes = parts[random.bounded(int(parts.size()))].second;
        if (i % 10 == 9) {
            bytes = bytes.left(random.bounded(int(bytes.size()) + 1));
        } else {
            for (int f = 1 + random.bounded(6); f > 0; --f)
                bytes[random.bounded(int(bytes.size()))] = special.at(random.bounded(int(special.size())));
        }
        const QString path = m_dir.filePath(name);
        QVERIFY(writeZip(path, parts, name.endsWith(QStringLiteral(".ods"))));
        const auto source = openRecordSource(path);
        if (!source)
            continue;
        for (const QString &table : source->tableNames()) {
            const auto cursor = source->openTable(table);
            if (!cursor)
                continue;
            QVERIFY(cursor->fetchAll() <= SheetCursor::MaxRows);
            for (qint64 row = 0; row < cursor->rowsRead(); ++row) {
                for (int column = 0; column < cursor->columnNames().size(); ++column)
                    cursor->text(row, column);
            }
        }
    }
}

QTEST_GUILESS_MAIN(TestSheets)
#include "tst_sheets.moc"
