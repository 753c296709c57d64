#include "core/records/RecordSources.h"
#include "support/TestSupport.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace formulix;
using namespace formulix::test;

using Rows = QList<QStringList>;

namespace {

QString fixture(const QString &name)
{
    return QStringLiteral(FORMULIX_SOURCE_DIR "/tests/fixtures/sheets/") + name;
}

// The workbook's container with a stream renamed: what another Office document, or an encrypted
// Excel 2007 workbook, holds instead of a workbook.
QByteArray renameStream(QByteArray file, const QString &from, const QString &to)
{
    const QByteArray old(reinterpret_cast<const char *>(from.utf16()), from.size() * 2);
    const qsizetype at = file.indexOf(old);
    if (at < 0 || to.size() > 31)
        return QByteArray();
    QByteArray name(64, '\0');
    std::memcpy(name.data(), to.utf16(), std::size_t(to.size()) * 2);
    file.replace(at, 64, name);
    qToLittleEndian<quint16>(quint16((to.size() + 1) * 2), file.data() + at + 64);
    return file;
}

} // namespace

class TestXls : public QObject
{
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::Romanian, QLocale::Romania)); }
    void sheetsReadAsShown_data();
    void sheetsReadAsShown();
    void demoTableReadsAsItsCsv();
    void refusedWithAReason_data();
    void refusedWithAReason();
    void mutatedFilesNeverCrashOrHang();
    void numbersUnderTheLocaleOfOpening();
    void rewrittenWhileRead();

private:
    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        return writeFile(path, bytes) ? path : QString();
    }
    QTemporaryDir m_dir;
};

void TestXls::sheetsReadAsShown_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("sheets");
    QTest::addColumn<QString>("sheet"); // opened by this name
    QTest::addColumn<QString>("table"); // and named so
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<Rows>("rows"); // an empty cell is NULL
    const QStringList foi{"Clasa a V-a", "Profesori și săli", "Goala"};
    QTest::newRow("values a CSV import makes")
        << "tipuri.xls" << QStringList{"tipuri"} << "tipuri" << "tipuri"
        << QStringList{"Text", "Intreg", "Zecimal", "Suma", "Data", "DataOra", "Ora", "Gol"}
        << Rows{{"Ștefan Țăran", "42", "3,75", "0,3", "14.03.2010", "14.03.2010 08:30:15", "08:30:15", ""},
                {"înșirat, âșa", "-7", "-0,5", "0,333333333333333", "29.02.2000", "01.01.1999", "23:59:59", "x"},
                {"", "1000000", "1234567,891", "9,00719925474099E+15", "01.03.1900", "", "00:00:00", ""}};
    // Formulas of each result, formats, a header to make names of, formatting past the values.
    QTest::newRow("formulas and names")
        << "foi.xls" << foi << "Clasa a V-a" << "Clasa a V-a"
        << QStringList{"Nume", "Coloana 2", "Nota", "nota_2", "Data", "Calcul"}
        << Rows{{"Ștefan Țăran", "10", "9,5", "0,05", "14.03.2010", "0,3"},
                {"Îngrid Ânghel", "", "-1234567,891", "5100314121012", "31.12.1999 23:59:00", "Ion Pop"},
                {"", "1,234E-06", "1E+20", "08:30:15", "29.02.2024", "#DIV/0!"},
                {"x", "1", "", "0,333333333333333", "29.02.2024 12:00:00", QString(5000, u'ș')}};
    QTest::newRow("second sheet, named ignoring case")
        << "foi.xls" << foi << "PROFESORI ȘI SĂLI" << "Profesori și săli" << QStringList{"Profesor", "Sala"}
        << Rows{{"Doamna Ionescu", "12"}, {QString(5000, u'ă'), ""}};
}

void TestXls::sheetsReadAsShown()
{
    QFETCH(QString, file);
    QFETCH(QStringList, sheets);
    QFETCH(QString, sheet);
    QFETCH(QString, table);
    QFETCH(QStringList, columns);
    QFETCH(Rows, rows);
    QString error;
    const auto source = openRecordSource(fixture(file), &error);
    QVERIFY2(source, qPrintable(error));
    QCOMPARE(source->tableNames(), sheets);
    QVERIFY(!source->changedOnDisk());
    const auto records = source->openTable(sheet, &error);
    QVERIFY2(records, qPrintable(error));
    QCOMPARE(records->tableName(), table);
    QCOMPARE(records->columnNames(), columns);
    QCOMPARE(records->fetchAll(), rows.size());
    QVERIFY(records->allRead() && !records->failed());
    for (int row = 0; row < rows.size(); ++row) {
        for (int column = 0; column < columns.size(); ++column) {
            QCOMPARE(records->text(row, column), rows[row][column]);
            QCOMPARE(records->isNull(row, column), rows[row][column].isEmpty());
        }
    }
}

