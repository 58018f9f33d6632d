#include "app/mainwindow.h"

void MainWindow::BangZhu()
{
    // The help dialog's text and showing arrive with the help work.
}
