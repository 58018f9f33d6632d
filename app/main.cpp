#include "ui/mainwindow.h"
#include "ui/prompt.h"
#include "ui/singleinstance.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    Q_INIT_RESOURCE(res); // the resources live in a static library
    // The window draws only widgets. Left to itself, Qt on X gives each top-level a GL-capable
    // surface, which loads a GL driver (on a machine without a GPU the software one with its
    // compiler: tens of MB and ms). An attribute, unlike the environment, is not handed on to the
    // command files we start. Whoever sets QT_XCB_GL_INTEGRATION asked for GL and keeps it.
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        QApplication::setAttribute(Qt::AA_ForceRasterWidgets);
    // The running rows' times blink, so the same few labels are redrawn twice a second. Sharing
    // the window's image with the X server in memory makes each redraw of a place just sent wait
    // for the server to finish reading it: a round trip that wakes two threads, twice a second,
    // to save copying a few small rectangles through the socket. Read once, when the display is
    // opened, and then taken back so the command files we start do not inherit it.
    const bool sharedImages = !qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM");
    if (sharedImages)
        qputenv("QT_XCB_NO_MITSHM", "1");
    QApplication app(argc, argv);
    if (sharedImages)
        qunsetenv("QT_XCB_NO_MITSHM");

    // One program per user: a second launch brings the running one forward and ends.
    SingleInstance instance(SingleInstance::defaultServiceName(), SingleInstance::defaultLockPath());
    const SingleInstance::Outcome claimed = instance.claim();
    if (claimed != SingleInstance::Outcome::First)
        return SingleInstance::reportSecondLaunch(claimed);

    auto *window = new MainWindow;
    QObject::connect(&instance, &SingleInstance::showRequested, window, &MainWindow::bringToFront);
    window->show();
    Prompt::centreOnDesktop(window);
    const int result = app.exec();
    delete window;
    return result;
}
