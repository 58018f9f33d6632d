// Loading the storage file at start: upgrades, migration, state reset, damaged files, and the
// rows, tray and selection that come out of it.
#include "app/mainwindow.h"
#include "support/mainwindowprobe.h"
#include "support/testsupport.h"
#include "widgets/prompt.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QMediaPlayer>
#include <QMediaPlaylist>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

struct Rec
{
    QString type = QStringLiteral("闹钟");
    QString name = QStringLiteral("起床");
    QString time = QStringLiteral("07:30");
    QString repeat = QStringLiteral("否");
    QString sound = QStringLiteral("默认响铃");
    QString command = QStringLiteral("无");
    QString loop = QStringLiteral("否");
    QString state = QStringLiteral("开启");
    bool eightLines = false;
};

QByteArray record(int number, const Rec &r)
{
    QString s = QStringLiteral("序号,%1\n类型,%2\n名称,%3\n时间,%4\n每周重复,%5\n声音文件,%6\n")
                    .arg(number)
                    .arg(r.type, r.name, r.time, r.repeat, r.sound);
    if (!r.eightLines)
        s += QStringLiteral("命令文件,") + r.command + QLatin1Char('\n');
    s += QStringLiteral("重复闹铃,") + r.loop + QStringLiteral("\n状态,") + r.state + QLatin1Char('\n');
    return s.toUtf8();
}

QByteArray file(const QList<Rec> &recs, const QByteArray &header = QByteArray())
{
    QByteArray out = header.isEmpty() ? "数量," + QByteArray::number(recs.size()) + ",背景图片,无\n" : header;
    for (int i = 0; i < recs.size(); ++i)
        out += record(i + 1, recs.at(i));
    return out;
}

QList<Rec> alarms(int n, bool eightLines = false)
{
    QList<Rec> recs;
    for (int i = 0; i < n; ++i) {
        Rec r;
        r.name = QStringLiteral("闹钟%1").arg(i);
        r.time = QStringLiteral("%1:15").arg(i % 24, 2, 10, QLatin1Char('0'));
        r.eightLines = eightLines;
        recs << r;
    }
    return recs;
}

QList<Rec> allOff(QList<Rec> recs)
{
    for (Rec &r : recs) {
        r.state = QStringLiteral("关闭");
        r.eightLines = false;
    }
    return recs;
}

std::unique_ptr<MainWindow> startWindow()
{
    auto window = std::make_unique<MainWindow>();
    window->show();
    return window;
}

template <typename T> T *child(MainWindow *w, const QString &name)
{
    return w->findChild<T *>(name);
}

QLabel *label(MainWindow *w, const char *prefix, int i)
{
    return child<QLabel>(w, QString::fromLatin1(prefix) + QString::number(i));
}

QImage scaledResource(const QString &path)
{
    return QImage(path)
        .scaled(40, 26, Qt::KeepAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32);
}

QImage argb(const QImage &image)
{
    return image.convertToFormat(QImage::Format_ARGB32);
}

QStringList backups(const TestHome &home)
{
    return QDir(home.documents()).entryList({QStringLiteral("*损坏备份*")}, QDir::Files);
}

} // namespace

class TestLoading : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { TestSupport::closeAllPrompts(); }
    void startRewritesTheFile_data();
    void startRewritesTheFile();
    void damagedFilesAreBackedUp_data();
    void damagedFilesAreBackedUp();
    void moreThanTwentyRecordsAreKept();
    void missingFilesArePrompted_data();
    void missingFilesArePrompted();
    void rowShowsItsEntry_data();
    void rowShowsItsEntry();
    void rowGeometryFollowsTheWindow();
    void overflowGrowsTheCanvas_data();
    void overflowGrowsTheCanvas();
    void desktopCommandShowsItsIconInGrey();
    void playersHoldTheirSounds();
    void selectionEnablesTheActions();
    void reloadTakesTheLookFromTheFile();
    void reloadKeepsAPlayingSound();
    void trayActivation_data();
    void trayActivation();
    void forcedReminderToggle();
    void quitWhileASoundPlays();
};

