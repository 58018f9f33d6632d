// Random traces of time through the scheduler, each call compared with an oracle that states the
// rules per occurrence. Ticks come late or in bursts, the machine stalls for seconds or hours,
// wakes at the edges where a ring turns late or too old, the wall clock is stepped both ways, the
// clocks change for daylight saving in three zones and the machine moves between them, entries
// are enabled, disabled, edited and snoozed at random moments.
//
// A failure names its key: TAVREL_REPLAY=<key> replays that run; TAVREL_TRACES=<n> runs more
// (or fewer) traces (for long runs raise QTEST_FUNCTION_TIMEOUT, in ms, above its five minutes);
// TAVREL_TRACE_LOG=1 prints every call.
#include "core/nextring.h"
#include "core/scheduler.h"

#include <QHash>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>

#include <algorithm>
#include <time.h>

namespace {

constexpr qint64 kMinuteMs = 60 * 1000;
constexpr qint64 kHourMs = 60 * kMinuteMs;

struct Zone
{
    const char *name;
    qint64 changesUtc[2]; // the two daylight-saving changes of 2025, seconds since the epoch
};

const Zone kZones[] = {
    {"Europe/Berlin", {1743296400, 1761440400}},       // 03-30 01:00Z, 10-26 01:00Z
    {"America/New_York", {1741503600, 1762063200}},    // 03-09 07:00Z, 11-02 06:00Z
    {"Australia/Lord_Howe", {1743865200, 1759591800}}, // 04-05 15:00Z, 10-04 15:30Z
};

// ---------------------------------------------------------------------------------------------
// The reference model: brute force, with its own reading of local time straight from the C library.

// Local wall digits of an instant as one comparable number: yyyymmddhhmm.
qint64 localDigits(qint64 ms)
{
    const time_t t = time_t(ms / 1000);
    tm parts{};
    localtime_r(&t, &parts);
    return (((qint64(parts.tm_year + 1900) * 100 + parts.tm_mon + 1) * 100 + parts.tm_mday) * 100 +
            parts.tm_hour) *
               100 +
           parts.tm_min;
}

// The first minute whose local wall time reads `date time` or later: the time itself, the end of
// a gap it falls in, or the first pass of a repeated hour.
qint64 modelOccurrence(const QDate &date, int hour, int minute)
{
    static QHash<QString, qint64> cache;
    const QString key =
        QString::fromLatin1(qgetenv("TZ")) + date.toString(Qt::ISODate) + QString::number(hour * 60 + minute);
    const auto hit = cache.constFind(key);
    if (hit != cache.constEnd())
        return *hit;
    const qint64 target =
        ((qint64(date.year()) * 100 + date.month()) * 100 + date.day()) * 10000 + hour * 100 + minute;
    qint64 u = QDateTime(date, QTime(hour, minute), Qt::UTC).toMSecsSinceEpoch() - 15 * kHourMs;
    while (localDigits(u) < target)
        u += 15 * kMinuteMs;
    qint64 first = u - 14 * kMinuteMs;
    while (localDigits(first) < target)
        first += kMinuteMs;
    cache.insert(key, first);
    return first;
}

void toggle(Weekdays &days, Qt::DayOfWeek day)
{
    if (days.contains(day))
        days.remove(day);
    else
        days.insert(day);
}

QDate localDate(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms).date();
}

// ---------------------------------------------------------------------------------------------
// The oracle: the rules stated per occurrence, sharing no step with the scheduler. At every call
// it lists, by brute force over the days, each alarm's occurrences that the wall clock reached
// since the entry's last look, and judges each on its own:
// - it rings iff the entry is enabled (a once-only alarm: and not ringing), it never rang
//   before, and it is at most twelve hours old at that call; a once-only alarm judges only the
//   first occurrence it reaches;
// - older, it is skipped: a call reports the newest skipped occurrence of each entry, and a
//   once-only alarm whose occurrence is skipped is over; a weekly alarm's report reaches back
//   eight days at most (it rings at least once a week);
// - it rings late iff it rings a minute or more after it was due;
// - an entry switched on looks from the start of the minute it is switched on in, so an alarm
//   set to the current minute rings at once; a stepped-back wall clock is looked at from there.
// A timer rings at the first call whose boot clock reached its switch-on plus its length, under
// the same twelve hours and minute. Switched off while it counts down, it is put aside with the
// boot time it still owed (none, when that time was up, yet no call had seen it): switched on
// again, it owes that much from then on. A new length, a ring or snooze that ends, or the entry
// being over, leaves it owing its whole length again. A snoozed ring rings again (marked so) at the first
// call whose boot clock reached the snooze's end, under the same rules; a once-only entry waits for nothing
// else meanwhile, a weekly alarm's next occurrence rings instead, and the stop command or an edit
// that keeps the timing calls it off as if stopped.
constexpr qint64 kTwelveHoursMs = 12 * 3600 * 1000;
constexpr qint64 kLateFromMs = 60 * 1000;
constexpr qint64 kWeeklyReportMs = 8 * 24 * qint64(3600 * 1000);

