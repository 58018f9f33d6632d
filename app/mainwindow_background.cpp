#include "app/mainwindow.h"

#include "storage/storagefile.h"
#include "widgets/prompt.h"

#include <QAction>
#include <QFileInfo>
#include <QScrollArea>

void MainWindow::applyStoredBackground(bool promptIfMissing)
{
    if (backgroundPath != StorageFile::kNone && QFileInfo(backgroundPath).isFile()) {
        applyBackgroundPicture();
        noBackground = 0;
    } else {
        if (backgroundPath != StorageFile::kNone && promptIfMissing)
            Prompt::show(this, backgroundPath + QStringLiteral("   图片文件不存在。"));
        clearBackgroundPicture();
        noBackground = 1;
    }
    showBackgroundButton();
}

void MainWindow::showBackgroundButton()
{
    const bool shown = noBackground == 0;
    qa_SheZhiBeiJing->setIcon(
        QIcon(shown ? QStringLiteral(":/res/橡皮擦.png") : QStringLiteral(":/res/照片.png")));
    qa_SheZhiBeiJing->setText(shown ? QStringLiteral("清除背景") : QStringLiteral("设置背景"));
}

void MainWindow::applyBackgroundPicture()
{
    const QPixmap picture =
        QPixmap(backgroundPath)
            .scaled(width(), qw_ZhuJieMianMuBu->height(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    backgroundPalette.setBrush(QPalette::All, QPalette::Window, QBrush(picture));
    qsa_ZhuJieMian->setPalette(backgroundPalette);
}

void MainWindow::clearBackgroundPicture()
{
    backgroundPalette.setBrush(QPalette::All, QPalette::Window, QBrush());
    qsa_ZhuJieMian->setPalette(backgroundPalette);
}

void MainWindow::SheZhiBeiJing()
{
    // Choosing and clearing a picture arrives with the background work.
}
