#include "core/clock.h"

#include <time.h>

namespace SystemClock {

namespace {

struct Pinned
{
    bool on = false;
    Instant reading;
};

Pinned &pinned()
{
    static Pinned p;
    return p;
}

qint64 bootClockMs()
{
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

} // namespace

Instant now()
{
    if (pinned().on)
        return pinned().reading;
    const qint64 wallMs = QDateTime::currentMSecsSinceEpoch();
    return {QDateTime::fromMSecsSinceEpoch(wallMs), bootClockMs(), wallMs};
}

ClockReading read()
{
    if (pinned().on)
        return pinned().reading;
    return {QDateTime::currentMSecsSinceEpoch(), bootClockMs()};
}

void pin(const QDateTime &wall, qint64 bootMs)
{
    pinned().on = wall.isValid();
    pinned().reading = Instant(wall, bootMs);
}

void unpin()
{
    pinned() = Pinned();
}

bool isPinned()
{
    return pinned().on;
}

void advance(qint64 ms)
{
    pinned().reading = pinned().reading.later(ms);
}

void stepWall(qint64 ms)
{
    pinned().reading.setWall(pinned().reading.wall.addMSecs(ms));
}

void setWall(const QDateTime &wall)
{
    pinned().reading.setWall(wall);
}

QString weekdayName(Qt::DayOfWeek day)
{
    static const QString names[] = {QStringLiteral("星期一"), QStringLiteral("星期二"),
                                    QStringLiteral("星期三"), QStringLiteral("星期四"),
                                    QStringLiteral("星期五"), QStringLiteral("星期六"),
                                    QStringLiteral("星期日")};
    return int(day) >= 1 && int(day) <= 7 ? names[int(day) - 1] : QString();
}

} // namespace SystemClock
