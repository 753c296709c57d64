#include "core/layout/Document.h"
#include "core/layout/SchemaBlock.h"
#include "core/layout/SchemaCodec.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace formulix;
using namespace formulix::test;

Q_DECLARE_METATYPE(formulix::Module1)
Q_DECLARE_METATYPE(formulix::SchemaStatus)

namespace {

constexpr int Rec = SchemaRecordSize;

Camp camp(const QString &text, quint8 font, qint16 x, qint16 y)
{
    Camp c;
    c.Text = text;
    c.MarimeFont = font;
    c.X = x;
    c.Y = y;
    return c;
}

// `gen` general and `bd` database fields, each with distinct values in every member.
Module1 layout(int gen, int bd, const QString &text = QStringLiteral("Camp"))
{
    Module1 m;
    m.NrCampuriGen = qint16(gen);
    m.NrCampuriBD = qint16(bd);
    for (int i = 1; i <= gen; ++i)
        *m.CampuriGen.at(i) = camp(text + QString::number(i), quint8(i), qint16(-i), qint16(i * 3));
    for (int i = 1; i <= bd; ++i) {
        Camp &c = *m.CampuriBD.at(i);
        c = camp(QString(), quint8(100 + i), qint16(i * 7), qint16(-i));
        c.NumeCamp = text + QString::number(i);
        c.RangMin = quint8(i);
        c.RangMax = quint8(i + 3);
    }
    return m;
}

QByteArray blanks(int n) { return QByteArray(n, ' '); }

// Every member a schema may set or must leave alone.
bool sameModel(const Module1 &a, const Module1 &b)
{
    for (int i = 1; i <= Module1::MaxCampuriGen; ++i)
        if (!(*a.CampuriGen.at(i) == *b.CampuriGen.at(i)))
            return false;
    for (int i = 1; i <= Module1::MaxCampuriBD; ++i)
        if (!(*a.CampuriBD.at(i) == *b.CampuriBD.at(i)))
            return false;
    return a.NrCampuriGen == b.NrCampuriGen && a.NrCampuriBD == b.NrCampuriBD
        && a.CaleBazaDate == b.CaleBazaDate && a.NumeTabela == b.NumeTabela
        && a.PozStanga == b.PozStanga && a.PozSus == b.PozSus && a.Orientare == b.Orientare
        && a.CampSelectat == b.CampSelectat;
}

QByteArray header(int gen, int bd)
{
    QByteArray h = blanks(70) + QByteArray::fromHex("0014000500");
    return h + char(gen) + char(bd);
}

// A layout with everything the records cannot hold: styles and formats, texts beyond the code
// page, a column, a table and a database path longer than their records, the orientation and a
// template at a page and scale.
Module1 extendedLayout(const QString &templateFile)
{
    Module1 m = layout(2, 2);
    m.CampuriGen.at(1)->Text = QStringLiteral("Școala 中");
    FieldStyle &title = m.CampuriGen.at(1)->style;
    title.family = QStringLiteral("DejaVu Serif");
    title.bold = true;
    title.align = TextAlign::Centre;
    title.boxWidthMm = 80.5;
    title.fit = TextFit::Shrink;
    title.minPoints = 7.25;
    title.textCase = TextCase::Upper;
    Camp &name = *m.CampuriBD.at(1);
    name.NumeCamp = QStringLiteral("Numele și prenumele elevului");
    name.fullColumn = fullColumnFor(QStringLiteral("Numele și prenumele elevului"));
    name.style.italic = true;
    name.style.fit = TextFit::Wrap;
    name.style.lineHeightMm = 4.5;
    name.style.format = {ValueKind::Words, QString(), 2, true, false, WordsUnit::Lei};
    m.CampuriBD.at(2)->style.format = {ValueKind::Date, QStringLiteral("d MMMM yyyy")};
    m.CaleBazaDate = QStringLiteral("/srv/scoala/") + QString(60, u'a') + QStringLiteral("/elevi.mdb");
    m.NumeTabela = QStringLiteral("Elevii claselor a VIII-a");
    m.Orientare = 2;
    m.templ = {templateFile, 2, 1.25};
    return m;
}

// A block's head over another payload, version or records, its checksums made to fit.
QByteArray blockWith(const QByteArray &payload, QByteArrayView records, quint16 version = SchemaBlockVersion)
{
    QByteArray head(SchemaBlockHeadSize, '\0');
    memcpy(head.data(), SchemaBlockMagic, SchemaBlockMagicSize);
    qToLittleEndian(version, head.data() + 8);
    qToLittleEndian(quint32(payload.size()), head.data() + 10);
    qToLittleEndian(crc32(records), head.data() + 14);
    qToLittleEndian(crc32(payload), head.data() + 18);
    return head + payload;
}

} // namespace

class TestSchema : public QObject
{
    Q_OBJECT

private slots:
    void findsTheSchemasDatabase_data();
    void findsTheSchemasDatabase();
    void encodeBytes_data();
    void encodeBytes();
    void encodeCharacters_data();
    void encodeCharacters();
    void cp1250MatchesIconv();
    void roundTrip_data();
    void roundTrip();
    void decode_data();
    void decode();
    void everyExtensionComesBack();
    void damagedBlockIsIgnored_data();
    void damagedBlockIsIgnored();
    void lossesAreTold_data();
    void lossesAreTold();
    void saveKeepsOldTail_data();
    void saveKeepsOldTail();
    void saveReplacesItsOwnBlock_data();
    void saveReplacesItsOwnBlock();
    void saveFailure_data();
    void saveFailure();
    void staleTemporariesGoOnTheNextSave();
    void saveRespectsWhatIsThere_data();
    void saveRespectsWhatIsThere();
    void mutatedFiles();
    void documentKnowsItsSavedState();
};

