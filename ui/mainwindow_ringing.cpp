// Carrying out what the scheduler decided: rings, finished entries, the states in the file.
#include "ui/mainwindow.h"

#include "core/texts.h"
#include "core/wallclockwatcher.h"
#include "ui/entryrow.h"
#include "ui/notifier.h"
#include "ui/prompt.h"
#include "ui/ringer.h"

#include <QAction>

void MainWindow::ringDue()
{
    carryOut(m_scheduler.advance(SystemClock::now()));
    armWakeUp();
}

void MainWindow::stopRinging()
{
    carryOut(m_scheduler.stop(SystemClock::now()));
    armWakeUp();
}

void MainWindow::snooze(int row)
{
    const qint64 ms = qint64(m_settings.snoozeMinutes) * 60 * 1000;
    carryOut(m_scheduler.snooze(row, ms, SystemClock::now()));
    armWakeUp();
}

void MainWindow::snoozeRinging()
{
    for (int row = 0; row < m_scheduler.count(); ++row) {
        if (m_scheduler.isRinging(row))
            snooze(row);
    }
}

void MainWindow::soundEnded(int row)
{
    carryOut(m_scheduler.soundEnded(row, SystemClock::now()));
    armWakeUp();
}

// What the notification and the reminder box ask for.
void MainWindow::connectNotifier()
{
    Notifier *notifier = m_ringer->notifier();
    connect(notifier, &Notifier::stopAsked, this, &MainWindow::stopRinging);
    connect(m_ringer, &Ringer::snoozeAsked, this, &MainWindow::snooze);
    connect(notifier, &Notifier::windowAsked, this, &MainWindow::bringToFront);
}

// In the scheduler's order: silence, ring, finish, then what could not be rung.
void MainWindow::carryOut(const Outcome &outcome)
{
    const Instant now = SystemClock::now();
    for (int row : outcome.silenced) {
        m_ringer->stop(row);
        m_rows.at(row)->setTimeText(m_scheduler.rowTime(row, now));
    }
    for (const Ring &r : outcome.rings)
        ring(r);
    for (int row : outcome.finished)
        finish(row);
    if (!outcome.finished.isEmpty())
        storeStates();
    if (!outcome.missed.isEmpty()) {
        QStringList lines{Texts::kMissedRings};
        for (const Ring &r : outcome.missed)
            lines << m_scheduler.entry(r.entry).name + QLatin1Char(' ') +
                         r.due.toString(QStringLiteral("MM月dd日 HH:mm"));
        Prompt::show(this, lines.join(QLatin1Char('\n')));
    }
    updateStopAction();
    showSnoozes();
}

// A row waiting on a snooze says so to a screen reader and in its tool tip.
void MainWindow::showSnoozes()
{
    for (int row = 0; row < m_rows.size(); ++row) {
        const QString said = m_scheduler.isSnoozed(row) ? Texts::kSnoozeWaiting : QString();
        EntryRow *shown = m_rows.at(row);
        if (shown->accessibleDescription() != said) {
            shown->setAccessibleDescription(said);
            shown->setToolTip(said);
        }
    }
}

void MainWindow::ring(const Ring &r)
{
    const Entry &entry = m_scheduler.entry(r.entry);
    if (entry.isTimer())
        qCInfo(lcRing, "zero entry=%d ms=%lld", r.entry, Ringer::stamp());
    m_rows.at(r.entry)->setTimeText(m_scheduler.rowTime(r.entry, SystemClock::now()));
    RingRequest request;
    request.entry = r.entry;
    request.what = entry;
    request.shownTime = entry.timeText();
    request.forced = m_forcedReminder;
    request.runCommand = !r.again; // a snoozed ring coming back: the command ran the first time
    if (r.late)
        request.lateFrom = r.due.toString(QStringLiteral("HH:mm"));
    m_ringer->ring(request);
}

// A one-shot alarm or a timer is over: it shows disabled, with its own time again.
void MainWindow::finish(int row)
{
    m_ringer->stop(row);
    showRowState(row);
    showWhetherArmed();
    updateSelectionActions();
}

void MainWindow::showRowState(int row)
{
    const bool enabled = m_scheduler.isEnabled(row);
    EntryRow *shown = m_rows.at(row);
    shown->setEnableBox(enabled);
    shown->showEnabledLook(enabled);
    shown->setTimeText(m_scheduler.rowTime(row, SystemClock::now()));
}

// The tray shows whether anything is enabled; the sound is made ready as soon as something is.
void MainWindow::showWhetherArmed()
{
    const bool armed = m_scheduler.anyEnabled();
    setTrayIcon(armed ? m_trayColoured : m_trayPlain);
    if (armed)
        m_ringer->loadBackEndSoon();
}

void MainWindow::storeStates()
{
    QVector<bool> enabled;
    for (int i = 0; i < m_scheduler.count(); ++i)
        enabled << m_scheduler.isEnabled(i);
    showNotices(m_storage.setStates(enabled));
}

void MainWindow::showNotices(const StorageResult &result)
{
    for (const StorageNotice &notice : result.notices)
        Prompt::show(this, notice.text());
}

// One wake-up at the earliest due time, so a ring starts at its moment and not at a tick.
void MainWindow::armWakeUp()
{
    const qint64 ms = m_scheduler.msUntilNextDue(SystemClock::now());
    if (ms < 0)
        m_wakeTimer.stop();
    else
        m_wakeTimer.start(WallClockWatcher::wakeUpInterval(ms));
}
