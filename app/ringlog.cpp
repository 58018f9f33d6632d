#include "app/ringlog.h"

#include "app/clock.h"

Q_LOGGING_CATEGORY(lcRing, "tavrel.ring", QtWarningMsg)

void RingLog::watch(QMediaPlayer *player, int entry)
{
    if (lcRing().isInfoEnabled())
        new RingLog(player, entry); // lives and dies with the player
}

qint64 RingLog::stamp()
{
    return Clock::now().toMSecsSinceEpoch();
}

RingLog::RingLog(QMediaPlayer *player, int entry) : QObject(player), m_entry(entry)
{
    connect(player, SIGNAL(stateChanged(QMediaPlayer::State)), this, SLOT(stateChanged(QMediaPlayer::State)));
    connect(player, SIGNAL(mediaStatusChanged(QMediaPlayer::MediaStatus)), this,
            SLOT(mediaStatusChanged(QMediaPlayer::MediaStatus)));
}

void RingLog::stateChanged(QMediaPlayer::State state)
{
    if (state == QMediaPlayer::PlayingState)
        qCInfo(lcRing, "playing entry=%d ms=%lld", m_entry, stamp());
}

void RingLog::mediaStatusChanged(QMediaPlayer::MediaStatus status)
{
    if (status == QMediaPlayer::BufferedMedia)
        qCInfo(lcRing, "buffered entry=%d ms=%lld", m_entry, stamp());
}
