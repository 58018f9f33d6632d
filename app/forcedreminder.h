#ifndef TAVREL_FORCEDREMINDER_H
#define TAVREL_FORCEDREMINDER_H

#include <QString>

// The forced-reminder toggle keeps its state in its tool bar text; these are its two texts.
namespace ForcedReminder {
inline const QString kOffText = QStringLiteral("当前状态:否\n点击切换强制提醒");
inline const QString kOnText = QStringLiteral("当前状态:是\n点击切换强制提醒");
} // namespace ForcedReminder

#endif // TAVREL_FORCEDREMINDER_H
