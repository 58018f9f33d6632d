// The scheduler driven through traces of time: ticks, stalls, clock steps, daylight-saving changes,
// sounds ending, the stop command, entries enabled and edited at awkward moments.
#include "core/clock.h"
#include "core/nextring.h"
#include "core/scheduler.h"
#include "core/wallclockwatcher.h"

#include <QCoreApplication>
#include <QLocale>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <limits>
#include <time.h>

namespace {

void useTimeZone(const char *zone)
{
    qputenv("TZ", zone);
    tzset();
}

// Monday 2025-01-06 is "Mon"; "Mon2" the Monday after. "2025-03-30" is taken as a date.
QDate dayOf(const QString &word)
{
    static const QStringList days = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    QString day = word;
    const int week = day.endsWith(QLatin1Char('2')) ? 7 : 0;
    day.remove(QLatin1Char('2'));
    if (days.contains(day))
        return QDate(2025, 1, 6).addDays(days.indexOf(day) + week);
    return QDate::fromString(word, Qt::ISODate);
}

// "A 07:30" rings once; "A 07:30 Mon,Fri" on those days; "A 07:30 daily"; "T 00:00:03" a timer.
// A trailing "off" leaves it disabled.
Entry entryFrom(const QString &description)
{
    static const QStringList days = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    const QStringList parts = description.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    Entry e;
    e.enabled = !parts.contains(QStringLiteral("off"));
    if (parts.at(0) == QLatin1String("T")) {
        e.kind = Entry::Kind::Timer;
        e.timerSeconds = int(RingTime::countdownSeconds(parts.at(1)));
        return e;
    }
    e.alarmTime = QTime::fromString(parts.at(1), QStringLiteral("HH:mm"));
    if (parts.value(2) == QLatin1String("daily"))
        e.weekdays = Weekdays::everyDay();
    else if (parts.size() > 2 && parts.at(2) != QLatin1String("off"))
        for (const QString &d : parts.at(2).split(QLatin1Char(',')))
            e.weekdays.insert(Qt::DayOfWeek(days.indexOf(d) + 1));
    return e;
}

// "90s", "2500ms", "3d1h", "71h59m".
qint64 durationMs(const QString &text)
{
    static const QRegularExpression part(QStringLiteral("(\\d+)(ms|s|m|h|d)"));
    qint64 total = 0;
    for (auto it = part.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString unit = m.captured(2);
        const qint64 scale = unit == "ms"  ? 1
                             : unit == "s" ? 1000
                             : unit == "m" ? 60000
                             : unit == "h" ? 3600000
                                           : 86400000;
        total += m.captured(1).toLongLong() * scale;
    }
    return total;
}

// Runs a trace and logs what the window would have been told, as "ring 0 07:30:00",
// "ring 0 08:10:00 late 07:30", "finish 0", "silence 0", "missed 0 Mon 07:30".
class TraceRun
{
public:
    explicit TraceRun(const QStringList &entries)
    {
        for (const QString &d : entries)
            m_entries << entryFrom(d);
    }

    QStringList run(const QString &trace)
    {
        const QStringList tokens = trace.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        m_now = {QDateTime(dayOf(tokens.at(0)), QTime::fromString(tokens.at(1), "HH:mm:ss")), 5000000};
        take(m_scheduler.setEntries(m_entries, m_now));
        for (int k = 2; k < tokens.size(); ++k)
            step(tokens.at(k));
        return m_log;
    }

    Scheduler &scheduler() { return m_scheduler; }
    void logDays() { m_withDay = true; }
    const Instant &now() const { return m_now; }

private:
    void step(const QString &t)
    {
        if (t.startsWith('+')) { // time passes, ticks every half second
            for (qint64 left = durationMs(t.mid(1)); left > 0; left -= 500)
                tick(qMin<qint64>(500, left));
        } else if (t.startsWith('-')) { // the wall clock is set back
            m_now.setWall(m_now.wall.addMSecs(-durationMs(t.mid(1))));
            take(m_scheduler.advance(m_now));
        } else if (t.startsWith(QLatin1String("jump+"))) { // the wall clock is set forward
            m_now.setWall(m_now.wall.addMSecs(durationMs(t.mid(5))));
            take(m_scheduler.advance(m_now));
        } else if (t.startsWith(QLatin1String("stall+"))) { // no tick for a while (or suspend)
            m_now = m_now.later(durationMs(t.mid(6)));
            take(m_scheduler.advance(m_now));
        } else if (t.startsWith(QLatin1String("live+"))) {
            live(durationMs(t.mid(5)));
        } else if (t.startsWith(QLatin1String("tz="))) { // the user moves to another time zone
            const qint64 ms = m_now.wall.toMSecsSinceEpoch();
            useTimeZone(t.mid(3).toLatin1().constData());
            m_now.setWall(QDateTime::fromMSecsSinceEpoch(ms));
            take(m_scheduler.advance(m_now));
        } else if (t == QLatin1String("stop")) {
            take(m_scheduler.stop(m_now));
        } else if (t.startsWith(QLatin1String("sound"))) { // a sound played once has ended
            take(m_scheduler.soundEnded(t.mid(5).toInt(), m_now));
        } else if (t.startsWith(QLatin1String("on")) || t.startsWith(QLatin1String("off"))) {
            const bool on = t.startsWith(QLatin1String("on"));
            take(m_scheduler.setEnabled(t.mid(on ? 2 : 3).toInt(), on, m_now));
        } else if (t.startsWith(QLatin1String("edit"))) { // "edit0=A_07:31_Mon", "..._off": saved disabled
            const int eq = t.indexOf('=');
            const int i = t.mid(4, eq - 4).toInt();
            Entry e = entryFrom(t.mid(eq + 1).replace('_', ' '));
            e.enabled = m_scheduler.isEnabled(i) && !t.endsWith(QLatin1String("_off"));
            take(m_scheduler.entryChanged(i, e, m_now));
        } else if (t.startsWith(QLatin1String("add="))) {
            take(m_scheduler.entryAdded(entryFrom(t.mid(4).replace('_', ' ')), m_now));
        } else if (t.startsWith(QLatin1String("remove"))) {
            m_scheduler.entryRemoved(t.mid(6).toInt());
        } else if (t.startsWith(QLatin1String("snooze"))) { // "snooze0=5m"
            const int eq = t.indexOf('=');
            take(m_scheduler.snooze(t.mid(6, eq - 6).toInt(), durationMs(t.mid(eq + 1)), m_now));
        } else if (t.startsWith(QLatin1String("state"))) { // "state0" logs "state 0 snoozed"
            logState(t.mid(5).toInt());
        } else {
            QFAIL(qPrintable(QStringLiteral("unknown trace step ") + t));
        }
    }

