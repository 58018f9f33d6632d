#include "app/mainwindow.h"

#include "app/forcedreminder.h"

#include "editor/xingjianchuangkou.h"
#include "storage/storagefile.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFont>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollArea>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

struct MainWindow::Form
{
    QWidget *centralwidget = nullptr;
    QMenuBar *menubar = nullptr;
    QStatusBar *statusbar = nullptr;
};

namespace {
const int kToolBarHeight = 80;
} // namespace

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent), ui(new Form)
{
    applyWindowForm();
    createWindowObjects();
    initWindowState();
    bindFileHandles();
    nameWindowObjects();
    prepareStorageFile();
    for (int i = 0; i < m_entryCount; ++i)
        createRow(i);
    installCanvas();
    applyStoredBackground();
    SheZhiZhuangTaiGuanBi(); // every entry starts disabled at every start
    fillByteCache();
    loadStoredRows();
    deferredInitDone = 0;
    buildToolBar();
    placeListArea();
    qsti->setIcon(QIcon(QStringLiteral(":/res/闹钟.png")));
    sizeHelpDialog();
    buildTrayMenu();
    startTimers();
    connectSignals();
    Qpb_BuJuShuZu_LianJie();
}

MainWindow::~MainWindow()
{
    if (!listLayout->parent())
        delete listLayout; // never installed: the list stayed empty
    delete ui;
}

void MainWindow::applyWindowForm()
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("MainWindow"));
    resize(800, 600);
    ui->centralwidget = new QWidget(this);
    ui->centralwidget->setObjectName(QStringLiteral("centralwidget"));
    setCentralWidget(ui->centralwidget);
    ui->menubar = new QMenuBar(this);
    ui->menubar->setObjectName(QStringLiteral("menubar"));
    ui->menubar->setGeometry(QRect(0, 0, 800, 36));
    setMenuBar(ui->menubar);
    ui->statusbar = new QStatusBar(this);
    ui->statusbar->setObjectName(QStringLiteral("statusbar"));
    setStatusBar(ui->statusbar);
    setWindowTitle(tr("MainWindow"));

    setMinimumSize(800, 600);
    setWindowIcon(QIcon(QStringLiteral(":/res/闹钟-彩色.png")));
    setWindowTitle(QStringLiteral("Tavrel"));
    setContextMenuPolicy(Qt::NoContextMenu);
}

void MainWindow::createWindowObjects()
{
    qtb_CaiDan = new QToolBar(this);
    qa_XingJian = new QAction(qtb_CaiDan);
    qa_BianJi = new QAction(qtb_CaiDan);
    qa_ShanChu = new QAction(qtb_CaiDan);
    qa_QiYongTingYong = new QAction(qtb_CaiDan);
    qa_TingZhi = new QAction(qtb_CaiDan);
    qa_SheZhiBeiJing = new QAction(qtb_CaiDan);
    qa_QiangZhiQuanPingTiXing = new QAction(qtb_CaiDan);
    qa_BangZhu = new QAction(qtb_CaiDan);
    qw_TianChong = new QWidget(qtb_CaiDan);
    qsa_ZhuJieMian = new QScrollArea(this);
    qw_ZhuJieMianMuBu = new QWidget(qsa_ZhuJieMian);
    qw_DiBuChongTian = new QWidget(this);
    tickTimer = new QTimer(this);
    deferredInitTimer = new QTimer(this);
    ql_tuoPanSuoXuShiJian = new QLabel(this);
    listLayout = new QVBoxLayout;
    qsti = new QSystemTrayIcon(this);
    qm = new QMenu(this);
    qa_tuoPanSuoXuShiJian = new QAction(qm);
    qa_TuiChu = new QAction(qm);
    qd_BangZhu = new QDialog(this);
    qsa_BangZhu = new QScrollArea(qd_BangZhu);
    qtb_BangZhu = new QTextBrowser(qd_BangZhu);
}

void MainWindow::initWindowState()
{
    tickCount = 0;
    m_entryCount = 0;
    noBackground = 1;
    backgroundPath.clear();
    trayMessageIcon = QSystemTrayIcon::Information;
    trayIconColoured = QIcon(QStringLiteral(":/res/闹钟-彩色.png"));
    trayIconPlain = QIcon(QStringLiteral(":/res/闹钟.png"));
    trayIconEmpty = QIcon(QStringLiteral(":/res/空.png"));
}

void MainWindow::bindFileHandles()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const struct
    {
        QFile &file;
        QTextStream &stream;
        const QString &name;
    } handles[] = {{mainFile, mainStream, StorageFile::kFileName},
                   {migrationFile, migrationStream, StorageFile::kMigrationFileName},
                   {cacheFile, cacheStream, StorageFile::kFileName},
                   {checkBoxFile, checkBoxStream, StorageFile::kFileName}};
    for (const auto &h : handles) {
        h.file.setFileName(dir + h.name);
        h.stream.setDevice(&h.file);
        h.stream.setCodec("UTF-8");
    }
    cacheBufferStream.setCodec("UTF-8");
}

