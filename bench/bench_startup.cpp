// Times each program from exec to its main window's first frame painted, for Formulix and for
// the bare floor program, alternating runs so both see the same machine load.
#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTextStream>
#include <vector>

namespace {

// Until the program says its window is painted; -1 when it never does or does not end well.
// `size` receives the painted window's "WxH".
double runOnce(const QString &program, const QStringList &arguments = {}, QString *size = nullptr)
{
    QElapsedTimer timer;
    timer.start();
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    QByteArray said;
    while (!said.contains('\n') && process.waitForReadyRead(60000))
        said += process.readAllStandardOutput();
    const double ms = timer.nsecsElapsed() / 1e6;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0
        || !said.startsWith("painted "))
        return -1;
    if (size)
        *size = QString::fromLatin1(said.mid(8).trimmed());
    return ms;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString dir = QCoreApplication::applicationDirPath();
    const QString formulix = QDir(dir).filePath(QStringLiteral("bench_start_formulix"));
    const QString bare = QDir(dir).filePath(QStringLiteral("bench_start_bare"));
    const int runs = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 30;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    // Warm the file cache first so neither side pays for the first disk read; the bare window
    // takes the size Formulix's had.
    QString size;
    runOnce(formulix, {}, &size);
    runOnce(bare, {size});
    std::vector<double> formulixTimes, bareTimes;
    for (int i = 0; i < runs; ++i) {
        const double f = runOnce(formulix);
        const double b = runOnce(bare, {size});
        if (f < 0 || b < 0) {
            QTextStream(stderr) << "a start-up run failed\n";
            return 2;
        }
        formulixTimes.push_back(f);
        bareTimes.push_back(b);
    }
    const double f = formulix::bench::median(formulixTimes), b = formulix::bench::median(bareTimes);
    return formulix::bench::report(QStringLiteral("start-up to the first frame painted, %1, %2 window (median of %3)")
                                                      .arg(qEnvironmentVariable("QT_QPA_PLATFORM", QStringLiteral("xcb")), size)
                                                      .arg(runs), f,
                         QStringLiteral("bare QMainWindow with menus"), b, 1.5)
        ? 0
        : 1;
}
