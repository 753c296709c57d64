// The Access database engine: fixtures written with the Jet4 writer carry exactly the values a
// case needs; the real Access files beside the project check that what Access wrote reads the
// same; mutated copies of both must never crash or hang the reader.

#include "core/records/RecordSources.h"
#include "core/records/AccessFormat.h"
#include "support/Jet4Writer.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <future>
#include <thread>
#include <unistd.h>

using namespace formulix;
using namespace formulix::test;

namespace {

constexpr int PageSize = 4096;
constexpr int BigRows = 5000;

const QString Diacritics = QStringLiteral("Ștefănescu Țărână Îngrijită-Âncuța, șțăâî");
const QString Sixty = QStringLiteral("Strada Mihail Kogălniceanu nr. 12, bl. A4, sc. 2, ap. 41, Iași").left(60);

// The definition page of the table that has a column named `column` (names are stored UTF-16LE).
int definitionPage(const QByteArray &file, const QString &column)
{
    QByteArray utf16(reinterpret_cast<const char *>(column.utf16()), column.size() * 2);
    for (qsizetype at = file.indexOf(utf16); at >= 0; at = file.indexOf(utf16, at + 1)) {
        if (file.at(at / PageSize * PageSize) == 0x02)
            return int(at / PageSize);
    }
    return -1;
}

// Gives column `index` of that table another type, as if Access had written it so.
void retypeColumn(QByteArray &file, const QString &column, int index, quint8 type, quint16 size,
                  quint8 precision = 0, quint8 scale = 0)
{
    const int page = definitionPage(file, column);
    QVERIFY(page > 0);
    char *entry = file.data() + page * PageSize + 63 + 25 * index;
    entry[0] = char(type);
    entry[11] = char(precision);
    entry[12] = char(scale);
    qToLittleEndian(size, entry + 23);
}

double bitsToDouble(const QByteArray &bytes)
{
    double value;
    std::memcpy(&value, bytes.constData(), sizeof value);
    return value;
}

// Runs `work` on a thread of its own with a bound on its time; a case that overruns stops the
// whole test program, since a hung reader cannot be interrupted. Returns what `work` returned.
QString withinSeconds(int seconds, const QString &what, const std::function<QString()> &work)
{
    std::packaged_task<QString()> task(work);
    std::future<QString> done = task.get_future();
    std::thread thread(std::move(task));
    if (done.wait_for(std::chrono::seconds(seconds)) != std::future_status::ready)
        qFatal("%s took more than %d s", qPrintable(what), seconds);
    thread.join();
    return done.get();
}

// libmdb reports what it finds wrong in a damaged file on stderr; a test that damages hundreds
// of files keeps that out of its output.
class QuietStderr
{
public:
    QuietStderr() : m_saved(dup(STDERR_FILENO))
    {
        const int null = ::open("/dev/null", O_WRONLY);
        dup2(null, STDERR_FILENO);
        ::close(null);
    }
    ~QuietStderr()
    {
        dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
    }

private:
    int m_saved;
};

} // namespace

class TestDatabase : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void columns();
    void values_data();
    void values();
    void lazyReading();
    void datesUnderRegionalSettings_data();
    void datesUnderRegionalSettings();
    void fourDigitYearFormats_data();
    void fourDigitYearFormats();
    void accdbReadsAsItsMdbTwin_data();
    void accdbReadsAsItsMdbTwin();
    void openFails_data();
    void openFails();
    void writtenPasswords_data();
    void writtenPasswords();
    void openTableFails_data();
    void openTableFails();
    void fileChangesWhileOpen_data();
    void fileChangesWhileOpen();
    void realTables_data();
    void realTables();
    void storedOrder_data();
    void storedOrder();
    void calculatedColumns_data();
    void calculatedColumns();
    void linkedTablesSayWhere_data();
    void linkedTablesSayWhere();
    void mutatedFilesNeverCrashOrHang();

private:
    QString fixture(const QString &name) const { return m_dir.filePath(name); }
    std::unique_ptr<RecordCursor> openAll(const QString &path, const QString &table,
                                       const QString &password = QString());
    // What the real files' database passwords are.
    static QString passwordOf(const QString &file)
    {
        return file == QLatin1String("password_V2000_with-password.mdb") ? QStringLiteral("password") : QString();
    }

    QTemporaryDir m_dir;
    QString m_shared;
    QString m_sharedWhy;
};

