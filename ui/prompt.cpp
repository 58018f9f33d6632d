#include "ui/prompt.h"

#include <QApplication>
#include <QDesktopWidget>
#include <QMessageBox>

namespace Prompt {

QPoint centredPosition(const QSize &desktop, const QSize &widget)
{
    return QPoint((desktop.width() - widget.width()) / 2, (desktop.height() - widget.height()) / 2);
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
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setText(text);
    box->show();
    centreOnDesktop(box);
    return box;
}

} // namespace Prompt
