// The editor dialog's widgets, its two modes, the repeat list, the reset and the ways out.
#include "editor/xingjianchuangkou.h"

#include "app/mainwindow.h"
#include "editor/editortexts.h"
#include "editor/entryrecord.h"
#include "widgets/prompt.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMediaPlaylist>
#include <QPushButton>
#include <QTimeEdit>
#include <QTreeWidget>

using namespace EditorTexts;

namespace {

const QSize kTypeIconSize(30, 30);
const int kNameLength = 7;
const QRect kAlarmTimeGeometry(45, 85, 140, 30);
const QRect kTimerTimeGeometry(45, 85, 160, 30);
const QRect kAlarmHintGeometry(190, 80, 205, 40);
const QRect kTimerHintGeometry(210, 80, 185, 40);

// Where the eight widgets below the time field sit with the repeat list closed and open.
struct LowerPlace
{
    QRect collapsed;
    QRect expanded;
};
const LowerPlace kRepeatList{{5, 121, 390, 16}, {5, 121, 390, 85}};
const LowerPlace kWarning{{5, 143, 40, 16}, {5, 212, 40, 16}};
const LowerPlace kPlayLabel{{20, 150, 100, 40}, {20, 220, 100, 40}};
const LowerPlace kSoundButton{{20, 182, 315, 30}, {20, 252, 315, 30}};
const LowerPlace kPreviewButton{{335, 182, 60, 30}, {335, 252, 60, 30}};
const LowerPlace kLoopBox{{20, 204, 100, 40}, {20, 274, 100, 40}};
const LowerPlace kCommandLabel{{20, 250, 60, 30}, {20, 320, 60, 30}};
const LowerPlace kCommandButton{{84, 250, 310, 30}, {84, 320, 310, 30}};

QFont withPointSize(QFont font, int size)
{
    font.setPointSize(size);
    return font;
}

void takeAwaySelectAndEdit(QTreeWidgetItem *item)
{
    item->setFlags(item->flags() & ~(Qt::ItemIsSelectable | Qt::ItemIsEditable));
}

} // namespace

XingJianChuangKou::XingJianChuangKou(QWidget *parent)
    : QDialog(parent), m_mainWindow(qobject_cast<MainWindow *>(parent))
{
    setFixedSize(400, 400);
    move(Prompt::centredPosition(Prompt::desktopSize(), size()));
    setWindowTitle(kNewTitle);
    createWidgets();
    setUpWidgets();
    fillRepeatList();
    connectSignals();
}

XingJianChuangKou::~XingJianChuangKou()
{
    // The playlist has no parent; the player must let go of it first.
    qmp_BoFang->stop();
    qmp_BoFang->setPlaylist(nullptr);
    delete qmpl_BoFang;
}

void XingJianChuangKou::createWidgets()
{
    qpb_NaoZhong = new QPushButton(this);
    qpb_JiShiQi = new QPushButton(this);
    ql_MingCheng = new QLabel(this);
    qle_MingCheng = new QLineEdit(this);
    ql_ShiJian = new QLabel(this);
    qte_ShiJian = new QTimeEdit(this);
    ql_TiShi = new QLabel(this);
    qtw_ChongFu = new QTreeWidget(this);
    for (QCheckBox **box : {&qcb_XingQiYi, &qcb_XingQiEr, &qcb_XingQiSan, &qcb_XingQiSi, &qcb_XingQiWu,
                            &qcb_XingQiLiu, &qcb_XingQiRi})
        *box = new QCheckBox(this);
    qtwi_ChongFu = new QTreeWidgetItem;
    qtwi_ChongFu1 = new QTreeWidgetItem;
    qtwi_ChongFu2 = new QTreeWidgetItem;
    qtwi_ChongFu3 = new QTreeWidgetItem;
    ql_JingGao = new QLabel(this);
    ql_BoFangXiangLing = new QLabel(this);
    qpb_ShengYinWenJian = new QPushButton(this);
    qpb_BoFang = new QPushButton(this);
    qcb_FanFuNaoLing = new QCheckBox(this);
    qmp_BoFang = new QMediaPlayer(this);
    qmpl_BoFang = new QMediaPlaylist;
    qpb_BaoCun = new QPushButton(this);
    qpb_GuanBi = new QPushButton(this);
    qpb_MingLingWenJian = new QPushButton(this);
    ql_ZhiXingWenJian = new QLabel(this);
    nameWidgets();
}