void TestDatabase::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_shared = sharedMdbDir(&m_sharedWhy);

    // The same tables as Access 2000 (.mdb), Access 2007 and Access 2010 (.accdb) write them.
    const auto writeSchool = [](const QString &path, Jet4Writer::Release release, QString *error) {
    Jet4Writer writer(path);
    writer.setRelease(release);
    writer.beginTable(QStringLiteral("Elevi"), {{QStringLiteral("Nume"), Jet4Type::Text, 60},
                                                {QStringLiteral("CNP"), Jet4Type::Text, 13},
                                                {QStringLiteral("Data nasterii"), Jet4Type::DateTime},
                                                {QStringLiteral("Localitate "), Jet4Type::Text, 60},
                                                {QStringLiteral("Observatii"), Jet4Type::Memo}});
    writer.addRow({QStringLiteral("Popescu Ion"), QStringLiteral("1800512123456"),
                   Jet4Value::fromDateTime(QDateTime(QDate(1980, 5, 12), QTime())), QStringLiteral("Cluj-Napoca"),
                   QString(1800, u'ă')});
    writer.addRow({Diacritics, QStringLiteral("2991231223344"), nullptr, Sixty, QString()});
    writer.addRow({QStringLiteral("Ana 😀"), nullptr, nullptr, QString(), nullptr});
    writer.endTable();

    writer.beginTable(QStringLiteral("Gol"), {{QStringLiteral("Denumire"), Jet4Type::Text, 20}});
    writer.endTable();

    writer.beginTable(QStringLiteral("Tipuri"), {{QStringLiteral("Activ"), Jet4Type::YesNo},
                                                 {QStringLiteral("Octet"), Jet4Type::Byte},
                                                 {QStringLiteral("Intreg"), Jet4Type::Integer},
                                                 {QStringLiteral("Lung"), Jet4Type::Long},
                                                 {QStringLiteral("Bani"), Jet4Type::Currency},
                                                 {QStringLiteral("Simplu"), Jet4Type::Single},
                                                 {QStringLiteral("Dublu"), Jet4Type::Double},
                                                 {QStringLiteral("Obiect"), Jet4Type::Ole}});
    writer.addRow({true, 0, -32768, qint64(-2147483648LL), 3.5, 0.1, 1234567.5, QByteArray("\x01\x02", 2)});
    writer.addRow({false, 255, 32767, 2147483647, -0.0001, -2.5, 1e20, nullptr});
    writer.addRow({nullptr, nullptr, nullptr, nullptr, qint64(922337203685477LL), 1e-7, -0.000123, nullptr});
    writer.addRow({true, 1, 1, 1, 2.345, 309841000.0, 0.5, QByteArray()});
    writer.endTable();

    writer.beginTable(QStringLiteral("Legaturi"), {{QStringLiteral("Pagina"), Jet4Type::Memo, 0, true},
                                                   {QStringLiteral("Nota"), Jet4Type::Memo}});
    writer.addRow({QStringLiteral("Scoala noastra#http://scoala.ro/#"), QStringLiteral("nota#10#")});
    writer.addRow({QStringLiteral("#http://scoala.ro/elevi#sus"), nullptr});
    writer.addRow({QStringLiteral("fara adresa"), nullptr});
    writer.endTable();

    writer.beginTable(QStringLiteral("Date"), {{QStringLiteral("Cand"), Jet4Type::DateTime}});
    for (double stored : {0.0, 0.5, -1.25, -1.0, -0.25, 27293.0, 2958465.999988426, 2958466.0, -657434.0,
                          1.0 / 86400 * 0.6})
        writer.addRow({stored});
    writer.addRow({Jet4Value::fromDateTime(QDateTime(QDate(1850, 3, 1), QTime(10, 20, 30)))});
    // 1899-01-01 and 9999-01-01 read alike with two-digit years; the day before year 100.
    for (double stored : {-363.0, 2958101.0, -657435.0})
        writer.addRow({stored});
    writer.addRow({Jet4Value::fromDateTime(QDateTime(QDate(2006, 2, 3), QTime(22, 11)))});
    writer.endTable();

    // Raw bytes for retyped columns: a NUMERIC of 17 bytes (sign, then four 32-bit words from the
    // most significant) spans NumHi, NumLo and NumEnd; a GUID spans NumHi and NumLo.
    writer.beginTable(QStringLiteral("Rare"), {{QStringLiteral("NumHi"), Jet4Type::Double},
                                               {QStringLiteral("NumLo"), Jet4Type::Double},
                                               {QStringLiteral("NumEnd"), Jet4Type::Byte},
                                               {QStringLiteral("Binar"), Jet4Type::Text, 10}});
    QByteArray numeric(17, '\0');
    qToLittleEndian<quint32>(1234567, numeric.data() + 13); // 12345.67 at scale 2
    numeric[0] = char(0x80);                                 // negative
    const QByteArray guid = QByteArray::fromHex("33221100554477668899AABBCCDDEEFF");
    writer.addRow({bitsToDouble(numeric.left(8)), bitsToDouble(numeric.mid(8, 8)), int(quint8(numeric.at(16))),
                   QStringLiteral("ab")});
    writer.addRow({bitsToDouble(guid.left(8)), bitsToDouble(guid.mid(8, 8)), 0, QStringLiteral("cd")});
    writer.endTable();

    writer.beginTable(QStringLiteral("Mare"), {{QStringLiteral("Nr"), Jet4Type::Long},
                                               {QStringLiteral("Nume"), Jet4Type::Text, 30}});
    for (int i = 0; i < BigRows; ++i)
        writer.addRow({i, QStringLiteral("Elev %1").arg(i)});
    return writer.finish(error);
    };
    QString error;
    QVERIFY2(writeSchool(fixture(QStringLiteral("scoala.mdb")), Jet4Writer::Release::Access2000, &error), qPrintable(error));
    QVERIFY2(writeSchool(fixture(QStringLiteral("scoala2007.accdb")), Jet4Writer::Release::Access2007, &error),
             qPrintable(error));
    QVERIFY2(writeSchool(fixture(QStringLiteral("scoala2010.accdb")), Jet4Writer::Release::Access2010, &error),
             qPrintable(error));

    Jet4Writer links(fixture(QStringLiteral("legate.mdb")));
    links.beginTable(QStringLiteral("Elevi"), {{QStringLiteral("Nume"), Jet4Type::Text, 20}});
    links.addLinkedTable(QStringLiteral("Profesori"), QStringLiteral("C:\\Scoala\\personal.mdb"),
                         QStringLiteral("Cadre"));
    links.addLinkedTable(QStringLiteral("Note"), QString(), QStringLiteral("dbo.Note"),
                         QStringLiteral("ODBC;DSN=Catalog;UID=director;PWD=secret;DATABASE=scoala"));
    links.addLinkedTable(QStringLiteral("Vechi"), QString(), QString());
    QVERIFY2(links.finish(&error), qPrintable(error));

    // The same database with the rare columns retyped, and with a Mare definition that miscounts
    // its rows.
    QByteArray file = readFile(fixture(QStringLiteral("scoala.mdb")));
    retypeColumn(file, QStringLiteral("NumHi"), 0, 0x10, 17, 18, 2); // NUMERIC(18, 2)
    retypeColumn(file, QStringLiteral("NumHi"), 3, 0x09, 10);        // binary
    QVERIFY(writeFile(fixture(QStringLiteral("rare-numeric.mdb")), file));
    file = readFile(fixture(QStringLiteral("scoala.mdb")));
    retypeColumn(file, QStringLiteral("NumHi"), 0, 0x0F, 16); // replication ID (GUID)
    const int mare = definitionPage(file, QStringLiteral("Nr"));
    QVERIFY(mare > 0);
    qToLittleEndian<quint32>(7, file.data() + mare * PageSize + 16);
    QVERIFY(writeFile(fixture(QStringLiteral("rare-guid.mdb")), file));
    // An attachment or multi-value column of Access 2007 and later: its cell holds a key only.
    file = readFile(fixture(QStringLiteral("scoala2010.accdb")));
    retypeColumn(file, QStringLiteral("Nr"), 0, 0x12, 4);
    QVERIFY(writeFile(fixture(QStringLiteral("complex.accdb")), file));
}

void TestDatabase::init()
{
    QLocale::setDefault(QLocale(QLocale::Romanian, QLocale::Romania));
}

std::unique_ptr<RecordCursor> TestDatabase::openAll(const QString &path, const QString &table, const QString &password)
{
    QString error;
    const auto database = openRecordSource(path, &error, password);
    if (!database) {
        qWarning("%s", qPrintable(error));
        return nullptr;
    }
    auto records = database->openTable(table, &error);
    if (!records)
        qWarning("%s", qPrintable(error));
    else
        records->fetchAll();
    return records;
}

