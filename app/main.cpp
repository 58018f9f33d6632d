#include "app/mainwindow.h"
#include "ui/singleinstance.h"
#include "widgets/prompt.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    Q_INIT_RESOURCE(res); // the resources live in a static library
    QApplication app(argc, argv);

    // One program per user: a second launch brings the running one forward and ends.
    SingleInstance instance(SingleInstance::defaultServiceName(), SingleInstance::defaultLockPath());
    const SingleInstance::Outcome claimed = instance.claim();
    if (claimed != SingleInstance::Outcome::First)
        return SingleInstance::reportSecondLaunch(claimed);

    auto *window = new MainWindow;
    QObject::connect(&instance, &SingleInstance::showRequested, window, [window] {
        // Back from the tray or the task bar, keeping a maximised window maximised.
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        window->show();
        window->raise();
        window->activateWindow();
    });
    window->show();
    Prompt::centreOnDesktop(window);
    const int result = app.exec();
    delete window;
    return result;
}