    // Time passing as the window sees it when idle: woken by the single-shot timer at each due
    // time, every sound lasting 0.3 s.
    void live(qint64 ms)
    {
        const qint64 end = m_now.bootMs + ms;
        while (m_now.bootMs < end) {
            const qint64 wait = m_scheduler.msUntilNextDue(m_now);
            tick(wait < 0 ? end - m_now.bootMs : qMin(wait, end - m_now.bootMs));
            const QVector<Ring> rang = m_lastRings;
            if (!rang.isEmpty())
                tick(300);
            for (const Ring &r : rang)
                take(m_scheduler.soundEnded(r.entry, m_now));
        }
    }

    void logState(int i)
    {
        const Scheduler &s = m_scheduler;
        const char *phase = s.isSnoozed(i)   ? "snoozed"
                            : s.isRinging(i) ? "ringing"
                            : s.isArmed(i)   ? "armed"
                                             : "idle";
        m_log << QStringLiteral("state %1 %2%3").arg(i).arg(phase).arg(s.isEnabled(i) ? "" : " off");
    }

    void tick(qint64 ms)
    {
        m_now = m_now.later(ms);
        take(m_scheduler.advance(m_now));
    }

    void take(const Outcome &out)
    {
        m_lastRings = out.rings;
        const QString at = m_now.wall.toString(QStringLiteral("HH:mm:ss"));
        for (int i : out.silenced)
            m_log << QStringLiteral("silence %1").arg(i);
        for (const Ring &r : out.rings) {
            QString line = QStringLiteral("ring %1 %2")
                               .arg(r.entry)
                               .arg(m_withDay ? QLocale::c().toString(m_now.wall, "ddd ") + at : at);
            if (r.late)
                line += QStringLiteral(" late ") + r.due.toString(QStringLiteral("HH:mm"));
            if (r.again)
                line += QStringLiteral(" again");
            m_log << line;
        }
        for (int i : out.finished)
            m_log << QStringLiteral("finish %1").arg(i);
        for (const Ring &r : out.missed)
            m_log << QStringLiteral("missed %1 ").arg(r.entry) +
                         QLocale::c().toString(r.due, QStringLiteral("ddd HH:mm"));
    }

    QVector<Entry> m_entries;
    Scheduler m_scheduler;
    Instant m_now;
    QStringList m_log;
    QVector<Ring> m_lastRings;
    bool m_withDay = false;
};

} // namespace

class TestScheduler : public QObject
{
    Q_OBJECT

private slots:
    void init() { useTimeZone("Europe/Berlin"); }
    void rings_data();
    void rings();
    void snooze_data();
    void snooze();
    void week_data();
    void week();
    void occurrence_data();
    void occurrence();
    void countdownTexts_data();
    void countdownTexts();
    void durationText_data();
    void durationText();
    void rowTime_data();
    void rowTime();
    void nextRing_data();
    void nextRing();
    void wakeUp_data();
    void wakeUp();
    void pinnedClock();
    void weekdayNames_data();
    void weekdayNames();
    void wallClockSteps_data();
    void wallClockSteps();
    void wakeUpInterval_data();
    void wakeUpInterval();
};

