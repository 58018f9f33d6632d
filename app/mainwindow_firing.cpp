// When an entry rings and what ringing does; the stop command.
#include "app/mainwindow.h"

#include "app/forcedreminder.h"

#include "app/clock.h"
#include "app/ringlog.h"
#include "app/schedule.h"
#include "storage/storagefile.h"
#include "widgets/prompt.h"

#include <QAction>
#include <QCheckBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QMediaPlayer>
#include <QMediaPlaylist>
#include <QUrl>

using namespace Schedule;
using namespace StorageFile;

namespace {
const QString kNoRepeatInfo = QStringLiteral("   每周重复：否");
const QString kArrived = QStringLiteral("   到了。");
const int kMessageMs = 10000;
} // namespace

// Loop or once, as the cached record says: an edited loop line takes effect at the next tick.
void MainWindow::refreshPlaybackModes()
{
    // The cache is parsed again only when its bytes were replaced; holding a shared copy makes
    // "same data pointer" mean "same bytes".
    if (!loopFlagsRead || cacheBytes.constData() != loopFlagsSource.constData() ||
        cacheBytes.size() != loopFlagsSource.size())
        readLoopFlags();
    for (int i = 0; i < qMin(m_entryCount, kSlots); ++i) {
        if (!qmpl[i])
            continue;
        const bool loop = loopFlags.value(i);
        qmpl[i]->setPlaybackMode(loop ? QMediaPlaylist::Loop : QMediaPlaylist::CurrentItemOnce);
        qmp[i]->setVolume(100);
    }
}

void MainWindow::readLoopFlags()
{
    const bool openedHere = !cacheBuffer.isOpen() && cacheBuffer.open(QIODevice::ReadOnly);
    cacheBufferStream.seek(0);
    cacheBufferStream.readLine(); // the header line
    loopFlags.clear();
    for (int i = 0; i < kSlots; ++i) {
        QStringList nine;
        for (int k = 0; k < kRecordLines; ++k)
            nine << cacheBufferStream.readLine();
        loopFlags << (readRecord(nine).value(PosLoop) == kYes); // a missing record reads as once
    }
    if (openedHere)
        cacheBuffer.close();
    loopFlagsSource = cacheBytes;
    loopFlagsRead = true;
}

void MainWindow::NaoZhongChuFa()
{
    refreshPlaybackModes();
    const QDateTime now = Clock::now();
    const QString nowMinute = now.toString(QStringLiteral("HH:mm"));
    const QString today = Clock::weekdayName(now.date());
    // On the night the clocks jump forward, a time inside the jump rings right after it.
    const bool clockJumped = now.addSecs(-60).offsetFromUtc() != now.offsetFromUtc();
    for (int i = 0; i < qMin(m_entryCount, kSlots); ++i) {
        if (!qcb[i] || !qcb[i]->isChecked() || ql4[i]->text() != kAlarm)
            continue;
        const QString minute = clockJumped && skippedTimeDue(timeText[i], now) ? timeText[i] : nowMinute;
        for (int k = 0; k < repeatDays[i].size() && qcb[i]->isChecked(); ++k)
            alarmStep(i, k, minute, today);
    }
}

// The alarm's label holds its time only after a show phase, so this acts once a second.
void MainWindow::alarmStep(int i, int k, const QString &nowMinute, const QString &today)
{
    if (ql2[i]->text() != nowMinute) {
        alarmAfterMinute(i, nowMinute);
        return;
    }
    if (minuteLatch[i] != 0)
        return; // this minute has been dealt with
    const QStringList &days = repeatDays[i];
    if (days.value(k) == today) {
        weekdayRing(i);
    } else if (days.value(0) == kNo) {
        oneShotRing(i);
    } else if (!days.contains(today) && qmp[i]->state() == QMediaPlayer::StoppedState &&
               runState[i] == Idle && qmpl[i]->playbackMode() == QMediaPlaylist::CurrentItemOnce) {
        // Not a day of this alarm. Only an unlisted day may settle it here: on a listed day the
        // matching repeat day re-arms it below, with its notification and command restored.
        runState[i] = Armed;
        minuteLatch[i] = 1;
    }
}

