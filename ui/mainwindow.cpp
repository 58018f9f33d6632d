#include "ui/mainwindow.h"

#include "core/texts.h"
#include "core/wallclockwatcher.h"
#include "ui/entryrow.h"
#include "ui/helpdialog.h"
#include "ui/notifier.h"
#include "ui/prompt.h"
#include "ui/ringer.h"

#include <QAction>
#include <QCoreApplication>
#include <QFont>
#include <QMenu>
#include <QMenuBar>
#include <QPixmapCache>
#include <QResizeEvent>
#include <QScrollArea>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

namespace {
const int kToolBarHeight = 80;
const int kStartUpDelayMs = 50;
const int kPixmapCacheKb = 1024; // the row and tray icons and the check mark take far less
} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent), m_storage([] { return SystemClock::now().wall; })
{
    setUpWindow();
    createToolBar();
    createListArea();
    createSettingsAction();
    createTray();
    prepareStorage();
    loadEntriesAtStart();
    connectClocks();
    startClocks();
}

MainWindow::~MainWindow()
{
    m_ringer->stopAll();
    if (!m_listLayout->parent())
        delete m_listLayout; // never installed: the list stayed empty
}

void MainWindow::setUpWindow()
{
    resize(800, 600);
    setCentralWidget(new QWidget(this));
    auto *menus = new QMenuBar(this); // an empty bar: the tool bar sits over it
    menus->setGeometry(QRect(0, 0, 800, 36));
    setMenuBar(menus);
    setStatusBar(new QStatusBar(this));
    setMinimumSize(800, 600);
    setWindowIcon(QIcon(QStringLiteral(":/res/闹钟-彩色.png")));
    setWindowTitle(Texts::kWindowTitle);
    setContextMenuPolicy(Qt::NoContextMenu);
}

