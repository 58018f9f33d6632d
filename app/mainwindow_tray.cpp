#include "app/mainwindow.h"

#include "app/forcedreminder.h"

#include <QAction>

void MainWindow::TuoPan(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
        showNormal();
        activateWindow();
    }
}

void MainWindow::QiangZhiQuanPingTiXing()
{
    const QString text = qa_QiangZhiQuanPingTiXing->text();
    if (text == ForcedReminder::kOffText)
        qa_QiangZhiQuanPingTiXing->setText(ForcedReminder::kOnText);
    else if (text == ForcedReminder::kOnText)
        qa_QiangZhiQuanPingTiXing->setText(ForcedReminder::kOffText);
}
