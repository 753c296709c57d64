// The database engine on a million-row table of pupils (name, personal number, birth date,
// locality), in an .mdb and in an .accdb, against `mdb-export file table > /dev/null` timed in
// the same run: opening and reading the first record, reading every row, and the memory the rows
// take against the size of the export's text. Then the export itself as a CSV table, against a
// bare pass finding every line end and separator of the file with memchr; and a table of 10,000
// columns and 2,000 rows shown in the record window's grid, against the same pass over it.
#include "BenchSupport.h"
#include "core/records/RecordSources.h"
#include "widgets/DataControl.h"
#include "widgets/DataGrid.h"
#include "support/Jet4Writer.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

using namespace formulix;
using namespace formulix::test;
using formulix::bench::medianMs;

namespace {

constexpr int Rows = 1000000;
const QString Table = QStringLiteral("Elevi");

bool writeTable(const QString &path, Jet4Writer::Release release)
{
    const QStringList last = {QStringLiteral("Popescu"), QStringLiteral("Ionescu"), QStringLiteral("Țăranu"),
                              QStringLiteral("Dumitrescu"), QStringLiteral("Stănescu"), QStringLiteral("Munteanu"),
                              QStringLiteral("Constantinescu"), QStringLiteral("Ștefănescu")};
    const QStringList first = {QStringLiteral("Ion"), QStringLiteral("Maria"), QStringLiteral("Ana-Maria"),
                               QStringLiteral("Andrei"), QStringLiteral("Ștefania"), QStringLiteral("Mihai"),
                               QStringLiteral("Elena"), QStringLiteral("Radu Alexandru")};
    const QStringList places = {QStringLiteral("Cluj-Napoca"), QStringLiteral("Iași"), QStringLiteral("Timișoara"),
                                QStringLiteral("București"), QStringLiteral("Brașov"), QStringLiteral("Constanța"),
                                QStringLiteral("Târgu Mureș"), QStringLiteral("Sibiu")};
    Jet4Writer writer(path);
    writer.setRelease(release);
    writer.beginTable(Table, {{QStringLiteral("Nume"), Jet4Type::Text, 60},
                              {QStringLiteral("CNP"), Jet4Type::Text, 13},
                              {QStringLiteral("DataNasterii"), Jet4Type::DateTime},
                              {QStringLiteral("Localitate"), Jet4Type::Text, 60}});
    const QDate start(1990, 1, 1);
    for (int i = 0; i < Rows; ++i) {
        const QDate born = start.addDays(i % 9000);
        const QString cnp = QStringLiteral("%1%2%3%4")
                                .arg(1 + i % 2)
                                .arg(born.toString(QStringLiteral("yyMMdd")))
                                .arg(i % 52, 2, 10, QLatin1Char('0'))
                                .arg(i % 10000, 4, 10, QLatin1Char('0'));
        writer.addRow({last.at(i % 8) + u' ' + first.at(i / 8 % 8), cnp, Jet4Value::fromDateTime(born.startOfDay()),
                       places.at(i / 64 % 8)});
    }
    QString error;
    if (!writer.finish(&error)) {
        QTextStream(stderr) << "cannot write the table: " << error << '\n';
        return false;
    }
    return true;
}

qint64 residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

bool runExport(const QString &exporter, const QString &path, const QString &output)
{
    QProcess process;
    process.setStandardOutputFile(output);
    process.start(exporter, {path, Table});
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// Every row read, each cell's text made; returns the rows.
qint64 readEverything(const QString &path, std::unique_ptr<RecordCursor> *keep = nullptr, const QString &table = Table)
{
    const auto database = openRecordSource(path);
    auto records = database ? database->openTable(table) : nullptr;
    if (!records)
        return -1;
    const qint64 rows = records->fetchAll();
    const int columns = int(records->columnNames().size());
    qsizetype characters = 0;
    for (qint64 row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column)
            characters += records->text(row, column).size();
    }
    if (characters == 0)
        return -1;
    if (keep)
        *keep = std::move(records);
    return rows;
}

// Opening and the first record, against the floor.
double firstRecordMs(const QString &path, const QString &table)
{
    return medianMs(21, [&] {
        const auto database = openRecordSource(path);
        const auto records = database ? database->openTable(table) : nullptr;
        if (!records || records->fetchMore(1) != 1 || records->text(0, 0).isEmpty())
            qFatal("cannot read the first record of %s", qPrintable(path));
    });
}

bool measureAccess(const QString &exporter, const QString &path, const QString &kind)
{
    const double floor = medianMs(3, [&] { runExport(exporter, path, QProcess::nullDevice()); });
    const double first = firstRecordMs(path, Table);
    const double all = medianMs(3, [&] { readEverything(path); });
    QTextStream(stdout) << QStringLiteral("%1: %2 rows of 4 columns, %3 MB on disk\n")
                               .arg(kind)
                               .arg(Rows)
                               .arg(QFileInfo(path).size() / 1048576.0, 0, 'f', 1);
    const QString exportName = QStringLiteral("mdb-export");
    bool ok = bench::report(kind + QStringLiteral(" open + first record"), first, exportName, floor, 0.01);
    return bench::report(kind + QStringLiteral(" every row, each cell's text"), all, exportName, floor, 1.2) && ok;
}

struct Found
{
    qint64 lines = 0;
    qint64 separators = 0;
};

// The floor of a text table: its bytes read a block at a time, as the reader reads them, and
// every line end and every separator between them found with memchr; no cell made.
Found findLinesAndSeparators(const QString &path, char separator = ',')
{
    Found found;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return found;
    std::vector<char> block(256 * 1024);
    for (ssize_t got; (got = ::read(fd, block.data(), block.size())) > 0;) {
        const char *p = block.data(), *const end = p + got;
        while (p < end) {
            const char *const eol = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
            const char *const stop = eol ? eol : end;
            for (const char *s = p; (s = static_cast<const char *>(std::memchr(s, separator, size_t(stop - s)))); ++s)
                ++found.separators;
            if (!eol)
                break;
            ++found.lines;
            p = eol + 1;
        }
    }
    ::close(fd);
    return found;
}

// A table as wide as a spreadsheet's export of everything: 10,000 columns, 2,000 rows.
bool writeWideTable(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray line;
    for (int row = 0; row <= 2000; ++row) {
        line.clear();
        for (int column = 1; column <= 10000; ++column)
            line += (row ? QByteArray::number(row) + 'c' : QByteArray("Coloana")) + QByteArray::number(column) + (column < 10000 ? ',' : '\n');
        if (file.write(line) != line.size())
            return false;
    }
    return true;
}

// From nothing to the grid on screen with its first rows and its columns sized.
double gridShownMs(const QString &path)
{
    return medianMs(5, [&] {
        DataControl source;
        DataGrid grid(&source);
        grid.resize(1000, 600);
        grid.show();
        source.DatabaseName = path;
        source.RecordSource = QFileInfo(path).completeBaseName();
        if (!source.Refresh() || grid.view()->model()->rowCount() == 0)
            qFatal("the wide table does not show");
        QCoreApplication::processEvents();
    });
}

} // namespace