void TestScheduler::rings_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("trace");
    QTest::addColumn<QStringList>("log");

    const QStringList once = {"A 07:30"};
    const QStringList weekly = {"A 07:30 Mon,Fri"};
    const QStringList daily = {"A 07:30 daily"};

    // Plain time passing
    QTest::newRow("one-shot rings at its minute, finished when its sound ends")
        << once << "Mon 07:29:55 +10s sound0 +2m" << QStringList{"ring 0 07:30:00", "finish 0"};
    QTest::newRow("one-shot looping: rings until stop, then finished")
        << once << "Mon 07:29:55 +5m stop +2m" << QStringList{"ring 0 07:30:00", "silence 0", "finish 0"};
    QTest::newRow("weekly on a listed day") << weekly << "Fri 07:29:00 +2m" << QStringList{"ring 0 07:30:00"};
    QTest::newRow("weekly on a day not listed") << weekly << "Thu 07:29:00 +2m" << QStringList{};
    QTest::newRow("weekly: first listed day too")
        << weekly << "Mon 07:29:00 +2m" << QStringList{"ring 0 07:30:00"};
    QTest::newRow("weekly short sound: not again within the minute")
        << weekly << "Fri 07:29:59 +2s sound0 +2m" << QStringList{"ring 0 07:30:00"};
    QTest::newRow("weekly: next listed day rings with everything again")
        << weekly << "Fri 07:29:59 +2s sound0 stall+71h59m +2m"
        << QStringList{"ring 0 07:30:00", "ring 0 07:30:00"};
    QTest::newRow("weekly sound outlasting its minute: the next ring is a full ring")
        << weekly << "Fri 07:29:59 +3m sound0 stall+71h56m +2m"
        << QStringList{"ring 0 07:30:00", "ring 0 07:30:00"};
    QTest::newRow("weekly stopped in its minute: re-armed, not rung again")
        << weekly << "Fri 07:29:59 +10s stop +2m" << QStringList{"ring 0 07:30:00", "silence 0"};
    QTest::newRow("two alarms in one minute ring together in row order")
        << QStringList{"A 07:30", "A 07:30 daily"} << "Mon 07:29:59 +2s"
        << QStringList{"ring 0 07:30:00", "ring 1 07:30:00"};
    QTest::newRow("looping daily alarm left ringing rings again next day")
        << daily << "Mon 07:29:59 +2s stall+1d" << QStringList{"ring 0 07:30:00", "ring 0 07:30:01"};

    // The wall clock stepped
    QTest::newRow("set back after the ring: not again")
        << once << "Mon 07:29:55 +10s -25s +40s" << QStringList{"ring 0 07:30:00"};
    QTest::newRow("weekly set back after the ring: not again")
        << daily << "Mon 07:29:55 +10s sound0 -25s +40s" << QStringList{"ring 0 07:30:00"};
    QTest::newRow("set back a day after the ring: that occurrence never again")
        << daily << "Mon 07:29:55 +10s sound0 -1d +1m stall+23h58m +2m" << QStringList{"ring 0 07:30:00"};
    QTest::newRow("set back two days after the ring: the day between rings")
        << daily << "Mon 07:29:55 +10s sound0 -2d stall+23h58m +3m"
        << QStringList{"ring 0 07:30:00", "ring 0 07:30:00"};
    QTest::newRow("set back before it was due: rings once when due")
        << once << "Mon 07:29:30 -10m +11m" << QStringList{"ring 0 07:30:00"};
    QTest::newRow("jumped over the minute: rings late at once")
        << once << "Mon 07:29:50 jump+10m +1m" << QStringList{"ring 0 07:39:50 late 07:30"};
    QTest::newRow("jump of a few seconds into the minute: not late")
        << once << "Mon 07:29:50 jump+15s" << QStringList{"ring 0 07:30:05"};
    QTest::newRow("stalled across the minute: rings late once")
        << daily << "Mon 07:29:50 stall+3m +1m" << QStringList{"ring 0 07:32:50 late 07:30"};
    QTest::newRow("resumed eleven hours later: rings late")
        << daily << "Mon 07:00:00 stall+11h" << QStringList{"ring 0 18:00:00 late 07:30"};
    QTest::newRow("resumed thirteen hours later: missed, not rung")
        << daily << "Mon 07:00:00 stall+13h" << QStringList{"missed 0 Mon 07:30"};
    QTest::newRow("one-shot missed long ago is finished")
        << once << "Mon 07:00:00 jump+13h" << QStringList{"finish 0", "missed 0 Mon 07:30"};
    QTest::newRow("resumed three days later: only the last one is judged")
        << daily << "Mon 07:00:00 stall+3d" << QStringList{"missed 0 Wed 07:30"};
    QTest::newRow("resumed three days later within 12 h of the last: rings once")
        << daily << "Mon 07:00:00 stall+3d1h"
        << QStringList{"ring 0 08:00:00 late 07:30", "missed 0 Wed 07:30"};

    // Enabled, disabled, edited
    QTest::newRow("enabled during its minute rings at once")
        << QStringList{"A 07:30 off"} << "Mon 07:30:40 on0" << QStringList{"ring 0 07:30:40"};
    QTest::newRow("enabled after its minute: tomorrow")
        << QStringList{"A 07:30 off"} << "Mon 07:31:00 on0 +1m" << QStringList{};
    QTest::newRow("re-enabled in the minute it rang: not doubled")
        << weekly << "Mon 07:29:59 +2s sound0 off0 on0 +1m" << QStringList{"ring 0 07:30:00"};
    QTest::newRow("edited to the current minute rings")
        << QStringList{"A 08:00 Mon"} << "Mon 07:30:20 edit0=A_07:30_Mon" << QStringList{"ring 0 07:30:20"};
    QTest::newRow("name-only edit of a ringing alarm keeps it ringing")
        << weekly << "Mon 07:29:59 +2s edit0=A_07:30_Mon,Fri +1m" << QStringList{"ring 0 07:30:00"};
    QTest::newRow("retimed edit of a ringing alarm silences it")
        << weekly << "Mon 07:29:59 +2s edit0=A_09:00_Mon +1m" << QStringList{"ring 0 07:30:00", "silence 0"};
    QTest::newRow("other entry changing just before the minute changes nothing")
        << QStringList{"A 07:30 Mon,Fri", "T 00:10:00 off"} << "Mon 07:29:59 +500ms on1 off1 +2m"
        << QStringList{"ring 0 07:30:00"};
    QTest::newRow("other entry changing while it rings changes nothing")
        << QStringList{"A 07:30 Mon", "T 00:10:00 off"} << "Mon 07:29:59 +2s on1 off1 +2m"
        << QStringList{"ring 0 07:30:00"};
    QTest::newRow("disabled while ringing: silenced")
        << once << "Mon 07:29:59 +2s off0 +2m" << QStringList{"ring 0 07:30:00", "silence 0"};
    QTest::newRow("removed row: the next one moves up and keeps its time")
        << QStringList{"A 07:00", "A 07:30"} << "Mon 07:20:00 remove0 +11m" << QStringList{"ring 0 07:30:00"};
    QTest::newRow("added entry for the current minute rings")
        << QStringList{} << "Mon 07:30:10 add=A_07:30" << QStringList{"ring 0 07:30:10"};

    // Timers
    QTest::newRow("timer rings after its duration")
        << QStringList{"T 00:00:03"} << "Mon 07:00:00 +2500ms +1s" << QStringList{"ring 0 07:00:03"};
    QTest::newRow("timer finished when its sound ends")
        << QStringList{"T 00:00:03"} << "Mon 07:00:00 +4s sound0 +2s"
        << QStringList{"ring 0 07:00:03", "finish 0"};
    QTest::newRow("looping timer rings until stop")
        << QStringList{"T 00:00:03"} << "Mon 07:00:00 +1m stop"
        << QStringList{"ring 0 07:00:03", "silence 0", "finish 0"};
    QTest::newRow("zero timer rings when enabled")
        << QStringList{"T 00:00:00 off"} << "Mon 07:00:00 on0" << QStringList{"ring 0 07:00:00"};
    QTest::newRow("timer edited to zero after its ring rings again")
        << QStringList{"T 00:00:03"} << "Mon 07:00:00 +4s edit0=T_00:00:00"
        << QStringList{"ring 0 07:00:03", "silence 0", "ring 0 07:00:04"};
    QTest::newRow("timer retimed while counting starts its full new length")
        << QStringList{"T 00:01:00"} << "Mon 07:00:00 +50s edit0=T_00:00:20 +21s"
        << QStringList{"ring 0 07:01:10"};
    QTest::newRow("timer edited but not retimed keeps counting")
        << QStringList{"T 00:01:00"} << "Mon 07:00:00 +30s edit0=T_00:01:00 +31s"
        << QStringList{"ring 0 07:01:00"};
    QTest::newRow("wall clock steps never move a timer")
        << QStringList{"T 00:01:00"} << "Mon 07:00:00 +20s -1h +20s jump+3h +21s"
        << QStringList{"ring 0 09:01:00"};
    QTest::newRow("a stall does not lengthen a timer")
        << QStringList{"T 00:01:00"} << "Mon 07:00:00 stall+3m" << QStringList{"ring 0 07:03:00 late 07:01"};
    QTest::newRow("timer over a day long")
        << QStringList{"T 30:00:00"} << "Mon 07:00:00 stall+29h59m +61s" << QStringList{"ring 0 13:00:00"};
    QTest::newRow("longest timer") << QStringList{"T 99:59:59"} << "Mon 07:00:00 stall+99h59m +60s"
                                   << QStringList{"ring 0 10:59:59"};

    // A timer disabled while counting down pauses; what was left is kept to the millisecond
    QTest::newRow("timer re-enabled counts on from what was left")
        << QStringList{"T 00:01:00"} << "Mon 07:00:00 +50500ms off0 +30s on0 +9500ms"
        << QStringList{"ring 0 07:01:30"};
    QTest::newRow("timer paused twice")
        << QStringList{"T 00:01:00"} << "Mon 07:00:00 +20s off0 +1m on0 +20s off0 +1m on0 +19s +1s"
        << QStringList{"ring 0 07:03:00"};
    QTest::newRow("timer paused through a suspend and a clock step")
        << QStringList{"T 00:01:00"} << "Mon 07:00:00 +50s off0 stall+3h -1h on0 +9500ms +500ms"
        << QStringList{"ring 0 09:01:00"};
    QTest::newRow("paused timer renamed keeps what was left")
        << QStringList{"T 00:01:00"} << "Mon 07:00:00 +50s off0 edit0=T_00:01:00 on0 +10s"
        << QStringList{"ring 0 07:01:00"};
    QTest::newRow("paused timer given another duration starts it in full")
        << QStringList{"T 00:01:00"} << "Mon 07:00:00 +50s off0 edit0=T_00:00:20 on0 +19500ms +500ms"
        << QStringList{"ring 0 07:01:10"};
    QTest::newRow("counting timer given another duration and saved disabled starts it in full")
        << QStringList{"T 00:01:00"} << "Mon 07:00:00 +50s edit0=T_00:00:20_off on0 +19500ms +500ms"
        << QStringList{"ring 0 07:01:10"};
    QTest::newRow("alarm made a timer and saved disabled runs its length")
        << QStringList{"A 08:00 Mon"} << "Mon 07:00:00 +1s edit0=T_00:00:20_off on0 +19500ms +500ms"
        << QStringList{"ring 0 07:00:21"};
    QTest::newRow("after its ring ended a timer starts in full")
        << QStringList{"T 00:00:03"} << "Mon 07:00:00 +4s sound0 on0 +2500ms +500ms"
        << QStringList{"ring 0 07:00:03", "finish 0", "ring 0 07:00:07"};
    QTest::newRow("disabled while ringing a timer starts in full")
        << QStringList{"T 00:00:03"} << "Mon 07:00:00 +4s off0 on0 +2500ms +500ms"
        << QStringList{"ring 0 07:00:03", "silence 0", "ring 0 07:00:07"};

    QTest::newRow("moved to another time zone: rings at its time there")
        << daily << "Mon 06:00:00 tz=America/New_York live+8h" << QStringList{"ring 0 07:30:00"};
    // Its 07:30 there passed before the move in real time: it is not a skipped ring.
    QTest::newRow("moved east past its time: the next day")
        << daily << "Mon 06:00:00 tz=Asia/Tokyo live+18h" << QStringList{"ring 0 07:30:00"};

    // Daylight saving in Berlin
    QTest::newRow("alarm in the skipped hour rings when the gap ends")
        << QStringList{"A 02:30 daily"} << "2025-03-30 01:59:00 +2m" << QStringList{"ring 0 03:00:00"};
    QTest::newRow("alarm at the gap's end rings then")
        << QStringList{"A 03:00 daily"} << "2025-03-30 01:59:00 +2m" << QStringList{"ring 0 03:00:00"};
    QTest::newRow("alarm in the repeated hour rings once")
        << QStringList{"A 02:30 daily"} << "2025-10-26 01:59:00 +3h" << QStringList{"ring 0 02:30:00"};
    QTest::newRow("one-shot enabled in the repeated hour's first pass rings")
        << QStringList{"A 02:30 off"} << "2025-10-26 01:59:00 stall+31m on0 +2h"
        << QStringList{"ring 0 02:30:00"};
    // Its one occurrence lay an hour earlier, so the second pass of its minute does not ring it.
    QTest::newRow("one-shot enabled in the second pass: tomorrow")
        << QStringList{"A 02:30 off"} << "2025-10-26 01:59:00 stall+1h31m on0 +2m" << QStringList{};
    QTest::newRow("timer across the change runs its real length")
        << QStringList{"T 01:00:00"} << "2025-03-30 01:30:00 +61m" << QStringList{"ring 0 03:30:00"};
}

