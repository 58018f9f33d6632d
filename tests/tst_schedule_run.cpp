// Whole days of the real main window under a pinned clock: countdowns, rings with real players
// and real tray messages, the stop command, blinking and the next-ring text.
#include "app/schedule.h"
#include "tst_schedule_rig.h"

#include <QMediaPlaylist>
#include <QSignalSpy>

using namespace Rig;

namespace {

const QString kAlarmTitle = QStringLiteral("闹钟时间到了");
const QString kTimerTitle = QStringLiteral("计时器时间到了");

// "Mon 07:30:00" in the test week; "Mon2" is the Monday after.
QDateTime when(const QString &text)
{
    static const QStringList days = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    const QStringList parts = text.split(QLatin1Char(' '));
    QString day = parts.at(0);
    const int week = day.endsWith(QLatin1Char('2')) ? 7 : 0;
    day.remove(QLatin1Char('2'));
    return at(weekday(days.indexOf(day) + week), parts.at(1).toLatin1().constData());
}

QImage iconImage(const QIcon &icon)
{
    return icon.pixmap(QSize(22, 22)).toImage().convertToFormat(QImage::Format_ARGB32);
}

bool trayShows(Rig::Window &r, const char *resource)
{
    return iconImage(r.tray()->icon()) == iconImage(QIcon(QString::fromUtf8(resource)));
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
    void timerCountsDownAndRings_data();
    void timerCountsDownAndRings();
    void alarmRings_data();
    void alarmRings();
    void stopCommand_data();
    void stopCommand();
    void sameMinuteAlarms_data();
    void sameMinuteAlarms();
    void ringNotification_data();
    void ringNotification();
    void reEnablingRestoresNotification();
    void secondTimerKeepsFirstRemaining();
    void blinking_data();
    void blinking();
    void tickWithoutEntries();
    void brokenTimeDoesNotHoldUpLaterRows();
    void nextRingInTray_data();
    void nextRingInTray();
};

void TestScheduleRun::initTestCase()
{
    QVERIFY2(QSystemTrayIcon::isSystemTrayAvailable(),
             "run inside scripts/test-session.sh: a tray is needed");
}

void TestScheduleRun::cleanup()
{
    TestSupport::closeAllPrompts();
    Clock::pin(QDateTime());
}

void TestScheduleRun::timerCountsDownAndRings_data()
{
    QTest::addColumn<QString>("duration");
    QTest::addColumn<int>("blanks");
    QTest::addColumn<QString>("firstShown");
    QTest::newRow("three seconds") << "00:00:03" << 3 << "00:00:02";
    QTest::newRow("two seconds") << "00:00:02" << 2 << "00:00:01";
    QTest::newRow("a minute and a second") << "00:01:01" << 61 << "00:01:00";
    QTest::newRow("an hour") << "01:00:00" << 3600 << "00:59:59";
}

void TestScheduleRun::timerCountsDownAndRings()
{
    QFETCH(QString, duration);
    QFETCH(int, blanks);
    QFETCH(QString, firstShown);
    TestHome home;
    Entry tea = timer(QStringLiteral("泡茶"), duration);
    tea.sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.3));
    Rig::Window r({tea}, home);
    const QByteArray allOff = home.storageBytes();
    BalloonLog balloons;
    QSignalSpy status(r.player(0), &QMediaPlayer::mediaStatusChanged);

    r.box(0)->click();
    QVERIFY(home.storageBytes().contains("状态,开启"));
    r.tick(); // blank: the first second goes
    QCOMPARE(r.timeLabel(0)->text(), QString());
    r.tick(); // show
    QCOMPARE(r.timeLabel(0)->text(), firstShown);
    for (int n = 3; n < 2 * blanks; ++n)
        r.tick();
    QCOMPARE(r.probe().timeText(0), Schedule::kZero);
    QVERIFY(!r.playing(0));
    QVERIFY(balloons.messages.isEmpty());

    r.tick(); // the tick after the last blank phase rings
    QVERIFY(r.playing(0));
    QCOMPARE(r.timeLabel(0)->text(), Schedule::kZero);
    QCOMPARE(balloons.messages, QStringList{kTimerTitle + QStringLiteral("|泡茶   到了。")});
    QVERIFY(r.action("qa_TingZhi")->isEnabled());

    // A once-only sound ends on its own; the next tick disables the timer and shows its duration.
    QTRY_COMPARE_WITH_TIMEOUT(r.player(0)->state(), QMediaPlayer::StoppedState, 5000);
    QVERIFY(status.contains({QVariant::fromValue(QMediaPlayer::EndOfMedia)}));
    QVERIFY(r.box(0)->isChecked());
    r.tick();
    QVERIFY(!r.box(0)->isChecked());
    QCOMPARE(r.timeLabel(0)->text(), duration);
    QCOMPARE(r.probe().timeText(0), duration);
    QCOMPARE(home.storageBytes(), allOff);
    QVERIFY(!r.action("qa_TingZhi")->isEnabled());
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
    QTest::newRow("weekly, sound outlasting its minute, rings and tells again next week")
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
    Rig::Window r({wake}, home);
    BalloonLog balloons;

    Clock::pin(when(plan.first().section(QLatin1Char(' '), 0, 1)));
    r.box(0)->click();
    for (const QString &segment : plan) {
        const bool letRingsEnd = segment.contains(QLatin1String("->"));
        const QStringList ends = segment.split(letRingsEnd ? QStringLiteral(" -> ") : QStringLiteral(" => "));
        QDateTime t = when(ends.at(0));
        for (; t < when(ends.at(1)); t = t.addSecs(15)) {
            r.tickAt(t);
            if (letRingsEnd)
                QVERIFY(r.waitForSilence());
        }
        QVERIFY(r.waitForSilence());
    }

    QCOMPARE(minutes(r.rings), rings);
    // Every ring tells the user, also the ones after the first.
    QCOMPARE(balloons.messages.size(), rings.size());
    for (const QString &m : balloons.messages)
        QCOMPARE(m, kAlarmTitle + QStringLiteral("|[07:30]   起床   到了。"));
    QCOMPARE(r.box(0)->isChecked(), enabledAfter);
    QCOMPARE(home.storageBytes().contains("状态,开启"), enabledAfter);
    if (!enabledAfter)
        QCOMPARE(r.timeLabel(0)->text(), QStringLiteral("07:30"));
}

