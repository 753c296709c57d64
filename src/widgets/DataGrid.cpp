#include "widgets/DataGrid.h"

#include "core/records/RecordSources.h"
#include "widgets/DataControl.h"
#include "widgets/Dialogs.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <algorithm>
#include <QLabel>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

namespace formulix {

namespace {

// Rows are read a block at a time as the user scrolls: up to 256, fewer of a wide table, so a
// block is about as long to read whatever the table's width.
constexpr qint64 CellsPerFetch = 64 * 1024;
constexpr qint64 MinRowsPerFetch = 16, MaxRowsPerFetch = 256;
// Measuring a cell lays its text out: the first rows of a table are measured up to this many
// cells in all; the columns of a wider table are reckoned from their characters.
constexpr int CellsMeasured = 4096;
constexpr int RowsReckoned = 16;
constexpr int WidestReckoned = 50; // characters, as many as a field takes
// What a cell shows of a long value; the whole value still goes to the fields.
constexpr qsizetype MaxShownCharacters = 500;

} // namespace

RecordSetModel::RecordSetModel(DataControl *source, QObject *parent) : QAbstractTableModel(parent), m_source(source)
{
    connect(source, &DataControl::recordsetChanged, this, [this] {
        beginResetModel();
        m_rows = m_source->recordset() ? int(qMin<qint64>(m_source->recordset()->rowsRead(), INT_MAX)) : 0;
        endResetModel();
    });
    // Rows the data control read on its own (its last-record button) appear at once.
    connect(source, &DataControl::rowsRead, this, [this](qint64, qint64 last) {
        const int rows = int(qMin<qint64>(last + 1, INT_MAX));
        if (rows <= m_rows)
            return;
        beginInsertRows({}, m_rows, rows - 1);
        m_rows = rows;
        endInsertRows();
    });
}

int RecordSetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int RecordSetModel::columnCount(const QModelIndex &parent) const
{
    const RecordCursor *records = m_source->recordset();
    return parent.isValid() || !records ? 0 : int(records->columnNames().size());
}

QVariant RecordSetModel::data(const QModelIndex &index, int role) const
{
    const RecordCursor *records = m_source->recordset();
    if (!records || !index.isValid() || index.row() >= m_rows || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    QString text = records->displayText(index.row(), index.column());
    if (text.size() > MaxShownCharacters) {
        text.truncate(MaxShownCharacters);
        text += u'…';
    }
    return text;
}

QVariant RecordSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    const RecordCursor *records = m_source->recordset();
    if (role != Qt::DisplayRole || !records)
        return {};
    if (orientation == Qt::Horizontal)
        return section < records->columnNames().size() ? records->columnNames().at(section) : QVariant();
    return section + 1;
}

bool RecordSetModel::canFetchMore(const QModelIndex &parent) const
{
    const RecordCursor *records = m_source->recordset();
    return !parent.isValid() && records && (records->rowsRead() > m_rows || (!records->allRead() && !records->failed()));
}

void RecordSetModel::fetchMore(const QModelIndex &parent)
{
    RecordCursor *records = m_source->recordset();
    if (parent.isValid() || !records)
        return;
    if (records->rowsRead() <= m_rows) {
        const qint64 columns = qMax<qint64>(1, records->columnNames().size());
        m_source->readMore(qBound(MinRowsPerFetch, CellsPerFetch / columns, MaxRowsPerFetch));
    }
    const int rows = int(qMin<qint64>(records->rowsRead(), INT_MAX));
    if (rows <= m_rows)
        return;
    beginInsertRows({}, m_rows, rows - 1);
    m_rows = rows;
    endInsertRows();
}

DataGrid::DataGrid(DataControl *source, QWidget *parent)
    : QWidget(parent), m_source(source), m_model(new RecordSetModel(source, this)), m_caption(new QLabel(this)),
      m_view(new QTableView(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_caption->setAlignment(Qt::AlignCenter);
    m_caption->setFrameShape(QFrame::Panel);
    m_caption->setFrameShadow(QFrame::Raised);
    layout->addWidget(m_caption);
    layout->addWidget(m_view, 1);
    m_view->setModel(m_model);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Several rows can be chosen for a job of many records; the current row alone is the record
    // on the canvas.
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 6);

    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid() && current.row() != m_source->absolutePosition())
                    m_source->moveTo(current.row());
            });
    connect(source, &DataControl::reposition, this, &DataGrid::showCurrentRecord);
    connect(source, &DataControl::recordsetChanged, this, [this] {
        if (m_model->canFetchMore({}))
            m_model->fetchMore({});
        sizeColumns();
        showCurrentRecord();
    });
}

// Columns as wide as the first rows need; later rows do not resize them. A wide table measures
// fewer rows, and the widest reckons without laying text out, so that sizing it takes about as
// long as sizing a narrow one.
void DataGrid::sizeColumns()
{
    const int columns = m_model->columnCount();
    const int rows = m_model->rowCount();
    if (columns <= CellsMeasured / RowsReckoned) {
        m_view->verticalHeader()->setResizeContentsPrecision(qMax(RowsReckoned, CellsMeasured / qMax(1, columns)));
        m_view->resizeColumnsToContents();
        return;
    }
    QHeaderView *header = m_view->horizontalHeader();
    // A digit of the header's bold face (the current row's sections are bold) is as wide as
    // most letters of a name or a value.
    QFont bold = header->font();
    bold.setBold(true);
    const int character = QFontMetrics(bold).horizontalAdvance(u'0');
    const int margin = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header) + character;
    // A header that repaints finds each section's place anew on every resize: thousands of
    // columns would cost the square of their number.
    header->setUpdatesEnabled(false);
    LoadProgress load(this, QStringLiteral("Se aranjeaza coloanele..."));
    for (int column = 0; column < columns && (column % 1024 != 0 || load.step()); ++column) {
        qsizetype widest = m_model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString().size();
        for (int row = 0; row < qMin(rows, RowsReckoned) && widest < WidestReckoned; ++row)
            widest = qMax(widest, m_model->data(m_model->index(row, column), Qt::DisplayRole).toString().size());
        header->resizeSection(column, qMax(header->minimumSectionSize(), int(qMin<qsizetype>(widest, WidestReckoned)) * character + margin));
    }
    header->setUpdatesEnabled(true);
}

QList<qint64> DataGrid::selectedRecords() const
{
    QList<qint64> records;
    for (const QModelIndex &index : m_view->selectionModel()->selectedRows())
        records.append(index.row() + 1);
    std::sort(records.begin(), records.end());
    return records;
}

void DataGrid::setCaption(const QString &caption)
{
    m_caption->setText(caption);
}

QString DataGrid::caption() const
{
    return m_caption->text();
}

void DataGrid::showCurrentRecord()
{
    const qint64 row = m_source->absolutePosition();
    if (row < 0 || row >= m_model->rowCount())
        return;
    const QModelIndex current = m_model->index(int(row), qMax(0, m_view->currentIndex().column()));
    if (m_view->currentIndex().row() != row)
        m_view->setCurrentIndex(current);
    m_view->scrollTo(current);
}

} // namespace formulix