void TestScheduler::rings()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, trace);
    QFETCH(QStringList, log);
    TraceRun run(entries);
    QCOMPARE(run.run(trace), log);
}

void TestScheduler::snooze_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("trace");
    QTest::addColumn<QStringList>("log");

    const QStringList once = {"A 07:30"};
    const QStringList weekly = {"A 07:30 Mon,Fri"};
    const QStringList daily = {"A 07:30 daily"};
    const QStringList timer = {"T 00:00:03"};
    const QStringList rangOnce = {"ring 0 07:30:00", "silence 0"};

    // Each kind rings again after the length; once-only ones end with their last ring
    QTest::newRow("one-shot: again, finished when that ring ends")
        << once << "Mon 07:29:59 +2s snooze0=5m state0 +4m59s state0 +1s state0 sound0 +1m"
        << rangOnce + QStringList{"state 0 snoozed", "state 0 snoozed", "ring 0 07:35:01 again",
                                  "state 0 ringing", "finish 0"};
    QTest::newRow("one-shot snoozed twice: finished only after the last")
        << once << "Mon 07:29:59 +2s snooze0=5m +5m snooze0=1m +1m stop +1m"
        << rangOnce + QStringList{"ring 0 07:35:01 again", "silence 0", "ring 0 07:36:01 again", "silence 0",
                                  "finish 0"};
    QTest::newRow("weekly: again, then armed for its next day")
        << weekly << "Mon 07:29:59 +2s snooze0=5m +5m sound0 state0 stall+3d23h53m +2m"
        << rangOnce + QStringList{"ring 0 07:35:01 again", "state 0 armed", "ring 0 07:30:00"};
    QTest::newRow("timer: again, finished when stopped")
        << timer << "Mon 07:00:00 +4s snooze0=1m +1m stop +10s"
        << QStringList{"ring 0 07:00:03", "silence 0", "ring 0 07:01:04 again", "silence 0", "finish 0"};

    // Cancelled
    QTest::newRow("one-shot snoozed then stopped: finished")
        << once << "Mon 07:29:59 +2s snooze0=5m stop +10m" << rangOnce + QStringList{"finish 0"};
    QTest::newRow("weekly snoozed then stopped: armed, not again")
        << weekly << "Mon 07:29:59 +2s snooze0=5m stop state0 +10m"
        << rangOnce + QStringList{"state 0 armed"};
    QTest::newRow("snoozed then disabled: not again")
        << once << "Mon 07:29:59 +2s snooze0=5m off0 state0 +10m"
        << rangOnce + QStringList{"state 0 idle off"};
    QTest::newRow("timer snoozed, disabled, enabled: its full length, not again")
        << timer << "Mon 07:00:00 +4s snooze0=1m off0 on0 +4s"
        << QStringList{"ring 0 07:00:03", "silence 0", "ring 0 07:00:07"};
    QTest::newRow("one-shot snoozed then renamed: finished")
        << once << "Mon 07:29:59 +2s snooze0=5m edit0=A_07:30 +10m" << rangOnce + QStringList{"finish 0"};
    QTest::newRow("weekly snoozed then renamed: armed, not again")
        << weekly << "Mon 07:29:59 +2s snooze0=5m edit0=A_07:30_Mon,Fri state0 +10m"
        << rangOnce + QStringList{"state 0 armed"};
    QTest::newRow("snoozed then retimed: a fresh entry")
        << once << "Mon 07:29:59 +2s snooze0=5m edit0=A_07:40 +10m"
        << rangOnce + QStringList{"ring 0 07:40:00"};
    QTest::newRow("timer snoozed then retimed: its new length")
        << timer << "Mon 07:00:00 +4s snooze0=1m edit0=T_00:00:05 +6s"
        << QStringList{"ring 0 07:00:03", "silence 0", "ring 0 07:00:09"};
    QTest::newRow("snoozed row deleted: gone")
        << QStringList{"A 07:30", "A 08:00"} << "Mon 07:29:59 +2s snooze0=5m remove0 state0 +10m"
        << rangOnce + QStringList{"state 0 armed"};
    QTest::newRow("row above deleted: the snoozed one moves up and rings again")
        << QStringList{"A 07:00", "A 07:30"} << "Mon 07:29:59 +2s snooze1=5m remove0 state0 +5m"
        << QStringList{"ring 1 07:30:00", "silence 1", "state 0 snoozed", "ring 0 07:35:01 again"};

    // A weekly alarm's next occurrence while it waits rings as a normal ring and ends the snooze
    QTest::newRow("daily: next occurrence during a long snooze")
        << daily << "Mon 07:29:59 +2s snooze0=24h stall+23h59m +2m"
        << rangOnce + QStringList{"ring 0 07:30:00"};
    QTest::newRow("daily: suspended through the snooze and the next occurrence")
        << daily << "Mon 07:29:59 +2s snooze0=10m stall+1d +20m" << rangOnce + QStringList{"ring 0 07:30:01"};

    // The wait keeps time on the boot clock
    QTest::newRow("wall clock set back while snoozed")
        << once << "Mon 07:29:59 +2s snooze0=5m -1h +5m" << rangOnce + QStringList{"ring 0 06:35:01 again"};
    QTest::newRow("wall clock set forward while snoozed")
        << once << "Mon 07:29:59 +2s snooze0=5m jump+3h +4m59s +1s"
        << rangOnce + QStringList{"ring 0 10:35:01 again"};
    QTest::newRow("daily set back while snoozed: its rung occurrence stays rung")
        << daily << "Mon 07:29:59 +2s snooze0=5m -1h +5m sound0 +2h"
        << rangOnce + QStringList{"ring 0 06:35:01 again"};
    QTest::newRow("stall across the snooze: again, late")
        << once << "Mon 07:29:59 +2s snooze0=5m stall+20m"
        << rangOnce + QStringList{"ring 0 07:50:01 late 07:35 again"};
    QTest::newRow("suspended thirteen hours while snoozed: missed")
        << once << "Mon 07:29:59 +2s snooze0=5m stall+13h"
        << rangOnce + QStringList{"finish 0", "missed 0 Mon 07:35"};

    // Nothing to snooze
    QTest::newRow("not ringing yet: nothing")
        << once << "Mon 07:00:00 snooze0=5m +31m" << QStringList{"ring 0 07:30:00"};
    QTest::newRow("already stopped: nothing")
        << once << "Mon 07:29:59 +2s stop snooze0=5m +10m" << rangOnce + QStringList{"finish 0"};
    QTest::newRow("already snoozed: the first snooze holds")
        << once << "Mon 07:29:59 +2s snooze0=5m snooze0=20m +5m"
        << rangOnce + QStringList{"ring 0 07:35:01 again"};
}

