#include "app/mainwindow.h"

// The tick arrives with the scheduling work.
void MainWindow::GengXingShiJian() {}
