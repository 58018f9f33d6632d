#ifndef TAVREL_CORE_AUTOSTART_H
#define TAVREL_CORE_AUTOSTART_H

#include <QString>

// The desktop's start at login: an entry in $XDG_CONFIG_HOME/autostart named like the program's
// launcher (tavrel.desktop), which starts the program with only its tray icon showing.
namespace Autostart {

inline const QString kTrayOption = QStringLiteral("tray"); // --tray: start hidden in the tray

// $XDG_CONFIG_HOME/autostart/tavrel.desktop (or ~/.config/…), looked up afresh each call.
QString entryPath();
// The entry's text for the program at this absolute path.
QString entryText(const QString &program);
// How a desktop entry's Exec line spells one argument: quoted when it holds a reserved
// character, then escaped as every string value of the file is.
QString execArgument(const QString &argument);

// Writes the entry atomically; false with the reason in *error when it could not (a file where
// the directory should be, no write permission, a program path no entry can hold).
bool install(const QString &program, QString *error);
// Removes the entry; true when none is left.
bool uninstall(QString *error);

} // namespace Autostart

#endif // TAVREL_CORE_AUTOSTART_H
