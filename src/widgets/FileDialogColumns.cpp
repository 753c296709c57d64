#include "widgets/FileDialogColumns.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>

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

private:
    static QString date(const QDateTime &time)
    {
        return time.isValid() ? time.toString(QStringLiteral("dd.MM.yyyy HH:mm")) : QString();
    }

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

// Gives a file dialog the columns before it first shows.
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