void TestDatabase::columns()
{
    const auto records = openAll(fixture(QStringLiteral("scoala.mdb")), QStringLiteral("Elevi"));
    QVERIFY(records);
    QCOMPARE(records->tableName(), QStringLiteral("Elevi"));
    QCOMPARE(records->columnNames(), QStringList({QStringLiteral("Nume"), QStringLiteral("CNP"),
                                                 QStringLiteral("Data nasterii"), QStringLiteral("Localitate "),
                                                 QStringLiteral("Observatii")}));
    QCOMPARE(records->columnIndex(QStringLiteral("Localitate ")), 3);
    QCOMPARE(records->columnIndex(QStringLiteral("Localitate")), -1); // the blank belongs to the name
    QCOMPARE(records->columnIndex(QStringLiteral("cnp")), -1);

    const auto empty = openAll(fixture(QStringLiteral("scoala.mdb")), QStringLiteral("Gol"));
    QVERIFY(empty);
    QCOMPARE(empty->columnNames(), QStringList(QStringLiteral("Denumire")));
    QCOMPARE(empty->rowsRead(), 0);
    QVERIFY(empty->allRead());
    QVERIFY(empty->isNull(0, 0));
    QCOMPARE(empty->text(0, 0), QString());
}

void TestDatabase::values_data()
{
    QTest::addColumn<QString>("file"); // a fixture, or "" for a real file when there are none
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("null");
    QTest::addColumn<QString>("shown"); // in the grid
    QString file = fixture(QStringLiteral("scoala.mdb"));
    const auto add = [&file](const char *name, const QString &table, int row, const QString &column,
                             const QString &text, bool null = false, const char *shown = nullptr) {
        QTest::newRow(name) << file << table << row << column << text << null
                            << (shown ? QString::fromUtf8(shown) : text);
    };
    const QString elevi = QStringLiteral("Elevi");
    add("CNP keeps its 13 digits", elevi, 0, QStringLiteral("CNP"), QStringLiteral("1800512123456"));
    add("diacritics", elevi, 1, QStringLiteral("Nume"), Diacritics);
    add("60 characters", elevi, 1, QStringLiteral("Localitate "), Sixty);
    add("surrogate pair", elevi, 2, QStringLiteral("Nume"), QStringLiteral("Ana 😀"));
    add("NULL text", elevi, 2, QStringLiteral("CNP"), QString(), true);
    add("empty text is not NULL", elevi, 2, QStringLiteral("Localitate "), QString());
    add("memo", elevi, 0, QStringLiteral("Observatii"), QString(1800, u'ă'));
    add("empty memo", elevi, 1, QStringLiteral("Observatii"), QString());
    add("NULL memo", elevi, 2, QStringLiteral("Observatii"), QString(), true);
    add("date only", elevi, 0, QStringLiteral("Data nasterii"), QStringLiteral("12.05.1980"));
    add("NULL date", elevi, 1, QStringLiteral("Data nasterii"), QString(), true);

    const QString tipuri = QStringLiteral("Tipuri");
    add("yes", tipuri, 0, QStringLiteral("Activ"), QStringLiteral("Da"));
    add("no", tipuri, 1, QStringLiteral("Activ"), QStringLiteral("Nu"));
    add("yes/no is never NULL", tipuri, 2, QStringLiteral("Activ"), QStringLiteral("Nu"));
    add("byte 0", tipuri, 0, QStringLiteral("Octet"), QStringLiteral("0"));
    add("byte 255", tipuri, 1, QStringLiteral("Octet"), QStringLiteral("255"));
    add("integer min", tipuri, 0, QStringLiteral("Intreg"), QStringLiteral("-32768"));
    add("long min", tipuri, 0, QStringLiteral("Lung"), QStringLiteral("-2147483648"));
    add("long max, no group separator", tipuri, 1, QStringLiteral("Lung"), QStringLiteral("2147483647"));
    add("NULL long", tipuri, 2, QStringLiteral("Lung"), QString(), true);
    add("currency has two decimals", tipuri, 0, QStringLiteral("Bani"), QStringLiteral("3,50"));
    add("currency ten-thousandth is no minus zero", tipuri, 1, QStringLiteral("Bani"), QStringLiteral("0,00"));
    add("currency 15 digits", tipuri, 2, QStringLiteral("Bani"), QStringLiteral("922337203685477,00"));
    add("currency rounds half up", tipuri, 3, QStringLiteral("Bani"), QStringLiteral("2,35"));
    add("single keeps its 7 digits", tipuri, 3, QStringLiteral("Simplu"), QStringLiteral("309841000"));
    add("single shortest", tipuri, 0, QStringLiteral("Simplu"), QStringLiteral("0,1"));
    add("single negative", tipuri, 1, QStringLiteral("Simplu"), QStringLiteral("-2,5"));
    add("single small", tipuri, 2, QStringLiteral("Simplu"), QStringLiteral("1E-07"));
    add("double no group separator", tipuri, 0, QStringLiteral("Dublu"), QStringLiteral("1234567,5"));
    add("double large", tipuri, 1, QStringLiteral("Dublu"), QStringLiteral("1E+20"));
    add("double small", tipuri, 2, QStringLiteral("Dublu"), QStringLiteral("-0,000123"));
    // What no text shows prints nothing; the grid says it is there.
    add("OLE", tipuri, 0, QStringLiteral("Obiect"), QString(), true, "(obiect OLE)");
    add("NULL OLE", tipuri, 1, QStringLiteral("Obiect"), QString(), true);
    add("empty OLE", tipuri, 3, QStringLiteral("Obiect"), QString(), true);

    const QString legaturi = QStringLiteral("Legaturi");
    add("hyperlink prints its text", legaturi, 0, QStringLiteral("Pagina"), QStringLiteral("Scoala noastra"));
    add("hyperlink without text prints its address", legaturi, 1, QStringLiteral("Pagina"),
        QStringLiteral("http://scoala.ro/elevi"));
    add("hyperlink of text alone", legaturi, 2, QStringLiteral("Pagina"), QStringLiteral("fara adresa"));
    add("a memo is no hyperlink", legaturi, 0, QStringLiteral("Nota"), QStringLiteral("nota#10#"));

    const QString date = QStringLiteral("Date");
    const QString cand = QStringLiteral("Cand");
    add("day zero is midnight", date, 0, cand, QStringLiteral("00:00:00"));
    add("time only", date, 1, cand, QStringLiteral("12:00:00"));
    add("sign covers the time", date, 2, cand, QStringLiteral("29.12.1899 06:00:00"));
    add("day before day zero", date, 3, cand, QStringLiteral("29.12.1899"));
    add("time only before day zero", date, 4, cand, QStringLiteral("06:00:00"));
    add("1974", date, 5, cand, QStringLiteral("21.09.1974"));
    add("last second of 9999", date, 6, cand, QStringLiteral("31.12.9999 23:59:59"));
    add("past 9999 is a number", date, 7, cand, QStringLiteral("2958466"));
    add("before year 100 is a number", date, 13, cand, QStringLiteral("-657435"));
    add("year 100", date, 8, cand, QStringLiteral("01.01.0100"));
    add("time rounds to the second", date, 9, cand, QStringLiteral("00:00:01"));
    add("1850", date, 10, cand, QStringLiteral("01.03.1850 10:20:30"));

    const QString rare = QStringLiteral("Rare");
    const QString mare = QStringLiteral("Mare");
    file = fixture(QStringLiteral("rare-numeric.mdb"));
    add("numeric", rare, 0, QStringLiteral("NumHi"), QStringLiteral("-12345,67"));
    add("binary", rare, 0, QStringLiteral("Binar"), QString(), true, "(date binare)");
    file = fixture(QStringLiteral("rare-guid.mdb"));
    add("GUID", rare, 1, QStringLiteral("NumHi"), QStringLiteral("{00112233-4455-6677-8899-AABBCCDDEEFF}"));
    file = fixture(QStringLiteral("complex.accdb"));
    add("attachment or multi-value", mare, 3, QStringLiteral("Nr"), QString(), true, "(atasament sau lista)");
    add("beside an attachment", mare, 3, QStringLiteral("Nume"), QStringLiteral("Elev 3"));

    // What Access wrote.
    const auto real = [&](const char *name, const char *in, const char *table, int row, const char *column,
                          const QString &text, bool null = false, const char *shown = nullptr) {
        file = m_shared.isEmpty() ? QString() : QDir(m_shared).filePath(QString::fromLatin1(in));
        add(name, QString::fromLatin1(table), row, QString::fromLatin1(column), text, null, shown);
    };
    real("Jet4 text", "testV2000.mdb", "Table1", 0, "B", QStringLiteral("hijklmnop"));
    real("Jet4 double", "testV2000.mdb", "Table1", 0, "F", QStringLiteral("444,555"));
    real("Jet4 date", "testV2000.mdb", "Table1", 0, "G", QStringLiteral("21.09.1974"));
    real("Jet4 currency", "testV2000.mdb", "Table1", 0, "H", QStringLiteral("3,50"));
    real("Jet4 yes", "testV2000.mdb", "Table1", 0, "I", QStringLiteral("Da"));
    real("Jet3 text", "testV1997.mdb", "Table1", 1, "A", QStringLiteral("abcdefg"));
    real("Jet3 date", "testV1997.mdb", "Table1", 0, "G", QStringLiteral("12.12.1981"));
    real("Jet3 currency zero", "testV1997.mdb", "Table1", 0, "H", QStringLiteral("0,00"));
    real("pound sign", "test2V2000.mdb", "MSP_PROJECTS", 0, "PROJ_OPT_CURRENCY_SYMBOL", QStringLiteral("£"));
    real("date and time", "test2V2000.mdb", "MSP_PROJECTS", 0, "PROJ_LAST_SAVED",
         QStringLiteral("03.02.2006 22:11:00"));
    real("NULL memo", "test2V2000.mdb", "MSP_PROJECTS", 0, "PROJ_PROP_CATEGORY", QString(), true);
    real("OLE document", "test2V2000.mdb", "MSP_PROJECTS", 0, "RESERVED_BINARY_DATA", QString(), true,
         "(obiect OLE)");
    real("text with a backslash", "test2V2000.mdb", "MSP_PROJECTS", 0, "PROJ_DATA_SOURCE",
         QStringLiteral("Z:\\temp\\Project1.mpd"));
    real("memo on a page of its own", "test2V2000.mdb", "MSP_PROJECTS", 0, "PROJ_PROP_AUTHOR",
         QStringLiteral("Jon Iles this is a a vawesrasoih aksdkl fas dlkjflkasjd flkjaslkdjflkajlksj dfl lkasjdf "
                        "lkjaskldfj lkas dlk lkjsjdfkl; aslkdf lkasjkldjf lka skldf lka sdkjfl;kasjd falksjdfljaslkdjf "
                        "laskjdfk jalskjd flkj aslkdjflkjkjasljdflkjas jf;lkasjd fjkas dasdf asd fasdf asdf asdmhf "
                        "lksaiyudfoi jasodfj902384jsdf9 aw90se fisajldkfj lkasj dlkfslkd jflksjadf as"));
    real("overflow row in its place", "overflowTestV2000.mdb", "Table1", 2, "data9", QStringLiteral("row3col9"));
    const QString extended = QStringLiteral("14.06.2021 22:45:12");
    real("Date/Time Extended", "extDateTestV2019.accdb", "Table1", 0, "DateExt", QStringLiteral("17.06.2020"));
    real("Date/Time Extended, to the second", "extDateTestV2019.accdb", "Table1", 5, "DateExt", extended);
    real("Date/Time Extended in year 100", "extDateTestV2019.accdb", "Table1", 7, "DateExt",
         QStringLiteral("14.06.0100 12:45:00"));
    real("NULL Date/Time Extended", "extDateTestV2019.accdb", "Table1", 4, "DateExt", QString(), true);
    real("calculated date", "extDateTestV2019.accdb", "Table1", 5, "DateNormalCalc", extended);
    real("calculated date of NULL", "extDateTestV2019.accdb", "Table1", 4, "DateNormalCalc", QString(), true);
    real("fixed text of a blank", "fixedTextTestV2000.mdb", "users", 0, "c_user_pwd", QStringLiteral(" "));
    real("after a deleted column", "delColTestV2000.mdb", "Table1", 1, "data2", QStringLiteral("bar2"));
    real("after deleted rows", "delTestV2000.mdb", "Table", 1, "b", QStringLiteral("u"));
    real("password", "password_V2000_with-password.mdb", "Table1", 2, "Data", QStringLiteral("Three"));
}

