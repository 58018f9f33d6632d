// New, edit and delete through the real tool bar, the real editor and the storage file's bytes.
#include "app/clock.h"
#include "tst_editor_support.h"

#include <QAction>
#include <QLabel>
#include <QMediaPlaylist>
#include <QSystemTrayIcon>

using namespace EditorTest;

namespace {

const QString kOn = QStringLiteral("开启");

// Nine record lines.
QStringList rec(int n, const QString &type, const QString &name, const QString &time,
                const QString &repeat = "否", const QString &sound = "默认响铃",
                const QString &command = "无", const QString &loop = "是", const QString &state = "关闭")
{
    return {"序号," + QString::number(n),
            "类型," + type,
            "名称," + name,
            "时间," + time,
            "每周重复," + repeat,
            "声音文件," + sound,
            "命令文件," + command,
            "重复闹铃," + loop,
            "状态," + state};
}

QList<QStringList> alarms(int count)
{
    QList<QStringList> recs;
    for (int i = 1; i <= count; ++i)
        recs << rec(i, "闹钟", "闹钟" + QString::number(i),
                    QStringLiteral("%1:15").arg(i % 24, 2, 10, QChar('0')));
    return recs;
}

QString fileOf(const QList<QStringList> &recs, const QString &background = "无")
{
    QStringList lines{"数量," + QString::number(recs.size()) + ",背景图片," + background};
    for (const QStringList &r : recs)
        lines << r;
    return lines.join('\n') + '\n';
}

QStringList names(const Session &s)
{
    QStringList shown;
    for (int i = 0; i < s.probe.entryCount(); ++i)
        shown << s.row<QLabel>("ql3", i)->text();
    return shown;
}

} // namespace

class TestCommands : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        TestSupport::closeAllPrompts();
        Clock::pin(QDateTime());
    }
    void notReadyBeforeDeferredStart_data();
    void notReadyBeforeDeferredStart();
    void saveNew_data();
    void saveNew();
    void entryLimit_data();
    void entryLimit();
    void editInPlace_data();
    void editInPlace();
    void deleteEntry_data();
    void deleteEntry();
    void ringingEntryMovesUp_data();
    void ringingEntryMovesUp();
    void timerJourney();
};

void TestCommands::notReadyBeforeDeferredStart_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("新建") << "qa_XingJian";
    QTest::newRow("编辑...") << "qa_BianJi";
}

void TestCommands::notReadyBeforeDeferredStart()
{
    QFETCH(QString, command);
    TestHome home;
    MainWindow window;
    child<QAction>(&window, command)->trigger(); // before the event loop ran the deferred step
    QCOMPARE(TestSupport::shownPromptTexts(), QStringList{"后台加载尚未完成，请稍后再试。"});
    QVERIFY(!child(&window, "xjck"));
}

void TestCommands::saveNew_data()
{
    QTest::addColumn<QList<QStringList>>("before");
    QTest::addColumn<QString>("background");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("saved");
    QTest::newRow("defaults into a new file")
        << QList<QStringList>() << "无" << QStringList()
        << rec(1, "闹钟", "闹钟", "00:00", "否", "默认响铃", "无", "是", kOn);
    QTest::newRow("timer of 1 h 30 min")
        << QList<QStringList>() << "无" << QStringList{"timer", "time:01:30:00"}
        << rec(1, "计时器", "计时器", "01:30:00", "否", "默认响铃", "无", "是", kOn);
    QTest::newRow("Monday and Friday")
        << alarms(1) << "无" << QStringList{"open", "day:星期五", "day:星期一"}
        << rec(2, "闹钟", "闹钟", "00:00", "星期一|星期五", "默认响铃", "无", "是", kOn);
    QTest::newRow("name with commas") << alarms(2) << "无" << QStringList{"name:a,b,c", "time:07:05:00"}
                                      << rec(3, "闹钟", "a,b,c", "07:05", "否", "默认响铃", "无", "是", kOn);
    QTest::newRow("name with line breaks")
        << alarms(1) << "无" << QStringList{"name:早\n起\r\n床"}
        << rec(2, "闹钟", "早 起 床", "00:00", "否", "默认响铃", "无", "是", kOn);
    QTest::newRow("chosen sound and command")
        << QList<QStringList>() << "无"
        << QStringList{"sound:@音乐/a,b.mp3", "command:@bin/wake.sh", "loopoff"}
        << rec(1, "闹钟", "闹钟", "00:00", "否", "@音乐/a,b.mp3", "@bin/wake.sh", "否", kOn);
    QTest::newRow("sound chosen, then right-pressed")
        << QList<QStringList>() << "无" << QStringList{"sound:@音乐/x.mp3", "rightsound"}
        << rec(1, "闹钟", "闹钟", "00:00", "否", "默认响铃", "无", "是", kOn);
    QTest::newRow("background with commas kept")
        << alarms(1) << "/pics/a,b,c.png" << QStringList{"timer"}
        << rec(2, "计时器", "计时器", "00:00:00", "否", "默认响铃", "无", "是", kOn);
}

