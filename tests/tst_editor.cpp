// The editor dialog on its own: modes, repeat list, ways out, file choice, loading and preview.
#include "support/testsupport.h"
#include "tst_editor_support.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMediaPlaylist>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTimeEdit>
#include <QTreeWidget>

using namespace EditorTest;

namespace {

const QString kSoundCaption = QStringLiteral("默认响铃(点击此按钮更换音乐/右击为默认响铃)");
const QString kCommandCaption = QStringLiteral("无（点击选择命令文件/右击为“无”）");
const QString kSpacer(12, QLatin1Char(' '));
const QStringList kDays = {QStringLiteral("星期一"), QStringLiteral("星期二"), QStringLiteral("星期三"),
                           QStringLiteral("星期四"), QStringLiteral("星期五"), QStringLiteral("星期六"),
                           QStringLiteral("星期日")};
const char *const kDayBoxes[] = {"qcb_XingQiYi", "qcb_XingQiEr",  "qcb_XingQiSan", "qcb_XingQiSi",
                                 "qcb_XingQiWu", "qcb_XingQiLiu", "qcb_XingQiRi"};

struct Editor
{
    TestHome home;
    std::unique_ptr<MainWindow> window = startWindow();
    XingJianChuangKou *d = editorOf(window.get());

    template <typename T = QWidget> T *w(const char *name) const { return child<T>(d, QLatin1String(name)); }
    QCheckBox *day(const QString &name) const { return w<QCheckBox>(kDayBoxes[kDays.indexOf(name)]); }
    QTreeWidgetItem *summary() const { return w<QTreeWidget>("qtw_ChongFu")->topLevelItem(0); }
    QStringList columns() const
    {
        return {summary()->text(0), summary()->text(1), summary()->text(2), summary()->text(3)};
    }
    QStringList checkedDays() const
    {
        QStringList days;
        for (const QString &name : kDays) {
            if (day(name)->isChecked())
                days << name;
        }
        return days;
    }
    bool listOpen() const { return w("qtw_ChongFu")->height() == 85 && w("qpb_MingLingWenJian")->y() == 320; }
    QString soundCaption() const { return w<QPushButton>("qpb_ShengYinWenJian")->text(); }
    QString commandCaption() const { return w<QPushButton>("qpb_MingLingWenJian")->text(); }

    // "name:x", "time:01:02:03", "open", "day:星期三", "timer", "alarm"
    void run(const QStringList &steps) const
    {
        for (const QString &step : steps) {
            const QString arg = step.section(QLatin1Char(':'), 1);
            if (step.startsWith(QLatin1String("name:")))
                w<QLineEdit>("qle_MingCheng")->setText(arg);
            else if (step.startsWith(QLatin1String("time:")))
                w<QTimeEdit>("qte_ShiJian")->setTime(QTime::fromString(arg, QStringLiteral("HH:mm:ss")));
            else if (step == QLatin1String("open"))
                w<QTreeWidget>("qtw_ChongFu")->expandItem(summary());
            else if (step.startsWith(QLatin1String("day:")))
                day(arg)->click();
            else
                w<QPushButton>(step == QLatin1String("timer") ? "qpb_JiShiQi" : "qpb_NaoZhong")->click();
        }
    }
};

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
    void repeatListMovesTheLowerHalf_data();
    void repeatListMovesTheLowerHalf();
    void nameTakesSevenCharacters();
    void waysOutReset_data();
    void waysOutReset();
    void leftPressChoosesAFile_data();
    void leftPressChoosesAFile();
    void rightPressRestoresTheDefault_data();
    void rightPressRestoresTheDefault();
    void loading_data();
    void loading();
    void preview_data();
    void preview();
};

