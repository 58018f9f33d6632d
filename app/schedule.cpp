#include "app/schedule.h"

#include "storage/storagefile.h"

#include <QDateTime>
#include <QTime>

namespace Schedule {

Hms readTime(const QString &text)
{
    // Runs for every entry twice a second: split without copying the parts.
    const QVector<QStringRef> parts = text.splitRef(QLatin1Char(':'), Qt::KeepEmptyParts, Qt::CaseSensitive);
    const auto part = [&parts](int k) {
        bool ok = false;
        const int value = k < parts.size() ? parts.at(k).toInt(&ok, 10) : 0;
        return ok ? value : 0;
    };
    Hms t;
    t.hours = part(0);
    t.minutes = part(1);
    t.seconds = part(2);
    return t;
}

static QString twoDigits(int value)
{
    return value <= 9 ? QLatin1Char('0') + QString::number(value) : QString::number(value);
}

QString formatTime(const Hms &t)
{
    return twoDigits(t.hours) + QLatin1Char(':') + twoDigits(t.minutes) + QLatin1Char(':') +
           twoDigits(t.seconds);
}

QString countDown(const QString &hms)
{
    Hms t = readTime(hms);
    if (t.hours < 0 || t.minutes < 0 || t.seconds < 0)
        return kZero; // a hand-edited negative time is simply due
    if (t.seconds != 0) {
        --t.seconds;
    } else if (t.minutes != 0) {
        --t.minutes;
        t.seconds = 59;
    } else if (t.hours != 0) {
        --t.hours;
        t.minutes = 59;
        t.seconds = 59;
    }
    return formatTime(t);
}

int weekdayNumber(const QString &name)
{
    return StorageFile::weekdayNames().indexOf(name) + 1;
}

static int candidate(int day, int alarmSeconds, int nowSeconds, int today)
{
    int diff = day - today;
    if (alarmSeconds < nowSeconds) { // its time has passed today
        const int k = diff >= 1 ? diff - 1 : diff + 6;
        return (alarmSeconds - nowSeconds) + kDay + k * kDay;
    }
    if (diff < 0)
        diff += 7;
    return diff * kDay + alarmSeconds - nowSeconds;
}

QList<int> alarmCandidates(const QStringList &repeatDays, const QString &alarmTime, int nowSeconds, int today)
{
    int days[7] = {};
    if (repeatDays.value(0) == StorageFile::kNo) {
        for (int d = 0; d < 7; ++d)
            days[d] = d + 1;
    } else {
        for (int u = 0; u < qMin(int(repeatDays.size()), 7); ++u)
            days[u] = weekdayNumber(repeatDays.at(u));
    }
    const Hms t = readTime(alarmTime);
    const int alarmSeconds = t.hours * kHour + t.minutes * 60;
    QList<int> out;
    for (int day : days) {
        if (day != 0)
            out << candidate(day, alarmSeconds, nowSeconds, today);
    }
    return out;
}

int timerCandidate(const QString &timeText)
{
    const Hms t = readTime(timeText);
    return qMax(0, t.hours * kHour + t.minutes * 60 + t.seconds);
}

NextRing nextRing(const QList<RingSource> &sources, const QTime &now, int today)
{
    const int nowSeconds = now.hour() * kHour + now.minute() * 60 + now.second();
    NextRing result;
    for (const RingSource &s : sources) {
        const QList<int> c = s.alarm ? alarmCandidates(s.repeatDays, s.time, nowSeconds, today)
                                     : QList<int>{timerCandidate(s.time)};
        for (int value : c)
            result.seconds = qMin(result.seconds, value);
        result.candidates << c;
    }
    return result;
}

QString formatDuration(int seconds)
{
    const int rest = seconds % kDay;
    return QString::number(seconds / kDay) + QStringLiteral("天") + QString::number(rest / kHour) +
           QStringLiteral("小时") + QString::number(rest % kHour / 60) + QStringLiteral("分钟") +
           QString::number(rest % 60) + QStringLiteral("秒");
}

bool skippedTimeDue(const QString &alarmTime, const QDateTime &now)
{
    const QDateTime minuteAgo = now.addSecs(-60);
    if (minuteAgo.offsetFromUtc() == now.offsetFromUtc() || minuteAgo.date() != now.date())
        return false; // no jump within the last minute
    const QTime time = QTime::fromString(alarmTime, QStringLiteral("HH:mm"));
    if (!time.isValid() || QDateTime(now.date(), time, now.timeSpec()).isValid())
        return false; // the clock shows this time today: it rings then
    return minuteAgo.time() < time && now.time() >= time;
}

} // namespace Schedule
