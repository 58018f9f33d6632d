#ifndef TAVREL_CORE_CLOCK_H
#define TAVREL_CORE_CLOCK_H

#include <QDateTime>

// One reading of the time, taken once and handed to every decision that needs it.
struct Instant
{
    Instant() = default;
    Instant(const QDateTime &wall, qint64 bootMs) : Instant(wall, bootMs, wall.toMSecsSinceEpoch()) {}
    Instant(const QDateTime &wall, qint64 bootMs, qint64 wallMs) : wall(wall), bootMs(bootMs), wallMs(wallMs)
    {
    }

    QDateTime wall;    // the local wall clock: what alarms are set against; it may step either way
    qint64 bootMs = 0; // milliseconds on a clock that never steps and runs on through suspend
    // The wall clock in milliseconds since the epoch, kept beside it: reading that from a local
    // time converts through the time zone again each time, and the scheduler reads it often.
    // Move the wall clock with setWall(), which keeps the two together.
    qint64 wallMs = 0;

    // A reading ms later on both clocks, as time passing (or a suspend) moves them.
    Instant later(qint64 ms) const { return {wall.addMSecs(ms), bootMs + ms, wallMs + ms}; }
    // The wall clock alone set to another moment.
    void setWall(const QDateTime &moment)
    {
        wall = moment;
        wallMs = moment.toMSecsSinceEpoch();
    }
};

// Both clocks in milliseconds, without the local calendar: enough for countdowns, the blink and
// the time to the next ring, and read without the time-zone conversion a local time costs.
struct ClockReading
{
    ClockReading(qint64 wallMs, qint64 bootMs) : wallMs(wallMs), bootMs(bootMs) {}
    ClockReading(const Instant &now) : wallMs(now.wallMs), bootMs(now.bootMs) {} // an Instant is one too

    qint64 wallMs = 0;
    qint64 bootMs = 0;
};

// The one place the program reads the time. Tests pin it and move it by hand.
namespace SystemClock {

// Now: the wall clock in local time and CLOCK_BOOTTIME, or the pinned reading.
Instant now();
// Now without the local time: what the half-second display needs.
ClockReading read();

// Tests only. While a reading is pinned, now() returns it; time moves only when a test says so.
void pin(const QDateTime &wall, qint64 bootMs = 1000000000);
void unpin();
bool isPinned();
void advance(qint64 ms);             // both clocks move: time passes, or the machine stalls or sleeps
void stepWall(qint64 ms);            // the wall clock alone moves, as an NTP step or a manual setting does
void setWall(const QDateTime &wall); // the wall clock alone is set to this moment

// "星期一" … "星期日" for Monday … Sunday, whatever the locale.
QString weekdayName(Qt::DayOfWeek day);

} // namespace SystemClock

#endif // TAVREL_CORE_CLOCK_H
