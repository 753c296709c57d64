#pragma once
// A read-only grid bound to a data control: one row per record, one column per field, rows
// read only as far as the user scrolls. Choosing a row makes that record the current one.

#include <QAbstractTableModel>
#include <QWidget>

class QLabel;
class QTableView;

namespace formulix {

class DataControl;

class RecordSetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit RecordSetModel(DataControl *source, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

private:
    DataControl *m_source;
    int m_rows = 0; // rows the view knows of
};

class DataGrid : public QWidget
{
    Q_OBJECT
public:
    explicit DataGrid(DataControl *source, QWidget *parent = nullptr);

    void setCaption(const QString &caption);
    QString caption() const;
    QTableView *view() const { return m_view; }
    // The selected rows' record numbers (from 1), in record order.
    QList<qint64> selectedRecords() const;

private:
    void showCurrentRecord();
    void sizeColumns();

    DataControl *m_source;
    RecordSetModel *m_model;
    QLabel *m_caption;
    QTableView *m_view;
};

} // namespace formulix