void TestSchema::encodeBytes_data()
{
    QTest::addColumn<Module1>("module");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<bool>("block"); // the records cannot hold it all

    QTest::newRow("empty layout: header only, no fields") << Module1() << Rec << 75 << QByteArray(2, 0) << false;

    Module1 threeTwo = layout(3, 2);
    threeTwo.CampuriBD.at(1)->NumeCamp = QStringLiteral("NUME");
    QTest::newRow("3+2: counts") << threeTwo << 462 << 75 << QByteArray::fromHex("0302") << false;
    QTest::newRow("3+2: first database NumeCamp at 358") << threeTwo << 462 << 358 << "NUME" + blanks(16) << false;

    Module1 one;
    one.NrCampuriGen = 1;
    *one.CampuriGen.at(1) = camp(QStringLiteral("ABC"), 8, 10, 20);
    QTest::newRow("start offsets: header") << one << 2 * Rec << 0 << blanks(70) + QByteArray::fromHex("00140005000100") << false;
    QTest::newRow("general field, NumeCamp never set")
        << one << 2 * Rec << Rec
        << "ABC" + blanks(47) + QByteArray(20, 0) + QByteArray::fromHex("080a0014000000") << false;
    Module1 styled = one;
    styled.CampuriGen.at(1)->style.bold = true;
    QTest::newRow("a style: the same record, then a block") << styled << 2 * Rec << Rec << "ABC" + blanks(47) << true;
    Module1 comma = one;
    comma.CampuriGen.at(1)->Text = QStringLiteral("Școala");
    QTest::newRow("a letter the code page lacks: its twin, then a block")
        << comma << 2 * Rec << Rec << QByteArray("\xaa" "coala") << true;
    Module1 portrait;
    portrait.Orientare = 2;
    QTest::newRow("portrait: a block") << portrait << Rec << 75 << QByteArray(2, 0) << true;

    Module1 named;
    named.CaleBazaDate = QString(60, u'p').replace(50, 10, QString(10, u'x'));
    named.NumeTabela = QStringLiteral("Clienti");
    QTest::newRow("path cut to 50") << named << Rec << 0 << QByteArray(50, 'p') + "Clienti" + blanks(13) << true;
    named.NumeTabela = QString(25, u't');
    QTest::newRow("table name cut to 20") << named << Rec << 50 << QByteArray(20, 't') + '\0' << true;

    Module1 negative;
    negative.PozStanga = -1;
    negative.PozSus = -300;
    QTest::newRow("negative offsets") << negative << Rec << 71 << QByteArray::fromHex("ffffd4fe") << false;

    Module1 overfull = layout(3, 2);
    overfull.NrCampuriGen = 250;
    overfull.NrCampuriBD = -4;
    QTest::newRow("counts clamped to the tables") << overfull << 201 * Rec << 75 << QByteArray::fromHex("c800") << false;
}

void TestSchema::encodeBytes()
{
    QFETCH(Module1, module);
    QFETCH(int, size);
    QFETCH(int, offset);
    QFETCH(QByteArray, expected);
    QFETCH(bool, block);
    const QByteArray bytes = encodeSchema(module);
    QCOMPARE(bytes.left(size), encodeRecords(module));
    QCOMPARE(encodeRecords(module).size(), size);
    QCOMPARE(bytes.size() > size, block);
    QCOMPARE(bytes.mid(offset, expected.size()).toHex(' '), expected.toHex(' '));
}

void TestSchema::encodeCharacters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("comma-below letters") << QStringLiteral("șțȘȚ") << QByteArray::fromHex("bafeaade");
    QTest::newRow("cedilla letters") << QStringLiteral("şţŞŢ") << QByteArray::fromHex("bafeaade");
    QTest::newRow("other Romanian letters") << QStringLiteral("ăâîĂÂÎ") << QByteArray::fromHex("e3e2eec3c2ce");
    QTest::newRow("euro, quotes, dash") << QStringLiteral("€„”–") << QByteArray::fromHex("80849496");
    QTest::newRow("missing characters") << QStringLiteral("中ñ\u0080") << QByteArray("???");
    QTest::newRow("outside the BMP, one per unit") << QStringLiteral("a😀") << QByteArray("a??");
    QTest::newRow("undefined bytes") << QStringLiteral("\u0081\u0083\u0088\u0090\u0098")
                                     << QByteArray::fromHex("8183889098");
    QTest::newRow("NUL and controls") << QString(QChar(0)) + QStringLiteral("\t\x7f")
                                      << QByteArray::fromHex("00097f");
}

void TestSchema::encodeCharacters()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(toCp1250(text).toHex(' '), bytes.toHex(' '));
}

