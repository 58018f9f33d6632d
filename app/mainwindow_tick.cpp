// The 500 ms tick: the firing passes, then a show phase or a blank phase in turn, so running
// rows and the tray icon blink once a second and timers count down one second per blank phase.
#include "app/mainwindow.h"

#include "app/clock.h"
#include "app/ringlog.h"
#include "app/schedule.h"
#include "storage/storagefile.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMediaPlayer>
#include <QPushButton>

using namespace Schedule;

void MainWindow::GengXingShiJian()
{
    // The passes read the entries from the byte cache, never from the file: the tick must not block.
    cacheBuffer.open(QIODevice::ReadOnly);
    NaoZhongChuFa();
    JiShiQiChuFa();
    cacheBuffer.close();

    const QDateTime now = Clock::now();
    const QString nowMinute = now.toString(QStringLiteral("HH:mm"));
    const QString today = Clock::weekdayName(now.date());
    ++tickCount;
    if (tickCount % 2 == 0)
        showPhase(nowMinute, today);
    else
        blankPhase(nowMinute, today);
}

bool MainWindow::rowInUse(int i) const
{
    return qpb_BuJuShuZu[i] && qpb_BuJuShuZu[i]->width() > 0 && qcb[i];
}

void MainWindow::showPhase(const QString &nowMinute, const QString &today)
{
    for (int i = 0; i < qMin(m_entryCount, kSlots); ++i) {
        if (!rowInUse(i) || !qcb[i]->isChecked())
            continue;
        evaluatePending(i, nowMinute, today);
        const QString type = ql4[i]->text();
        if (type == StorageFile::kAlarm)
            ql2[i]->setText(timeText[i]);
        else if (type == StorageFile::kTimer && ql2[i]->text() != kZero)
            ql2[i]->setText(timeText[i]); // a timer that reached zero keeps showing it
        enabledSeen = 1;
    }
    setTrayIcon(enabledSeen == 1 ? trayIconColoured : trayIconPlain);
    enabledSeen = 0;
    ShuaXingXiaYiCiNaoLing();
    updateStopCommand();
}

void MainWindow::blankPhase(const QString &nowMinute, const QString &today)
{
    if (m_entryCount <= 0) {
        qa_TingZhi->setEnabled(false);
        return;
    }
    for (int i = 0; i < qMin(m_entryCount, kSlots); ++i) {
        if (runState[i] == Idle || !rowInUse(i) || !qcb[i]->isChecked())
            continue;
        evaluatePending(i, nowMinute, today);
        if (timeText[i].isEmpty())
            continue; // a broken entry must not hold up the countdown of the rows after it
        ql2[i]->setText(QString());
        setTrayIcon(trayIconEmpty);
        if (ql4[i]->text() == StorageFile::kTimer && runState[i] == Armed) {
            timeText[i] = countDown(timeText[i]);
            if (lcRing().isInfoEnabled() && timeText[i] == kZero) // no comparison when off
                qCInfo(lcRing, "zero entry=%d ms=%lld", i, RingLog::stamp());
        }
    }
    updateStopCommand();
}

// Settles an entry that was just enabled and that the firing passes left pending.
void MainWindow::evaluatePending(int i, const QString &nowMinute, const QString &today)
{
    if (runState[i] != Pending)
        return;
    const QString type = ql4[i]->text();
    if (type == StorageFile::kAlarm) {
        // The first repeat day decides.
        if (!repeatDays[i].isEmpty())
            runState[i] = repeatDays[i].first() == today && timeText[i] == nowMinute ? Idle : Armed;
    } else if (type == StorageFile::kTimer) {
        if (timeText[i] != kZero) {
            runState[i] = Armed;
            return;
        }
        if (alreadyRang(i)) {
            runState[i] = Idle; // made pending by another entry's change: it has had its ring
            return;
        }
        qCInfo(lcRing, "ring entry=%d type=timer ms=%lld", i, RingLog::stamp());
        startSound(i);
        runState[i] = Idle;
        ringMinute[i] = Clock::now().toMSecsSinceEpoch() / 60000; // rung since it was enabled
        if (forcedReminderOn())
            showForcedReminder(i);
    }
}

void MainWindow::updateStopCommand()
{
    bool playing = false;
    for (int i = 0; i < qMin(m_entryCount, kSlots) && !playing; ++i)
        playing = qmp[i] && qmp[i]->state() == QMediaPlayer::PlayingState;
    qa_TingZhi->setEnabled(m_entryCount > 0 && playing);
}

void MainWindow::setTrayIcon(const QIcon &icon)
{
    // Re-setting the same image would repaint the tray twice a second for nothing.
    if (qsti->icon().cacheKey() != icon.cacheKey())
        qsti->setIcon(icon);
}