void TestScheduler::snooze()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, trace);
    QFETCH(QStringList, log);
    TraceRun run(entries);
    QCOMPARE(run.run(trace), log);
}

void TestScheduler::week_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("trace");
    QTest::addColumn<QStringList>("log");
    QTest::newRow("a week and a day")
        << QStringList{"A 07:30 Mon,Fri"} << "Mon 00:00:00 live+8d"
        << QStringList{"ring 0 Mon 07:30:00", "ring 0 Fri 07:30:00", "ring 0 Mon 07:30:00"};
    QTest::newRow("every day of a week")
        << QStringList{"A 07:30 daily"} << "Mon 00:00:00 live+7d"
        << QStringList{"ring 0 Mon 07:30:00", "ring 0 Tue 07:30:00", "ring 0 Wed 07:30:00",
                       "ring 0 Thu 07:30:00", "ring 0 Fri 07:30:00", "ring 0 Sat 07:30:00",
                       "ring 0 Sun 07:30:00"};
    QTest::newRow("weekend alarm over the working week")
        << QStringList{"A 07:30 Sat,Sun"} << "Mon 00:00:00 live+5d" << QStringList{};
    QTest::newRow("once: rings, then finished")
        << QStringList{"A 07:30"} << "Mon 07:00:00 live+2d" << QStringList{"ring 0 Mon 07:30:00", "finish 0"};
    QTest::newRow("once, enabled after its time: the next day")
        << QStringList{"A 07:30"} << "Mon 08:00:00 live+2d" << QStringList{"ring 0 Tue 07:30:00", "finish 0"};
    QTest::newRow("alarms and timers interleaved")
        << QStringList{"A 07:30 Mon", "T 00:45:00", "A 07:15"} << "Mon 06:50:00 live+1h"
        << QStringList{"ring 2 Mon 07:15:00", "finish 2", "ring 0 Mon 07:30:00", "ring 1 Mon 07:35:00",
                       "finish 1"};
    QTest::newRow("across the spring change, every day")
        << QStringList{"A 02:30 daily"} << "2025-03-29 00:00:00 live+3d"
        << QStringList{"ring 0 Sat 02:30:00", "ring 0 Sun 03:00:00", "ring 0 Mon 02:30:00"};
    QTest::newRow("across the autumn change, every day")
        << QStringList{"A 02:30 daily"} << "2025-10-25 00:00:00 live+3d"
        << QStringList{"ring 0 Sat 02:30:00", "ring 0 Sun 02:30:00", "ring 0 Mon 02:30:00"};
}

