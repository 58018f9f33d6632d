#ifndef TAVREL_SCHEDULE_H
#define TAVREL_SCHEDULE_H

#include <QList>
#include <QString>
#include <QStringList>

class QDateTime;
class QTime;

// The arithmetic of the schedule: countdowns, weekday numbers and the time to the next ring.
// Strings and numbers only, so all of it is tested without widgets, players or a clock.
namespace Schedule {

constexpr int kDay = 86400;
constexpr int kHour = 3600;
constexpr int kWeek = 7 * kDay; // also what "nothing will ring" looks like

inline const QString kZero = QStringLiteral("00:00:00");

// Run state of an entry: idle (ringing, rung or waiting for its minute to pass), armed (waiting
// for its time), pending (just enabled; the next tick decides).
enum RunState
{
    Idle = 0,
    Armed = 1,
    Pending = 2
};

struct Hms
{
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
};

// "h:m:s" split on ":"; a missing or unreadable part counts as 0.
Hms readTime(const QString &text);

// Hours, minutes and seconds with at least two digits each ("100:05:09").
QString formatTime(const Hms &t);

// One second less: "10:00:00" -> "09:59:59", "100:00:00" -> "99:59:59". A timer that has run out
// (or reads as negative) stays at "00:00:00" instead of going below zero.
QString countDown(const QString &hms);

// "星期一" 1 ... "星期日" 7; anything else 0.
int weekdayNumber(const QString &name);

// Seconds until an alarm at alarmTime ("HH:mm") rings, one value per weekday it can ring on
// (every day for "否"), given the seconds since midnight now and today's weekday number.
QList<int> alarmCandidates(const QStringList &repeatDays, const QString &alarmTime, int nowSeconds,
                           int today);

// Seconds a timer still has to run ("HH:mm:ss"); never negative.
int timerCandidate(const QString &timeText);

// One enabled, silent entry as the next-ring computation sees it.
struct RingSource
{
    bool alarm = true;
    QString time; // alarm: the shown ring time; timer: the time still to run
    QStringList repeatDays;
};

struct NextRing
{
    QList<QList<int>> candidates; // per source, in order
    int seconds = kWeek;          // the smallest candidate below one week, else kWeek
};
NextRing nextRing(const QList<RingSource> &sources, const QTime &now, int today);

// Whether an alarm at alarmTime ("HH:mm") is due in now's minute although the clock never shows
// its time: on the day the clocks jump forward over it, it rings in the first minute after the jump.
bool skippedTimeDue(const QString &alarmTime, const QDateTime &now);

// "N天N小时N分钟N秒", plain decimals.
QString formatDuration(int seconds);

} // namespace Schedule

#endif // TAVREL_SCHEDULE_H
