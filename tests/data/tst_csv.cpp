#include "core/records/RecordSources.h"
#include "support/TestSupport.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace formulix;
using namespace formulix::test;

using Rows = QList<QStringList>;

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

QTEST_GUILESS_MAIN(TestCsv)
#include "tst_csv.moc"