// Object names follow the members, so the widgets can be found by name from outside.
void XingJianChuangKou::nameWidgets()
{
    const struct
    {
        QObject *object;
        const char *name;
    } named[] = {{qpb_NaoZhong, "qpb_NaoZhong"},
                 {qpb_JiShiQi, "qpb_JiShiQi"},
                 {ql_MingCheng, "ql_MingCheng"},
                 {qle_MingCheng, "qle_MingCheng"},
                 {ql_ShiJian, "ql_ShiJian"},
                 {qte_ShiJian, "qte_ShiJian"},
                 {ql_TiShi, "ql_TiShi"},
                 {qtw_ChongFu, "qtw_ChongFu"},
                 {qcb_XingQiYi, "qcb_XingQiYi"},
                 {qcb_XingQiEr, "qcb_XingQiEr"},
                 {qcb_XingQiSan, "qcb_XingQiSan"},
                 {qcb_XingQiSi, "qcb_XingQiSi"},
                 {qcb_XingQiWu, "qcb_XingQiWu"},
                 {qcb_XingQiLiu, "qcb_XingQiLiu"},
                 {qcb_XingQiRi, "qcb_XingQiRi"},
                 {ql_JingGao, "ql_JingGao"},
                 {ql_BoFangXiangLing, "ql_BoFangXiangLing"},
                 {qpb_ShengYinWenJian, "qpb_ShengYinWenJian"},
                 {qpb_BoFang, "qpb_BoFang"},
                 {qcb_FanFuNaoLing, "qcb_FanFuNaoLing"},
                 {qmp_BoFang, "qmp_BoFang"},
                 {qmpl_BoFang, "qmpl_BoFang"},
                 {qpb_BaoCun, "qpb_BaoCun"},
                 {qpb_GuanBi, "qpb_GuanBi"},
                 {qpb_MingLingWenJian, "qpb_MingLingWenJian"},
                 {ql_ZhiXingWenJian, "ql_ZhiXingWenJian"}};
    for (const auto &n : named)
        n.object->setObjectName(QLatin1String(n.name));
}

void XingJianChuangKou::setUpWidgets()
{
    qpb_NaoZhong->setText(StorageFile::kAlarm);
    qpb_NaoZhong->setGeometry(5, 5, 195, 40);
    qpb_JiShiQi->setText(StorageFile::kTimer);
    qpb_JiShiQi->setGeometry(200, 5, 195, 40);
    for (QPushButton *type : {qpb_NaoZhong, qpb_JiShiQi}) {
        type->setAutoExclusive(true);
        type->setCheckable(true);
    }
    qpb_NaoZhong->setChecked(true);
    showAlarmLook();

    ql_MingCheng->setText(QStringLiteral("名称："));
    ql_MingCheng->setGeometry(5, 45, 80, 40);
    qle_MingCheng->setText(StorageFile::kAlarm);
    qle_MingCheng->setGeometry(45, 51, 350, 28);
    qle_MingCheng->setMaxLength(kNameLength);
    ql_ShiJian->setText(QStringLiteral("时间："));
    ql_ShiJian->setGeometry(5, 80, 80, 40);
    qte_ShiJian->setTime(QTime(0, 0, 0));
    qte_ShiJian->setGeometry(kAlarmTimeGeometry);
    qte_ShiJian->setDisplayFormat(kAlarmFormat);
    qte_ShiJian->setMaximumTime(QTime(23, 59, 59));
    ql_TiShi->setText(kAlarmHint);
    ql_TiShi->setGeometry(kAlarmHintGeometry);

    qtw_ChongFu->header()->setFixedHeight(0);
    qtw_ChongFu->setColumnCount(4);
    qtw_ChongFu->setAnimated(false);
    qtw_ChongFu->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    qtw_ChongFu->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const QList<QCheckBox *> days = weekdayBoxes();
    for (int d = 0; d < days.size(); ++d) {
        days.at(d)->setText(StorageFile::weekdayNames().at(d));
        days.at(d)->setFont(withPointSize(days.at(d)->font(), 7));
        days.at(d)->setVisible(false);
    }

    QFont bold = ql_JingGao->font();
    bold.setWeight(QFont::Bold);
    ql_JingGao->setFont(bold);
    ql_JingGao->setText(QStringLiteral("警告"));
    ql_BoFangXiangLing->setText(QStringLiteral("播放响铃"));
    qpb_ShengYinWenJian->setText(kDefaultSoundCaption);
    qpb_BoFang->setText(kPlay);
    qcb_FanFuNaoLing->setText(QStringLiteral("反复闹铃"));
    qcb_FanFuNaoLing->setChecked(true);
    ql_ZhiXingWenJian->setText(QStringLiteral("执行文件:"));
    qpb_MingLingWenJian->setText(kNoCommandCaption);
    placeLowerHalf(false);

    qpb_BaoCun->setText(QStringLiteral("保存"));
    qpb_BaoCun->setGeometry(270, 355, 60, 40);
    qpb_GuanBi->setText(QStringLiteral("关闭"));
    qpb_GuanBi->setGeometry(335, 355, 60, 40);
    // Enter saves; without this it would press whichever button happens to come first.
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(false);
    qpb_BaoCun->setDefault(true);
}