void TestSchema::cp1250MatchesIconv()
{
    QByteArray all(256, 0);
    for (int i = 0; i < 256; ++i)
        all[i] = char(i);
    QCOMPARE(toCp1250(fromCp1250(all)), all);

    QByteArray defined;
    for (int i = 0x80; i < 0x100; ++i)
        if (!QByteArray::fromHex("8183889098").contains(char(i)))
            defined += char(i);
    QProcess iconv;
    iconv.start(QStringLiteral("iconv"), {QStringLiteral("-f"), QStringLiteral("CP1250"),
                                          QStringLiteral("-t"), QStringLiteral("UTF-8")});
    if (!iconv.waitForStarted())
        QSKIP("iconv is not installed");
    iconv.write(defined);
    iconv.closeWriteChannel();
    QVERIFY(iconv.waitForFinished());
    QCOMPARE(iconv.exitCode(), 0);
    const QString expected = QString::fromUtf8(iconv.readAllStandardOutput());
    const QString ours = fromCp1250(defined);
    QCOMPARE(ours.size(), expected.size());
    for (int i = 0; i < ours.size(); ++i)
        QVERIFY2(ours[i] == expected[i], qPrintable(QStringLiteral("byte %1").arg(uchar(defined[i]), 0, 16)));
}

void TestSchema::roundTrip_data()
{
    QTest::addColumn<int>("gen");
    QTest::addColumn<int>("bd");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("block"); // the code page lacks some of the letters
    QTest::newRow("full tables") << 200 << 50 << "ăâîşţĂÂÎŞŢ " << false;
    QTest::newRow("general fields only") << 4 << 0 << "ăâîşţ" << false;
    QTest::newRow("empty") << 0 << 0 << "" << false;
    QTest::newRow("comma-below letters, full tables") << 200 << 50 << "ăâîșțĂÂÎȘȚ " << true;
    QTest::newRow("beyond the code page") << 3 << 3 << "中ñ😀" << true;
}

void TestSchema::roundTrip()
{
    QFETCH(int, gen);
    QFETCH(int, bd);
    QFETCH(QString, text);
    QFETCH(bool, block);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    Module1 saved = layout(gen, bd, text);
    saved.CaleBazaDate = QStringLiteral("  /date/firme.mdb ");
    saved.NumeTabela = QStringLiteral("Angaja") + text.left(2);
    saved.PozStanga = 17;
    saved.PozSus = -2;
    const QString path = dir.filePath(QStringLiteral("a.tip"));
    QString error;
    QVERIFY2(saveSchemaFile(path, saved, &error), qPrintable(error));
    const QByteArray bytes = readFile(path);
    const qsizetype records = (1 + gen + bd) * Rec;
    QCOMPARE(bytes.size() > records, block);

    // Everything comes back, the letters the code page lacks included.
    const SchemaResult loaded = loadSchemaFile(path);
    QCOMPARE(loaded.status, SchemaStatus::Loaded);
    QCOMPARE(loaded.schema.shownCaleBazaDate(), QStringLiteral("/date/firme.mdb"));
    QCOMPARE(loaded.schema.shownNumeTabela(), rightTrimBlanks(saved.NumeTabela));
    Module1 opened;
    applySchema(loaded.schema, opened);
    Module1 expected = layout(gen, bd, text);
    expected.PozStanga = 17;
    expected.PozSus = -2;
    QVERIFY(sameModel(opened, expected));
    opened.CaleBazaDate = saved.CaleBazaDate;
    opened.NumeTabela = saved.NumeTabela;
    QCOMPARE(encodeSchema(opened, path), bytes);

    // The records alone hold the code page's letters: the cedilla twins, "?" for the rest.
    Module1 twins = layout(gen, bd, fromCp1250(toCp1250(text)));
    twins.PozStanga = 17;
    twins.PozSus = -2;
    twins.CaleBazaDate = saved.CaleBazaDate;
    twins.NumeTabela = fromCp1250(toCp1250(saved.NumeTabela));
    QCOMPARE(bytes.left(records), encodeRecords(twins));
}

void TestSchema::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<SchemaStatus>("status");

    const QByteArray body = encodeSchema(layout(3, 2)).mid(Rec);
    QTest::newRow("empty file") << QByteArray() << SchemaStatus::Truncated;
    QTest::newRow("short header") << header(0, 0).left(76) << SchemaStatus::Truncated;
    QTest::newRow("no fields") << header(0, 0) << SchemaStatus::Loaded;
    QTest::newRow("201 general") << header(201, 0) + QByteArray(300 * Rec, 0) << SchemaStatus::TooManyFields;
    QTest::newRow("51 database") << header(0, 51) + QByteArray(300 * Rec, 0) << SchemaStatus::TooManyFields;
    QTest::newRow("255 and 255, header only") << header(255, 255) << SchemaStatus::TooManyFields;
    QTest::newRow("one record missing") << header(3, 2) + body.chopped(Rec) << SchemaStatus::Truncated;
    QTest::newRow("one byte missing") << header(3, 2) + body.chopped(1) << SchemaStatus::Truncated;
    QTest::newRow("exact") << header(3, 2) + body << SchemaStatus::Loaded;
    QTest::newRow("extra bytes ignored") << header(3, 2) + body + "tail" << SchemaStatus::Loaded;
    QTest::newRow("200 and 50") << header(200, 50) + QByteArray(250 * Rec, 'z') << SchemaStatus::Loaded;
}

