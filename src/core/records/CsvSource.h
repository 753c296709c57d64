#pragma once
// A table kept as text (.csv, .txt): one table, named after the file (see CsvReader for the
// format).

#include "core/records/RecordSources.h"

#include <QDateTime>

namespace formulix {

class CsvSource final : public RecordSource
{
public:
    // The file with its header read; nullptr with a Romanian reason naming the file.
    static std::unique_ptr<CsvSource> open(const QString &path, QString *error = nullptr);

    const QString &path() const override { return m_path; }
    bool changedOnDisk() const override;
    QStringList tableNames() const override { return {m_table}; }
    std::unique_ptr<RecordCursor> openTable(const QString &name, QString *error = nullptr) const override;

private:
    CsvSource() = default;

    QString m_path;
    QString m_table;
    qint64 m_size = -1;
    QDateTime m_modified;
};

SourceKind csvSourceKind();

} // namespace formulix