void TestScheduler::week()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, trace);
    QFETCH(QStringList, log);
    TraceRun run(entries);
    run.logDays();
    QCOMPARE(run.run(trace), log);
}

void TestScheduler::occurrence_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("utc");

    QTest::newRow("Berlin winter") << QByteArray("Europe/Berlin") << QDate(2025, 1, 6) << QTime(7, 30)
                                   << "2025-01-06T06:30:00Z";
    QTest::newRow("Berlin gap") << QByteArray("Europe/Berlin") << QDate(2025, 3, 30) << QTime(2, 30)
                                << "2025-03-30T01:00:00Z";
    QTest::newRow("Berlin gap start")
        << QByteArray("Europe/Berlin") << QDate(2025, 3, 30) << QTime(2, 0) << "2025-03-30T01:00:00Z";
    QTest::newRow("Berlin repeated hour: first")
        << QByteArray("Europe/Berlin") << QDate(2025, 10, 26) << QTime(2, 30) << "2025-10-26T00:30:00Z";
    QTest::newRow("Berlin after the repeat")
        << QByteArray("Europe/Berlin") << QDate(2025, 10, 26) << QTime(3, 0) << "2025-10-26T02:00:00Z";
    QTest::newRow("New York gap") << QByteArray("America/New_York") << QDate(2025, 3, 9) << QTime(2, 15)
                                  << "2025-03-09T07:00:00Z";
    QTest::newRow("New York repeated hour")
        << QByteArray("America/New_York") << QDate(2025, 11, 2) << QTime(1, 30) << "2025-11-02T05:30:00Z";
    QTest::newRow("Lord Howe half-hour gap")
        << QByteArray("Australia/Lord_Howe") << QDate(2025, 10, 5) << QTime(2, 10) << "2025-10-04T15:30:00Z";
    QTest::newRow("Lord Howe repeated half hour")
        << QByteArray("Australia/Lord_Howe") << QDate(2025, 4, 6) << QTime(1, 45) << "2025-04-05T14:45:00Z";
    QTest::newRow("seconds ignored") << QByteArray("UTC") << QDate(2025, 1, 6) << QTime(7, 30, 59)
                                     << "2025-01-06T07:30:00Z";
}

void TestScheduler::occurrence()
{
    QFETCH(QByteArray, zone);
    QFETCH(QDate, date);
    QFETCH(QTime, time);
    QFETCH(QString, utc);
    useTimeZone(zone.constData());
    QCOMPARE(RingTime::occurrenceOn(date, time).toUTC().toString(Qt::ISODate), utc);
}

void TestScheduler::countdownTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("shown");
    QTest::newRow("ten hours") << "10:00:00" << qint64(36000) << "10:00:00";
    QTest::newRow("three-digit hours") << "100:00:00" << qint64(360000) << "100:00:00";
    QTest::newRow("largest count") << "2562047788015215:30:07" << std::numeric_limits<qint64>::max()
                                   << "2562047788015215:30:07";
    QTest::newRow("longest timer") << "99:59:59" << qint64(359999) << "99:59:59";
    QTest::newRow("a day and more") << "24:00:01" << qint64(86401) << "24:00:01";
    QTest::newRow("minutes") << "00:01:00" << qint64(60) << "00:01:00";
    QTest::newRow("missing seconds count as 0") << "5:3" << qint64(18180) << "05:03:00";
    QTest::newRow("extra part ignored") << "1:2:3:4" << qint64(3723) << "01:02:03";
    QTest::newRow("unreadable hours count as 0") << "xx:10:00" << qint64(600) << "00:10:00";
    QTest::newRow("minutes above 59 carried") << "00:75:00" << qint64(4500) << "01:15:00";
    QTest::newRow("empty") << "" << qint64(0) << "00:00:00";
    QTest::newRow("garbage") << "abc" << qint64(0) << "00:00:00";
    QTest::newRow("negative") << "-1:00:00" << qint64(0) << "00:00:00";
}

void TestScheduler::countdownTexts()
{
    QFETCH(QString, text);
    QFETCH(qint64, seconds);
    QFETCH(QString, shown);
    QCOMPARE(RingTime::countdownSeconds(text), seconds);
    QCOMPARE(RingTime::formatCountdown(seconds), shown);
}

void TestScheduler::durationText_data()
{
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << qint64(0) << "0天0小时0分钟0秒";
    QTest::newRow("every unit") << qint64(93784) << "1天2小时3分钟4秒";
    QTest::newRow("just under a week") << qint64(604799) << "6天23小时59分钟59秒";
    QTest::newRow("a week: nothing") << qint64(RingTime::kWeek) << "7天0小时0分钟0秒";
    QTest::newRow("two digits each") << qint64(900610) << "10天10小时10分钟10秒";
    QTest::newRow("hundreds of days") << qint64(123 * 86400 + 59) << "123天0小时0分钟59秒";
}

void TestScheduler::durationText()
{
    QFETCH(qint64, seconds);
    QFETCH(QString, text);
    QCOMPARE(RingTime::formatDuration(seconds), text);
}