void TestLoading::startRewritesTheFile_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<int>("rows");
    QList<Rec> example;
    Rec morning;
    morning.name = QStringLiteral("morning");
    morning.repeat = QStringLiteral("星期一|星期五");
    morning.loop = QStringLiteral("是");
    Rec tea;
    tea.type = QStringLiteral("计时器");
    tea.name = QStringLiteral("tea,hot");
    tea.time = QStringLiteral("00:03:00");
    tea.sound = QStringLiteral("/nonexistent/Music/ring.mp3");
    tea.state = QStringLiteral("关闭");
    example << morning << tea;
    QTest::newRow("worked example: states reset") << file(example) << file(allOff(example)) << 2;
    QTest::newRow("old header, twelve eight-line records")
        << file(alarms(12, true), "数量,12\n") << file(allOff(alarms(12))) << 12;
    QTest::newRow("current file unchanged but states")
        << file(allOff(alarms(3))) << file(allOff(alarms(3))) << 3;
    Rec commas;
    commas.name = QStringLiteral("a,b,c");
    commas.sound = QStringLiteral("/no/such,dir/x,y.mp3");
    QTest::newRow("commas in names and paths")
        << file({commas}, "数量,1,背景图片,/no/pic,ture.png\n")
        << file(allOff({commas}), "数量,1,背景图片,/no/pic,ture.png\n") << 1;
    QTest::newRow("empty list") << QByteArray("数量,0,背景图片,无\n") << QByteArray("数量,0,背景图片,无\n")
                                << 0;
}

void TestLoading::startRewritesTheFile()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(int, rows);
    TestHome home;
    home.writeStorage(before);
    auto w = startWindow();
    QCOMPARE(home.storageBytes(), after);
    MainWindowProbe probe(w.get());
    QCOMPARE(probe.entryCount(), rows);
    QCOMPARE(probe.cacheBytes(), after);
    for (int i = 0; i < rows; ++i)
        QVERIFY(!child<QCheckBox>(w.get(), QStringLiteral("qcb%1").arg(i))->isChecked());
    QVERIFY(backups(home).isEmpty()); // a well-formed file is never backed up
    QVERIFY(!QFile::exists(home.documents() + QStringLiteral("/new_Tavrel存储文件.txt")));
}

void TestLoading::damagedFilesAreBackedUp_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("rows");
    const QByteArray two = record(1, Rec()) + record(2, Rec());
    QTest::newRow("unreadable count") << QByteArray("数量,zwei,背景图片,无\n") + two << 0;
    QTest::newRow("negative count") << QByteArray("数量,-3,背景图片,无\n") + two << 0;
    QTest::newRow("count above 20") << QByteArray("数量,21,背景图片,无\n") + two << 2;
    QTest::newRow("fewer lines than the count") << QByteArray("数量,3,背景图片,无\n") + two << 3;
    QByteArray odd = record(1, Rec());
    odd.replace("命令文件,无", "奇怪,无");
    QTest::newRow("unknown seventh key") << QByteArray("数量,2,背景图片,无\n") + odd + record(2, Rec()) << 2;
    QTest::newRow("lines after the last record") << QByteArray("数量,1,背景图片,无\n") + two << 1;
    QTest::newRow("not UTF-8") << QByteArray("数量,1,背景图片,无\n") +
                                      record(1, Rec()).replace("起床", "\xc6\xf0")
                               << 1;
    QTest::newRow("not a storage file at all") << QByteArray("hello\nworld\n") << 0;
}

void TestLoading::damagedFilesAreBackedUp()
{
    QFETCH(QByteArray, content);
    QFETCH(int, rows);
    TestHome home;
    home.writeStorage(content);
    auto w = startWindow();
    const QStringList made = backups(home);
    QCOMPARE(made.size(), 1);
    QCOMPARE(TestSupport::readFile(home.documents() + QLatin1Char('/') + made.first()), content);
    const QStringList prompts = TestSupport::shownPromptTexts();
    QVERIFY(std::any_of(prompts.begin(), prompts.end(),
                        [&](const QString &t) { return t.contains(made.first()); }));
    QCOMPARE(MainWindowProbe(w.get()).entryCount(), rows);
    QVERIFY(!home.storageBytes().isEmpty());
}

