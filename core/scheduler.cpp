#include "core/scheduler.h"

#include "core/nextring.h"

#include <algorithm>

namespace {

constexpr qint64 kMinuteMs = 60 * 1000;
constexpr qint64 kNone = -1;
// Weekly alarms ring at least once a week, so a longer jump is judged from its last eight days.
constexpr qint64 kLookBackMs = 8 * qint64(RingTime::kDay) * 1000;
constexpr int kRungKept = 16;

qint64 wallMs(const Instant &now)
{
    return now.wallMs;
}

qint64 ceilSeconds(qint64 ms)
{
    return ms <= 0 ? 0 : (ms + 999) / 1000;
}

bool byDueThenRow(const Ring &a, const Ring &b)
{
    const qint64 da = a.due.toMSecsSinceEpoch();
    const qint64 db = b.due.toMSecsSinceEpoch();
    return da != db ? da < db : a.entry < b.entry;
}

} // namespace

void Outcome::append(const Outcome &other)
{
    silenced += other.silenced;
    rings += other.rings;
    finished += other.finished;
    missed += other.missed;
}

// ---------------------------------------------------------------------------------------------
// Changes of the list

Outcome Scheduler::setEntries(const QVector<Entry> &entries, const Instant &now)
{
    m_entries = entries;
    m_states = QVector<State>(entries.size());
    for (int i = 0; i < count(); ++i) {
        keepAlarmText(i);
        if (m_entries.at(i).enabled)
            arm(i, now);
    }
    return advance(now);
}

Outcome Scheduler::resumeEntries(const QVector<Entry> &entries, const Instant &now)
{
    m_entries = entries;
    m_states = QVector<State>(entries.size());
    for (int i = 0; i < count(); ++i) {
        keepAlarmText(i);
        if (m_entries.at(i).enabled) {
            arm(i, now);
            m_states[i].handledThroughMs = wallMs(now);
        }
    }
    return advance(now);
}

Outcome Scheduler::entryAdded(const Entry &entry, const Instant &now)
{
    m_entries.append(entry);
    m_states.append(State());
    keepAlarmText(count() - 1);
    if (entry.enabled)
        arm(count() - 1, now);
    return advance(now);
}

Outcome Scheduler::entryChanged(int i, const Entry &entry, const Instant &now)
{
    Outcome out;
    const Entry old = m_entries.at(i);
    const bool retimed = !sameTiming(old, entry);
    if (old.kind != entry.kind)
        m_states[i].rungMs.clear(); // another kind of entry: its rings are not these
    if (retimed)
        m_states[i].pausedLeftMs = kNone; // a new duration starts in full
    m_entries[i] = entry;
    m_entries[i].enabled = old.enabled;
    keepAlarmText(i);
    if (!entry.enabled) {
        switchOff(i, now, out);
        if (retimed) // what a counting entry had left was left of its old timing
            m_states[i].pausedLeftMs = kNone;
    } else if (!old.enabled || retimed) {
        // A fresh entry: whatever it was doing is over.
        if (m_states.at(i).phase == Phase::Ringing)
            out.silenced << i;
        m_entries[i].enabled = true;
        arm(i, now);
    } else if (m_states.at(i).phase == Phase::Snoozed) {
        endRing(i, out); // an edit cancels a waiting snooze as the stop command would
    }
    out.append(advance(now));
    return out;
}

void Scheduler::entryRemoved(int i)
{
    m_entries.remove(i);
    m_states.remove(i);
}

Outcome Scheduler::setEnabled(int i, bool on, const Instant &now)
{
    Outcome out;
    if (on && !m_entries.at(i).enabled) {
        m_entries[i].enabled = true;
        arm(i, now);
    } else if (!on && m_entries.at(i).enabled) {
        switchOff(i, now, out);
    }
    out.append(advance(now));
    return out;
}

// ---------------------------------------------------------------------------------------------
// Time passing, sounds ending, the stop command