// Alarm occurrences in (after, upTo], every day of the range tried.
QVector<qint64> occurrencesBetween(const Entry &e, qint64 after, qint64 upTo)
{
    QVector<qint64> out;
    for (QDate d = localDate(after).addDays(-1); d <= localDate(upTo).addDays(1); d = d.addDays(1)) {
        if (!e.weekdays.isEmpty() && !e.weekdays.contains(Qt::DayOfWeek(d.dayOfWeek())))
            continue;
        const qint64 t = modelOccurrence(d, e.alarmTime.hour(), e.alarmTime.minute());
        if (t > after && t <= upTo)
            out << t;
    }
    std::sort(out.begin(), out.end());
    return out;
}

struct Known
{
    Entry e; // e.enabled: switched on
    bool ringing = false;
    qint64 lookedMs = 0;         // alarms: the wall reading at its last look
    qint64 deadlineBootMs = 0;   // timers
    QSet<qint64> rang;           // alarms: occurrences that rang, whatever came after
    int id = 0;                  // who it is for the doubled-ring count, whatever row it moves to
    qint64 snoozedToBootMs = -1; // snoozed: when it rings again, on the boot clock
    qint64 owedMs = -1;          // timers put aside while counting down: boot time still owed
};

class Oracle
{
public:
    QVector<Known> entries;

    // The whole list at once: every entry new.
    // The whole list at once: every entry new. Resumed after a restart, an alarm looks from now
    // on, not from the start of this minute: nobody was there to hear what passed.
    Outcome start(const QVector<Entry> &list, const Instant &now, bool resumed)
    {
        entries.clear();
        for (const Entry &e : list) {
            entries << Known{e, false, 0, 0, {}, m_nextId++};
            if (e.enabled)
                switchOn(entries.size() - 1, now);
            if (resumed)
                entries.last().lookedMs = now.wallMs;
        }
        return look(now);
    }

    Outcome add(const Entry &e, const Instant &now)
    {
        entries << Known{e, false, 0, 0, {}, m_nextId++};
        entries.last().e.enabled = false;
        if (e.enabled)
            switchOn(entries.size() - 1, now);
        return look(now);
    }

    Outcome setEnabled(int i, bool on, const Instant &now)
    {
        Outcome out;
        if (on && !entries[i].e.enabled)
            switchOn(i, now);
        else if (!on)
            switchOff(i, now, out);
        out.append(look(now));
        return out;
    }

    // Same kind, time, weekdays and length keep the entry as it is; anything else is a new entry.
    Outcome edit(int i, const Entry &e, const Instant &now)
    {
        Known &k = entries[i];
        const bool sameKind = e.kind == k.e.kind;
        const bool sameTiming =
            sameKind && (e.isTimer() ? e.timerSeconds == k.e.timerSeconds
                                     : e.alarmTime.toString("HHmm") == k.e.alarmTime.toString("HHmm") &&
                                           e.weekdays == k.e.weekdays);
        if (!sameKind) {
            k.rang.clear();
            k.id = m_nextId++;
        }
        const bool wasOn = k.e.enabled;
        k.e = e;
        k.e.enabled = wasOn;
        Outcome out;
        if (!e.enabled) {
            switchOff(i, now, out);
            if (!sameTiming) // what it owed was owed on the old length
                k.owedMs = -1;
        } else if (!wasOn || !sameTiming) {
            if (!sameTiming)
                k.owedMs = -1;
            if (k.ringing)
                out.silenced << i;
            k.snoozedToBootMs = -1;
            switchOn(i, now);
        } else if (k.snoozedToBootMs >= 0) { // the snooze is called off as by the stop command
            k.snoozedToBootMs = -1;
            if (k.e.ringsOnce())
                over(i, out);
        }
        out.append(look(now));
        return out;
    }