void TestDatabase::values()
{
    QFETCH(QString, file);
    QFETCH(QString, table);
    QFETCH(int, row);
    QFETCH(QString, column);
    QFETCH(QString, text);
    QFETCH(bool, null);
    QFETCH(QString, shown);
    if (file.isEmpty())
        QSKIP(qPrintable(m_sharedWhy));
    const auto records = openAll(file, table, passwordOf(QFileInfo(file).fileName()));
    QVERIFY(records);
    const int index = records->columnIndex(column);
    QVERIFY(index >= 0);
    QCOMPARE(records->text(row, index), text);
    QCOMPARE(records->isNull(row, index), null);
    QCOMPARE(records->displayText(row, index), shown);
}

void TestDatabase::lazyReading()
{
    // rare-guid.mdb's definition of Mare claims 7 rows: the rows are counted by reading them.
    const auto database = openRecordSource(fixture(QStringLiteral("rare-guid.mdb")));
    QVERIFY(database);
    const auto records = database->openTable(QStringLiteral("Mare"));
    QVERIFY(records);
    QCOMPARE(records->rowsRead(), 0);
    QVERIFY(!records->allRead());

    QCOMPARE(records->fetchMore(10), 10);
    QCOMPARE(records->rowsRead(), 10);
    QVERIFY(!records->allRead());
    QCOMPARE(records->text(9, 1), QStringLiteral("Elev 9"));
    QCOMPARE(records->text(10, 1), QString()); // not read yet

    QCOMPARE(records->fetchMore(4100), 4100); // across the first chunk's end
    QCOMPARE(records->text(4095, 0), QStringLiteral("4095"));
    QCOMPARE(records->text(4096, 1), QStringLiteral("Elev 4096"));
    QCOMPARE(records->fetchAll(), BigRows);
    QVERIFY(records->allRead());
    QCOMPARE(records->fetchMore(10), 0);
    for (int row : {0, 1, 4109, BigRows - 1})
        QCOMPARE(records->text(row, 1), QStringLiteral("Elev %1").arg(row));
}

