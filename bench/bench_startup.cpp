// Times process start until the main window is shown and idle, for Formulix and for the bare
// floor program, alternating runs so both see the same machine load.
#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTextStream>
#include <vector>

namespace {

double runOnce(const QString &program)
{
    QElapsedTimer timer;
    timer.start();
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, {});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return -1;
    return timer.nsecsElapsed() / 1e6;
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

    // Warm the file cache first so neither side pays for the first disk read.
    runOnce(formulix);
    runOnce(bare);
    std::vector<double> formulixTimes, bareTimes;
    for (int i = 0; i < runs; ++i) {
        const double f = runOnce(formulix);
        const double b = runOnce(bare);
        if (f < 0 || b < 0) {
            QTextStream(stderr) << "a start-up run failed\n";
            return 2;
        }
        formulixTimes.push_back(f);
        bareTimes.push_back(b);
    }
    const double f = formulix::bench::median(formulixTimes), b = formulix::bench::median(bareTimes);
    return formulix::bench::report(QStringLiteral("start-up to idle window (median of %1)").arg(runs), f,
                         QStringLiteral("bare Qt"), b, 1.5)
        ? 0
        : 1;
}
