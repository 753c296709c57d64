#include "gui/app/Application.h"
#include "core/page/PageComposer.h"
#include "core/records/ColumnMatch.h"
#include "core/text/NumberWords.h"
#include "core/text/ValueFormat.h"
#include "gui/print/BatchPrintDialog.h"
#include "widgets/Dialogs.h"
#include "support/TestSupport.h"
#include "support/WindowTest.h"

#include <QAction>
#include <QApplication>
#include <QtTest>

using namespace formulix;
using namespace formulix::test;

namespace {

FieldFormat words(WordsUnit unit, int decimals = -1)
{
    FieldFormat format;
    format.kind = ValueKind::Words;
    format.unit = unit;
    format.decimals = qint8(decimals);
    return format;
}

FieldFormat number(int decimals, bool thousands, bool decimalComma)
{
    FieldFormat format;
    format.kind = ValueKind::Number;
    format.decimals = qint8(decimals);
    format.thousands = thousands;
    format.decimalComma = decimalComma;
    return format;
}

FieldFormat date(const QString &pattern)
{
    FieldFormat format;
    format.kind = ValueKind::Date;
    format.pattern = pattern;
    return format;
}

// A record of named columns, looked up as the pages look them up.
ColumnLookup recordOf(const QStringList &names, const QStringList &values)
{
    return [names, values](const QString &column) -> std::optional<QString> {
        const int found = findColumn(names, column);
        return found >= 0 ? std::optional<QString>(values.at(found)) : std::nullopt;
    };
}

} // namespace

Q_DECLARE_METATYPE(FieldFormat)
Q_DECLARE_METATYPE(TextCase)

class TestValues : public WindowTest
{
    Q_OBJECT
private slots:
    void numbersInWords_data();
    void numbersInWords();
    void numbersAndDates_data();
    void numbersAndDates();
    void casesAndComposedTexts_data();
    void casesAndComposedTexts();
    void fieldsPrintFormatThenRangeThenCase_data();
    void fieldsPrintFormatThenRangeThenCase();
    void chosenRecordShowsAndPrintsTheSameText();
};

