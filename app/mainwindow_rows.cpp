#include "app/mainwindow.h"

#include "app/ringlog.h"
#include "storage/storagefile.h"
#include "widgets/prompt.h"

#include <QAction>
#include <QCheckBox>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMediaPlayer>
#include <QMediaPlaylist>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

using namespace StorageFile;

namespace {
const QSize kRowIconSize(40, 26);
const int kRowPitch = 47; // rows sit 47 pixels apart on the canvas
const int kCanvasGrowth = 48;
const QString kCheckBoxStyle = QStringLiteral(
    "QCheckBox::indicator { top: -3px;left: 15px; border: 2px solid black;border-radius: 4px; "
    "width: 16px;height: 16px;} QCheckBox::indicator:checked {image: url(:/res/勾2.png); border: 2px "
    "solid black;}");

QLabel *namedLabel(QWidget *parent, const QString &prefix, int n)
{
    auto *label = new QLabel(parent);
    label->setObjectName(prefix + QString::number(n));
    return label;
}
} // namespace

void MainWindow::createRow(int n)
{
    qpb_BuJuShuZu[n] = new QPushButton(this);
    qpb_BuJuShuZu[n]->setFixedSize(0, 0); // zero size marks a row not filled yet
    qpb_BuJuShuZu[n]->setObjectName(QStringLiteral("qpb_BuJuShuZu") + QString::number(n));
    ql[n] = namedLabel(this, QStringLiteral("ql"), n);
    ql2[n] = namedLabel(this, QStringLiteral("ql2"), n);
    ql3[n] = namedLabel(this, QStringLiteral("ql3"), n);
    ql4[n] = namedLabel(this, QStringLiteral("ql4"), n);
    ql4[n]->setVisible(false);
    qcb[n] = new QCheckBox(this);
    qcb[n]->setObjectName(QStringLiteral("qcb") + QString::number(n));
    ql_TianChong[n] = namedLabel(this, QStringLiteral("ql_TianChong"), n);
    rowLayout[n] = new QHBoxLayout;
    qlBaoCunShiJian[n] = namedLabel(this, QStringLiteral("qlBaoCunShiJian"), n);
    qlBaoCunShiJian[n]->setVisible(false);
    repeatDays[n].clear();
    runState[n] = 0;
    timeText[n].clear();
    oneShotDone[n] = 0;
    ringMinute[n] = -1;

    qmp[n] = new QMediaPlayer(this);
    qmp[n]->setObjectName(QStringLiteral("qmp") + QString::number(n));
    qmpl[n] = new QMediaPlaylist(this);
    qmpl[n]->addMedia(QUrl(kDefaultSoundUrl));
    qmpl[n]->setObjectName(QStringLiteral("qmpl") + QString::number(n));
    qmp[n]->setPlaylist(qmpl[n]);
    RingLog::watch(qmp[n], n);

    nextRingList[n].clear();
    notifyPending[n] = 0;
    commandPath[n].clear();
    commandPending[n] = 0;
    commandAllowed[n] = 1;
    notifyAllowed[n] = 1;
    minuteLatch[n] = 0;
}

void MainWindow::createSeparators(int n)
{
    chuiZhiXian[n] = new QFrame(this);
    chuiZhiXian2[n] = new QFrame(this);
}

void MainWindow::TianJia()
{
    if (m_entryCount < 0 || m_entryCount >= kSlots)
        return; // every slot is taken: the save refuses a 21st entry before it gets here
    createRow(m_entryCount);
    createSeparators(m_entryCount);
}