void TestDatabase::accdbReadsAsItsMdbTwin_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("Access 2007") << QStringLiteral("scoala2007.accdb");
    QTest::newRow("Access 2010 and later") << QStringLiteral("scoala2010.accdb");
}

void TestDatabase::accdbReadsAsItsMdbTwin()
{
    QFETCH(QString, file);
    QString error;
    const auto twin = openRecordSource(fixture(QStringLiteral("scoala.mdb")));
    const auto database = openRecordSource(fixture(file), &error);
    QVERIFY2(twin && database, qPrintable(error));
    QCOMPARE(database->tableNames(), twin->tableNames());
    for (const QString &table : twin->tableNames()) {
        const auto expected = openAll(fixture(QStringLiteral("scoala.mdb")), table);
        const auto records = openAll(fixture(file), table);
        QVERIFY(expected && records);
        QCOMPARE(records->columnNames(), expected->columnNames());
        QCOMPARE(records->rowsRead(), expected->rowsRead());
        for (qint64 row = 0; row < expected->rowsRead(); ++row) {
            for (int column = 0; column < expected->columnNames().size(); ++column) {
                QCOMPARE(records->text(row, column), expected->text(row, column));
                QCOMPARE(records->isNull(row, column), expected->isNull(row, column));
            }
        }
    }
}

void TestDatabase::openFails_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("says"); // besides the file's name
    const QByteArray good = readFile(fixture(QStringLiteral("scoala.mdb")));
    QByteArray ace = good;
    ace.replace(4, 15, "Standard ACE DB");
    QByteArray version = good;
    version[0x14] = 0x05;
    QByteArray noCatalog = good;
    noCatalog[2 * PageSize] = 0x01;
    const QString file = QStringLiteral("file");
    QTest::newRow("missing") << QStringLiteral("missing") << QByteArray() << QString();
    QTest::newRow("folder") << QStringLiteral("folder") << QByteArray() << QString();
    QTest::newRow("no right to read") << QStringLiteral("unreadable") << good << QStringLiteral("nu aveti dreptul sa cititi");
    QTest::newRow("FIFO") << QStringLiteral("fifo") << QByteArray() << QStringLiteral("este un canal de comunicare");
    QTest::newRow("empty") << file << QByteArray() << QString();
    QTest::newRow("text") << file << QByteArray("Nume,CNP\nPopescu Ion,1800512123456\n") << QString();
    QTest::newRow("random bytes") << file << QByteArray(3 * PageSize, 'x') << QString();
    QTest::newRow("not whole pages") << file << good.left(good.size() - 100) << QString();
    QTest::newRow("header page only") << file << good.left(PageSize) << QString();
    QTest::newRow("ACE name, Jet4 version") << file << ace << QString();
    QByteArray encrypted = ace; // a first password character: the fixture has no date to mask it
    encrypted[0x14] = 0x02;
    encrypted[0x42] = char(encrypted.at(0x42) ^ 's');
    QTest::newRow("encrypted Access 2007") << file << encrypted << QStringLiteral("este criptata cu parola");
    QTest::newRow("unknown version") << file << version << QString();
    QTest::newRow("catalog page is no table") << file << noCatalog << QString();
}

void TestDatabase::openFails()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, says);
    QString path = fixture(QStringLiteral("bad.mdb"));
    QFile::remove(path); // a FIFO or an unreadable file another row left
    if (kind == QLatin1String("file"))
        QVERIFY(writeFile(path, bytes));
    else if (kind == QLatin1String("folder"))
        path = m_dir.path();
    else if (kind == QLatin1String("missing"))
        path = fixture(QStringLiteral("missing.mdb"));
    QString error, why;
    const auto open = [&] { QVERIFY(!openRecordSource(path, &error)); };
    if (kind == QLatin1String("fifo"))
        QVERIFY2(endsWithoutWaitingOnFifo(path, open), "the FIFO held the open");
    else if (kind == QLatin1String("unreadable") && !(writeFile(path, bytes) && withoutReadPermission(path, open, &why)))
        QSKIP(qPrintable(why));
    else if (kind != QLatin1String("unreadable"))
        open();
    QVERIFY2(error.contains(path), qPrintable(error)); // the reason names the file
    QVERIFY2(error.contains(says), qPrintable(error));
}

void TestDatabase::datesUnderRegionalSettings_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text");
    const struct
    {
        const char *locale;
        const char *first, *last, *dateTime; // 1899-01-01, 9999-01-01, 2006-02-03 22:11
    } locales[] = {
        {"ro_RO", "01.01.1899", "01.01.9999", "03.02.2006 22:11:00"},
        {"en_US", "1/1/1899", "1/1/9999", "2/3/2006 22:11:00"},
        {"de_DE", "01.01.1899", "01.01.9999", "03.02.2006 22:11:00"},
        {"fr_FR", "01/01/1899", "01/01/9999", "03/02/2006 22:11:00"},
        {"es_ES", "1/1/1899", "1/1/9999", "3/2/2006 22:11:00"},
    };
    for (const auto &l : locales) {
        const auto row = [&](const char *what, int at, const QString &text) {
            QTest::addRow("%s %s", l.locale, what) << QString::fromLatin1(l.locale) << at << text;
        };
        row("1899", 11, QString::fromLatin1(l.first));
        row("9999", 12, QString::fromLatin1(l.last));
        row("date and time", 14, QString::fromLatin1(l.dateTime));
        row("midnight of day zero", 0, QStringLiteral("00:00:00"));
        row("past 9999", 7, QStringLiteral("2958466"));
    }
    QTest::newRow("en_US last second of 9999") << QStringLiteral("en_US") << 6 << QStringLiteral("12/31/9999 23:59:59");
}

void TestDatabase::datesUnderRegionalSettings()
{
    QFETCH(QString, locale);
    QFETCH(int, row);
    QFETCH(QString, text);
    QLocale::setDefault(QLocale(locale)); // taken when the table is opened
    const auto records = openAll(fixture(QStringLiteral("scoala.mdb")), QStringLiteral("Date"));
    QVERIFY(records);
    QCOMPARE(records->text(row, 0), text);
}

