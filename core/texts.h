#ifndef TAVREL_TEXTS_H
#define TAVREL_TEXTS_H

#include <QString>
#include <QStringList>

// Every text the program stores or shows, byte for byte, in one place. The storage file's words
// are compared as exact strings by every reader, so a single changed character loses data.
namespace Texts {

// ---------------------------------------------------------------------------------------------
// The storage file: its name, keys and stored words
// ---------------------------------------------------------------------------------------------

// Appended to the Documents directory.
inline const QString kStorageFileName = QStringLiteral("/Tavrel存储文件.txt");
// A damaged file is copied to its own path + this + "yyyyMMdd-HHmmss" (+ "-2", "-3"... if taken).
inline const QString kBackupInfix = QStringLiteral(".损坏备份-");

// The header line: 数量,<count>,背景图片,<picture or 无>
inline const QString kCountKey = QStringLiteral("数量");
inline const QString kBackgroundKey = QStringLiteral("背景图片");

// The nine keys of an entry record, in file order.
inline const QString kIndexKey = QStringLiteral("序号");
inline const QString kTypeKey = QStringLiteral("类型");
inline const QString kNameKey = QStringLiteral("名称");
inline const QString kTimeKey = QStringLiteral("时间");
inline const QString kRepeatKey = QStringLiteral("每周重复");
inline const QString kSoundKey = QStringLiteral("声音文件");
inline const QString kCommandKey = QStringLiteral("命令文件");
inline const QString kLoopKey = QStringLiteral("重复闹铃");
inline const QString kStateKey = QStringLiteral("状态");

inline const QString kAlarm = QStringLiteral("闹钟");
inline const QString kTimer = QStringLiteral("计时器");
inline const QString kOn = QStringLiteral("开启");
inline const QString kOff = QStringLiteral("关闭");
inline const QString kYes = QStringLiteral("是");
inline const QString kNo = QStringLiteral("否"); // also: no weekly repeat
inline const QString kDefaultSound = QStringLiteral("默认响铃");
inline const QString kNone = QStringLiteral("无"); // no command file, no background picture

inline const QString kMonday = QStringLiteral("星期一");
inline const QString kTuesday = QStringLiteral("星期二");
inline const QString kWednesday = QStringLiteral("星期三");
inline const QString kThursday = QStringLiteral("星期四");
inline const QString kFriday = QStringLiteral("星期五");
inline const QString kSaturday = QStringLiteral("星期六");
inline const QString kSunday = QStringLiteral("星期日");

// Monday first, as Qt::DayOfWeek counts (Qt::Monday == 1).
inline const QStringList kDayNames = {kMonday, kTuesday, kWednesday, kThursday, kFriday, kSaturday, kSunday};

// ---------------------------------------------------------------------------------------------
// What the storage file's reader reports (StorageNotice::text() composes the prompts)
// ---------------------------------------------------------------------------------------------

// Why a file counts as damaged.
inline const QString kDamageHeader = QStringLiteral("首行无法识别");
inline const QString kDamageCount = QStringLiteral("条目数量无法识别");
inline const QString kDamageCountRange = QStringLiteral("条目数量不在0到20之间");
inline const QString kDamageRecord = QStringLiteral("第%1个条目格式不对"); // %1: 1-based entry
inline const QString kDamageShort = QStringLiteral("文件比条目数量所说的短");
inline const QString kDamageTrailing = QStringLiteral("最后一个条目之后还有多余的行");
inline const QString kDamageUtf8 = QStringLiteral("不是有效的UTF-8文本");

inline const QString kDamagedBackedUp = QStringLiteral("存储文件内容有误（%1），原文件已原样备份为：\n%2");
inline const QString kDamagedNoBackup =
    QStringLiteral("存储文件内容有误（%1），且无法备份到：\n%2\n为保护原有内容，本次运行不会改动存储文件；"
                   "请检查磁盘空间和文件权限后重新启动程序。");
inline const QString kUnreadableAtStart =
    QStringLiteral("无法读取存储文件，列表暂时为空，文件没有改动：\n%1\n请检查文件的读取权限后重新启动程序。");
inline const QString kOccupiedByDirectory =
    QStringLiteral("存储文件的位置被一个文件夹占用，列表暂时为空，该文件夹没有改动：\n%1"
                   "\n请移走该文件夹后重新启动程序。");
inline const QString kLostEntriesRestored =
    QStringLiteral("存储文件在程序运行时被其他程序截短，缺少了列表中的条目。"
                   "已按列表恢复存储文件，截短后的文件已原样备份为：\n%1");

// ---------------------------------------------------------------------------------------------
// Shown by the main window: tool bar, rows, tray, rings and its prompts
// ---------------------------------------------------------------------------------------------

inline const QString kWindowTitle = QStringLiteral("Tavrel");

// Tool bar
inline const QString kNewCommand = QStringLiteral("新建");
inline const QString kEditCommand = QStringLiteral("编辑...");
inline const QString kDeleteCommand = QStringLiteral("删除");
inline const QString kToggleCommand = QStringLiteral("启用/停用");
inline const QString kStopCommand = QStringLiteral("停止");
inline const QString kSetBackground = QStringLiteral("设置背景");
inline const QString kClearBackground = QStringLiteral("清除背景");
inline const QString kHelpCommand = QStringLiteral("帮助");
inline const QString kForcedReminderOff = QStringLiteral("当前状态:否\n点击切换强制提醒");
inline const QString kForcedReminderOn = QStringLiteral("当前状态:是\n点击切换强制提醒");

// Tray
inline const QString kNextRingCaption = QStringLiteral("下一次响铃所需时间：");
inline const QString kNoRing = QStringLiteral("无响铃");
inline const QString kQuit = QStringLiteral("退出程序");

// Rows
inline const QString kRowRepeatPrefix = QStringLiteral("   每周重复：");
inline const QString kDaySeparator = QStringLiteral("、");
inline const QString kEnabledWord = QStringLiteral("已启用");
inline const QString kDisabledWord = QStringLiteral("已停用");
inline const QString kEnableBoxPrefix = QStringLiteral("启用 ");

// Rings
inline const QString kAlarmRangTitle = QStringLiteral("闹钟时间到了");
inline const QString kTimerRangTitle = QStringLiteral("计时器时间到了");
inline const QString kArrived = QStringLiteral("   到了。");
inline const QString kAlarmTimeOpen = QStringLiteral("[");
inline const QString kAlarmTimeClose = QStringLiteral("]   ");
inline QString lateRingNote(const QString &dueHHmm) { return QStringLiteral("（原定 %1）").arg(dueHHmm); }
inline QString soundFailed(const QString &path)
{
    return path + QStringLiteral("   音乐文件无法播放，已改用默认响铃。");
}

// Prompts
inline const QString kNotReady = QStringLiteral("后台加载尚未完成，请稍后再试。");
inline const QString kDeleted = QStringLiteral("删除成功。");
inline const QString kConfirm = QStringLiteral("确定");
inline const QString kCancel = QStringLiteral("取消");
inline QString deleteQuestion(const QString &type, const QString &name, const QString &time)
{
    return QStringLiteral("确认删除类型为[") + type + QStringLiteral("]、名称为[") + name +
           QStringLiteral("]、时间为[") + time + QStringLiteral("]的 ") + type + QStringLiteral(" 吗？");
}
inline const QString kPictureMissing = QStringLiteral("   图片文件不存在。");
inline const QString kChoosePicture = QStringLiteral("选择图片文件");
inline const QString kPictureFilter = QStringLiteral("File(*.bmp* *.gif* *.jpeg* *.png* *.tiff* *.jpg*)");
inline const QString kPicturePathHasLineBreak = QStringLiteral("   文件路径含有换行符，无法保存为背景。");
inline const QString kPictureUnreadable = QStringLiteral("   无法作为图片读取，未设置背景。");
inline const QString kBackgroundNotRead = QStringLiteral("无法读取存储文件，背景设置未保存。");
inline const QString kBackgroundNotWritten = QStringLiteral("无法写入存储文件，背景设置未保存。");
inline const QString kStorageNotRead = QStringLiteral("无法读取存储文件，本次没有更改，请稍后再试。");
inline const QString kNotDeleted = QStringLiteral("无法写入存储文件，条目没有删除，请检查文档目录后再试。");

inline const QString kSoundMissingAtStart = QStringLiteral("   音乐文件不存在，将用默认响铃替代。");
inline const QString kSoundMissing = QStringLiteral("   音乐文件不存在，将用默认响铃代替。");
inline const QString kCommandMissing = QStringLiteral("   命令文件不存在。");
// Rings the clock jumped over long ago: not rung, listed one per line ("起床 12月08日 07:30").
inline const QString kMissedRings = QStringLiteral("时间跳变期间错过了以下响铃（已超过12小时，未补响）：");
inline const QString kSaveNotRead = QStringLiteral("无法读取存储文件，本次没有保存，请稍后再试。");
inline const QString kSaveNotWritten = QStringLiteral("无法写入存储文件，本次没有保存，请检查文档目录后再试。");
inline const QString kEditedEntryGone = QStringLiteral("要编辑的条目已不在存储文件中，本次没有保存。");

} // namespace Texts

#endif // TAVREL_TEXTS_H