void TestLoading::moreThanTwentyRecordsAreKept()
{
    TestHome home;
    home.writeStorage(file(alarms(25)));
    auto w = startWindow();
    MainWindowProbe probe(w.get());
    QCOMPARE(probe.entryCount(), 20);
    QVERIFY(probe.hasRow(19));
    QCOMPARE(home.storageBytes(), file(allOff(alarms(25))));
}

void TestLoading::missingFilesArePrompted_data()
{
    QTest::addColumn<QString>("sound");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("prompts");
    QTest::newRow("missing music file")
        << "/no/such/ring.mp3"
        << "无" << QStringList{"/no/such/ring.mp3   音乐文件不存在，将用默认响铃替代。"};
    QTest::newRow("missing command file")
        << "默认响铃"
        << "/no/such/run.sh" << QStringList{"/no/such/run.sh   命令文件不存在。"};
    QTest::newRow("both missing, path with commas")
        << "/no/a,b.mp3"
        << "/no/c,d.desktop"
        << QStringList{"/no/c,d.desktop   命令文件不存在。",
                       "/no/a,b.mp3   音乐文件不存在，将用默认响铃替代。"};
}

void TestLoading::missingFilesArePrompted()
{
    QFETCH(QString, sound);
    QFETCH(QString, command);
    QFETCH(QStringList, prompts);
    TestHome home;
    Rec r;
    r.sound = sound;
    r.command = command;
    home.writeStorage(file({r}));
    auto w = startWindow();
    QStringList shown = TestSupport::shownPromptTexts();
    shown.sort();
    prompts.sort();
    QCOMPARE(shown, prompts);
    QCOMPARE(MainWindowProbe(w.get()).playlist(0)->media(0).request().url(),
             QUrl(QStringLiteral("qrc:/res/默认响铃.mp3")));
    QCOMPARE(home.storageBytes(), file(allOff({r}))); // the report changes nothing stored
    QCOMPARE(label(w.get(), "ql4", 0)->text(), QStringLiteral("闹钟"));
    QCOMPARE(argb(MainWindowProbe(w.get()).rowIconImage(0)),
             scaledResource(QStringLiteral(":/res/闹钟.png")));
}

void TestLoading::rowShowsItsEntry_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("repeat");
    QTest::addColumn<QString>("info");
    QTest::addColumn<QStringList>("days");
    QTest::addColumn<QString>("icon");
    QTest::newRow("weekly alarm") << "闹钟"
                                  << "星期一|星期五"
                                  << "   每周重复：星期一、星期五" << QStringList{"星期一", "星期五"}
                                  << ":/res/闹钟.png";
    QTest::newRow("single day") << "闹钟"
                                << "星期三"
                                << "   每周重复：星期三" << QStringList{"星期三"} << ":/res/闹钟.png";
    QTest::newRow("alarm without repeat") << "闹钟"
                                          << "否"
                                          << "   每周重复：否" << QStringList{"否"} << ":/res/闹钟.png";
    QTest::newRow("timer") << "计时器"
                           << "否"
                           << "" << QStringList() << ":/res/计时器.png";
}

