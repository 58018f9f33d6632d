#include "widgets/mymessagebox.h"

#include "widgets/prompt.h"

MyMessageBox::MyMessageBox(QWidget *parent) : QMessageBox(parent) {}

void MyMessageBox::showEvent(QShowEvent *event)
{
    const QSize size = Prompt::reminderSize(Prompt::desktopSize());
    setFixedSize(size);
    QMessageBox::showEvent(event);
    // The base class fixes its own compact size while it shows; the reminder must stay large.
    setFixedSize(size);
}