void TestDatabase::fourDigitYearFormats_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("widened");
    QTest::newRow("two-digit year") << "M/d/yy" << "M/d/yyyy";
    QTest::newRow("quoted text kept") << "d 'yy' yy" << "d 'yy' yyyy";
    QTest::newRow("other runs kept") << "yyy/d" << "yyy/d";
}

void TestDatabase::fourDigitYearFormats()
{
    QFETCH(QString, format);
    QFETCH(QString, widened);
    QCOMPARE(access::fourDigitYears(format), widened);
}

void TestDatabase::writtenPasswords_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<double>("created"); // 0: the Access 97 file with the password put in
    QTest::newRow("none") << QString() << 44568.5;
    QTest::newRow("ASCII") << QStringLiteral("secret") << 44568.5;
    QTest::newRow("20 characters") << QStringLiteral("abcdefghijklmnopqrst") << 38000.25;
    QTest::newRow("diacritics") << QStringLiteral("parolă") << 44568.5;
    QTest::newRow("Access 97") << QStringLiteral("Cheie97") << 0.0;
}

void TestDatabase::writtenPasswords()
{
    QFETCH(QString, password);
    QFETCH(double, created);
    const QString path = fixture(QStringLiteral("parola.mdb"));
    QString error;
    if (created == 0) {
        if (m_shared.isEmpty())
            QSKIP(qPrintable(m_sharedWhy));
        // The Access 97 file has no password: its masked password bytes are the mask itself, so
        // XORing a password in gives the file Access would have written.
        QByteArray file = readFile(QDir(m_shared).filePath(QStringLiteral("testV1997.mdb")));
        QVERIFY(file.size() > 0x60);
        for (int i = 0; i < password.size(); ++i)
            file[0x42 + i] = char(file.at(0x42 + i) ^ password.at(i).toLatin1());
        QVERIFY(writeFile(path, file));
    } else {
        Jet4Writer writer(path);
        QVERIFY(writer.setPassword(password, created));
        writer.beginTable(QStringLiteral("Elevi"), {{QStringLiteral("Nume"), Jet4Type::Text, 20}});
        writer.addRow({QStringLiteral("Popescu Ion")});
        QVERIFY2(writer.finish(&error), qPrintable(error));
    }

    using Failure = OpenFailure;
    Failure failure = Failure::None;
    const auto withoutPassword = openRecordSource(path, &error, QString(), &failure);
    if (password.isEmpty()) {
        QVERIFY2(withoutPassword, qPrintable(error));
        QCOMPARE(failure, Failure::None);
        return;
    }
    QVERIFY(!withoutPassword);
    QCOMPARE(failure, Failure::PasswordNeeded);
    QVERIFY2(error.contains(path), qPrintable(error));

    // Case counts, and a password cut short or run on is no match.
    for (const QString &wrong : {password.toUpper(), password.toLower(), password.chopped(1), password + u'x'}) {
        if (wrong == password)
            continue;
        QVERIFY(!openRecordSource(path, &error, wrong, &failure));
        QCOMPARE(failure, Failure::WrongPassword);
        QCOMPARE(error, QStringLiteral("Parola pentru baza de date %1 nu este corecta.").arg(path));
    }

    const auto database = openRecordSource(path, &error, password, &failure);
    QVERIFY2(database, qPrintable(error));
    QCOMPARE(failure, Failure::None);
    if (created != 0) {
        QCOMPARE(database->tableNames(), QStringList({"MSysObjects", "Elevi"}));
        return;
    }
    const auto records = database->openTable(QStringLiteral("Table1"));
    QVERIFY(records);
    records->fetchAll();
    QCOMPARE(records->text(1, records->columnIndex(QStringLiteral("A"))), QStringLiteral("abcdefg"));
}

void TestDatabase::openTableFails_data()
{
    // Damage to Gol's definition (Jet4 offsets) that the engine must catch before libmdb acts on
    // it: an empty page map, for one, makes libmdb read through a null pointer.
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("table");
    QTest::newRow("no such table") << QString() << QStringLiteral("Profesori");
    QTest::newRow("empty name") << QString() << QString();
    QTest::newRow("not a definition page") << QStringLiteral("page type") << QStringLiteral("Gol");
    QTest::newRow("no columns") << QStringLiteral("columns") << QStringLiteral("Gol");
    QTest::newRow("2^31 indexes") << QStringLiteral("indexes") << QStringLiteral("Gol");
    QTest::newRow("empty page map") << QStringLiteral("map") << QStringLiteral("Gol");
}

