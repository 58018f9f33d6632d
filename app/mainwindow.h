#ifndef TAVREL_MAINWINDOW_H
#define TAVREL_MAINWINDOW_H

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QMainWindow>
#include <QPalette>
#include <QProcess>
#include <QStringList>
#include <QSystemTrayIcon>
#include <QTextStream>

#include <XdgDesktopFile>

class QAction;
class QCheckBox;
class QFrame;
class QHBoxLayout;
class QLabel;
class QMediaPlayer;
class QMediaPlaylist;
class QMenu;
class QPushButton;
class QScrollArea;
class QTextBrowser;
class QTimer;
class QToolBar;
class QVBoxLayout;
class XingJianChuangKou;
namespace StorageFile {
class LineReader;
}

// The alarm clock's one window. Its member functions live in files named for what they do;
// each group below says where.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int kSlots = 20; // the most entries the list holds

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // storage/mainwindow_storage.cpp
    void JiaZai();
    void V2_00CunChuWengJianGengXing();
    void SheZhiZhuangTaiGuanBi();

    // app/mainwindow_rows.cpp
    void TianJia();
    void Qpb_BuJuShuZu_LianJie();

    // app/mainwindow_enabling.cpp
    void ZhiBianHua();

    // app/mainwindow_firing.cpp
    void NaoZhongChuFa();
    void JiShiQiChuFa();

    // app/mainwindow_nextring.cpp
    void ShuaXingXiaYiCiNaoLing();

    // app/mainwindow_commands.cpp: what the editor's save reads and changes in the window
    QStringList readStorage(bool *ok);
    bool writeStorage(const QStringList &lines);
    void showSavedTime(int i, const QString &time);
    void reloadEditedSound(int i, const QString &sound);
    void clearMinuteLatches();

    int entryCount() const { return m_entryCount; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private slots:                  // declaration order is part of the meta-object layout; keep it
    void XingJian();            // mainwindow_commands.cpp
    void GengXingShiJian();     // mainwindow_tick.cpp
    void Qcb_ZhiBianHua(int a); // mainwindow_enabling.cpp
    void BianJi();              // mainwindow_commands.cpp
    void ShanChu();             // mainwindow_commands.cpp
    void QiYongTingYong();      // mainwindow_enabling.cpp
    void TingZhi();             // mainwindow_firing.cpp
    void TuoPan(QSystemTrayIcon::ActivationReason reason); // mainwindow_tray.cpp
    void BangZhu();                                        // mainwindow_help.cpp
    void ChuShiHuaYanChi();                                // mainwindow.cpp
    void SheZhiBeiJing();                                  // mainwindow_background.cpp
    void TuiChu();                                         // mainwindow.cpp
    void QiangZhiQuanPingTiXing();                         // mainwindow_tray.cpp

public slots:
    void Qpb_PanDuan(); // mainwindow_rows.cpp

private:
    // --- start-up steps (mainwindow.cpp) ---
    void applyWindowForm();
    void createWindowObjects();
    void initWindowState();
    void bindFileHandles();
    void nameWindowObjects();
    void installCanvas();
    void buildToolBar();
    void placeListArea();
    void sizeHelpDialog();
    void buildTrayMenu();
    void startTimers();
    void connectSignals();
    void applyRowGeometry();
    void growCanvasForRows(int rows);

    // --- storage steps (storage/mainwindow_storage.cpp) ---
    void prepareStorageFile();
    void fillByteCache();
    void loadStoredRows();
    QStringList readEntryRecord(StorageFile::LineReader &in, int i, bool reload);
    void reloadRows(const QStringList &lines);
    QStringList readStorageLines(bool *ok);
    bool writeStorageLines(const QStringList &lines);
    QStringList restoreLostEntries(bool *ok);
    void reportDamagedFile(const QString &reason);
    void reportUnreadableFile();

    // --- rows (app/mainwindow_rows.cpp) ---
    void createRow(int n);
    void createSeparators(int n);
    void fillRow(int i, const QStringList &record, bool reload);
    void fillRowIcon(int i, const QStringList &record, bool reload);
    void fillRowLayout(int i);
    void fillRowSound(int i, const QStringList &record, bool reload);
    void fillRowRepeat(int i, const QStringList &record);
    void placeRow(int i, bool reload);
    void showCommandIcon(int i, const QString &path);
    void showTypeIcon(int i, const QString &resource);

    // --- list commands (app/mainwindow_commands.cpp) ---
    bool editorReady();
    int selectedRow() const;
    bool confirmDelete(const QStringList &lines, int position);
    void moveRowsUp(int position, const QStringList &lines);
    void removeLastRow();
    void setRowConnections(bool connected);

    // --- background (app/mainwindow_background.cpp) ---
    void applyStoredBackground(bool promptIfMissing = true);
    void applyBackgroundPicture();
    void clearBackgroundPicture();
    void showBackgroundButton();
    bool acceptableBackground(const QString &path);
    bool storeBackground(const QString &background);

    // --- help (app/mainwindow_help.cpp) ---
    void fillHelpText();

    // --- tick (app/mainwindow_tick.cpp) ---
    bool rowInUse(int i) const;
    void showPhase(const QString &nowMinute, const QString &today);
    void blankPhase(const QString &nowMinute, const QString &today);
    void evaluatePending(int i, const QString &nowMinute, const QString &today);
    void updateStopCommand();
    void setTrayIcon(const QIcon &icon);

    // --- firing (app/mainwindow_firing.cpp) ---
    void refreshPlaybackModes();
    void readLoopFlags();
    QByteArray loopFlagsSource; // the cache bytes loopFlags were read from (a shared copy)
    QList<bool> loopFlags;      // per entry: its record's loop line says "是"
    bool loopFlagsRead = false;
    void alarmStep(int i, int k, const QString &nowMinute, const QString &today);
    void weekdayRing(int i);
    void oneShotRing(int i);
    void alarmAfterMinute(int i, const QString &nowMinute);
    void timerStep(int i);
    void ring(int i);
    void ringPending(int i);
    bool alreadyRang(int i) const;
    void startSound(int i);
    void runCommandFile(const QString &path);
    void showForcedReminder(int i);
    bool forcedReminderOn() const;
    void finishEntry(int i);

    // --- enabling (app/mainwindow_enabling.cpp) ---
    void synchronise(QCheckBox *clicked);
    void syncEnabledRow(int i, const QString &type);
    void syncDisabledRow(int i, const QString &type);
    void showScaledIcon(int i, const QImage &image, Qt::TransformationMode mode);

    // --- the form: the three widgets every main window carries ---
    struct Form;
    Form *ui;

    // --- window-level widgets (created in createWindowObjects) ---
    QToolBar *qtb_CaiDan = nullptr;
    QAction *qa_XingJian = nullptr;
    QAction *qa_BianJi = nullptr;
    QAction *qa_ShanChu = nullptr;
    QAction *qa_QiYongTingYong = nullptr;
    QAction *qa_TingZhi = nullptr;
    QAction *qa_SheZhiBeiJing = nullptr;
    QAction *qa_QiangZhiQuanPingTiXing = nullptr;
    QAction *qa_BangZhu = nullptr;
    QWidget *qw_TianChong = nullptr;
    QScrollArea *qsa_ZhuJieMian = nullptr;
    QWidget *qw_ZhuJieMianMuBu = nullptr;
    QWidget *qw_DiBuChongTian = nullptr;
    QTimer *tickTimer = nullptr;
    QTimer *deferredInitTimer = nullptr;
    QLabel *ql_tuoPanSuoXuShiJian = nullptr;
    QVBoxLayout *listLayout = nullptr;
    QSystemTrayIcon *qsti = nullptr;
    QMenu *qm = nullptr;
    QAction *qa_tuoPanSuoXuShiJian = nullptr;
    QAction *qa_TuiChu = nullptr;
    QDialog *qd_BangZhu = nullptr;
    QScrollArea *qsa_BangZhu = nullptr;
    QTextBrowser *qtb_BangZhu = nullptr;
    XingJianChuangKou *xjck = nullptr;

    // --- window-level state ---
    int m_entryCount = 0;
    int deferredInitDone = 0;
    int noBackground = 1;
    QString backgroundPath;
    QPalette backgroundPalette;
    int tickCount = 0;
    int enabledSeen = 0;
    int trayMessageIcon = QSystemTrayIcon::Information;
    int selectionFlag = 0;
    QIcon trayIconColoured;
    QIcon trayIconPlain;
    QIcon trayIconEmpty;

    // --- storage file handles and the byte cache the tick reads ---
    QFile mainFile;
    QTextStream mainStream;
    QFile migrationFile;
    QTextStream migrationStream;
    QFile cacheFile;
    QTextStream cacheStream;
    QFile checkBoxFile;
    QTextStream checkBoxStream;
    QByteArray cacheBytes;
    QBuffer cacheBuffer;
    QTextStream cacheBufferStream;
    int resetCount = 0;
    bool storageReadable = true; // false: the file could not be read, so nothing may overwrite it
    QStringList lastGoodLines;   // the file as last loaded or written while the list is shown

    // --- per-entry tables: slot i is row i, the (i + 1)-th stored entry ---
    QPushButton *qpb_BuJuShuZu[kSlots] = {};
    QLabel *ql[kSlots] = {};
    QLabel *ql2[kSlots] = {};
    QLabel *ql3[kSlots] = {};
    QLabel *ql4[kSlots] = {};
    QCheckBox *qcb[kSlots] = {};
    QLabel *ql_TianChong[kSlots] = {};
    QLabel *qlBaoCunShiJian[kSlots] = {};
    QFrame *chuiZhiXian[kSlots] = {};
    QFrame *chuiZhiXian2[kSlots] = {};
    QHBoxLayout *rowLayout[kSlots] = {};
    QMediaPlayer *qmp[kSlots] = {};
    QMediaPlaylist *qmpl[kSlots] = {};
    QImage rowIconImage[kSlots];
    QStringList repeatDays[kSlots];
    QString commandPath[kSlots];
    QString timeText[kSlots];
    int runState[kSlots] = {};
    int minuteLatch[kSlots] = {};
    int oneShotDone[kSlots] = {};
    int notifyPending[kSlots] = {};
    int commandPending[kSlots] = {};
    int notifyAllowed[kSlots] = {};
    int commandAllowed[kSlots] = {};
    qint64 ringMinute[kSlots] = {}; // minute (since the epoch) of its last ring; -1: none since enabled
    QStringList nextRingList[kSlots];
    QProcess commandProcess[kSlots];
    XdgDesktopFile desktopFile;

    friend class MainWindowProbe; // lets the tests look inside
};

#endif // TAVREL_MAINWINDOW_H
