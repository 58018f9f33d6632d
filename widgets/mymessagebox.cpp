#include "widgets/mymessagebox.h"

#include "widgets/prompt.h"

#include <QEvent>

MyMessageBox::MyMessageBox(QWidget *parent) : QMessageBox(parent) {}

void MyMessageBox::showEvent(QShowEvent *event)
{
    setFixedSize(Prompt::reminderSize(Prompt::desktopSize()));
    QMessageBox::showEvent(event);
    setFixedSize(Prompt::reminderSize(Prompt::desktopSize()));
}

// The base class fixes its own compact size on show and again on every later layout pass;
// the reminder has to stay large, so its size is restored after each of them.
bool MyMessageBox::event(QEvent *event)
{
    const bool handled = QMessageBox::event(event);
    if (event->type() == QEvent::LayoutRequest && isVisible())
        setFixedSize(Prompt::reminderSize(Prompt::desktopSize()));
    return handled;
}
