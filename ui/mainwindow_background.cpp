// The picture behind the list: chosen with "设置背景", removed with "清除背景", stored in the
// file's header and scaled to the list whenever the window changes size.
#include "ui/mainwindow.h"

#include "core/texts.h"
#include "ui/prompt.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QScrollArea>
#include <QStandardPaths>

void MainWindow::showStoredBackground(bool promptIfMissing)
{
    if (!m_background.isEmpty() && QFileInfo(m_background).isFile()) {
        showPicture();
    } else {
        if (!m_background.isEmpty() && promptIfMissing)
            Prompt::show(this, m_background + Texts::kPictureMissing);
        clearPicture(); // the file keeps the path, so the prompt comes again at the next start
    }
    showBackgroundAction();
}

void MainWindow::showBackgroundAction()
{
    m_backgroundAction->setIcon(
        QIcon(m_pictureShown ? QStringLiteral(":/res/橡皮擦.png") : QStringLiteral(":/res/照片.png")));
    m_backgroundAction->setText(m_pictureShown ? Texts::kClearBackground : Texts::kSetBackground);
}

void MainWindow::showPicture()
{
    m_pictureShown = true;
    // Read again each time: a picture replaced on disk shows its new content at the next resize.
    const QPixmap picture(m_background);
    const QBrush brush = picture.isNull()
                             ? QBrush()
                             : QBrush(picture.scaled(width(), m_canvas->height(), Qt::IgnoreAspectRatio,
                                                     Qt::SmoothTransformation));
    m_backgroundPalette.setBrush(QPalette::All, QPalette::Window, brush);
    m_listArea->setPalette(m_backgroundPalette);
}

void MainWindow::clearPicture()
{
    m_pictureShown = false;
    m_backgroundPalette.setBrush(QPalette::All, QPalette::Window, QBrush());
    m_listArea->setPalette(m_backgroundPalette);
}

void MainWindow::setOrClearBackground()
{
    const QString picture = m_pictureShown ? QString() : choosePicture();
    if (!m_pictureShown && (picture.isEmpty() || !acceptablePicture(picture)))
        return;
    // Written only now, after the file dialog: while it was open the file may have changed.
    const StorageResult result = m_storage.setBackground(picture);
    showNotices(result);
    if (!result.ok()) {
        Prompt::show(this, result.failure == StorageResult::Failure::Unreadable
                               ? Texts::kBackgroundNotRead
                               : Texts::kBackgroundNotWritten);
        return;
    }
    if (picture.isEmpty()) {
        clearPicture();
    } else {
        m_background = picture;
        showPicture();
    }
    showBackgroundAction();
}

QString MainWindow::choosePicture()
{
    QFileDialog dialog(this);
    dialog.setWindowTitle(Texts::kChoosePicture);
    dialog.setDirectory(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    dialog.setNameFilter(Texts::kPictureFilter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setViewMode(QFileDialog::Detail);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}

bool MainWindow::acceptablePicture(const QString &path)
{
    // A line break in the path would split the header line and shift every record after it.
    if (path.contains(QLatin1Char('\n')) || path.contains(QLatin1Char('\r'))) {
        Prompt::show(this, path + Texts::kPicturePathHasLineBreak);
        return false;
    }
    if (QPixmap(path).isNull()) {
        Prompt::show(this, path + Texts::kPictureUnreadable);
        return false;
    }
    return true;
}
