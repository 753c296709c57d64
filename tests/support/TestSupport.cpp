#include "TestSupport.h"

#include "gui/app/frmEcranPrincipal.h"
#include "widgets/Dialogs.h"
#include "widgets/Units.h"

#include <QAction>
#include <QDeadlineTimer>
#include <QListWidget>
#include <QPrinterInfo>
#include <QTest>

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWidget>
#include <chrono>
#include <cmath>
#include <fcntl.h>
#include <future>
#include <pwd.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace formulix::test {

namespace {
// What a test program remembers (a text table's options) goes to Qt's folder for tests, never
// into the user's settings.
const bool settingsAside = [] {
    QStandardPaths::setTestModeEnabled(true);
    return true;
}();
} // namespace

QPoint mmToPixel(const QWidget *widget, QPointF mm)
{
    const double ppm = pixelsPerMm(logicalDpi(widget));
    return QPoint(int(std::floor(mm.x() * ppm)), int(std::floor(mm.y() * ppm)));
}

int pdfPages(const QString &pdf)
{
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    info.waitForFinished(60000);
    return QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
        .match(QString::fromUtf8(info.readAllStandardOutput()))
        .captured(1)
        .toInt();
}

QString pdfPageText(const QString &pdf, int page)
{
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(page),
                                            QStringLiteral("-l"), QString::number(page), pdf, QStringLiteral("-")});
    text.waitForFinished(60000);
    return QString::fromUtf8(text.readAllStandardOutput());
}

QImage renderPdfPage(const QString &pdf, int page, int dpi)
{
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("page"));
    QProcess render;
    render.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
                                             QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                             QString::number(page), QStringLiteral("-singlefile"), pdf, prefix});
    render.waitForFinished(60000);
    return QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
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

bool withoutReadPermission(const QString &path, const std::function<void()> &work, QString *why)
{
    if (!QFile::setPermissions(path, {})) {
        *why = QStringLiteral("cannot take the permissions of %1 away").arg(path);
        return false;
    }
    if (geteuid() != 0) {
        work();
        return true;
    }
    const passwd *nobody = getpwnam("nobody");
    if (!nobody || seteuid(nobody->pw_uid) != 0) {
        *why = QStringLiteral("running as root, and cannot act as the user nobody, whom permissions stop");
        return false;
    }
    work();
    if (seteuid(0) != 0)
        qFatal("cannot become root again");
    return true;
}

bool endsWithoutWaitingOnFifo(const QString &path, const std::function<void()> &work)
{
    const QByteArray name = QFile::encodeName(path);
    if (mkfifo(name.constData(), 0600) != 0)
        qFatal("cannot make the FIFO %s", name.constData());
    std::packaged_task<void()> task(work);
    std::future<void> done = task.get_future();
    std::thread thread(std::move(task));
    const bool ended = done.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    if (!ended) {
        const int writer = ::open(name.constData(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
    }
    thread.join();
    return ended;
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

QString testQueueUnavailable()
{
    const QString queue = qEnvironmentVariable("FORMULIX_EXPECT_QUEUE");
    if (queue.isEmpty())
        return QStringLiteral("runs on its own, with the test print queue as the default printer");
    if (QPrinterInfo::defaultPrinter().printerName() != queue)
        return QStringLiteral("no cups-pdf queue %1: the test script sets it up").arg(queue);
    return QString();
}

QStringList queuedPdfs()
{
    return QDir(QDir::homePath() + QStringLiteral("/PDF")).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Time);
}

QString waitForQueuedPdf(const QStringList &before, const std::function<bool(const QString &)> &ready)
{
    const QDir output(QDir::homePath() + QStringLiteral("/PDF"));
    const QDeadlineTimer deadline(120000);
    while (!deadline.hasExpired()) {
        for (const QString &name : queuedPdfs()) {
            if (!before.contains(name) && QFileInfo(output.filePath(name)).size() > 0 && ready(output.filePath(name))) {
                QTest::qWait(500); // cups-pdf may still be closing the file
                return output.filePath(name);
            }
        }
        QTest::qWait(200);
    }
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
