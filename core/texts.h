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
inline const QString kUnreadableAtStart = QStringLiteral(
    "无法读取存储文件，列表暂时为空，文件没有改动：\n%1\n请检查文件的读取权限后重新启动程序。");
inline const QString kOccupiedByDirectory =
    QStringLiteral("存储文件的位置被一个文件夹占用，列表暂时为空，该文件夹没有改动：\n%1"
                   "\n请移走该文件夹后重新启动程序。");
inline const QString kLostEntriesRestored =
    QStringLiteral("存储文件在程序运行时被其他程序截短，缺少了列表中的条目。"
                   "已按列表恢复存储文件，截短后的文件已原样备份为：\n%1");

} // namespace Texts

#endif // TAVREL_TEXTS_H
