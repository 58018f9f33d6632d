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
inline const QString kChangedDamaged =
    QStringLiteral("存储文件在程序运行时被其他程序改动，内容有误（%1）。"
                   "已按列表恢复存储文件，改动后的文件已原样备份为：\n%2");
inline const QString kLostEntriesRestored =
    QStringLiteral("存储文件在程序运行时被其他程序截短，缺少了列表中的条目。"
                   "已按列表恢复存储文件，截短后的文件已原样备份为：\n%1");

// ---------------------------------------------------------------------------------------------
// Shown on screen: the editor, prompts, the reminder and the help
// ---------------------------------------------------------------------------------------------

// The editor's title for a new entry and for an edit.
inline const QString kNewTitle = QStringLiteral("新建");
inline const QString kEditTitle = QStringLiteral("编辑");

inline const QString kNameLabel = QStringLiteral("名称：");
inline const QString kTimeLabel = QStringLiteral("时间：");
inline const QString kAlarmHint = QStringLiteral("<---设置闹钟时间（小时:分钟）");
inline const QString kTimerHint = QStringLiteral("<---多少时间后闹铃（小时:分钟:秒）");
inline const QString kRepeatPrefix = QStringLiteral("重复：");
inline const QString kRepeatOnce = QStringLiteral("重复：一次");
inline const QString kWarningLabel = QStringLiteral("警告");
inline const QString kRingLabel = QStringLiteral("播放响铃");
inline const QString kLoopBox = QStringLiteral("反复闹铃");
inline const QString kCommandLabel = QStringLiteral("执行文件:");
inline const QString kPlay = QStringLiteral("播放");
inline const QString kStop = QStringLiteral("停止");
inline const QString kSave = QStringLiteral("保存");
inline const QString kClose = QStringLiteral("关闭");
// While a file button shows one of these, the built-in ring or no command file is chosen.
inline const QString kDefaultSoundCaption = QStringLiteral("默认响铃(点击此按钮更换音乐/右击为默认响铃)");
inline const QString kNoCommandCaption = QStringLiteral("无（点击选择命令文件/右击为“无”）");

inline const QString kChooseMusicTitle = QStringLiteral("选择音乐文件");
inline const QString kChooseCommandTitle = QStringLiteral("选择命令文件");
inline const QString kMusicFilter = QStringLiteral("File(*.mp3* *.wav* *.wma* *.aac* *.flac* *.ogg*)");

// Appended to a path.
inline const QString kSoundMissingInEditor = QStringLiteral("   声音文件不存在，恢复为默认响铃。");
inline const QString kCommandMissingInEditor = QStringLiteral("   命令文件不存在，恢复为无。");
inline const QString kPathHasLineBreak = QStringLiteral("   文件路径中含有换行符，无法保存，请选择其他文件。");

inline const QString kSaved = QStringLiteral("保存成功。");
inline const QString kListFull = QStringLiteral("闹钟和计时器数量最多为20个,无法保存。");

inline const QString kHelpTitle = QStringLiteral("Tavrel");

