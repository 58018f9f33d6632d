// The editor dialog on its own: modes, repeat list, ways out, file choice, loading and preview.
#include "tst_editor_support.h"

#include <QLabel>
#include <QMediaPlaylist>
#include <QSignalSpy>
#include <QStandardPaths>

using namespace EditorTest;

namespace {

const QString kSpacer(12, ' ');
const QStringList kOnce{"重复：一次", "", "", ""};

QStringList columns(const Session &s)
{
    QStringList texts;
    for (int c = 0; c < 4; ++c)
        texts << s.summary()->text(c);
    return texts;
}

QStringList checkedDays(const Session &s)
{
    QStringList days;
    for (const QString &name : StorageFile::weekdayNames()) {
        if (s.day(name)->isChecked())
            days << name;
    }
    return days;
}

bool listOpen(const Session &s)
{
    return s.in("qtw_ChongFu")->height() == 85 && s.in("qpb_MingLingWenJian")->y() == 320;
}

} // namespace

class TestEditor : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { TestSupport::closeAllPrompts(); }
    void modes_data();
    void modes();
    void summary_data();
    void summary();
    void repeatListMovesTheLowerHalf();
    void waysOutReset_data();
    void waysOutReset();
    void fileButtons_data();
    void fileButtons();
    void loading_data();
    void loading();
    void preview_data();
    void preview();
};

void TestEditor::modes_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<bool>("timer");
    QTest::addColumn<QStringList>("days");
    QTest::newRow("timer replaces the name, keeps the time")
        << QStringList{"name:abc", "time:07:30:15", "timer"} << "计时器" << QTime(7, 30, 15) << true
        << QStringList();
    QTest::newRow("alarm replaces the name, keeps the seconds")
        << QStringList{"timer", "time:01:02:03", "name:x", "alarm"} << "闹钟" << QTime(1, 2, 3) << false
        << QStringList();
    QTest::newRow("timer closes an open list and drops its days")
        << QStringList{"open", "day:星期三", "timer"} << "计时器" << QTime(0, 0) << true << QStringList();
    QTest::newRow("alarm afterwards: list enabled, still closed")
        << QStringList{"open", "day:星期三", "timer", "alarm"} << "闹钟" << QTime(0, 0) << false
        << QStringList();
    QTest::newRow("days stay while the mode stays") << QStringList{"open", "day:星期三", "alarm"} << "闹钟"
                                                    << QTime(0, 0) << false << QStringList{"星期三"};
}

void TestEditor::modes()
{
    QFETCH(QStringList, steps);
    QFETCH(bool, timer);
    Session s;
    s.run(steps);
    QTEST(s.in<QLineEdit>("qle_MingCheng")->text(), "name");
    QTEST(s.in<QTimeEdit>("qte_ShiJian")->time(), "time");
    QTEST(checkedDays(s), "days");
    QCOMPARE(s.in<QTimeEdit>("qte_ShiJian")->displayFormat(), timer ? QStringLiteral("HH:mm:ss") : "HH:mm");
    QCOMPARE(s.in<QLabel>("ql_TiShi")->font().pointSize(), timer ? 8 : 10);
    QCOMPARE(s.in<QPushButton>("qpb_JiShiQi")->isChecked(), timer);
    QCOMPARE(s.in<QPushButton>("qpb_NaoZhong")->isChecked(), !timer);
    QCOMPARE(s.in("qtw_ChongFu")->isEnabled(), !timer);
    QCOMPARE(listOpen(s), !checkedDays(s).isEmpty()); // only the last row keeps the list open
}

