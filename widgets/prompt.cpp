#include "widgets/prompt.h"

#include "widgets/mymessagebox.h"

#include <QApplication>
#include <QDesktopWidget>

namespace Prompt {

QPoint centredPosition(const QSize &desktop, const QSize &widget)
{
    return QPoint((desktop.width() - widget.width()) / 2, (desktop.height() - widget.height()) / 2);
}

QSize reminderSize(const QSize &desktop)
{
    return QSize(desktop.width() - 200, desktop.height() - 200);
}

QSize desktopSize()
{
    return QApplication::desktop()->geometry().size();
}

void centreOnDesktop(QWidget *widget)
{
    widget->move(centredPosition(desktopSize(), widget->size()));
}

QMessageBox *show(QWidget *parent, const QString &text)
{
    auto *box = new QMessageBox(parent);
    box->setText(text);
    box->show();
    centreOnDesktop(box);
    return box;
}

QMessageBox *showReminder(QWidget *parent, const QString &text)
{
    auto *box = new MyMessageBox(parent);
    // One box per ring, each nearly desktop-sized: a closed one must not stay in memory until exit.
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setText(text);
    box->show();
    centreOnDesktop(box);
    box->raise();
    return box;
}

} // namespace Prompt
