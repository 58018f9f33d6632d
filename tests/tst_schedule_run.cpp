// Days of the real main window under a pinned clock: countdowns, rings with real players and real
// tray messages, the stop command, blinking, the next-ring text, and sounds that cannot play.
#include "support/filefaults.h"
#include "support/windowrig.h"

#include "ui/reminderbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QStandardPaths>

using namespace Rig;

namespace {

const QString kAlarmTitle = QStringLiteral("闹钟时间到了");
const QString kTimerTitle = QStringLiteral("计时器时间到了");

// A script that appends "argument count|$0|arguments" to a marker file.
QString markerScript(const TestHome &home, const QString &relativePath, const QString &marker)
{
    const QString path = home.makeFile(
        relativePath, QStringLiteral("#!/bin/sh\necho \"$#|$0|$*\" >> '%1'\n").arg(marker).toUtf8());
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
    return path;
}

QImage iconImage(const QIcon &icon)
{
    return icon.pixmap(QSize(22, 22)).toImage().convertToFormat(QImage::Format_ARGB32);
}

bool trayShows(const Rig::Window &r, const char *resource)
{
    return iconImage(r.d->tray()->icon()) == iconImage(QIcon(QString::fromUtf8(resource)));
}

// The tray menu's "稍后提醒", offered only while something rings.
QAction *snoozeInTray(const Rig::Window &r)
{
    const QList<QAction *> actions = r.d->trayMenu()->actions();
    const auto it = std::find_if(actions.cbegin(), actions.cend(),
                                 [](QAction *a) { return a->text() == QStringLiteral("稍后提醒"); });
    return it == actions.cend() ? nullptr : *it;
}

// The "稍后提醒" button of the reminder box on screen.
QPushButton *snoozeInReminderBox()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (!qobject_cast<ReminderBox *>(w) || !w->isVisible())
            continue;
        for (QPushButton *button : w->findChildren<QPushButton *>()) {
            if (button->text() == QStringLiteral("稍后提醒"))
                return button;
        }
    }
    return nullptr;
}

QStringList minutes(const QStringList &rings)
{
    QStringList out;
    for (const QString &ring : rings)
        out << ring.left(ring.size() - 3); // drop the seconds
    return out;
}

} // namespace

class TestScheduleRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void soundIsReadyBeforeTheFirstRing();
    void timerCountsDownAndRings_data();
    void timerCountsDownAndRings();
    void alarmRings_data();
    void alarmRings();
    void stopCommand_data();
    void stopCommand();
    void sameMinuteAlarms_data();
    void sameMinuteAlarms();
    void disablingARingingTimer();
    void snooze_data();
    void snooze();
    void secondTimerKeepsFirstRemaining();
    void blinking_data();
    void blinking();
    void tickWithoutEntries();
    void zeroTimerDoesNotHoldUpLaterRows();
    void nextRingInTray_data();
    void nextRingInTray();
    void unplayableSoundFallsBack_data();
    void unplayableSoundFallsBack();
    void clockJumps_data();
    void clockJumps();
    void longAsleepListsWhatItMissed();
    void commandFiles_data();
    void commandFiles();
    void awkwardStorageFile_data();
    void awkwardStorageFile();
};

void TestScheduleRun::initTestCase()
{
    QVERIFY2(QSystemTrayIcon::isSystemTrayAvailable(),
             "run inside scripts/test-session.sh: a tray is needed");
}

void TestScheduleRun::cleanup()
{
    TestSupport::closeAllPrompts();
}

// Enabling an entry prepares the sound a moment later, before anything rings, so the first ring
// does not wait for it. Must run before any other test here rings.
void TestScheduleRun::soundIsReadyBeforeTheFirstRing()
{
    TestHome home;
    Rig::Window r({alarm(QStringLiteral("起床"), QStringLiteral("07:30")),
                   timer(QStringLiteral("泡茶"), QStringLiteral("00:00:02"))},
                  home);
    QVERIFY(r.d->waitForEditor());
    QTest::qWait(300);
    QVERIFY(!TestSupport::libraryMapped(QStringLiteral("tavrel-media")));

    r.d->clickBox(1);
    QVERIFY(!TestSupport::libraryMapped(QStringLiteral("tavrel-media"))); // the click is drawn first
    QTRY_VERIFY(TestSupport::libraryMapped(QStringLiteral("gstmediaplayer")));
    QVERIFY(!r.d->ringPlayer()); // nothing rang: the clock stands still

    r.step(2000);
    QCOMPARE(r.rings, QStringList{QStringLiteral("1 星期一 00:00:02")});
    QMediaPlayer *player = r.d->ringPlayer();
    QVERIFY(player);
    QTRY_COMPARE(player->state(), QMediaPlayer::PlayingState);
    r.stopAction()->trigger();
}

