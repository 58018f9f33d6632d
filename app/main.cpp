#include "app/mainwindow.h"
#include "widgets/prompt.h"

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
    QApplication app(argc, argv);
    auto *window = new MainWindow;
    window->show();
    Prompt::centreOnDesktop(window);
    const int result = app.exec();
    delete window;
    return result;
}
