// The window's start loads nothing its first frame does not need: not the libraries of files a
// user may never open, nor Qt's print support or image plugins. Each is opened when first needed,
// since a linked one slows every start. A program of its own, started as Formulix starts, since
// the other tests link some of these themselves; the checks run once the first frame is painted.
#include "gui/app/Application.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QTest>
#include <QWidget>

namespace {

class TestStart : public QObject
{
    Q_OBJECT

private slots:
    void notLoaded_data()
    {
        QTest::addColumn<QString>("library");
        for (const char *name : {"/libmdb.so", "/libjpeg.so", "/libexif.so", "/libtiff.so", "/libfreexl.so", "/libzip.so",
                                 "/libQt6PrintSupport.so", "/formulix_printsupport.so", "/formulix_pdf.so", "/imageformats/"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void notLoaded()
    {
        QFETCH(QString, library);
        QFile maps(QStringLiteral("/proc/self/maps"));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        const QString mapped = QString::fromLocal8Bit(maps.readAll());
        QVERIFY2(!mapped.contains(library), qPrintable(library + QStringLiteral(" was loaded by the start")));
    }
};

class AfterFirstFrame final : public QObject
{
public:
    AfterFirstFrame(QWidget &window, int argc, char **argv) : QObject(&window), m_argc(argc), m_argv(argv)
    {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_painted) {
            m_painted = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    TestStart test;
                    QCoreApplication::exit(QTest::qExec(&test, m_argc, m_argv) == 0 ? 0 : 1);
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    int m_argc;
    char **m_argv;
    bool m_painted = false;
};

} // namespace

int main(int argc, char **argv)
{
    int programArgc = 1; // QtTest's options are not the program's
    return formulix::runFormulix(programArgc, argv,
                                 [argc, argv](QWidget &window) { new AfterFirstFrame(window, argc, argv); });
}

#include "tst_start.moc"