void TestSchema::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(SchemaStatus, status);
    const SchemaResult result = decodeSchema(bytes);
    QCOMPARE(result.status, status);
    if (result.ok()) {
        QCOMPARE(int(result.schema.campuriGen.size()), int(uchar(bytes[75])));
        QCOMPARE(int(result.schema.campuriBD.size()), int(uchar(bytes[76])));
    }
}

// A schema saved with every extension opens with all of it back, and a reader of the records
// alone (ours without the block, and an independent one) sees the same fields at the same places.
void TestSchema::everyExtensionComesBack()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("certificat.tip"));
    const QString form = dir.filePath(QStringLiteral("forme/certificat.tif"));
    const Module1 saved = extendedLayout(form);
    QVERIFY(schemaLosses(saved, path).isEmpty());
    QVERIFY(saveSchemaFile(path, saved));

    const SchemaResult loaded = loadSchemaFile(path);
    QVERIFY(loaded.ok() && loaded.schema.extended);
    QCOMPARE(loaded.schema.ignoredBlock, QString());
    Module1 opened;
    applySchema(loaded.schema, opened);
    for (int i = 1; i <= 2; ++i) {
        QCOMPARE(*opened.CampuriGen.at(i), *saved.CampuriGen.at(i));
        QCOMPARE(*opened.CampuriBD.at(i), *saved.CampuriBD.at(i));
    }
    QCOMPARE(opened.Orientare, qint16(2));
    QCOMPARE(loaded.schema.shownCaleBazaDate(), saved.CaleBazaDate);
    QCOMPARE(loaded.schema.shownNumeTabela(), saved.NumeTabela);
    QCOMPARE(loaded.schema.templ, saved.templ);
    QCOMPARE(loaded.schema.templateRelative, QStringLiteral("forme/certificat.tif"));

    // The template: from the schema's folder first, so it travels with it; else where it was.
    QTemporaryDir moved;
    const QString copy = moved.filePath(QStringLiteral("certificat.tip"));
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("forme"))) && QDir().mkpath(moved.filePath(QStringLiteral("forme"))));
    QVERIFY(writeFile(form, "scan") && writeFile(moved.filePath(QStringLiteral("forme/certificat.tif")), "scan"));
    QCOMPARE(findSchemaTemplate(loaded.schema, copy), moved.filePath(QStringLiteral("forme/certificat.tif")));
    QVERIFY(QFile::remove(moved.filePath(QStringLiteral("forme/certificat.tif"))));
    QCOMPARE(findSchemaTemplate(loaded.schema, copy), form);
    QVERIFY(QFile::remove(form));
    QCOMPARE(findSchemaTemplate(loaded.schema, copy), QString());

    // The records are those of the layout without its extensions, and say where every field is.
    const QByteArray bytes = readFile(path);
    const QByteArray records = encodeRecords(saved);
    QCOMPARE(bytes.left(records.size()), records);
    const SchemaResult plain = decodeSchema(records);
    QVERIFY(plain.ok() && !plain.schema.extended);
    QStringList ours;
    for (const QList<Camp> *table : {&plain.schema.campuriGen, &plain.schema.campuriBD}) {
        for (const Camp &c : *table)
            ours << QStringLiteral("%1|%2|%3|%4|%5|%6|%7").arg(c.X).arg(c.Y).arg(c.MarimeFont).arg(c.RangMin).arg(c.RangMax)
                        .arg(c.Text.shown(), c.NumeCamp.shown());
    }
    for (int i = 0; i < ours.size(); ++i) {
        const Camp &c = i < 2 ? *saved.CampuriGen.at(i + 1) : *saved.CampuriBD.at(i - 1);
        QVERIFY(ours[i].startsWith(QStringLiteral("%1|%2|%3|").arg(c.X).arg(c.Y).arg(c.MarimeFont)));
    }
    QProcess python;
    python.start(QStringLiteral("python3"), {QStringLiteral("-c"), QStringLiteral(R"(
import json, struct, sys, zlib
d = open(sys.argv[1], 'rb').read()
for i in range(1, 1 + d[75] + d[76]):
    t, n, f, x, y, lo, hi = struct.unpack_from('<50s20sBhhBB', d, 77 * i)
    print(x, y, f, lo, hi, t.decode('cp1250').rstrip(' \0'), n.decode('cp1250').rstrip(' \0'), sep='|')
e = 77 * (1 + d[75] + d[76])
magic, version, size, records, data = struct.unpack_from('<8sHIII', d, e)
p = d[e + 22:e + 22 + size]
print(magic == b'\x89FXTIP\r\n', version, zlib.crc32(d[:e]) == records, zlib.crc32(p) == data,
      ','.join(sorted(json.loads(p.decode('utf-8')))), sep='|')
)"), path});
    if (!python.waitForFinished(30000) && python.error() == QProcess::FailedToStart)
        QSKIP("python3 is not installed");
    QCOMPARE(python.exitCode(), 0);
    // It finds the block where the head says, with the common CRC-32 and JSON any library reads.
    ours << QStringLiteral("True|1|True|True|database,databaseFields,generalFields,orientation,template");
    QCOMPARE(QString::fromUtf8(python.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts), ours);
}

void TestSchema::damagedBlockIsIgnored_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("says"); // the reason the block is ignored; "" read (or none there)
    QTest::addColumn<bool>("extended");

    Module1 m = layout(2, 1);
    m.CampuriGen.at(1)->style.bold = true;
    m.Orientare = 2;
    const QByteArray records = encodeRecords(m);
    const QByteArray block = encodeSchema(m).mid(records.size());
    const QByteArray payload = block.mid(SchemaBlockHeadSize);
    QByteArray flipped = block;
    flipped[flipped.size() - 3] = char(flipped[flipped.size() - 3] ^ 0x20);
    QByteArray rewritten = records;
    rewritten[Rec + 71] = char(rewritten[Rec + 71] + 1); // another program moved the first field
    const QString incomplete = QStringLiteral("incomplete"), broken = QStringLiteral("stricate");

    QTest::newRow("read") << records + block << "" << true;
    QTest::newRow("read, another program's bytes after it") << records + block + "theirs" << "" << true;
    QTest::newRow("no block, another program's bytes") << records + "theirs" << "" << false;
    QTest::newRow("the magic through a text-mode copy") << records + block.left(6) + "\n" + block.mid(8)
                                                          << "semnatura" << false;
    QTest::newRow("unknown version") << records + blockWith(payload, records, 2) << "versiune (2)" << false;
    QTest::newRow("cut in its head") << records + block.left(15) << incomplete << false;
    QTest::newRow("cut in its data") << records + block.chopped(1) << incomplete << false;
    QTest::newRow("a length past any block") << records + blockWith(payload, records).replace(10, 4, "\xff\xff\xff\x7f")
                                             << incomplete << false;
    QTest::newRow("a byte of its data changed") << records + flipped << broken << false;
    QTest::newRow("not JSON") << records + blockWith("{\"orientation\": 2", records) << broken << false;
    QTest::newRow("JSON, not an object") << records + blockWith("[2]", records) << broken << false;
    QTest::newRow("records rewritten by another program, block kept") << rewritten + block << "alt program" << false;
    // What a later version may add: read as far as this one knows it.
    QTest::newRow("unknown keys and values")
        << records
               + blockWith(R"({"orientation": 2, "viitor": {"x": 1}, "generalFields": [{"index": 1, "culoare": "rosu",
                   "style": {"bold": true, "align": "diagonal"}}, {"index": 7, "text": "x"}, {"index": 0.5}]})",
                           records)
        << "" << true;
}

