#ifndef TAVREL_CORE_WALLCLOCKWATCHER_H
#define TAVREL_CORE_WALLCLOCKWATCHER_H

#include "core/clock.h"

#include <QObject>

class QSocketNotifier;

// Tells at once when the wall clock is set (NTP step, a manual change, a resume from suspend),
// so alarms are checked then and not only at the next tick. The kernel reports the setting
// through a timer file descriptor that is cancelled when the clock is set; ticks can also
// compare the wall clock against the boot clock with checkReading().
class WallClockWatcher : public QObject
{
    Q_OBJECT

public:
    explicit WallClockWatcher(QObject *parent = nullptr);
    ~WallClockWatcher() override;

    // Whether the kernel notification is in place (false on kernels without it; ticks still work).
    bool isWatching() const { return m_fd >= 0; }

    // Compares a reading with the previous one: emits wallClockChanged() and returns true when
    // the wall clock moved more than kToleranceMs against the boot clock in between.
    bool checkReading(const ClockReading &now);

    static constexpr qint64 kToleranceMs = 2000;

    // The interval for a single-shot timer (Qt::PreciseTimer) that should fire at a due time
    // msUntilDue from now: never negative, and capped so a long wait is re-armed now and then.
    static int wakeUpInterval(qint64 msUntilDue);
    static constexpr int kLongestWaitMs = 60 * 1000;

signals:
    void wallClockChanged();

private:
    void armDescriptor();
    void readDescriptor();

    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
    bool m_haveReading = false;
    qint64 m_lastOffsetMs = 0; // wall minus boot at the last reading
};

#endif // TAVREL_CORE_WALLCLOCKWATCHER_H
