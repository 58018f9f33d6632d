#ifndef TAVREL_CORE_SCHEDULER_H
#define TAVREL_CORE_SCHEDULER_H

#include "core/clock.h"
#include "core/entry.h"

#include <QDateTime>
#include <QVector>

// One ring, or one occurrence that was skipped.
struct Ring
{
    int entry = -1;
    QDateTime due;      // the moment it was due, local wall time
    bool late = false;  // rings outside the minute it was due (a stall, a jump, a resume)
    bool again = false; // a snoozed ring coming back: sound and message again, not the command
};

// What a call changed, for the window to carry out in this order: silence, ring, finish, prompt.
struct Outcome
{
    QVector<int> silenced; // stop these sounds (stop command; disabled or reset while ringing)
    QVector<Ring> rings;   // start a full ring for each: sound, tray message, command, reminder
    QVector<int> finished; // over for good: uncheck and store as disabled (one-shot alarms, timers)
    QVector<Ring> missed;  // skipped more than twelve hours ago: not rung, listed in one prompt

    bool isEmpty() const
    {
        return silenced.isEmpty() && rings.isEmpty() && finished.isEmpty() && missed.isEmpty();
    }
    void append(const Outcome &other);
};

// Decides when entries ring. Time comes in as a parameter; nothing here reads a widget, a label
// or a player. Entries are addressed by row index, as the list shows them.
//
// Every enabled entry has an absolute due time: an alarm its next occurrence in local time, a
// timer its enable moment plus its duration on the boot clock, so stalls and suspend never
// lengthen it. An occurrence rings when its due time has passed, exactly once:
// - the wall clock stepped back: an occurrence that rang never rings again;
// - time jumped forward (NTP, resume, a stall): each occurrence skipped within the last twelve
//   hours rings at once, marked late; older ones are reported in `missed`, not rung (a one-shot
//   alarm or a timer whose ring was missed that way is finished).
// Enabling or editing an entry so its timing changes makes it a fresh entry: an alarm set to
// the current minute rings at once (unless that very occurrence already rang), a timer starts
// its full length (a paused one counts on, below) and a zero-length timer rings at once. An edit
// that keeps kind, time, weekdays and duration keeps the entry's state, so editing a ringing
// entry's name or sound does not silence it. Another entry changing never touches an entry.
// A timer disabled while it counts down pauses: it keeps what was left, to the millisecond of the
// boot clock, and enabling it counts on from there, however long it stayed disabled and whatever
// the wall clock did meanwhile. An edit that changes its duration, or the end of its ring (a
// snooze's too), gives it its full length again.
// A ringing entry stays ringing until soundEnded() or stop(): then a one-shot alarm or a timer
// is finished; a weekly alarm waits for its next occurrence. Each ring is a full ring; a weekly
// alarm still ringing when its next occurrence comes rings again (start its sound afresh).
// Snooze: a ringing entry snoozed is silenced and waits (isSnoozed) for a deadline on the boot
// clock, so wall-clock steps, stalls and suspend never change the wait; then it rings again with
// `again` set, and that ring ends like any other. A one-shot alarm or timer stays enabled while it
// waits and is finished only when its last ring ends or is stopped. stop() cancels every waiting
// snooze as it stops a ring (a one-shot alarm or timer is finished, a weekly alarm waits for its
// next occurrence); an edit that keeps the timing does the same, one that changes it makes a fresh
// entry; disabling or deleting the entry takes the snooze with it. A weekly alarm's occurrence
// arriving while it waits rings as a normal ring and ends the snooze. A snooze overdue by more
// than twelve hours is reported in `missed` and ends as a stopped ring. A snoozed timer's row
// reads "00:00:00"; secondsToNextRing, msUntilNextDue and nextDue count the snooze's deadline.
// A time the clocks skip rings when the gap ends; a repeated time rings at its first pass only.
// Moving to another time zone makes alarms ring at their time there, from the move on.
//
// Every call that takes `now` returns what happened, including whatever fell due at `now`, so
// the window never needs a second call to catch a ring its own change caused. The scheduler
// keeps its own copy of each entry: after `finished`, entry(i).enabled is false.
class Scheduler
{
public:
    static constexpr qint64 kCatchUpMs = 12 * 3600 * 1000; // skipped rings younger than this ring late

