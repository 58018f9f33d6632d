#ifndef TAVREL_MEDIAMODULE_H
#define TAVREL_MEDIAMODULE_H

#include "ui/mediabackend.h"

#include <XdgDesktopFile>

// Players on Qt Multimedia, and desktop entries read with libqtxdg.
class MediaModule : public QObject, public MediaBackEnd
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TAVREL_MEDIA_BACK_END_IID)
    Q_INTERFACES(MediaBackEnd)

public:
    QObject *makePlayer(QObject *parent, const QUrl &url, bool loop, const SoundEvents &events) override;
    void play(QObject *player) override;
    void discard(QObject *player) override;
    void load(const QUrl &url) override;
    QStringList desktopEntryCommand(const QString &path) override;

private:
    XdgDesktopFile m_desktopFile;
};

#endif // TAVREL_MEDIAMODULE_H
