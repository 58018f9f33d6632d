// Random traces of time through the scheduler, each call compared with a small reference model
// of which occurrences are due. Ticks come late or in bursts, the machine stalls for seconds or
// hours, the wall clock is stepped both ways, the clocks change for daylight saving in three
// zones, entries are enabled, disabled and edited at random moments.
//
// TAVREL_REPLAY=<n> replays one run; TAVREL_TRACES=<n> runs more (or fewer) traces (for long runs
// raise QTEST_FUNCTION_TIMEOUT, in ms, above its five minutes).
#include "core/nextring.h"
#include "core/scheduler.h"

#include <QHash>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>

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

QDate localDate(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms).date();
}

struct ModelEntry
{
    Entry e;
    enum Phase
    {
        Off,
        Armed,
        Ringing
    } phase = Off;
    qint64 deadlineBoot = 0;
    qint64 watermark = 0;
    QSet<qint64> rung;
    int id = 0; // who it is for the doubled-ring count, whatever row it moves to
};

class Model
{
public:
    QVector<ModelEntry> entries;

    void arm(int i, const Instant &now)
    {
        ModelEntry &m = entries[i];
        m.phase = ModelEntry::Armed;
        m.e.enabled = true;
        const qint64 ms = now.wall.toMSecsSinceEpoch();
        m.watermark = ms - ms % kMinuteMs - 1;
        m.deadlineBoot = now.bootMs + qint64(m.e.timerSeconds) * 1000;
    }

    void off(int i, Outcome &out)
    {
        if (entries[i].phase == ModelEntry::Ringing)
            out.silenced << i;
        entries[i].phase = ModelEntry::Off;
        entries[i].e.enabled = false;
    }

    void finish(int i, Outcome &out)
    {
        entries[i].phase = ModelEntry::Off;
        entries[i].e.enabled = false;
        out.finished << i;
    }

    void ended(int i, Outcome &out)
    {
        if (entries[i].e.ringsOnce())
            finish(i, out);
        else
            entries[i].phase = ModelEntry::Armed;
    }

    // Occurrences of alarm i after `from` up to `to`, oldest first, those that rang left out.
    QVector<qint64> due(int i, qint64 from, qint64 to)
    {
        const ModelEntry &m = entries[i];
        QVector<qint64> out;
        for (QDate d = localDate(from).addDays(-1); d <= localDate(to).addDays(1); d = d.addDays(1)) {
            if (!m.e.weekdays.isEmpty() && !m.e.weekdays.contains(Qt::DayOfWeek(d.dayOfWeek())))
                continue;
            const qint64 t = modelOccurrence(d, m.e.alarmTime.hour(), m.e.alarmTime.minute());
            if (t > from && t <= to && !m.rung.contains(t))
                out << t;
        }
        return out;
    }

    void advanceAlarm(int i, const Instant &now, Outcome &out)
    {
        ModelEntry &m = entries[i];
        const bool once = m.e.ringsOnce();
        if (m.phase == ModelEntry::Off || (once && m.phase == ModelEntry::Ringing))
            return;
        const qint64 nowMs = now.wall.toMSecsSinceEpoch();
        m.watermark = qMin(m.watermark, nowMs);
        Ring missed;
        for (qint64 t : due(i, m.watermark, nowMs)) {
            const Ring ring{i, QDateTime::fromMSecsSinceEpoch(t), nowMs - t >= kMinuteMs};
            if (nowMs - t > Scheduler::kCatchUpMs) {
                missed = ring;
                if (once) {
                    finish(i, out);
                    break;
                }
                continue;
            }
            m.rung.insert(t);
            m.phase = ModelEntry::Ringing;
            out.rings << ring;
            if (once)
                break;
        }
        if (missed.entry >= 0)
            out.missed << missed;
        m.watermark = nowMs;
    }

    void advanceTimer(int i, const Instant &now, Outcome &out)
    {
        ModelEntry &m = entries[i];
        if (m.phase != ModelEntry::Armed || now.bootMs < m.deadlineBoot)
            return;
        const qint64 late = now.bootMs - m.deadlineBoot;
        const Ring ring{i, now.wall.addMSecs(-late), late >= kMinuteMs};
        if (late > Scheduler::kCatchUpMs) {
            out.missed << ring;
            finish(i, out);
        } else {
            m.phase = ModelEntry::Ringing;
            out.rings << ring;
        }
    }

