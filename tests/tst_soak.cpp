// Days of the real main window with twenty entries, in Europe/Berlin across both daylight-saving
// changes. The pinned clock steps the UTC instant half a second per tick, as the tick timer would
// see it, and real players play a short sound for every ring. Every ring is checked against what
// the entries' definitions say, the storage file against what was stored, and memory against its
// start. TAVREL_SOAK_DAYS sets the days around each change (1 by default; scripts/soak.sh: 7).
#include "support/windowrig.h"
#include "tst_soak_model.h"
#include "ui/reminderbox.h"

#include <QAbstractButton>
#include <QFile>
#include <QMediaPlaylist>

#include <ctime>

using namespace Rig;
using SoakModel::Expected;
using SoakModel::Kind;

namespace {

const QString kDaily = QStringLiteral("星期一|星期二|星期三|星期四|星期五|星期六|星期日");
const QString kWorkdays = QStringLiteral("星期一|星期二|星期三|星期四|星期五");
const qint64 kTickMs = 500;
const qint64 kForcedPeriodMs = 5 * 3600 * 1000; // the forced reminder is switched every 5 hours
const qint64 kSampleMs = 6 * 3600 * 1000;
const int kLoopTicks = 8;          // a looping ring is stopped with 停止 after 4 seconds
const long kGrossGrowthKb = 40000; // growth that no sampling noise explains

Entry looping(Entry e)
{
    e.loop = true;
    return e;
}

// Daily, workday, weekend and weekly alarms, one-shots, two in one minute, three inside the hour
// the clocks change, and repeating timers, two of them looping until stopped.
QVector<Entry> soakEntries()
{
    return {alarm("起床", "07:00", kDaily),
            alarm("上班", "08:15", kWorkdays),
            alarm("周末", "09:30", "星期六|星期日"),
            looping(alarm("午饭", "12:30", kDaily)),
            alarm("吃药", "02:30", kDaily),
            alarm("周日夜", "02:40", "星期日"),
            alarm("一次", "02:15"),
            alarm("提醒", "18:00"),
            alarm("同分甲", "21:00", kDaily),
            alarm("同分乙", "21:00", kDaily),
            alarm("午夜", "00:00", kDaily),
            alarm("末分", "23:59", "星期一|星期三|星期五"),
            alarm("三点", "03:00", kDaily),
            looping(alarm("周二", "14:45", "星期二")),
            timer("面包", "00:47:13"),
            timer("洗衣", "01:30:00"),
            looping(timer("番茄", "00:40:00")),
            timer("长", "05:00:00"),
            timer("短", "00:53:20"),
            looping(timer("跨夜", "02:00:00"))};
}

long rssKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

QString local(qint64 ms)
{
    const QDateTime t = QDateTime::fromMSecsSinceEpoch(ms, Qt::LocalTime);
    return SoakModel::weekdayOf(t.date()) + t.toString(QStringLiteral(" MM-dd HH:mm:ss t"));
}

// Every record line but the state lines: what must survive the run byte for byte.
QStringList withoutStates(const QByteArray &bytes)
{
    QStringList kept;
    for (const QString &line : StorageFile::linesOf(bytes)) {
        if (!line.startsWith(QStringLiteral("状态,")))
            kept << line;
    }
    return kept;
}

struct HeardRing
{
    int row;
    qint64 ms;
};

// Counts each reminder box once, as it is first shown.
class ReminderLog : public QObject
{
public:
    ReminderLog() { qApp->installEventFilter(this); }
    ~ReminderLog() override { qApp->removeEventFilter(this); }
    int shown = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<ReminderBox *>(watched) &&
            !m_seen.contains(watched)) {
            m_seen << watched;
            ++shown;
            if (qEnvironmentVariableIsSet("TAVREL_SOAK_LOG"))
                qInfo("reminder %s at %s", qPrintable(static_cast<ReminderBox *>(watched)->text()),
                      qPrintable(SystemClock::now().wall.toString()));
        }
        return false;
    }

private:
    QList<QPointer<QObject>> m_seen;
};

} // namespace