void TestSchema::damagedBlockIsIgnored()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, says);
    QFETCH(bool, extended);
    const SchemaResult result = decodeSchema(bytes);
    QVERIFY(result.ok());
    QCOMPARE(result.schema.extended, extended);
    QVERIFY2(says.isEmpty() ? result.schema.ignoredBlock.isEmpty() : result.schema.ignoredBlock.contains(says),
             qPrintable(result.schema.ignoredBlock));
    // The layout opens all the same: the records as they are, styled only from a block read.
    Module1 opened;
    applySchema(result.schema, opened);
    QCOMPARE(opened.Orientare, qint16(extended ? 2 : 1));
    QCOMPARE(opened.CampuriGen.at(1)->style.bold, extended);
    QCOMPARE(opened.CampuriGen.at(1)->style.align, TextAlign::Left);
    QCOMPARE(encodeRecords(opened).mid(Rec), bytes.mid(Rec, 3 * Rec));
}

void TestSchema::lossesAreTold_data()
{
    QTest::addColumn<Module1>("module");
    QTest::addColumn<QString>("lost"); // "" nothing
    QTest::newRow("every extension kept") << extendedLayout(QStringLiteral("/forme/a.tif")) << "";
    Module1 m = layout(1, 1);
    m.CampuriGen.at(1)->style.boxWidthMm = qQNaN();
    QTest::newRow("a width that is no number") << m << "campul general 1 (Camp1)";
    m = layout(1, 1);
    m.CampuriBD.at(1)->style.lineHeightMm = qInf();
    QTest::newRow("an endless line height") << m << "campul 1 din baza de date (Camp1)";
}

void TestSchema::lossesAreTold()
{
    QFETCH(Module1, module);
    QFETCH(QString, lost);
    const QString said = schemaLosses(module).join(QStringLiteral("; "));
    QVERIFY2(lost.isEmpty() ? said.isEmpty() : said.contains(lost), qPrintable(said));
}

void TestSchema::saveKeepsOldTail_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("oldSize"); // -1: no old file
    QTest::newRow("new file") << "a.tip" << -1;
    QTest::newRow("name without extension") << "schema" << -1;
    QTest::newRow("shorter old file") << "a.tip" << 100;
    QTest::newRow("same size") << "a.tip" << 3 * Rec;
    QTest::newRow("longer old file") << "a.tip" << 1000;
}

void TestSchema::saveKeepsOldTail()
{
    QFETCH(QString, name);
    QFETCH(int, oldSize);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QByteArray old(qMax(oldSize, 0), Qt::Uninitialized);
    for (int i = 0; i < old.size(); ++i)
        old[i] = char(i * 7 + 1);
    if (oldSize >= 0)
        QVERIFY(writeFile(path, old));

    const Module1 module = layout(1, 1);
    QString error;
    QVERIFY2(saveSchemaFile(path, module, &error), qPrintable(error));
    const QByteArray records = encodeSchema(module);
    QCOMPARE(readFile(path), records + old.mid(records.size()));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{name});
}