void MainWindow::weekdayRing(int i)
{
    const auto stopped = [this, i] { return qmp[i]->state() == QMediaPlayer::StoppedState; };
    const auto once = [this, i] { return qmpl[i]->playbackMode() == QMediaPlaylist::CurrentItemOnce; };
    const auto loops = [this, i] { return qmpl[i]->playbackMode() == QMediaPlaylist::Loop; };
    if (runState[i] == Pending)
        ringPending(i);
    if (stopped() && once() && runState[i] == Armed)
        ring(i);
    if (stopped() && once() && runState[i] == Idle) {
        // The sound ended within the minute: wait for next week, and tell the user again then.
        minuteLatch[i] = 1;
        runState[i] = Armed;
        notifyPending[i] = 1;
        commandPending[i] = 1;
    } else if (stopped() && loops() && runState[i] == Armed) {
        ring(i);
    }
}

void MainWindow::oneShotRing(int i)
{
    const auto stopped = [this, i] { return qmp[i]->state() == QMediaPlayer::StoppedState; };
    const auto once = [this, i] { return qmpl[i]->playbackMode() == QMediaPlaylist::CurrentItemOnce; };
    const auto loops = [this, i] { return qmpl[i]->playbackMode() == QMediaPlaylist::Loop; };
    if (runState[i] == Pending)
        ringPending(i);
    if (stopped() && once() && runState[i] == Armed) {
        ring(i);
        return;
    }
    if (stopped() && once() && runState[i] == Idle && ql_TianChong[i]->text().size() == kNoRepeatInfo.size())
        finishEntry(i); // its one ring is over
    else if (stopped() && loops() && runState[i] == Armed)
        ring(i);
}

void MainWindow::alarmAfterMinute(int i, const QString &nowMinute)
{
    const bool playing = qmp[i]->state() == QMediaPlayer::PlayingState;
    const bool stopped = qmp[i]->state() == QMediaPlayer::StoppedState;
    const bool once = qmpl[i]->playbackMode() == QMediaPlaylist::CurrentItemOnce;
    const bool oneShot = repeatDays[i].value(0) == kNo;
    if (ql2[i]->text().isEmpty())
        return; // blanked by the blink: nothing to compare
    if (playing && once && runState[i] == Idle) {
        if (oneShot)
            oneShotDone[i] = 1;
        else
            minuteLatch[i] = 0;
    } else if (stopped && runState[i] == Idle) {
        // An idle one-shot alarm has rung, even when its sound ended just as the minute turned.
        if (oneShotDone[i] == 1 || oneShot) {
            finishEntry(i);
            oneShotDone[i] = 0;
            minuteLatch[i] = 0;
        } else {
            runState[i] = Armed;
            minuteLatch[i] = 0;
            notifyPending[i] = 1; // a long sound must not cost next week's notification
            commandPending[i] = 1;
        }
    } else if (playing && runState[i] == Pending) {
        runState[i] = Idle;
    }
    const QString label = ql2[i]->text();
    if (label != nowMinute && !label.isEmpty() && qmp[i]->state() == QMediaPlayer::StoppedState &&
        runState[i] == Armed)
        minuteLatch[i] = 0;
}

void MainWindow::JiShiQiChuFa()
{
    refreshPlaybackModes();
    for (int i = 0; i < qMin(m_entryCount, kSlots); ++i) {
        if (qcb[i] && qcb[i]->isChecked() && ql4[i]->text() == kTimer)
            timerStep(i);
    }
}

void MainWindow::timerStep(int i)
{
    if (timeText[i] != kZero) {
        runState[i] = Armed;
        return;
    }
    const auto stopped = [this, i] { return qmp[i]->state() == QMediaPlayer::StoppedState; };
    const bool once = qmpl[i]->playbackMode() == QMediaPlaylist::CurrentItemOnce;
    if (runState[i] == Pending)
        ringPending(i);
    if (stopped() && once && runState[i] == Idle)
        finishEntry(i); // the sound has ended: back to the full duration, disabled
    else if (stopped() && runState[i] == Armed)
        ring(i);
}

// Disables the entry and shows its stored time again.
void MainWindow::finishEntry(int i)
{
    qcb[i]->setChecked(false);
    timeText[i] = qlBaoCunShiJian[i]->text();
    ql2[i]->setText(timeText[i]);
}

