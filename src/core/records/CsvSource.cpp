#include "core/records/CsvSource.h"

#include "core/records/BufferedCursor.h"
#include "core/records/CsvReader.h"

#include <QFileInfo>

namespace formulix {

namespace {

class CsvCursor final : public BufferedCursor
{
public:
    CsvCursor(std::unique_ptr<CsvReader> reader, const QString &path, const QString &table)
        : BufferedCursor(path, QStringLiteral("Fisierul"), table, reader->columnNames()), m_reader(std::move(reader))
    {
    }

protected:
    bool readRow(std::string &text, std::vector<quint32> &ends) override
    {
        if (m_reader->readRow(text, ends))
            return true;
        if (!m_reader->failure().isEmpty())
            failWith(m_reader->failure());
        return false;
    }
    bool changedSinceOpened() override { return m_reader->changed(); }

private:
    std::unique_ptr<CsvReader> m_reader;
};

} // namespace

std::unique_ptr<CsvSource> CsvSource::open(const QString &path, QString *error)
{
    CsvReader probe;
    if (!probe.open(path, error))
        return nullptr;
    std::unique_ptr<CsvSource> source(new CsvSource);
    source->m_path = path;
    const QFileInfo info(path);
    source->m_table = info.completeBaseName();
    source->m_size = info.size();
    source->m_modified = info.lastModified();
    return source;
}

bool CsvSource::changedOnDisk() const
{
    const QFileInfo info(m_path);
    return !info.exists() || info.size() != m_size || info.lastModified() != m_modified;
}

std::unique_ptr<RecordCursor> CsvSource::openTable(const QString &name, QString *error) const
{
    if (name.compare(m_table, Qt::CaseInsensitive) != 0) {
        if (error)
            *error = QStringLiteral("Fisierul %1 are doar tabela %2.").arg(m_path, m_table);
        return nullptr;
    }
    auto reader = std::make_unique<CsvReader>();
    if (!reader->open(m_path, error))
        return nullptr;
    return std::make_unique<CsvCursor>(std::move(reader), m_path, m_table);
}

SourceKind csvSourceKind()
{
    SourceKind kind;
    kind.name = QStringLiteral("Tabele text");
    kind.extensions = {QStringLiteral("csv"), QStringLiteral("txt")};
    kind.open = [](const QString &path, const QString &, QString *error, OpenFailure *failure)
        -> std::unique_ptr<RecordSource> {
        std::unique_ptr<CsvSource> source = CsvSource::open(path, error);
        if (failure)
            *failure = source ? OpenFailure::None : OpenFailure::Failed;
        return source;
    };
    return kind;
}

} // namespace formulix
