#include "core/records/CsvOptions.h"
#include "core/records/RecordSources.h"
#include "support/TestSupport.h"

#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

using namespace formulix;
using namespace formulix::test;

using Rows = QList<QStringList>;
Q_DECLARE_METATYPE(formulix::CsvOptions)

namespace {

const QString Fixtures = QStringLiteral(FORMULIX_SOURCE_DIR "/tests/fixtures/csv/");

QByteArray utf16le(const QString &text)
{
    return QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

// Every row of a text table, or the reason it does not read.
Rows readAll(const QString &path, QStringList *columns, QString *error)
{
    const auto database = openRecordSource(path, error);
    const auto records = database ? database->openTable(database->tableNames().constFirst(), error) : nullptr;
    Rows rows;
    if (!records)
        return rows;
    *columns = records->columnNames();
    for (qint64 row = 0, count = records->fetchAll(); row < count; ++row) {
        QStringList cells;
        for (int column = 0; column < columns->size(); ++column)
            cells.append(records->text(row, column));
        rows.append(cells);
    }
    if (records->failed())
        *error = records->failure();
    return rows;
}

} // namespace

class TestCsv : public QObject
{
    Q_OBJECT
private slots:
    void tablesReadAsWritten_data();
    void tablesReadAsWritten();
    void faultsNameTheFileOrLine_data();
    void faultsNameTheFileOrLine();
    void filesThatCannotBeReadSayWhy_data();
    void filesThatCannotBeReadSayWhy();
    void longFileReadsOnDemand();
    void mutatedFilesNeverCrashOrHang();
    void otherProgramsTablesReadAlike_data();
    void otherProgramsTablesReadAlike();
    void optionsOverTheGuess_data();
    void optionsOverTheGuess();
    void longRowsAreTold_data();
    void longRowsAreTold();

private:
    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        return writeFile(path, bytes) ? path : QString();
    }
    QTemporaryDir m_dir;
};

