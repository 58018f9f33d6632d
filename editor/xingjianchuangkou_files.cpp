// Choosing the sound and the command file, and previewing the sound.
#include "editor/xingjianchuangkou.h"

#include "editor/editortexts.h"
#include "editor/entryrecord.h"
#include "widgets/prompt.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMediaPlaylist>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>

using namespace EditorTexts;

// The two file buttons never emit clicked(): their down state is cleared on every event, and a
// press opens the file dialog (left) or restores the default (right).
bool XingJianChuangKou::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != qpb_ShengYinWenJian && watched != qpb_MingLingWenJian)
        return false;
    auto *button = static_cast<QPushButton *>(watched);
    if (event->type() != QEvent::MouseButtonPress) {
        button->setDown(false);
        return false;
    }
    const Qt::MouseButton pressed = static_cast<QMouseEvent *>(event)->button();
    if (pressed == Qt::LeftButton) {
        chooseFile(button);
    } else if (pressed == Qt::RightButton) {
        button->setIcon(QIcon());
        button->setText(button == qpb_ShengYinWenJian ? kDefaultSoundCaption : kNoCommandCaption);
    }
    emit sendObject(button);
    button->setDown(false);
    return false;
}

void XingJianChuangKou::chooseFile(QPushButton *button)
{
    const bool sound = button == qpb_ShengYinWenJian;
    QPointer<QFileDialog> dialog = new QFileDialog(this, QString(), QString(), QString());
    dialog->setWindowTitle(sound ? QStringLiteral("选择音乐文件") : QStringLiteral("选择命令文件"));
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    // Without a Desktop folder the dialog would open wherever the program was started from.
    dialog->setDirectory(QFileInfo(desktop).isDir() ? desktop : QDir::homePath());
    if (sound)
        dialog->setNameFilter(tr("File(*.mp3* *.wav* *.wma* *.aac* *.flac* *.ogg*)"));
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setViewMode(QFileDialog::Detail);
    const bool accepted = dialog->exec() == QDialog::Accepted && dialog;
    const QStringList files = accepted ? dialog->selectedFiles() : QStringList();
    delete dialog;
    if (files.isEmpty())
        return;
    if (EntryRecord::hasLineBreak(files.first())) {
        // The storage file keeps one value per line; such a path could not be stored intact.
        Prompt::show(this,
                     files.first() + QStringLiteral("   文件路径中含有换行符，无法保存，请选择其他文件。"));
        return;
    }
    (sound ? m_chosenSounds : m_chosenCommands) = files;
    showChosenFile(button, files.first());
}

void XingJianChuangKou::showChosenFile(QPushButton *button, const QString &path)
{
    button->setIcon(QFileIconProvider().icon(QFileInfo(path)));
    button->setIconSize(QSize(20, 20));
    button->setText(EntryRecord::fileName(path));
}

void XingJianChuangKou::BoFang()
{
    if (m_previewPlaying == 1) {
        qmp_BoFang->stop();
        qpb_BoFang->setText(kPlay);
        m_previewPlaying = 0;
        return;
    }
    qmpl_BoFang->clear();
    if (qpb_ShengYinWenJian->text() == kDefaultSoundCaption)
        qmpl_BoFang->addMedia(QUrl(StorageFile::kDefaultSoundUrl));
    else
        qmpl_BoFang->addMedia(QUrl::fromLocalFile(m_chosenSounds.value(0)));
    qmp_BoFang->setPlaylist(qmpl_BoFang);
    qmpl_BoFang->setPlaybackMode(qcb_FanFuNaoLing->isChecked() ? QMediaPlaylist::Loop
                                                               : QMediaPlaylist::CurrentItemOnce);
    qmp_BoFang->setVolume(100);
    qmp_BoFang->play();
    qpb_BoFang->setText(kStop);
    m_previewPlaying = 1;
}

// A once-only playlist that has run out leaves the player without media.
void XingJianChuangKou::Qmp_BoFang_ZhuangTaiGaiBian(QMediaPlayer::MediaStatus status)
{
    if (status != QMediaPlayer::NoMedia)
        return;
    qmp_BoFang->stop();
    qpb_BoFang->setText(kPlay);
    m_previewPlaying = 0;
}
