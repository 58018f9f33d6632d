#include "core/autostart.h"
#include "ui/mainwindow.h"
#include "ui/prompt.h"
#include "ui/singleinstance.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QSystemTrayIcon>

namespace {
// --help and --version answer and end here; true when the window is to stay in the tray.
bool parseCommandLine(const QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Alarm clock and countdown timer for the desktop."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(QCommandLineOption(Autostart::kTrayOption,
                                        QStringLiteral("Start with only the tray icon showing (the window "
                                                       "shows when there is no system tray).")));
    parser.process(app);
    return parser.isSet(Autostart::kTrayOption);
}

// --help and --version need no display: answered before the window system is opened.
bool asksForTextOnly(int argc, char *argv[])
{
    for (int i = 1; i < argc && qstrcmp(argv[i], "--") != 0; ++i) {
        for (const char *option : {"-h", "--help", "--help-all", "-v", "--version"}) {
            if (qstrcmp(argv[i], option) == 0)
                return true;
        }
    }
    return false;
}
} // namespace

int main(int argc, char *argv[])
{
    Q_INIT_RESOURCE(res); // the resources live in a static library
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVREL_VERSION));
    if (asksForTextOnly(argc, argv)) {
        QCoreApplication app(argc, argv);
        parseCommandLine(app); // prints and ends the program
    }
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
    const bool trayOnly = parseCommandLine(app);

    // One program per user: a second launch brings the running one forward and ends.
    SingleInstance instance(SingleInstance::defaultServiceName(), SingleInstance::defaultLockPath());
    const SingleInstance::Outcome claimed = instance.claim();
    if (claimed != SingleInstance::Outcome::First)
        return SingleInstance::reportSecondLaunch(claimed);

    auto *window = new MainWindow;
    QObject::connect(&instance, &SingleInstance::showRequested, window, &MainWindow::bringToFront);
    // Hidden only where a tray icon can bring it back: otherwise nothing would reach the window.
    if (!trayOnly || !QSystemTrayIcon::isSystemTrayAvailable())
        window->show();
    Prompt::centreOnDesktop(window);
    const int result = app.exec();
    delete window;
    return result;
}