Outcome Scheduler::advance(const Instant &now)
{
    Outcome out;
    const int offset = now.wall.offsetFromUtc();
    if (offset != m_utcOffset) {
        // Daylight saving or another time zone: work out the alarms' next occurrences again.
        m_utcOffset = offset;
        for (State &s : m_states)
            s.nextDueMs = kNone;
    }
    for (int i = 0; i < count(); ++i) {
        if (m_entries.at(i).isAlarm())
            advanceAlarm(i, now, out);
        else
            advanceTimer(i, now, out);
        advanceSnooze(i, now, out); // after the occurrences: one that rang has ended the snooze
    }
    std::sort(out.rings.begin(), out.rings.end(), byDueThenRow);
    return out;
}

Outcome Scheduler::soundEnded(int i, const Instant &now)
{
    Outcome out;
    if (i >= 0 && i < count() && m_states.at(i).phase == Phase::Ringing)
        endRing(i, out);
    out.append(advance(now));
    return out;
}

Outcome Scheduler::stop(const Instant &now)
{
    Outcome out;
    for (int i = 0; i < count(); ++i) {
        const Phase phase = m_states.at(i).phase;
        if (phase == Phase::Ringing)
            out.silenced << i;
        if (phase == Phase::Ringing || phase == Phase::Snoozed)
            endRing(i, out);
    }
    out.append(advance(now));
    return out;
}

Outcome Scheduler::snooze(int i, qint64 snoozeMs, const Instant &now)
{
    if (i < 0 || i >= count() || m_states.at(i).phase != Phase::Ringing)
        return {};
    Outcome out;
    out.silenced << i;
    m_states[i].phase = Phase::Snoozed;
    m_states[i].snoozeUntilBootMs = now.bootMs + qMax<qint64>(0, snoozeMs);
    out.append(advance(now));
    return out;
}

// ---------------------------------------------------------------------------------------------
// What the rows and the tray show

QString Scheduler::rowTime(int i, const ClockReading &now) const
{
    const Entry &e = m_entries.at(i);
    const State &s = m_states.at(i);
    if (e.isAlarm())
        return s.alarmText;
    switch (s.phase) {
    case Phase::Ringing:
    case Phase::Snoozed:
        return RingTime::formatCountdown(0);
    case Phase::Armed:
        return RingTime::formatCountdown(ceilSeconds(s.deadlineBootMs - now.bootMs));
    case Phase::Off:
        break;
    }
    return RingTime::formatCountdown(s.pausedLeftMs != kNone ? ceilSeconds(s.pausedLeftMs) : e.timerSeconds);
}

bool Scheduler::isEnabled(int i) const
{
    return m_entries.at(i).enabled;
}

bool Scheduler::isArmed(int i) const
{
    return m_states.at(i).phase == Phase::Armed;
}

bool Scheduler::isRinging(int i) const
{
    return m_states.at(i).phase == Phase::Ringing;
}

bool Scheduler::isSnoozed(int i) const
{
    return m_states.at(i).phase == Phase::Snoozed;
}

bool Scheduler::anyEnabled() const
{
    return std::any_of(m_entries.cbegin(), m_entries.cend(), [](const Entry &e) { return e.enabled; });
}

bool Scheduler::anyRinging() const
{
    return std::any_of(m_states.cbegin(), m_states.cend(),
                       [](const State &s) { return s.phase == Phase::Ringing; });
}

qint64 Scheduler::secondsToNextRing(const ClockReading &now) const
{
    qint64 least = RingTime::kWeek;
    for (int i = 0; i < count(); ++i) {
        const Phase phase = m_states.at(i).phase;
        if (phase == Phase::Armed || phase == Phase::Snoozed)
            least = qMin(least, ceilSeconds(msUntilDue(i, now)));
    }
    return least;
}

qint64 Scheduler::msUntilNextDue(const Instant &now) const
{
    qint64 least = kNone;
    for (int i = 0; i < count(); ++i) {
        const qint64 ms = msUntilDue(i, now);
        if (ms != kNone && (least == kNone || ms < least))
            least = ms;
    }
    return least;
}

