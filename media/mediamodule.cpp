#include "media/mediamodule.h"

#include <QMediaPlayer>
#include <QMediaPlaylist>

QObject *MediaModule::makePlayer(QObject *parent, const QUrl &url, bool loop, const SoundEvents &events)
{
    auto *player = new QMediaPlayer(parent);
    auto *playlist = new QMediaPlaylist(player);
    playlist->addMedia(url);
    playlist->setPlaybackMode(loop ? QMediaPlaylist::Loop : QMediaPlaylist::CurrentItemOnce);
    player->setPlaylist(playlist);
    player->setVolume(100);

    QObject::connect(player, &QMediaPlayer::stateChanged, parent,
                     [player, events](QMediaPlayer::State state) {
                         if (state == QMediaPlayer::PlayingState)
                             events(player, SoundEvent::Playing);
                         else if (state == QMediaPlayer::StoppedState)
                             events(player, SoundEvent::Stopped);
                     });
    QObject::connect(player, &QMediaPlayer::mediaStatusChanged, parent,
                     [player, events](QMediaPlayer::MediaStatus status) {
                         if (status == QMediaPlayer::BufferedMedia)
                             events(player, SoundEvent::Buffered);
                         else if (status == QMediaPlayer::InvalidMedia)
                             events(player, SoundEvent::Failed);
                         else if (status == QMediaPlayer::NoMedia)
                             events(player, SoundEvent::RanOut);
                     });
    QObject::connect(player, QOverload<QMediaPlayer::Error>::of(&QMediaPlayer::error), parent,
                     [player, events] { events(player, SoundEvent::Failed); });
    return player;
}

void MediaModule::play(QObject *player)
{
    if (auto *media = qobject_cast<QMediaPlayer *>(player))
        media->play();
}

void MediaModule::discard(QObject *player)
{
    auto *media = qobject_cast<QMediaPlayer *>(player);
    if (!media)
        return;
    media->disconnect(media->parent());
    media->stop();
    media->deleteLater();
}

void MediaModule::load(const QUrl &url)
{
    QMediaPlayer player;
    player.setMedia(url); // loads the decoders too
}

QStringList MediaModule::desktopEntryCommand(const QString &path)
{
    m_desktopFile.load(path);
    return m_desktopFile.expandExecString(QStringList());
}