void TestLoading::rowShowsItsEntry()
{
    QFETCH(QString, type);
    QFETCH(QString, repeat);
    QFETCH(QString, info);
    QFETCH(QStringList, days);
    QFETCH(QString, icon);
    TestHome home;
    Rec r;
    r.type = type;
    r.repeat = repeat;
    r.name = QStringLiteral("喝水");
    r.time = type == QStringLiteral("闹钟") ? QStringLiteral("09:05") : QStringLiteral("01:30:00");
    home.writeStorage(file({r}));
    auto w = startWindow();
    MainWindowProbe probe(w.get());
    QCOMPARE(label(w.get(), "ql2", 0)->text(), r.time);
    QCOMPARE(label(w.get(), "qlBaoCunShiJian", 0)->text(), r.time);
    QCOMPARE(probe.timeText(0), r.time);
    QCOMPARE(label(w.get(), "ql3", 0)->text(), QStringLiteral("喝水"));
    QCOMPARE(label(w.get(), "ql4", 0)->text(), type);
    QCOMPARE(label(w.get(), "ql_TianChong", 0)->text(), info);
    QCOMPARE(probe.repeatDays(0), days);
    QCOMPARE(argb(probe.rowIconImage(0)), scaledResource(icon));
    QCOMPARE(argb(label(w.get(), "ql", 0)->pixmap(Qt::ReturnByValue).toImage()), scaledResource(icon));
    auto *box = child<QCheckBox>(w.get(), QStringLiteral("qcb0"));
    QVERIFY(box->styleSheet().contains(QStringLiteral("url(:/res/勾2.png)")));
    QCOMPARE(box->size(), QSize(40, 30));
    QVERIFY(child<QWidget>(w.get(), QStringLiteral("chuiZhiXian0")));
    QVERIFY(child<QWidget>(w.get(), QStringLiteral("chuiZhiXian20")));
}

void TestLoading::rowGeometryFollowsTheWindow()
{
    TestHome home;
    home.writeStorage(file(alarms(2)));
    auto w = std::make_unique<MainWindow>();
    auto *row = child<QPushButton>(w.get(), QStringLiteral("qpb_BuJuShuZu1"));
    QCOMPARE(row->size(), QSize(780, 40));
    QCOMPARE(label(w.get(), "ql_TianChong", 1)->size(), QSize(560, 30));
    w->show(); // the resize rules then leave two pixels to the layout's spacing
    QCOMPARE(label(w.get(), "ql_TianChong", 1)->size(), QSize(558, 30));
    QVERIFY(row->isCheckable());
    QVERIFY(row->autoExclusive());
    w->resize(1000, 700);
    QTRY_COMPARE(row->size(), QSize(980, 40));
    QCOMPARE(label(w.get(), "ql_TianChong", 1)->width(), 1000 - 40 - 60 - 100 - 40 - 2);
}

void TestLoading::overflowGrowsTheCanvas_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("canvas");
    QTest::addColumn<bool>("scrollBarOn");
    QTest::newRow("eleven fit") << 11 << 520 << false;
    QTest::newRow("twelfth grows") << 12 << 568 << true;
    QTest::newRow("thirteenth grows again") << 13 << 616 << true;
    QTest::newRow("twenty") << 20 << 520 + 48 * 9 << true;
}

void TestLoading::overflowGrowsTheCanvas()
{
    QFETCH(int, rows);
    QFETCH(int, canvas);
    QFETCH(bool, scrollBarOn);
    TestHome home;
    home.writeStorage(file(alarms(rows)));
    auto w = startWindow();
    QCOMPARE(child<QWidget>(w.get(), QStringLiteral("qw_ZhuJieMianMuBu"))->height(), canvas);
    const auto policy =
        child<QScrollArea>(w.get(), QStringLiteral("qsa_ZhuJieMian"))->verticalScrollBarPolicy();
    QCOMPARE(policy == Qt::ScrollBarAlwaysOn, scrollBarOn);
}

void TestLoading::desktopCommandShowsItsIconInGrey()
{
    TestHome home;
    Rec r;
    r.command = home.makeFile(QStringLiteral("bin/提醒,我.desktop"),
                              "[Desktop Entry]\nType=Application\nName=x\nExec=/bin/true\nIcon=folder\n");
    home.writeStorage(file({r}));
    auto w = startWindow();
    MainWindowProbe probe(w.get());
    QCOMPARE(probe.commandPath(0), r.command);
    const QImage grey = probe.rowIconImage(0);
    QCOMPARE(grey.format(), QImage::Format_Grayscale8);
    QVERIFY(grey != scaledResource(QStringLiteral(":/res/闹钟.png")));
    const QImage shown =
        label(w.get(), "ql", 0)->pixmap(Qt::ReturnByValue).toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb px = shown.pixel(x, y);
            QVERIFY(qAlpha(px) == 0 || (qRed(px) == qGreen(px) && qGreen(px) == qBlue(px) && qRed(px) > 50));
        }
    }
    QCOMPARE(label(w.get(), "ql4", 0)->text(), QStringLiteral("闹钟"));
    QVERIFY(TestSupport::shownPromptTexts().isEmpty());
}

