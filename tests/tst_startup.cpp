// Start-up of the real main window against storage files prepared in a temporary HOME.
#include "app/mainwindow.h"
#include "support/mainwindowprobe.h"
#include "support/testsupport.h"
#include "widgets/mymessagebox.h"
#include "widgets/prompt.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QScrollArea>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <memory>

namespace {

std::unique_ptr<MainWindow> startWindow(bool show = true)
{
    auto window = std::make_unique<MainWindow>();
    if (show) {
        window->show();
        Prompt::centreOnDesktop(window.get());
    }
    return window;
}

QAction *action(MainWindow *w, const char *name)
{
    return w->findChild<QAction *>(QString::fromLatin1(name));
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void firstStartCreatesTheFile();
    void documentsDirectoryIsCreated();
    void emptyFileIsTreatedAsNew();
    void unreadableStorageIsNeverOverwritten();
    void toolBarAtStart_data();
    void toolBarAtStart();
    void trayMenuAtStart();
    void geometry_data();
    void geometry();
    void deferredInitCreatesTheEditor();
    void centredPosition_data();
    void centredPosition();
    void reminderFillsTheDesktop();
    void promptIsCentredAndNonBlocking();
    void quitActionEndsTheEventLoop();
};

void TestStartup::firstStartCreatesTheFile()
{
    TestHome home;
    QVERIFY(!QFile::exists(home.storagePath()));
    auto w = startWindow();
    QCOMPARE(home.storageBytes(), QByteArray("数量,0,背景图片,无\n"));
    MainWindowProbe probe(w.get());
    QCOMPARE(probe.entryCount(), 0);
    QCOMPARE(probe.noBackground(), 1);
    QVERIFY(!w->findChild<QWidget *>(QStringLiteral("qw_ZhuJieMianMuBu"))->layout());
    QCOMPARE(action(w.get(), "qa_SheZhiBeiJing")->text(), QStringLiteral("设置背景"));
    QVERIFY(!QFile::exists(home.documents() + QStringLiteral("/new_Tavrel存储文件.txt")));
    QVERIFY(TestSupport::shownPromptTexts().isEmpty());
}

void TestStartup::documentsDirectoryIsCreated()
{
    TestHome home;
    QDir(home.documents()).removeRecursively();
    auto w = startWindow(false);
    QCOMPARE(home.storageBytes(), QByteArray("数量,0,背景图片,无\n"));
}

void TestStartup::emptyFileIsTreatedAsNew()
{
    TestHome home;
    home.writeStorage(QByteArray());
    auto w = startWindow(false);
    QCOMPARE(home.storageBytes(), QByteArray("数量,0,背景图片,无\n"));
}

void TestStartup::unreadableStorageIsNeverOverwritten()
{
    TestHome home;
    // A directory where the file should be: it can be neither read nor replaced.
    QVERIFY(QDir().mkpath(home.storagePath()));
    auto w = startWindow();
    QCOMPARE(MainWindowProbe(w.get()).entryCount(), 0);
    QVERIFY(QFileInfo(home.storagePath()).isDir());
}

void TestStartup::toolBarAtStart_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("hasIcon");
    QTest::newRow("new") << "qa_XingJian"
                         << "新建" << true << true;
    QTest::newRow("edit") << "qa_BianJi"
                          << "编辑..." << false << true;
    QTest::newRow("delete") << "qa_ShanChu"
                            << "删除" << false << true;
    QTest::newRow("forced reminder") << "qa_QiangZhiQuanPingTiXing"
                                     << "当前状态:否\n点击切换强制提醒" << true << false;
    QTest::newRow("enable/disable") << "qa_QiYongTingYong"
                                    << "启用/停用" << false << true;
    QTest::newRow("stop") << "qa_TingZhi"
                          << "停止" << false << true;
    QTest::newRow("background") << "qa_SheZhiBeiJing"
                                << "设置背景" << true << true;
    QTest::newRow("help") << "qa_BangZhu"
                          << "帮助" << true << true;
}

void TestStartup::toolBarAtStart()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(bool, enabled);
    QFETCH(bool, hasIcon);
    TestHome home;
    auto w = startWindow();
    auto *a = w->findChild<QAction *>(name);
    QVERIFY(a);
    QCOMPARE(a->text(), text);
    QCOMPARE(a->isEnabled(), enabled);
    QCOMPARE(!a->icon().isNull(), hasIcon);
    auto *bar = w->findChild<QToolBar *>(QStringLiteral("qtb_CaiDan"));
    QVERIFY(bar->actions().contains(a));
    QCOMPARE(bar->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    QCOMPARE(bar->iconSize(), QSize(40, 20));
    QVERIFY(bar->styleSheet().contains(QStringLiteral("QToolBar::separator")));
}