void MainWindow::nameWindowObjects()
{
    qtb_CaiDan->setObjectName(QStringLiteral("qtb_CaiDan"));
    qa_XingJian->setObjectName(QStringLiteral("qa_XingJian"));
    qa_BianJi->setObjectName(QStringLiteral("qa_BianJi"));
    qa_ShanChu->setObjectName(QStringLiteral("qa_ShanChu"));
    qa_QiYongTingYong->setObjectName(QStringLiteral("qa_QiYongTingYong"));
    qa_TingZhi->setObjectName(QStringLiteral("qa_TingZhi"));
    qa_SheZhiBeiJing->setObjectName(QStringLiteral("qa_SheZhiBeiJing"));
    qa_QiangZhiQuanPingTiXing->setObjectName(QStringLiteral("qa_QiangZhiQuanPingTiXing"));
    qa_BangZhu->setObjectName(QStringLiteral("qa_BangZhu"));
    qw_TianChong->setObjectName(QStringLiteral("qw_TianChong"));
    qsa_ZhuJieMian->setObjectName(QStringLiteral("qsa_ZhuJieMian"));
    qw_ZhuJieMianMuBu->setObjectName(QStringLiteral("qw_ZhuJieMianMuBu"));
    qw_DiBuChongTian->setObjectName(QStringLiteral("qw_DiBuChongTian"));
    ql_tuoPanSuoXuShiJian->setObjectName(QStringLiteral("ql_tuoPanSuoXuShiJian"));
    qsti->setObjectName(QStringLiteral("qsti"));
    qm->setObjectName(QStringLiteral("qm"));
    qa_tuoPanSuoXuShiJian->setObjectName(QStringLiteral("qa_tuoPanSuoXuShiJian"));
    qa_TuiChu->setObjectName(QStringLiteral("qa_TuiChu"));
    qd_BangZhu->setObjectName(QStringLiteral("qd_BangZhu"));
    qsa_BangZhu->setObjectName(QStringLiteral("qsa_BangZhu"));
    qtb_BangZhu->setObjectName(QStringLiteral("qtb_BangZhu"));
    qw_DiBuChongTian->setVisible(false);
    ql_tuoPanSuoXuShiJian->setVisible(false);
}

void MainWindow::installCanvas()
{
    qw_ZhuJieMianMuBu->setFixedSize(width(), height() - kToolBarHeight);
    qsa_ZhuJieMian->setWidget(qw_ZhuJieMianMuBu);
}

void MainWindow::buildToolBar()
{
    qtb_CaiDan->setMinimumSize(width(), kToolBarHeight);
    qtb_CaiDan->setIconSize(QSize(40, 20));
    qtb_CaiDan->setFloatable(false);
    qtb_CaiDan->setMovable(false);
    qtb_CaiDan->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    QFont font;
    font.setPointSize(12);
    qtb_CaiDan->setFont(font);

    const struct
    {
        QAction *action;
        const char *icon;
        const char *text;
    } items[] = {{qa_XingJian, ":/res/新建.png", "新建"},
                 {qa_BianJi, ":/res/编辑.png", "编辑..."},
                 {qa_ShanChu, ":/res/删除.png", "删除"}};
    for (const auto &item : items) {
        item.action->setIcon(QIcon(QString::fromUtf8(item.icon)));
        item.action->setText(QString::fromUtf8(item.text));
        qtb_CaiDan->addAction(item.action);
    }
    qtb_CaiDan->addSeparator();
    qa_QiangZhiQuanPingTiXing->setText(ForcedReminder::kOffText);
    qtb_CaiDan->addAction(qa_QiangZhiQuanPingTiXing);
    qtb_CaiDan->addSeparator();
    qa_QiYongTingYong->setIcon(QIcon(QStringLiteral(":/res/启用.png")));
    qa_QiYongTingYong->setText(QStringLiteral("启用/停用"));
    qtb_CaiDan->addAction(qa_QiYongTingYong);
    qa_TingZhi->setIcon(QIcon(QStringLiteral(":/res/停止.png")));
    qa_TingZhi->setText(QStringLiteral("停止"));
    qtb_CaiDan->addAction(qa_TingZhi);
    qtb_CaiDan->addAction(qa_SheZhiBeiJing); // icon and text come from the stored background
    qw_TianChong->setFixedWidth(10);
    qtb_CaiDan->addWidget(qw_TianChong);
    qa_BangZhu->setIcon(QIcon(QStringLiteral(":/res/帮助.png")));
    qa_BangZhu->setText(QStringLiteral("帮助"));
    qtb_CaiDan->addAction(qa_BangZhu);

    qtb_CaiDan->setStyleSheet(
        QStringLiteral("QToolBar::separator {background-color: #000000;width: 2px;margin: 0px 5px;}"));
    qa_BianJi->setEnabled(false);
    qa_ShanChu->setEnabled(false);
    qa_QiYongTingYong->setEnabled(false);
    qa_TingZhi->setEnabled(false);
}

