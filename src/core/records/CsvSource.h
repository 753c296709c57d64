#pragma once
// A table kept as text (.csv, .txt): one table, named after the file (see CsvReader for the
// format and the guesses).

#include "core/records/CsvOptions.h"
#include "core/records/RecordSources.h"

#include <QDateTime>

namespace formulix {

class CsvSource final : public RecordSource
{
public:
    // The file with its header read, with the options remembered for it (csvOptionsFor); nullptr
    // with a Romanian reason naming the file.
    static std::unique_ptr<CsvSource> open(const QString &path, QString *error = nullptr);
    static std::unique_ptr<CsvSource> open(const QString &path, const CsvOptions &options, QString *error);

    // What the table is read with: the options given, the guess for the rest.
    const CsvOptions &options() const { return m_options; }

    const QString &path() const override { return m_path; }
    // Also when the options remembered for the file changed since it was opened with them.
    bool changedOnDisk() const override;
    QStringList tableNames() const override { return {m_table}; }
    // A cursor that ends with rows of more cells than the columns tells warnAboutCsv.
    std::unique_ptr<RecordCursor> openTable(const QString &name, QString *error = nullptr) const override;

private:
    CsvSource() = default;
    bool fileChanged() const;

    QString m_path;
    QString m_table;
    CsvOptions m_given;   // as asked: the guess is made again for a file that changed
    CsvOptions m_options; // as read
    bool m_remembered = false; // the options are those remembered for the file
    qint64 m_size = -1;
    QDateTime m_modified;
};

SourceKind csvSourceKind();
// The file is read as a text table (by its content and name, as openRecordSource takes it).
bool isTextTable(const QString &path);

} // namespace formulix