// A block of ours in the old file is replaced, never kept as a tail; what another program left
// after it stays, as the bytes past the records always did.
void TestSchema::saveReplacesItsOwnBlock_data()
{
    QTest::addColumn<QByteArray>("old");
    QTest::addColumn<Module1>("module");
    QTest::addColumn<QByteArray>("tail"); // expected after the new records and block

    Module1 styled = layout(1, 1);
    styled.CampuriGen.at(1)->style.italic = true;
    const QByteArray ours = encodeSchema(layout(3, 3, QStringLiteral("ș")));
    QTest::newRow("our block replaced, their bytes after it kept") << ours + "theirs" << layout(1, 1) << QByteArray("theirs");
    QTest::newRow("by a block again") << ours + "theirs" << styled << QByteArray("theirs");
    QTest::newRow("a stale block goes") << encodeRecords(layout(3, 3)) + ours.mid(encodeRecords(layout(3, 3)).size())
                                        << styled << QByteArray();
    QByteArray unbounded = ours;
    unbounded.replace(encodeRecords(layout(3, 3)).size() + 10, 4, "\xff\xff\xff\x7f");
    QTest::newRow("a block of ours of no length goes whole") << unbounded + "theirs" << styled << QByteArray();
    const QByteArray plain = encodeRecords(layout(3, 3)) + "theirs";
    QTest::newRow("no block: past the new records, as always")
        << plain << styled << plain.mid(encodeRecords(styled).size());
}

void TestSchema::saveReplacesItsOwnBlock()
{
    QFETCH(QByteArray, old);
    QFETCH(Module1, module);
    QFETCH(QByteArray, tail);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.tip"));
    QVERIFY(writeFile(path, old));
    QVERIFY(saveSchemaFile(path, module));
    QCOMPARE(readFile(path), encodeSchema(module, path) + tail);
    const SchemaResult back = loadSchemaFile(path);
    QVERIFY(back.ok() && back.schema.ignoredBlock.isEmpty());
}

void TestSchema::saveFailure_data()
{
    QTest::addColumn<QString>("target"); // relative to a scratch folder holding the file "old.tip"
    QTest::addColumn<bool>("readOnlyFolder");
    QTest::addColumn<qint64>("sizeLimit"); // bytes a process may write to a file; 0: none
    QTest::addColumn<QString>("reason");
    QTest::newRow("parent is a file") << "old.tip/a.tip" << false << qint64(0) << "calea trece printr-un fisier";
    QTest::newRow("missing folder") << "nowhere/a.tip" << false << qint64(0) << "folderul nu exista";
    QTest::newRow("target is a folder") << "sub" << false << qint64(0) << "numele este al unui folder";
    QTest::newRow("read-only folder") << "old.tip" << true << qint64(0) << "nu aveti drept de scriere";
    // As a full disk does: the write itself fails.
    QTest::newRow("no room to write") << "old.tip" << false << qint64(4096) << "fisierul depaseste marimea permisa";
}

void TestSchema::saveFailure()
{
    QFETCH(QString, target);
    QFETCH(bool, readOnlyFolder);
    QFETCH(qint64, sizeLimit);
    QFETCH(QString, reason);
    if (readOnlyFolder && geteuid() == 0)
        QSKIP("permission bits do not stop root");
    QTemporaryDir dir;
    const QByteArray old = encodeSchema(layout(4, 4)) + "tail";
    QVERIFY(writeFile(dir.filePath(QStringLiteral("old.tip")), old));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    const auto before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    QFile folder(dir.path());
    const auto permissions = folder.permissions();
    if (readOnlyFolder)
        QVERIFY(folder.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit unlimited = limit;
    if (sizeLimit > 0) {
        signal(SIGXFSZ, SIG_IGN);
        limit.rlim_cur = rlim_t(sizeLimit);
        QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
    }

    QString error;
    const bool saved = saveSchemaFile(dir.filePath(target), layout(200, 50), &error);
    setrlimit(RLIMIT_FSIZE, &unlimited);
    folder.setPermissions(permissions);
    QVERIFY(!saved);
    QVERIFY2(error.contains(reason), qPrintable(error));
    QCOMPARE(readFile(dir.filePath(QStringLiteral("old.tip"))), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

// A save killed half-way leaves its temporary file; the next save to that file removes it, and
// nothing of the user's that only looks alike.
void TestSchema::staleTemporariesGoOnTheNextSave()
{
    QTemporaryDir dir;
    const QString kept = dir.filePath(QStringLiteral("kept.txt"));
    QVERIFY(writeFile(kept, "the user's"));
    const QStringList names = {".a.tip.formulix-Ab12Cd", ".a.tip.formulix-Fresh1", ".a.tip.formulix-Link01",
                               ".b.tip.formulix-Ab12Cd", "a.tip.Ab12Cd", "a.tip.vechi1", "a.tip.backup", "a.tip"};
    const QDateTime old = QDateTime::currentDateTime().addDays(-1);
    for (const QString &name : names) {
        const QString path = dir.filePath(name);
        if (name.contains(QLatin1String("Link")))
            QVERIFY(QFile::link(kept, path));
        else
            QVERIFY(writeFile(path, "x"));
        const QByteArray encoded = QFile::encodeName(path);
        const timespec times[2] = {{0, UTIME_OMIT}, {old.toSecsSinceEpoch(), 0}};
        if (!name.contains(QLatin1String("Fresh")))
            QCOMPARE(utimensat(AT_FDCWD, encoded.constData(), times, AT_SYMLINK_NOFOLLOW), 0);
    }
    QVERIFY(saveSchemaFile(dir.filePath(QStringLiteral("a.tip")), layout(1, 0)));
    QStringList left = names;
    left.removeOne(QStringLiteral(".a.tip.formulix-Ab12Cd"));
    left.append(QStringLiteral("kept.txt"));
    left.sort();
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name), left);
    QCOMPARE(readFile(kept), QByteArray("the user's"));
}

// A save goes where the name leads and leaves what cannot be replaced as it was.
void TestSchema::saveRespectsWhatIsThere_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("mask");     // the umask during the save
    QTest::addColumn<int>("mode");     // the saved file's permissions; -1: refused
    QTest::addColumn<QString>("reason");
    QTest::newRow("new file, shared folder") << "new" << 002 << 0664 << "";
    QTest::newRow("new file, private umask") << "new" << 077 << 0600 << "";
    QTest::newRow("old file keeps its mode") << "old 0640" << 022 << 0640 << "";
    QTest::newRow("symbolic link") << "link" << 022 << 0644 << "";
    QTest::newRow("read-only file") << "old 0444" << 022 << -1 << "poate fi doar citit";
    QTest::newRow("pipe") << "fifo" << 022 << -1 << "canal de comunicare";
    QTest::newRow("device") << "device" << 022 << -1 << "dispozitiv";
}

