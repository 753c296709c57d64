// Any bytes as an Access database (or, built as csv_fuzz, xlsx_fuzz, ods_fuzz or xls_fuzz, as a
// CSV table or a workbook), through the whole open path: the catalog, then every table's columns
// and every row's values as text. A CSV row never holds more characters than the longest line the
// reader takes has bytes. libmdb and libfreexl are linked as Debian built them, so only our code
// carries the fuzzer's instrumentation; a crash or a hang inside either still stops the run.
// libmdb reports damage on stderr, so run with -close_fd_mask=2.

#include "core/records/RecordSources.h"
#include "core/records/CsvReader.h"

#include <QDir>
#include <QFile>
#include <QLocale>

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <unistd.h>

using namespace formulix;

#ifndef FORMULIX_FUZZ_EXTENSION
#define FORMULIX_FUZZ_EXTENSION ".mdb"
#endif
constexpr bool TextTable = std::string_view(FORMULIX_FUZZ_EXTENSION) == ".csv";

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    QLocale::setDefault(QLocale(QLocale::Romanian, QLocale::Romania));
    return 0;
}

namespace {

// The engine opens files by name, as the program does: one file per run, gone when it ends.
struct RunFile
{
    QString path = QDir::temp().filePath(QStringLiteral("mdb_fuzz_%1").arg(getpid()) + QLatin1String(FORMULIX_FUZZ_EXTENSION));
    ~RunFile() { QFile::remove(path); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const RunFile run;
    const QString &path = run.path;
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
            std::abort();
    }

    QString error;
    const auto database = openRecordSource(path, &error);
    if (!database) {
        if (error.isEmpty()) // a failure always says why
            std::abort();
        return 0;
    }
    for (const QString &table : database->tableNames()) {
        error.clear();
        const auto records = database->openTable(table, &error);
        if (!records) {
            if (error.isEmpty())
                std::abort();
            continue;
        }
        const qint64 rows = records->fetchAll();
        // The rows end at the table's end, or on a fault that says why.
        if (records->allRead() == records->failed() || rows != records->rowsRead()
            || records->failed() == records->failure().isEmpty())
            std::abort();
        const int columns = int(records->columnNames().size());
        for (qint64 row = 0; row < rows; ++row) {
            qint64 characters = 0;
            for (int column = 0; column < columns; ++column) {
                if (records->isNull(row, column) && !records->text(row, column).isEmpty())
                    std::abort();
                characters += records->text(row, column).size();
            }
            if (TextTable && characters > CsvReader::MaxRowBytes)
                std::abort();
        }
    }
    return 0;
}
