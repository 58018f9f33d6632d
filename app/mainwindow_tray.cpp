#include "app/mainwindow.h"

#include <QAction>

namespace {
const QString kForcedOff = QStringLiteral("当前状态:否\n点击切换强制提醒");
const QString kForcedOn = QStringLiteral("当前状态:是\n点击切换强制提醒");
} // namespace

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
    if (text == kForcedOff)
        qa_QiangZhiQuanPingTiXing->setText(kForcedOn);
    else if (text == kForcedOn)
        qa_QiangZhiQuanPingTiXing->setText(kForcedOff);
}