void TestXls::demoTableReadsAsItsCsv()
{
    QString error;
    const auto csv = openRecordSource(QStringLiteral(FORMULIX_SOURCE_DIR "/examples/elevi.csv"), &error);
    const auto xls = openRecordSource(fixture(QStringLiteral("elevi.xls")), &error);
    QVERIFY2(csv && xls, qPrintable(error));
    QCOMPARE(xls->tableNames(), csv->tableNames());
    const auto expected = csv->openTable(QStringLiteral("elevi"));
    const auto records = xls->openTable(QStringLiteral("elevi"));
    QVERIFY(expected && records);
    QCOMPARE(records->columnNames(), expected->columnNames());
    QCOMPARE(records->fetchAll(), expected->fetchAll());
    for (qint64 row = 0; row < expected->rowsRead(); ++row) {
        for (int column = 0; column < expected->columnNames().size(); ++column) {
            QCOMPARE(records->text(row, column), expected->text(row, column));
            QCOMPARE(records->isNull(row, column), expected->isNull(row, column));
        }
    }
}

void TestXls::refusedWithAReason_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("sheet"); // "" when the file itself is refused
    QTest::addColumn<QString>("says");
    const QByteArray foi = readFile(fixture(QStringLiteral("foi.xls")));
    const QByteArray encrypted = renameStream(foi, QStringLiteral("Workbook"), QStringLiteral("EncryptedPackage"));
    const QString password = QStringLiteral("este protejat cu parola; salvati-l fara parola");
    QTest::newRow("saved with a password") << "parola.xls" << readFile(fixture(QStringLiteral("parola.xls")))
                                           << QString() << password;
    QTest::newRow("Excel 2007 with a password, named .xls") << "parola.xls" << encrypted << QString() << password;
    QTest::newRow("another Office document")
        << "scrisoare.xls" << renameStream(foi, QStringLiteral("Workbook"), QStringLiteral("WordDocument")) << QString()
        << "nu este un registru Excel: este un alt document Office";
    QTest::newRow("cut short") << "taiat.xls" << foi.left(foi.size() / 2) << QString() << "este deteriorat";
    QByteArray garbage(8192, '\x5A');
    garbage.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
    QTest::newRow("garbage in the container") << "gunoi.xls" << garbage << QString() << "este deteriorat";
    QTest::newRow("a web page named .xls") << "export.xls" << QByteArray("<html><table><tr><td>Ion</td></tr>")
                                           << QString() << "nu este un registru Excel: este un fisier text";
    QTest::newRow("Excel 4") << "vechi.xls" << QByteArray("\x09\x04\x06\x00\x00\x00\x10\x00", 8) << QString()
                             << "formatul vechi Excel 2-4";
    QTest::newRow("empty") << "gol.xls" << QByteArray() << QString() << "este gol";
    // Records that made libfreexl read past its buffers or free twice.
    const auto patched = [&foi](const char *header, int at, const QByteArray &bytes) {
        QByteArray file = foi;
        const qsizetype workbook = file.indexOf(QByteArray("\x09\x08\x10\x00\x00\x06\x05\x00", 8));
        const qsizetype record = file.indexOf(QByteArray(header, 4), workbook);
        return workbook < 0 || record < 0 ? QByteArray() : file.replace(record + at, bytes.size(), bytes);
    };
    const QString unfit = QStringLiteral("este deteriorat (inregistrarile registrului nu se potrivesc)");
    QTest::newRow("a format longer than its record") << "format.xls" << patched("\x1e\x04\x0c\x00", 6, "\xff\xff\x01")
                                                     << QString() << unfit;
    QTest::newRow("a shared text longer than all") << "texte.xls" << patched("\xfc\x00\x20\x20", 12, "\xff\xff\x01")
                                                   << QString() << unfit;
    QTest::newRow("a sheet's bounds given twice") << "margini.xls" << patched("\x03\x02\x0e\x00", 0, QByteArray(1, '\0'))
                                                  << QString() << unfit;
    QTest::newRow("more rows than a sheet has") << "randuri.xls" << patched("\x00\x02\x0e\x00", 8, QByteArray("\x00\x00\x10\x00", 4))
                                                << QString() << "declara mai multe randuri sau coloane";
    QTest::newRow("empty sheet") << "foi.xls" << foi << "Goala" << "foaia Goala este goala; primul rand";
    QTest::newRow("no such sheet") << "foi.xls" << foi << "Elevi" << "nu are foaia Elevi";
}