void TestScheduler::rowTime_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("trace");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("alarm shows its time")
        << QStringList{"A 07:30 Mon"} << "Mon 06:00:00" << QStringList{"07:30"};
    QTest::newRow("timer counts down by elapsed time")
        << QStringList{"T 00:00:03"} << "Mon 07:00:00 +1s" << QStringList{"00:00:02"};
    QTest::newRow("half a second in still shows the full second")
        << QStringList{"T 00:00:03"} << "Mon 07:00:00 +500ms" << QStringList{"00:00:03"};
    QTest::newRow("ringing timer shows zero")
        << QStringList{"T 00:00:03"} << "Mon 07:00:00 +5s" << QStringList{"00:00:00"};
    QTest::newRow("finished timer shows its duration again")
        << QStringList{"T 00:00:03"} << "Mon 07:00:00 +5s sound0" << QStringList{"00:00:03"};
    QTest::newRow("stopped timer shows its duration again")
        << QStringList{"T 00:00:03"} << "Mon 07:00:00 +5s stop" << QStringList{"00:00:03"};
    QTest::newRow("disabled while counting keeps what was left")
        << QStringList{"T 00:10:00"} << "Mon 07:00:00 +61s off0 +10s" << QStringList{"00:08:59"};
    QTest::newRow("snoozed timer shows zero")
        << QStringList{"T 00:00:03"} << "Mon 07:00:00 +5s snooze0=5m +1m" << QStringList{"00:00:00"};
    QTest::newRow("re-enabled counts on from what was left")
        << QStringList{"T 00:10:00"} << "Mon 07:00:00 +61s off0 +10s on0 +1s" << QStringList{"00:08:58"};
    QTest::newRow("paused and given another duration shows it")
        << QStringList{"T 00:10:00"} << "Mon 07:00:00 +61s off0 edit0=T_00:05:00" << QStringList{"00:05:00"};
    QTest::newRow("disabled while ringing shows its duration")
        << QStringList{"T 00:00:03"} << "Mon 07:00:00 +5s off0" << QStringList{"00:00:03"};
    QTest::newRow("long timer after a stall")
        << QStringList{"T 99:59:59"} << "Mon 07:00:00 stall+50h" << QStringList{"49:59:59"};
    QTest::newRow("second timer enabled keeps the first one's time")
        << QStringList{"T 00:10:00", "T 00:05:00 off"} << "Mon 07:00:00 +60s on1 +1s"
        << QStringList{"00:08:59", "00:04:59"};
    QTest::newRow("edited alarm shows its new time")
        << QStringList{"A 07:30 Mon"} << "Mon 06:00:00 edit0=A_08:15_Mon +1s" << QStringList{"08:15"};
    QTest::newRow("alarm turned into a timer shows the duration")
        << QStringList{"A 07:30 Mon"} << "Mon 06:00:00 edit0=T_00:00:09 +1s" << QStringList{"00:00:08"};
    QTest::newRow("timer turned into an alarm shows its time")
        << QStringList{"T 00:00:09"} << "Mon 06:00:00 edit0=A_09:05_Mon +1s" << QStringList{"09:05"};
    QTest::newRow("added alarm shows its time")
        << QStringList{"T 00:00:09"} << "Mon 06:00:00 add=A_10:45_Mon" << QStringList{"00:00:09", "10:45"};
    QTest::newRow("rows below a removed one keep their own times")
        << QStringList{"A 07:30 Mon", "A 08:40 Mon", "A 09:50 Mon"} << "Mon 06:00:00 remove0"
        << QStringList{"08:40", "09:50"};
}

void TestScheduler::rowTime()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, trace);
    QFETCH(QStringList, rows);
    TraceRun run(entries);
    run.run(trace);
    QStringList shown;
    for (int i = 0; i < run.scheduler().count(); ++i)
        shown << run.scheduler().rowTime(i, run.now());
    QCOMPARE(shown, rows);
}

void TestScheduler::nextRing_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("trace");
    QTest::addColumn<QString>("text");
    // Mon 2025-01-06; "Wed" two days later.
    QTest::newRow("09:00 on Wednesday, now Wednesday 10:00") << QStringList{"A 09:00 Wed"} << "Wed 10:00:00"
                                                             << "6天23小时0分钟0秒";
    QTest::newRow("11:30 once, now 10:00") << QStringList{"A 11:30"} << "Wed 10:00:00"
                                           << "0天1小时30分钟0秒";
    QTest::newRow("timer of ten minutes") << QStringList{"T 00:10:00"} << "Wed 10:00:00"
                                          << "0天0小时10分钟0秒";
    QTest::newRow("timer of 168 hours: nothing") << QStringList{"T 168:00:00"} << "Wed 10:00:00"
                                                 << "7天0小时0分钟0秒";
    QTest::newRow("timer just under a week") << QStringList{"T 167:59:59"} << "Wed 10:00:00"
                                             << "6天23小时59分钟59秒";
    QTest::newRow("nothing enabled") << QStringList{"A 11:00 off"} << "Wed 10:00:00"
                                     << "7天0小时0分钟0秒";
    QTest::newRow("ringing entry ignored") << QStringList{"A 10:00 Wed"} << "Wed 10:00:00"
                                           << "7天0小时0分钟0秒";
    QTest::newRow("a minute after its ring: next week")
        << QStringList{"A 10:00 Wed"} << "Wed 10:00:00 stop +1m"
        << "6天23小时59分钟0秒";
    QTest::newRow("half a second before: rounded up") << QStringList{"A 10:30 Wed"} << "Wed 10:00:00 +500ms"
                                                      << "0天0小时30分钟0秒";
    QTest::newRow("tomorrow, earlier in the day") << QStringList{"A 09:00 Thu"} << "Wed 10:00:00"
                                                  << "0天23小时0分钟0秒";
    QTest::newRow("earlier weekday wraps into next week") << QStringList{"A 11:00 Mon"} << "Wed 10:00:00"
                                                          << "5天1小时0分钟0秒";
    QTest::newRow("Sunday night to Monday morning") << QStringList{"A 07:00 Mon"} << "Sun 23:00:00"
                                                    << "0天8小时0分钟0秒";
    QTest::newRow("smallest of several")
        << QStringList{"A 07:30 Mon,Fri", "T 02:00:00", "A 12:00"} << "Thu 08:00:00"
        << "0天2小时0分钟0秒";
    QTest::newRow("a snoozed one-shot: its snooze")
        << QStringList{"A 10:00"} << "Wed 10:00:00 snooze0=10m +1s"
        << "0天0小时9分钟59秒";
    QTest::newRow("a snoozed weekly alarm: its snooze, not next week")
        << QStringList{"A 10:00 Wed"} << "Wed 10:00:00 snooze0=10m"
        << "0天0小时10分钟0秒";
    QTest::newRow("across the spring change: real time")
        << QStringList{"A 04:00 daily"} << "2025-03-30 01:00:00"
        << "0天2小时0分钟0秒";
}