void TestDatabase::openTableFails()
{
    QFETCH(QString, damage);
    QFETCH(QString, table);
    QByteArray file = readFile(fixture(QStringLiteral("scoala.mdb")));
    const int page = definitionPage(file, QStringLiteral("Denumire"));
    QVERIFY(page > 0);
    char *definition = file.data() + page * PageSize;
    if (damage == QLatin1String("page type")) {
        definition[0] = 0x01;
    } else if (damage == QLatin1String("columns")) {
        qToLittleEndian<quint16>(0, definition + 45);
    } else if (damage == QLatin1String("indexes")) {
        qToLittleEndian<quint32>(0x7FFFFFFF, definition + 51);
    } else if (damage == QLatin1String("map")) {
        // The map's row made zero bytes long: it starts where the row before it does.
        const quint32 pageRow = qFromLittleEndian<quint32>(definition + 55);
        char *offsets = file.data() + (pageRow >> 8) * PageSize + 14;
        const int row = int(pageRow & 0xFF);
        QVERIFY(row > 0);
        qToLittleEndian(qFromLittleEndian<quint16>(offsets + 2 * (row - 1)), offsets + 2 * row);
    }
    const QString path = fixture(QStringLiteral("damaged.mdb"));
    QVERIFY(writeFile(path, file));

    const auto database = openRecordSource(path);
    QVERIFY(database);
    QString error;
    QVERIFY(!database->openTable(table, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(error.contains(table));
    // The other tables read on; Access ignores case in names, and so does the lookup.
    const auto other = database->openTable(QStringLiteral("elevi"));
    QVERIFY(other);
    QCOMPARE(other->fetchAll(), 3);
}

void TestDatabase::fileChangesWhileOpen_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("opens");
    // Removed, the file stays whole for whoever has it open; changed in place, it does not.
    QTest::newRow("removed") << QStringLiteral("remove") << false;
    QTest::newRow("emptied") << QStringLiteral("empty") << false;
    QTest::newRow("cut to its first pages") << QStringLiteral("cut") << false;
    QTest::newRow("rewritten in place") << QStringLiteral("rewrite") << true;
}

void TestDatabase::fileChangesWhileOpen()
{
    QFETCH(QString, change);
    QFETCH(bool, opens);
    const QString path = fixture(QStringLiteral("changing.mdb"));
    QFile::remove(path);
    QVERIFY(QFile::copy(fixture(QStringLiteral("scoala.mdb")), path));

    const auto database = openRecordSource(path);
    QVERIFY(database);
    const auto reading = database->openTable(QStringLiteral("Mare"));
    QVERIFY(reading);
    QCOMPARE(reading->fetchMore(100), 100);

    QFile file(path);
    if (change == QLatin1String("remove")) {
        QVERIFY(file.remove());
    } else if (change == QLatin1String("rewrite")) {
        QFile other(fixture(QStringLiteral("scoala.mdb")));
        QVERIFY(other.open(QIODevice::ReadOnly) && file.open(QIODevice::ReadWrite));
        QByteArray bytes = other.readAll();
        bytes.append(QByteArray(PageSize, '\0')); // a page more, as a table grown in Access
        QVERIFY(file.write(bytes) == bytes.size());
        file.close();
    } else {
        QVERIFY(file.resize(change == QLatin1String("empty") ? 0 : 4 * PageSize));
    }

    QString error;
    QCOMPARE(bool(database->openTable(QStringLiteral("Mare"), &error)), opens);
    QCOMPARE(error.isEmpty(), opens);
    // A record set already open reads on from the file it opened, or says it cannot: a table
    // that silently ended early would print part of a class.
    const qint64 total = reading->fetchAll();
    if (change == QLatin1String("remove")) {
        QCOMPARE(total, BigRows);
        QVERIFY(reading->allRead() && !reading->failed());
    } else {
        QVERIFY(reading->failed() && !reading->allRead());
        QVERIFY2(reading->failure().contains(path), qPrintable(reading->failure()));
        QCOMPARE(reading->fetchMore(10), 0);
    }
}

void TestDatabase::realTables_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("nulls");     // cells that print nothing; -1: not counted
    QTest::addColumn<QString>("tables"); // all of the file's, or "" when another row lists them
    const auto add = [](const char *name, const char *file, const char *table, int rows, int columns, int nulls,
                        const QString &tables = QString()) {
        QTest::newRow(name) << QString::fromLatin1(file) << QString::fromLatin1(table) << rows << columns << nulls
                            << tables;
    };
    const QString system = QStringLiteral("MSysObjects|MSysACEs|MSysQueries|MSysRelationships|");
    add("Jet4 values", "testV2000.mdb", "Table1", 2, 9, 0,
        system + QStringLiteral("MSysAccessObjects|Table1|Table2|Table3|Table4"));
    add("Jet3 values", "testV1997.mdb", "Table1", 2, 9, 0,
        system + QStringLiteral("MSysModules2|MSysModules|Table1|Table2|Table3|Table4"));
    add("89 columns, no rows", "testV2000.mdb", "Table2", 0, 89, 0);
    add("Jet3, no rows", "testV1997.mdb", "Table3", 0, 2, 0);
    add("many types, a user table between system tables", "test2V2000.mdb", "MSP_PROJECTS", 1, 74, 15,
        system + QStringLiteral("MSP_PROJECTS|MSysAccessObjects"));
    add("overflow rows", "overflowTestV2000.mdb", "Table1", 7, 9, 51);
    add("deleted rows", "delTestV2000.mdb", "Table", 2, 2, 0);
    add("deleted column", "delColTestV2000.mdb", "Table1", 2, 4, 0);
    add("fixed-length text", "fixedTextTestV2000.mdb", "users", 2, 10, 0);
    add("512 rows", "compIndexTestV2000.mdb", "Table1", 512, 3, 2);
    add("password", "password_V2000_with-password.mdb", "Table1", 3, 2, 0,
        system + QStringLiteral("MSysAccessObjects|MSysNameMap|MSysNavPaneGroupCategories|MSysNavPaneGroups|"
                                "MSysNavPaneGroupToObjects|MSysNavPaneObjectIDs|Table1"));
    add("system table, system tables only", "emptyJet4.mdb", "MSysObjects", 8, 17, -1, system.chopped(1));
    add("calculated columns", "calcFieldTestV2010.accdb", "Table1", 4, 17, 0);
    add("Date/Time Extended", "extDateTestV2019.accdb", "Table1", 9, 6, 4);
}

void TestDatabase::realTables()
{
    if (m_shared.isEmpty())
        QSKIP(qPrintable(m_sharedWhy));
    QFETCH(QString, file);
    QFETCH(QString, table);
    QFETCH(int, rows);
    QFETCH(int, columns);
    QFETCH(int, nulls);
    QFETCH(QString, tables);
    QString error;
    const auto database = openRecordSource(QDir(m_shared).filePath(file), &error, passwordOf(file));
    QVERIFY2(database, qPrintable(error));
    if (!tables.isEmpty())
        QCOMPARE(database->tableNames().join(u'|'), tables);
    const auto records = database->openTable(table, &error);
    QVERIFY2(records, qPrintable(error));
    QCOMPARE(records->fetchAll(), rows);
    QCOMPARE(records->columnNames().size(), columns);
    int found = 0;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column)
            found += records->isNull(row, column) ? 1 : 0;
    }
    if (nulls >= 0)
        QCOMPARE(found, nulls);
}

void TestDatabase::storedOrder_data()
{
    // Rows that outgrew their page moved to another and keep their place through a pointer.
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("rows"); // each row's first non-NULL value
    const QString overflow = QStringLiteral("row1col1|row2col1|row3col3|row4col1|row5col2|row6col2|row7col1");
    QTest::newRow("Access 2000") << "overflowTestV2000.mdb" << overflow;
    QTest::newRow("Access 2003") << "overflowTestV2003.mdb" << overflow;
    QTest::newRow("Access 2019") << "extDateTestV2019.accdb" << "1|2|3|4|5|6|7|8|9";
}

void TestDatabase::storedOrder()
{
    if (m_shared.isEmpty())
        QSKIP(qPrintable(m_sharedWhy));
    QFETCH(QString, file);
    QFETCH(QString, rows);
    const auto records = openAll(QDir(m_shared).filePath(file), QStringLiteral("Table1"));
    QVERIFY(records && records->allRead());
    QStringList firsts;
    for (qint64 row = 0; row < records->rowsRead(); ++row) {
        int column = 0;
        while (records->isNull(row, column))
            ++column;
        firsts << records->text(row, column);
    }
    QCOMPARE(firsts.join(u'|'), rows);
}