void TestSchema::saveRespectsWhatIsThere()
{
    QFETCH(QString, kind);
    QFETCH(int, mask);
    QFETCH(int, mode);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("real")));
    const QString path = dir.filePath(QStringLiteral("a.tip"));
    const QString real = dir.filePath(QStringLiteral("real/b.tip"));
    const QByteArray encoded = QFile::encodeName(path);
    const QByteArray old = encodeSchema(layout(2, 0));
    if (kind.startsWith(QLatin1String("old"))) {
        QVERIFY(writeFile(path, old));
        QCOMPARE(chmod(encoded.constData(), mode_t(kind.mid(4).toInt(nullptr, 8))), 0);
    } else if (kind == QLatin1String("link")) {
        QVERIFY(writeFile(real, old));
        QCOMPARE(chmod(QFile::encodeName(real).constData(), 0644), 0);
        QVERIFY(QFile::link(QStringLiteral("real/b.tip"), path));
    } else if (kind == QLatin1String("fifo")) {
        QCOMPARE(mkfifo(encoded.constData(), 0644), 0);
    } else if (kind == QLatin1String("device")) {
        if (geteuid() != 0)
            QSKIP("only root can make a device node");
        QCOMPARE(mknod(encoded.constData(), S_IFCHR | 0666, makedev(1, 3)), 0);
    }
    const mode_t given = umask(mode_t(mask));
    QString error;
    const bool saved = saveSchemaFile(path, layout(1, 1), &error);
    umask(given);

    struct stat status;
    QCOMPARE(lstat(encoded.constData(), &status), 0);
    if (mode < 0) {
        QVERIFY(!saved);
        QVERIFY2(error.contains(reason), qPrintable(error));
        if (S_ISREG(status.st_mode))
            QCOMPARE(readFile(path), old);
        else
            QVERIFY(S_ISFIFO(status.st_mode) || S_ISCHR(status.st_mode));
    } else {
        QVERIFY2(saved, qPrintable(error));
        const QString written = kind == QLatin1String("link") ? real : path;
        QCOMPARE(readFile(written), encodeSchema(layout(1, 1)));
        QCOMPARE(QFileInfo(path).isSymLink(), kind == QLatin1String("link"));
        QCOMPARE(stat(QFile::encodeName(written).constData(), &status), 0);
        QCOMPARE(int(status.st_mode & 07777), mode);
    }
    // Nothing of ours is left in either folder.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).filter(QStringLiteral("formulix")),
             QStringList());
    QCOMPARE(QDir(dir.filePath(QStringLiteral("real"))).entryList(QDir::Hidden | QDir::Files).filter(QStringLiteral("formulix")),
             QStringList());
}