void TestScheduler::nextRing()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, trace);
    QFETCH(QString, text);
    TraceRun run(entries);
    run.run(trace);
    QCOMPARE(RingTime::formatDuration(run.scheduler().secondsToNextRing(run.now())), text);
}

void TestScheduler::wakeUp_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("trace");
    QTest::addColumn<qint64>("ms");
    QTest::newRow("nothing armed") << QStringList{"A 07:30 off"} << "Mon 07:00:00" << qint64(-1);
    QTest::newRow("alarm a quarter second away")
        << QStringList{"A 07:30"} << "Mon 07:29:59 +250ms" << qint64(750);
    QTest::newRow("timer") << QStringList{"T 00:00:10", "A 07:30"} << "Mon 07:00:00 +2500ms" << qint64(7500);
    QTest::newRow("ringing weekly alarm: its next week")
        << QStringList{"A 07:30 Mon"} << "Mon 07:30:00" << qint64(7 * 86400000LL);
    QTest::newRow("ringing one-shot: nothing") << QStringList{"A 07:30"} << "Mon 07:30:00" << qint64(-1);
    QTest::newRow("snoozed one-shot: its snooze")
        << QStringList{"A 07:30"} << "Mon 07:30:00 snooze0=10m +1s" << qint64(599000);
    QTest::newRow("snoozed timer: its snooze")
        << QStringList{"T 00:00:03"} << "Mon 07:00:00 +3s snooze0=5m +2500ms" << qint64(297500);
    QTest::newRow("snoozed weekly alarm: its snooze, not next week")
        << QStringList{"A 07:30 Mon"} << "Mon 07:30:00 snooze0=10m" << qint64(600000);
}

void TestScheduler::wakeUp()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, trace);
    QFETCH(qint64, ms);
    TraceRun run(entries);
    run.run(trace);
    QCOMPARE(run.scheduler().msUntilNextDue(run.now()), ms);
}

void TestScheduler::pinnedClock()
{
    const QDateTime start(QDate(2025, 3, 30), QTime(1, 59, 30));
    SystemClock::pin(start, 1000);
    SystemClock::advance(60000); // across the spring change: both clocks move by real time
    QCOMPARE(SystemClock::now().wall, start.addSecs(60));
    QCOMPARE(SystemClock::now().wall.time(), QTime(3, 0, 30));
    QCOMPARE(SystemClock::now().bootMs, qint64(61000));
    SystemClock::stepWall(-25000); // the wall clock alone
    QCOMPARE(SystemClock::now().wall, start.addSecs(35));
    QCOMPARE(SystemClock::now().bootMs, qint64(61000));
    SystemClock::unpin();
    QVERIFY(!SystemClock::isPinned());
    const Instant a = SystemClock::now();
    const Instant b = SystemClock::now();
    QVERIFY(a.bootMs > 0 && b.bootMs >= a.bootMs);
    QVERIFY(qAbs(a.wall.msecsTo(QDateTime::currentDateTime())) < 5000);
}

void TestScheduler::weekdayNames_data()
{
    QTest::addColumn<int>("day");
    QTest::addColumn<QString>("name");
    QTest::newRow("Monday") << 1 << "星期一";
    QTest::newRow("Sunday") << 7 << "星期日";
    QTest::newRow("out of range") << 0 << "";
}

void TestScheduler::weekdayNames()
{
    QFETCH(int, day);
    QFETCH(QString, name);
    QCOMPARE(SystemClock::weekdayName(Qt::DayOfWeek(day)), name);
}

void TestScheduler::wallClockSteps_data()
{
    QTest::addColumn<QString>("moves"); // "wall/boot" milliseconds each clock moved since the last reading
    QTest::addColumn<QString>("noticed");
    QTest::newRow("ticks") << "500/500 500/500 600/600"
                           << "---";
    QTest::newRow("stall moves both") << "3600000/3600000"
                                      << "-";
    QTest::newRow("small drift tolerated") << "1500/500 500/1500"
                                           << "--";
    QTest::newRow("set back") << "500/500 -25000/500 500/500"
                              << "-x-";
    QTest::newRow("set forward an hour") << "3600500/500"
                                         << "x";
    QTest::newRow("just over the tolerance") << "2501/500"
                                             << "x";
    QTest::newRow("exactly the tolerance") << "2500/500"
                                           << "-";
}

void TestScheduler::wallClockSteps()
{
    QFETCH(QString, moves);
    QFETCH(QString, noticed);
    WallClockWatcher watcher;
    QSignalSpy changed(&watcher, &WallClockWatcher::wallClockChanged);
    Instant now{QDateTime(QDate(2025, 1, 6), QTime(7, 0)), 5000000};
    QVERIFY(!watcher.checkReading(now)); // the first reading has nothing to compare with
    QString seen;
    for (const QString &move : moves.split(' ')) {
        now.setWall(now.wall.addMSecs(move.section('/', 0, 0).toLongLong()));
        now.bootMs += move.section('/', 1, 1).toLongLong();
        seen += watcher.checkReading(now) ? 'x' : '-';
    }
    QCOMPARE(seen, noticed);
    QCOMPARE(changed.count(), int(noticed.count('x')));
    QVERIFY(watcher.isWatching()); // Linux has had cancel-on-set timers since 3.0
}

void TestScheduler::wakeUpInterval_data()
{
    QTest::addColumn<qint64>("msUntilDue");
    QTest::addColumn<int>("interval");
    QTest::newRow("overdue fires at once") << qint64(-40) << 0;
    QTest::newRow("due now") << qint64(0) << 0;
    QTest::newRow("in 750 ms") << qint64(750) << 750;
    QTest::newRow("far away is re-armed within a minute")
        << qint64(7 * 86400000LL) << WallClockWatcher::kLongestWaitMs;
}

void TestScheduler::wakeUpInterval()
{
    QFETCH(qint64, msUntilDue);
    QFETCH(int, interval);
    QCOMPARE(WallClockWatcher::wakeUpInterval(msUntilDue), interval);
}

QTEST_GUILESS_MAIN(TestScheduler)
#include "tst_scheduler.moc"