void TestLoading::playersHoldTheirSounds()
{
    TestHome home;
    Rec once;
    once.sound = home.makeFile(QStringLiteral("Music/a,b.mp3"));
    Rec looping;
    looping.loop = QStringLiteral("是");
    home.writeStorage(file({once, looping}));
    auto w = startWindow();
    MainWindowProbe probe(w.get());
    QCOMPARE(probe.playlist(0)->mediaCount(), 1);
    QCOMPARE(probe.playlist(0)->media(0).request().url(), QUrl::fromLocalFile(once.sound));
    QCOMPARE(probe.playlist(0)->playbackMode(), QMediaPlaylist::CurrentItemOnce);
    QCOMPARE(probe.playlist(1)->media(0).request().url(), QUrl(QStringLiteral("qrc:/res/默认响铃.mp3")));
    QCOMPARE(probe.playlist(1)->playbackMode(), QMediaPlaylist::Loop);
    QCOMPARE(probe.player(1)->volume(), 100);
    QCOMPARE(probe.player(1)->objectName(), QStringLiteral("qmp1"));
    QCOMPARE(probe.playlist(1)->objectName(), QStringLiteral("qmpl1"));
}

void TestLoading::selectionEnablesTheActions()
{
    TestHome home;
    home.writeStorage(file(alarms(3)));
    auto w = startWindow();
    auto *edit = child<QAction>(w.get(), QStringLiteral("qa_BianJi"));
    auto *remove = child<QAction>(w.get(), QStringLiteral("qa_ShanChu"));
    auto *toggle = child<QAction>(w.get(), QStringLiteral("qa_QiYongTingYong"));
    QVERIFY(!edit->isEnabled());
    auto *row1 = child<QPushButton>(w.get(), QStringLiteral("qpb_BuJuShuZu1"));
    QTest::mouseClick(row1, Qt::LeftButton, {}, QPoint(100, 20));
    QVERIFY(row1->isChecked());
    QVERIFY(edit->isEnabled() && remove->isEnabled() && toggle->isEnabled());
    QCOMPARE(toggle->icon().pixmap(40, 20).toImage(),
             QIcon(QStringLiteral(":/res/启用.png")).pixmap(40, 20).toImage());
    auto *row2 = child<QPushButton>(w.get(), QStringLiteral("qpb_BuJuShuZu2"));
    QTest::mouseClick(row2, Qt::LeftButton, {}, QPoint(100, 20));
    QVERIFY(row2->isChecked());
    QVERIFY(!row1->isChecked()); // one selected row at a time
}

void TestLoading::reloadTakesTheLookFromTheFile()
{
    TestHome home;
    home.writeStorage(file(alarms(2)));
    auto w = startWindow();
    Rec on;
    on.type = QStringLiteral("计时器");
    on.time = QStringLiteral("00:10:00");
    on.name = QStringLiteral("改过");
    Rec off = alarms(2).at(1);
    off.state = QStringLiteral("关闭");
    home.writeStorage(file({on, off}));
    w->JiaZai();
    MainWindowProbe probe(w.get());
    QVERIFY(child<QCheckBox>(w.get(), QStringLiteral("qcb0"))->isChecked());
    // Checking the box runs the state synchronisation, which draws the type icon with a fast scale.
    QCOMPARE(argb(probe.rowIconImage(0)),
             argb(QImage(QStringLiteral(":/res/计时器-彩色.png")).scaled(40, 26, Qt::KeepAspectRatio)));
    QCOMPARE(label(w.get(), "ql3", 0)->text(), QStringLiteral("改过"));
    QCOMPARE(label(w.get(), "qlBaoCunShiJian", 0)->text(), QStringLiteral("00:10:00"));
    QCOMPARE(label(w.get(), "ql2", 0)->text(), QStringLiteral("00:15")); // the reload leaves the time label
    QCOMPARE(argb(probe.rowIconImage(1)), scaledResource(QStringLiteral(":/res/闹钟.png")));
    QCOMPARE(probe.cacheBytes(), file({on, off}));
}