    Outcome soundEnded(int i, const Instant &now)
    {
        Outcome out;
        if (entries[i].ringing)
            ringEnds(i, out);
        out.append(look(now));
        return out;
    }

    // A ringing entry falls silent and rings again once ms have passed on the boot clock.
    Outcome snooze(int i, qint64 ms, const Instant &now)
    {
        Outcome out;
        if (!entries[i].ringing)
            return out;
        out.silenced << i;
        entries[i].ringing = false;
        entries[i].snoozedToBootMs = now.bootMs + ms;
        out.append(look(now));
        return out;
    }

    // Silences what rings and calls off every snooze: a once-only entry is then over.
    Outcome stop(const Instant &now)
    {
        Outcome out;
        for (int i = 0; i < entries.size(); ++i) {
            if (entries[i].ringing) {
                out.silenced << i;
                ringEnds(i, out);
            } else if (entries[i].snoozedToBootMs >= 0) {
                entries[i].snoozedToBootMs = -1;
                if (entries[i].e.ringsOnce())
                    over(i, out);
            }
        }
        out.append(look(now));
        return out;
    }

    Outcome look(const Instant &now)
    {
        Outcome out;
        for (int i = 0; i < entries.size(); ++i) {
            if (entries[i].e.isAlarm())
                lookAtAlarm(i, now, out);
            else
                lookAtTimer(i, now, out);
            ringAgain(i, now, out);
        }
        return out;
    }

private:
    void switchOn(int i, const Instant &now)
    {
        Known &k = entries[i];
        k.e.enabled = true;
        k.ringing = false;
        k.lookedMs = now.wallMs / 60000 * 60000 - 1; // every zone here is whole minutes off UTC
        const qint64 wholeMs = k.e.timerSeconds * qint64(1000);
        k.deadlineBootMs = now.bootMs + (k.owedMs >= 0 ? k.owedMs : wholeMs);
        k.owedMs = -1;
    }

    void switchOff(int i, const Instant &now, Outcome &out)
    {
        Known &k = entries[i];
        if (!k.e.enabled)
            return;
        if (k.ringing)
            out.silenced << i;
        const bool counting = k.e.isTimer() && !k.ringing && k.snoozedToBootMs < 0;
        k.owedMs = counting ? std::max<qint64>(k.deadlineBootMs - now.bootMs, 0) : -1;
        k.ringing = false;
        k.snoozedToBootMs = -1;
        k.e.enabled = false;
    }

    // A snooze that ran out rings again (sound and message, not the command), unless over twelve
    // hours late.
    void ringAgain(int i, const Instant &now, Outcome &out)
    {
        Known &k = entries[i];
        if (k.snoozedToBootMs < 0 || now.bootMs < k.snoozedToBootMs)
            return;
        const qint64 late = now.bootMs - k.snoozedToBootMs;
        k.snoozedToBootMs = -1;
        Ring ring{i, now.wall.addMSecs(-late), late >= kLateFromMs};
        if (late > kTwelveHoursMs) { // as a ring that was stopped
            out.missed << ring;
            if (k.e.ringsOnce())
                over(i, out);
            return;
        }
        ring.again = true;
        k.ringing = true;
        out.rings << ring;
    }

    void over(int i, Outcome &out)
    {
        entries[i].owedMs = -1;
        entries[i].ringing = false;
        entries[i].e.enabled = false;
        out.finished << i;
    }

    void ringEnds(int i, Outcome &out)
    {
        entries[i].ringing = false;
        if (entries[i].e.ringsOnce())
            over(i, out);
    }

    void lookAtAlarm(int i, const Instant &now, Outcome &out)
    {
        Known &k = entries[i];
        const bool once = k.e.ringsOnce();
        if (!k.e.enabled || (once && (k.ringing || k.snoozedToBootMs >= 0)))
            return;
        QVector<qint64> reached;
        for (qint64 t : occurrencesBetween(k.e, k.lookedMs, now.wallMs)) {
            if (!k.rang.contains(t) && (once || now.wallMs - t < kWeeklyReportMs))
                reached << t;
        }
        k.lookedMs = now.wallMs;
        if (once && reached.size() > 1)
            reached.resize(1);
        qint64 newestSkipped = -1;
        for (qint64 t : reached) {
            const Ring ring{i, QDateTime::fromMSecsSinceEpoch(t), now.wallMs - t >= kLateFromMs};
            if (now.wallMs - t > kTwelveHoursMs) {
                newestSkipped = t;
                continue;
            }
            k.rang.insert(t);
            k.ringing = true;
            k.snoozedToBootMs = -1; // a weekly alarm's next occurrence ends its snooze
            out.rings << ring;
        }
        if (newestSkipped < 0)
            return;
        out.missed << Ring{i, QDateTime::fromMSecsSinceEpoch(newestSkipped), true};
        if (once)
            over(i, out);
    }