// One window of simulated time: the window, the person's hand and the books.
class SoakRun
{
public:
    SoakRun(const TestHome &home, qint64 fromMs, qint64 toMs)
        : m_entries(soakEntries()), m_from(fromMs), m_to(toMs)
    {
        const QString sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.2));
        for (Entry &e : m_entries)
            e.sound = sound;
        m_r = std::make_unique<Rig::Window>(m_entries, home,
                                            QDateTime::fromMSecsSinceEpoch(fromMs - kTickMs, Qt::LocalTime));
        m_stored = withoutStates(home.storageBytes());
        QObject::connect(m_r->ringer, &Ringer::rang, m_r->w.get(), [this](int i) { onRing(i); });
        m_enabledAt.fill(-1, m_entries.size());
        m_playingTicks.fill(0, m_entries.size());
        m_timerRang.fill(false, m_entries.size());
    }

    void run();
    QStringList faults; // every ring missed, doubled, early or late, and every lost line
    QStringList notes;  // what happened at the changed hours
    QList<long> rss;
    int expectedRings = 0;
    int actualRings = 0;
    int remindersExpected = 0;
    ReminderLog reminders;
    BalloonLog balloons;
    std::unique_ptr<Rig::Window> m_r;
    QStringList m_stored;

    void checkAlarms();
    void checkTimers();

private:
    void onRing(int i);
    void afterTick();
    bool anyPlaying() const;
    void stopLongLoops();
    void dismissReminders();
    void reEnableFinishedTimers();
    void enable(int i);
    bool isTimer(int i) const { return m_entries.at(i).isTimer(); }
    qint64 duration(int i) const;
    void checkTimerRing(int i);

    QVector<Entry> m_entries;
    qint64 m_from;
    qint64 m_to;
    qint64 m_now = 0;
    bool m_forced = false;
    QList<HeardRing> m_rings;
    QVector<qint64> m_enabledAt; // timers: when the person last enabled it
    QVector<int> m_playingTicks;
    QVector<bool> m_timerRang;
};

void SoakRun::run()
{
    rss << rssKb();
    m_now = m_from - kTickMs; // the person enables everything just before the first tick
    for (int i = 0; i < m_entries.size(); ++i)
        enable(i);
    m_now = m_from;
    for (; m_now < m_to; m_now += kTickMs) {
        if ((m_now - m_from) % kForcedPeriodMs == 0 && m_now != m_from) {
            m_r->d->forcedReminderAction()->trigger();
            m_forced = !m_forced;
        }
        m_r->tickAt(QDateTime::fromMSecsSinceEpoch(m_now, Qt::LocalTime));
        afterTick();
        if ((m_now - m_from) % kSampleMs == 0)
            rss << rssKb();
    }
    if (!m_r->waitForSilence())
        faults << QStringLiteral("a sound did not end after the run");
    dismissReminders();
    rss << rssKb();
}

void SoakRun::onRing(int i)
{
    m_rings << HeardRing{i, m_now};
    ++actualRings;
    if (qEnvironmentVariableIsSet("TAVREL_SOAK_LOG"))
        qInfo("ring %s %s%s", qPrintable(m_entries.at(i).name), qPrintable(local(m_now)),
              m_forced ? " forced" : "");
    if (isTimer(i))
        checkTimerRing(i);
    if (m_forced)
        ++remindersExpected;
}

bool SoakRun::anyPlaying() const
{
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_r->playing(i))
            return true;
    }
    return false;
}

// A sound takes real time; time stands still for the window only as long as a person would
// notice: the ticks go on, half a simulated second each, while the sound plays.
void SoakRun::afterTick()
{
    static int quiet = 0;
    if (anyPlaying()) {
        QTest::qWait(25);
        stopLongLoops();
    } else if (++quiet % 40 == 0) {
        QCoreApplication::processEvents();
    }
    dismissReminders();
    if (!anyPlaying())
        reEnableFinishedTimers();
}

void SoakRun::stopLongLoops()
{
    bool stop = false;
    for (int i = 0; i < m_entries.size(); ++i) {
        m_playingTicks[i] = m_r->playing(i) ? m_playingTicks[i] + 1 : 0;
        stop = stop || (m_entries.at(i).loop && m_playingTicks[i] >= kLoopTicks);
    }
    if (stop)
        m_r->stopAction()->trigger();
}

// The person reads each reminder and closes it.
void SoakRun::dismissReminders()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        auto *box = qobject_cast<ReminderBox *>(w);
        if (box && box->isVisible() && !box->buttons().isEmpty())
            box->buttons().first()->click();
        else if (box && box->isVisible())
            box->close();
    }
}