    // The whole list at once (start-up, loading): every state fresh, enabled ones start now.
    // Not for single changes: it forgets which occurrences rang.
    Outcome setEntries(const QVector<Entry> &entries, const Instant &now);
    // Start-up with alarms kept enabled across restarts: as setEntries, but the enabled ones are
    // armed from `now` on. An occurrence that passed while the program was not running, this
    // minute's included, does not ring: nobody was there to hear it.
    Outcome resumeEntries(const QVector<Entry> &entries, const Instant &now);
    // A new entry at the end of the list.
    Outcome entryAdded(const Entry &entry, const Instant &now);
    // Row i saved by the editor (its enabled flag included).
    Outcome entryChanged(int i, const Entry &entry, const Instant &now);
    // Row i deleted; later rows move up one, keeping their state.
    void entryRemoved(int i);
    // The enable box of row i. Disabling a ringing entry silences it.
    Outcome setEnabled(int i, bool on, const Instant &now);

    // Rings whatever has fallen due. Call from the tick and from the single-shot wake-up.
    Outcome advance(const Instant &now);
    // The sound of row i, played once, has ended (or could not be played at all).
    Outcome soundEnded(int i, const Instant &now);
    // The stop command: silences every ringing entry and cancels every waiting snooze.
    Outcome stop(const Instant &now);
    // Row i, ringing, is silenced at once and rings again (`again` set) once snoozeMs have passed
    // on the boot clock. An entry that is not ringing: an empty Outcome and no change.
    Outcome snooze(int i, qint64 snoozeMs, const Instant &now);

    int count() const { return int(m_entries.size()); }
    const Entry &entry(int i) const { return m_entries.at(i); }

    // The row's time: an alarm's "07:30"; a timer's time left "HH:mm:ss" while it runs,
    // "00:00:00" while it rings, its full duration when idle, or what was left when it was
    // disabled while counting down.
    QString rowTime(int i, const ClockReading &now) const;
    bool isEnabled(int i) const;
    bool isArmed(int i) const;   // enabled and waiting for its time: its row blinks
    bool isRinging(int i) const; // rang and not yet ended or stopped: its row stays steady
    bool isSnoozed(int i) const; // silenced by a snooze, waiting to ring again
    bool anyEnabled() const;
    bool anyRinging() const; // the stop command is available

    // Seconds (rounded up) to the earliest ring of an enabled entry that is not ringing;
    // RingTime::kWeek when none is due within a week. RingTime::formatDuration makes the text.
    qint64 secondsToNextRing(const ClockReading &now) const;
    // Milliseconds until the earliest due time (0 when overdue), -1 when nothing is armed:
    // arm a single-shot timer with it so a ring starts at its minute, not at the next tick.
    qint64 msUntilNextDue(const Instant &now) const;
    // When row i next rings (local wall time); invalid when it is not armed.
    QDateTime nextDue(int i, const Instant &now) const;

private:
    enum class Phase
    {
        Off,     // disabled
        Armed,   // waiting for its due time
        Ringing, // rang; waits for its sound to end or the stop command
        Snoozed, // rang and was snoozed; rings again at snoozeUntilBootMs
    };
    struct State
    {
        Phase phase = Phase::Off;
        qint64 deadlineBootMs = 0;     // timers: when it rings, on the boot clock
        qint64 snoozeUntilBootMs = 0;  // snoozed: when it rings again, on the boot clock
        qint64 handledThroughMs = 0;   // alarms: occurrences up to this wall moment are dealt with
        QVector<qint64> rungMs;        // alarms: the latest occurrences that rang (wall, ms)
        qint64 pausedLeftMs = -1;      // timers disabled while counting down: what was left
        mutable qint64 nextDueMs = -1; // alarms: the next occurrence after handledThroughMs, once known
        QString alarmText;             // alarms: "07:30", made once, as it never changes while set
    };

    void arm(int i, const Instant &now);
    void switchOff(int i, const Instant &now, Outcome &out);
    void finish(int i, Outcome &out);
    void endRing(int i, Outcome &out);
    void advanceAlarm(int i, const Instant &now, Outcome &out);
    void advanceTimer(int i, const Instant &now, Outcome &out);
    void advanceSnooze(int i, const Instant &now, Outcome &out);
    qint64 alarmNextDueMs(int i, qint64 nowMs) const;
    qint64 msUntilDue(int i, const ClockReading &now) const;
    void keepAlarmText(int i);
    static bool sameTiming(const Entry &a, const Entry &b);

    QVector<Entry> m_entries;
    QVector<State> m_states;
    int m_utcOffset = 0; // of the wall clock at the last advance: a change of zone moves every alarm
};

#endif // TAVREL_CORE_SCHEDULER_H