// Damaged and random files must never crash the reader; what it accepts must fit the tables
// and write back to the same records.
void TestSchema::mutatedFiles()
{
    QRandomGenerator random(20240611);
    const QByteArray samples[] = {encodeSchema(layout(3, 2)) + "tail", encodeSchema(layout(200, 50)),
                                  encodeSchema(extendedLayout(QStringLiteral("/forme/a.tif")))};
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("m.tip"));

    int seen[4] = {}; // by SchemaStatus, so the rounds are known to reach every outcome
    for (int round = 0; round < 400; ++round) {
        QByteArray bytes = samples[random.bounded(3)];
        switch (round % 4) {
        case 0: // a few bytes changed, the counts included now and then
            for (int n = random.bounded(1, 9); n > 0; --n)
                bytes[random.bounded(int(bytes.size()))] = char(random.bounded(256));
            if (random.bounded(3) == 0)
                bytes[75 + random.bounded(2)] = char(random.bounded(256));
            break;
        case 1: // cut anywhere
            bytes.truncate(random.bounded(int(bytes.size()) + 1));
            break;
        case 2: // counts rewritten over a body of any length
            bytes[75] = char(random.bounded(256));
            bytes[76] = char(random.bounded(64));
            bytes.truncate(random.bounded(int(bytes.size()) + 1));
            break;
        default: // noise
            bytes = QByteArray(random.bounded(3 * Rec), Qt::Uninitialized);
            for (char &b : bytes)
                b = char(random.bounded(256));
        }
        QVERIFY(writeFile(path, bytes));

        const SchemaResult result = loadSchemaFile(path);
        ++seen[int(result.status)];
        if (!result.ok()) {
            QVERIFY2(result.status == SchemaStatus::TooManyFields || result.status == SchemaStatus::Truncated,
                     qPrintable(QString::number(round)));
            continue;
        }
        const int gen = uchar(bytes[75]);
        const int bd = uchar(bytes[76]);
        QVERIFY(gen <= Module1::MaxCampuriGen && bd <= Module1::MaxCampuriBD);
        Module1 module = layout(5, 5, QStringLiteral("before"));
        applySchema(result.schema, module);
        QCOMPARE(int(module.NrCampuriGen), gen);
        QCOMPARE(int(module.NrCampuriBD), bd);
        QCOMPARE(result.schema.caleBazaDate.size(), 50);
        QCOMPARE(result.schema.numeTabela.size(), 20);
        module.CaleBazaDate = result.schema.caleBazaDate;
        module.NumeTabela = result.schema.numeTabela;
        QByteArray expected = bytes.left((1 + gen + bd) * Rec);
        expected[70] = 0; // the header's font byte is always written as 0
        QCOMPARE(encodeRecords(module), expected);
    }
    QVERIFY(seen[int(SchemaStatus::Loaded)] > 50);
    QVERIFY(seen[int(SchemaStatus::TooManyFields)] > 50);
    QVERIFY(seen[int(SchemaStatus::Truncated)] > 50);
}

void TestSchema::findsTheSchemasDatabase_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("found"); // relative to the schema's folder; "" when nothing fits
    QTest::newRow("relative to the schema's folder") << "date/elevi.mdb" << "date/elevi.mdb";
    QTest::newRow("made in the project root") << "examples/elevi.mdb" << "elevi.mdb";
    QTest::newRow("made on Windows") << "C:\\Scoala\\Date\\ELEVI.MDB" << "elevi.mdb";
    QTest::newRow("blanks of the header") << QStringLiteral("  /alt/calculator/elevi.mdb") + QString(20, u' ') << "elevi.mdb";
    QTest::newRow("no such file anywhere") << "/alt/profesori.mdb" << "";
    QTest::newRow("a folder's name") << "/alt/date" << "";
    QTest::newRow("no database") << QString(50, u' ') << "";
}

void TestSchema::findsTheSchemasDatabase()
{
    QFETCH(QString, stored);
    QFETCH(QString, found);
    // The schema's folder, and the current folder with files of the same names, which a
    // schema's relative path never means while its own folder has them.
    QTemporaryDir dir;
    QTemporaryDir current;
    for (const QTemporaryDir *folder : {&dir, &current}) {
        QVERIFY(QDir(folder->path()).mkpath("date"));
        for (const char *name : {"elevi.mdb", "date/elevi.mdb"}) {
            QFile file(folder->filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
    }
    const QString schema = dir.filePath("certificat.tip");
    const QString before = QDir::currentPath();
    QDir::setCurrent(current.path());
    const QString result = findSchemaDatabase(stored, schema);
    QDir::setCurrent(before);
    QCOMPARE(result, found.isEmpty() ? QString() : QFileInfo(dir.filePath(found)).absoluteFilePath());
}

// Without a window: a change is one step; undone back to the saved layout it is no change.
void TestSchema::documentKnowsItsSavedState()
{
    Module1 model;
    Document document(model);
    QVERIFY(!document.hasUnsavedChanges());
    const auto show = [&model](const LayoutState &state, SelectieCamp) { restoreLayout(state, model); };
    const auto change = [&](auto edit) {
        const LayoutState before = captureLayout(model);
        edit();
        document.recordChange(QStringLiteral("pas"), before, {}, {}, show);
    };
    change([&] { model.NrCampuriGen = 1, model.CampuriGen.at(1)->Text = QStringLiteral("Nume"); });
    QVERIFY(document.hasUnsavedChanges());
    document.markSaved();
    QVERIFY(!document.hasUnsavedChanges());
    change([&] { model.CampuriGen.at(1)->X = 40; });
    change([] {}); // nothing changed: no step
    QCOMPARE(document.history()->count(), 2);
    QVERIFY(document.hasUnsavedChanges());
    document.history()->undo();
    QVERIFY(!document.hasUnsavedChanges());
    QCOMPARE(model.CampuriGen.at(1)->X, qint16(0));
    // The file keeps the orientation and the styles, not the template loaded.
    change([&] { model.Orientare = 2; });
    QVERIFY(document.hasUnsavedChanges());
    document.history()->undo();
    change([&] { model.CampuriGen.at(1)->style.align = TextAlign::Right; });
    QVERIFY(document.hasUnsavedChanges());
    document.history()->undo();
    model.templ = {QStringLiteral("/forme/a.tif"), 1, 1.5};
    change([&] { model.CampuriGen.at(1)->X = 40; });
    change([&] { model.CampuriGen.at(1)->X = 0; });
    QVERIFY(!document.hasUnsavedChanges());
}

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
