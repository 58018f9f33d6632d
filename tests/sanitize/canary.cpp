// Makes each sanitizer fire on purpose, so the suite can prove the sanitizer build really checks:
//   canary leaks      loses objects the way a slip in our code would, with Qt running offscreen
//   canary undefined  signed overflow, which must stop the program
//   canary address    a read from a freed heap block
#include "core/entry.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstring>

class Canary : public QObject
{
    Q_OBJECT

public slots:
    // Reached from the event loop, so the stack above it is Qt's.
    __attribute__((noinline)) void canaryLeakTimerInSlot()
    {
        auto *lost = new QTimer;
        lost->setObjectName(QStringLiteral("lost"));
        QCoreApplication::quit();
    }
};

namespace {

__attribute__((noinline)) void canaryLeakTimer()
{
    auto *lost = new QTimer;
    lost->setInterval(500);
}

__attribute__((noinline)) void canaryLeakEntry()
{
    auto *lost = new Entry;
    lost->name = QStringLiteral("起床 %1").arg(7);
}

// Overwrites the stack the allocations above used, so no stale pointer keeps them reachable.
__attribute__((noinline)) void scrubStack()
{
    volatile char scratch[8192];
    memset(const_cast<char *>(scratch), 0, sizeof scratch);
}

int leaks(int argc, char *argv[])
{
    QApplication app(argc, argv);
    canaryLeakTimer();
    canaryLeakEntry();
    Canary canary;
    QTimer::singleShot(0, &canary, SLOT(canaryLeakTimerInSlot()));
    const int result = app.exec();
    scrubStack();
    return result;
}

__attribute__((noinline)) int overflow(int value)
{
    return value + 1;
}

} // namespace

int main(int argc, char *argv[])
{
    const QByteArray what = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (what == "leaks")
        return leaks(argc, argv);
    if (what == "undefined") {
        volatile int sink = overflow(argc > 2 ? 0 : 0x7fffffff);
        (void)sink;
        return 0; // reached only if the sanitizer let the overflow pass
    }
    if (what == "address") {
        char *block = new char[8];
        std::memset(block, argc, 8);
        char *volatile freed = block; // hidden from the compiler's own use-after-free warning
        delete[] block;
        volatile char sink = freed[argc];
        (void)sink;
        return 0; // reached only if the sanitizer let the read pass
    }
    std::fprintf(stderr, "usage: canary leaks|undefined|address\n");
    return 2;
}

#include "canary.moc"