void TestCsv::tablesReadAsWritten_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<Rows>("rows");
    QTest::newRow("quotes, separators and line breaks inside")
        << QByteArray("Nume,CNP,Obs\r\n\"Pop, Ion\",0123,\"a \"\"b\"\" c\"\r\n\"doua\nlinii\",456,\r\n")
        << QStringList{"Nume", "CNP", "Obs"} << Rows{{"Pop, Ion", "0123", "a \"b\" c"}, {"doua\nlinii", "456", ""}};
    QTest::newRow("UTF-8 with a BOM, semicolons")
        << QByteArray("\xEF\xBB\xBFNume;Oras\nȘtefan Țurcanu;Iași\n") << QStringList{"Nume", "Oras"}
        << Rows{{"Ștefan Țurcanu", "Iași"}};
    QTest::newRow("Windows-1250") << QByteArray("Nume;Oras\n\xe3\xe2\xee\xba\xfe;T\xe2rgu Mure\xba\n")
                                  << QStringList{"Nume", "Oras"} << Rows{{"ăâîşţ", "Târgu Mureş"}};
    QTest::newRow("tabs") << QByteArray("A\tB\n1,5\t2;3\n") << QStringList{"A", "B"} << Rows{{"1,5", "2;3"}};
    QTest::newRow("ragged rows") << QByteArray("A,B,C\n1\n1,2,3,4\n") << QStringList{"A", "B", "C"}
                                 << Rows{{"1", "", ""}, {"1", "2", "3"}};
    QTest::newRow("header only") << QByteArray("A,B\n") << QStringList{"A", "B"} << Rows{};
    QTest::newRow("repeated and empty names") << QByteArray("Nume,,Nume,nume\nx,y,z,w\n")
                                              << QStringList{"Nume", "Coloana 2", "Nume_2", "nume_3"}
                                              << Rows{{"x", "y", "z", "w"}};
    QTest::newRow("blank lines, old Mac line ends, no last line end")
        << QByteArray("A\r\rx\r\n\r\ny") << QStringList{"A"} << Rows{{"x"}, {"y"}};
    QTest::newRow("values kept as written") << QByteArray("Data;Suma\n2010-03-14;1.234,50\n")
                                            << QStringList{"Data", "Suma"} << Rows{{"2010-03-14", "1.234,50"}};
    QTest::newRow("a tie goes to the separator every row agrees with")
        << QByteArray("Nume, prenume;Data na\xC8\x99terii\nIonescu Maria;02.07.2010\nPopescu, Ion;14.03.2010\n")
        << QStringList{"Nume, prenume", "Data nașterii"}
        << Rows{{"Ionescu Maria", "02.07.2010"}, {"Popescu, Ion", "14.03.2010"}};
    QTest::newRow("a comma in every row's text, tabs between")
        << QByteArray("Nume, prenume\tNota\nPop, Ion\t9,50\n") << QStringList{"Nume, prenume", "Nota"}
        << Rows{{"Pop, Ion", "9,50"}};
    // Windows-1250 whose first letters come after 64 KiB, one of them bytes that UTF-8 would
    // take as a letter of its own (Ă followed by Ş).
    QByteArray late("Nume;Oras\n");
    Rows lateRows;
    for (int i = 0; late.size() < 70 * 1024; ++i) {
        late += "Elev " + QByteArray::number(i) + ";Deva\n";
        lateRows.append({QStringLiteral("Elev %1").arg(i), QStringLiteral("Deva")});
    }
    late += "Munteanu Ana;OR\xC3\xAATIE\nPop Ion;T\xE2rgu Mure\xBA\n";
    lateRows << QStringList{"Munteanu Ana", "ORĂŞTIE"} << QStringList{"Pop Ion", "Târgu Mureş"};
    QTest::newRow("Windows-1250 after 64 KiB of ASCII") << late << QStringList{"Nume", "Oras"} << lateRows;
    // UTF-16 over many blocks, with characters of two code units that a block may cut.
    QString wide = QStringLiteral("Nume\tNota\r\n");
    Rows wideRows;
    for (int i = 0; i < 20000; ++i) {
        wide += QStringLiteral("Ștefan 𝄞 %1\t10\r\n").arg(i);
        wideRows.append({QStringLiteral("Ștefan 𝄞 %1").arg(i), QStringLiteral("10")});
    }
    QTest::newRow("UTF-16 LE over many blocks") << utf16le(wide) << QStringList{"Nume", "Nota"} << wideRows;
    // However many columns the header names, the table opens as fast as the file reads.
    QByteArray distinct, same;
    QStringList distinctNames, sameNames;
    for (int i = 1; i <= 10000; ++i) {
        distinct += "Coloana" + QByteArray::number(i) + (i < 10000 ? "," : "\nx\n");
        distinctNames << QStringLiteral("Coloana%1").arg(i);
    }
    for (int i = 1; i <= 3000; ++i) {
        same += i < 3000 ? "a;" : "A\nx\n";
        sameNames << (i == 1 ? QStringLiteral("a") : QStringLiteral("%1_%2").arg(i < 3000 ? "a" : "A").arg(i));
    }
    const auto firstOnly = [](qsizetype columns) { return Rows{QStringList{"x"} + QStringList(columns - 1)}; };
    QTest::newRow("10,000 names") << distinct << distinctNames << firstOnly(10000);
    QTest::newRow("one name 3,000 times") << same << sameNames << firstOnly(3000);
}

void TestCsv::tablesReadAsWritten()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, columns);
    QFETCH(Rows, rows);
    const QString path = write(QStringLiteral("Clasa a VIII-a.CSV"), bytes);
    QElapsedTimer timer;
    timer.start();
    QString error;
    const auto database = openRecordSource(path, &error);
    QVERIFY2(database, qPrintable(error));
    QCOMPARE(database->tableNames(), QStringList{QStringLiteral("Clasa a VIII-a")});
    const auto records = database->openTable(QStringLiteral("clasa a viii-a"), &error);
    QVERIFY2(records, qPrintable(error));
    QCOMPARE(records->columnNames(), columns);
    QCOMPARE(records->fetchAll(), rows.size());
    QVERIFY(records->allRead() && !records->failed());
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
    for (int row = 0; row < rows.size(); ++row) {
        for (int column = 0; column < columns.size(); ++column)
            QCOMPARE(records->text(row, column), rows[row][column]);
    }
}

