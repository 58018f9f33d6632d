// Twice a second, on the wall clock's half seconds: in the first half of each second every
// enabled row shows its time and the tray its state; in the second half running rows and the
// tray icon go blank, so they blink once a second. Nothing here rings or decides.
#include "ui/mainwindow.h"

#include "core/nextring.h"
#include "core/texts.h"
#include "core/wallclockwatcher.h"
#include "ui/entryrow.h"
#include "ui/ringer.h"

#include <QAction>

namespace {
const int kHalfSecondMs = 500;

bool inShowHalf(const QDateTime &wall)
{
    // Rounded to the nearest half second, so a tick that comes a little early or late keeps its half.
    const qint64 ms = wall.toMSecsSinceEpoch();
    return ((ms + kHalfSecondMs / 2) / kHalfSecondMs) % 2 == 0;
}
} // namespace

void MainWindow::tick()
{
    const Instant now = SystemClock::now();
    m_wallClock->checkReading(now); // a step of the wall clock rings what it jumped over
    if (inShowHalf(now.wall))
        showPhase(now);
    else
        blankPhase(now);
    updateStopAction();
    scheduleTick();
}

void MainWindow::scheduleTick()
{
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    m_tickTimer.start(int(kHalfSecondMs - ms % kHalfSecondMs));
}

void MainWindow::showPhase(const Instant &now)
{
    QRegion unblanked;
    for (int i = 0; i < m_rows.size(); ++i) {
        if (!m_scheduler.isEnabled(i))
            continue;
        EntryRow *row = m_rows.at(i);
        if (row->setTimeBlank(false))
            unblanked += row->timeArea();
        row->setTimeText(m_scheduler.rowTime(i, now));
    }
    if (!unblanked.isEmpty())
        m_canvas->update(unblanked);
    setTrayIcon(m_scheduler.anyEnabled() ? m_trayColoured : m_trayPlain);
    showNextRing(now);
}

void MainWindow::blankPhase(const Instant &now)
{
    QRegion blanked;
    bool blinking = false;
    for (int i = 0; i < m_rows.size(); ++i) {
        if (!m_scheduler.isArmed(i))
            continue;
        blinking = true;
        EntryRow *row = m_rows.at(i);
        if (row->setTimeBlank(true))
            blanked += row->timeArea();
        row->setTimeTextBehindBlank(m_scheduler.rowTime(i, now));
    }
    if (!blanked.isEmpty())
        m_canvas->update(blanked); // one update for every blinking label: the labels alone repaint
    if (blinking)
        setTrayIcon(m_trayEmpty);
}

void MainWindow::showNextRing(const Instant &now)
{
    if (m_rows.isEmpty())
        return; // the last text stays, as it was when the last entry went
    const qint64 seconds = m_scheduler.secondsToNextRing(now);
    const QString text = seconds >= RingTime::kWeek ? Texts::kNoRing : RingTime::formatDuration(seconds);
    if (m_nextRingAction->text() != text)
        m_nextRingAction->setText(text);
    const QString tip = Texts::kNextRingCaption + text;
    if (m_tray->toolTip() != tip)
        m_tray->setToolTip(tip);
}

void MainWindow::updateStopAction()
{
    const bool ringing = m_ringer->anyRinging();
    if (m_stopAction->isEnabled() != ringing)
        m_stopAction->setEnabled(ringing);
}

void MainWindow::setTrayIcon(const QIcon &icon)
{
    // Re-setting the same image would repaint the tray twice a second for nothing.
    if (m_tray->icon().cacheKey() != icon.cacheKey())
        m_tray->setIcon(icon);
}