void TestStartup::trayMenuAtStart()
{
    TestHome home;
    auto w = startWindow();
    auto *menu = w->findChild<QMenu *>(QStringLiteral("qm"));
    const QList<QAction *> entries = menu->actions();
    QCOMPARE(entries.size(), 4);
    QCOMPARE(entries.at(0)->text(), QStringLiteral("下一次响铃所需时间："));
    QCOMPARE(entries.at(1)->text(), QStringLiteral("无响铃"));
    QVERIFY(entries.at(2)->isSeparator());
    QCOMPARE(entries.at(3)->text(), QStringLiteral("退出程序"));
    auto *tray = w->findChild<QSystemTrayIcon *>(QStringLiteral("qsti"));
    QVERIFY(tray->isVisible());
    QCOMPARE(tray->contextMenu(), menu);
    QCOMPARE(w->windowTitle(), QStringLiteral("Tavrel"));
    QVERIFY(MainWindowProbe(w.get()).tickTimer()->isActive());
    QCOMPARE(MainWindowProbe(w.get()).tickTimer()->interval(), 500);
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
    QCOMPARE(w->findChild<QWidget *>(QStringLiteral("qw_TianChong"))->width(), spacer);
    auto *area = w->findChild<QScrollArea *>(QStringLiteral("qsa_ZhuJieMian"));
    QCOMPARE(area->geometry(), QRect(0, 80, expected.width(), expected.height() - 80));
    QCOMPARE(w->findChild<QWidget *>(QStringLiteral("qw_ZhuJieMianMuBu"))->height(), expected.height() - 80);
    QVERIFY(w->findChild<QToolBar *>(QStringLiteral("qtb_CaiDan"))->width() >= expected.width());
}

void TestStartup::deferredInitCreatesTheEditor()
{
    TestHome home;
    auto w = startWindow();
    MainWindowProbe probe(w.get());
    QCOMPARE(probe.deferredInitDone(), 0);
    QVERIFY(!w->findChild<QDialog *>(QStringLiteral("xjck")));
    QTRY_COMPARE(probe.deferredInitDone(), 1);
    QVERIFY(w->findChild<QDialog *>(QStringLiteral("xjck")));
    QVERIFY(!probe.deferredInitTimer()->isActive());
}

void TestStartup::centredPosition_data()
{
    QTest::addColumn<QSize>("desktop");
    QTest::addColumn<QSize>("widget");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("window on full hd") << QSize(1920, 1080) << QSize(800, 600) << QPoint(560, 240);
    QTest::newRow("odd sizes truncate") << QSize(1921, 1081) << QSize(801, 600) << QPoint(560, 240);
    QTest::newRow("two screens side by side") << QSize(3840, 1080) << QSize(800, 600) << QPoint(1520, 240);
    QTest::newRow("larger than the desktop") << QSize(800, 600) << QSize(1001, 700) << QPoint(-100, -50);
}

void TestStartup::centredPosition()
{
    QFETCH(QSize, desktop);
    QFETCH(QSize, widget);
    QFETCH(QPoint, expected);
    QCOMPARE(Prompt::centredPosition(desktop, widget), expected);
}

void TestStartup::reminderFillsTheDesktop()
{
    TestHome home;
    QCOMPARE(Prompt::reminderSize(QSize(1920, 1080)), QSize(1720, 880));
    QWidget parent;
    auto *box = Prompt::showReminder(&parent, QStringLiteral("泡茶   到了。"));
    QVERIFY(qobject_cast<MyMessageBox *>(box));
    QCOMPARE(box->size(), Prompt::reminderSize(Prompt::desktopSize()));
    QCOMPARE(box->pos(), Prompt::centredPosition(Prompt::desktopSize(), box->size()));
    QCOMPARE(box->text(), QStringLiteral("泡茶   到了。"));
    QVERIFY(QTest::qWaitForWindowExposed(box));
    QTest::qWait(200); // later layout passes of the base class must not shrink it back
    QCOMPARE(box->size(), Prompt::reminderSize(Prompt::desktopSize()));
    QCOMPARE(box->pos(), Prompt::centredPosition(Prompt::desktopSize(), box->size()));
}

void TestStartup::promptIsCentredAndNonBlocking()
{
    QWidget parent;
    auto *box = Prompt::show(&parent, QStringLiteral("保存成功。"));
    QVERIFY(box->isVisible()); // shown and returned at once: the caller never waits for it
    QCOMPARE(box->parent(), &parent);
    QCOMPARE(box->pos(), Prompt::centredPosition(Prompt::desktopSize(), box->size()));
}

void TestStartup::quitActionEndsTheEventLoop()
{
    TestHome home;
    auto w = startWindow();
    QTimer::singleShot(0, action(w.get(), "qa_TuiChu"), &QAction::trigger);
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
    QCOMPARE(home.storageBytes(), QByteArray("数量,0,背景图片,无\n"));
}

TAVREL_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