void TestValues::numbersInWords_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<FieldFormat>("format");
    QTest::addColumn<QString>("said");
    const FieldFormat bare = words(WordsUnit::None), lei = words(WordsUnit::Lei);
    const QList<std::pair<const char *, const char *>> counted = {
        {"0", "zero"}, {"1", "unu"}, {"2", "doi"}, {"3", "trei"}, {"7", "șapte"}, {"9", "nouă"},
        {"10", "zece"}, {"11", "unsprezece"}, {"12", "doisprezece"}, {"14", "paisprezece"},
        {"16", "șaisprezece"}, {"19", "nouăsprezece"}, {"20", "douăzeci"}, {"21", "douăzeci și unu"},
        {"22", "douăzeci și doi"}, {"38", "treizeci și opt"}, {"60", "șaizeci"}, {"99", "nouăzeci și nouă"},
        {"100", "o sută"}, {"101", "o sută unu"}, {"102", "o sută doi"}, {"112", "o sută doisprezece"},
        {"120", "o sută douăzeci"}, {"200", "două sute"}, {"222", "două sute douăzeci și doi"},
        {"999", "nouă sute nouăzeci și nouă"}, {"1000", "o mie"}, {"1001", "o mie unu"},
        {"1100", "o mie o sută"}, {"1234", "o mie două sute treizeci și patru"}, {"2000", "două mii"},
        {"2002", "două mii doi"}, {"11000", "unsprezece mii"}, {"12000", "douăsprezece mii"},
        {"20000", "douăzeci de mii"}, {"21000", "douăzeci și una de mii"}, {"22000", "douăzeci și două de mii"},
        {"100000", "o sută de mii"}, {"101000", "o sută una mii"}, {"102000", "o sută două mii"},
        {"120000", "o sută douăzeci de mii"}, {"200000", "două sute de mii"},
        {"222222", "două sute douăzeci și două de mii două sute douăzeci și doi"},
        {"999999", "nouă sute nouăzeci și nouă de mii nouă sute nouăzeci și nouă"},
        {"1000000", "un milion"}, {"2000000", "două milioane"}, {"21000000", "douăzeci și unu de milioane"},
        // Grades: the decimals read as a number, their leading zeros said, zeros alone not.
        {"9.50", "nouă virgulă cincizeci"}, {"9,5", "nouă virgulă cinci"}, {"9.05", "nouă virgulă zero cinci"},
        {"10.00", "zece"}, {"0.5", "zero virgulă cinci"}, {"7.25", "șapte virgulă douăzeci și cinci"},
        {"-3", "minus trei"}, {"1000000000", "1000000000"}, {"9.5 lei", "9.5 lei"}};
    for (const auto &[value, said] : counted)
        QTest::addRow("%s", value) << QString::fromUtf8(value) << bare << QString::fromUtf8(said);
    QTest::newRow("9.5 to 2 places") << "9.5" << words(WordsUnit::None, 2) << "nouă virgulă cincizeci";
    QTest::newRow("8.666 to 2 places") << "8.666" << words(WordsUnit::None, 2) << "opt virgulă șaizeci și șapte";
    QTest::newRow("9.125 to 2 places, half to even") << "9.125" << words(WordsUnit::None, 2) << "nouă virgulă doisprezece";
    const QList<std::pair<const char *, const char *>> amounts = {
        {"0", "zero lei"}, {"1", "un leu"}, {"2", "doi lei"}, {"12", "doisprezece lei"}, {"19", "nouăsprezece lei"},
        {"20", "douăzeci de lei"}, {"21", "douăzeci și unu de lei"}, {"22", "douăzeci și doi de lei"},
        {"100", "o sută de lei"}, {"101", "o sută unu lei"}, {"102", "o sută doi lei"}, {"120", "o sută douăzeci de lei"},
        {"123", "o sută douăzeci și trei de lei"}, {"1000", "o mie de lei"}, {"1001", "o mie unu lei"},
        {"2000", "două mii de lei"}, {"21000", "douăzeci și una de mii de lei"}, {"1000000", "un milion de lei"},
        {"123.50", "o sută douăzeci și trei de lei și cincizeci de bani"}, {"1.01", "un leu și un ban"},
        {"2.02", "doi lei și doi bani"}, {"0,20", "douăzeci de bani"}, {"5.1", "cinci lei și zece bani"},
        {"15.005", "cincisprezece lei"}, {"21.21", "douăzeci și unu de lei și douăzeci și unu de bani"},
        {"1.234,56", "o mie două sute treizeci și patru de lei și cincizeci și șase de bani"}};
    for (const auto &[value, said] : amounts)
        QTest::addRow("%s lei", value) << QString::fromUtf8(value) << lei << QString::fromUtf8(said);
    QTest::newRow("lei to whole lei") << "99.50" << words(WordsUnit::Lei, 0) << "o sută de lei";
}

void TestValues::numbersInWords()
{
    QFETCH(QString, value);
    QFETCH(FieldFormat, format);
    QFETCH(QString, said);
    QCOMPARE(formatValue(format, value), said);
}

void TestValues::numbersAndDates_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<FieldFormat>("format");
    QTest::addColumn<QString>("written");
    QTest::newRow("grade to 2 places") << "9.5" << number(2, false, true) << "9,50";
    QTest::newRow("own decimals, point") << "9,5" << number(-1, false, false) << "9.5";
    QTest::newRow("grouped, comma") << "1.234,56" << number(2, true, true) << "1.234,56";
    QTest::newRow("grouped, point") << "1,234.56" << number(2, true, false) << "1,234.56";
    QTest::newRow("millions grouped") << "1234567.891" << number(2, true, true) << "1.234.567,89";
    QTest::newRow("blank groups") << "1 234,5" << number(0, false, true) << "1234";
    QTest::newRow("half up to even") << "1235.5" << number(0, false, true) << "1236";
    QTest::newRow("exact decimal") << "2.675" << number(2, false, true) << "2,68";
    QTest::newRow("carried") << "0.999" << number(2, false, true) << "1,00";
    QTest::newRow("negative zero") << "-0.004" << number(2, false, true) << "0,00";
    QTest::newRow("negative") << "-12" << number(1, false, true) << "-12,0";
    QTest::newRow("dots group") << "1.234.567" << number(-1, false, true) << "1234567";
    QTest::newRow("bad groups") << "1,23,4" << number(2, false, true) << "1,23,4";
    QTest::newRow("a date is no number") << "14.03.2010" << number(2, false, true) << "14.03.2010";
    QTest::newRow("empty") << "" << number(2, false, true) << "";

    QTest::newRow("month name") << "14.03.2010" << date("d MMMM yyyy") << "14 martie 2010";
    QTest::newRow("ISO") << "2010-03-14" << date("dd.MM.yyyy") << "14.03.2010";
    QTest::newRow("day first with slashes") << "14/3/2010" << date("dd.MM.yyyy") << "14.03.2010";
    QTest::newRow("system's short date") << "3/4/2010" << date("dd.MM.yyyy") << "04.03.2010";
    QTest::newRow("with a time") << "17.09.2010 10:30:00" << date("d MMMM yyyy") << "17 septembrie 2010";
    QTest::newRow("ISO with a time") << "2010-03-14T10:30:00" << date("dd.MM.yyyy") << "14.03.2010";
    QTest::newRow("short month") << "01.12.1999" << date("d MMM yy") << "1 dec. 99";
    QTest::newRow("boxes") << "14.03.2010" << date("ddMMyyyy") << "14032010";
    QTest::newRow("weekday, quoted") << "14.03.2010" << date("dddd, d MMMM 'anul' yyyy") << "duminică, 14 martie anul 2010";
    QTest::newRow("no pattern") << "2010-3-1" << date("") << "01.03.2010";
    QTest::newRow("no such day") << "31.02.2010" << date("dd.MM.yyyy") << "31.02.2010";
    QTest::newRow("no date") << "martie" << date("dd.MM.yyyy") << "martie";
}

