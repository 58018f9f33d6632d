#ifndef TAVREL_PROMPT_H
#define TAVREL_PROMPT_H

#include <QPoint>
#include <QSize>
#include <QString>

class QMessageBox;
class QWidget;

// Prompts never block: every message the program raises is one call to show().
namespace Prompt {

// Where a widget of the given size sits centred on a desktop of the given size.
QPoint centredPosition(const QSize &desktop, const QSize &widget);

// The whole virtual desktop's size.
QSize desktopSize();

// Moves a widget to the middle of the desktop, using its current size.
void centreOnDesktop(QWidget *widget);

// A non-modal message box owned by parent, showing text, centred on the desktop. It is deleted
// when closed: nothing refers to a prompt once it is on screen.
QMessageBox *show(QWidget *parent, const QString &text);

} // namespace Prompt

#endif // TAVREL_PROMPT_H