void TestScheduleRun::timerCountsDownAndRings_data()
{
    QTest::addColumn<QString>("duration");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("firstShown");
    QTest::newRow("three seconds") << "00:00:03" << 3 << "00:00:02";
    QTest::newRow("two seconds") << "00:00:02" << 2 << "00:00:01";
    QTest::newRow("a minute and a second") << "00:01:01" << 61 << "00:01:00";
    QTest::newRow("an hour") << "01:00:00" << 3600 << "00:59:59";
}

void TestScheduleRun::timerCountsDownAndRings()
{
    QFETCH(QString, duration);
    QFETCH(int, seconds);
    QFETCH(QString, firstShown);
    TestHome home;
    Entry tea = timer(QStringLiteral("泡茶"), duration);
    tea.sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.3));
    Rig::Window r({tea}, home);
    const QByteArray allOff = home.storageBytes();
    BalloonLog balloons;

    r.d->clickBox(0);
    QVERIFY(home.storageBytes().contains("状态,开启"));
    r.step(); // blank
    QCOMPARE(r.time(0), QString());
    r.step(); // show: a second has gone
    QCOMPARE(r.time(0), firstShown);
    for (int n = 2; n < 2 * seconds - 1; ++n)
        r.step();
    QVERIFY(!r.playing(0));
    QVERIFY(balloons.messages.isEmpty());

    r.step(); // its time is up
    QVERIFY(r.playing(0));
    QCOMPARE(r.time(0), QStringLiteral("00:00:00"));
    QCOMPARE(balloons.messages, QStringList{kTimerTitle + QStringLiteral("|泡茶   到了。")});
    QVERIFY(r.stopAction()->isEnabled());

    // A once-only sound ends on its own: the timer is disabled and shows its duration again.
    QVERIFY(r.waitForSilence());
    QVERIFY(!r.box(0)->isChecked());
    QCOMPARE(r.time(0), duration);
    QCOMPARE(home.storageBytes(), allOff);
    QVERIFY(!r.stopAction()->isEnabled());
    QCOMPARE(r.rings.size(), 1);
}

void TestScheduleRun::alarmRings_data()
{
    QTest::addColumn<QString>("repeat");
    QTest::addColumn<double>("soundSeconds");
    QTest::addColumn<QStringList>("plan"); // "from -> to" lets each ring end; "from => to" does not wait
    QTest::addColumn<QStringList>("rings");
    QTest::addColumn<bool>("enabledAfter");

    const QString monFri = QStringLiteral("星期一|星期五");
    QTest::newRow("Thursday is not its day")
        << monFri << 0.3 << QStringList{"Thu 07:00:00 -> Thu 08:00:00"} << QStringList{} << true;
    QTest::newRow("Friday at 07:30, once in its minute")
        << monFri << 0.3 << QStringList{"Fri 07:29:00 -> Fri 07:35:00"} << QStringList{"0 星期五 07:30"}
        << true;
    QTest::newRow("a week and a day")
        << monFri << 0.3 << QStringList{"Mon 00:00:00 -> Tue2 00:00:00"}
        << QStringList{"0 星期一 07:30", "0 星期五 07:30", "0 星期一 07:30"} << true;
    QTest::newRow("every day of a week")
        << QStringLiteral("星期一|星期二|星期三|星期四|星期五|星期六|星期日") << 0.3
        << QStringList{"Mon 00:00:00 -> Mon2 00:00:00"}
        << QStringList{"0 星期一 07:30", "0 星期二 07:30", "0 星期三 07:30", "0 星期四 07:30",
                       "0 星期五 07:30", "0 星期六 07:30", "0 星期日 07:30"}
        << true;
    QTest::newRow("weekend alarm over the working week")
        << QStringLiteral("星期六|星期日") << 0.3 << QStringList{"Mon 00:00:00 -> Sat 00:00:00"}
        << QStringList{} << true;
    QTest::newRow("without repeat: once, then disabled")
        << "否" << 0.3 << QStringList{"Mon 07:00:00 -> Wed 08:00:00"} << QStringList{"0 星期一 07:30"}
        << false;
    QTest::newRow("without repeat, enabled after its time: the next day")
        << "否" << 0.3 << QStringList{"Mon 08:00:00 -> Wed 08:00:00"} << QStringList{"0 星期二 07:30"}
        << false;
    QTest::newRow("enabled within its minute on its day")
        << "星期一" << 0.3 << QStringList{"Mon 07:30:20 -> Mon 07:40:00"} << QStringList{"0 星期一 07:30"}
        << true;
    QTest::newRow("weekly, sound outlasting its minute, rings again next week")
        << "星期一" << 2.0 << QStringList{"Mon 07:29:00 => Mon 07:32:00", "Mon 07:32:00 -> Mon2 07:35:00"}
        << QStringList{"0 星期一 07:30", "0 星期一 07:30"} << true;
    QTest::newRow("without repeat, sound outlasting its minute")
        << "否" << 2.0 << QStringList{"Mon 07:29:00 => Mon 07:32:00", "Mon 07:32:00 -> Tue 08:00:00"}
        << QStringList{"0 星期一 07:30"} << false;
    QTest::newRow("without repeat, sound ending as its minute turns")
        << "否" << 0.3 << QStringList{"Mon 07:30:50 -> Tue 08:00:00"} << QStringList{"0 星期一 07:30"}
        << false;
}