void TestCsv::faultsNameTheFileOrLine_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("opening");  // what open() says, or "" when it opens
    QTest::addColumn<QString>("reading");  // what the record set says
    QTest::addColumn<int>("rowsBefore");   // rows read before the fault
    QTest::newRow("empty file") << QByteArray() << QStringLiteral("este gol") << QString() << 0;
    QTest::newRow("blank lines only") << QByteArray("\n\r\n") << QStringLiteral("este gol") << QString() << 0;
    QTest::newRow("binary") << QByteArray("PK\x03\x04\x00\x00\x08\x00", 8) << QStringLiteral("nu este un tabel text")
                            << QString() << 0;
    QTest::newRow("quote left open") << QByteArray("A,B\n1,2\n3,\"abc\n4,5\n") << QString()
                                     << QStringLiteral("ghilimelele deschise la linia 3") << 1;
    // A line over 1 MB is refused when it is reached, before it fills the memory.
    const QByteArray long1 = QByteArray(1024 * 1024, 'x');
    QTest::newRow("header over 1 MB") << "A,B" + long1 + "\n1,2\n" << QStringLiteral("linia 1 are peste 1 MB")
                                      << QString() << 0;
    QTest::newRow("line over 1 MB") << "A,B\n1,2\n\n3," + long1 + "\n4,5\n" << QString()
                                    << QStringLiteral("linia 4 are peste 1 MB") << 1;
    // Too long to be read whole on opening: taken as UTF-8 by its beginning, then told.
    QByteArray longAscii("A,B\n");
    const QByteArray filler = "1," + QByteArray(250, 'x') + '\n';
    int fillerRows = 0;
    for (; longAscii.size() <= 17 * 1024 * 1024; ++fillerRows)
        longAscii += filler;
    QTest::newRow("not UTF-8 after the beginning of a long file")
        << longAscii + "2,T\xE2rgu\n3,y\n" << QString()
        << QStringLiteral("linia %1 nu este scrisa in UTF-8").arg(fillerRows + 2) << fillerRows;
    // Marked UTF-8 and short, so read without the whole-file check: the line is still told.
    QTest::newRow("not UTF-8 after its mark") << QByteArray("\xEF\xBB\xBF" "A,B\n1,\"x\"\n2,\"T\xE2rgu\"\n3,y\n") << QString()
                                               << QStringLiteral("linia 3 nu este scrisa in UTF-8") << 1;
    QTest::newRow("quoted line breaks over 1 MB") << "A\n\"" + QByteArray(600 * 1024, '\n') + long1 + "\"\n" << QString()
                                                  << QStringLiteral("linia 2 are peste 1 MB") << 0;
}

void TestCsv::faultsNameTheFileOrLine()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, opening);
    QFETCH(QString, reading);
    QFETCH(int, rowsBefore);
    const QString path = write(QStringLiteral("stricat.txt"), bytes);
    QString error;
    const auto database = openRecordSource(path, &error);
    if (!opening.isEmpty()) {
        QVERIFY(!database);
        QVERIFY2(error.contains(opening) && error.contains(path), qPrintable(error));
        return;
    }
    QVERIFY2(database, qPrintable(error));
    const auto records = database->openTable(QStringLiteral("stricat"));
    QVERIFY(records);
    QCOMPARE(records->fetchAll(), rowsBefore);
    QVERIFY(records->failed() && !records->allRead());
    QVERIFY2(records->failure().contains(reading) && records->failure().contains(path), qPrintable(records->failure()));
}

void TestCsv::filesThatCannotBeReadSayWhy_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("says");
    QTest::newRow("no right to read") << "unreadable" << "nu aveti dreptul sa cititi fisierul";
    QTest::newRow("FIFO") << "fifo" << "este un canal de comunicare";
    QTest::newRow("folder") << "folder" << "numele este al unui folder";
}

void TestCsv::filesThatCannotBeReadSayWhy()
{
    QFETCH(QString, kind);
    QFETCH(QString, says);
    const QString path = m_dir.filePath(QStringLiteral("elevi.csv"));
    QFile::remove(path); // what a failed row left
    QString error;
    const auto open = [&] { QVERIFY(!openRecordSource(path, &error)); };
    if (kind == QLatin1String("fifo")) {
        QVERIFY2(endsWithoutWaitingOnFifo(path, open), "the FIFO held the open");
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("elevi.csv")));
        open();
    } else {
        QVERIFY(writeFile(path, "Nume\nIon\n"));
        QString why;
        if (!withoutReadPermission(path, open, &why))
            QSKIP(qPrintable(why));
    }
    QDir(m_dir.path()).rmdir(QStringLiteral("elevi.csv"));
    QVERIFY2(error.contains(says) && error.contains(path), qPrintable(error));
}

