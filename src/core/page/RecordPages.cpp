#include "core/page/RecordPages.h"

#include "core/records/RecordSources.h"
#include "core/text/TextRules.h"
#include "core/page/PageComposer.h"
#include "core/records/ColumnMatch.h"
#include "core/records/RecordSources.h"

#include <QDir>
#include <limits>

namespace formulix {

RecordPages::RecordPages(const Module1 &model, QSizeF pageMm, const QString &password)
    : m_model(model), m_pageMm(pageMm), m_password(password)
{
    const QSizeF a4 = model.Orientare == 1 ? QSizeF(297, 210) : QSizeF(210, 297);
    m_sheet.paper = {a4, QRectF(QPointF(0, 0), a4)};
}

RecordPages::~RecordPages() = default;

bool RecordPages::open(const RecordChoice &choice, QString *error)
{
    m_choice = choice;
    m_choice.copies = qBound(1, choice.copies, 99);
    auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (choice.kind == RecordChoice::Current || choice.kind == RecordChoice::Calibration) {
        m_recordCount = 1;
        return true;
    }
    const QString file = QDir::toNativeSeparators(m_model.CaleBazaDate);
    if (m_model.CaleBazaDate.isEmpty() || m_model.NumeTabela.isEmpty())
        return fail(QStringLiteral("Nu este aleasa nicio tabela din care sa se preia inregistrarile."));
    QString reason;
    m_database = openRecordSource(m_model.CaleBazaDate, &reason, m_password);
    if (!m_database)
        return fail(QStringLiteral("Baza de date %1 nu poate fi deschisa: %2").arg(file, reason));
    m_rows = m_database->openTable(m_model.NumeTabela, &reason);
    if (!m_rows)
        return fail(QStringLiteral("Tabela %1 din baza de date %2 nu poate fi deschisa: %3")
                        .arg(m_model.NumeTabela, file, reason));

    // Each database field's column, found as the record window finds it.
    const QStringList names = m_rows->columnNames();
    m_named.clear();
    for (int i = 1; i <= m_model.usedBD(); ++i)
        m_columns.push_back(findColumn(names, columnName(*m_model.CampuriBD.at(i))));
    m_missing = formulix::missingColumns(m_model, names);

    if (choice.kind == RecordChoice::Range) {
        if (choice.first < 1 || choice.last < choice.first)
            return fail(QStringLiteral("Intervalul de inregistrari %1 - %2 nu este bun.").arg(choice.first).arg(choice.last));
    } else if (choice.kind == RecordChoice::Rows) {
        m_records = choice.rows;
        std::sort(m_records.begin(), m_records.end());
        m_records.erase(std::unique(m_records.begin(), m_records.end()), m_records.end());
        if (m_records.isEmpty() || m_records.first() < 1)
            return fail(QStringLiteral("Nu este selectata nicio inregistrare in tabel."));
    }
    // Counted on a handle of its own that keeps no rows; the pages then read theirs as they go.
    const qint64 needed = choice.kind == RecordChoice::All     ? std::numeric_limits<qint64>::max()
                        : choice.kind == RecordChoice::Range ? choice.last
                                                             : m_records.last();
    const qint64 counted = countRows(needed, &reason);
    if (counted < 0)
        return fail(reason);
    if (counted < needed && choice.kind != RecordChoice::All) {
        return fail(QStringLiteral("Tabela %1 are %2 inregistrari; inregistrarea %3 nu exista.")
                        .arg(m_model.NumeTabela)
                        .arg(counted)
                        .arg(needed));
    }
    m_recordCount = choice.kind == RecordChoice::All     ? counted
                  : choice.kind == RecordChoice::Range ? choice.last - choice.first + 1
                                                       : m_records.size();
    return true;
}

qint64 RecordPages::countRows(qint64 atMost, QString *error) const
{
    const std::unique_ptr<RecordCursor> rows = m_database->openTable(m_model.NumeTabela, error);
    if (!rows)
        return -1;
    while (rows->rowsRead() < atMost && !rows->allRead() && !rows->failed()) {
        rows->fetchMore(qMin<qint64>(256, atMost - rows->rowsRead()));
        rows->forgetRowsBefore(rows->rowsRead());
    }
    if (rows->failed()) {
        if (error)
            *error = rows->failure();
        return -1;
    }
    return rows->rowsRead();
}

qint64 RecordPages::pageCount() const
{
    return m_recordCount * m_choice.copies;
}

qint64 RecordPages::recordOf(qint64 page) const
{
    const qint64 index = page / m_choice.copies;
    if (m_choice.kind == RecordChoice::Current || m_choice.kind == RecordChoice::Calibration)
        return 0;
    if (m_choice.kind == RecordChoice::All)
        return index + 1;
    if (m_choice.kind == RecordChoice::Range)
        return m_choice.first + index;
    return m_records.value(index);
}

bool RecordPages::readUpTo(qint64 row, QString *error)
{
    while (m_rows->rowsRead() <= row && !m_rows->allRead() && !m_rows->failed()) {
        // Pages in order need no row before the one asked for.
        if (m_onePass)
            m_rows->forgetRowsBefore(m_rows->rowsRead());
        m_rows->fetchMore(256);
    }
    if (m_rows->rowsRead() > row)
        return true;
    if (error)
        *error = m_rows->failed() ? m_rows->failure()
                                  : QStringLiteral("Inregistrarea %1 din tabela %2 nu poate fi citita.").arg(row + 1).arg(m_model.NumeTabela);
    return false;
}

bool RecordPages::page(qint64 index, PageContent *content, QString *error)
{
    if (index < 0 || index >= pageCount())
        return false;
    if (m_choice.kind == RecordChoice::Calibration) {
        *content = calibrationSheet(m_sheet);
        ++m_made;
        return true;
    }
    if (m_choice.kind != RecordChoice::Current) {
        const qint64 row = recordOf(index) - 1;
        if (!readUpTo(row, error))
            return false;
        // The layout as it was given with this record's values, as choosing it in the record
        // window shows them.
        FieldValues values;
        for (const int column : m_columns)
            values.append(column >= 0 ? std::optional<QString>(m_rows->text(row, column)) : std::nullopt);
        // The columns a composed text names, found once for the whole job.
        const ColumnLookup columns = [this, row](const QString &name) -> std::optional<QString> {
            auto found = m_named.constFind(name);
            if (found == m_named.cend())
                found = m_named.insert(name, findColumn(m_rows->columnNames(), name));
            return *found >= 0 ? std::optional<QString>(m_rows->text(row, *found)) : std::nullopt;
        };
        *content = composePage(m_model, &values, columns);
    } else {
        *content = composePage(m_model);
    }
    ++m_made;
    return true;
}

} // namespace formulix