void TestCommands::saveNew()
{
    QFETCH(QList<QStringList>, before);
    QFETCH(QString, background);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, saved);
    Session s(fileOf(before, background));
    s.command("qa_XingJian", [&] { s.run(steps + QStringList{"save"}); });

    QCOMPARE(s.stored(), s.resolve(fileOf(before + QList<QStringList>{saved}, background)));
    QVERIFY(!s.d->isVisible());
    QCOMPARE(s.in<QLineEdit>("qle_MingCheng")->text(), QStringLiteral("闹钟")); // reset for the next use
    QVERIFY(TestSupport::shownPromptTexts().contains("保存成功。"));
    const int n = before.size();
    QCOMPARE(s.probe.entryCount(), n + 1);
    QCOMPARE(s.row<QLabel>("ql3", n)->text(), saved[2].section(',', 1));
    QCOMPARE(s.row<QLabel>("ql2", n)->text(), saved[3].section(',', 1));
    QVERIFY(s.row<QCheckBox>("qcb", n)->isChecked()); // a new entry runs at once
    QCOMPARE(s.probe.runState(n), 2);                 // pending: the next tick arms it
}

void TestCommands::entryLimit_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<bool>("saved");
    QTest::newRow("19 -> 20") << 19 << true;
    QTest::newRow("20 refuses a 21st") << 20 << false;
    QTest::newRow("21 in the file refuse too") << 21 << false;
}

void TestCommands::entryLimit()
{
    QFETCH(int, stored);
    QFETCH(bool, saved);
    Session s(fileOf(alarms(stored)));
    const QByteArray before = s.home.storageBytes();
    bool stillOpen = false;
    QString keptName;
    s.command("qa_XingJian", [&] {
        s.run({"timer", "name:最后", "time:00:01:00", "save"});
        stillOpen = s.d->isVisible();
        keptName = s.in<QLineEdit>("qle_MingCheng")->text();
        s.d->close();
    });
    QCOMPARE(stillOpen, !saved);
    QCOMPARE(keptName, saved ? QStringLiteral("闹钟") : "最后");
    QCOMPARE(TestSupport::shownPromptTexts().contains("闹钟和计时器数量最多为20个,无法保存。"), !saved);
    QCOMPARE(s.home.storageBytes() == before, !saved);
    QCOMPARE(s.probe.entryCount(), 20);
    const QRegularExpression rowButton("^qpb_BuJuShuZu\\d+$");
    QCOMPARE(s.window->findChildren<QPushButton *>(rowButton).size(), 20); // none beyond the twentieth
}

