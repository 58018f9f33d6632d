// The list loaded again after a save, and the rings of what was loaded: each row keeps its look,
// a ring that sounds goes on with its sound, and a ring plays the sound the file names. (The
// loading at start is tst_startup's, the rows themselves tst_rows'.)
#include "core/clock.h"
#include "support/soundfiles.h"
#include "support/storedrecords.h"
#include "support/testsupport.h"
#include "support/windowdriver.h"

#include <QApplication>
#include <QMediaPlaylist>

#include <memory>

namespace {

// A timer of one second: enabled and a second later it rings.
Rec oneSecondTimer(const QString &loop = QStringLiteral("是"))
{
    Rec r;
    r.type = QStringLiteral("计时器");
    r.name = QStringLiteral("茶");
    r.time = QStringLiteral("00:00:01");
    r.loop = loop;
    return r;
}

std::unique_ptr<MainWindow> startWindow()
{
    auto window = std::make_unique<MainWindow>();
    WindowDriver(window.get()).show();
    return window;
}

// Ticks row i's box and lets a second pass: its one-second timer rings.
void ringRow(MainWindow *w, int i)
{
    WindowDriver(w).clickBox(i);
    SystemClock::advance(1000);
    w->ringDue();
}

QImage scaledResource(const QString &path)
{
    return QImage(path)
        .scaled(40, 26, Qt::KeepAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32);
}

QImage argb(const QPixmap &pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

// The row shows this picture, scaled smoothly or fast (enabling redraws it the quick way).
bool showsIcon(EntryRow *row, const QString &resource)
{
    const QImage shown = argb(row->iconShown());
    const QImage fast =
        QImage(resource).scaled(40, 26, Qt::KeepAspectRatio).convertToFormat(QImage::Format_ARGB32);
    return shown == scaledResource(resource) || shown == fast;
}

QList<bool> boxes(const WindowDriver &d)
{
    QList<bool> shown;
    for (int i = 0; i < d.rowCount(); ++i)
        shown << d.enabled(i);
    return shown;
}

} // namespace

class TestLoading : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        TestSupport::closeAllPrompts();
        SystemClock::unpin();
    }
    void ringPlaysTheStoredSound_data();
    void ringPlaysTheStoredSound();
    void saveKeepsEachRowsLook();
    void saveKeepsARingingSound();
    void dueRingCarriedOutWhenEntriesCameFromElsewhere_data();
    void dueRingCarriedOutWhenEntriesCameFromElsewhere();
};

void TestLoading::ringPlaysTheStoredSound_data()
{
    QTest::addColumn<bool>("ownSound"); // a file under HOME; otherwise the stored 默认响铃
    QTest::addColumn<QString>("loop");
    QTest::addColumn<int>("mode");
    QTest::newRow("own sound, once") << true << "否" << int(QMediaPlaylist::CurrentItemOnce);
    QTest::newRow("built-in, looping") << false << "是" << int(QMediaPlaylist::Loop);
}

// The ring plays what the file names, once or over and over as stored.
void TestLoading::ringPlaysTheStoredSound()
{
    QFETCH(bool, ownSound);
    QFETCH(QString, loop);
    QFETCH(int, mode);
    TestHome home;
    SystemClock::pin(QDateTime(QDate(2026, 12, 8), QTime(7, 0)));
    Rec r = oneSecondTimer(loop);
    if (ownSound) {
        r.sound = home.makeFile(QStringLiteral("Music/a,b.wav"), toneWav(3.0));
    }
    home.writeStorage(file({r}));
    auto w = startWindow();
    WindowDriver d(w.get());
    ringRow(w.get(), 0);
    QMediaPlayer *player = d.ringPlayer();
    QVERIFY(player);
    const QUrl expected =
        ownSound ? QUrl::fromLocalFile(r.sound) : QUrl(QStringLiteral("qrc:/res/默认响铃.mp3"));
    QCOMPARE(player->playlist()->mediaCount(), 1);
    QCOMPARE(player->playlist()->media(0).request().url(), expected);
    QCOMPARE(int(player->playlist()->playbackMode()), mode);
    QCOMPARE(player->volume(), 100);
    QVERIFY(TestSupport::shownPromptTexts().isEmpty());
    w->stopRinging();
    QTRY_VERIFY(!d.ringPlayer());
}

