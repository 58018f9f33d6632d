#ifndef TAVREL_MAINWINDOW_H
#define TAVREL_MAINWINDOW_H

#include "core/scheduler.h"
#include "core/settings.h"
#include "core/storagefile.h"
#include "ui/entryeditor.h"

#include <QIcon>
#include <QList>
#include <QMainWindow>
#include <QPalette>
#include <QSystemTrayIcon>
#include <QTimer>

class EntryEditor;
class EntryRow;
class HelpDialog;
class SettingsDialog;
class QAction;
class QMenu;
class QScrollArea;
class QToolBar;
class QVBoxLayout;
class Ringer;
class WallClockWatcher;

// The alarm clock's window: a tool bar over the list of entries, and a tray icon. It shows what
// the scheduler decides and stores what the person changes; it decides nothing itself.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

public slots:
    void bringToFront(); // another start of the program asks this one to come forward

    // The tool bar's commands.
    void newEntry();
    void editSelected();
    void deleteSelected();
    void toggleSelected();
    void stopRinging();
    void snooze(int row); // silences it; it rings again after the snooze length
    void snoozeRinging(); // every ringing entry, from the tray menu
    void toggleForcedReminder();
    void setOrClearBackground();
    void showHelp();
    void showSettings(); // the tray menu's and the list's "设置...", or Ctrl+,

    // Time: tick() blinks the running rows and counts down twice a second; ringDue() rings what
    // has fallen due (the wake-up timer and a wall-clock step call it).
    void tick();
    void ringDue();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    // start-up (mainwindow.cpp)
    void setUpWindow();
    void createToolBar();
    void createListArea();
    void createTray();
    void prepareStorage();
    void loadEntriesAtStart();
    void connectClocks();
    void startClocks();
    void finishStartingUp();
    void trayActivated(QSystemTrayIcon::ActivationReason reason);

    // settings (mainwindow_settings.cpp)
    void createSettingsAction();
    void applySettings(const Settings &wanted);
    bool applyStartAtLogin(bool on);

    // the list (mainwindow_list.cpp)
    void showEntries(const StorageContents &contents, bool atStart);
    void refuseUnreadableTime(int row, Entry::ReadProblem problem);
    Outcome adoptEntriesAddedElsewhere(const QVector<Entry> &entries, int upTo, const Instant &now);
    void reportMissingFiles(const Entry &entry, bool atStart, bool soundInUse);
    EntryRow *appendRow();
    void removeLastRow();
    void growCanvas();
    int selectedRow() const;
    void updateSelectionActions();
    void enableBoxToggled(EntryRow *row, bool on);
    void setEnabled(int row, bool on);
    EntryEditor::StoreResult storeEntry(int row, const Entry &entry);
    bool load(StorageContents *contents);
    QVector<Entry> scheduledEntries() const;
    bool confirmDelete(const Entry &entry);

    // rings and states (mainwindow_ringing.cpp)
    void connectNotifier();
    void carryOut(const Outcome &outcome);
    void ring(const Ring &ring);
    void finish(int row);
    void soundEnded(int row);
    void storeStates();
    void showWhetherArmed();
    void showRowState(int row);
    void showNotices(const StorageResult &result);
    void armWakeUp();

    // the 500 ms display (mainwindow_tick.cpp)
    void scheduleTick();
    void showPhase(const ClockReading &now);
    void blankPhase(const ClockReading &now);
    QRect listInView() const;
    QString nextRingText(const ClockReading &now) const;
    void showNextRing(const QString &text);
    void showNextRingInMenu();
    void updateStopAction();
    void showSnoozes();
    void setTrayIcon(const QIcon &icon);

    // background picture (mainwindow_background.cpp)
    void showStoredBackground(bool promptIfMissing);
    void showPicture();
    void clearPicture();
    void showBackgroundAction();
    QString choosePicture();
    bool acceptablePicture(const QString &path);

    Settings m_settings = readSettings(); // read once at start-up; the settings dialog keeps it current
    StorageFile m_storage;
    Scheduler m_scheduler;
    Ringer *m_ringer = nullptr;
    WallClockWatcher *m_wallClock = nullptr;

    QToolBar *m_toolBar = nullptr;
    QAction *m_newAction = nullptr;
    QAction *m_editAction = nullptr;
    QAction *m_deleteAction = nullptr;
    QAction *m_toggleAction = nullptr;
    QAction *m_stopAction = nullptr;
    QAction *m_backgroundAction = nullptr;
    QAction *m_forcedReminderAction = nullptr;
    QAction *m_helpAction = nullptr;
    QIcon m_enableIcon;  // the toggle command while the selected entry is disabled
    QIcon m_disableIcon; // … and while it is enabled
    QWidget *m_toolBarSpacer = nullptr;

    QScrollArea *m_listArea = nullptr;
    QWidget *m_canvas = nullptr;
    QVBoxLayout *m_listLayout = nullptr;
    QWidget *m_bottomFiller = nullptr;
    QList<EntryRow *> m_rows;

    QSystemTrayIcon *m_tray = nullptr;
    QMenu *m_trayMenu = nullptr;
    QAction *m_nextRingAction = nullptr;
    QAction *m_snoozeAction = nullptr; // in the tray menu while something rings
    QString m_nextRing;          // the time to the next ring, as the tray shows it
    bool m_trayMenuOpen = false; // its entries follow m_nextRing only while a person can see them
    QIcon m_trayColoured;
    QIcon m_trayPlain;
    QIcon m_trayEmpty;

    HelpDialog *m_help = nullptr;               // made when first asked for
    SettingsDialog *m_settingsDialog = nullptr; // made when first asked for
    QAction *m_settingsAction = nullptr;
    EntryEditor *m_editor = nullptr; // made just after the window shows, so it shows sooner

    QTimer m_tickTimer;
    QTimer m_wakeTimer;
    QTimer m_startUpTimer;

    bool m_forcedReminder = false;
    QString m_background; // the stored picture; empty: none
    bool m_pictureShown = false;
    QPalette m_backgroundPalette;
};

#endif // TAVREL_MAINWINDOW_H
