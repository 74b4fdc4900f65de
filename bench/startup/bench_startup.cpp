// Start-up: the program, with a fresh home folder, the virtual unit and the
// default request delay, against the smallest Qt main window program, each
// timed from its start until its main window is first painted. Runs both in
// turn (default 15 times each, or the number given) and prints the medians:
// a machine whose speed drifts moves a median of fewer runs by several percent.
// Target: the program takes at most twice as long.
#include "controls/first_paint_probe.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr double kTarget = 2.0;
constexpr int kFirstPaintTimeoutMs = 60000;

// Milliseconds from start to the first-paint line, or -1.
double TimeToFirstPaint(const QString& program) {
    QTemporaryDir home;
    if (!home.isValid())
        return -1;
    // Only the devices are chosen, so that the program talks to its virtual
    // unit also on a machine with MIDI interfaces; all else is a first start.
    QDir(home.path()).mkpath(".config/Lumivale");
    QFile settings(home.filePath(".config/Lumivale/HRZ2000e.ini"));
    if (!settings.open(QIODevice::WriteOnly))
        return -1;
    settings.write("[SOFTWARE\\Lumivale/HRZ2000e]\n"
                   "MIDI_IN=HRZ2000 virtual unit\n"
                   "MIDI_OUT=HRZ2000 virtual unit\n");
    settings.close();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        env.remove(name);
    env.insert(kExitAtFirstPaintVariable, "1");
    if (!env.contains("DISPLAY") && !env.contains("WAYLAND_DISPLAY") &&
        !env.contains("QT_QPA_PLATFORM"))
        env.insert("QT_QPA_PLATFORM", "offscreen");

    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(program, {});
    QByteArray out;
    double ms = -1;
    while (clock.elapsed() < kFirstPaintTimeoutMs && process.state() != QProcess::NotRunning) {
        process.waitForReadyRead(100);
        out += process.readAllStandardOutput();
        if (out.contains(kFirstPaintLine)) {
            ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
            break;
        }
    }
    // What the program does after its first paint is not timed.
    process.kill();
    process.waitForFinished(10000);
    return ms;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QString(argv[1]).toInt()) : 15;
    const QString program = QStringLiteral(HRZ_PROGRAM_PATH);
    const QString minimal = QStringLiteral(HRZ_MINIMAL_PATH);

    // The ratio depends on the window system (the offscreen one makes a bare
    // window very cheap), so it is named with the figures.
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString platform = env.contains("QT_QPA_PLATFORM") ? env.value("QT_QPA_PLATFORM")
                             : env.contains("WAYLAND_DISPLAY")
                                 ? "wayland " + env.value("WAYLAND_DISPLAY")
                             : env.contains("DISPLAY") ? "X11 " + env.value("DISPLAY")
                                                       : QStringLiteral("offscreen (no display)");
    std::printf("window system: %s\n", qPrintable(platform));
    std::vector<double> programMs, minimalMs;
    // A first start of each, untimed, so that both meet warm file caches.
    TimeToFirstPaint(program);
    TimeToFirstPaint(minimal);
    for (int i = 0; i < runs; ++i) {
        const double p = TimeToFirstPaint(program);
        const double m = TimeToFirstPaint(minimal);
        if (p < 0 || m < 0) {
            std::printf("run %d: no first paint within %d s\n", i + 1, kFirstPaintTimeoutMs / 1000);
            std::printf("ratio: inf\n");
            return 1;
        }
        std::printf("run %d: program %7.1f ms   minimal main window %7.1f ms\n", i + 1, p, m);
        programMs.push_back(p);
        minimalMs.push_back(m);
    }
    const double p = Median(programMs);
    const double m = Median(minimalMs);
    const double ratio = p / m;
    std::printf("median to first paint: program %.1f ms, minimal main window %.1f ms "
                "(target ratio <= %.0f)\n",
                p, m, kTarget);
    std::printf("ratio: %.2f\n", ratio);
    return ratio <= kTarget ? 0 : 1;
}