    void lookAtTimer(int i, const Instant &now, Outcome &out)
    {
        Known &k = entries[i];
        if (!k.e.enabled || k.ringing || k.snoozedToBootMs >= 0 || now.bootMs < k.deadlineBootMs)
            return;
        const qint64 late = now.bootMs - k.deadlineBootMs;
        const Ring ring{i, now.wall.addMSecs(-late), late >= kLateFromMs};
        if (late > kTwelveHoursMs) {
            out.missed << ring;
            over(i, out);
            return;
        }
        k.ringing = true;
        out.rings << ring;
    }

    int m_nextId = 0;
};

// ---------------------------------------------------------------------------------------------
// Comparing outcomes

QStringList describe(const Outcome &o)
{
    QStringList out;
    for (int i : o.silenced)
        out << QStringLiteral("silence %1").arg(i);
    QStringList rings;
    for (const Ring &r : o.rings)
        rings << QStringLiteral("ring %1 %2%3%4")
                     .arg(r.entry)
                     .arg(r.due.toMSecsSinceEpoch())
                     .arg(r.late ? " late" : "", r.again ? " again" : "");
    rings.sort();
    out += rings;
    for (int i : o.finished)
        out << QStringLiteral("finish %1").arg(i);
    for (const Ring &r : o.missed)
        out << QStringLiteral("missed %1 %2").arg(r.entry).arg(r.due.toMSecsSinceEpoch());
    return out;
}

struct Tally
{
    qint64 traces = 0;
    qint64 calls = 0;
    qint64 rings = 0;
    qint64 missed = 0;          // the model rang it, the scheduler did not
    qint64 doubled = 0;         // an occurrence rang a second time
    qint64 early = 0;           // rang before it was due
    qint64 other = 0;           // any other difference from the model
    qint64 worstTickLateMs = 0; // among rings found by ordinary ticks and wake-ups
    QString firstFault;
};

class RandomTrace
{
public:
    RandomTrace(quint64 key, Tally &tally) : m_rng(key), m_tally(tally) {}

    void run()
    {
        const Zone &zone = kZones[m_rng.bounded(3)];
        qputenv("TZ", zone.name);
        tzset();
        const qint64 change = zone.changesUtc[m_rng.bounded(2)] * 1000;
        const qint64 start = change - m_rng.bounded(36 * 3600) * qint64(1000) + m_rng.bounded(1000);
        m_now = {QDateTime::fromMSecsSinceEpoch(start), 1000000 + qint64(m_rng.bounded(1000000))};
        QVector<Entry> entries;
        const int n = 1 + m_rng.bounded(5);
        for (int i = 0; i < n; ++i)
            entries << randomEntry();
        const bool resumed = m_rng.bounded(2);
        check(resumed ? m_scheduler.resumeEntries(entries, m_now) : m_scheduler.setEntries(entries, m_now),
              m_oracle.start(entries, m_now, resumed), 0, 0, resumed ? "resume" : "start");
        const int steps = 30 + m_rng.bounded(60);
        for (int k = 0; k < steps && m_tally.firstFault.isEmpty(); ++k)
            step();
        ++m_tally.traces;
    }

private:
    Entry randomEntry()
    {
        Entry e;
        e.enabled = m_rng.bounded(4) != 0;
        if (m_rng.bounded(3) == 0) {
            e.kind = Entry::Kind::Timer;
            const int pick = m_rng.bounded(10);
            e.timerSeconds = pick == 0  ? 0
                             : pick < 7 ? m_rng.bounded(3 * 3600)
                                        : m_rng.bounded(RingTime::kLongestTimer + 1);
            return e;
        }
        // Alarms near the hours the clocks change, within minutes of now, or anywhere in the day.
        const int near = m_rng.bounded(3);
        if (near == 0) {
            const QTime t = m_now.wall.time().addSecs(60 * (m_rng.bounded(21) - 10));
            e.alarmTime =
                QTime(t.hour(), t.minute(), m_rng.bounded(60)); // seconds of an alarm count for nothing
        } else {
            const int hour = near == 1 ? 1 + m_rng.bounded(3) : m_rng.bounded(24);
            e.alarmTime = QTime(hour, m_rng.bounded(4) == 0 ? 0 : m_rng.bounded(60));
        }
        const int days = m_rng.bounded(4);
        if (days == 1)
            e.weekdays = Weekdays::everyDay();
        for (int d = 1; days >= 2 && d <= 7; ++d) {
            if (m_rng.bounded(2))
                e.weekdays.insert(Qt::DayOfWeek(d));
        }
        return e;
    }