void TestScheduleRun::stopCommand_data()
{
    QTest::addColumn<Entry>("entry");
    QTest::addColumn<QDateTime>("ringAt");
    QTest::addColumn<bool>("enabledAfter");
    QTest::addColumn<QString>("labelAfter");

    Entry loopTimer = timer(QStringLiteral("面包"), QStringLiteral("00:00:01"));
    Entry weekly = alarm(QStringLiteral("上班"), QStringLiteral("07:30"), QStringLiteral("星期一"));
    Entry oneShot = alarm(QStringLiteral("吃药"), QStringLiteral("07:30"));
    for (Entry *e : {&loopTimer, &weekly, &oneShot})
        e->loop = StorageFile::kYes;
    QTest::newRow("looping timer is disabled") << loopTimer << when("Mon 07:30:00") << false << "00:00:01";
    QTest::newRow("looping weekly alarm stays enabled") << weekly << when("Mon 07:30:00") << true << "07:30";
    QTest::newRow("looping alarm without repeat is disabled")
        << oneShot << when("Mon 07:30:00") << false << "07:30";
}

void TestScheduleRun::stopCommand()
{
    QFETCH(Entry, entry);
    QFETCH(QDateTime, ringAt);
    QFETCH(bool, enabledAfter);
    QFETCH(QString, labelAfter);
    TestHome home;
    entry.sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.3));
    Rig::Window r({entry}, home);
    BalloonLog balloons;
    QAction *stop = r.action("qa_TingZhi");

    QMetaObject::invokeMethod(r.w.get(), "TingZhi", Qt::DirectConnection); // nothing plays: no change
    QVERIFY(!stop->isEnabled());
    Clock::pin(ringAt.addSecs(-2));
    r.box(0)->click();
    for (int n = 0; n < 4 && !r.playing(0); ++n)
        r.tickAt(ringAt.addSecs(-2 + n));
    QVERIFY(r.playing(0));

    // A looping sound goes on, over several lengths of the file, until it is stopped.
    for (int n = 0; n < 4; ++n) {
        QTest::qWait(300);
        r.tickAt(ringAt.addSecs(2 + n));
        QVERIFY(r.playing(0));
        QVERIFY(stop->isEnabled() || n == 0);
    }
    r.tickAt(ringAt.addSecs(8));
    QVERIFY(stop->isEnabled());
    stop->trigger();
    QCOMPARE(r.player(0)->state(), QMediaPlayer::StoppedState);
    QCOMPARE(r.box(0)->isChecked(), enabledAfter);
    QCOMPARE(r.timeLabel(0)->text(), labelAfter);
    r.tickAt(ringAt.addSecs(9));
    r.tickAt(ringAt.addSecs(10));
    QVERIFY(!stop->isEnabled());
    QVERIFY(!r.playing(0));
    QCOMPARE(r.rings.size(), 1);

    if (enabledAfter) { // a weekly alarm is armed for next week, and tells the user again then
        const QDateTime nextWeek = ringAt.addDays(7);
        for (int n = -4; n < 2 && !r.playing(0); ++n)
            r.tickAt(nextWeek.addSecs(n));
        QVERIFY(r.playing(0));
        QCOMPARE(balloons.messages.size(), 2);
        stop->trigger();
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
    Rig::Window r({first, second}, home);
    BalloonLog balloons;
    if (forced)
        r.action("qa_QiangZhiQuanPingTiXing")->trigger();

    Clock::pin(when("Mon 07:29:50"));
    r.box(0)->click();
    r.box(1)->click();
    r.tickAt(when("Mon 07:29:50"));
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

void TestScheduleRun::ringNotification_data()
{
    QTest::addColumn<bool>("clearPending");
    QTest::addColumn<int>("messages");
    QTest::newRow("notify pending") << false << 1;
    QTest::newRow("notify pending cleared: sound only") << true << 0;
}

void TestScheduleRun::ringNotification()
{
    QFETCH(bool, clearPending);
    QFETCH(int, messages);
    TestHome home;
    Entry tea = timer(QStringLiteral("泡茶"), QStringLiteral("00:00:01"));
    tea.sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.3));
    Rig::Window r({tea}, home);
    BalloonLog balloons;
    r.box(0)->click();
    if (clearPending)
        r.probe().notifyPending(0) = 0;
    r.tick();
    r.tick();
    QVERIFY(r.playing(0));
    QCOMPARE(balloons.messages.size(), messages);
    QVERIFY(r.waitForSilence());
}