// A timer rings once and is then disabled; the person sets it going again.
void SoakRun::reEnableFinishedTimers()
{
    for (int i = 0; i < m_entries.size(); ++i) {
        if (isTimer(i) && !m_r->box(i)->isChecked())
            enable(i);
    }
}

void SoakRun::enable(int i)
{
    m_r->box(i)->click();
    if (!isTimer(i))
        return;
    m_enabledAt[i] = m_now;
    m_timerRang[i] = false;
    if (m_now + duration(i) + 1000 <= m_to)
        ++expectedRings;
}

void SoakRun::checkAlarms()
{
    const QList<SoakModel::Minute> all = SoakModel::minutes(m_from, m_to);
    QList<bool> explained;
    for (int n = 0; n < m_rings.size(); ++n)
        explained << isTimer(m_rings.at(n).row);
    for (int i = 0; i < m_entries.size(); ++i) {
        if (isTimer(i))
            continue;
        for (const Expected &e : SoakModel::alarmRings(i, m_entries.at(i).timeText(),
                                                       Entry::weekdaysText(m_entries.at(i).weekdays), all)) {
            QStringList at;
            for (int n = 0; n < m_rings.size(); ++n) {
                const HeardRing &ring = m_rings.at(n);
                for (qint64 minute : e.minutesUtcMs) {
                    if (ring.row == i && ring.ms >= minute && ring.ms < minute + 60000) {
                        explained[n] = true;
                        at << local(ring.ms);
                    }
                }
            }
            ++expectedRings;
            const QString what = QStringLiteral("%1 (%2): %3 ring(s) %4")
                                     .arg(e.label, m_entries.at(i).name)
                                     .arg(at.size())
                                     .arg(at.join(QStringLiteral(", ")));
            if (e.kind != Kind::Once)
                notes << (e.kind == Kind::Skipped ? QStringLiteral("skipped hour ")
                                                  : QStringLiteral("repeated hour ")) +
                             what;
            const bool right = e.kind == Kind::Repeated ? (at.size() == 1 || at.size() == 2) : at.size() == 1;
            if (!right)
                faults << QStringLiteral("alarm ") + what;
        }
    }
    for (int n = 0; n < m_rings.size(); ++n) {
        if (!explained.at(n))
            faults << QStringLiteral("unexpected ring of %1 at %2")
                          .arg(m_entries.at(m_rings.at(n).row).name, local(m_rings.at(n).ms));
    }
}

// A timer that was enabled long enough before the end and never rang.
void SoakRun::checkTimers()
{
    for (int i = 0; i < m_entries.size(); ++i) {
        if (isTimer(i) && !m_timerRang[i] && m_enabledAt[i] + duration(i) + 1000 <= m_to)
            faults << QStringLiteral("timer %1 enabled at %2 never rang")
                          .arg(m_entries.at(i).name, local(m_enabledAt[i]));
    }
}

qint64 SoakRun::duration(int i) const
{
    return m_entries.at(i).timerSeconds * qint64(1000);
}

// A timer rings when its duration has run from the moment it was enabled, give or take the
// tick that finds it at zero.
void SoakRun::checkTimerRing(int i)
{
    const qint64 late = m_now - m_enabledAt[i] - duration(i);
    if (m_timerRang[i])
        faults << QStringLiteral("timer %1 rang again at %2").arg(m_entries.at(i).name, local(m_now));
    else if (late < 0 || late > 1000)
        faults << QStringLiteral("timer %1 enabled at %2 rang at %3")
                      .arg(m_entries.at(i).name, local(m_enabledAt[i]), local(m_now));
    m_timerRang[i] = true;
}

class TestSoak : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void otherEntryChangesWithinRingMinute_data();
    void otherEntryChangesWithinRingMinute();
    void timerFinishingBesideARingingOne();
    void timerRingEndingAsTheMinuteTurns();
    void longRingMadePendingBringsNoSecondReminder();
    void closedReminderIsFreed();
    void soak_data();
    void soak();
};

void TestSoak::initTestCase()
{
    qputenv("TZ", "Europe/Berlin");
    tzset();
    const QDateTime winter(QDate(2026, 1, 15), QTime(12, 0));
    const QDateTime summer(QDate(2026, 7, 15), QTime(12, 0));
    QCOMPARE(winter.offsetFromUtc(), 3600);
    QCOMPARE(summer.offsetFromUtc(), 7200);
}

