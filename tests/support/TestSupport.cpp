#include "TestSupport.h"

#include "app/frmEcranPrincipal.h"
#include "platform/Dialogs.h"
#include "platform/Units.h"

#include <QAction>
#include <QListWidget>
#include <QTest>

#include <QFile>
#include <QFileInfo>
#include <QWidget>
#include <cmath>

namespace formulix::test {

QPoint mmToPixel(const QWidget *widget, QPointF mm)
{
    const double ppm = pixelsPerMm(logicalDpi(widget));
    return QPoint(int(std::floor(mm.x() * ppm)), int(std::floor(mm.y() * ppm)));
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QString sharedMdbDir(QString *why)
{
    const QString dir = QStringLiteral(FORMULIX_SHARED_MDB_DIR);
    if (QFileInfo(dir).isDir())
        return QFileInfo(dir).canonicalFilePath();
    if (why)
        *why = QStringLiteral("no folder of Access-written databases at %1").arg(dir);
    return QString();
}

void loadTemplate(frmEcranPrincipal &window, const QString &path)
{
    CommonDialog::queueAnswer(path);
    window.mnuIncarcaMacheta->trigger();
}

void openSchema(frmEcranPrincipal &window, const QString &path)
{
    CommonDialog::queueAnswer(path);
    window.mnuDeschSch->trigger();
}

void loadDatabase(frmEcranPrincipal &window, const QString &path)
{
    CommonDialog::queueAnswer(path);
    window.mnuIncarcaBaza->trigger();
}

bool chooseTable(frmEcranPrincipal &window, const QString &name)
{
    const QList<QListWidgetItem *> found = window.List1->findItems(name, Qt::MatchExactly);
    if (found.isEmpty())
        return false;
    window.List1->setCurrentItem(found.first());
    QTest::mouseClick(window.List1->viewport(), Qt::LeftButton, {}, window.List1->visualItemRect(found.first()).center());
    return true;
}

} // namespace formulix::test