void TestLoading::reloadKeepsAPlayingSound()
{
    TestHome home;
    Rec r;
    r.loop = QStringLiteral("是");
    home.writeStorage(file({r}));
    auto w = startWindow();
    MainWindowProbe probe(w.get());
    probe.player(0)->play();
    QTRY_COMPARE(probe.player(0)->state(), QMediaPlayer::PlayingState);
    r.sound = QStringLiteral("/no/such/other.mp3");
    home.writeStorage(file({r}));
    w->JiaZai();
    QCOMPARE(probe.player(0)->state(), QMediaPlayer::PlayingState);
    QCOMPARE(probe.playlist(0)->media(0).request().url(), QUrl(QStringLiteral("qrc:/res/默认响铃.mp3")));
    QVERIFY(TestSupport::shownPromptTexts().isEmpty()); // the playing row's sound was not looked at
    probe.player(0)->stop();
}

void TestLoading::trayActivation_data()
{
    QTest::addColumn<int>("reason");
    QTest::addColumn<bool>("restores");
    QTest::newRow("single click") << int(QSystemTrayIcon::Trigger) << true;
    QTest::newRow("double click") << int(QSystemTrayIcon::DoubleClick) << true;
    QTest::newRow("context menu") << int(QSystemTrayIcon::Context) << false;
    QTest::newRow("middle click") << int(QSystemTrayIcon::MiddleClick) << false;
    QTest::newRow("unknown") << int(QSystemTrayIcon::Unknown) << false;
}

void TestLoading::trayActivation()
{
    QFETCH(int, reason);
    QFETCH(bool, restores);
    TestHome home;
    auto w = startWindow();
    w->showMinimized();
    QTRY_VERIFY(w->isMinimized());
    auto *tray = child<QSystemTrayIcon>(w.get(), QStringLiteral("qsti"));
    emit tray->activated(static_cast<QSystemTrayIcon::ActivationReason>(reason));
    QCOMPARE(!w->isMinimized(), restores);
}

void TestLoading::forcedReminderToggle()
{
    TestHome home;
    auto w = startWindow();
    auto *toggle = child<QAction>(w.get(), QStringLiteral("qa_QiangZhiQuanPingTiXing"));
    const QString off = QStringLiteral("当前状态:否\n点击切换强制提醒");
    const QString on = QStringLiteral("当前状态:是\n点击切换强制提醒");
    QCOMPARE(toggle->text(), off);
    toggle->trigger();
    QCOMPARE(toggle->text(), on);
    toggle->trigger();
    QCOMPARE(toggle->text(), off);
    toggle->setText(QStringLiteral("其他"));
    toggle->trigger();
    QCOMPARE(toggle->text(), QStringLiteral("其他"));
    QVERIFY(toggle->icon().isNull());
}

void TestLoading::quitWhileASoundPlays()
{
    TestHome home;
    Rec r;
    r.loop = QStringLiteral("是");
    home.writeStorage(file({r}));
    auto w = startWindow();
    MainWindowProbe probe(w.get());
    probe.player(0)->play();
    QTRY_COMPARE(probe.player(0)->state(), QMediaPlayer::PlayingState);
    QTimer::singleShot(0, child<QAction>(w.get(), QStringLiteral("qa_TuiChu")), &QAction::trigger);
    QTimer failsafe;
    connect(&failsafe, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    failsafe.start(5000);
    QCOMPARE(QCoreApplication::exec(), 0);
    QCOMPARE(home.storageBytes(), file(allOff({r}))); // nothing is written on the way out
}

TAVREL_TEST_MAIN(TestLoading)
#include "tst_loading.moc"