void TestScheduleRun::alarmRings()
{
    QFETCH(QString, repeat);
    QFETCH(double, soundSeconds);
    QFETCH(QStringList, plan);
    QFETCH(QStringList, rings);
    QFETCH(bool, enabledAfter);
    TestHome home;
    Entry wake = alarm(QStringLiteral("起床"), QStringLiteral("07:30"), repeat);
    wake.sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(soundSeconds));
    Rig::Window r({wake}, home, when(plan.first().section(QLatin1Char(' '), 0, 1)));
    BalloonLog balloons;

    r.d->clickBox(0);
    for (const QString &segment : plan) {
        const bool letRingsEnd = segment.contains(QLatin1String("->"));
        const QStringList ends = segment.split(letRingsEnd ? QStringLiteral(" -> ") : QStringLiteral(" => "));
        for (QDateTime t = when(ends.at(0)); t < when(ends.at(1)); t = t.addSecs(15)) {
            r.tickAt(t);
            if (letRingsEnd)
                QVERIFY(r.waitForSilence());
        }
        QVERIFY(r.waitForSilence());
    }

    QCOMPARE(minutes(r.rings), rings);
    QCOMPARE(balloons.messages.size(), rings.size()); // every ring tells the user
    for (const QString &m : qAsConst(balloons.messages))
        QCOMPARE(m, kAlarmTitle + QStringLiteral("|[07:30]   起床   到了。"));
    QCOMPARE(r.box(0)->isChecked(), enabledAfter);
    QCOMPARE(home.storageBytes().contains("状态,开启"), enabledAfter);
    if (!enabledAfter)
        QCOMPARE(r.time(0), QStringLiteral("07:30"));
}

void TestScheduleRun::stopCommand_data()
{
    QTest::addColumn<Entry>("entry");
    QTest::addColumn<bool>("enabledAfter");
    QTest::addColumn<QString>("labelAfter");

    Entry loopTimer = timer(QStringLiteral("面包"), QStringLiteral("00:00:01"));
    Entry weekly = alarm(QStringLiteral("上班"), QStringLiteral("07:30"), QStringLiteral("星期一"));
    Entry oneShot = alarm(QStringLiteral("吃药"), QStringLiteral("07:30"));
    for (Entry *e : {&loopTimer, &weekly, &oneShot})
        e->loop = true;
    QTest::newRow("looping timer is disabled") << loopTimer << false << "00:00:01";
    QTest::newRow("looping weekly alarm stays enabled") << weekly << true << "07:30";
    QTest::newRow("looping alarm without repeat is disabled") << oneShot << false << "07:30";
}

void TestScheduleRun::stopCommand()
{
    QFETCH(Entry, entry);
    QFETCH(bool, enabledAfter);
    QFETCH(QString, labelAfter);
    TestHome home;
    entry.sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.3));
    const QDateTime ringAt = when("Mon 07:30:00");
    Rig::Window r({entry}, home, ringAt.addSecs(-1));
    BalloonLog balloons;

    r.w->stopRinging(); // nothing plays: no change
    QVERIFY(!r.stopAction()->isEnabled());
    r.d->clickBox(0);
    for (int n = 0; n < 4 && !r.playing(0); ++n)
        r.step();
    QVERIFY(r.playing(0));

    // A looping sound goes on, over several lengths of the file, until it is stopped.
    for (int n = 0; n < 4; ++n) {
        QTest::qWait(300);
        r.step(1000);
        QVERIFY(r.playing(0));
        QVERIFY(r.stopAction()->isEnabled());
    }
    r.stopAction()->trigger();
    QVERIFY(!r.playing(0));
    QCOMPARE(r.box(0)->isChecked(), enabledAfter);
    QCOMPARE(r.time(0), labelAfter);
    r.step();
    QVERIFY(!r.stopAction()->isEnabled());
    QCOMPARE(r.rings.size(), 1);

    if (enabledAfter) { // a weekly alarm waits for next week, and tells the user again then
        for (int n = -4; n < 2 && !r.playing(0); ++n)
            r.tickAt(ringAt.addDays(7).addSecs(n));
        QVERIFY(r.playing(0));
        QCOMPARE(balloons.messages.size(), 2);
        r.stopAction()->trigger();
    }
}