void TestXls::refusedWithAReason()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, sheet);
    QFETCH(QString, says);
    const QString path = write(name, bytes);
    QVERIFY(!path.isEmpty());
    QString error;
    auto source = openRecordSource(path, &error);
    if (!sheet.isEmpty()) {
        QVERIFY2(source, qPrintable(error));
        QVERIFY(!source->openTable(sheet, &error));
        source.reset();
    }
    QVERIFY(!source);
    QVERIFY2(error.contains(says) && error.contains(path), qPrintable(error));
}

void TestXls::mutatedFilesNeverCrashOrHang()
{
    const QByteArray source = readFile(fixture(QStringLiteral("foi.xls")));
    QVERIFY(!source.isEmpty());
    QRandomGenerator random(20261208);
    QElapsedTimer timer;
    timer.start();
    int opened = 0;
    for (int i = 0; i < 400; ++i) {
        QByteArray bytes = source;
        if (i % 10 == 9) {
            bytes = bytes.left(random.bounded(int(bytes.size())));
        } else {
            // The container's tables and the workbook's records are in the first sectors.
            const int span = i % 2 ? 2048 : int(bytes.size());
            for (int f = 1 + random.bounded(8); f > 0; --f)
                bytes[random.bounded(span)] = char(random.bounded(256));
        }
        const QString path = write(QStringLiteral("mutat.xls"), bytes);
        QString error;
        const auto workbook = openRecordSource(path, &error);
        if (!workbook) {
            QVERIFY2(error.contains(path), qPrintable(error));
            continue;
        }
        for (const QString &sheet : workbook->tableNames()) {
            const auto records = workbook->openTable(sheet, &error);
            if (!records)
                continue;
            ++opened;
            const qint64 rows = records->fetchAll();
            QVERIFY(rows <= 65536);
            for (qint64 row = 0; row < rows; ++row) {
                for (int column = 0; column < records->columnNames().size(); ++column)
                    records->text(row, column);
            }
        }
    }
    QVERIFY(opened > 0);
    QVERIFY2(timer.elapsed() < 60000, qPrintable(QString::number(timer.elapsed())));
}

void TestXls::numbersUnderTheLocaleOfOpening()
{
    const auto source = openRecordSource(fixture(QStringLiteral("tipuri.xls")));
    QVERIFY(source);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const auto records = source->openTable(QStringLiteral("tipuri"));
    QLocale::setDefault(QLocale(QLocale::Romanian, QLocale::Romania));
    QVERIFY(records);
    QCOMPARE(records->fetchAll(), 3);
    QCOMPARE(records->text(2, 2), QStringLiteral("1234567.891"));
    QCOMPARE(records->text(0, 4), QStringLiteral("14.03.2010")); // dates whatever the locale
}

void TestXls::rewrittenWhileRead()
{
    const QString path = write(QStringLiteral("rescris.xls"), readFile(fixture(QStringLiteral("foi.xls"))));
    const auto source = openRecordSource(path);
    QVERIFY(source);
    const auto records = source->openTable(QStringLiteral("Clasa a V-a"));
    QVERIFY(records);
    QCOMPARE(records->fetchMore(1), 1);
    QFile file(path);
    QVERIFY(file.open(QIODevice::Append));
    file.write("x");
    file.close();
    QVERIFY(source->changedOnDisk());
    records->fetchAll();
    QVERIFY(records->failed() && records->rowsRead() < 4);
    QVERIFY2(records->failure().contains(QStringLiteral("s-a schimbat")), qPrintable(records->failure()));
}

QTEST_GUILESS_MAIN(TestXls)
#include "tst_xls.moc"
