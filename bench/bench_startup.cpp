// Starts the main window on a storage file with the given number of entries and prints the
// wall-clock time (ms since the epoch) at which the window was first exposed, then quits.
//   bench_startup <entries>     (HOME must point at a scratch directory)
#include "core/storagefile.h"
#include "ui/mainwindow.h"
#include "ui/prompt.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTest>

#include <cstdio>

static void initResources()
{
    Q_INIT_RESOURCE(res);
}

static void writeEntries(int count)
{
    QDir().mkpath(QFileInfo(StorageFile::path()).absolutePath());
    QStringList lines{StorageHeader::compose(count, Texts::kNone)};
    for (int i = 1; i <= count; ++i) {
        Entry e;
        e.kind = i % 2 ? Entry::Kind::Alarm : Entry::Kind::Timer;
        e.name = QStringLiteral("条目%1").arg(i);
        e.setTimeText(i % 2 ? QStringLiteral("07:30") : QStringLiteral("00:10:00"));
        e.weekdays = i % 2 ? Entry::weekdaysFromText(QStringLiteral("星期一|星期五")) : Weekdays();
        lines << e.toStoredLines(i);
    }
    QFile file(StorageFile::path());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(StorageFile::bytesOf(lines));
}

int main(int argc, char *argv[])
{
    initResources();
    const int entries = argc > 1 ? QByteArray(argv[1]).toInt() : 0;
    QApplication app(argc, argv);
    writeEntries(entries);
    const qint64 constructStart = QDateTime::currentMSecsSinceEpoch();
    MainWindow window;
    window.show();
    Prompt::centreOnDesktop(&window);
    if (!QTest::qWaitForWindowExposed(&window, 5000))
        return 1;
    std::printf("exposed_at_ms %lld construct_to_expose_ms %lld\n", QDateTime::currentMSecsSinceEpoch(),
                QDateTime::currentMSecsSinceEpoch() - constructStart);
    return 0;
}