void TestScheduleRun::sameMinuteAlarms_data()
{
    QTest::addColumn<bool>("forced");
    QTest::newRow("forced reminder off") << false;
    QTest::newRow("forced reminder on") << true;
}

void TestScheduleRun::sameMinuteAlarms()
{
    QFETCH(bool, forced);
    TestHome home;
    const QString sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.3));
    Entry first = alarm(QStringLiteral("甲"), QStringLiteral("07:30"));
    Entry second = alarm(QStringLiteral("乙"), QStringLiteral("07:30"));
    first.sound = second.sound = sound;
    Rig::Window r({first, second}, home, when("Mon 07:29:50"));
    BalloonLog balloons;
    if (forced)
        r.d->forcedReminderAction()->trigger();
    QCOMPARE(r.d->forcedReminderAction()->text(), forced ? QStringLiteral("当前状态:是\n点击切换强制提醒")
                                                         : QStringLiteral("当前状态:否\n点击切换强制提醒"));

    r.d->clickBox(0);
    r.d->clickBox(1);
    r.tickAt(when("Mon 07:29:55"));
    QVERIFY(r.rings.isEmpty());
    r.tickAt(when("Mon 07:30:00"));

    QCOMPARE(r.rings, (QStringList{"0 星期一 07:30:00", "1 星期一 07:30:00"}));
    QCOMPARE(balloons.messages, (QStringList{kAlarmTitle + QStringLiteral("|[07:30]   甲   到了。"),
                                             kAlarmTitle + QStringLiteral("|[07:30]   乙   到了。")}));
    QStringList boxes = TestSupport::shownPromptTexts();
    boxes.sort();
    QCOMPARE(boxes, (forced ? QStringList{"乙   到了。", "甲   到了。"} : QStringList{}));
    QCOMPARE(r.w->isMaximized(), forced);
    QVERIFY(r.waitForSilence());
}

void TestScheduleRun::disablingARingingTimer()
{
    TestHome home;
    Entry bread = timer(QStringLiteral("面包"), QStringLiteral("00:00:02"));
    bread.loop = true;
    bread.sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.3));
    Rig::Window r({bread}, home);
    BalloonLog balloons;

    r.d->clickBox(0);
    for (int n = 0; n < 5; ++n)
        r.step();
    QVERIFY(r.playing(0));
    QCOMPARE(balloons.messages.size(), 1);

    // Disabling a ringing timer silences it and shows its whole duration again.
    r.d->clickBox(0);
    QVERIFY(!r.playing(0));
    QCOMPARE(r.time(0), QStringLiteral("00:00:02"));
    QVERIFY(home.storageBytes().contains("状态,关闭"));

    r.d->clickBox(0);
    for (int n = 0; n < 5; ++n)
        r.step();
    QVERIFY(r.playing(0));
    QCOMPARE(balloons.messages.size(), 2);
    QCOMPARE(balloons.messages.last(), kTimerTitle + QStringLiteral("|面包   到了。"));
    r.stopAction()->trigger();
}

void TestScheduleRun::snooze_data()
{
    QTest::addColumn<bool>("fromTray"); // else the reminder box's button
    QTest::addColumn<bool>("stopWhileWaiting");
    QTest::newRow("reminder box") << false << false;
    QTest::newRow("tray menu") << true << false;
    QTest::newRow("stop cancels it") << false << true;
}