void TestDatabase::calculatedColumns_data()
{
    // Access 2010's calculated columns print as their result type does; the result type is the
    // column's property, not always the type its definition states.
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("values"); // of the four rows
    QTest::newRow("text") << "LastFirst" << "Wayne, Bruce|Simpson, Bart|Doe, John|User, Test";
    QTest::newRow("long") << "LastFirstLen" << "12|13|9|10";
    QTest::newRow("currency declared double") << "MonthlySalary" << "83333,33|-0,08|0,00|8,33";
    QTest::newRow("yes/no declared integer") << "IsRich" << "Da|Nu|Nu|Nu";
    QTest::newRow("memo") << "AllNames"
                          << "Wayne, Bruce=Wayne, Bruce|Simpson, Bart=Simpson, Bart|Doe, John=Doe, John|"
                             "User, Test=User, Test";
    QTest::newRow("decimal declared double") << "WeeklySalary"
                                             << "19230,7692307692|-0,0192307692307692|0|1,92307692307692";
    QTest::newRow("currency") << "SalaryTest" << "1000000,00|-1,00|0,00|100,00";
    QTest::newRow("yes/no") << "BoolTest" << "Da|Da|Da|Da";
    QTest::newRow("decimal") << "DecimalTest" << "50,325000|-36,222200|0,012300|102030405060,654321";
    QTest::newRow("single declared decimal") << "FloatTest" << "2583,209|0,003588959|0|1,27413E-10";
    QTest::newRow("decimal of 28 places")
        << "BigNumTest"
        << "56505085819,424791296572280180|-0,0784734499180612994241100748|0,00000000|0,0000002787019289824216980830";
}

void TestDatabase::calculatedColumns()
{
    if (m_shared.isEmpty())
        QSKIP(qPrintable(m_sharedWhy));
    QFETCH(QString, column);
    QFETCH(QString, values);
    const auto records = openAll(QDir(m_shared).filePath(QStringLiteral("calcFieldTestV2010.accdb")),
                                 QStringLiteral("Table1"));
    QVERIFY(records);
    const int index = records->columnIndex(column);
    QVERIFY(index >= 0);
    QStringList texts;
    for (qint64 row = 0; row < records->rowsRead(); ++row)
        texts << records->text(row, index);
    QCOMPARE(texts.join(u'|'), values);
}

void TestDatabase::linkedTablesSayWhere_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("says");
    const QString start = QStringLiteral("Tabela %1 este legata dintr-o alta baza de date");
    QTest::newRow("from another database")
        << "Profesori"
        << start.arg("Profesori")
               + " (tabela Cadre din C:\\Scoala\\personal.mdb); deschideti baza de date care o contine.";
    QTest::newRow("through ODBC, its password left out")
        << "Note"
        << start.arg("Note") + " printr-o conexiune ODBC (ODBC;DSN=Catalog;UID=director;DATABASE=scoala, tabela "
                               "dbo.Note), care nu poate fi citita de aici; importati tabela in Access.";
    QTest::newRow("naming nothing") << "Vechi" << start.arg("Vechi") + "; deschideti baza de date care o contine.";
}

void TestDatabase::linkedTablesSayWhere()
{
    QFETCH(QString, table);
    QFETCH(QString, says);
    const auto database = openRecordSource(fixture(QStringLiteral("legate.mdb")));
    QVERIFY(database);
    QVERIFY(database->isLinkedTable(table));
    QString error;
    QVERIFY(!database->openTable(table, &error));
    QCOMPARE(error, says);
}

void TestDatabase::mutatedFilesNeverCrashOrHang()
{
    QList<QByteArray> sources{readFile(fixture(QStringLiteral("scoala.mdb"))),
                              readFile(fixture(QStringLiteral("scoala2010.accdb")))};
    if (!m_shared.isEmpty()) {
        for (const char *name : {"testV1997.mdb", "overflowTestV2000.mdb", "test2V2000.mdb", "calcFieldTestV2010.accdb"})
            sources.append(readFile(QDir(m_shared).filePath(QString::fromLatin1(name))));
    }
    QRandomGenerator random(20240611);
    QList<QByteArray> cases;
    for (const QByteArray &source : std::as_const(sources)) {
        // Damage lands mostly in the first pages: header, catalog, definitions, maps.
        const int pageSize = source.at(0x14) == 0 ? 2048 : PageSize;
        const int hot = int(std::min<qsizetype>(source.size(), 24 * pageSize));
        for (int i = 0; i < 80; ++i) {
            QByteArray bytes = source;
            const int flips = 1 + random.bounded(16);
            for (int f = 0; f < flips; ++f) {
                const int at = random.bounded(i % 3 == 0 ? int(bytes.size()) : hot);
                bytes[at] = char(i % 2 ? random.bounded(256) : (quint8(bytes.at(at)) ^ (1 << random.bounded(8))));
            }
            cases.append(bytes);
        }
        for (int i = 0; i < 10; ++i) // truncated, to whole pages and not
            cases.append(source.left(i % 2 ? random.bounded(int(source.size()))
                                           : pageSize * random.bounded(int(source.size() / pageSize))));
        for (int i = 0; i < 10; ++i) { // a page replaced by another, or by zeros
            QByteArray bytes = source;
            const int pages = int(source.size() / pageSize);
            const int to = 1 + random.bounded(std::min(pages - 1, 24));
            const QByteArray page = i % 2 ? source.mid(pageSize * random.bounded(pages), pageSize)
                                          : QByteArray(pageSize, '\0');
            bytes.replace(to * pageSize, pageSize, page);
            cases.append(bytes);
        }
    }
    for (int i = 0; i < 30; ++i) { // random bytes, half behind a valid header page
        QByteArray bytes = i % 2 ? sources.first().left(PageSize) : QByteArray();
        const int pages = 2 + random.bounded(6);
        while (bytes.size() < pages * PageSize)
            bytes.append(char(random.bounded(256)));
        cases.append(bytes);
    }

    const QString path = fixture(QStringLiteral("mutated.mdb"));
    QuietStderr quiet;
    for (int n = 0; n < cases.size(); ++n) {
        QVERIFY(writeFile(path, cases.at(n)));
        const QString problem = withinSeconds(10, QStringLiteral("mutated file %1").arg(n), [&] {
            QString error;
            const auto database = openRecordSource(path, &error);
            if (!database)
                return error.isEmpty() ? QStringLiteral("open failed without a reason") : QString();
            for (const QString &table : database->tableNames()) {
                error.clear();
                const auto records = database->openTable(table, &error);
                if (!records) {
                    if (error.isEmpty())
                        return QStringLiteral("openTable(%1) failed without a reason").arg(table);
                    continue;
                }
                records->fetchAll();
                for (qint64 row = 0; row < records->rowsRead(); ++row) {
                    for (int column = 0; column < records->columnNames().size(); ++column)
                        records->text(row, column);
                }
            }
            return QString();
        });
        QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("mutated file %1: %2").arg(n).arg(problem)));
    }
    QVERIFY(cases.size() >= 400 || m_shared.isEmpty());
}

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