int main(int argc, char *argv[])
{
    bench::preferOffscreen();
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Romanian, QLocale::Romania));
    const QString exporter = QStandardPaths::findExecutable(QStringLiteral("mdb-export"));
    if (exporter.isEmpty()) {
        QTextStream(stderr) << "mdb-export is missing (Debian package mdbtools)\n";
        return 1;
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("elevi.mdb"));
    const QString accdb = dir.filePath(QStringLiteral("elevi.accdb"));
    if (!writeTable(path, Jet4Writer::Release::Access2000) || !writeTable(accdb, Jet4Writer::Release::Access2010))
        return 1;

    // Memory first, while the heap holds nothing else of size: the rows against the export's text.
    const QString exported = dir.filePath(QStringLiteral("elevi.csv"));
    if (!runExport(exporter, path, exported))
        return 1;
    const double exportMb = QFileInfo(exported).size() / 1048576.0;
    const qint64 before = residentKb();
    std::unique_ptr<RecordCursor> kept;
    if (readEverything(path, &kept) != Rows) {
        QTextStream(stderr) << "the table did not read back whole\n";
        return 1;
    }
    const double grownMb = (residentKb() - before) / 1024.0;
    kept.reset();

    bool ok = measureAccess(exporter, path, QStringLiteral(".mdb"));
    ok = bench::report(QStringLiteral("memory of every row"), grownMb, QStringLiteral("export's text"), exportMb, 2.0,
                       QStringLiteral("MB"))
        && ok;
    ok = measureAccess(exporter, accdb, QStringLiteral(".accdb")) && ok;

    // The export is a CSV table of the same rows: comma-separated, text quoted. The floor finds
    // its lines and separators; the record set reads every row into itself, its cells made.
    const QString csvTable = QStringLiteral("elevi");
    const double lines = medianMs(7, [&] {
        const Found found = findLinesAndSeparators(exported);
        if (found.lines != Rows + 1 || found.separators != 3 * found.lines)
            qFatal("the export has not every row and cell");
    });
    const double csvFirst = firstRecordMs(exported, csvTable);
    // Neither keeps what it has read, as a print job of every record does not.
    qint64 csvRows = 0;
    const double csvAll = medianMs(7, [&] {
        const auto database = openRecordSource(exported);
        const auto records = database ? database->openTable(csvTable) : nullptr;
        while (records && !records->allRead() && !records->failed()) {
            records->fetchMore(4096);
            records->forgetRowsBefore(records->rowsRead());
        }
        csvRows = records ? records->rowsRead() : -1;
    });
    const double csvKept = medianMs(3, [&] { readEverything(exported, nullptr, csvTable); });
    QTextStream(stdout) << QStringLiteral(".csv: %1 rows of 4 columns, %2 MB on disk; all kept and each cell's "
                                          "text made, as the record window would: %3 ms\n")
                               .arg(csvRows)
                               .arg(exportMb, 0, 'f', 1)
                               .arg(csvKept, 0, 'f', 1);
    ok = csvRows == Rows && ok;
    const QString floorName = QStringLiteral("memchr pass over lines and separators");
    ok = bench::report(QStringLiteral(".csv open + first record"), csvFirst, floorName, lines, 0.01) && ok;
    ok = bench::report(QStringLiteral(".csv every row, its cells made, through the record set"), csvAll, floorName,
                       lines, 3.0)
        && ok;

    // The grid reads the first rows only and sizes its columns without laying out every cell, so
    // it shows long before a bare pass has found the file's lines.
    const QString wide = dir.filePath(QStringLiteral("lat.csv"));
    if (!writeWideTable(wide))
        return 1;
    const double wideLines = medianMs(3, [&] {
        const Found found = findLinesAndSeparators(wide);
        if (found.lines != 2001 || found.separators != 9999 * found.lines)
            qFatal("the wide table has not every row and cell");
    });
    QTextStream(stdout) << QStringLiteral(".csv: 2000 rows of 10000 columns, %1 MB on disk\n")
                               .arg(QFileInfo(wide).size() / 1048576.0, 0, 'f', 1);
    ok = bench::report(QStringLiteral(".csv of 10,000 columns shown in the grid"), gridShownMs(wide), floorName, wideLines, 0.5) && ok;
    return ok ? 0 : 1;
}
