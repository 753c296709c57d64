#pragma once
// OpenDocument spreadsheets (.ods), read-only: each sheet is a table, in the document's order,
// hidden ones too. Cells read as the spreadsheet shows them (see CellFormat.h): text with its
// spaces, tabs and line breaks, numbers, percentages and amounts under their number styles,
// dates and times, yes/no, errors as their text, formulas as the value last computed. Cells and
// rows kept once for many alike (the empty columns and rows to a sheet's end) cost nothing; a
// merged range's value is its first cell's and its covered cells are NULL.
//
// A sheet is read as its rows are fetched, a block of content.xml at a time. Listing the
// sheets reads the document through once without parsing it.

#include "core/records/RecordSource.h"
#include "core/records/RecordSources.h"

#include <QDateTime>

namespace formulix {

class OdsSource final : public RecordSource
{
public:
    // The spreadsheet with its sheets listed; nullptr with a Romanian reason naming the file when
    // it is missing, unreadable, not a spreadsheet, damaged or protected by a password.
    static std::unique_ptr<OdsSource> open(const QString &path, QString *error = nullptr);

    const QString &path() const override { return m_path; }
    bool changedOnDisk() const override;
    QStringList tableNames() const override { return m_sheets; }
    std::unique_ptr<RecordCursor> openTable(const QString &name, QString *error = nullptr) const override;

private:
    OdsSource() = default;

    QString m_path;
    qint64 m_size = -1;
    QDateTime m_modified;
    QStringList m_sheets;
};

// A zip whose mimetype member says it is an OpenDocument spreadsheet; the extension ods.
SourceKind odsSourceKind();

} // namespace formulix
