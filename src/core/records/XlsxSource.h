#pragma once
// Excel workbooks (.xlsx, Office Open XML), read-only: each worksheet is a table, in the
// workbook's order, hidden ones too (chart sheets hold no cells and are not listed). Cells read
// as the workbook shows them (see CellFormat.h): shared, inline and rich text, numbers and
// dates under their number formats and the workbook's date system, yes/no, errors as their
// text ("#N/A"), formulas as the value last computed. A merged range's value is its first
// cell's, as Excel keeps it; the range's other cells are NULL.
//
// A sheet is read as its rows are fetched, a block of its XML at a time, and the shared texts
// only as far as the rows read so far use them: Excel and the other writers number them in the
// order they first appear, so the first record of a long sheet comes at once.

#include "core/records/RecordSource.h"
#include "core/records/RecordSources.h"

#include <QDateTime>

namespace formulix {

class XlsxSource final : public RecordSource
{
public:
    // The workbook with its sheets listed; nullptr with a Romanian reason naming the file when it
    // is missing, unreadable, not a workbook, damaged or protected by a password.
    static std::unique_ptr<XlsxSource> open(const QString &path, QString *error = nullptr);

    const QString &path() const override { return m_path; }
    bool changedOnDisk() const override;
    QStringList tableNames() const override { return m_sheets; }
    std::unique_ptr<RecordCursor> openTable(const QString &name, QString *error = nullptr) const override;

private:
    XlsxSource() = default;

    QString m_path;
    qint64 m_size = -1;
    QDateTime m_modified;
    QStringList m_sheets;
};

// A zip with xl/workbook.xml, or a password-protected one (an OLE2 file holding the encrypted
// workbook); the extension xlsx.
SourceKind xlsxSourceKind();

} // namespace formulix
