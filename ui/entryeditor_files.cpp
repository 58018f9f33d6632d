// Choosing the sound and the command file, and previewing the sound.
#include "ui/entryeditor.h"

#include "core/texts.h"
#include "ui/prompt.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>

using namespace Texts;

namespace {
const QSize kFileIconSize(20, 20);

bool isMouseEvent(QEvent::Type type)
{
    return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
           type == QEvent::MouseButtonDblClick || type == QEvent::MouseMove;
}
} // namespace

// A mouse press on a file button acts at once: the left button opens the file dialog, the right
// one restores the default. The button must then not also click on release, so its down state
// is cleared on every mouse event. The keyboard and screen readers press it the ordinary way.
bool EntryEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_soundButton && watched != m_commandButton)
        return QDialog::eventFilter(watched, event);
    auto *button = static_cast<QPushButton *>(watched);
    if (!isMouseEvent(event->type()))
        return false;
    if (event->type() == QEvent::MouseButtonPress) {
        const Qt::MouseButton pressed = static_cast<QMouseEvent *>(event)->button();
        if (pressed == Qt::LeftButton)
            chooseFile(button);
        else if (pressed == Qt::RightButton)
            button == m_soundButton ? showSound(QString()) : showCommand(QString());
    }
    button->setDown(false);
    return false;
}

void EntryEditor::chooseFile(QPushButton *button)
{
    const bool sound = button == m_soundButton;
    QPointer<QFileDialog> dialog = new QFileDialog(this);
    dialog->setWindowTitle(sound ? kChooseMusicTitle : kChooseCommandTitle);
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    // Without a Desktop folder the dialog would open wherever the program was started from.
    dialog->setDirectory(QFileInfo(desktop).isDir() ? desktop : QDir::homePath());
    if (sound)
        dialog->setNameFilter(kMusicFilter);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setViewMode(QFileDialog::Detail);
    const bool accepted = dialog->exec() == QDialog::Accepted && dialog;
    const QString file = accepted ? dialog->selectedFiles().value(0) : QString();
    delete dialog;
    if (file.isEmpty())
        return;
    if (file.contains(QLatin1Char('\n')) || file.contains(QLatin1Char('\r'))) {
        // The storage file keeps one value per line; such a path could not be stored intact.
        Prompt::show(this, file + kPathHasLineBreak);
        return;
    }
    sound ? showSound(file) : showCommand(file);
}

// A chosen file shows as its system icon and its name; none shows the caption that says so.
static void showFileOn(QPushButton *button, const QString &path, const QString &noneCaption)
{
    if (path.isEmpty()) {
        button->setIcon(QIcon());
        button->setText(noneCaption);
        return;
    }
    button->setIcon(QFileIconProvider().icon(QFileInfo(path)));
    button->setIconSize(kFileIconSize);
    button->setText(path.mid(path.lastIndexOf(QLatin1Char('/')) + 1));
}

void EntryEditor::showSound(const QString &path)
{
    m_soundPath = path;
    showFileOn(m_soundButton, path, kDefaultSoundCaption);
}

void EntryEditor::showCommand(const QString &path)
{
    m_commandPath = path;
    showFileOn(m_commandButton, path, kNoCommandCaption);
}

// The player exists only while a preview plays: each one is a media pipeline with its own
// threads, not worth keeping for a dialog that is mostly hidden.
void EntryEditor::togglePreview()
{
    if (m_preview) {
        stopPreview();
        return;
    }
    MediaBackEnd *backEnd = mediaBackEnd();
    if (!backEnd)
        return;
    // A once-only sound that has run out leaves the player without media.
    m_preview = backEnd->makePlayer(this, soundUrl(m_soundPath), m_loopBox->isChecked(),
                                    [this](QObject *, SoundEvent event) {
                                        if (event == SoundEvent::RanOut)
                                            stopPreview();
                                    });
    m_preview->setObjectName(QStringLiteral("previewPlayer"));
    backEnd->play(m_preview);
    m_previewButton->setText(kStop);
}

void EntryEditor::stopPreview()
{
    m_previewButton->setText(kPlay);
    if (!m_preview)
        return;
    QObject *player = m_preview;
    m_preview = nullptr;
    mediaBackEnd()->discard(player); // this may run inside the player's own signal
}
