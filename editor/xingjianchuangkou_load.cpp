// Filling the editor from a stored entry, so that it looks as it did when the entry was saved.
#include "editor/xingjianchuangkou.h"

#include "editor/editortexts.h"
#include "editor/entryrecord.h"
#include "widgets/prompt.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QTreeWidget>

using namespace EditorTexts;
using namespace StorageFile;

namespace {
const QRect kAlarmTimeGeometry(45, 85, 140, 30);
const QRect kTimerTimeGeometry(45, 85, 160, 30);
const QRect kAlarmHintGeometry(190, 80, 205, 40);
const QRect kTimerHintGeometry(210, 80, 185, 40);
} // namespace

void XingJianChuangKou::BianJiChuanRu(int position, QString type, QString name, QString time, QString repeat,
                                      QString sound, QString command, QString loop, QString state)
{
    setWindowTitle(kEditTitle);
    m_editPosition = position;
    m_editFlag = 1;
    m_keptState = state;
    if (type == kAlarm)
        showAlarmLook();
    else if (type == kTimer)
        showTimerLook();
    qle_MingCheng->setText(name); // unlike the mode buttons, loading keeps the stored name
    loadTime(type, time);
    loadRepeat(type, repeat);

    const bool soundLoaded =
        sound != kDefaultSound && loadChosenFile(qpb_ShengYinWenJian, m_chosenSounds, sound);
    if (sound != kDefaultSound && !soundLoaded)
        Prompt::show(this, sound + QStringLiteral("   声音文件不存在，恢复为默认响铃。"));
    if (!soundLoaded) {
        qpb_ShengYinWenJian->setIcon(QIcon());
        qpb_ShengYinWenJian->setText(kDefaultSoundCaption);
    }
    const bool commandLoaded =
        command != kNone && loadChosenFile(qpb_MingLingWenJian, m_chosenCommands, command);
    if (command != kNone && !commandLoaded)
        Prompt::show(this, command + QStringLiteral("   命令文件不存在，恢复为无。"));
    if (!commandLoaded) {
        qpb_MingLingWenJian->setIcon(QIcon());
        qpb_MingLingWenJian->setText(kNoCommandCaption);
    }

    if (loop == kYes)
        qcb_FanFuNaoLing->setChecked(true);
    else if (loop == kNo)
        qcb_FanFuNaoLing->setChecked(false);
}

// An existing file becomes the choice and is shown on its button; anything else is refused.
bool XingJianChuangKou::loadChosenFile(QPushButton *button, QStringList &chosen, const QString &path)
{
    if (!QFileInfo(path).isFile())
        return false;
    chosen = QStringList{path};
    showChosenFile(button, path);
    return true;
}

void XingJianChuangKou::loadTime(const QString &type, const QString &time)
{
    const QStringList parts = time.split(QLatin1Char(':'));
    const int hours = toIntOrZero(parts.value(0));
    const int minutes = toIntOrZero(parts.value(1));
    const bool alarm = type == kAlarm;
    if (!alarm && type != kTimer)
        return;
    const QTime value(hours, minutes, alarm ? 0 : toIntOrZero(parts.value(2)));
    if (value.isValid())
        qte_ShiJian->setTime(value);
    qte_ShiJian->setGeometry(alarm ? kAlarmTimeGeometry : kTimerTimeGeometry);
    qte_ShiJian->setDisplayFormat(alarm ? kAlarmFormat : kTimerFormat);
    qte_ShiJian->setMaximumTime(QTime(23, 59, 59));
    ql_TiShi->setText(alarm ? kAlarmHint : kTimerHint);
    QFont font = ql_TiShi->font();
    font.setPointSize(alarm ? 10 : 8);
    ql_TiShi->setFont(font);
    ql_TiShi->setGeometry(alarm ? kAlarmHintGeometry : kTimerHintGeometry);
}

void XingJianChuangKou::loadRepeat(const QString &type, const QString &repeat)
{
    if (type == kTimer) {
        collapseRepeatList();
        clearWeekdays();
        qtw_ChongFu->setEnabled(false);
        return;
    }
    if (type != kAlarm)
        return;
    qtw_ChongFu->setEnabled(true);
    if (repeat == kNo) {
        collapseRepeatList();
        clearWeekdays();
    } else {
        if (!qtwi_ChongFu->isExpanded())
            qtwi_ChongFu->setExpanded(true); // opens the list through its signal
        const QList<QCheckBox *> days = weekdayBoxes();
        if (repeat.size() == 3) {
            const int d = weekdayNames().indexOf(repeat);
            if (d >= 0) {
                days.at(d)->setChecked(true);
                qtwi_ChongFu->setText(0, QStringLiteral("重复：") + repeat);
            }
        } else if (repeat.size() > 3) {
            const QStringList elements = repeat.split(QLatin1Char('|'));
            for (const QString &element : elements) {
                const int d = weekdayNames().indexOf(element);
                if (d >= 0)
                    days.at(d)->setChecked(true);
            }
            showSummary(EntryRecord::repeatSummary(elements));
        }
    }
    setWeekdaysVisible(true);
}
