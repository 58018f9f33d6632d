#ifndef TAVREL_MEDIABACKEND_H
#define TAVREL_MEDIABACKEND_H

#include <QObject>
#include <QStringList>
#include <QUrl>
#include <QtPlugin>

#include <functional>

// What a player reports about the sound it plays.
enum class SoundEvent
{
    Playing,  // it started
    Buffered, // its data is in
    Failed,   // the file cannot be played
    Stopped,  // it stopped: played to its end, or failed
    RanOut,   // a once-only sound played to its end and left the player without media
};
using SoundEvents = std::function<void(QObject *player, SoundEvent event)>;

// The parts of the program that need the media and desktop-entry libraries: linked into the
// program, those alone keep several MB resident from the start. They live in a module loaded the
// first time something may sound, so a list with nothing enabled never maps them.
class MediaBackEnd
{
public:
    virtual ~MediaBackEnd() = default;

    // A player of `url`, once or over and over, as a child of `parent`, which also receives its
    // events; play() starts it (its first events may come from inside that call).
    virtual QObject *makePlayer(QObject *parent, const QUrl &url, bool loop, const SoundEvents &events) = 0;
    virtual void play(QObject *player) = 0;
    // Silences a player and frees it once control returns (it may be inside its own signal); no
    // event follows.
    virtual void discard(QObject *player) = 0;
    // Loads the media service and the decoders `url` needs, keeping no player.
    virtual void load(const QUrl &url) = 0;
    // A desktop entry's Exec line: the program, then its arguments.
    virtual QStringList desktopEntryCommand(const QString &path) = 0;
};

#define TAVREL_MEDIA_BACK_END_IID "org.tavrel.Tavrel.MediaBackEnd/1"
Q_DECLARE_INTERFACE(MediaBackEnd, TAVREL_MEDIA_BACK_END_IID)

// The module, loaded at the first call; null when it cannot be found or loaded (a warning says
// why), and then nothing sounds.
MediaBackEnd *mediaBackEnd();

// What a player plays for a stored sound: the file, or the built-in ring when there is none.
QUrl soundUrl(const QString &path);

#endif // TAVREL_MEDIABACKEND_H