// A snoozed ring is silent at once and its row says it waits; with the default length it rings
// again ten minutes later, with its message and reminder, unless "停止" cancelled it.
void TestScheduleRun::snooze()
{
    QFETCH(bool, fromTray);
    QFETCH(bool, stopWhileWaiting);
    TestHome home;
    Entry bread = timer(QStringLiteral("面包"), QStringLiteral("00:00:02"));
    bread.loop = true;
    bread.sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.3));
    Rig::Window r({bread}, home);
    BalloonLog balloons;
    r.d->forcedReminderAction()->trigger();
    r.d->clickBox(0);
    r.step(2000);
    QVERIFY(r.playing(0));
    QVERIFY(snoozeInTray(r));
    QPushButton *button = snoozeInReminderBox();
    QVERIFY(button);

    if (fromTray)
        snoozeInTray(r)->trigger();
    else
        button->click();
    QVERIFY(!r.playing(0));
    QVERIFY(!snoozeInTray(r));
    QCOMPARE(r.d->row(0)->accessibleDescription(), QStringLiteral("稍后再响"));
    QVERIFY(r.stopAction()->isEnabled()); // it cancels the snooze
    r.tick(); // the tray's countdown follows at the next tick
    QCOMPARE(r.d->nextRingText(), QStringLiteral("0天0小时10分钟0秒"));
    if (stopWhileWaiting) {
        r.stopAction()->trigger();
        QCOMPARE(r.d->row(0)->accessibleDescription(), QString());
        QVERIFY(!r.stopAction()->isEnabled());
    }
    TestSupport::closeAllPrompts();

    r.step(10 * 60 * 1000 - 1000);
    QVERIFY(!r.playing(0));
    r.step(1000);
    QCOMPARE(r.playing(0), !stopWhileWaiting);
    QCOMPARE(balloons.messages.size(), stopWhileWaiting ? 1 : 2);
    QCOMPARE(TestSupport::shownPromptTexts().size(), stopWhileWaiting ? 0 : 1);
    QCOMPARE(r.d->row(0)->accessibleDescription(), QString());
    r.stopAction()->trigger();
}

void TestScheduleRun::secondTimerKeepsFirstRemaining()
{
    TestHome home;
    Rig::Window r({timer(QStringLiteral("甲"), QStringLiteral("00:00:10")),
                   timer(QStringLiteral("乙"), QStringLiteral("00:05:00"))},
                  home);
    r.d->clickBox(0);
    for (int n = 0; n < 6; ++n)
        r.step();
    QCOMPARE(r.time(0), QStringLiteral("00:00:07"));

    r.d->clickBox(1);
    r.step(); // blank
    r.step(); // show
    QCOMPARE(r.time(0), QStringLiteral("00:00:06"));
    QCOMPARE(r.time(1), QStringLiteral("00:04:59"));

    // Disabling a counting timer pauses it at what was left; enabling it again counts on from there,
    // and the other timer counts on untouched.
    r.d->clickBox(0);
    QCOMPARE(r.time(0), QStringLiteral("00:00:06"));
    r.step();
    r.step();
    QCOMPARE(r.time(0), QStringLiteral("00:00:06"));
    r.d->clickBox(0);
    r.step();
    r.step();
    QCOMPARE(r.time(0), QStringLiteral("00:00:05"));
    QCOMPARE(r.time(1), QStringLiteral("00:04:57"));
}

void TestScheduleRun::blinking_data()
{
    QTest::addColumn<int>("halfSeconds");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<QString>("trayIcon");
    QTest::newRow("in the second half of a second")
        << 3 << QStringList{"07:30", "", "10:00"} << ":/res/空.png";
    QTest::newRow("in the first half of a second")
        << 4 << QStringList{"07:30", "09:00", "10:00"} << ":/res/闹钟-彩色.png";
}

void TestScheduleRun::blinking()
{
    QFETCH(int, halfSeconds);
    QFETCH(QStringList, labels);
    QFETCH(QString, trayIcon);
    TestHome home;
    Entry ringing = alarm(QStringLiteral("响"), QStringLiteral("07:30"), QStringLiteral("星期一"));
    ringing.loop = true;
    ringing.sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.3));
    Rig::Window r({ringing, alarm(QStringLiteral("等"), QStringLiteral("09:00"), QStringLiteral("星期一")),
                   alarm(QStringLiteral("关"), QStringLiteral("10:00"))},
                  home, when("Mon 07:30:00"));
    r.d->clickBox(0);
    r.d->clickBox(1);
    for (int n = 0; n < halfSeconds; ++n)
        r.step();
    QVERIFY(r.playing(0)); // steady while it rings
    for (int i = 0; i < 3; ++i)
        QCOMPARE(r.time(i), labels.at(i));
    QVERIFY(trayShows(r, trayIcon.toUtf8().constData()));
    r.stopAction()->trigger();
}

void TestScheduleRun::tickWithoutEntries()
{
    TestHome home;
    Rig::Window r({}, home);
    for (int n = 0; n < 4; ++n) {
        r.step();
        QVERIFY(!r.stopAction()->isEnabled());
    }
    QVERIFY(trayShows(r, ":/res/闹钟.png"));
    QCOMPARE(r.d->tray()->toolTip(), QString());
    QCOMPARE(r.d->nextRingText(), QStringLiteral("无响铃"));
}