void TestCommands::editInPlace_data()
{
    QTest::addColumn<QStringList>("third");   // record 3 of five as stored
    QTest::addColumn<bool>("enabled");        // checked before the edit
    QTest::addColumn<QStringList>("steps");   // in the editor, before the save
    QTest::addColumn<QStringList>("written"); // record 3 afterwards
    const QStringList third = rec(3, "闹钟", "起床", "07:30", "星期一|星期五");
    QTest::newRow("renamed") << third << false << QStringList{"name:新名字"}
                             << rec(3, "闹钟", "新名字", "07:30", "星期一|星期五");
    QTest::newRow("enabled entry keeps 开启")
        << third << true << QStringList{"time:08:45:00"}
        << rec(3, "闹钟", "起床", "08:45", "星期一|星期五", "默认响铃", "无", "是", kOn);
    QTest::newRow("alarm becomes a timer")
        << third << false << QStringList{"timer", "time:00:10:00"} << rec(3, "计时器", "计时器", "00:10:00");
    const QStringList files =
        rec(3, "闹钟", "a,b", "06:05", "星期一|星期三|星期五", "@音乐/r,1.mp3", "@bin/go.sh", "否");
    QTest::newRow("saved unchanged right after loading") << files << false << QStringList() << files;
    QTest::newRow("missing sound written as the default")
        << rec(3, "计时器", "茶", "00:03:00", "否", "/gone/x.mp3") << false << QStringList()
        << rec(3, "计时器", "茶", "00:03:00");
}

void TestCommands::editInPlace()
{
    QFETCH(QStringList, third);
    QFETCH(bool, enabled);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, written);
    QList<QStringList> recs = alarms(5);
    recs[2] = third;
    Session s(fileOf(recs));
    if (enabled)
        s.row<QCheckBox>("qcb", 2)->click();
    s.row<QPushButton>("qpb_BuJuShuZu", 2)->click();
    QString title;
    s.command("qa_BianJi", [&] {
        title = s.d->windowTitle();
        s.run(steps + QStringList{"save"});
    });
    QCOMPARE(title, QStringLiteral("编辑"));
    recs[2] = written;
    QCOMPARE(s.stored(), s.resolve(fileOf(recs)));
    QCOMPARE(s.probe.entryCount(), 5);
    QCOMPARE(s.d->editFlag(), 0);
    QCOMPARE(s.row<QLabel>("ql2", 2)->text(), written[3].section(',', 1));
}

void TestCommands::deleteEntry_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("selected"); // 1-based
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("question");
    QTest::newRow("2 of 3") << 3 << 2 << "确定"
                            << "确认删除类型为[闹钟]、名称为[闹钟2]、时间为[02:15]的 闹钟 吗？";
    QTest::newRow("first of 3") << 3 << 1 << "确定"
                                << "确认删除类型为[闹钟]、名称为[闹钟1]、时间为[01:15]的 闹钟 吗？";
    QTest::newRow("last of 3") << 3 << 3 << "确定"
                               << "确认删除类型为[闹钟]、名称为[闹钟3]、时间为[03:15]的 闹钟 吗？";
    QTest::newRow("the only entry") << 1 << 1 << "确定"
                                    << "确认删除类型为[闹钟]、名称为[闹钟1]、时间为[01:15]的 闹钟 吗？";
    QTest::newRow("morning, cancelled") << 2 << 2 << "取消"
                                        << "确认删除类型为[闹钟]、名称为[morning]、时间为[07:30]的 闹钟 吗？";
}

void TestCommands::deleteEntry()
{
    QFETCH(int, count);
    QFETCH(int, selected);
    QFETCH(QString, answer);
    QList<QStringList> recs = alarms(count);
    if (answer == QStringLiteral("取消"))
        recs[1] = rec(2, "闹钟", "morning", "07:30");
    Session s(fileOf(recs));
    const QByteArray before = s.home.storageBytes();
    QStringList left = names(s);
    s.row<QPushButton>("qpb_BuJuShuZu", selected - 1)->click();
    QString asked;
    answerMessageBox(answer, &asked);
    s.command("qa_ShanChu");
    QTEST(asked, "question");
    if (answer == QStringLiteral("取消")) {
        QCOMPARE(s.home.storageBytes(), before);
        QCOMPARE(names(s), left);
        return;
    }
    recs.removeAt(selected - 1);
    left.removeAt(selected - 1);
    for (int i = 0; i < recs.size(); ++i)
        recs[i][0] = "序号," + QString::number(i + 1); // later entries renumbered
    QCOMPARE(s.stored(), fileOf(recs));
    QVERIFY(TestSupport::shownPromptTexts().contains("删除成功。"));
    QCOMPARE(names(s), left);
    for (int i = 0; i < count - 1; ++i)
        QCOMPARE(s.row<QLabel>("ql2", i)->text(), recs[i][3].section(',', 1));
    QVERIFY(!s.probe.hasRow(count - 1));
    const bool rowStays = selected < count; // the same row button stays selected
    QCOMPARE(child<QAction>(s.window.get(), "qa_ShanChu")->isEnabled(), rowStays);
}