void TestEditor::summary_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QStringList>("columns");
    QTest::newRow("none") << QStringList() << kOnce;
    QTest::newRow("Monday first whatever the click order")
        << QStringList{"星期日", "星期一"} << QStringList{"重复：星期一", "星期日", "", ""};
    QTest::newRow("Mon Wed Fri Sun") << QStringList{"星期一", "星期三", "星期五", "星期日"}
                                     << QStringList{"重复：星期一", "星期三" + kSpacer + "星期五", "星期日",
                                                    ""};
    QTest::newRow("all seven") << StorageFile::weekdayNames()
                               << QStringList{"重复：星期一", "星期二" + kSpacer + "星期三",
                                              "星期四" + kSpacer + "星期五", "星期六" + kSpacer + "星期日"};
    QTest::newRow("four checked, then unchecked")
        << QStringList{"星期一", "星期三", "星期五", "星期日", "星期一", "星期三", "星期五", "星期日"}
        << kOnce;
}

void TestEditor::summary()
{
    QFETCH(QStringList, clicks);
    Session s;
    s.run({"open"});
    for (const QString &day : clicks)
        s.day(day)->click();
    QTEST(columns(s), "columns");
}

void TestEditor::repeatListMovesTheLowerHalf()
{
    Session s;
    const char *lower[] = {"ql_BoFangXiangLing", "qpb_ShengYinWenJian", "qpb_BoFang", "qcb_FanFuNaoLing",
                           "ql_ZhiXingWenJian",  "qpb_MingLingWenJian", "ql_JingGao", "qtw_ChongFu"};
    QList<QRect> closed;
    for (const char *name : lower)
        closed << s.in(name)->geometry();
    s.run({"open"});
    for (int i = 0; i < 6; ++i)
        QCOMPARE(s.in(lower[i])->geometry(), closed[i].translated(0, 70));
    QCOMPARE(s.in("ql_JingGao")->geometry(), closed[6].translated(0, 69));
    QCOMPARE(s.in("qtw_ChongFu")->geometry(), closed[7].adjusted(0, 0, 0, 69));
    QVERIFY(!s.day("星期日")->isHidden());
    s.in<QTreeWidget>("qtw_ChongFu")->collapseItem(s.summary());
    for (int i = 0; i < 8; ++i)
        QCOMPARE(s.in(lower[i])->geometry(), closed[i]);
    QVERIFY(s.day("星期日")->isHidden());
}

void TestEditor::waysOutReset_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("关闭") << "button";
    QTest::newRow("frame close") << "close";
    QTest::newRow("Escape") << "escape";
}

void TestEditor::waysOutReset()
{
    QFETCH(QString, way);
    Session s;
    s.d->BianJiChuanRu(2, "闹钟", "morning", "07:30", "星期一|星期五", s.resolve("@音乐/r.mp3"),
                       s.resolve("@bin/w.sh"), "否", "开启");
    s.d->show();
    QCOMPARE(s.d->windowTitle(), QStringLiteral("编辑"));
    if (way == "button")
        s.in<QPushButton>("qpb_GuanBi")->click();
    else if (way == "close")
        s.d->close();
    else
        QTest::keyClick(s.d, Qt::Key_Escape);

    QVERIFY(!s.d->isVisible());
    QCOMPARE(s.d->editFlag(), 0);
    QCOMPARE(s.d->windowTitle(), QStringLiteral("新建"));
    QVERIFY(s.in<QPushButton>("qpb_NaoZhong")->isChecked());
    QCOMPARE(s.in<QLineEdit>("qle_MingCheng")->text(), QStringLiteral("闹钟"));
    QCOMPARE(s.in<QTimeEdit>("qte_ShiJian")->time(), QTime(0, 0));
    QCOMPARE(checkedDays(s), QStringList());
    QCOMPARE(columns(s), kOnce);
    QVERIFY(!listOpen(s));
    QCOMPARE(s.in<QPushButton>("qpb_ShengYinWenJian")->text(), kSoundCaption);
    QCOMPARE(s.in<QPushButton>("qpb_MingLingWenJian")->text(), kCommandCaption);
    QVERIFY(s.in<QCheckBox>("qcb_FanFuNaoLing")->isChecked());
}

