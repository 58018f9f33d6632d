// Start-up of the real main window against storage files prepared in a temporary HOME.
#include "support/storedrecords.h"
#include "support/testsupport.h"
#include "support/windowdriver.h"
#include "ui/entryeditor.h"

#include <QApplication>
#include <QDir>

#include <QTimer>
#include <algorithm>

#include <memory>

namespace {
const QByteArray kNewFile("数量,0,背景图片,无\n");

QStringList backups(const TestHome &home)
{
    return QDir(home.documents()).entryList({QStringLiteral("*损坏备份*")}, QDir::Files);
}

std::unique_ptr<MainWindow> startWindow(bool show = true)
{
    auto window = std::make_unique<MainWindow>();
    if (show)
        WindowDriver(window.get()).show();
    return window;
}
} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { TestSupport::closeAllPrompts(); }
    void fileAtStart_data();
    void fileAtStart();
    void firstStartShowsAnEmptyList();
    void unreadableStorageIsNeverOverwritten();
    void startRewritesTheFile_data();
    void startRewritesTheFile();
    void damagedFilesAreBackedUp_data();
    void damagedFilesAreBackedUp();
    void moreThanTwentyRecordsAreKept();
    void toolBarAtStart_data();
    void toolBarAtStart();
    void trayMenuAtStart();
    void geometry_data();
    void geometry();
    void editorComesJustAfterTheWindow_data();
    void editorComesJustAfterTheWindow();
    void bringToFrontRestoresTheWindow();
    void soundWaitsUntilSomethingIsEnabled();
    void quitEndsTheEventLoop_data();
    void quitEndsTheEventLoop();
};

void TestStartup::fileAtStart_data()
{
    QTest::addColumn<QString>("setUp");
    QTest::newRow("no file") << "none";
    QTest::newRow("no Documents directory") << "no documents";
    QTest::newRow("an empty file is a new one") << "empty";
}

void TestStartup::fileAtStart()
{
    QFETCH(QString, setUp);
    TestHome home;
    if (setUp == QLatin1String("no documents"))
        QDir(home.documents()).removeRecursively();
    else if (setUp == QLatin1String("empty"))
        home.writeStorage(QByteArray());
    auto w = startWindow(false);
    QCOMPARE(home.storageBytes(), kNewFile);
    QVERIFY(!QFile::exists(home.documents() + QStringLiteral("/new_Tavrel存储文件.txt")));
}

void TestStartup::firstStartShowsAnEmptyList()
{
    TestHome home;
    auto w = startWindow();
    WindowDriver d(w.get());
    QCOMPARE(d.rowCount(), 0);
    QVERIFY(!d.canvas()->layout()); // installed with the first row
    QCOMPARE(d.backgroundAction()->text(), QStringLiteral("设置背景"));
    QVERIFY(TestSupport::shownPromptTexts().isEmpty());
}

void TestStartup::unreadableStorageIsNeverOverwritten()
{
    TestHome home;
    // A directory where the file should be: it can be neither read nor replaced.
    QVERIFY(QDir().mkpath(home.storagePath()));
    auto w = startWindow();
    QCOMPARE(WindowDriver(w.get()).rowCount(), 0);
    QVERIFY(QFileInfo(home.storagePath()).isDir());
    QCOMPARE(TestSupport::shownPromptTexts().size(), 1);
    QVERIFY(TestSupport::shownPromptTexts().first().contains(home.storagePath()));
}

void TestStartup::startRewritesTheFile_data()
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
    QTest::newRow("empty list") << kNewFile << kNewFile << 0;
}

void TestStartup::startRewritesTheFile()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(int, rows);
    TestHome home;
    home.writeStorage(before);
    auto w = startWindow();
    WindowDriver d(w.get());
    QCOMPARE(home.storageBytes(), after);
    QCOMPARE(d.rowCount(), rows);
    for (int i = 0; i < rows; ++i)
        QVERIFY(!d.enabled(i));
    QVERIFY(backups(home).isEmpty()); // a well-formed file is never backed up
    QVERIFY(!QFile::exists(home.documents() + QStringLiteral("/new_Tavrel存储文件.txt")));
}

void TestStartup::damagedFilesAreBackedUp_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("rows");
    const QByteArray two = record(1, Rec()) + record(2, Rec());
    QTest::newRow("unreadable count") << QByteArray("数量,zwei,背景图片,无\n") + two << 0;
    QTest::newRow("negative count") << QByteArray("数量,-3,背景图片,无\n") + two << 0;
    QTest::newRow("count above 20") << QByteArray("数量,21,背景图片,无\n") + two << 2;
    QTest::newRow("fewer records than the count") << QByteArray("数量,3,背景图片,无\n") + two << 2;
    QByteArray odd = record(1, Rec());
    odd.replace("命令文件,无", "奇怪,无");
    QTest::newRow("unknown seventh key") << QByteArray("数量,2,背景图片,无\n") + odd + record(2, Rec()) << 2;
    QTest::newRow("lines after the last record") << QByteArray("数量,1,背景图片,无\n") + two << 1;
    QTest::newRow("not UTF-8") << QByteArray("数量,1,背景图片,无\n") +
                                      record(1, Rec()).replace("起床", "\xc6\xf0")
                               << 1;
    QTest::newRow("not a storage file at all") << QByteArray("hello\nworld\n") << 0;
}