void TestScheduleRun::reEnablingRestoresNotification()
{
    TestHome home;
    Entry bread = timer(QStringLiteral("面包"), QStringLiteral("00:00:02"));
    bread.loop = StorageFile::kYes;
    bread.sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.3));
    Rig::Window r({bread}, home);
    BalloonLog balloons;

    r.box(0)->click();
    for (int n = 0; n < 5; ++n)
        r.tick();
    QVERIFY(r.playing(0));
    QCOMPARE(balloons.messages.size(), 1);
    QCOMPARE(r.probe().notifyAllowed(0), 0);

    // Disabling a ringing timer silences it and shows its whole duration again.
    r.box(0)->click();
    QCOMPARE(r.player(0)->state(), QMediaPlayer::StoppedState);
    QCOMPARE(r.timeLabel(0)->text(), QStringLiteral("00:00:02"));
    QCOMPARE(r.probe().timeText(0), QStringLiteral("00:00:02"));

    r.box(0)->click();
    for (int n = 0; n < 5; ++n)
        r.tick();
    QVERIFY(r.playing(0));
    QCOMPARE(balloons.messages.size(), 2);
    QCOMPARE(balloons.messages.last(), kTimerTitle + QStringLiteral("|面包   到了。"));
    r.action("qa_TingZhi")->trigger();
}

void TestScheduleRun::secondTimerKeepsFirstRemaining()
{
    TestHome home;
    Rig::Window r({timer(QStringLiteral("甲"), QStringLiteral("00:00:10")),
                   timer(QStringLiteral("乙"), QStringLiteral("00:05:00"))},
                  home);
    r.box(0)->click();
    for (int n = 0; n < 6; ++n)
        r.tick();
    QCOMPARE(r.probe().timeText(0), QStringLiteral("00:00:07"));

    r.box(1)->click();
    QCOMPARE(r.probe().timeText(0), QStringLiteral("00:00:07"));
    r.tick(); // blank
    QCOMPARE(r.probe().timeText(0), QStringLiteral("00:00:06"));
    QCOMPARE(r.probe().timeText(1), QStringLiteral("00:04:59"));

    // Disabling a counting timer keeps what is left; enabling it again goes on from there.
    r.box(0)->click();
    QCOMPARE(r.timeLabel(0)->text(), QStringLiteral("00:00:06"));
    r.tick();
    r.tick();
    QCOMPARE(r.timeLabel(0)->text(), QStringLiteral("00:00:06"));
    r.box(0)->click();
    for (int n = 0; n < 3; ++n)
        r.tick();
    QCOMPARE(r.timeLabel(0)->text(), QStringLiteral("00:00:05"));
}

void TestScheduleRun::blinking_data()
{
    QTest::addColumn<int>("ticks");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<QString>("trayIcon");
    QTest::newRow("after a blank phase") << 3 << QStringList{"07:30", "", "10:00"} << ":/res/空.png";
    QTest::newRow("after a show phase")
        << 4 << QStringList{"07:30", "09:00", "10:00"} << ":/res/闹钟-彩色.png";
}