    qint64 logUniform(qint64 lo, qint64 hi)
    {
        const double x =
            std::log(double(lo)) + m_rng.generateDouble() * (std::log(double(hi)) - std::log(double(lo)));
        return qint64(std::exp(x));
    }

    void step()
    {
        const int pick = m_rng.bounded(100);
        const int n = m_scheduler.count();
        int i = m_rng.bounded(n);
        if (pick < 40) { // a burst of ticks, some of them late
            for (int t = 1 + m_rng.bounded(20); t > 0; --t)
                pass(500 + (m_rng.bounded(5) == 0 ? m_rng.bounded(3000) : 0));
        } else if (pick < 52) { // the single-shot wake-up at the next due time, or just either side
            // of where a ring turns late or too old to ring
            static const qint64 kEdges[] = {0, 59999, 60000, 12 * kHourMs, 12 * kHourMs + 1};
            const qint64 wait = m_scheduler.msUntilNextDue(m_now);
            const qint64 by = m_rng.bounded(2) ? m_rng.bounded(100) : kEdges[m_rng.bounded(5)];
            if (wait >= 0)
                pass(qMin<qint64>(wait, 20 * kHourMs) + by);
            if (m_rng.bounded(2)) // the person at the ring asks for it later
                snoozeOne(i);
        } else if (pick < 62) { // a stall or a suspend
            pass(logUniform(1000, 20 * kHourMs));
        } else if (pick < 72) { // the wall clock set, either way, rarely by more than a week
            const qint64 size = m_rng.bounded(20) == 0 ? logUniform(kHourMs, 10 * 24 * kHourMs)
                                                       : logUniform(500, 48 * kHourMs);
            const qint64 prevBoot = m_now.bootMs;
            const bool forward = m_rng.bounded(2);
            m_now.setWall(m_now.wall.addMSecs(forward ? size : -size));
            const Outcome expected = m_oracle.look(m_now);
            check(m_scheduler.advance(m_now), expected, forward ? size : 0, m_now.bootMs - prevBoot,
                  "wall step");
        } else if (pick < 82) {
            const qint64 unseen = m_rng.bounded(4) == 0 ? clickAtTimersEnd(i) : 0;
            const bool on =
                m_rng.bounded(4) == 0 ? m_oracle.entries[i].e.enabled : !m_oracle.entries[i].e.enabled;
            check(m_scheduler.setEnabled(i, on, m_now), m_oracle.setEnabled(i, on, m_now), unseen, unseen,
                  on ? "enable" : "disable");
        } else if (pick < 90) {
            edit(i);
        } else if (pick < 91) { // a row deleted or a new one added
            addOrRemove(i);
        } else if (pick < 92) { // the machine moves to another time zone
            qputenv("TZ", kZones[m_rng.bounded(3)].name);
            tzset();
            m_now.setWall(QDateTime::fromMSecsSinceEpoch(m_now.wallMs));
            check(m_scheduler.advance(m_now), m_oracle.look(m_now), 0, 0, "zone move");
        } else if (pick < 94) {
            check(m_scheduler.soundEnded(i, m_now), m_oracle.soundEnded(i, m_now), 0, 0, "sound ended");
        } else if (pick < 97) {
            snoozeOne(i);
        } else {
            check(m_scheduler.stop(m_now), m_oracle.stop(m_now), 0, 0, "stop");
        }
    }