void TestEditor::fileButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("mouse");
    QTest::addColumn<QString>("file"); // left press: the file chosen (empty: cancelled)
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("title"); // of the file dialog
    const int left = Qt::LeftButton;
    const int right = Qt::RightButton;
    QTest::newRow("music with a comma") << "qpb_ShengYinWenJian" << left << "@音乐/a,b.mp3"
                                        << "a,b.mp3"
                                        << "选择音乐文件";
    QTest::newRow("command script") << "qpb_MingLingWenJian" << left << "@bin/wake.sh"
                                    << "wake.sh"
                                    << "选择命令文件";
    QTest::newRow("music cancelled") << "qpb_ShengYinWenJian" << left << ""
                                     << "r.mp3"
                                     << "选择音乐文件";
    QTest::newRow("command cancelled") << "qpb_MingLingWenJian" << left << ""
                                       << "w.sh"
                                       << "选择命令文件";
    QTest::newRow("music path with a line break refused")
        << "qpb_ShengYinWenJian" << left << "@音乐\n新/x.mp3"
        << "r.mp3"
        << "选择音乐文件";
    QTest::newRow("right press: default ring") << "qpb_ShengYinWenJian" << right << "" << kSoundCaption << "";
    QTest::newRow("right press: no command") << "qpb_MingLingWenJian" << right << "" << kCommandCaption << "";
}

// Each starts from an entry with a chosen music and command file loaded.
void TestEditor::fileButtons()
{
    QFETCH(QString, button);
    QFETCH(int, mouse);
    QFETCH(QString, file);
    Session s;
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    s.d->BianJiChuanRu(1, "闹钟", "x", "07:30", "否", s.resolve("@r.mp3"), s.resolve("@w.sh"), "是", "开启");
    s.d->show();
    auto *target = child<QPushButton>(s.d, button);
    QSignalSpy sent(s.d, SIGNAL(sendObject(QObject *)));
    FileDialogSeen seen;
    if (mouse == Qt::LeftButton)
        answerFileDialog(s.d, file.isEmpty() ? QString() : s.home.makeFile(file.mid(1)), &seen);
    QTest::mousePress(target, Qt::MouseButton(mouse));

    QCOMPARE(sent.count(), 1);
    QCOMPARE(sent.at(0).at(0).value<QObject *>(), target);
    QTEST(target->text(), "caption");
    QCOMPARE(target->icon().isNull(), mouse == Qt::RightButton);
    QVERIFY(!target->isDown());
    QTEST(seen.title, "title");
    if (mouse == Qt::LeftButton) {
        const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        QCOMPARE(seen.directory, QDir(desktop).absolutePath());
        QCOMPARE(seen.filters.join("").contains("*.mp3*"), button == "qpb_ShengYinWenJian");
    }
    const bool refused = file.contains('\n');
    QCOMPARE(TestSupport::shownPromptTexts().join("").contains("换行符"), refused);
}

void TestEditor::loading_data()
{
    QTest::addColumn<QStringList>("record"); // type, name, time, repeat, sound, command, loop
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QStringList>("days");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QStringList>("prompts");
    QTest::newRow("alarm Mon Wed Fri")
        << QStringList{"闹钟", "morning", "07:30", "星期一|星期三|星期五", "默认响铃", "无", "是"}
        << QTime(7, 30) << QStringList{"星期一", "星期三", "星期五"}
        << QStringList{"重复：星期一", "星期三" + kSpacer + "星期五", "", ""} << QStringList();
    QTest::newRow("alarm on one day")
        << QStringList{"闹钟", "周三", "21:05", "星期三", "默认响铃", "无", "否"} << QTime(21, 5)
        << QStringList{"星期三"} << QStringList{"重复：星期三", "", "", ""} << QStringList();
    QTest::newRow("timer 01:30:00") << QStringList{"计时器", "茶", "01:30:00", "否", "默认响铃", "无", "否"}
                                    << QTime(1, 30) << QStringList() << kOnce << QStringList();
    QTest::newRow("missing files reported")
        << QStringList{"闹钟", "x", "06:00", "否", "/gone/ring.mp3", "/gone/run.sh", "是"} << QTime(6, 0)
        << QStringList() << kOnce
        << QStringList{"/gone/ring.mp3   声音文件不存在，恢复为默认响铃。",
                       "/gone/run.sh   命令文件不存在，恢复为无。"};
}

