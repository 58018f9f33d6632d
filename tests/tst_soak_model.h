// What a simulated stretch of days should ring, worked out from the entries' own definitions
// and the local clock alone, so the soak never asks the program's schedule what to expect.
#ifndef TAVREL_TST_SOAK_MODEL_H
#define TAVREL_TST_SOAK_MODEL_H

#include <QDateTime>
#include <QList>
#include <QStringList>

namespace SoakModel {

// One local minute as the wall clock shows it, and the UTC instant it begins at.
struct Minute
{
    qint64 utcMs = 0;
    QDate date;
    QString hhmm;
};

// Where an expected alarm ring falls.
enum class Kind
{
    Once,     // the minute occurs exactly once: exactly one ring in it
    Repeated, // the clock went back and shows the minute twice: one ring, at its first showing
    Skipped   // the clock jumped over it: rings in the first minute after the jump
};

struct Expected
{
    int row = 0;
    Kind kind = Kind::Once;
    qint64 minuteUtcMs = 0;  // the minute it rings in
    qint64 repeatUtcMs = -1; // a repeated minute's second showing, which must stay silent
    QString label;           // "星期日 2026-03-29 02:30" for the report
};

inline QString weekdayOf(const QDate &date)
{
    static const QStringList names = {"星期一", "星期二", "星期三", "星期四", "星期五", "星期六", "星期日"};
    return names.at(date.dayOfWeek() - 1);
}

// Every minute from the one holding fromMs up to toMs, stepping the UTC instant, so a skipped
// local hour never appears and a repeated one appears twice.
inline QList<Minute> minutes(qint64 fromMs, qint64 toMs)
{
    QList<Minute> out;
    for (qint64 ms = fromMs - fromMs % 60000; ms < toMs; ms += 60000) {
        const QDateTime local = QDateTime::fromMSecsSinceEpoch(ms, Qt::LocalTime);
        out << Minute{ms, local.date(), local.toString(QStringLiteral("HH:mm"))};
    }
    return out;
}

// The rings of one alarm (time "HH:mm", repeat days "否" or "星期一|…") enabled before the
// first minute: on each listed day (every day until its first ring for "否") at its time; a
// time the clock skipped rings in the first minute after the jump; a time the clock shows twice
// rings the first time only, as a person who set it for that night expects one ring.
inline QList<Expected> alarmRings(int row, const QString &time, const QString &repeat,
                                  const QList<Minute> &all)
{
    const bool oneShot = repeat == QStringLiteral("否");
    const QStringList days = repeat.split(QLatin1Char('|'));
    QList<Expected> out;
    QList<QDate> seen; // a repeated hour passes the time a second time on the same day
    for (int j = 1; j < all.size(); ++j) {
        const Minute &m = all.at(j);
        const Minute &before = all.at(j - 1);
        if ((!oneShot && !days.contains(weekdayOf(m.date))) || seen.contains(m.date))
            continue;
        const bool reached = m.hhmm >= time && (before.hhmm < time || before.date != m.date);
        if (!reached || (before.date != m.date && m.hhmm != time))
            continue; // a window that opens after the time has not seen it pass
        Expected e{row, m.hhmm == time ? Kind::Once : Kind::Skipped, m.utcMs, -1, QString()};
        for (int k = j + 1; k < all.size() && all.at(k).date == m.date; ++k) {
            if (all.at(k).hhmm == time && all.at(k - 1).hhmm != time) {
                e.kind = Kind::Repeated; // the clock came back to this minute
                e.repeatUtcMs = all.at(k).utcMs;
            }
        }
        seen << m.date;
        e.label = weekdayOf(m.date) + m.date.toString(QStringLiteral(" yyyy-MM-dd ")) + time;
        out << e;
        if (oneShot)
            break;
    }
    return out;
}

} // namespace SoakModel

#endif // TAVREL_TST_SOAK_MODEL_H