void MainWindow::placeListArea()
{
    qsa_ZhuJieMian->setGeometry(0, kToolBarHeight, width(), height() - kToolBarHeight);
    qsa_ZhuJieMian->setFixedHeight(height() - kToolBarHeight);
    qsa_ZhuJieMian->setWidgetResizable(true);
    qsa_ZhuJieMian->setWidget(qw_ZhuJieMianMuBu);
}

void MainWindow::sizeHelpDialog()
{
    qd_BangZhu->resize(width(), height());
    qsa_BangZhu->resize(qd_BangZhu->size());
    qtb_BangZhu->resize(qd_BangZhu->size());
    qsa_BangZhu->setWidget(qtb_BangZhu);
}

void MainWindow::buildTrayMenu()
{
    qm->addAction(QStringLiteral("下一次响铃所需时间："));
    qa_tuoPanSuoXuShiJian->setText(QStringLiteral("无响铃"));
    qm->addAction(qa_tuoPanSuoXuShiJian);
    qm->addSeparator();
    qa_TuiChu->setText(QStringLiteral("退出程序"));
    qm->addAction(qa_TuiChu);
    qsti->setContextMenu(qm);
    qsti->setVisible(true);
}

void MainWindow::startTimers()
{
    deferredInitTimer->start(50);
    tickTimer->start(500);
}

void MainWindow::connectSignals()
{
    connect(qa_XingJian, SIGNAL(triggered()), this, SLOT(XingJian()));
    connect(tickTimer, SIGNAL(timeout()), this, SLOT(GengXingShiJian()));
    connect(qa_BianJi, SIGNAL(triggered()), this, SLOT(BianJi()));
    connect(qa_ShanChu, SIGNAL(triggered()), this, SLOT(ShanChu()));
    connect(qa_QiYongTingYong, SIGNAL(triggered()), this, SLOT(QiYongTingYong()));
    connect(qa_TingZhi, SIGNAL(triggered()), this, SLOT(TingZhi()));
    connect(qa_QiangZhiQuanPingTiXing, SIGNAL(triggered()), this, SLOT(QiangZhiQuanPingTiXing()));
    connect(qa_BangZhu, SIGNAL(triggered()), this, SLOT(BangZhu()));
    connect(deferredInitTimer, SIGNAL(timeout()), this, SLOT(ChuShiHuaYanChi()));
    connect(qa_SheZhiBeiJing, SIGNAL(triggered()), this, SLOT(SheZhiBeiJing()));
    connect(qa_TuiChu, SIGNAL(triggered()), this, SLOT(TuiChu()));
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    const int w = width();
    const int h = height();
    qtb_CaiDan->setMinimumSize(w, kToolBarHeight);
    qw_TianChong->setFixedWidth(w - 790);
    qsa_ZhuJieMian->setGeometry(0, kToolBarHeight, w, h - kToolBarHeight);
    qsa_ZhuJieMian->setFixedHeight(h - kToolBarHeight);
    qw_ZhuJieMianMuBu->setFixedSize(w, h - kToolBarHeight);
    applyRowGeometry();
    growCanvasForRows(m_entryCount);
    if (noBackground == 1)
        return;
    applyBackgroundPicture();
}

void MainWindow::applyRowGeometry()
{
    for (int i = 0; i < qMin(m_entryCount, kSlots); ++i) {
        if (!qpb_BuJuShuZu[i] || qpb_BuJuShuZu[i]->width() < 1)
            continue;
        qpb_BuJuShuZu[i]->setFixedSize(width() - 20, 40);
        const int rest = width() - ql[i]->width() - ql2[i]->width() - ql3[i]->width() - qcb[i]->width() - 2;
        ql_TianChong[i]->setFixedSize(rest, 30);
    }
}

void MainWindow::growCanvasForRows(int rows)
{
    for (int r = 1; r <= qMin(rows, kSlots); ++r) {
        if (qw_ZhuJieMianMuBu->height() < 47 * r) {
            qsa_ZhuJieMian->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            qw_ZhuJieMianMuBu->setFixedHeight(qw_ZhuJieMianMuBu->height() + 48);
        }
    }
}

void MainWindow::ChuShiHuaYanChi()
{
    xjck = new XingJianChuangKou(this);
    xjck->setObjectName(QStringLiteral("xjck"));
    deferredInitDone = 1;
    deferredInitTimer->stop();
}

void MainWindow::TuiChu()
{
    QCoreApplication::quit();
}