void XingJianChuangKou::fillRepeatList()
{
    qtwi_ChongFu->setText(0, QStringLiteral("重复：一次"));
    for (int c = 0; c < 4; ++c)
        qtwi_ChongFu->setData(c, Qt::FontRole, withPointSize(qtw_ChongFu->font(), 7));
    takeAwaySelectAndEdit(qtwi_ChongFu);
    qtw_ChongFu->addTopLevelItem(qtwi_ChongFu);
    const QList<QCheckBox *> days = weekdayBoxes();
    QTreeWidgetItem *rows[] = {qtwi_ChongFu1, qtwi_ChongFu2, qtwi_ChongFu3};
    for (int r = 0; r < 3; ++r) {
        takeAwaySelectAndEdit(rows[r]);
        qtwi_ChongFu->addChild(rows[r]);
        for (int c = 1; c <= 3 && 3 * r + c - 1 < days.size(); ++c)
            qtw_ChongFu->setItemWidget(rows[r], c, days.at(3 * r + c - 1));
    }
    qtwi_ChongFu->setExpanded(false);
    setWeekdaysVisible(false);
}

void XingJianChuangKou::connectSignals()
{
    connect(qpb_NaoZhong, SIGNAL(clicked()), this, SLOT(NaoZhongAnXia()));
    connect(qpb_JiShiQi, SIGNAL(clicked()), this, SLOT(JiShiQiAnXia()));
    connect(qtw_ChongFu, SIGNAL(itemExpanded(QTreeWidgetItem *)), this,
            SLOT(Qtw_ChongFuDianJi(QTreeWidgetItem *)));
    connect(qtw_ChongFu, SIGNAL(itemCollapsed(QTreeWidgetItem *)), this,
            SLOT(Qtw_ChongFuDianJi(QTreeWidgetItem *)));
    for (QCheckBox *day : weekdayBoxes())
        connect(day, SIGNAL(clicked()), this, SLOT(XuanZeKuang()));
    connect(qpb_BoFang, SIGNAL(clicked()), this, SLOT(BoFang()));
    connect(qmp_BoFang, SIGNAL(mediaStatusChanged(QMediaPlayer::MediaStatus)), this,
            SLOT(Qmp_BoFang_ZhuangTaiGaiBian(QMediaPlayer::MediaStatus)));
    connect(qpb_BaoCun, SIGNAL(clicked()), this, SLOT(Qpb_BaoCun_DianJi()));
    connect(qpb_GuanBi, SIGNAL(clicked()), this, SLOT(Qpb_GuanBi_DianJi()));
    qpb_ShengYinWenJian->installEventFilter(this);
    qpb_MingLingWenJian->installEventFilter(this);
}

QList<QCheckBox *> XingJianChuangKou::weekdayBoxes() const
{
    return {qcb_XingQiYi, qcb_XingQiEr,  qcb_XingQiSan, qcb_XingQiSi,
            qcb_XingQiWu, qcb_XingQiLiu, qcb_XingQiRi};
}

QStringList XingJianChuangKou::checkedDays() const
{
    QStringList days;
    for (QCheckBox *day : weekdayBoxes()) {
        if (day->isChecked())
            days << day->text();
    }
    return days;
}

void XingJianChuangKou::setWeekdaysVisible(bool visible)
{
    for (QCheckBox *day : weekdayBoxes())
        day->setVisible(visible);
}

void XingJianChuangKou::placeLowerHalf(bool expanded)
{
    const struct
    {
        QWidget *widget;
        const LowerPlace &place;
    } lower[] = {{qtw_ChongFu, kRepeatList},         {ql_JingGao, kWarning},
                 {ql_BoFangXiangLing, kPlayLabel},   {qpb_ShengYinWenJian, kSoundButton},
                 {qpb_BoFang, kPreviewButton},       {qcb_FanFuNaoLing, kLoopBox},
                 {ql_ZhiXingWenJian, kCommandLabel}, {qpb_MingLingWenJian, kCommandButton}};
    for (const auto &item : lower)
        item.widget->setGeometry(expanded ? item.place.expanded : item.place.collapsed);
}

// Toggles on the open flag, not on the item: every expand and every collapse of the summary
// item arrives here exactly once.
void XingJianChuangKou::Qtw_ChongFuDianJi(QTreeWidgetItem *item)
{
    Q_UNUSED(item);
    if (m_repeatListOpen == 0) {
        setWeekdaysVisible(true);
        m_repeatListOpen = 1;
        placeLowerHalf(true);
    } else if (m_repeatListOpen == 1) {
        setWeekdaysVisible(false);
        m_repeatListOpen = 0;
        placeLowerHalf(false);
    }
}

