#pragma once
// Timing and reporting shared by the benchmarks: each measures Formulix and a floor in the same
// run and prints one line with both, their ratio and the goal.

#include <QElapsedTimer>
#include <QString>
#include <QTextStream>
#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

namespace formulix::bench {

// Benchmarks run offscreen unless told otherwise, so they measure the same without a display.
inline void preferOffscreen()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The median wall time of `runs` calls, in milliseconds.
inline double medianMs(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    return median(times);
}

// The median wall times of `ours` and of `floor`, run turn about `runs` times each, so both see
// the same load of a shared machine.
inline std::pair<double, double> medianMsTurnAbout(int runs, const std::function<void()> &ours,
                                                   const std::function<void()> &floor)
{
    std::vector<double> ourTimes, floorTimes;
    for (int i = 0; i < runs; ++i) {
        ourTimes.push_back(medianMs(1, ours));
        floorTimes.push_back(medianMs(1, floor));
    }
    return {median(ourTimes), median(floorTimes)};
}

// Prints "what: formulix X ms, <floor name> Y ms, ratio R (goal <= G) PASS|FAIL"; true on PASS.
inline bool report(const QString &what, double ours, const QString &floorName, double floor, double goal,
                   const QString &unit = QStringLiteral("ms"))
{
    const double ratio = ours / floor;
    QTextStream(stdout) << QStringLiteral("%1: formulix %2 %8, %3 %4 %8, ratio %5 (goal <= %6) %7\n")
                               .arg(what)
                               .arg(ours, 0, 'f', 2)
                               .arg(floorName)
                               .arg(floor, 0, 'f', 2)
                               .arg(ratio, 0, 'f', 2)
                               .arg(goal, 0, 'f', 2)
                               .arg(ratio <= goal ? QStringLiteral("PASS") : QStringLiteral("FAIL"))
                               .arg(unit);
    return ratio <= goal;
}

} // namespace formulix::bench