    // The click lands between ticks, as the earliest counting timer's time is up or just after, before
    // any call has seen it: that timer becomes row i. Returns how far the clocks moved unseen.
    qint64 clickAtTimersEnd(int &i)
    {
        int first = -1;
        for (int k = 0; k < m_oracle.entries.size(); ++k) {
            const Known &o = m_oracle.entries[k];
            const bool counting = o.e.isTimer() && o.e.enabled && !o.ringing && o.snoozedToBootMs < 0;
            if (counting && (first < 0 || o.deadlineBootMs < m_oracle.entries[first].deadlineBootMs))
                first = k;
        }
        if (first < 0 || m_oracle.entries[first].deadlineBootMs - m_now.bootMs > 20 * kHourMs)
            return 0;
        const qint64 gap = std::max<qint64>(m_oracle.entries[first].deadlineBootMs - m_now.bootMs, 0) +
                           m_rng.bounded(2) * m_rng.bounded(100);
        m_now = m_now.later(gap);
        i = first;
        return gap;
    }

    // A ringing row, if any (else row i), snoozed for a few minutes.
    void snoozeOne(int i)
    {
        for (int k = 0; k < m_oracle.entries.size(); ++k)
            i = m_oracle.entries[k].ringing ? k : i;
        const qint64 ms = m_rng.bounded(2) ? 10 * kMinuteMs : 1 + m_rng.bounded(int(30 * kMinuteMs));
        check(m_scheduler.snooze(i, ms, m_now), m_oracle.snooze(i, ms, m_now), 0, 0, "snooze");
    }

    void addOrRemove(int i)
    {
        if (m_scheduler.count() > 1 && m_rng.bounded(2)) {
            m_scheduler.entryRemoved(i);
            m_oracle.entries.remove(i);
            return;
        }
        if (m_scheduler.count() >= 8)
            return;
        const Entry e = randomEntry();
        check(m_scheduler.entryAdded(e, m_now), m_oracle.add(e, m_now), 0, 0, "add");
    }

    // An edit keeps the timing (a new name, say), moves one part of it by a little, or makes
    // another entry altogether.
    void edit(int i)
    {
        Entry e = m_oracle.entries[i].e;
        const int change = m_rng.bounded(6);
        if (change == 1)
            e.alarmTime = e.alarmTime.addSecs(m_rng.bounded(2) ? 60 : 1); // a minute, or a second only
        else if (change == 2 && e.isAlarm())
            toggle(e.weekdays, Qt::DayOfWeek(1 + m_rng.bounded(7)));
        else if (change == 2)
            e.timerSeconds += m_rng.bounded(2) ? 1 : -qMin(1, e.timerSeconds);
        else if (change == 3) // the other kind, its other fields kept (an editor always has a time)
            e.kind = e.isAlarm() ? Entry::Kind::Timer : Entry::Kind::Alarm;
        if (!e.alarmTime.isValid())
            e.alarmTime = QTime(m_rng.bounded(24), m_rng.bounded(60));
        else if (change >= 4)
            e = randomEntry();
        e.name = QStringLiteral("edited %1").arg(m_rng.bounded(100));
        e.enabled = m_rng.bounded(3) != 0;
        check(m_scheduler.entryChanged(i, e, m_now), m_oracle.edit(i, e, m_now), 0, 0, "edit");
    }

    void pass(qint64 ms)
    {
        m_now = m_now.later(ms);
        check(m_scheduler.advance(m_now), m_oracle.look(m_now), ms, ms, "time passes");
    }

