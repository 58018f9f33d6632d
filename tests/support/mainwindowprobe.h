#ifndef TAVREL_MAINWINDOWPROBE_H
#define TAVREL_MAINWINDOWPROBE_H

#include "app/mainwindow.h"

#include <QBuffer>
#include <QTimer>

// Reads (and, for scenario tests, sets) the window's private state that has no widget to look at.
class MainWindowProbe
{
public:
    explicit MainWindowProbe(MainWindow *window) : w(window) {}

    int entryCount() const { return w->m_entryCount; }
    int deferredInitDone() const { return w->deferredInitDone; }
    int noBackground() const { return w->noBackground; }
    QString backgroundPath() const { return w->backgroundPath; }
    QTimer *tickTimer() const { return w->tickTimer; }
    QTimer *deferredInitTimer() const { return w->deferredInitTimer; }
    QVBoxLayout *listLayout() const { return w->listLayout; }
    QByteArray cacheBytes() const { return w->cacheBytes; }
    QMediaPlayer *player(int i) const { return w->qmp[i]; }
    QMediaPlaylist *playlist(int i) const { return w->qmpl[i]; }
    QImage rowIconImage(int i) const { return w->rowIconImage[i]; }
    QStringList repeatDays(int i) const { return w->repeatDays[i]; }
    QString commandPath(int i) const { return w->commandPath[i]; }
    QString &timeText(int i) { return w->timeText[i]; }
    int &runState(int i) { return w->runState[i]; }
    int &minuteLatch(int i) { return w->minuteLatch[i]; }
    int &oneShotDone(int i) { return w->oneShotDone[i]; }
    int &notifyPending(int i) { return w->notifyPending[i]; }
    int &commandPending(int i) { return w->commandPending[i]; }
    int &notifyAllowed(int i) { return w->notifyAllowed[i]; }
    int &commandAllowed(int i) { return w->commandAllowed[i]; }
    int &tickCount() { return w->tickCount; }
    void tick() { w->GengXingShiJian(); } // one tick, as the tick timer would run it
    QStringList nextRingList(int i) const { return w->nextRingList[i]; }
    bool hasRow(int i) const { return w->qpb_BuJuShuZu[i] != nullptr; }
    bool storeBackground(const QString &background) { return w->storeBackground(background); }

private:
    MainWindow *w;
};

#endif // TAVREL_MAINWINDOWPROBE_H