void TestStartup::damagedFilesAreBackedUp()
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
    QCOMPARE(WindowDriver(w.get()).rowCount(), rows);
    QVERIFY(!home.storageBytes().isEmpty());
}

void TestStartup::moreThanTwentyRecordsAreKept()
{
    TestHome home;
    home.writeStorage(file(alarms(25)));
    auto w = startWindow();
    QCOMPARE(WindowDriver(w.get()).rowCount(), 20);
    QCOMPARE(home.storageBytes(), file(allOff(alarms(25))));
}

void TestStartup::toolBarAtStart_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("hasIcon");
    QTest::newRow("new") << 0 << "新建" << true << true;
    QTest::newRow("edit") << 1 << "编辑..." << false << true;
    QTest::newRow("delete") << 2 << "删除" << false << true;
    QTest::newRow("forced reminder") << 4 << "当前状态:否\n点击切换强制提醒" << true << false;
    QTest::newRow("enable/disable") << 6 << "启用/停用" << false << true;
    QTest::newRow("stop") << 7 << "停止" << false << true;
    QTest::newRow("background") << 8 << "设置背景" << true << true;
    QTest::newRow("help") << 10 << "帮助" << true << true;
}

void TestStartup::toolBarAtStart()
{
    QFETCH(int, position);
    QFETCH(QString, text);
    QFETCH(bool, enabled);
    QFETCH(bool, hasIcon);
    TestHome home;
    auto w = startWindow();
    QToolBar *bar = WindowDriver(w.get()).toolBar();
    QCOMPARE(bar->actions().size(), 11);
    QAction *a = bar->actions().at(position);
    QCOMPARE(a->text(), text);
    QCOMPARE(a->isEnabled(), enabled);
    QCOMPARE(!a->icon().isNull(), hasIcon);
    QVERIFY(bar->actions().at(3)->isSeparator());
    QVERIFY(bar->actions().at(5)->isSeparator());
    QCOMPARE(bar->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    QCOMPARE(bar->iconSize(), QSize(40, 20));
    QVERIFY(!bar->isMovable());
    QCOMPARE(bar->font().pointSize(), 12);
    QCOMPARE(bar->styleSheet(),
             QStringLiteral("QToolBar::separator {background-color: #000000;width: 2px;margin: 0px 5px;}"));
}

void TestStartup::trayMenuAtStart()
{
    TestHome home;
    auto w = startWindow();
    WindowDriver d(w.get());
    const QList<QAction *> entries = d.trayMenu()->actions();
    QCOMPARE(entries.size(), 5);
    QCOMPARE(entries.at(0)->text(), QStringLiteral("下一次响铃所需时间："));
    QCOMPARE(entries.at(1)->text(), QStringLiteral("无响铃"));
    QVERIFY(entries.at(2)->isSeparator());
    QCOMPARE(entries.at(3)->text(), QStringLiteral("设置..."));
    QCOMPARE(entries.at(4)->text(), QStringLiteral("退出程序"));
    QVERIFY(d.tray()->isVisible());
    QCOMPARE(d.tray()->icon().cacheKey() != 0, true);
    QCOMPARE(w->windowTitle(), QStringLiteral("Tavrel"));
    QCOMPARE(w->minimumSize(), QSize(800, 600));
}

void TestStartup::geometry_data()
{
    QTest::addColumn<QSize>("requested");
    QTest::addColumn<QSize>("expected");
    QTest::addColumn<int>("spacer");
    QTest::newRow("minimum") << QSize(800, 600) << QSize(800, 600) << 10;
    QTest::newRow("too small is refused") << QSize(500, 300) << QSize(800, 600) << 10;
    QTest::newRow("wider") << QSize(1000, 700) << QSize(1000, 700) << 210;
}

void TestStartup::geometry()
{
    QFETCH(QSize, requested);
    QFETCH(QSize, expected);
    QFETCH(int, spacer);
    TestHome home;
    auto w = startWindow();
    w->resize(requested);
    QTRY_COMPARE(w->size(), expected);
    WindowDriver d(w.get());
    QCOMPARE(d.toolBarSpacer()->width(), spacer);
    QCOMPARE(d.listArea()->geometry(), QRect(0, 80, expected.width(), expected.height() - 80));
    QCOMPARE(d.canvas()->height(), expected.height() - 80);
    QVERIFY(d.toolBar()->width() >= expected.width());
    QVERIFY(d.toolBar()->height() >= 80);
}

// The editor is made just after the window shows; a command before then only says so.
void TestStartup::editorComesJustAfterTheWindow_data()
{
    QTest::addColumn<bool>("byKey");
    QTest::newRow("新建") << false;
    QTest::newRow("Ctrl+N") << true;
}

void TestStartup::editorComesJustAfterTheWindow()
{
    QFETCH(bool, byKey);
    TestHome home;
    MainWindow window;
    WindowDriver d(&window);
    d.action(QStringLiteral("新建"))->trigger(); // before the event loop has run
    QCOMPARE(TestSupport::shownPromptTexts(), QStringList{"后台加载尚未完成，请稍后再试。"});
    QVERIFY(!window.findChild<EntryEditor *>());
    TestSupport::closeAllPrompts();

    d.show();
    QTRY_VERIFY(window.findChild<EntryEditor *>());
    EntryEditor *editor = window.findChild<EntryEditor *>();
    window.activateWindow(); // shortcuts reach the active window
    QVERIFY(QTest::qWaitForWindowActive(&window));
    bool opened = false;
    QTimer::singleShot(0, editor, [&] {
        opened = editor->isVisible() && !editor->isEditing();
        editor->reject();
    });
    if (byKey)
        QTest::keyClick(&window, Qt::Key_N, Qt::ControlModifier);
    else
        d.action(QStringLiteral("新建"))->trigger();
    QVERIFY(opened);
    QVERIFY(TestSupport::shownPromptTexts().isEmpty());
}

void TestStartup::bringToFrontRestoresTheWindow()
{
    TestHome home;
    auto w = startWindow();
    w->showMinimized();
    QTRY_VERIFY(w->isMinimized());
    w->bringToFront();
    QTRY_VERIFY(!w->isMinimized());
    QVERIFY(w->isVisible());
}

// Entries start disabled, so a start loads nothing of the sound (its module, the media service).
// A timer of no time rings the moment it is enabled, before the sound was prepared: it still
// plays. Must run before any other test here rings.
void TestStartup::soundWaitsUntilSomethingIsEnabled()
{
    TestHome home;
    Rec bread;
    bread.type = QStringLiteral("计时器");
    bread.name = QStringLiteral("面包");
    bread.time = QStringLiteral("00:00:00");
    home.writeStorage(file({Rec(), bread})); // both stored enabled
    auto w = startWindow();
    WindowDriver d(w.get());
    QVERIFY(d.waitForEditor()); // the start-up has finished
    QTest::qWait(300);
    QVERIFY(!TestSupport::libraryMapped(QStringLiteral("tavrel-media")));
    QVERIFY(!TestSupport::libraryMapped(QStringLiteral("gstmediaplayer")));

    d.clickBox(1);
    QMediaPlayer *player = d.ringPlayer();
    QVERIFY(player);
    QTRY_COMPARE(player->state(), QMediaPlayer::PlayingState);
    QVERIFY(TestSupport::libraryMapped(QStringLiteral("gstmediaplayer")));
    d.action(QStringLiteral("停止"))->trigger();
    QTRY_VERIFY(!d.ringPlayer());
}

void TestStartup::quitEndsTheEventLoop_data()
{
    QTest::addColumn<bool>("ringing");
    QTest::newRow("nothing rings") << false;
    QTest::newRow("while a sound plays") << true;
}

void TestStartup::quitEndsTheEventLoop()
{
    QFETCH(bool, ringing);
    TestHome home;
    Rec bread;
    bread.type = QStringLiteral("计时器");
    bread.time = QStringLiteral("00:00:00");
    bread.loop = QStringLiteral("是");
    home.writeStorage(ringing ? file({bread}) : kNewFile);
    auto w = startWindow();
    WindowDriver d(w.get());
    if (ringing) {
        d.clickBox(0);
        QVERIFY(d.action(QStringLiteral("停止"))->isEnabled());
    }
    const QByteArray before = home.storageBytes();
    // By its text: while something rings the menu also offers "稍后提醒".
    const QList<QAction *> entries = d.trayMenu()->actions();
    QAction *quit = *std::find_if(entries.cbegin(), entries.cend(),
                                  [](QAction *a) { return a->text() == QStringLiteral("退出程序"); });
    QTimer::singleShot(0, quit, &QAction::trigger);
    QTimer failsafe;
    failsafe.setSingleShot(true);
    bool timedOut = false;
    connect(&failsafe, &QTimer::timeout, [&] {
        timedOut = true;
        QCoreApplication::exit(1);
    });
    failsafe.start(5000);
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(!timedOut);
    QCOMPARE(home.storageBytes(), before); // nothing is written on the way out
}

TAVREL_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