void TestEditor::modes_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<int>("hintPoints");
    QTest::addColumn<bool>("listEnabled");
    QTest::addColumn<QStringList>("days");

    QTest::newRow("timer replaces the name, keeps the time")
        << QStringList{"name:abc", "time:07:30:15", "timer"} << "计时器"
        << "HH:mm:ss" << QTime(7, 30, 15) << 8 << false << QStringList();
    QTest::newRow("alarm replaces the name, keeps the seconds")
        << QStringList{"timer", "time:01:02:03", "name:x", "alarm"} << "闹钟"
        << "HH:mm" << QTime(1, 2, 3) << 10 << true << QStringList();
    QTest::newRow("timer closes an open list and drops its days")
        << QStringList{"open", "day:星期三", "day:星期日", "timer"} << "计时器"
        << "HH:mm:ss" << QTime(0, 0) << 8 << false << QStringList();
    QTest::newRow("alarm afterwards enables the list, still closed")
        << QStringList{"open", "day:星期三", "timer", "alarm"} << "闹钟"
        << "HH:mm" << QTime(0, 0) << 10 << true << QStringList();
    QTest::newRow("days stay while the mode stays")
        << QStringList{"open", "day:星期三", "alarm"} << "闹钟"
        << "HH:mm" << QTime(0, 0) << 10 << true << QStringList{"星期三"};
}

void TestEditor::modes()
{
    QFETCH(QStringList, steps);
    Editor e;
    e.run(steps);
    QTEST(e.w<QLineEdit>("qle_MingCheng")->text(), "name");
    QTEST(e.w<QTimeEdit>("qte_ShiJian")->displayFormat(), "format");
    QTEST(e.w<QTimeEdit>("qte_ShiJian")->time(), "time");
    QTEST(e.w<QLabel>("ql_TiShi")->font().pointSize(), "hintPoints");
    QTEST(e.w("qtw_ChongFu")->isEnabled(), "listEnabled");
    QTEST(e.checkedDays(), "days");
    const bool timer = e.w<QPushButton>("qpb_JiShiQi")->isChecked();
    QCOMPARE(e.w<QPushButton>("qpb_NaoZhong")->isChecked(), !timer);
    QCOMPARE(e.listOpen(), !e.checkedDays().isEmpty()); // only the last row keeps the list open
    if (timer)
        QCOMPARE(e.columns(), (QStringList{"重复：一次", "", "", ""}));
}

void TestEditor::summary_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QStringList>("columns");
    QTest::newRow("none") << QStringList() << QStringList{"重复：一次", "", "", ""};
    QTest::newRow("one day") << QStringList{"星期三"} << QStringList{"重复：星期三", "", "", ""};
    QTest::newRow("Monday first whatever the click order")
        << QStringList{"星期日", "星期一"} << QStringList{"重复：星期一", "星期日", "", ""};
    QTest::newRow("Mon Wed Fri Sun") << QStringList{"星期一", "星期三", "星期五", "星期日"}
                                     << QStringList{"重复：星期一", "星期三" + kSpacer + "星期五", "星期日",
                                                    ""};
    QTest::newRow("all seven") << kDays
                               << QStringList{"重复：星期一", "星期二" + kSpacer + "星期三",
                                              "星期四" + kSpacer + "星期五", "星期六" + kSpacer + "星期日"};
    QTest::newRow("four checked then unchecked")
        << QStringList{"星期一", "星期三", "星期五", "星期日", "星期一", "星期三", "星期五", "星期日"}
        << QStringList{"重复：一次", "", "", ""};
}

void TestEditor::summary()
{
    QFETCH(QStringList, clicks);
    Editor e;
    e.run({"open"});
    for (const QString &day : clicks)
        e.day(day)->click();
    QTEST(e.columns(), "columns");
}

void TestEditor::repeatListMovesTheLowerHalf_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<int>("down");
    QTest::addColumn<int>("taller");
    QTest::newRow("repeat list") << "qtw_ChongFu" << 0 << 69;
    QTest::newRow("警告") << "ql_JingGao" << 69 << 0;
    for (const char *name : {"ql_BoFangXiangLing", "qpb_ShengYinWenJian", "qpb_BoFang", "qcb_FanFuNaoLing",
                             "ql_ZhiXingWenJian", "qpb_MingLingWenJian"})
        QTest::newRow(name) << name << 70 << 0;
}