void TestScheduleRun::zeroTimerDoesNotHoldUpLaterRows()
{
    TestHome home;
    Entry zero = timer(QStringLiteral("零"), QStringLiteral("00:00:00"));
    Entry good = timer(QStringLiteral("好"), QStringLiteral("00:00:02"));
    zero.sound = good.sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.3));
    Rig::Window r({zero, good}, home);
    r.d->clickBox(0);
    QVERIFY(r.playing(0)); // nothing to wait for
    r.d->clickBox(1);
    for (int n = 0; n < 4; ++n)
        r.step();
    QVERIFY(r.playing(1));
    QVERIFY(r.waitForSilence());
    QCOMPARE(r.rings.size(), 2);
}

void TestScheduleRun::nextRingInTray_data()
{
    QTest::addColumn<QVector<Entry>>("entries");
    QTest::addColumn<QList<int>>("enable");
    QTest::addColumn<QString>("text");

    const Entry tenMinutes = timer(QStringLiteral("茶"), QStringLiteral("00:10:00"));
    Entry ringingNow = timer(QStringLiteral("响"), QStringLiteral("00:00:00"));
    ringingNow.loop = true;
    const Entry wednesday = alarm(QStringLiteral("周三"), QStringLiteral("09:00"), QStringLiteral("星期三"));
    const Entry soon = alarm(QStringLiteral("稍后"), QStringLiteral("11:30"));
    QTest::newRow("ten-minute timer, one second gone")
        << QVector<Entry>{tenMinutes} << QList<int>{0} << "0天0小时9分钟59秒";
    QTest::newRow("nothing enabled") << QVector<Entry>{tenMinutes} << QList<int>{} << "无响铃";
    QTest::newRow("09:00 on Wednesdays, now Wednesday 10:00")
        << QVector<Entry>{wednesday} << QList<int>{0} << "6天23小时0分钟0秒";
    QTest::newRow("11:30 without repeat, now 10:00")
        << QVector<Entry>{soon} << QList<int>{0} << "0天1小时30分钟0秒";
    QTest::newRow("a ringing entry is ignored") << QVector<Entry>{ringingNow} << QList<int>{0} << "无响铃";
    QTest::newRow("a ringing entry is ignored, the next one counts")
        << QVector<Entry>{ringingNow, wednesday} << QList<int>{0, 1} << "6天23小时0分钟0秒";
}

void TestScheduleRun::nextRingInTray()
{
    QFETCH(QVector<Entry>, entries);
    QFETCH(QList<int>, enable);
    QFETCH(QString, text);
    TestHome home;
    const QString sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.3));
    for (Entry &e : entries)
        e.sound = sound;
    Rig::Window r(entries, home, when("Wed 09:59:59"));
    for (int i : enable)
        r.d->clickBox(i);
    r.step(); // blank
    r.step(); // show, at 10:00:00
    QCOMPARE(r.d->tray()->toolTip(), QStringLiteral("下一次响铃所需时间：") + text);
    QCOMPARE(r.d->nextRingText(), text);
    r.stopAction()->trigger();
}

// A sound that cannot be played rings with the built-in sound at once, and says which file failed.
void TestScheduleRun::unplayableSoundFallsBack_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing") << "missing";
    QTest::newRow("not audio") << "garbage";
    QTest::newRow("unreadable") << "unreadable";
}

void TestScheduleRun::unplayableSoundFallsBack()
{
    QFETCH(QString, kind);
    TestHome home;
    Entry tea = timer(QStringLiteral("泡茶"), QStringLiteral("00:00:01"));
    tea.sound = home.makeFile(QStringLiteral("sound.mp3"), QByteArray(4096, 'x'));
    std::unique_ptr<AsOrdinaryUser> user; // root would read it all the same
    if (kind == QLatin1String("unreadable")) {
        QFile(tea.sound).setPermissions(QFileDevice::Permissions());
        user = std::make_unique<AsOrdinaryUser>();
        QVERIFY(!QFile(tea.sound).open(QIODevice::ReadOnly));
    }
    Rig::Window r({tea}, home);
    if (kind == QLatin1String("missing"))
        QFile::remove(tea.sound);
    TestSupport::closeAllPrompts(); // the start-up's own report of a missing file
    r.d->clickBox(0);
    r.step(1000);
    const QString failed = tea.sound + QStringLiteral("   音乐文件无法播放，已改用默认响铃。");
    QTRY_COMPARE(TestSupport::shownPromptTexts(), QStringList{failed});
    QVERIFY(r.playing(0));
    QMediaPlayer *player = r.ringer->findChild<QMediaPlayer *>();
    QTRY_COMPARE(player->state(), QMediaPlayer::PlayingState);
    QCOMPARE(player->currentMedia().request().url(), QUrl(QStringLiteral("qrc:/res/默认响铃.mp3")));
    r.stopAction()->trigger();
    QVERIFY(!r.playing(0));
}