// A player that was prepared long before its ring can come out late by as long as it waited
// (seen with PulseAudio on PipeWire); handing it its playlist again starts the stream afresh.
void MainWindow::startSound(int i)
{
    if (qmp[i]->state() != QMediaPlayer::PlayingState) {
        qmp[i]->setPlaylist(nullptr);
        qmp[i]->setPlaylist(qmpl[i]);
    }
    qmp[i]->play();
}

// Enabling or disabling any entry makes every enabled one pending; one that has already had its
// ring must not be rung a second time.
void MainWindow::ringPending(int i)
{
    if (alreadyRang(i))
        runState[i] = Idle;
    else
        ring(i);
}

// A timer rings once each time it is enabled (its sound may end just as the minute turns); an
// alarm once in its minute.
bool MainWindow::alreadyRang(int i) const
{
    if (ql4[i]->text() == kTimer)
        return ringMinute[i] != -1;
    return ringMinute[i] == Clock::now().toMSecsSinceEpoch() / 60000;
}

void MainWindow::ring(int i)
{
    const bool alarm = ql4[i]->text() == kAlarm;
    qCInfo(lcRing, "ring entry=%d type=%s ms=%lld", i, alarm ? "alarm" : "timer", RingLog::stamp());
    // Enabling or disabling another entry makes a ringing one pending again; that is still the
    // same ring, so it brings no second reminder box.
    const bool alreadyRinging = qmp[i]->state() == QMediaPlayer::PlayingState;
    startSound(i);
    runState[i] = Idle;
    ringMinute[i] = Clock::now().toMSecsSinceEpoch() / 60000;
    if (notifyPending[i] == 1) {
        const QString title = alarm ? QStringLiteral("闹钟时间到了") : QStringLiteral("计时器时间到了");
        const QString message =
            alarm ? QLatin1Char('[') + ql2[i]->text() + QStringLiteral("]   ") + ql3[i]->text() + kArrived
                  : ql3[i]->text() + kArrived;
        qsti->showMessage(title, message, QSystemTrayIcon::MessageIcon(trayMessageIcon), kMessageMs);
        notifyPending[i] = 0;
        notifyAllowed[i] = 0;
    }
    if (commandPending[i] == 1) {
        if (commandPath[i] != kNone)
            runCommandFile(commandPath[i]);
        commandPending[i] = 0;
        commandAllowed[i] = 0;
    }
    if (forcedReminderOn() && !alreadyRinging)
        showForcedReminder(i);
}

// Programs are started with an argument list, never through a shell line: paths may hold
// spaces, quotes and commas.
void MainWindow::runCommandFile(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return;
    if (path.endsWith(QStringLiteral(".desktop"))) {
        desktopFile.load(path);
        QStringList exec = desktopFile.expandExecString(QStringList());
        const QString program = exec.isEmpty() ? QString() : exec.takeFirst();
        QProcess::startDetached(program, exec);
    } else if (path.endsWith(QStringLiteral(".sh"))) {
        QProcess::startDetached(QStringLiteral("sh"), {path});
    } else {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }
}

bool MainWindow::forcedReminderOn() const
{
    return qa_QiangZhiQuanPingTiXing->text() == ForcedReminder::kOnText;
}

void MainWindow::showForcedReminder(int i)
{
    showMaximized();
    activateWindow();
    Prompt::showReminder(this, ql3[i]->text() + kArrived);
}

void MainWindow::TingZhi()
{
    for (int i = 0; i < qMin(m_entryCount, kSlots); ++i) {
        if (!qmp[i] || qmp[i]->state() != QMediaPlayer::PlayingState)
            continue;
        const QString type = ql4[i]->text();
        if (type == kTimer || (type == kAlarm && ql_TianChong[i]->text() == kNoRepeatInfo)) {
            qcb[i]->setChecked(false); // the synchronisation stops it and resets the row
            qmp[i]->stop();            // already unchecked: nothing else would silence it
        } else if (type == kAlarm) {
            minuteLatch[i] = 1;
            runState[i] = Armed;
            qmp[i]->stop();
            notifyPending[i] = 1;
            commandPending[i] = 1;
        }
    }
}