void TestCsv::longFileReadsOnDemand()
{
    QByteArray bytes("Nr,Nume\n");
    for (int i = 0; i < 200000; ++i)
        bytes += QByteArray::number(i) + ",\"Elev " + QByteArray::number(i) + "\"\n";
    const QString path = write(QStringLiteral("mare.csv"), bytes);
    const auto database = openRecordSource(path);
    QVERIFY(database);
    const auto records = database->openTable(QStringLiteral("mare"));
    QVERIFY(records);
    QCOMPARE(records->fetchMore(10), 10);
    QVERIFY(!records->allRead());
    QCOMPARE(records->text(9, 1), QStringLiteral("Elev 9"));
    QCOMPARE(records->fetchAll(), 200000);
    QCOMPARE(records->text(199999, 0), QStringLiteral("199999"));
    QCOMPARE(records->text(123456, 1), QStringLiteral("Elev 123456"));

    // Rewritten while it is read: the rows after go unread, and the user is told.
    const auto again = database->openTable(QStringLiteral("mare"));
    QCOMPARE(again->fetchMore(300), 300);
    QFile file(path);
    QVERIFY(file.open(QIODevice::Append));
    file.write("200000,\"Elev nou\"\n");
    file.close();
    again->fetchAll();
    QVERIFY(again->failed() && again->rowsRead() < 200000);
    QVERIFY2(again->failure().contains(QStringLiteral("s-a schimbat")), qPrintable(again->failure()));
}

void TestCsv::mutatedFilesNeverCrashOrHang()
{
    const QByteArray source = readFile(QStringLiteral(FORMULIX_SOURCE_DIR "/examples/elevi.csv"))
        + "\"a \"\"q\"\" b\";\"x\ny\";;\r\n";
    QVERIFY(!source.isEmpty());
    QRandomGenerator random(20261207);
    const QByteArray special(";,\t\"\r\n\xC8\x98\xBA\x00", 10);
    for (int i = 0; i < 300; ++i) {
        QByteArray bytes = source;
        if (i % 10 == 9) {
            bytes = bytes.left(random.bounded(int(bytes.size())));
        } else {
            for (int f = 1 + random.bounded(12); f > 0; --f) {
                const int at = random.bounded(int(bytes.size()));
                bytes[at] = i % 2 ? special.at(random.bounded(int(special.size()))) : char(random.bounded(256));
            }
        }
        const QString path = write(QStringLiteral("mutat.csv"), bytes);
        const auto database = openRecordSource(path);
        if (!database)
            continue;
        const auto records = database->openTable(QStringLiteral("mutat"));
        QVERIFY(records);
        const qint64 rows = records->fetchAll();
        QVERIFY(rows <= bytes.count('\n') + bytes.count('\r') + 1);
        for (qint64 row = 0; row < rows; ++row) {
            for (int column = 0; column < records->columnNames().size(); ++column)
                records->text(row, column);
        }
    }
}

// A spreadsheet's "Unicode text" (UTF-16 with a byte order mark, tabs), as LibreOffice writes it
// (scripts/make-csv-fixtures.sh), reads as the UTF-8 table it was made from.
void TestCsv::otherProgramsTablesReadAlike_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("UTF-16 LE, from a spreadsheet") << QStringLiteral("elevi-unicode.txt");
    QTest::newRow("UTF-16 BE") << QStringLiteral("elevi-utf16be.txt");
}

void TestCsv::otherProgramsTablesReadAlike()
{
    QFETCH(QString, file);
    QStringList columns, expectedColumns;
    QString error;
    const Rows expected = readAll(QStringLiteral(FORMULIX_SOURCE_DIR "/examples/elevi.csv"), &expectedColumns, &error);
    QCOMPARE(expected.size(), 10);
    const Rows rows = readAll(Fixtures + file, &columns, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(columns, expectedColumns);
    QCOMPARE(rows, expected);
}

// The options remembered for a file, and those of a command line over them, win over the guess.
void TestCsv::optionsOverTheGuess_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<CsvOptions>("remembered");
    QTest::addColumn<CsvOptions>("given"); // for the whole run
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QStringList>("firstRow");
    using Encoding = CsvOptions::Encoding;
    using Header = CsvOptions::Header;
    const QByteArray piped("A|B;C\n1|2;3\n");
    QTest::newRow("nothing remembered: the guess") << piped << CsvOptions() << CsvOptions() << QStringList{"A|B", "C"}
                                                   << QStringList{"1|2", "3"};
    QTest::newRow("a separator remembered") << piped << CsvOptions{Encoding::Auto, '|', Header::Auto} << CsvOptions()
                                            << QStringList{"A", "B;C"} << QStringList{"1", "2;3"};
    QTest::newRow("the run's over the remembered")
        << piped << CsvOptions{Encoding::Auto, '|', Header::Auto} << CsvOptions{Encoding::Auto, ';', Header::Auto}
        << QStringList{"A|B", "C"} << QStringList{"1|2", "3"};
    QTest::newRow("no header") << QByteArray("1;2\n3;4;5\n") << CsvOptions{Encoding::Auto, 0, Header::No} << CsvOptions()
                               << QStringList{"Coloana 1", "Coloana 2", "Coloana 3"} << QStringList{"1", "2", ""};
    QTest::newRow("ISO-8859-2") << QByteArray("Nume\n\xA9imon \xB9tefan\n") << CsvOptions()
                                << CsvOptions{Encoding::Iso88592, 0, Header::Auto}
                                << QStringList{"Nume"} << QStringList{"Šimon štefan"};
    QTest::newRow("UTF-16 without a mark") << utf16le(QStringLiteral("Nume\tOras\nȘtefan\tIași\n")).mid(2)
                                           << CsvOptions{Encoding::Utf16, 0, Header::Auto} << CsvOptions()
                                           << QStringList{"Nume", "Oras"} << QStringList{"Ștefan", "Iași"};
}