QDateTime Scheduler::nextDue(int i, const Instant &now) const
{
    const qint64 ms = msUntilDue(i, now);
    if (ms == kNone)
        return QDateTime();
    const State &s = m_states.at(i);
    if (s.phase == Phase::Snoozed && ms == qMax<qint64>(0, s.snoozeUntilBootMs - now.bootMs))
        return now.wall.addMSecs(s.snoozeUntilBootMs - now.bootMs);
    if (m_entries.at(i).isAlarm())
        return QDateTime::fromMSecsSinceEpoch(alarmNextDueMs(i, wallMs(now)));
    return now.wall.addMSecs(m_states.at(i).deadlineBootMs - now.bootMs);
}

// ---------------------------------------------------------------------------------------------
// One entry

bool Scheduler::sameTiming(const Entry &a, const Entry &b)
{
    if (a.kind != b.kind)
        return false;
    if (a.isTimer())
        return a.timerSeconds == b.timerSeconds;
    return a.alarmTime.hour() == b.alarmTime.hour() && a.alarmTime.minute() == b.alarmTime.minute() &&
           a.weekdays == b.weekdays;
}

void Scheduler::arm(int i, const Instant &now)
{
    State &s = m_states[i];
    s.phase = Phase::Armed;
    s.nextDueMs = kNone;
    // An alarm whose minute is the current one is due at once: count from the minute's start.
    const qint64 ms = wallMs(now);
    s.handledThroughMs = ms - (ms % kMinuteMs + kMinuteMs) % kMinuteMs - 1;
    // A paused timer counts on from what was left.
    const qint64 fullMs = qint64(qMax(0, m_entries.at(i).timerSeconds)) * 1000;
    s.deadlineBootMs = now.bootMs + (s.pausedLeftMs != kNone ? s.pausedLeftMs : fullMs);
    s.pausedLeftMs = kNone;
}

void Scheduler::switchOff(int i, const Instant &now, Outcome &out)
{
    State &s = m_states[i];
    if (s.phase == Phase::Ringing)
        out.silenced << i;
    if (m_entries.at(i).isTimer() && s.phase == Phase::Armed)
        s.pausedLeftMs = qMax<qint64>(0, s.deadlineBootMs - now.bootMs);
    else if (s.phase == Phase::Ringing || s.phase == Phase::Snoozed)
        s.pausedLeftMs = kNone;
    s.phase = Phase::Off;
    m_entries[i].enabled = false;
}

void Scheduler::finish(int i, Outcome &out)
{
    State &s = m_states[i];
    s.phase = Phase::Off;
    s.pausedLeftMs = kNone;
    m_entries[i].enabled = false;
    out.finished << i;
}

// A once-only entry is done; a repeating one waits for its next due time.
void Scheduler::endRing(int i, Outcome &out)
{
    if (m_entries.at(i).ringsOnce())
        finish(i, out);
    else
        m_states[i].phase = Phase::Armed;
}

qint64 Scheduler::alarmNextDueMs(int i, qint64 nowMs) const
{
    const State &s = m_states.at(i);
    const bool steppedBack = nowMs < s.handledThroughMs;
    if (!steppedBack && s.nextDueMs != kNone)
        return s.nextDueMs;
    const Entry &e = m_entries.at(i);
    qint64 after = qMin(s.handledThroughMs, nowMs);
    qint64 due = kNone;
    for (int guard = 0; guard < kRungKept + 1; ++guard) {
        const QDateTime next =
            RingTime::nextOccurrence(e.alarmTime, e.weekdays, QDateTime::fromMSecsSinceEpoch(after));
        if (!next.isValid())
            break;
        due = next.toMSecsSinceEpoch();
        if (!s.rungMs.contains(due))
            break;
        after = due; // that one rang already
        due = kNone;
    }
    if (!steppedBack)
        s.nextDueMs = due;
    return due;
}