// Closes the repeat list whatever state it is in; the collapse signal does the moving when the
// item was open, and the rest makes sure the closed layout holds even if the two disagreed.
void XingJianChuangKou::collapseRepeatList()
{
    if (qtwi_ChongFu->isExpanded())
        qtwi_ChongFu->setExpanded(false);
    setWeekdaysVisible(false);
    placeLowerHalf(false);
    m_repeatListOpen = 0;
}

void XingJianChuangKou::showSummary(const QStringList &columns)
{
    for (int c = 0; c < 4; ++c)
        qtwi_ChongFu->setText(c, columns.value(c));
}

void XingJianChuangKou::XuanZeKuang()
{
    showSummary(EntryRecord::repeatSummary(checkedDays()));
}

void XingJianChuangKou::clearWeekdays()
{
    for (QCheckBox *day : weekdayBoxes())
        day->setChecked(false);
    showSummary(EntryRecord::repeatSummary({}));
}

void XingJianChuangKou::showAlarmLook()
{
    qpb_NaoZhong->setIcon(QIcon(kAlarmIconColoured));
    qpb_JiShiQi->setIcon(QIcon(kTimerIcon));
    qpb_NaoZhong->setIconSize(kTypeIconSize);
    qpb_JiShiQi->setIconSize(kTypeIconSize);
    qpb_NaoZhong->setChecked(true); // auto-exclusive: this unchecks the timer button
    qpb_NaoZhong->setFocus(Qt::OtherFocusReason);
}

void XingJianChuangKou::showTimerLook()
{
    qpb_NaoZhong->setIcon(QIcon(kAlarmIcon));
    qpb_JiShiQi->setIcon(QIcon(kTimerIconColoured));
    qpb_NaoZhong->setIconSize(kTypeIconSize);
    qpb_JiShiQi->setIconSize(kTypeIconSize);
    qpb_JiShiQi->setChecked(true);
    qpb_JiShiQi->setFocus(Qt::OtherFocusReason);
}

void XingJianChuangKou::NaoZhongAnXia()
{
    showAlarmLook();
    qle_MingCheng->setText(StorageFile::kAlarm);
    qte_ShiJian->setGeometry(kAlarmTimeGeometry);
    qte_ShiJian->setDisplayFormat(kAlarmFormat);
    qte_ShiJian->setMaximumTime(QTime(23, 59, 59));
    ql_TiShi->setText(kAlarmHint);
    ql_TiShi->setFont(withPointSize(ql_TiShi->font(), 10));
    ql_TiShi->setGeometry(kAlarmHintGeometry);
    qtw_ChongFu->setEnabled(true);
}

void XingJianChuangKou::JiShiQiAnXia()
{
    showTimerLook();
    qle_MingCheng->setText(StorageFile::kTimer);
    qte_ShiJian->setGeometry(kTimerTimeGeometry);
    qte_ShiJian->setDisplayFormat(kTimerFormat);
    ql_TiShi->setText(kTimerHint);
    ql_TiShi->setFont(withPointSize(ql_TiShi->font(), 8));
    ql_TiShi->setGeometry(kTimerHintGeometry);
    clearWeekdays(); // timers never carry weekdays
    collapseRepeatList();
    qtw_ChongFu->setEnabled(false);
}

void XingJianChuangKou::HuanYuanKongJian()
{
    setWindowTitle(kNewTitle);
    showAlarmLook();
    qle_MingCheng->setText(StorageFile::kAlarm);
    qte_ShiJian->setTime(QTime(0, 0, 0));
    qte_ShiJian->setGeometry(kAlarmTimeGeometry);
    qte_ShiJian->setDisplayFormat(kAlarmFormat);
    ql_TiShi->setText(kAlarmHint);
    ql_TiShi->setGeometry(kAlarmHintGeometry);

    collapseRepeatList();
    qtw_ChongFu->setEnabled(true);
    clearWeekdays();

    qpb_ShengYinWenJian->setIcon(QIcon());
    qpb_ShengYinWenJian->setText(kDefaultSoundCaption);
    m_chosenSounds.clear();
    m_chosenCommands.clear();
    qpb_MingLingWenJian->setIcon(QIcon());
    qpb_MingLingWenJian->setText(kNoCommandCaption);

    qmp_BoFang->stop();
    qpb_BoFang->setText(kPlay);
    m_previewPlaying = 0;
    qcb_FanFuNaoLing->setChecked(true);
}

void XingJianChuangKou::Qpb_GuanBi_DianJi()
{
    HuanYuanKongJian();
    m_editFlag = 0;
    close();
}

void XingJianChuangKou::closeEvent(QCloseEvent *event)
{
    HuanYuanKongJian();
    m_editFlag = 0;
    event->accept(); // hiding the dialog ends the caller's exec()
}

void XingJianChuangKou::reject()
{
    close();
}
