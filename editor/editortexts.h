#ifndef TAVREL_EDITORTEXTS_H
#define TAVREL_EDITORTEXTS_H

#include <QString>

// Texts of the editor dialog that its parts compare or share. The two captions carry meaning:
// while a button shows one, the built-in ring or no command file is chosen.
namespace EditorTexts {

inline const QString kDefaultSoundCaption = QStringLiteral("默认响铃(点击此按钮更换音乐/右击为默认响铃)");
inline const QString kNoCommandCaption = QStringLiteral("无（点击选择命令文件/右击为“无”）");
inline const QString kNewTitle = QStringLiteral("新建");
inline const QString kEditTitle = QStringLiteral("编辑");
inline const QString kAlarmHint = QStringLiteral("<---设置闹钟时间（小时:分钟）");
inline const QString kTimerHint = QStringLiteral("<---多少时间后闹铃（小时:分钟:秒）");
inline const QString kAlarmFormat = QStringLiteral("HH:mm");
inline const QString kTimerFormat = QStringLiteral("HH:mm:ss");
inline const QString kPlay = QStringLiteral("播放");
inline const QString kStop = QStringLiteral("停止");
inline const QString kAlarmIcon = QStringLiteral(":/res/闹钟.png");
inline const QString kAlarmIconColoured = QStringLiteral(":/res/闹钟-彩色.png");
inline const QString kTimerIcon = QStringLiteral(":/res/计时器.png");
inline const QString kTimerIconColoured = QStringLiteral(":/res/计时器-彩色.png");

} // namespace EditorTexts

#endif // TAVREL_EDITORTEXTS_H
