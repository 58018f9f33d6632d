// The cost of the tick with 20 enabled entries (10 weekly alarms waiting, 10 timers counting down).
//   bench_tick ticks <n>       runs n ticks by hand and prints the median and spread in microseconds
//   bench_tick idle <seconds>  lets the real tick timer run and prints the CPU share of one core
// With BENCH_NO_ENABLE set the entries stay disabled, which gives the floor to compare with.
// Runs in a scratch HOME of its own.
#include "core/storagefile.h"
#include "ui/entryrow.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

static void initResources()
{
    Q_INIT_RESOURCE(res);
}

namespace {

void writeEntries()
{
    QDir().mkpath(QFileInfo(StorageFile::path()).absolutePath());
    QStringList lines{StorageHeader::compose(20, Texts::kNone)};
    for (int i = 0; i < 20; ++i) {
        Entry e;
        e.name = QStringLiteral("条目%1").arg(i + 1);
        if (i % 2 == 0) { // alarms in the small hours, so none rings while this runs
            e.kind = Entry::Kind::Alarm;
            e.setTimeText(QStringLiteral("03:%1").arg(i, 2, 10, QLatin1Char('0')));
            e.weekdays = Entry::weekdaysFromText(QStringLiteral("星期一|星期三|星期五|星期日"));
        } else {
            e.kind = Entry::Kind::Timer;
            e.setTimeText(QStringLiteral("99:00:00"));
        }
        lines << e.toStoredLines(i + 1);
    }
    QFile file(StorageFile::path());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(StorageFile::bytesOf(lines));
}

void enableAll(MainWindow &w)
{
    for (EntryRow *row : w.findChildren<EntryRow *>())
        row->enableBox()->click();
}

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

int runTicks(MainWindow &w, int count)
{
    std::vector<double> micros;
    QElapsedTimer clock;
    for (int n = 0; n < count; ++n) {
        clock.start();
        w.tick(); // the blinking half; the program's own timer keeps running beside it
        micros.push_back(clock.nsecsElapsed() / 1000.0);
        QCoreApplication::processEvents(); // painting happens between ticks, as in the real program
    }
    std::sort(micros.begin(), micros.end());
    std::printf("ticks=%d median_us=%.1f p90_us=%.1f max_us=%.1f\n", count, micros[micros.size() / 2],
                micros[micros.size() * 9 / 10], micros.back());
    return 0;
}

// A plain event loop, as the program runs it (QTest::qWait would poll every 10 ms).
void idleFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

int runIdle(int seconds)
{
    // Settle first: the editor dialog is built 50 ms into the event loop and is not idle work.
    idleFor(3000);
    QElapsedTimer wall;
    wall.start();
    const double before = cpuSeconds();
    idleFor(seconds * 1000);
    const double cpu = cpuSeconds() - before;
    const double elapsed = wall.elapsed() / 1000.0;
    std::printf("idle_seconds=%.1f cpu_seconds=%.3f cpu_share_of_one_core=%.3f%%\n", elapsed, cpu,
                100.0 * cpu / elapsed);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    initResources();
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/.config")));
    const QByteArray mode = argc > 1 ? argv[1] : "ticks";
    const int amount = argc > 2 ? QByteArray(argv[2]).toInt() : 2000;
    QApplication app(argc, argv);
    writeEntries();
    MainWindow w;
    w.show();
    if (!qEnvironmentVariableIsSet("BENCH_NO_ENABLE"))
        enableAll(w);
    return mode == "idle" ? runIdle(amount) : runTicks(w, amount);
}