void TestEditor::loading()
{
    QFETCH(QStringList, record);
    Session s;
    s.d->BianJiChuanRu(3, record[0], record[1], record[2], record[3], record[4], record[5], record[6],
                       "关闭");
    const bool timer = record[0] == QStringLiteral("计时器");
    QCOMPARE(s.d->windowTitle(), QStringLiteral("编辑"));
    QCOMPARE(s.d->editFlag(), 1);
    QCOMPARE(s.in<QPushButton>("qpb_JiShiQi")->isChecked(), timer);
    QCOMPARE(s.in<QLineEdit>("qle_MingCheng")->text(), record[1]); // loading keeps the name
    QCOMPARE(s.in<QTimeEdit>("qte_ShiJian")->displayFormat(), timer ? QStringLiteral("HH:mm:ss") : "HH:mm");
    QCOMPARE(s.in<QLabel>("ql_TiShi")->font().pointSize(), timer ? 8 : 10);
    QCOMPARE(s.in("qtw_ChongFu")->isEnabled(), !timer);
    QCOMPARE(listOpen(s), !timer && record[3] != QStringLiteral("否"));
    QTEST(s.in<QTimeEdit>("qte_ShiJian")->time(), "time");
    QTEST(checkedDays(s), "days");
    QTEST(columns(s), "columns");
    QCOMPARE(s.in<QPushButton>("qpb_ShengYinWenJian")->text(), kSoundCaption);
    QCOMPARE(s.in<QPushButton>("qpb_MingLingWenJian")->text(), kCommandCaption);
    QCOMPARE(s.in<QCheckBox>("qcb_FanFuNaoLing")->isChecked(), record[6] == QStringLiteral("是"));
    QStringList shown = TestSupport::shownPromptTexts();
    shown.sort();
    QTEST(shown, "prompts"); // listed sorted
}

void TestEditor::preview_data()
{
    QTest::addColumn<bool>("loop");
    QTest::addColumn<QString>("end"); // "itself", "click" (on 停止), "close" (the dialog)
    QTest::newRow("once ends by itself") << false << "itself";
    QTest::newRow("loop ends with 停止") << true << "click";
    QTest::newRow("loop ends when the dialog closes") << true << "close";
}

void TestEditor::preview()
{
    QFETCH(bool, loop);
    QFETCH(QString, end);
    Session s;
    const QString wav = s.home.documents() + "/short.wav";
    writeWav(wav, 400);
    s.d->BianJiChuanRu(1, "闹钟", "x", "07:30", "否", wav, "无", loop ? "是" : "否", "开启");
    s.d->show();
    auto *play = s.in<QPushButton>("qpb_BoFang");
    auto *player = s.in<QMediaPlayer>("qmp_BoFang");
    play->click();
    QCOMPARE(play->text(), QStringLiteral("停止"));
    QCOMPARE(player->playlist()->media(0).request().url(), QUrl::fromLocalFile(wav));
    QTRY_COMPARE(player->state(), QMediaPlayer::PlayingState);
    if (end == "itself") {
        QTRY_COMPARE_WITH_TIMEOUT(play->text(), QStringLiteral("播放"), 5000);
    } else {
        QTest::qWait(900); // twice the sound's length: a loop is still going
        QCOMPARE(player->state(), QMediaPlayer::PlayingState);
        end == "click" ? play->click() : (void)s.d->close();
        QCOMPARE(play->text(), QStringLiteral("播放"));
    }
    QCOMPARE(player->state(), QMediaPlayer::StoppedState);
    play->click(); // the next click starts a new preview
    QCOMPARE(play->text(), QStringLiteral("停止"));
    QTRY_COMPARE(player->state(), QMediaPlayer::PlayingState);
}

TAVREL_TEST_MAIN(TestEditor)
#include "tst_editor.moc"
