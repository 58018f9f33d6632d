#include "ui/mainwindow.h"
#include "ui/prompt.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    Q_INIT_RESOURCE(res); // the resources live in a static library
    QApplication app(argc, argv);
    auto *window = new MainWindow;
    window->show();
    Prompt::centreOnDesktop(window);
    const int result = app.exec();
    delete window;
    return result;
}
