#pragma once
// Workbooks of Excel 97-2003 and 5.0/95 (.xls), read through libfreexl: each worksheet is a table,
// in the workbook's order, and its first row names the columns (as a text table's header does: an
// empty name becomes "Coloana N", a repeated one gets "_2", "_3"...). Columns after the last one
// with a name or a value, and rows after the last one with a value, are not part of the table.
//
// Cells read as the spreadsheet shows them under the regional settings in force when the table
// is opened; of the number formats only the dates' are applied:
// - text as written; an empty text, like an empty cell, is NULL;
// - numbers with the locale's decimal separator, to 15 significant digits as the General format
//   shows them (0.1+0.2 is 0,3), with the locale's exponent from 1e15 up and below 1e-4 (1E+20);
//   a percentage as its number;
// - a number formatted as a date "dd.MM.yyyy", as a date and time "dd.MM.yyyy hh:mm:ss" (the
//   time left out at midnight, as the program shows Access dates), as a time "hh:mm:ss";
// - a formula its last computed value, which the file keeps beside it: a logical value as 1 or 0,
//   an error as the spreadsheet writes it (#DIV/0!).
// libfreexl reads no formula, says nothing of a password and trusts damaged files too far, so the
// workbook's records are read here as well (see the .cpp).
//
// A workbook with a password (the .xls kind, or an Excel 2007 one, which is kept encrypted in the
// same container) is refused with a reason saying so, as is any other file that is not a workbook
// or is damaged.

#include "core/records/RecordSources.h"

namespace formulix {

class XlsSource final : public RecordSource
{
public:
    // The workbook at `path` with its sheets listed; nullptr with a Romanian reason naming the file.
    static std::unique_ptr<XlsSource> open(const QString &path, QString *error = nullptr);

    const QString &path() const override { return m_path; }
    bool changedOnDisk() const override;
    QStringList tableNames() const override { return m_sheets; }
    // Loads the workbook again, so the rows are those of the file as it is now.
    std::unique_ptr<RecordCursor> openTable(const QString &name, QString *error = nullptr) const override;

    // What tells a file was rewritten or replaced.
    struct Stamp
    {
        qint64 size = -1, modified = 0, inode = 0, device = 0;
        bool operator==(const Stamp &) const = default;
    };

private:
    XlsSource() = default;

    QString m_path;
    QStringList m_sheets;
    Stamp m_stamp; // of the file whose sheets are listed
};

// For the registry: an OLE2 file named .xls.
SourceKind xlsSourceKind();

} // namespace formulix