void TestValues::numbersAndDates()
{
    QFETCH(QString, value);
    QFETCH(FieldFormat, format);
    QFETCH(QString, written);
    QCOMPARE(formatValue(format, value), written);
}

void TestValues::casesAndComposedTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<TextCase>("textCase");
    QTest::addColumn<QString>("printed");
    QTest::newRow("title") << "ION-MIHAI popescu" << TextCase::Title << "Ion-Mihai Popescu";
    QTest::newRow("title, Romanian letters") << "ȘTEFAN ăLĂ" << TextCase::Title << "Ștefan Ălă";
    QTest::newRow("title after digits") << "bl. 3a" << TextCase::Title << "Bl. 3A";
    QTest::newRow("upper") << "ștefan țurcanu" << TextCase::Upper << "ȘTEFAN ȚURCANU";
    QTest::newRow("columns") << "{Nume} {Prenume}" << TextCase::AsWritten << "Popescu Ion";
    QTest::newRow("unknown column") << "Nr. {Nr matricol}/{An}" << TextCase::AsWritten << "Nr. 123/{An}";
    QTest::newRow("braces") << "{{Nume}} {Nume} }}{{" << TextCase::AsWritten << "{Nume} Popescu }{";
    QTest::newRow("blanks, cedilla") << "{ Nume }, {Ţara}" << TextCase::AsWritten << "Popescu, România";
    QTest::newRow("left open") << "{a{Nume} a}b {Nume" << TextCase::AsWritten << "{aPopescu a}b {Nume";
    QTest::newRow("composed, then upper") << "{Prenume} {Nume}" << TextCase::Upper << "ION POPESCU";
}

void TestValues::casesAndComposedTexts()
{
    QFETCH(QString, text);
    QFETCH(TextCase, textCase);
    QFETCH(QString, printed);
    const ColumnLookup record = recordOf({QStringLiteral("Nume"), QStringLiteral("Prenume"), QStringLiteral("Nr matricol"), QStringLiteral("Țara")},
                                        {QStringLiteral("Popescu  "), QStringLiteral("Ion"), QStringLiteral("123"), QStringLiteral("România")});
    QCOMPARE(applyCase(textCase, composeText(text, record)), printed);
}

void TestValues::fieldsPrintFormatThenRangeThenCase_data()
{
    QTest::addColumn<FieldFormat>("format");
    QTest::addColumn<int>("rangMin");
    QTest::addColumn<int>("rangMax");
    QTest::addColumn<TextCase>("textCase");
    QTest::addColumn<QString>("printed"); // from "14.03.2010"
    QTest::newRow("boxed date, first") << date("ddMMyyyy") << 1 << 1 << TextCase::AsWritten << "1";
    QTest::newRow("boxed date, last") << date("ddMMyyyy") << 8 << 8 << TextCase::AsWritten << "0";
    QTest::newRow("month cut, upper") << date("d MMMM yyyy") << 4 << 6 << TextCase::Upper << "MAR";
    QTest::newRow("whole, title") << date("d MMMM yyyy") << 0 << 0 << TextCase::Title << "14 Martie 2010";
    QTest::newRow("empty range prints nothing") << date("ddMMyyyy") << 3 << 2 << TextCase::AsWritten << "";
}