void TestCommands::ringingEntryMovesUp_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("deleted");  // 1-based
    QTest::addColumn<int>("ringing");  // 1-based, before the delete
    QTest::addColumn<int>("rowAfter"); // where it rings afterwards
    QTest::newRow("last entry below") << 3 << 2 << 3 << 1;
    QTest::newRow("middle entry below") << 4 << 1 << 3 << 1;
    QTest::newRow("entry above untouched") << 3 << 2 << 1 << 0;
}

void TestCommands::ringingEntryMovesUp()
{
    QFETCH(int, count);
    QFETCH(int, deleted);
    QFETCH(int, ringing);
    QFETCH(int, rowAfter);
    Clock::pin(QDateTime(QDate(2026, 3, 4), QTime(12, 0))); // no alarm of the file is due
    QTemporaryDir sounds;
    QList<QStringList> recs = alarms(count);
    for (int i = 0; i < count; ++i) {
        recs[i][5] = QStringLiteral("声音文件,%1/s%2.wav").arg(sounds.path()).arg(i + 1);
        writeWav(recs[i][5].section(',', 1), 2000);
    }
    Session s(fileOf(recs));
    const int r = ringing - 1;
    s.row<QCheckBox>("qcb", r)->click();
    s.probe.runState(r) = 0; // what a ring leaves
    s.probe.player(r)->play();
    QTRY_COMPARE(s.probe.player(r)->state(), QMediaPlayer::PlayingState);
    QMediaPlayer *ringingPlayer = s.probe.player(r);

    s.row<QPushButton>("qpb_BuJuShuZu", deleted - 1)->click();
    answerMessageBox("确定");
    s.command("qa_ShanChu");
    QCOMPARE(s.probe.entryCount(), count - 1);
    QCOMPARE(s.probe.playlist(rowAfter)->media(0).request().url(),
             QUrl::fromLocalFile(recs[r][5].section(',', 1)));
    QTest::qWait(2500); // longer than the sound: it loops on
    QCOMPARE(s.probe.player(rowAfter)->state(), QMediaPlayer::PlayingState);
    QVERIFY(s.row<QCheckBox>("qcb", rowAfter)->isChecked());
    QCOMPARE(s.probe.player(rowAfter) == ringingPlayer, ringing < deleted);
    for (int i = 0; i < count - 1; ++i) {
        if (i != rowAfter)
            QCOMPARE(s.probe.player(i)->state(), QMediaPlayer::StoppedState);
    }
}

// The whole road of a timer: made in the editor, counted down by the tick, rung with its sound
// and a tray message, then disabled and shown with its full duration again.
void TestCommands::timerJourney()
{
    Session s;
    s.command("qa_XingJian", [&] { s.run({"timer", "name:泡茶", "time:00:00:05", "loopoff", "save"}); });
    QCOMPARE(s.probe.entryCount(), 1);
    QVERIFY(s.row<QCheckBox>("qcb", 0)->isChecked());
    QTRY_COMPARE_WITH_TIMEOUT(s.probe.timeText(0), QStringLiteral("00:00:03"), 4000);
    QTRY_COMPARE_WITH_TIMEOUT(s.probe.player(0)->state(), QMediaPlayer::PlayingState, 6000);
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        bool balloon = false;
        for (QWidget *w : QApplication::topLevelWidgets())
            balloon = balloon || (w->inherits("QBalloonTip") && w->isVisible());
        QVERIFY(balloon);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!s.row<QCheckBox>("qcb", 0)->isChecked(), 8000);
    QCOMPARE(s.row<QLabel>("ql2", 0)->text(), QStringLiteral("00:00:05"));
    QVERIFY(s.stored().endsWith("状态,关闭\n"));
}

TAVREL_TEST_MAIN(TestCommands)
#include "tst_commands.moc"