void TestCsv::optionsOverTheGuess()
{
    QFETCH(QByteArray, bytes);
    QFETCH(CsvOptions, remembered);
    QFETCH(CsvOptions, given);
    QFETCH(QStringList, columns);
    QFETCH(QStringList, firstRow);
    const QString path = write(QStringLiteral("optiuni.txt"), bytes);
    rememberCsvOptions(path, remembered);
    setCsvOverride(given);
    const auto restore = qScopeGuard([&] {
        rememberCsvOptions(path, CsvOptions());
        setCsvOverride(CsvOptions());
    });
    QCOMPARE(rememberedCsvOptions(path), remembered);
    QStringList read;
    QString error;
    const Rows rows = readAll(path, &read, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(read, columns);
    QCOMPARE(rows.value(0), firstRow);

    // A choice remembered anew makes the source opened before out of date.
    const auto database = openRecordSource(path);
    QVERIFY(database && !database->changedOnDisk());
    rememberCsvOptions(path, CsvOptions{CsvOptions::Encoding::Windows1250, '\t', CsvOptions::Header::No});
    QVERIFY(database->changedOnDisk());
}

void TestCsv::longRowsAreTold_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("rows"); // read before the table is let go; -1 for all
    QTest::addColumn<QString>("told");
    QTest::newRow("one") << QByteArray("A,B\n1,2\n\n3,4,5\n6,7\n") << -1
                         << "linia 4 are mai multe celule decat coloanele tabelei (2)";
    QTest::newRow("many") << QByteArray("A,B\n1,2,3\n4,5,6\n7\n8,9,0\n1,2,3\n4,5,6\n7,8,9\n0,1,2\n") << -1
                          << "liniile 2, 3, 5, 6, 7 si inca 2 au mai multe celule";
    QTest::newRow("among the rows read, the table let go before its end")
        << QByteArray("A;B\n1;2;3\n4;5\n6;7;8\n") << 2 << "linia 2 are";
    QTest::newRow("short rows are not long") << QByteArray("A,B,C\n1\n2,3\n") << -1 << QString();
}

// A long row is read (its cells past the columns are not) and told once, naming its line.
void TestCsv::longRowsAreTold()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, rows);
    QFETCH(QString, told);
    const QString path = write(QStringLiteral("lung.csv"), bytes);
    QStringList warnings;
    setCsvWarningSink([&](const QString &file, const QString &warning) {
        QCOMPARE(file, path);
        warnings.append(warning);
    });
    const auto restore = qScopeGuard([] { setCsvWarningSink(nullptr); });
    auto database = openRecordSource(path);
    QVERIFY(database);
    auto records = database->openTable(QStringLiteral("lung"));
    QVERIFY(records);
    if (rows < 0)
        records->fetchAll();
    else
        QCOMPARE(records->fetchMore(rows), rows);
    QVERIFY(!records->failed());
    records.reset();
    QCOMPARE(warnings.size(), told.isEmpty() ? 0 : 1);
    if (!told.isEmpty())
        QVERIFY2(warnings[0].contains(told) && warnings[0].contains(path), qPrintable(warnings[0]));
}

QTEST_GUILESS_MAIN(TestCsv)
#include "tst_csv.moc"
