#include "widgets/mymessagebox.h"

#include "widgets/prompt.h"

MyMessageBox::MyMessageBox(QWidget *parent) : QMessageBox(parent) {}

void MyMessageBox::showEvent(QShowEvent *event)
{
    setFixedSize(Prompt::reminderSize(Prompt::desktopSize()));
    QMessageBox::showEvent(event);
}