    // wallMs, bootMs: how far each clock moved forward since the previous call.
    void check(const Outcome &actual, const Outcome &expected, qint64 wallMs, qint64 bootMs, const char *what)
    {
        ++m_tally.calls;
        const qint64 nowMs = m_now.wall.toMSecsSinceEpoch();
        if (qEnvironmentVariableIsSet("TAVREL_TRACE_LOG")) // with TAVREL_REPLAY: what led to a fault
            qDebug("%s at %s, boot %lld: scheduler [%s], oracle [%s]", what,
                   qPrintable(m_now.wall.toString(Qt::ISODateWithMs)), m_now.bootMs,
                   qPrintable(describe(actual).join(", ")), qPrintable(describe(expected).join(", ")));
        for (const Ring &r : actual.rings) {
            ++m_tally.rings;
            const qint64 due = r.due.toMSecsSinceEpoch();
            const qint64 late = nowMs - due;
            const bool alarm = m_scheduler.entry(r.entry).isAlarm();
            if (late < 0)
                ++m_tally.early;
            const QPair<int, qint64> key(m_oracle.entries.value(r.entry).id, due);
            // A snoozed ring coming back is no new occurrence, and its moment may be one's
            if (alarm && !r.again && m_rang.contains(key))
                ++m_tally.doubled;
            if (!r.again)
                m_rang.insert(key);
            // A ring comes in the first call after it fell due (or within the minute it was enabled in).
            const qint64 bound = qMax(alarm ? wallMs : bootMs, kMinuteMs);
            if (late > bound)
                ++m_tally.other;
            if (qstrcmp(what, "time passes") == 0 && bootMs <= 3500)
                m_tally.worstTickLateMs = qMax(m_tally.worstTickLateMs, late);
        }
        // What each row is left as counts too: enabled, ringing, snoozed.
        QString rowsNow, rowsExpected;
        for (int k = 0; k < m_scheduler.count(); ++k) {
            const Known &o = m_oracle.entries[k];
            rowsNow += m_scheduler.isRinging(k)   ? 'R'
                       : m_scheduler.isSnoozed(k) ? 'S'
                       : m_scheduler.isEnabled(k) ? 'E'
                                                  : '-';
            rowsExpected += o.ringing ? 'R' : o.snoozedToBootMs >= 0 ? 'S' : o.e.enabled ? 'E' : '-';
        }
        const QStringList a = describe(actual) << QStringLiteral("rows ") + rowsNow;
        const QStringList e = describe(expected) << QStringLiteral("rows ") + rowsExpected;
        if (a == e)
            return;
        for (const QString &line : e) {
            if (line.startsWith(QLatin1String("ring")) && !a.contains(line))
                ++m_tally.missed;
        }
        for (const QString &line : a) {
            if (!e.contains(line))
                ++m_tally.other;
        }
        for (const QString &line : e) {
            if (!line.startsWith(QLatin1String("ring")) && !a.contains(line))
                ++m_tally.other;
        }
        if (m_tally.firstFault.isEmpty()) {
            m_tally.firstFault = QStringLiteral("trace %1, %2 at %3 (%4): scheduler [%5], oracle [%6]")
                                     .arg(m_tally.traces + 1)
                                     .arg(QString::fromLatin1(what), m_now.wall.toString(Qt::ISODateWithMs),
                                          QString::fromLatin1(qgetenv("TZ")), a.join(", "), e.join(", "));
        }
    }

    QRandomGenerator m_rng;
    Tally &m_tally;
    Scheduler m_scheduler;
    Oracle m_oracle;
    Instant m_now;
    QSet<QPair<int, qint64>> m_rang;
};

} // namespace

class TestSchedulerRandom : public QObject
{
    Q_OBJECT

private slots:
    void randomTraces();
};

void TestSchedulerRandom::randomTraces()
{
    const quint64 replayKey = qEnvironmentVariableIsSet("TAVREL_REPLAY")
                                  ? qgetenv("TAVREL_REPLAY").toULongLong()
                                  : QRandomGenerator::global()->generate64();
    const int traces =
        qEnvironmentVariableIsSet("TAVREL_TRACES") ? qEnvironmentVariableIntValue("TAVREL_TRACES") : 2000;
    QRandomGenerator traceKeys(replayKey);
    Tally tally;
    for (int k = 0; k < traces && tally.firstFault.isEmpty(); ++k)
        RandomTrace(traceKeys.generate64(), tally).run();
    qInfo("replay key %llu: %lld traces, %lld calls, %lld rings checked; missed %lld, doubled %lld, early "
          "%lld, "
          "other %lld; worst lateness under ordinary ticks %lld ms",
          replayKey, tally.traces, tally.calls, tally.rings, tally.missed, tally.doubled, tally.early,
          tally.other, tally.worstTickLateMs);
    const QString replay = QStringLiteral("replay key %1 (replay: TAVREL_REPLAY=%1) ").arg(replayKey);
    QVERIFY2(tally.firstFault.isEmpty(), qPrintable(replay + tally.firstFault));
    QVERIFY2(tally.missed + tally.doubled + tally.early + tally.other == 0, qPrintable(replay));
    // A tick of at most 3.5 s finds whatever fell due within it.
    QVERIFY2(tally.worstTickLateMs <= 3500, qPrintable(replay));
}

QTEST_GUILESS_MAIN(TestSchedulerRandom)
#include "tst_scheduler_random.moc"