void TestEditor::repeatListMovesTheLowerHalf()
{
    QFETCH(QString, widget);
    QFETCH(int, down);
    QFETCH(int, taller);
    Editor e;
    QWidget *target = child<QWidget>(e.d, widget);
    const QRect closed = target->geometry();
    e.run({"open"});
    QCOMPARE(target->geometry(), closed.adjusted(0, down, 0, down + taller));
    QVERIFY(e.day(QStringLiteral("星期日"))->isVisible() || !e.d->isVisible());
    e.w<QTreeWidget>("qtw_ChongFu")->collapseItem(e.summary());
    QCOMPARE(target->geometry(), closed);
    QVERIFY(e.day(QStringLiteral("星期日"))->isHidden());
}

void TestEditor::nameTakesSevenCharacters()
{
    Editor e;
    auto *name = e.w<QLineEdit>("qle_MingCheng");
    name->clear();
    QTest::keyClicks(name, "abcdefgh");
    QCOMPARE(name->text(), QStringLiteral("abcdefg"));
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
    Editor e;
    const QString sound = e.home.makeFile(QStringLiteral("音乐/ring.mp3"));
    const QString command = e.home.makeFile(QStringLiteral("bin/wake.sh"));
    e.d->BianJiChuanRu(2, "闹钟", "morning", "07:30", "星期一|星期五", sound, command, "否", "开启");
    e.d->show();
    QCOMPARE(e.d->windowTitle(), QStringLiteral("编辑"));
    if (way == QLatin1String("button"))
        e.w<QPushButton>("qpb_GuanBi")->click();
    else if (way == QLatin1String("close"))
        e.d->close();
    else
        QTest::keyClick(e.d, Qt::Key_Escape);

    QVERIFY(!e.d->isVisible());
    QCOMPARE(e.d->editFlag(), 0);
    QCOMPARE(e.d->windowTitle(), QStringLiteral("新建"));
    QVERIFY(e.w<QPushButton>("qpb_NaoZhong")->isChecked());
    QCOMPARE(e.w<QLineEdit>("qle_MingCheng")->text(), QStringLiteral("闹钟"));
    QCOMPARE(e.w<QTimeEdit>("qte_ShiJian")->time(), QTime(0, 0));
    QCOMPARE(e.checkedDays(), QStringList());
    QCOMPARE(e.columns(), (QStringList{"重复：一次", "", "", ""}));
    QVERIFY(!e.listOpen());
    QCOMPARE(e.soundCaption(), kSoundCaption);
    QCOMPARE(e.commandCaption(), kCommandCaption);
    QVERIFY(e.w<QPushButton>("qpb_ShengYinWenJian")->icon().isNull());
    QVERIFY(e.w<QCheckBox>("qcb_FanFuNaoLing")->isChecked());
}

void TestEditor::leftPressChoosesAFile_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("file"); // made under HOME; empty: the dialog is cancelled
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("filtered");
    QTest::newRow("music with a comma") << "qpb_ShengYinWenJian"
                                        << "音乐/a,b.mp3"
                                        << "a,b.mp3"
                                        << "选择音乐文件" << true;
    QTest::newRow("command script") << "qpb_MingLingWenJian"
                                    << "bin/wake.sh"
                                    << "wake.sh"
                                    << "选择命令文件" << false;
    QTest::newRow("music cancelled") << "qpb_ShengYinWenJian"
                                     << "" << kSoundCaption << "选择音乐文件" << true;
    QTest::newRow("command cancelled") << "qpb_MingLingWenJian"
                                       << "" << kCommandCaption << "选择命令文件" << false;
    QTest::newRow("music path with a line break")
        << "qpb_ShengYinWenJian"
        << "音乐\n新/x.mp3" << kSoundCaption << "选择音乐文件" << true;
}

