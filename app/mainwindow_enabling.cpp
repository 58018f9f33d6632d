#include "app/mainwindow.h"

// Enabling and disabling arrive with the scheduling work.
void MainWindow::Qcb_ZhiBianHua(int a)
{
    Q_UNUSED(a);
}

void MainWindow::QiYongTingYong() {}

void MainWindow::ZhiBianHua() {}