// However the clock moves, each occurrence rings once; one rung after its time says when it was due.
void TestScheduleRun::clockJumps_data()
{
    QTest::addColumn<QString>("to");
    QTest::addColumn<bool>("wallOnly");
    QTest::addColumn<QString>("message");
    QTest::newRow("resume past its time")
        << "Mon 07:45:00" << false << "|[07:30]   起床   到了。（原定 07:30）";
    QTest::newRow("wall clock set past its time")
        << "Mon 08:10:00" << true << "|[07:30]   起床   到了。（原定 07:30）";
    QTest::newRow("on time") << "Mon 07:30:00" << false << "|[07:30]   起床   到了。";
}

void TestScheduleRun::clockJumps()
{
    QFETCH(QString, to);
    QFETCH(bool, wallOnly);
    QFETCH(QString, message);
    TestHome home;
    Entry wake = alarm(QStringLiteral("起床"), QStringLiteral("07:30"), QStringLiteral("星期一"));
    wake.sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.3));
    Rig::Window r({wake}, home, when("Mon 07:29:00"));
    BalloonLog balloons;
    r.d->clickBox(0);
    r.step();
    if (wallOnly) {
        SystemClock::setWall(when(to));
        r.w->tick(); // a tick notices the step even where the kernel does not report it
    } else {
        r.tickAt(when(to));
    }
    QVERIFY(r.playing(0));
    QCOMPARE(balloons.messages, QStringList{kAlarmTitle + message});
    QVERIFY(r.waitForSilence());
    // Set back over the same minute, it does not ring again.
    r.tickAt(when("Mon 07:29:50"));
    for (int n = 0; n < 4; ++n)
        r.step(15000);
    QCOMPARE(r.rings.size(), 1);
}

// Asleep for more than half a day: what fell due long ago is not rung any more, but listed.
void TestScheduleRun::longAsleepListsWhatItMissed()
{
    TestHome home;
    Entry wake = alarm(QStringLiteral("起床"), QStringLiteral("07:30"));
    wake.sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.3));
    Rig::Window r({wake}, home, when("Mon 07:29:00"));
    BalloonLog balloons;
    r.d->clickBox(0);
    r.tickAt(when("Tue 20:00:00"));
    QVERIFY(!r.playing(0));
    QVERIFY(balloons.messages.isEmpty());
    const QString missed =
        QStringLiteral("时间跳变期间错过了以下响铃（已超过12小时，未补响）：\n起床 01月06日 07:30");
    QCOMPARE(TestSupport::shownPromptTexts(), QStringList{missed});
    QVERIFY(!r.box(0)->isChecked()); // its one ring is gone: it is over
    QVERIFY(home.storageBytes().contains("状态,关闭"));
}

void TestScheduleRun::commandFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("expected"); // {script} and {file} stand for the paths made below
    QTest::newRow(".sh run by sh with its path alone") << ".sh"
                                                       << "0|{file}|";
    QTest::newRow(".desktop started with its Exec arguments") << ".desktop"
                                                              << "1|{script}|--flag";
    QTest::newRow("other file opened by the default application") << ".txt"
                                                                  << "1|{script}|{file}";
    QTest::newRow("file gone before the ring: nothing runs") << "gone"
                                                             << "";
}

