#ifndef TAVREL_CORE_NEXTRING_H
#define TAVREL_CORE_NEXTRING_H

#include "core/entry.h"

#include <QDateTime>
#include <QString>

// Time arithmetic of rings: when an alarm's occurrences fall in local time, and the texts of
// countdowns and of the time left to the next ring. Pure functions, tested without a clock.
namespace RingTime {

constexpr int kMinute = 60;
constexpr int kHour = 3600;
constexpr int kDay = 86400;
constexpr int kWeek = 7 * kDay; // also what "nothing will ring" looks like

// The longest timer the editor and the row show: 99:59:59.
constexpr int kLongestTimer = 99 * kHour + 59 * kMinute + 59;

// "HH:mm:ss" with at least two digits each: 5 -> "00:00:05", 360000 -> "100:00:00".
// Negative counts as 0.
QString formatCountdown(qint64 seconds);

// The seconds of "h:m:s" split on ":"; a missing or unreadable part counts as 0 and a negative
// total as 0 ("5:3" -> 18180).
qint64 countdownSeconds(const QString &text);

// "N天N小时N分钟N秒", plain decimals: 93784 -> "1天2小时3分钟4秒".
QString formatDuration(qint64 seconds);

// The moment an alarm set to `time` rings on `date`, in local time. A time the clocks skip
// (spring forward) rings at the first minute after the gap; a time they repeat (fall back)
// rings once, at its first occurrence. Seconds of `time` are ignored.
QDateTime occurrenceOn(const QDate &date, const QTime &time);

// The first occurrence strictly after `after` on one of `days` (empty: any day).
QDateTime nextOccurrence(const QTime &time, const Weekdays &days, const QDateTime &after);

} // namespace RingTime

#endif // TAVREL_CORE_NEXTRING_H
