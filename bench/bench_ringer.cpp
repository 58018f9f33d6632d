// What a ring costs when its player is made on demand: from the call to ring() until play() has
// been called (made + started), and until the player reports PlayingState. Prints figures only.
//   QT_QPA_PLATFORM=offscreen build/bench/bench_ringer [rings]
#include "ui/ringer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMediaPlayer>
#include <QSystemTrayIcon>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}
} // namespace

int main(int argc, char *argv[])
{
    Q_INIT_RESOURCE(res);
    QApplication app(argc, argv);
    const int rings = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    QMainWindow window;
    QSystemTrayIcon tray;
    Ringer ringer(&window, &tray);
    QElapsedTimer backEnd;
    backEnd.start();
    if (!qEnvironmentVariableIsSet("BENCH_COLD"))
        ringer.loadBackEnd(); // as the window does a moment after an entry is enabled
    std::printf("back end loaded in %.2f ms\n", backEnd.nsecsElapsed() / 1e6);

    std::vector<double> started, playing;
    for (int n = 0; n < rings; ++n) {
        RingRequest request;
        request.entry = 0;
        request.what.name = QStringLiteral("bench");
        request.notify = false;
        QElapsedTimer clock;
        clock.start();
        ringer.ring(request);
        started.push_back(clock.nsecsElapsed() / 1e6);
        QMediaPlayer *player = ringer.findChild<QMediaPlayer *>();
        if (player && QTest::qWaitFor([&] { return player->state() == QMediaPlayer::PlayingState; }, 2000))
            playing.push_back(clock.nsecsElapsed() / 1e6);
        ringer.stop(0);
        QTest::qWait(50); // let the stopped player go
    }
    std::printf("rings: %d; the first: %.2f ms\n", rings, started.front());
    std::printf("make + start a player (ring() returns): median %.2f ms, min %.2f, max %.2f\n",
                median(started), *std::min_element(started.begin(), started.end()),
                *std::max_element(started.begin(), started.end()));
    if (!playing.empty())
        std::printf("until PlayingState: median %.2f ms, min %.2f, max %.2f (%zu of %d rings)\n",
                    median(playing), *std::min_element(playing.begin(), playing.end()),
                    *std::max_element(playing.begin(), playing.end()), playing.size(), rings);
    return 0;
}