// A save reloads the list from the file: every row keeps its enabled look, and the new one shows.
void TestLoading::saveKeepsEachRowsLook()
{
    TestHome home;
    home.writeStorage(file(alarms(2)));
    auto w = startWindow();
    WindowDriver d(w.get());
    QVERIFY(d.waitForEditor());
    d.clickBox(0);
    QVERIFY(d.saveNew(QStringLiteral("新的")));
    QTRY_COMPARE(d.names(), (QStringList{"闹钟0", "闹钟1", "新的"}));
    QCOMPARE(boxes(d), (QList<bool>{true, false, true}));
    QVERIFY(showsIcon(d.row(0), QStringLiteral(":/res/闹钟-彩色.png")));
    QVERIFY(showsIcon(d.row(1), QStringLiteral(":/res/闹钟.png")));
    QVERIFY(showsIcon(d.row(2), QStringLiteral(":/res/闹钟-彩色.png")));
    QCOMPARE(d.time(0), QStringLiteral("00:15"));
}

// A ring that sounds while the list reloads sounds on, and its sound is not looked at again.
void TestLoading::saveKeepsARingingSound()
{
    TestHome home;
    SystemClock::pin(QDateTime(QDate(2026, 12, 8), QTime(7, 0)));
    home.writeStorage(file({oneSecondTimer(), alarms(1).first()}));
    auto w = startWindow();
    WindowDriver d(w.get());
    QVERIFY(d.waitForEditor());
    ringRow(w.get(), 0);
    QMediaPlayer *player = d.ringPlayer();
    QVERIFY(player);
    QByteArray changed = home.storageBytes();
    changed.replace("声音文件,默认响铃\n命令文件,无\n重复闹铃,是",
                    "声音文件,/no/such/other.mp3\n命令文件,无\n重复闹铃,是");
    home.writeStorage(changed);
    QVERIFY(d.saveNew(QStringLiteral("新的")));
    QCOMPARE(TestSupport::shownPromptTexts(), QStringList{"保存成功。"});
    QCOMPARE(d.ringPlayer(), player);
    QCOMPARE(player->playlist()->media(0).request().url(), QUrl(QStringLiteral("qrc:/res/默认响铃.mp3")));
    QVERIFY(w->findChild<Ringer *>()->isRinging(0));
    w->stopRinging();
}

void TestLoading::dueRingCarriedOutWhenEntriesCameFromElsewhere_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("save") << "save";
    QTest::newRow("delete") << "delete";
}

// Another program added an entry while a one-shot timer fell due: the save or delete that takes the
// added entry in rings the timer, lights 停止, and the timer is over once its ring is stopped.
void TestLoading::dueRingCarriedOutWhenEntriesCameFromElsewhere()
{
    QFETCH(QString, change);
    TestHome home;
    SystemClock::pin(QDateTime(QDate(2026, 12, 8), QTime(7, 0)));
    home.writeStorage(file({oneSecondTimer(), alarms(1).first()}));
    auto w = startWindow();
    WindowDriver d(w.get());
    QVERIFY(d.waitForEditor());
    d.clickBox(0);
    SystemClock::advance(1000); // due, but no wake-up has come yet
    QList<Rec> outside = {oneSecondTimer(), alarms(1).first(), alarms(2).last()};
    outside[1].state = outside[2].state = QStringLiteral("关闭");
    home.writeStorage(file(outside));
    if (change == QLatin1String("save"))
        QVERIFY(d.saveNew(QStringLiteral("新的")));
    else
        d.deleteRow(1);
    QVERIFY(w->findChild<Ringer *>()->isRinging(0));
    QVERIFY(d.action(QStringLiteral("停止"))->isEnabled());
    w->stopRinging();
    QVERIFY(!d.enabled(0));
    QCOMPARE(d.time(0), QStringLiteral("00:00:01"));
    QCOMPARE(d.names().size(), change == QLatin1String("save") ? 4 : 2);
}

TAVREL_TEST_MAIN(TestLoading)
#include "tst_loading.moc"
