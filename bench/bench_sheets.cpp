// Workbooks: a sheet of 100,000 rows and 20 columns (shared texts and numbers taking turns) in an
// .xlsx written here, against a bare pass over the same sheet's XML timed in the same run (libzip
// uncompressing it a block at a time into QXmlStreamReader, every token read, no cell made):
// opening the workbook and its sheet and reading the first record, and reading every row.
#include "BenchSupport.h"
#include "core/records/RecordSources.h"
#include "support/Workbooks.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <zip.h>

using namespace formulix;
using formulix::bench::medianMs;

namespace {

constexpr int Rows = 100000;
constexpr int Columns = 20;

// The floor: the sheet's XML tokens, nothing made of them; returns the start elements.
qint64 bareXmlPass(const QString &path)
{
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    zip_file_t *file = archive ? zip_fopen(archive, "xl/worksheets/sheet1.xml", 0) : nullptr;
    if (!file)
        qFatal("cannot open the sheet of %s", qPrintable(path));
    QXmlStreamReader xml;
    QByteArray block(64 * 1024, Qt::Uninitialized);
    qint64 elements = 0;
    for (;;) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement)
            ++elements;
        else if (token == QXmlStreamReader::EndDocument)
            break;
        else if (token == QXmlStreamReader::Invalid) {
            const zip_int64_t got = xml.error() == QXmlStreamReader::PrematureEndOfDocumentError
                                        ? zip_fread(file, block.data(), zip_uint64_t(block.size()))
                                        : -1;
            if (got <= 0)
                qFatal("the sheet's XML does not read to its end");
            xml.addData(block.left(got));
        }
    }
    zip_fclose(file);
    zip_discard(archive);
    return elements;
}

std::unique_ptr<RecordCursor> openSheet(const QString &path)
{
    const auto source = openRecordSource(path);
    auto cursor = source ? source->openTable(QStringLiteral("Foaie1")) : nullptr;
    if (!cursor)
        qFatal("cannot open the sheet of %s", qPrintable(path));
    return cursor;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Romanian, QLocale::Romania));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lung.xlsx"));
    if (!test::writeLongXlsx(path, Rows, Columns)) {
        QTextStream(stderr) << "cannot write the workbook\n";
        return 1;
    }
    const double floor = medianMs(5, [&] {
        if (bareXmlPass(path) < qint64(Rows) * Columns)
            qFatal("the sheet has not every cell");
    });
    const double first = medianMs(21, [&] {
        const auto cursor = openSheet(path);
        if (cursor->fetchMore(1) != 1 || cursor->text(0, 0).isEmpty())
            qFatal("cannot read the first record");
    });
    // Every row read and let go, as a print job of every record reads them.
    qint64 rows = 0;
    const double all = medianMs(5, [&] {
        const auto cursor = openSheet(path);
        while (!cursor->allRead() && !cursor->failed()) {
            cursor->fetchMore(4096);
            cursor->forgetRowsBefore(cursor->rowsRead());
        }
        rows = cursor->failed() ? -1 : cursor->rowsRead();
    });
    QTextStream(stdout) << QStringLiteral(".xlsx: %1 rows of %2 columns, %3 MB on disk\n")
                               .arg(rows)
                               .arg(Columns)
                               .arg(QFileInfo(path).size() / 1048576.0, 0, 'f', 1);
    const QString floorName = QStringLiteral("libzip + QXmlStreamReader pass");
    bool ok = rows == Rows;
    ok = bench::report(QStringLiteral(".xlsx open + first record"), first, floorName, floor, 0.01) && ok;
    ok = bench::report(QStringLiteral(".xlsx every row read through the record set"), all, floorName, floor, 1.5) && ok;
    return ok ? 0 : 1;
}
