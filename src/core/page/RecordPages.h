#pragma once
// The pages of a job: for each chosen record, the page "Tipareste" prints after that record was
// chosen in the record window, each as many times as copies are asked for. Rows are read from
// the table as pages are asked for, through a handle of the job's own.

#include "core/layout/Module1.h"
#include "core/page/Calibration.h"
#include "core/page/PageRenderer.h"
#include "core/page/RecordChoice.h"

#include <QHash>
#include <memory>

namespace formulix {

class RecordSource;
class RecordCursor;

class RecordPages
{
public:
    // `model` is copied as it stands: the job never changes the program's own.
    RecordPages(const Module1 &model, QSizeF pageMm, const QString &password = QString());
    ~RecordPages();

    // Opens the model's database and table for a choice of records; false with a Romanian reason
    // (no table, a range past the table's end).
    bool open(const RecordChoice &choice, QString *error);
    qint64 pageCount() const;
    // The record a page shows, numbered from 1 (0 for the layout as it stands).
    qint64 recordOf(qint64 page) const;
    // Page `index`, from 0; false with a reason naming the record when it cannot be read.
    bool page(qint64 index, PageContent *content, QString *error);
    // A job that goes through the pages once, in order: the rows behind it are let go, so a
    // table of any length takes no more memory than a page. Off for a preview, which goes back.
    void setOnePass(bool onePass) { m_onePass = onePass; }
    // After open() of records from the table: the columns the layout's fields name that the table
    // lacks (those fields print nothing).
    const QStringList &missingColumns() const { return m_missing; }
    // The paper the calibration sheet is drawn for, and whether it goes corrected: the job's
    // output says, once it has begun (A4 until then).
    void setSheet(const SheetSetup &sheet) { m_sheet = sheet; }
    bool isCalibrationSheet() const { return m_choice.kind == RecordChoice::Calibration; }
    // Pages composed so far: a preview composes only those it shows.
    qint64 pagesMade() const { return m_made; }

private:
    bool readUpTo(qint64 row, QString *error);
    qint64 countRows(qint64 atMost, QString *error) const;

    Module1 m_model;
    QSizeF m_pageMm;
    QString m_password;
    RecordChoice m_choice;
    QList<qint64> m_records; // chosen record numbers (Rows)
    qint64 m_recordCount = 1;
    std::unique_ptr<RecordSource> m_database;
    std::unique_ptr<RecordCursor> m_rows;
    std::vector<int> m_columns; // per database field, its column in the table, or -1
    QHash<QString, int> m_named; // a composed text's column names, each with its column or -1
    QStringList m_missing;
    SheetSetup m_sheet;
    qint64 m_made = 0;
    bool m_onePass = false;
};

} // namespace formulix
