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
    ~CsvCursor() override { tell(); }

protected:
    bool readRow(std::string &text, std::vector<quint32> &ends) override
    {
        if (m_reader->readRow(text, ends))
            return true;
        if (!m_reader->failure().isEmpty())
            failWith(m_reader->failure());
        tell();
        return false;
    }
    bool changedSinceOpened() override { return m_reader->changed(); }

private:
    // The long rows, once: when the rows end, or when the cursor goes before.
    void tell()
    {
        if (const QString warning = m_reader->longRowsWarning(); !m_told && !warning.isEmpty()) {
            m_told = true;
            warnAboutCsv(path(), warning);
        }
    }

    std::unique_ptr<CsvReader> m_reader;
    bool m_told = false;
};

} // namespace

std::unique_ptr<CsvSource> CsvSource::open(const QString &path, QString *error)
{
    std::unique_ptr<CsvSource> source = open(path, csvOptionsFor(path), error);
    if (source)
        source->m_remembered = true;
    return source;
}

std::unique_ptr<CsvSource> CsvSource::open(const QString &path, const CsvOptions &options, QString *error)
{
    CsvReader probe;
    if (!probe.open(path, options, error))
        return nullptr;
    std::unique_ptr<CsvSource> source(new CsvSource);
    source->m_path = path;
    source->m_given = options;
    source->m_options = probe.options();
    const QFileInfo info(path);
    source->m_table = info.completeBaseName();
    source->m_size = info.size();
    source->m_modified = info.lastModified();
    return source;
}

bool CsvSource::changedOnDisk() const
{
    return fileChanged() || (m_remembered && csvOptionsFor(m_path) != m_given);
}

bool CsvSource::fileChanged() const
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
    // The guess made on opening holds while the file and the options asked for are the same,
    // and costs nothing again.
    const CsvOptions asked = m_remembered ? csvOptionsFor(m_path) : m_given;
    auto reader = std::make_unique<CsvReader>();
    if (!reader->open(m_path, asked != m_given || fileChanged() ? asked : m_options, error))
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

bool isTextTable(const QString &path)
{
    const SourceKind *kind = sourceKindOf(path);
    return kind && kind->name == csvSourceKind().name;
}

} // namespace formulix