void TestSoak::cleanup()
{
    TestSupport::closeAllPrompts();
}

// Another entry changing never rings an entry again, nor does enabling it again within its minute.
void TestSoak::otherEntryChangesWithinRingMinute_data()
{
    QTest::addColumn<QString>("repeat");
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<int>("rings");
    QTest::newRow("daily alarm, another entry enabled") << kDaily << QList<int>{1} << 1;
    QTest::newRow("one-shot alarm, another entry enabled") << "否" << QList<int>{1} << 1;
    // That very occurrence has rung: enabling the alarm again within its minute does not repeat it.
    QTest::newRow("daily alarm disabled and enabled again") << kDaily << QList<int>{0, 0} << 1;
    QTest::newRow("one-shot alarm disabled and enabled again") << "否" << QList<int>{0, 0} << 1;
}

void TestSoak::otherEntryChangesWithinRingMinute()
{
    QFETCH(QString, repeat);
    QFETCH(QList<int>, clicks);
    QFETCH(int, rings);
    TestHome home;
    Entry wake = alarm(QStringLiteral("起床"), QStringLiteral("07:30"), repeat);
    Entry tea = timer(QStringLiteral("泡茶"), QStringLiteral("00:10:00"));
    wake.sound = tea.sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.2));
    const QDateTime minute = when("Mon 07:30:00");
    Rig::Window r({wake, tea}, home, minute.addSecs(-5));
    r.box(0)->click();
    QDateTime t = minute.addSecs(-4);
    for (; !r.playing(0) && t < minute.addSecs(3); t = t.addSecs(1))
        r.tickAt(t);
    QVERIFY(r.waitForSilence());

    for (int row : clicks)
        r.box(row)->click();
    for (; t < minute.addSecs(70); t = t.addSecs(1)) {
        r.tickAt(t);
        QVERIFY(r.waitForSilence());
    }
    QCOMPARE(r.rings.size(), rings);
}

// A timer's sound ends and it is disabled; another timer reaching zero just then rings once, with
// one reminder.
void TestSoak::timerFinishingBesideARingingOne()
{
    TestHome home;
    Entry bread = looping(timer(QStringLiteral("面包"), QStringLiteral("00:00:02")));
    Entry tea = timer(QStringLiteral("泡茶"), QStringLiteral("00:00:01"));
    bread.sound = tea.sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.2));
    Rig::Window r({bread, tea}, home);
    ReminderLog reminders;
    r.d->forcedReminderAction()->trigger();
    r.box(0)->click();
    r.box(1)->click();
    r.step();
    r.step();
    QVERIFY(r.playing(1));
    QVERIFY(QTest::qWaitFor([&] { return !r.playing(1); }, 5000));
    r.step(); // the bread timer rings; the tea timer is disabled
    r.step();
    QVERIFY(r.playing(0));
    QVERIFY(!r.box(1)->isChecked());
    QCOMPARE(r.rings.size(), 2);
    QCOMPARE(reminders.shown, 2);
    r.stopAction()->trigger();
}

// A timer rings once each time it is enabled, also when another entry changes just after its
// sound ended as the minute turned.
void TestSoak::timerRingEndingAsTheMinuteTurns()
{
    TestHome home;
    Entry tea = timer(QStringLiteral("泡茶"), QStringLiteral("00:00:01"));
    Entry bread = timer(QStringLiteral("面包"), QStringLiteral("00:10:00"));
    tea.sound = bread.sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.2));
    Rig::Window r({tea, bread}, home, when("Mon 10:00:58"));
    r.box(0)->click();
    for (int n = 0; n < 4 && !r.playing(0); ++n)
        r.step();
    QVERIFY(r.playing(0));
    QVERIFY(r.waitForSilence());

    r.moveTo(when("Mon 10:01:00"));
    r.box(1)->click();
    for (int n = 0; n < 5; ++n) {
        r.step(1000);
        QVERIFY(r.waitForSilence());
    }
    QCOMPARE(r.rings.size(), 1);
    QVERIFY(!r.box(0)->isChecked());
}

