#include "app/mainwindow.h"

// The next-ring text arrives with the scheduling work.
void MainWindow::ShuaXingXiaYiCiNaoLing() {}
