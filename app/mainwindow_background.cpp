#include "app/mainwindow.h"

#include "storage/storagefile.h"
#include "widgets/prompt.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QPixmap>
#include <QScrollArea>
#include <QStandardPaths>

namespace {

// The header line with a new background field. Fields 1 to 3 are copied as read; a header cut
// short by damage is completed, so that the records after it stay reachable.
QString headerWithBackground(const QStringList &lines, const QString &background)
{
    const QStringList f = StorageFile::splitFields(lines.value(0));
    if (f.size() >= 3)
        return f.mid(0, 3).join(QLatin1Char(',')) + QLatin1Char(',') + background;
    const StorageFile::Header header = StorageFile::parseHeader(lines.value(0));
    const int count = header.countReadable ? header.count : (lines.size() - 1) / StorageFile::kRecordLines;
    return StorageFile::composeHeader(count, background);
}

QString chooseBackgroundFile(QWidget *parent)
{
    QFileDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("选择图片文件"));
    dialog.setDirectory(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    dialog.setNameFilter(QObject::tr("File(*.bmp* *.gif* *.jpeg* *.png* *.tiff* *.jpg*)"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setViewMode(QFileDialog::Detail);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}

} // namespace

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
    // Read again each time: a picture replaced on disk shows its new content at the next resize.
    const QPixmap picture(backgroundPath);
    if (picture.isNull()) {
        clearBackgroundPicture(); // gone or unreadable since it was chosen: paint nothing
        return;
    }
    const QPixmap scaled =
        picture.scaled(width(), qw_ZhuJieMianMuBu->height(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    backgroundPalette.setBrush(QPalette::All, QPalette::Window, QBrush(scaled));
    qsa_ZhuJieMian->setPalette(backgroundPalette);
}

void MainWindow::clearBackgroundPicture()
{
    backgroundPalette.setBrush(QPalette::All, QPalette::Window, QBrush());
    qsa_ZhuJieMian->setPalette(backgroundPalette);
}

void MainWindow::SheZhiBeiJing()
{
    QString background = StorageFile::kNone;
    if (noBackground == 1) {
        background = chooseBackgroundFile(this);
        if (background.isEmpty() || !acceptableBackground(background))
            return;
    }
    if (!storeBackground(background))
        return;
    if (background == StorageFile::kNone) {
        noBackground = 1; // the old path stays; nothing reads it while there is no picture
        clearBackgroundPicture();
    } else {
        backgroundPath = background;
        noBackground = 0;
        applyBackgroundPicture();
    }
    showBackgroundButton();
}

bool MainWindow::acceptableBackground(const QString &path)
{
    // A line break in the path would split the header line and shift every record after it.
    if (path.contains(QLatin1Char('\n')) || path.contains(QLatin1Char('\r'))) {
        Prompt::show(this, path + QStringLiteral("   文件路径含有换行符，无法保存为背景。"));
        return false;
    }
    if (QPixmap(path).isNull()) {
        Prompt::show(this, path + QStringLiteral("   无法作为图片读取，未设置背景。"));
        return false;
    }
    return true;
}

bool MainWindow::storeBackground(const QString &background)
{
    // Read only now, after the file dialog: while it was open the tick may have rewritten the file.
    bool ok = false;
    QStringList lines = readStorageLines(&ok);
    if (!ok) {
        Prompt::show(this, QStringLiteral("无法读取存储文件，背景设置未保存。"));
        return false;
    }
    if (lines.isEmpty())
        lines << QString();
    lines[0] = headerWithBackground(lines, background);
    if (!writeStorageLines(lines)) {
        Prompt::show(this, QStringLiteral("无法写入存储文件，背景设置未保存。"));
        return false;
    }
    return true;
}
