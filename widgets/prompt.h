#ifndef TAVREL_WIDGETS_PROMPT_H
#define TAVREL_WIDGETS_PROMPT_H

// The old window's names for the prompts, kept until it moves to ui/.
#include "ui/prompt.h"
#include "ui/reminderbox.h"

namespace Prompt {

inline QSize reminderSize(const QSize &desktop)
{
    return ReminderBox::sizeOn(desktop);
}

inline QMessageBox *showReminder(QWidget *parent, const QString &text)
{
    auto *box = new ReminderBox(parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setReminderText(text);
    box->show();
    centreOnDesktop(box);
    box->raise();
    return box;
}

} // namespace Prompt

#endif // TAVREL_WIDGETS_PROMPT_H