void MainWindow::createToolBar()
{
    m_toolBar = new QToolBar(this); // a plain child at the top, not a dockable tool bar
    m_toolBar->setMinimumSize(width(), kToolBarHeight);
    m_toolBar->setIconSize(QSize(40, 20));
    m_toolBar->setFloatable(false);
    m_toolBar->setMovable(false);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    QFont font;
    font.setPointSize(12);
    m_toolBar->setFont(font);

    const auto add = [this](const char *icon, const QString &text, void (MainWindow::*slot)()) {
        QAction *action = m_toolBar->addAction(icon ? QIcon(QString::fromUtf8(icon)) : QIcon(), text);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    m_newAction = add(":/res/新建.png", Texts::kNewCommand, &MainWindow::newEntry);
    m_editAction = add(":/res/编辑.png", Texts::kEditCommand, &MainWindow::editSelected);
    m_deleteAction = add(":/res/删除.png", Texts::kDeleteCommand, &MainWindow::deleteSelected);
    m_toolBar->addSeparator();
    m_forcedReminderAction = add(nullptr, Texts::kForcedReminderOff, &MainWindow::toggleForcedReminder);
    m_toolBar->addSeparator();
    // Loaded once: a fresh QIcon each time the selection changes would add scaled copies of the
    // same picture to the pixmap cache at every change, until the cache is full.
    m_enableIcon = QIcon(QStringLiteral(":/res/启用.png"));
    m_disableIcon = QIcon(QStringLiteral(":/res/停用.png"));
    m_toggleAction = add(nullptr, Texts::kToggleCommand, &MainWindow::toggleSelected);
    m_toggleAction->setIcon(m_enableIcon);
    m_stopAction = add(":/res/停止.png", Texts::kStopCommand, &MainWindow::stopRinging);
    m_backgroundAction = add(nullptr, QString(), &MainWindow::setOrClearBackground);
    m_toolBarSpacer = new QWidget(m_toolBar); // keeps "帮助" at the right edge
    m_toolBarSpacer->setFixedWidth(10);
    m_toolBar->addWidget(m_toolBarSpacer);
    m_helpAction = add(":/res/帮助.png", Texts::kHelpCommand, &MainWindow::showHelp);

    m_newAction->setShortcut(QKeySequence::New);
    m_deleteAction->setShortcut(QKeySequence::Delete);
    m_toolBar->setStyleSheet(
        QStringLiteral("QToolBar::separator {background-color: #000000;width: 2px;margin: 0px 5px;}"));
    for (QAction *needsSelection : {m_editAction, m_deleteAction, m_toggleAction, m_stopAction})
        needsSelection->setEnabled(false);
}

void MainWindow::createListArea()
{
    m_listArea = new QScrollArea(this);
    m_canvas = new QWidget(m_listArea);
    m_bottomFiller = new QWidget(m_canvas);
    m_bottomFiller->setVisible(false);
    m_listLayout = new QVBoxLayout; // installed once the first row is in it
    m_canvas->setFixedSize(width(), height() - kToolBarHeight);
    m_listArea->setGeometry(0, kToolBarHeight, width(), height() - kToolBarHeight);
    m_listArea->setFixedHeight(height() - kToolBarHeight);
    m_listArea->setWidgetResizable(true);
    m_listArea->setAccessibleName(Texts::kListName);
    m_canvas->setAccessibleName(Texts::kListName);
    m_listArea->setWidget(m_canvas);
}

void MainWindow::createTray()
{
    // Qt's tray balloon on a plain X11 tray caches a fresh close-button pixmap for every message,
    // so a week of rings would fill the 10 MB default cache. Our own icons are few and small.
    QPixmapCache::setCacheLimit(kPixmapCacheKb);
    m_trayColoured = QIcon(QStringLiteral(":/res/闹钟-彩色.png"));
    m_trayPlain = QIcon(QStringLiteral(":/res/闹钟.png"));
    m_trayEmpty = QIcon(QStringLiteral(":/res/空.png"));
    m_tray = new QSystemTrayIcon(m_trayPlain, this);
    m_trayMenu = new QMenu(this);
    m_trayMenu->addAction(Texts::kNextRingCaption);
    m_nextRing = Texts::kNoRing;
    m_nextRingAction = m_trayMenu->addAction(m_nextRing);
    m_trayMenu->addSeparator();
    m_snoozeAction = new QAction(Texts::kSnooze, this);
    connect(m_snoozeAction, &QAction::triggered, this, &MainWindow::snoozeRinging);
    m_trayMenu->addAction(m_settingsAction);
    connect(m_trayMenu->addAction(Texts::kQuit), &QAction::triggered, qApp, &QCoreApplication::quit);
    m_tray->setContextMenu(m_trayMenu);
    connect(m_trayMenu, &QMenu::aboutToShow, this, [this] {
        m_trayMenuOpen = true;
        showNextRingInMenu();
    });
    connect(m_trayMenu, &QMenu::aboutToHide, this, [this] { m_trayMenuOpen = false; });
    m_tray->setVisible(true);
    connect(m_tray, &QSystemTrayIcon::activated, this, &MainWindow::trayActivated);

    m_ringer = new Ringer(this, m_tray);
    connect(m_ringer, &Ringer::soundEnded, this, &MainWindow::soundEnded);
    connect(m_ringer, &Ringer::ringingChanged, this, &MainWindow::updateStopAction);
    connectNotifier();
}

void MainWindow::prepareStorage()
{
    showNotices(m_storage.prepare(m_settings.keepAlarmsEnabled));
}

void MainWindow::loadEntriesAtStart()
{
    StorageContents contents;
    load(&contents); // a file that cannot be read leaves the list empty; the notice says why
    // Every entry starts disabled, even where the file could not say so; with the setting on,
    // alarms stored enabled stay so and ring from now on, so nothing is due yet.
    for (int i = 0; i < contents.entries.size(); ++i) {
        Entry &entry = contents.entries[i];
        entry.enabled = staysEnabledAtStart(entry, contents.problems.value(i), m_settings.keepAlarmsEnabled);
    }
    m_scheduler.resumeEntries(contents.entries, SystemClock::now());
    showEntries(contents, true);
    showWhetherArmed();
}

void MainWindow::connectClocks()
{
    m_wallClock = new WallClockWatcher(this);
    connect(m_wallClock, &WallClockWatcher::wallClockChanged, this, &MainWindow::ringDue);
    m_tickTimer.setSingleShot(true);
    m_tickTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_tickTimer, &QTimer::timeout, this, &MainWindow::tick);
    m_wakeTimer.setSingleShot(true);
    m_wakeTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_wakeTimer, &QTimer::timeout, this, &MainWindow::ringDue);
    m_startUpTimer.setSingleShot(true);
    connect(&m_startUpTimer, &QTimer::timeout, this, &MainWindow::finishStartingUp);
}

void MainWindow::startClocks()
{
    m_startUpTimer.start(kStartUpDelayMs);
    scheduleTick();
    armWakeUp();
}

// Just after the window shows: the editor, the heaviest widget. The sound back end waits until an
// entry is enabled.
void MainWindow::finishStartingUp()
{
    m_editor = new EntryEditor(this);
    m_editor->setStore([this](int row, const Entry &entry) { return storeEntry(row, entry); });
}

void MainWindow::trayActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
        showNormal();
        activateWindow();
    }
}

void MainWindow::bringToFront()
{
    // Back from the tray or the task bar, keeping a maximised window maximised.
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void MainWindow::toggleForcedReminder()
{
    m_forcedReminder = !m_forcedReminder;
    m_forcedReminderAction->setText(m_forcedReminder ? Texts::kForcedReminderOn : Texts::kForcedReminderOff);
}

// Made at its first opening: most runs never show it.
void MainWindow::showHelp()
{
    if (!m_help) {
        m_help = new HelpDialog(this);
        m_help->resizeToWindow(size());
    }
    m_help->showHelp(size());
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    const int w = width();
    const int h = height();
    m_toolBar->setMinimumSize(w, kToolBarHeight);
    m_toolBarSpacer->setFixedWidth(w - 790);
    m_listArea->setGeometry(0, kToolBarHeight, w, h - kToolBarHeight);
    m_listArea->setFixedHeight(h - kToolBarHeight);
    m_canvas->setFixedSize(w, h - kToolBarHeight);
    for (EntryRow *row : qAsConst(m_rows))
        row->fitWidth(w);
    growCanvas();
    if (m_pictureShown)
        showPicture();
}