void TestEditor::leftPressChoosesAFile()
{
    QFETCH(QString, button);
    QFETCH(QString, file);
    Editor e;
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    e.d->show();
    auto *target = child<QPushButton>(e.d, button);
    const QString path = file.isEmpty() ? QString() : e.home.makeFile(file);
    QSignalSpy sent(e.d, SIGNAL(sendObject(QObject *)));
    FileDialogSeen seen;
    answerFileDialog(e.d, path, &seen);
    QTest::mousePress(target, Qt::LeftButton);

    QCOMPARE(sent.count(), 1);
    QCOMPARE(sent.at(0).at(0).value<QObject *>(), target);
    QTEST(seen.title, "title");
    QCOMPARE(seen.directory,
             QDir(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)).absolutePath());
    QTEST(seen.filters.join(QString()).contains(QLatin1String("*.mp3*")), "filtered");
    QTEST(target->text(), "caption");
    QCOMPARE(target->icon().isNull(), target->text() == kSoundCaption || target->text() == kCommandCaption);
    QVERIFY(!target->isDown());
    const bool refused = file.contains(QLatin1Char('\n'));
    QCOMPARE(TestSupport::shownPromptTexts().join(QString()).contains(QStringLiteral("换行符")), refused);
}

void TestEditor::rightPressRestoresTheDefault_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("caption");
    QTest::newRow("sound") << "qpb_ShengYinWenJian" << kSoundCaption;
    QTest::newRow("command") << "qpb_MingLingWenJian" << kCommandCaption;
}

void TestEditor::rightPressRestoresTheDefault()
{
    QFETCH(QString, button);
    Editor e;
    const QString sound = e.home.makeFile(QStringLiteral("音乐/ring.mp3"));
    const QString command = e.home.makeFile(QStringLiteral("bin/wake.sh"));
    e.d->BianJiChuanRu(1, "闹钟", "x", "07:30", "否", sound, command, "是", "开启");
    auto *target = child<QPushButton>(e.d, button);
    QVERIFY(!target->icon().isNull());
    QSignalSpy sent(e.d, SIGNAL(sendObject(QObject *)));
    QTest::mousePress(target, Qt::RightButton);
    QTEST(target->text(), "caption");
    QVERIFY(target->icon().isNull());
    QCOMPARE(sent.count(), 1);
    QCOMPARE(sent.at(0).at(0).value<QObject *>(), target);
}

void TestEditor::loading_data()
{
    QTest::addColumn<QStringList>("record"); // type, name, time, repeat, sound, command, loop
    QTest::addColumn<bool>("timer");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QStringList>("days");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<bool>("listOpen");
    QTest::addColumn<QString>("sound");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("prompts");

    const QStringList once{"重复：一次", "", "", ""};
    QTest::newRow("alarm Mon Wed Fri")
        << QStringList{"闹钟", "morning", "07:30", "星期一|星期三|星期五", "默认响铃", "无", "是"} << false
        << QTime(7, 30) << QStringList{"星期一", "星期三", "星期五"}
        << QStringList{"重复：星期一", "星期三" + kSpacer + "星期五", "", ""} << true << kSoundCaption
        << kCommandCaption << QStringList();
    QTest::newRow("alarm on one day")
        << QStringList{"闹钟", "周三", "21:05", "星期三", "默认响铃", "无", "否"} << false << QTime(21, 5)
        << QStringList{"星期三"} << QStringList{"重复：星期三", "", "", ""} << true << kSoundCaption
        << kCommandCaption << QStringList();
    QTest::newRow("timer 01:30:00") << QStringList{"计时器", "茶", "01:30:00", "否", "默认响铃", "无", "否"}
                                    << true << QTime(1, 30) << QStringList() << once << false << kSoundCaption
                                    << kCommandCaption << QStringList();
    QTest::newRow("chosen files shown by name")
        << QStringList{"计时器", "x", "00:00:05", "否", "@音乐/a,b.mp3", "@bin/wake.sh", "是"} << true
        << QTime(0, 0, 5) << QStringList() << once << false << "a,b.mp3"
        << "wake.sh" << QStringList();
    QTest::newRow("missing files reported")
        << QStringList{"闹钟", "x", "06:00", "否", "/gone/ring.mp3", "/gone/run.sh", "是"} << false
        << QTime(6, 0) << QStringList() << once << false << kSoundCaption << kCommandCaption
        << QStringList{"/gone/ring.mp3   声音文件不存在，恢复为默认响铃。",
                       "/gone/run.sh   命令文件不存在，恢复为无。"};
}