void MainWindow::fillRow(int i, const QStringList &record, bool reload)
{
    ql2[i]->setFixedSize(60, 30);
    ql2[i]->setVisible(true);
    ql[i]->setAlignment(Qt::AlignCenter);
    ql2[i]->setAlignment(Qt::AlignHCenter);
    ql3[i]->setAlignment(Qt::AlignHCenter);
    ql4[i]->setAlignment(Qt::AlignHCenter);
    ql_TianChong[i]->setAlignment(Qt::AlignLeft);

    qpb_BuJuShuZu[i]->setFixedSize(width() - 20, 40);
    qpb_BuJuShuZu[i]->setAutoExclusive(true);
    qpb_BuJuShuZu[i]->setCheckable(true);

    if (!chuiZhiXian[i])
        createSeparators(i);
    QFrame *separators[] = {chuiZhiXian[i], chuiZhiXian2[i]};
    chuiZhiXian[i]->setObjectName(QStringLiteral("chuiZhiXian") + QString::number(i));
    chuiZhiXian2[i]->setObjectName(QStringLiteral("chuiZhiXian2") + QString::number(i));
    for (QFrame *line : separators) {
        line->setStyleSheet(QStringLiteral("background-color:lightGray"));
        line->setFrameShape(QFrame::VLine);
        line->setFrameShadow(QFrame::Plain);
        line->setLineWidth(1);
    }

    ql[i]->setFixedSize(kRowIconSize);
    ql[i]->setVisible(true);
    qcb[i]->setVisible(true);
    fillRowIcon(i, record, reload);
    ql3[i]->setText(record.value(PosName));
    fillRowLayout(i);

    const QString state = record.value(PosState);
    if (reload && state == kOn)
        qcb[i]->setChecked(true);
    else if (reload && state == kOff)
        qcb[i]->setChecked(false);

    fillRowSound(i, record, reload);
    fillRowRepeat(i, record);
    if (!reload) {
        ql2[i]->setText(record.value(PosTime));
        timeText[i] = record.value(PosTime);
        qlBaoCunShiJian[i]->setText(record.value(PosTime));
    }
}

void MainWindow::fillRowIcon(int i, const QStringList &record, bool reload)
{
    const QString type = record.value(PosType);
    const QString command = record.value(PosCommand);
    const bool knownType = type == kAlarm || type == kTimer;
    if (command != kNone && QFileInfo(command).isFile()) {
        if (knownType)
            ql4[i]->setText(type); // the command icon was set while the record was read
        return;
    }
    if (!knownType)
        return; // an unknown type shows no picture and keeps the old type label
    const QString state = record.value(PosState);
    QString resource;
    if (!reload || state == kOff)
        resource = type == kAlarm ? QStringLiteral(":/res/闹钟.png") : QStringLiteral(":/res/计时器.png");
    else if (state == kOn)
        resource =
            type == kAlarm ? QStringLiteral(":/res/闹钟-彩色.png") : QStringLiteral(":/res/计时器-彩色.png");
    showTypeIcon(i, resource);
    ql4[i]->setText(type);
}

