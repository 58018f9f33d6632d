#include "app/mainwindow.h"

// New, edit and delete arrive with the editor work.
void MainWindow::XingJian() {}

void MainWindow::BianJi() {}

void MainWindow::ShanChu() {}