void Scheduler::advanceAlarm(int i, const Instant &now, Outcome &out)
{
    State &s = m_states[i];
    const bool once = m_entries.at(i).ringsOnce();
    if (s.phase == Phase::Off || (once && s.phase != Phase::Armed))
        return;
    const qint64 nowMs = wallMs(now);
    if (nowMs < s.handledThroughMs) {
        s.handledThroughMs = nowMs; // set back: later occurrences come again, rung ones stay rung
        s.nextDueMs = kNone;
    }
    if (!once && nowMs - s.handledThroughMs > kLookBackMs) {
        s.handledThroughMs = nowMs - kLookBackMs;
        s.nextDueMs = kNone;
    }
    Ring missed;
    for (qint64 due = alarmNextDueMs(i, nowMs); due != kNone && due <= nowMs;
         due = alarmNextDueMs(i, nowMs)) {
        s.handledThroughMs = due;
        s.nextDueMs = kNone;
        const Ring ring{i, QDateTime::fromMSecsSinceEpoch(due), nowMs - due >= kMinuteMs};
        if (nowMs - due > kCatchUpMs) {
            missed = ring;
            if (once) {
                finish(i, out);
                break;
            }
            continue;
        }
        s.rungMs.append(due);
        if (s.rungMs.size() > kRungKept)
            s.rungMs.removeFirst();
        s.phase = Phase::Ringing;
        out.rings << ring;
        if (once)
            break;
    }
    if (missed.entry >= 0)
        out.missed << missed;
    if (nowMs > s.handledThroughMs)
        s.handledThroughMs = nowMs; // the cached next occurrence lies after now, so it stays right
}

void Scheduler::advanceTimer(int i, const Instant &now, Outcome &out)
{
    State &s = m_states[i];
    if (s.phase != Phase::Armed || now.bootMs < s.deadlineBootMs)
        return;
    const qint64 lateMs = now.bootMs - s.deadlineBootMs;
    const Ring ring{i, now.wall.addMSecs(-lateMs), lateMs >= kMinuteMs};
    if (lateMs > kCatchUpMs) {
        out.missed << ring;
        finish(i, out);
        return;
    }
    s.phase = Phase::Ringing;
    out.rings << ring;
}

void Scheduler::advanceSnooze(int i, const Instant &now, Outcome &out)
{
    State &s = m_states[i];
    if (s.phase != Phase::Snoozed || now.bootMs < s.snoozeUntilBootMs)
        return;
    const qint64 lateMs = now.bootMs - s.snoozeUntilBootMs;
    Ring ring{i, now.wall.addMSecs(-lateMs), lateMs >= kMinuteMs};
    if (lateMs > kCatchUpMs) {
        out.missed << ring;
        endRing(i, out);
        return;
    }
    ring.again = true;
    s.phase = Phase::Ringing;
    out.rings << ring;
}

qint64 Scheduler::msUntilDue(int i, const ClockReading &now) const
{
    const qint64 nowMs = now.wallMs;
    const State &s = m_states.at(i);
    const Entry &e = m_entries.at(i);
    const qint64 snoozeMs = qMax<qint64>(0, s.snoozeUntilBootMs - now.bootMs);
    if (s.phase == Phase::Off || (e.ringsOnce() && s.phase == Phase::Ringing))
        return kNone;
    if (e.ringsOnce() && s.phase == Phase::Snoozed)
        return snoozeMs;
    if (e.isTimer())
        return qMax<qint64>(0, s.deadlineBootMs - now.bootMs);
    const qint64 due = alarmNextDueMs(i, nowMs);
    const qint64 ms = due == kNone ? kNone : qMax<qint64>(0, due - nowMs);
    if (s.phase != Phase::Snoozed)
        return ms;
    return ms == kNone ? snoozeMs : qMin(ms, snoozeMs);
}

void Scheduler::keepAlarmText(int i)
{
    const Entry &e = m_entries.at(i);
    m_states[i].alarmText = e.isAlarm() ? e.alarmTime.toString(QStringLiteral("HH:mm")) : QString();
}