void TestEditor::loading()
{
    QFETCH(QStringList, record);
    QFETCH(bool, timer);
    Editor e;
    for (QString &value : record) {
        if (value.startsWith(QLatin1Char('@')))
            value = e.home.makeFile(value.mid(1));
    }
    e.d->BianJiChuanRu(3, record[0], record[1], record[2], record[3], record[4], record[5], record[6],
                       "关闭");
    QCOMPARE(e.d->windowTitle(), QStringLiteral("编辑"));
    QCOMPARE(e.d->editFlag(), 1);
    QCOMPARE(e.w<QPushButton>("qpb_JiShiQi")->isChecked(), timer);
    QCOMPARE(e.w<QLineEdit>("qle_MingCheng")->text(), record[1]);
    QCOMPARE(e.w<QTimeEdit>("qte_ShiJian")->displayFormat(), timer ? QStringLiteral("HH:mm:ss") : "HH:mm");
    QCOMPARE(e.w<QLabel>("ql_TiShi")->font().pointSize(), timer ? 8 : 10);
    QCOMPARE(e.w("qtw_ChongFu")->isEnabled(), !timer);
    QTEST(e.w<QTimeEdit>("qte_ShiJian")->time(), "time");
    QTEST(e.checkedDays(), "days");
    QTEST(e.columns(), "columns");
    QTEST(e.listOpen(), "listOpen");
    QTEST(e.soundCaption(), "sound");
    QTEST(e.commandCaption(), "command");
    QCOMPARE(e.w<QCheckBox>("qcb_FanFuNaoLing")->isChecked(), record[6] == QStringLiteral("是"));
    QFETCH(QStringList, prompts);
    QStringList shown = TestSupport::shownPromptTexts();
    shown.sort();
    QCOMPARE(shown, prompts); // listed in sorted order
}

void TestEditor::preview_data()
{
    QTest::addColumn<bool>("loop");
    QTest::addColumn<QString>("end"); // how the preview ends: "itself", "click", "close"
    QTest::newRow("once ends by itself") << false << "itself";
    QTest::newRow("loop ends with 停止") << true << "click";
    QTest::newRow("loop ends when the dialog closes") << true << "close";
}

void TestEditor::preview()
{
    QFETCH(bool, loop);
    QFETCH(QString, end);
    Editor e;
    const QString wav = e.home.documents() + QStringLiteral("/short.wav");
    writeWav(wav, 400);
    e.d->BianJiChuanRu(1, "闹钟", "x", "07:30", "否", wav, "无", loop ? "是" : "否", "开启");
    e.d->show();
    auto *play = e.w<QPushButton>("qpb_BoFang");
    auto *player = e.w<QMediaPlayer>("qmp_BoFang");
    play->click();
    QCOMPARE(play->text(), QStringLiteral("停止"));
    QCOMPARE(player->playlist()->media(0).request().url(), QUrl::fromLocalFile(wav));
    QTRY_COMPARE(player->state(), QMediaPlayer::PlayingState);
    if (end == QLatin1String("itself")) {
        QTRY_COMPARE_WITH_TIMEOUT(play->text(), QStringLiteral("播放"), 5000);
    } else {
        QTest::qWait(900); // twice the sound's length: a loop is still going
        QCOMPARE(player->state(), QMediaPlayer::PlayingState);
        QCOMPARE(play->text(), QStringLiteral("停止"));
        if (end == QLatin1String("click"))
            play->click();
        else
            e.d->close();
        QCOMPARE(play->text(), QStringLiteral("播放"));
    }
    QCOMPARE(player->state(), QMediaPlayer::StoppedState);
    play->click(); // the next click starts a new preview
    QCOMPARE(play->text(), QStringLiteral("停止"));
    QTRY_COMPARE(player->state(), QMediaPlayer::PlayingState);
}

TAVREL_TEST_MAIN(TestEditor)
#include "tst_editor.moc"