// Another entry's change while a looping ring goes on past its minute: the sound goes on and no
// second reminder box comes up.
void TestSoak::longRingMadePendingBringsNoSecondReminder()
{
    TestHome home;
    Entry bread = looping(timer(QStringLiteral("面包"), QStringLiteral("00:00:01")));
    Entry tea = timer(QStringLiteral("泡茶"), QStringLiteral("00:10:00"));
    bread.sound = tea.sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.2));
    Rig::Window r({bread, tea}, home, when("Mon 10:00:00"));
    ReminderLog reminders;
    r.d->forcedReminderAction()->trigger();
    r.box(0)->click();
    r.step();
    r.step();
    r.step();
    QVERIFY(r.playing(0));
    QCOMPARE(reminders.shown, 1);

    r.tickAt(when("Mon 10:02:00"));
    r.box(1)->click();
    r.tickAt(when("Mon 10:02:01"));
    r.tickAt(when("Mon 10:02:02"));
    QVERIFY(r.playing(0));
    QCOMPARE(reminders.shown, 1);
    r.stopAction()->trigger();
}

void TestSoak::closedReminderIsFreed()
{
    TestHome home;
    Entry tea = timer(QStringLiteral("泡茶"), QStringLiteral("00:00:01"));
    tea.sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.2));
    Rig::Window r({tea}, home);
    r.d->forcedReminderAction()->trigger();
    r.box(0)->click();
    r.step();
    r.step();
    QList<ReminderBox *> boxes = r.w->findChildren<ReminderBox *>();
    QCOMPARE(boxes.size(), 1);
    QVERIFY(boxes.first()->isVisible());
    QVERIFY(!boxes.first()->buttons().isEmpty());
    boxes.first()->buttons().first()->click(); // the person reads it and presses OK
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(r.w->findChildren<ReminderBox *>().size(), 0);
    QVERIFY(r.waitForSilence());
}

void TestSoak::soak_data()
{
    QTest::addColumn<QDate>("changeDay");
    QTest::newRow("spring: 02:00 jumps to 03:00") << QDate(2026, 3, 29);
    QTest::newRow("autumn: 03:00 goes back to 02:00") << QDate(2026, 10, 25);
}

void TestSoak::soak()
{
    QFETCH(QDate, changeDay);
    const int days = qMax(1, qEnvironmentVariableIntValue("TAVREL_SOAK_DAYS"));
    const QDate first = changeDay.addDays(-qMax(1, days - 1));
    const qint64 from = QDateTime(first, QTime(12, 0, 20), Qt::LocalTime).toMSecsSinceEpoch();
    const qint64 to = QDateTime(first.addDays(days), QTime(12, 0, 20), Qt::LocalTime).toMSecsSinceEpoch();
    TestHome home;
    QElapsedTimer wall;
    wall.start();
    SoakRun run(home, from, to);
    run.run();
    run.checkAlarms();
    run.checkTimers();
    for (const QString &note : run.notes)
        qInfo("%s", qPrintable(note));
    for (const QString &fault : run.faults)
        qWarning("%s", qPrintable(fault));
    QStringList rss;
    for (long kb : run.rss)
        rss << QString::number(kb / 1024.0, 'f', 1);
    qInfo("%s to %s: rings expected %d, actual %d; tray messages %d; reminders %d/%d; wall %.1f s; RSS MB %s",
          qPrintable(local(from)), qPrintable(local(to)), run.expectedRings, run.actualRings,
          run.balloons.messages.size(), run.reminders.shown, run.remindersExpected, wall.elapsed() / 1000.0,
          qPrintable(rss.join(QLatin1Char(' '))));
    QVERIFY2(run.faults.isEmpty(), qPrintable(run.faults.join(QLatin1Char('\n'))));
    QCOMPARE(run.reminders.shown, run.remindersExpected);
    if (QSystemTrayIcon::isSystemTrayAvailable())
        QCOMPARE(run.balloons.messages.size(), run.actualRings); // every ring told in the tray
    QCOMPARE(TestSupport::shownPromptTexts(), QStringList());
    QCOMPARE(withoutStates(home.storageBytes()), run.m_stored);
#ifndef __SANITIZE_ADDRESS__ // AddressSanitizer keeps freed memory in quarantine: RSS says nothing
    QVERIFY2(run.rss.last() - run.rss.first() < kGrossGrowthKb, "memory grew by tens of MB");
#endif
}

TAVREL_TEST_MAIN(TestSoak)
#include "tst_soak.moc"
