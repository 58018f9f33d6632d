#include "app/mainwindow.h"

// Ringing arrives with the scheduling work.
void MainWindow::NaoZhongChuFa() {}

void MainWindow::JiShiQiChuFa() {}

void MainWindow::TingZhi() {}