// A database field formats the whole value, then cuts its range, then sets its case.
void TestValues::fieldsPrintFormatThenRangeThenCase()
{
    QFETCH(FieldFormat, format);
    QFETCH(int, rangMin);
    QFETCH(int, rangMax);
    QFETCH(TextCase, textCase);
    QFETCH(QString, printed);
    Module1 layout;
    *layout.CampuriBD.at(1) = databaseField(QStringLiteral("Data"), 10, 10, rangMin, rangMax);
    layout.CampuriBD.at(1)->style.format = format;
    layout.CampuriBD.at(1)->style.textCase = textCase;
    layout.NrCampuriBD = 1;
    const FieldValues record = {QStringLiteral("14.03.2010")};
    QCOMPARE(composePage(layout, &record).texts.at(0).text, printed);
}

// The record window's canvas and the PDF of the chosen record show the same formatted values
// and composed texts: a sum in words longer than a field's 50 characters, a boxed date, a
// column whose name the field had to cut.
void TestValues::chosenRecordShowsAndPrintsTheSameText()
{
    QVERIFY(openWindow(QSize(1000, 800)));
    QVERIFY(loadScan(QSize(1200, 850), 100));
    const QString longColumn = QStringLiteral("Numele și prenumele tatălui");
    const QString csv = m_dir->filePath(QStringLiteral("elevi.csv"));
    // Both long names begin with the same 20 characters: only the whole name tells them apart.
    QVERIFY(writeFile(csv, (QStringLiteral("Nume;Prenume;Media;Data nasterii;Suma;Numele și prenumele mamei;") + longColumn + u'\n'
                            + QStringLiteral("POPESCU;ion;9.5;2010-03-14;999999.99;Popescu Maria;Popescu Vasile\n")).toUtf8()));
    Camp name = generalField(QStringLiteral("Elevul {Nume} {Prenume}, {Lipsa}"), 10, 10);
    name.style.textCase = TextCase::Title;
    addGeneral(name);
    Camp grade = databaseField(QStringLiteral("Media"), 10, 25);
    grade.style.format = words(WordsUnit::None, 2);
    addDatabase(grade);
    Camp sum = databaseField(QStringLiteral("Suma"), 10, 40);
    sum.style.format = words(WordsUnit::Lei);
    addDatabase(sum);
    for (int box = 1; box <= 8; ++box) {
        Camp digit = databaseField(QStringLiteral("Data nasterii"), 10 + 8 * box, 55, box, box);
        digit.style.format = date(QStringLiteral("ddMMyyyy"));
        addDatabase(digit);
    }
    Camp father = databaseField(QString(), 10, 70);
    setColumn(father, longColumn);
    addDatabase(father);

    loadDatabase(*m_window, csv);
    QVERIFY(chooseTable(*m_window, QStringLiteral("elevi")));
    m_window->mnuSelInreg->trigger();
    QVERIFY(m_window->recordWindow());
    const QStringList expected = {QStringLiteral("Elevul Popescu Ion, {Lipsa}"), QStringLiteral("nouă virgulă cincizeci"),
                                  QStringLiteral("nouă sute nouăzeci și nouă de mii nouă sute nouăzeci și nouă de lei și "
                                                 "nouăzeci și nouă de bani"),
                                  QStringLiteral("Popescu Vasile")};
    QStringList shown;
    for (const PrintedText &text : m_window->Picture1->printedTexts())
        shown << text.text;
    for (const QString &text : expected)
        QVERIFY2(shown.contains(text), qPrintable(shown.join(u'|')));
    QCOMPARE(shown.mid(shown.size() - 9, 8).join(QString()), QStringLiteral("14032010"));

    m_model->PozStanga = m_model->PozSus = 0; // nothing cut off the page's left
    const QString pdf = m_dir->filePath(QStringLiteral("elev.pdf"));
    JobRequest request;
    request.choice.kind = RecordChoice::Current;
    BatchPrintDialog::queueAnswer(request);
    CommonDialog::queueAnswer(pdf);
    m_window->exportPdfAction->trigger();
    const QString page = pdfPageText(pdf, 1).simplified();
    for (const QString &text : expected)
        QVERIFY2(page.contains(text), qPrintable(page));
    QVERIFY2(page.contains(QStringLiteral("1 4 0 3 2 0 1 0")), qPrintable(page));
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    prepareApplication(app);
    // Access values are written under the system's settings: an American one reads 3/4 as March.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    DialogSeam::setTestMode(true);
    TestValues test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_values.moc"
