#include "widgets/FileDialogColumns.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QListView>
#include <QLocale>
#include <QScrollBar>
#include <QSplitter>
#include <QTreeView>

#include <utility>

namespace formulix {

namespace {

enum Column { Name, Size, Type, Date };

class RomanianColumns final : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex &index, int role) const override
    {
        const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
        if (role != Qt::DisplayRole || !files || index.column() == Name)
            return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        if (files->isDir(source))
            return index.column() == Date ? date(files->lastModified(source)) : QIdentityProxyModel::data(index, role);
        switch (index.column()) {
        case Size: return size(files->size(source));
        case Type: {
            const QString suffix = files->fileInfo(source).suffix();
            return suffix.isEmpty() ? QCoreApplication::translate("QAbstractFileIconProvider", "File")
                                    : QCoreApplication::translate("QFileDialog", "%1 File").arg(suffix.toUpper());
        }
        case Date: return date(files->lastModified(source));
        default: return QIdentityProxyModel::data(index, role);
        }
    }

    static QString date(const QDateTime &time)
    {
        return time.isValid() ? time.toString(QStringLiteral("dd.MM.yyyy HH:mm")) : QString();
    }

private:
    static QString size(qint64 bytes)
    {
        if (bytes < 1024)
            return QCoreApplication::translate("QFileSystemModel", "%1 bytes").arg(bytes);
        const char *const units[] = {"%1 KB", "%1 MB", "%1 GB", "%1 TB"};
        double value = bytes / 1024.0;
        int unit = 0;
        for (; value >= 1024 && unit < 3; ++unit)
            value /= 1024;
        return QCoreApplication::translate("QFileSystemModel", units[unit])
            .arg(QLocale(QLocale::Romanian, QLocale::Romania).toString(value, 'f', value < 10 ? 1 : 0));
    }
};

// Qt sizes the type and date columns for English texts and the places for English names: the
// Romanian ones ("Fisier JPEG", "28.12.2000 20:28", "Calculator") would show cut.
void fitColumns(QFileDialog &dialog)
{
    // First the places, whose room the files' view gives up.
    auto *places = dialog.findChild<QListView *>(QStringLiteral("sidebar"));
    auto *splitter = dialog.findChild<QSplitter *>(QStringLiteral("splitter"));
    if (places && splitter && splitter->count() >= 2) {
        QList<int> sizes = splitter->sizes();
        const int wanted = places->sizeHintForColumn(0) + 2 * places->frameWidth()
                         + places->verticalScrollBar()->sizeHint().width();
        const int more = qMin(wanted - sizes.at(0), sizes.at(1) / 3);
        if (more > 0) {
            sizes[0] += more;
            sizes[1] -= more;
            splitter->setSizes(sizes);
        }
    }
    auto *files = dialog.findChild<QTreeView *>(QStringLiteral("treeView"));
    if (!files || files->header()->count() <= Date)
        return;
    QHeaderView *header = files->header();
    const QFontMetrics metrics(files->font());
    const auto room = [&](const QString &text) { return metrics.horizontalAdvance(text) + 2 * metrics.averageCharWidth(); };
    const int type = room(QCoreApplication::translate("QFileDialog", "%1 File").arg(QStringLiteral("JPEG")));
    const int date = room(RomanianColumns::date(QDateTime(QDate(2000, 12, 28), QTime(20, 28))));
    for (const auto &[column, wanted] : {std::pair{Type, type}, std::pair{Date, date}}) {
        if (header->sectionSize(column) < wanted)
            header->resizeSection(column, wanted);
    }
    // The names take what the other columns leave of the view, so that no column lies past it, as
    // far as a name of twenty letters keeps its room.
    int others = 0;
    for (int column = Size; column < header->count(); ++column)
        others += header->isSectionHidden(column) ? 0 : header->sectionSize(column);
    header->resizeSection(Name, qMax(files->viewport()->width() - others, 20 * metrics.averageCharWidth()));
}

// Gives a file dialog the columns before it first shows, and their room as it shows.
class FileDialogWatcher final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Polish) {
            if (auto *dialog = qobject_cast<QFileDialog *>(watched); dialog && !dialog->proxyModel())
                dialog->setProxyModel(new RomanianColumns(dialog));
        } else if (event->type() == QEvent::Show) {
            if (auto *dialog = qobject_cast<QFileDialog *>(watched))
                fitColumns(*dialog);
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void romanianFileDialogColumns(QCoreApplication &app)
{
    app.installEventFilter(new FileDialogWatcher(&app));
}

} // namespace formulix