void TestScheduleRun::commandFiles()
{
    QFETCH(QString, kind);
    QFETCH(QString, expected);
    TestHome home;
    const QString marker = home.home() + QStringLiteral("/marker.txt");
    const QString script = markerScript(home, QStringLiteral("bin/mark.sh"), marker);
    QString file;
    if (kind == QLatin1String(".sh") || kind == QLatin1String("gone")) {
        file = markerScript(home, QStringLiteral("my dir, 'q'/run me.sh"), marker);
    } else if (kind == QLatin1String(".desktop")) {
        file =
            home.makeFile(QStringLiteral("launchers/mark.desktop"),
                          QStringLiteral("[Desktop Entry]\nType=Application\nName=Mark\nExec=%1 --flag %U\n")
                              .arg(script)
                              .toUtf8());
    } else {
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty(),
                 "xdg-open is missing: run scripts/install-deps.sh --test");
        file = home.makeFile(QStringLiteral("notes/my note, 'x'.txt"), "hello\n");
        qputenv("XDG_DATA_HOME", QFile::encodeName(home.home() + QStringLiteral("/.local/share")));
        home.makeFile(QStringLiteral(".config/mimeapps.list"),
                      "[Default Applications]\ntext/plain=tavrel-test-opener.desktop\n");
        home.makeFile(QStringLiteral(".local/share/applications/tavrel-test-opener.desktop"),
                      QStringLiteral("[Desktop Entry]\nType=Application\nName=Opener\nExec=%1 %f\n"
                                     "MimeType=text/plain;\n")
                          .arg(script)
                          .toUtf8());
    }
    Entry e = timer(QStringLiteral("命令"), QStringLiteral("00:00:01"));
    e.command = file;
    e.sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.3));
    Rig::Window r({e}, home);

    r.d->clickBox(0);
    if (kind == QLatin1String("gone"))
        QFile::remove(file);
    r.step(1000);
    QVERIFY(r.playing(0));
    if (expected.isEmpty()) {
        QTest::qWait(1000);
        QVERIFY(!QFile::exists(marker));
    } else {
        expected.replace(QLatin1String("{script}"), script).replace(QLatin1String("{file}"), file);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 10000);
        QTRY_COMPARE(TestSupport::readFile(marker), expected.toUtf8() + '\n');
    }
    QVERIFY(r.waitForSilence());
    QVERIFY(!r.box(0)->isChecked()); // the ring is over: disabled, and the command ran once
    QTest::qWait(200);
    QCOMPARE(TestSupport::readFile(marker).count('\n'), expected.isEmpty() ? 0 : 1);
    qunsetenv("XDG_DATA_HOME");
}

// Whatever another program did to the file, unchecking a ringing entry silences it. A file it
// damaged is kept aside byte for byte, the person is told, and the list's entries go back on disk
// with the new state; an unreadable one is left alone.
void TestScheduleRun::awkwardStorageFile_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("entries");
    QTest::addColumn<QString>("reason"); // "" when nothing may be written
    QTest::newRow("header of one field: kept aside") << "one-field header" << 1 << "首行无法识别";
    QTest::newRow("unreadable: left as it is") << "unreadable" << 1 << "";
    QTest::newRow("lines after the last record: kept aside")
        << "extra lines" << 1 << "最后一个条目之后还有多余的行";
    QTest::newRow("a record beyond the twentieth: kept aside")
        << "21st record" << 20 << "最后一个条目之后还有多余的行";
}

void TestScheduleRun::awkwardStorageFile()
{
    QFETCH(QString, change);
    QFETCH(int, entries);
    QFETCH(QString, reason);
    TestHome home;
    QVector<Entry> list;
    Entry bread = timer(QStringLiteral("面包"), QStringLiteral("00:00:00"));
    bread.loop = true;
    bread.sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.3));
    list << bread;
    while (list.size() < entries)
        list << alarm(QStringLiteral("闹%1").arg(list.size()), QStringLiteral("06:00"));
    Rig::Window r(list, home);
    r.d->clickBox(0);
    QVERIFY(r.playing(0));
    QByteArray before = home.storageBytes();
    QByteArray extra;
    if (change == QLatin1String("one-field header")) {
        before.replace("数量,1,背景图片,无\n", "数量\n");
        home.writeStorage(before);
    } else if (change == QLatin1String("unreadable")) {
        QFile::remove(home.storagePath());
        QDir().mkpath(home.storagePath()); // a directory where the file was
    } else if (change == QLatin1String("extra lines")) {
        extra = "注释,由别的程序写入\n\n最后一行\n";
    } else {
        extra = StorageFile::bytesOf(alarm(QStringLiteral("第二十一"), "05:00").toStoredLines(21));
    }
    if (!extra.isEmpty())
        home.writeStorage(before + extra);
    const QByteArray changed = home.storageBytes();

    r.d->clickBox(0);
    QVERIFY(!r.playing(0));
    QCOMPARE(r.time(0), QStringLiteral("00:00:00"));
    if (reason.isEmpty()) {
        QVERIFY(QFileInfo(home.storagePath()).isDir());
        return;
    }
    QCOMPARE(home.storageBytes(), fileOf(list));
    const QStringList backups = home.others().filter(QStringLiteral(".损坏备份-"));
    QCOMPARE(backups.size(), 1);
    const QString backup = home.documents() + QLatin1Char('/') + backups.first();
    QCOMPARE(TestSupport::readFile(backup), changed);
    QVERIFY(TestSupport::shownPromptTexts().contains(
        QStringLiteral("存储文件在程序运行时被其他程序改动，内容有误（") + reason +
        QStringLiteral("）。已按列表恢复存储文件，改动后的文件已原样备份为：\n") + backup));
}

TAVREL_TEST_MAIN(TestScheduleRun)
#include "tst_schedule_run.moc"