    Outcome advance(const Instant &now)
    {
        Outcome out;
        for (int i = 0; i < entries.size(); ++i) {
            if (entries[i].e.isAlarm())
                advanceAlarm(i, now, out);
            else
                advanceTimer(i, now, out);
        }
        return out;
    }
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
        rings << QStringLiteral("ring %1 %2%3")
                     .arg(r.entry)
                     .arg(r.due.toMSecsSinceEpoch())
                     .arg(r.late ? " late" : "");
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
    RandomTrace(quint64 replayKey, Tally &tally) : m_rng(replayKey), m_tally(tally), m_key(replayKey) {}

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
        m_model.entries.clear();
        for (const Entry &e : entries) {
            m_model.entries << ModelEntry{e, ModelEntry::Off, 0, 0, {}, m_nextId++};
            m_model.entries.last().e.enabled = false;
        }
        Outcome expected;
        for (int i = 0; i < n; ++i) {
            if (entries[i].enabled)
                m_model.arm(i, m_now);
        }
        expected.append(m_model.advance(m_now));
        check(m_scheduler.setEntries(entries, m_now), expected, 0, 0, "start");
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
        const int i = m_rng.bounded(n);
        if (pick < 40) { // a burst of ticks, some of them late
            for (int t = 1 + m_rng.bounded(20); t > 0; --t)
                pass(500 + (m_rng.bounded(5) == 0 ? m_rng.bounded(3000) : 0));
        } else if (pick < 52) { // the single-shot wake-up at the next due time
            const qint64 wait = m_scheduler.msUntilNextDue(m_now);
            if (wait >= 0)
                pass(qMin<qint64>(wait, 20 * kHourMs) + m_rng.bounded(100));
        } else if (pick < 62) { // a stall or a suspend
            pass(logUniform(1000, 20 * kHourMs));
        } else if (pick < 72) { // the wall clock set, either way, rarely by more than a week
            const qint64 size = m_rng.bounded(20) == 0 ? logUniform(kHourMs, 10 * 24 * kHourMs)
                                                       : logUniform(500, 48 * kHourMs);
            const qint64 prevBoot = m_now.bootMs;
            const bool forward = m_rng.bounded(2);
            m_now.setWall(m_now.wall.addMSecs(forward ? size : -size));
            const Outcome expected = m_model.advance(m_now);
            check(m_scheduler.advance(m_now), expected, forward ? size : 0, m_now.bootMs - prevBoot,
                  "wall step");
        } else if (pick < 82) {
            const bool on = !m_scheduler.isEnabled(i);
            Outcome expected;
            if (on && !m_model.entries[i].e.enabled)
                m_model.arm(i, m_now);
            else if (!on && m_model.entries[i].e.enabled)
                m_model.off(i, expected);
            expected.append(m_model.advance(m_now));
            check(m_scheduler.setEnabled(i, on, m_now), expected, 0, 0, on ? "enable" : "disable");
        } else if (pick < 90) {
            edit(i);
        } else if (pick < 92) { // a row deleted or a new one added
            addOrRemove(i);
        } else if (pick < 96) {
            Outcome expected;
            if (m_model.entries[i].phase == ModelEntry::Ringing)
                m_model.ended(i, expected);
            expected.append(m_model.advance(m_now));
            check(m_scheduler.soundEnded(i, m_now), expected, 0, 0, "sound ended");
        } else {
            Outcome expected;
            for (int k = 0; k < n; ++k) {
                if (m_model.entries[k].phase == ModelEntry::Ringing) {
                    expected.silenced << k;
                    m_model.ended(k, expected);
                }
            }
            expected.append(m_model.advance(m_now));
            check(m_scheduler.stop(m_now), expected, 0, 0, "stop");
        }
    }

    void addOrRemove(int i)
    {
        if (m_scheduler.count() > 1 && m_rng.bounded(2)) {
            m_scheduler.entryRemoved(i);
            m_model.entries.remove(i);
            return;
        }
        if (m_scheduler.count() >= 8)
            return;
        const Entry e = randomEntry();
        m_model.entries << ModelEntry{e, ModelEntry::Off, 0, 0, {}, m_nextId++};
        m_model.entries.last().e.enabled = false;
        Outcome expected;
        if (e.enabled)
            m_model.arm(m_model.entries.size() - 1, m_now);
        expected.append(m_model.advance(m_now));
        check(m_scheduler.entryAdded(e, m_now), expected, 0, 0, "add");
    }

    // An edit keeps the timing half the time (a new name, say); otherwise a fresh entry.
    void edit(int i)
    {
        Entry e = m_rng.bounded(2) ? m_scheduler.entry(i) : randomEntry();
        e.name = QStringLiteral("edited %1").arg(m_rng.bounded(100));
        e.enabled = m_rng.bounded(3) != 0;
        ModelEntry &m = m_model.entries[i];
        Outcome expected;
        const bool sameTiming =
            e.kind == m.e.kind &&
            (e.isTimer() ? e.timerSeconds == m.e.timerSeconds
                         : e.alarmTime.hour() == m.e.alarmTime.hour() &&
                               e.alarmTime.minute() == m.e.alarmTime.minute() && e.weekdays == m.e.weekdays);
        if (e.kind != m.e.kind) {
            m.rung.clear();
            m.id = m_nextId++; // another kind of entry: its rings start afresh
        }
        const bool wasOn = m.e.enabled;
        const ModelEntry::Phase phase = m.phase;
        m.e = e;
        m.e.enabled = wasOn;
        m.phase = phase;
        if (!e.enabled) {
            m_model.off(i, expected);
        } else if (!wasOn || !sameTiming) {
            if (phase == ModelEntry::Ringing)
                expected.silenced << i;
            m_model.arm(i, m_now);
        }
        expected.append(m_model.advance(m_now));
        check(m_scheduler.entryChanged(i, e, m_now), expected, 0, 0, "edit");
    }

    void pass(qint64 ms)
    {
        m_now = m_now.later(ms);
        const Outcome expected = m_model.advance(m_now);
        check(m_scheduler.advance(m_now), expected, ms, ms, "time passes");
    }

    // wallMs, bootMs: how far each clock moved forward since the previous call.
    void check(const Outcome &actual, const Outcome &expected, qint64 wallMs, qint64 bootMs, const char *what)
    {
        ++m_tally.calls;
        const qint64 nowMs = m_now.wall.toMSecsSinceEpoch();
        for (const Ring &r : actual.rings) {
            ++m_tally.rings;
            const qint64 due = r.due.toMSecsSinceEpoch();
            const qint64 late = nowMs - due;
            const bool alarm = m_scheduler.entry(r.entry).isAlarm();
            if (late < 0)
                ++m_tally.early;
            const QPair<int, qint64> key(m_model.entries.value(r.entry).id, due);
            if (alarm && m_rang.contains(key))
                ++m_tally.doubled;
            m_rang.insert(key);
            // A ring comes in the first call after it fell due (or within the minute it was enabled in).
            const qint64 bound = qMax(alarm ? wallMs : bootMs, kMinuteMs);
            if (late > bound)
                ++m_tally.other;
            if (qstrcmp(what, "time passes") == 0 && bootMs <= 3500)
                m_tally.worstTickLateMs = qMax(m_tally.worstTickLateMs, late);
        }
        const QStringList a = describe(actual);
        const QStringList e = describe(expected);
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
            m_tally.firstFault = QStringLiteral("replay key %1, %2 at %3 (%4): scheduler [%5], model [%6]")
                                     .arg(m_key)
                                     .arg(QString::fromLatin1(what), m_now.wall.toString(Qt::ISODateWithMs),
                                          QString::fromLatin1(qgetenv("TZ")), a.join(", "), e.join(", "));
        }
    }

    QRandomGenerator m_rng;
    Tally &m_tally;
    quint64 m_key;
    Scheduler m_scheduler;
    Model m_model;
    Instant m_now;
    QSet<QPair<int, qint64>> m_rang;
    int m_nextId = 0;
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
                                  : QRandomGenerator::global()->generate();
    const int traces =
        qEnvironmentVariableIsSet("TAVREL_TRACES") ? qEnvironmentVariableIntValue("TAVREL_TRACES") : 2000;
    qInfo("replay key %llu (replay with TAVREL_REPLAY=%llu)", replayKey, replayKey);
    QRandomGenerator keys(replayKey);
    Tally tally;
    for (int k = 0; k < traces && tally.firstFault.isEmpty(); ++k) {
        const quint64 traceKey = keys.generate64();
        RandomTrace(traceKey, tally).run();
    }
    qInfo("%lld traces, %lld calls, %lld rings checked; missed %lld, doubled %lld, early %lld, other %lld; "
          "worst lateness under ordinary ticks %lld ms",
          tally.traces, tally.calls, tally.rings, tally.missed, tally.doubled, tally.early, tally.other,
          tally.worstTickLateMs);
    QVERIFY2(tally.firstFault.isEmpty(), qPrintable(tally.firstFault));
    QCOMPARE(tally.missed + tally.doubled + tally.early + tally.other, 0);
}

QTEST_GUILESS_MAIN(TestSchedulerRandom)
#include "tst_scheduler_random.moc"