void MainWindow::showTypeIcon(int i, const QString &resource)
{
    if (resource.isEmpty()) {
        rowIconImage[i] = QImage();
        ql[i]->setPixmap(QPixmap());
        return;
    }
    rowIconImage[i] = QImage(resource).scaled(kRowIconSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    ql[i]->setPixmap(QPixmap::fromImage(rowIconImage[i]));
}

void MainWindow::showCommandIcon(int i, const QString &path)
{
    const QIcon icon = QFileIconProvider().icon(QFileInfo(path));
    const QImage grey = icon.pixmap(32, 32, QIcon::Normal, QIcon::Off)
                            .toImage()
                            .scaled(kRowIconSize, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                            .convertToFormat(QImage::Format_Grayscale8);
    rowIconImage[i] = grey;
    // The grey conversion turns the transparent background black; dark pixels are made clear again.
    QImage shown(grey.size(), QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y) {
        for (int x = 0; x < grey.width(); ++x) {
            const QRgb px = grey.pixel(x, y);
            const int g = qGray(px);
            shown.setPixel(x, y, g <= 50 ? qRgba(0, 0, 0, 0) : qRgba(g, g, g, qAlpha(px)));
        }
    }
    ql[i]->setPixmap(QPixmap::fromImage(shown));
}

void MainWindow::fillRowLayout(int i)
{
    delete rowLayout[i];
    rowLayout[i] = new QHBoxLayout;
    QHBoxLayout *row = rowLayout[i];
    row->addWidget(ql[i], ql[i]->width(), Qt::AlignHCenter);
    row->addWidget(ql2[i], ql2[i]->width(), Qt::AlignHCenter);
    ql3[i]->setFixedSize(100, 30);
    row->addWidget(chuiZhiXian[i], 1);
    row->addWidget(ql3[i], ql3[i]->width(), Qt::AlignHCenter);

    qcb[i]->setText(QString());
    qcb[i]->setFixedSize(40, 30);
    QPalette palette = qcb[i]->palette();
    palette.setBrush(QPalette::Active, QPalette::Text, QBrush(Qt::black));
    qcb[i]->setPalette(palette);
    qcb[i]->setStyleSheet(kCheckBoxStyle);

    const int infoWidth = width() - ql[i]->width() - ql2[i]->width() - ql3[i]->width() - qcb[i]->width();
    ql_TianChong[i]->setFixedSize(infoWidth, 30);
    ql_TianChong[i]->setVisible(true);
    row->addWidget(chuiZhiXian2[i], 1);
    row->addWidget(ql_TianChong[i], width() - 242, Qt::AlignHCenter);
    row->addWidget(qcb[i], qcb[i]->width());
    qpb_BuJuShuZu[i]->setLayout(row);
}

void MainWindow::fillRowSound(int i, const QStringList &record, bool reload)
{
    const QString sound = record.value(PosSound);
    if (!(reload && qmp[i]->state() == QMediaPlayer::PlayingState)) {
        QUrl url(kDefaultSoundUrl);
        if (sound != kDefaultSound) {
            if (QFileInfo(sound).isFile())
                url = QUrl::fromLocalFile(sound);
            else
                Prompt::show(this,
                             sound + (reload ? QStringLiteral("   音乐文件不存在，将用默认响铃代替。")
                                             : QStringLiteral("   音乐文件不存在，将用默认响铃替代。")));
        }
        qmpl[i]->clear();
        qmpl[i]->addMedia(url);
        qmp[i]->setPlaylist(qmpl[i]);
    }
    qmpl[i]->setPlaybackMode(record.value(PosLoop) == kYes ? QMediaPlaylist::Loop
                                                           : QMediaPlaylist::CurrentItemOnce);
    qmp[i]->setVolume(100);
}

void MainWindow::fillRowRepeat(int i, const QStringList &record)
{
    repeatDays[i].clear();
    const QString value = record.value(PosRepeat);
    const bool alarm = ql4[i]->text() == kAlarm;
    const bool timer = ql4[i]->text() == kTimer;
    if (value == kNo) {
        if (alarm) {
            ql_TianChong[i]->setText(QStringLiteral("   每周重复：否"));
            repeatDays[i] << kNo;
        } else if (timer) {
            ql_TianChong[i]->setText(QString());
        }
        return;
    }
    if (alarm) {
        repeatDays[i] = StorageFile::repeatDays(value);
        ql_TianChong[i]->setText(QStringLiteral("   每周重复：") + repeatDays[i].join(QStringLiteral("、")));
    } else if (timer) {
        ql_TianChong[i]->setText(QString());
    }
}

void MainWindow::placeRow(int i, bool reload)
{
    if (reload && i == 0) {
        delete listLayout;
        listLayout = new QVBoxLayout;
    }
    listLayout->addWidget(qpb_BuJuShuZu[i], 40);
    if (i == m_entryCount - 1) {
        qw_DiBuChongTian->setVisible(true);
        listLayout->addWidget(qw_DiBuChongTian, 99999);
        qw_ZhuJieMianMuBu->setLayout(listLayout);
    }
    const int placed = i + 1;
    if (qw_ZhuJieMianMuBu->height() - kRowPitch * placed < 0) {
        qsa_ZhuJieMian->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        qw_ZhuJieMianMuBu->setFixedHeight(qw_ZhuJieMianMuBu->height() + kCanvasGrowth);
    }
}

void MainWindow::Qpb_BuJuShuZu_LianJie()
{
    const auto unique = static_cast<Qt::ConnectionType>(Qt::AutoConnection | Qt::UniqueConnection);
    for (int i = 0; i < qMin(m_entryCount, kSlots); ++i) {
        if (!qpb_BuJuShuZu[i] || qpb_BuJuShuZu[i]->width() < 1)
            continue;
        connect(qcb[i], SIGNAL(stateChanged(int)), this, SLOT(Qcb_ZhiBianHua(int)), unique);
        connect(qpb_BuJuShuZu[i], SIGNAL(clicked()), this, SLOT(Qpb_PanDuan()), unique);
    }
    connect(qsti, SIGNAL(activated(QSystemTrayIcon::ActivationReason)), this,
            SLOT(TuoPan(QSystemTrayIcon::ActivationReason)), unique);
}

void MainWindow::Qpb_PanDuan()
{
    selectionFlag = 0;
    for (int i = 0; i < qMin(m_entryCount, kSlots); ++i) {
        if (!qpb_BuJuShuZu[i] || !qpb_BuJuShuZu[i]->isChecked())
            continue;
        selectionFlag = 1;
        qa_QiYongTingYong->setIcon(
            QIcon(qcb[i]->isChecked() ? QStringLiteral(":/res/停用.png") : QStringLiteral(":/res/启用.png")));
    }
    const bool selected = selectionFlag == 1;
    qa_BianJi->setEnabled(selected);
    qa_ShanChu->setEnabled(selected);
    qa_QiYongTingYong->setEnabled(selected);
}
