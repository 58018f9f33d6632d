#ifndef TAVREL_RINGLOG_H
#define TAVREL_RINGLOG_H

#include <QLoggingCategory>
#include <QMediaPlayer>
#include <QObject>

// A trace of the moments that make up a ring, for measuring how late a ring is heard:
//   QT_LOGGING_RULES="tavrel.ring.info=true"
// Each line carries the wall clock in ms since the epoch. Off by default, and then it costs one
// flag test per line and no connection at all.
Q_DECLARE_LOGGING_CATEGORY(lcRing)

class RingLog : public QObject
{
    Q_OBJECT

public:
    // Logs when the entry's player starts playing and has its sound buffered.
    static void watch(QMediaPlayer *player, int entry);
    static qint64 stamp();

private slots:
    void stateChanged(QMediaPlayer::State state);
    void mediaStatusChanged(QMediaPlayer::MediaStatus status);

private:
    RingLog(QMediaPlayer *player, int entry);
    int m_entry;
};

#endif // TAVREL_RINGLOG_H