void TestScheduleRun::blinking()
{
    QFETCH(int, ticks);
    QFETCH(QStringList, labels);
    QFETCH(QString, trayIcon);
    TestHome home;
    Entry ringing = alarm(QStringLiteral("响"), QStringLiteral("07:30"), QStringLiteral("星期一"));
    ringing.loop = StorageFile::kYes;
    ringing.sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.3));
    Rig::Window r({ringing, alarm(QStringLiteral("等"), QStringLiteral("09:00"), QStringLiteral("星期一")),
                   alarm(QStringLiteral("关"), QStringLiteral("10:00"))},
                  home);
    Clock::pin(when("Mon 07:30:00"));
    r.box(0)->click();
    r.box(1)->click();
    for (int n = 0; n < ticks; ++n)
        r.tick();
    QVERIFY(r.playing(0)); // idle while it rings: steady
    QCOMPARE(r.probe().runState(1), int(Schedule::Armed));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(r.timeLabel(i)->text(), labels.at(i));
    QVERIFY(trayShows(r, trayIcon.toUtf8().constData()));
    r.action("qa_TingZhi")->trigger();
}

void TestScheduleRun::tickWithoutEntries()
{
    TestHome home;
    Rig::Window r({}, home);
    for (int n = 0; n < 4; ++n) {
        r.tick();
        QVERIFY(!r.action("qa_TingZhi")->isEnabled());
    }
    QVERIFY(trayShows(r, ":/res/闹钟.png"));
    QCOMPARE(r.tray()->toolTip(), QString());
    QCOMPARE(r.action("qa_tuoPanSuoXuShiJian")->text(), QStringLiteral("无响铃"));
}

void TestScheduleRun::brokenTimeDoesNotHoldUpLaterRows()
{
    TestHome home;
    Entry broken = timer(QStringLiteral("坏"), QString());
    Entry good = timer(QStringLiteral("好"), QStringLiteral("00:00:02"));
    broken.sound = good.sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.3));
    Rig::Window r({broken, good}, home);
    r.box(0)->click();
    r.box(1)->click();
    for (int n = 0; n < 3; ++n)
        r.tick();
    QCOMPARE(r.probe().timeText(1), Schedule::kZero);
    r.tick();
    QVERIFY(r.playing(1));
    QVERIFY(!r.playing(0));
    QVERIFY(r.waitForSilence());
}

void TestScheduleRun::nextRingInTray_data()
{
    QTest::addColumn<QList<Entry>>("entries");
    QTest::addColumn<QList<int>>("enable");
    QTest::addColumn<QString>("text");

    const Entry tenMinutes = timer(QStringLiteral("茶"), QStringLiteral("00:10:00"));
    Entry ringingNow = timer(QStringLiteral("响"), QStringLiteral("00:00:00"));
    ringingNow.loop = StorageFile::kYes;
    const Entry wednesday = alarm(QStringLiteral("周三"), QStringLiteral("09:00"), QStringLiteral("星期三"));
    QTest::newRow("ten-minute timer, one second gone")
        << QList<Entry>{tenMinutes} << QList<int>{0} << "0天0小时9分钟59秒";
    QTest::newRow("nothing enabled") << QList<Entry>{tenMinutes} << QList<int>{} << "无响铃";
    QTest::newRow("09:00 on Wednesdays, now Wednesday 10:00")
        << QList<Entry>{wednesday} << QList<int>{0} << "6天23小时0分钟0秒";
    QTest::newRow("a ringing entry is ignored") << QList<Entry>{ringingNow} << QList<int>{0} << "无响铃";
    QTest::newRow("a ringing entry is ignored, the next one counts")
        << QList<Entry>{ringingNow, wednesday} << QList<int>{0, 1} << "6天23小时0分钟0秒";
}

void TestScheduleRun::nextRingInTray()
{
    QFETCH(QList<Entry>, entries);
    QFETCH(QList<int>, enable);
    QFETCH(QString, text);
    TestHome home;
    const QString sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.3));
    for (Entry &e : entries)
        e.sound = sound;
    Rig::Window r(entries, home);
    Clock::pin(at(weekday(2), "10:00:00"));
    for (int i : enable)
        r.box(i)->click();
    r.tick();
    r.tick(); // show phase
    QCOMPARE(r.tray()->toolTip(), QStringLiteral("下一次响铃所需时间：") + text);
    QCOMPARE(r.action("qa_tuoPanSuoXuShiJian")->text(), text);
    r.action("qa_TingZhi")->trigger();
}

TAVREL_TEST_MAIN(TestScheduleRun)
#include "tst_schedule_run.moc"