// "帮助": paragraphs of the help text, shown kept apart by two empty lines.
inline const QStringList kHelpParagraphs = {
    QStringLiteral("欢迎使用 Tavrel V2.03 —— 桌面闹钟与计时器。\n"
                   "Tavrel V2.03 现已发布。"),

    QStringLiteral("使用说明\n"
                   "1. 所有闹钟、计时器和背景设置都保存在文档目录（<文档>）下的“Tavrel存储文件.txt”中；"
                   "启动时找不到这个文件，程序会自动新建一个。不同版本的存储格式可能不同，如果程序运行不正常，"
                   "请先退出程序，删除存储文件（所有设置会被清空），再重新启动。"),

    QStringLiteral("2. 点击“新建”可以新建闹钟或计时器。在弹出的窗口中选择类型，填写名称和时间：闹钟的时间是响铃的时刻，"
                   "计时器的时间是启用后还要等多久才响铃。闹钟可以勾选每周重复的日子。响铃可以自定义：不去改动或在按钮上"
                   "点右键就是默认响铃，也可以选择 mp3、wav、wma、aac、flac、ogg "
                   "格式的声音文件；还可以选择响铃是否反复播放。"
                   "点击保存后，新的一项会被创建并立即启用。闹钟和计时器合计最多 20 个。"),

    QStringLiteral("3. 在列表中选中一项，再点击“编辑...”，会打开这一项的编辑窗口；修改后点击保存按钮即可生效。"),

    QStringLiteral("4. 在列表中选中一项，再点击“删除”，确认后这一项会被删除。"),

    QStringLiteral("5. 在列表中选中一项，再点击“启用/停用”，可以启用或停用它；每一项最右边的勾选框作用相同。"),

    QStringLiteral("6. 播放响铃时，点击“停止”可以停下音乐；设有每周重复日子的闹钟停下后仍然保持启用。"),

    QStringLiteral("7. 关闭程序不会保留闹钟和计时器的启用状态，下次启动时它们都是停用的。"),

    QStringLiteral("8. 程序的托盘图标在屏幕右下角：左键单击它显示主窗口；把鼠标停在图标上或右键单击它，"
                   "可以看到距离下一次响铃还有多长时间。"),

    QStringLiteral("9. 设有每周重复日子的闹钟，如果响铃不反复播放，响铃播放完后仍然保持启用，到下一个重复的日子会再次响铃。"),

    QStringLiteral("10. 点击“设置背景”可以选择一张本地图片作为列表的背景（.bmp、.gif、.jpeg、.png、.tiff、.jpg）；"
                   "设置后按钮变为“清除背景”，点击它即可去掉背景。"),

    QStringLiteral("更新记录\n"
                   "V1.01\n"
                   "1. 修复了一个已知问题。"),

    QStringLiteral("V1.02\n"
                   "1. 名称中可以包含逗号。\n"
                   "2. 声音文件的文件名中可以包含逗号。\n"
                   "3. 编辑已有的一项时，编辑窗口的标题会标明是在编辑。\n"
                   "4. 部分窗口改为稍后创建，减少读取存储文件的次数。\n"
                   "5. 新增背景图片。\n"
                   "6. 调整了列表中各项的显示。\n"
                   "7. 修复了若干小问题。"),

    QStringLiteral("V1.03\n"
                   "1. 启动时自动升级旧版本的存储文件。\n"
                   "2. 修复了计时器时间显示不正确的问题。\n"
                   "3. 修复了删除后列表显示错位的问题。\n"
                   "4. 修复了编辑后响铃设置没有更新的问题。\n"
                   "5. 修复了其他小问题。"),

    QStringLiteral("V1.04\n"
                   "1. 修复了一处会导致程序崩溃的问题。"),

    QStringLiteral("V1.05\n"
                   "1. 修复了另一处会导致程序崩溃的问题。"),

    QStringLiteral("V2.00\n"
                   "1. 重新整理了程序代码。\n"
                   "2. 响铃开始时可以运行一个指定的文件。\n"
                   "3. 支持 .desktop 启动器文件。\n"
                   "4. 响铃时显示系统通知。\n"
                   "5. 新增“停止”功能。"),

    QStringLiteral("V2.01\n"
                   "1. 支持运行 .sh 脚本文件。例如脚本中写 echo '你的密码' | sudo -S 命令，可以把密码交给 sudo "
                   "执行需要管理员权限的命令（密码会以明文保存在脚本里，请注意安全）。\n"
                   "2. 托盘菜单新增“退出程序”。\n"
                   "3. 帮助窗口加入滚动条，并固定了大小。"),

    QStringLiteral("V2.02\n"
                   "1. 新增强制提醒：窗口最小化时响铃也会弹出提醒，可以在工具栏上切换。"),

    QStringLiteral("V2.03\n"
                   "1. 修复了响铃有时无法停止的问题。\n"
                   "2. 编辑窗口中的“重复闹铃”改名为“反复闹铃”：反复闹铃是指一次响铃时音乐反复播放，直到被停止；"
                   "每周重复是指闹钟在选定的星期几再次响铃。\n"
                   "3. 修复了其他问题。"),
};

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
inline const QString kListName = QStringLiteral("闹钟和计时器"); // what a screen reader calls the list
// A hand-edited timer longer than the editor and the countdown can show: kept as stored, not run.
inline const QString kTimerTooLong = QStringLiteral("   计时器时间超过99:59:59，无法启用，请编辑后再用。");
// A hand-edited minute or second above 59, or an alarm hour above 23: kept as stored, not run.
inline const QString kTimeOutOfRange = QStringLiteral("   时间超出范围，无法启用，请编辑后再用。");
inline const QString kUnknownType = QStringLiteral("   类型不是闹钟或计时器，无法启用，请编辑后再用。");

// Rings
inline const QString kAlarmRangTitle = QStringLiteral("闹钟时间到了");
inline const QString kTimerRangTitle = QStringLiteral("计时器时间到了");
// The forced reminder and the tray message: the entry's name, then this.
inline const QString kArrived = QStringLiteral("   到了。");
// Rings again after the snooze length (the reminder box, the tray menu and the notification).
inline const QString kSnooze = QStringLiteral("稍后提醒");
// Said of a row whose ring was snoozed, while it waits to ring again.
inline const QString kSnoozeWaiting = QStringLiteral("稍后再响");
inline const QString kAlarmTimeOpen = QStringLiteral("[");
inline const QString kAlarmTimeClose = QStringLiteral("]   ");
inline QString lateRingNote(const QString &dueHHmm) { return QStringLiteral("（原定 %1）").arg(dueHHmm); }
inline QString soundFailed(const QString &path)
{
    return path + QStringLiteral("   音乐文件无法播放，已改用默认响铃。");
}

inline const QString kNoSoundModule =
    QStringLiteral("无法加载播放声音所需的模块，本次响铃没有声音，请检查程序是否完整安装。");

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

// ---------------------------------------------------------------------------------------------
// Settings: the dialog, its entry in the tray menu and the list's context menu, and its prompts
// ---------------------------------------------------------------------------------------------

inline const QString kSettingsCommand = QStringLiteral("设置...");
inline const QString kSettingsTitle = QStringLiteral("设置");
inline const QString kKeepAlarmsEnabledBox = QStringLiteral("下次启动时保留闹钟的启用状态（计时器仍为停用）");
inline const QString kStartAtLoginBox = QStringLiteral("登录时自动启动，只显示托盘图标");
inline const QString kSnoozeLabel = QStringLiteral("稍后提醒间隔：");
inline const QString kMinutesSuffix = QStringLiteral(" 分钟");
inline const QString kSettingsNotSaved =
    QStringLiteral("无法保存设置，本次运行按新设置进行，下次启动时仍是原来的设置：\n%1\n请检查配置目录后再试。");
inline const QString kAutostartNotWritten =
    QStringLiteral("无法写入自动启动文件，登录时不会自动启动：\n%1\n原因：%2");
inline const QString kAutostartNotRemoved =
    QStringLiteral("无法删除自动启动文件，登录时仍会自动启动：\n%1\n原因：%2");
inline const QString kFolderNotMade = QStringLiteral("无法建立文件夹 %1");
inline const QString kProgramPathUnusable = QStringLiteral("程序路径中含有换行等控制字符");

} // namespace Texts

#endif // TAVREL_TEXTS_H
