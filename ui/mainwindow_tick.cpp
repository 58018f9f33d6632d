// Twice a second, on the wall clock's half seconds: in the first half of each second every
// enabled row shows its time and the tray its state; in the second half running rows and the
// tray icon go blank, so they blink once a second. Nothing here rings or decides.
#include "ui/mainwindow.h"

#include "core/nextring.h"
#include "core/texts.h"
#include "core/wallclockwatcher.h"
#include "ui/entryrow.h"
#include "ui/ringer.h"

#include <QAccessible>
#include <QAction>
#include <QMenu>
#include <QScrollArea>

namespace {
const int kHalfSecondMs = 500;

bool inShowHalf(qint64 ms)
{
    // Rounded to the nearest half second, so a tick that comes a little early or late keeps its half.
    return ((ms + kHalfSecondMs / 2) / kHalfSecondMs) % 2 == 0;
}
} // namespace

void MainWindow::tick()
{
    const ClockReading now = SystemClock::read(); // the local time is not needed here
    m_wallClock->checkReading(now);               // a step of the wall clock rings what it jumped over
    if (inShowHalf(now.wallMs))
        showPhase(now);
    else
        blankPhase(now);
    updateStopAction();
    showSnoozes(); // also after an edit or a deletion, which end a snooze or move its row
    scheduleTick();
}

void MainWindow::scheduleTick()
{
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    m_tickTimer.start(int(kHalfSecondMs - ms % kHalfSecondMs));
}

void MainWindow::showPhase(const ClockReading &now)
{
    const QRect inView = listInView();
    for (int i = 0; i < m_rows.size(); ++i) {
        if (!m_scheduler.isEnabled(i))
            continue;
        EntryRow *row = m_rows.at(i);
        row->setTimeText(m_scheduler.rowTime(i, now), row->geometry().intersects(inView)); // ends a blank
    }
    // The tray's changes last and one after the other: on a desktop that hosts the icon over
    // D-Bus each is a message its thread sends, and sent close together they mostly go out at
    // one wake-up of it.
    showNextRing(nextRingText(now));
    setTrayIcon(m_scheduler.anyEnabled() ? m_trayColoured : m_trayPlain);
}

void MainWindow::blankPhase(const ClockReading &now)
{
    const QRect inView = listInView();
    // Behind a blank the time matters only to a screen reader; without one the show phase half a
    // second later sets it.
    const bool readerListening = QAccessible::isActive();
    bool blinking = false;
    for (int i = 0; i < m_rows.size(); ++i) {
        if (!m_scheduler.isArmed(i))
            continue;
        blinking = true;
        EntryRow *row = m_rows.at(i);
        row->setTimeBlank(true, row->geometry().intersects(inView));
        if (readerListening)
            row->setTimeTextBehindBlank(m_scheduler.rowTime(i, now));
    }
    if (blinking)
        setTrayIcon(m_trayEmpty);
}

// The part of the list in view, in the coordinates of the rows: rows outside it repaint nothing
// when they blink, and paint as they are once scrolled in.
QRect MainWindow::listInView() const
{
    return QRect(-m_canvas->pos(), m_listArea->viewport()->size());
}

QString MainWindow::nextRingText(const ClockReading &now) const
{
    const qint64 seconds = m_scheduler.secondsToNextRing(now);
    return seconds >= RingTime::kWeek ? Texts::kNoRing : RingTime::formatDuration(seconds);
}

void MainWindow::showNextRing(const QString &text)
{
    if (m_rows.isEmpty())
        return; // the last text stays, as it was when the last entry went
    m_nextRing = text;
    const QString tip = Texts::kNextRingCaption + text;
    if (m_tray->toolTip() != tip)
        m_tray->setToolTip(tip);
    if (m_trayMenuOpen)
        showNextRingInMenu();
}

// A changed menu entry costs a menu update and, on a desktop that hosts the tray over D-Bus, a
// message to the host, every second; a closed menu is brought up to date as it opens.
void MainWindow::showNextRingInMenu()
{
    if (m_nextRingAction->text() != m_nextRing)
        m_nextRingAction->setText(m_nextRing);
}

void MainWindow::updateStopAction()
{
    const bool ringing = m_ringer->anyRinging();
    bool waiting = false; // "停止" also cancels snoozes
    for (int row = 0; row < m_scheduler.count() && !waiting; ++row)
        waiting = m_scheduler.isSnoozed(row);
    if (m_stopAction->isEnabled() != (ringing || waiting))
        m_stopAction->setEnabled(ringing || waiting);
    // Only while something rings: an entry that does nothing the rest of the time is not shown.
    const bool offered = m_trayMenu->actions().contains(m_snoozeAction);
    if (ringing && !offered)
        m_trayMenu->insertAction(m_trayMenu->actions().value(2), m_snoozeAction);
    else if (!ringing && offered)
        m_trayMenu->removeAction(m_snoozeAction);
}

void MainWindow::setTrayIcon(const QIcon &icon)
{
    // Re-setting the same image would repaint the tray twice a second for nothing.
    if (m_tray->icon().cacheKey() != icon.cacheKey())
        m_tray->setIcon(icon);
}
