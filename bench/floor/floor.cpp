// The floor the benches compare with: the least a Qt 5 tray program does. One window with one
// label, a tray icon with a menu, and a 500 ms tick that writes the time into the label.
// With --blink-tray its tray also does what an alarm clock's does: the icon blinks once a second
// and the tool tip shows the time each second, so the messages a tray host is sent are counted
// on both sides.
#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

namespace {
// Named, so callgrind can count this tick apart from the rest of the event loop.
__attribute__((noinline)) void showTime(QLabel *label)
{
    label->setText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
}

// What an alarm clock's tray does while entries run: the icon blinks once a second and the tool
// tip shows a new time each second. The window goes to the screen's corner, covering no other.
void blinkTray(QWidget &window, QSystemTrayIcon &tray, const QTimer &tick, const QLabel *label)
{
    window.setWindowTitle(QStringLiteral("Floor, blinking tray"));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    window.move(screen.bottomRight() - QPoint(window.width(), window.height()));
    QPixmap blank(32, 32);
    blank.fill(Qt::transparent);
    const QIcon shown = tray.icon(), hidden(blank);
    QObject::connect(&tick, &QTimer::timeout, &tray, [&tray, label, shown, hidden] {
        const bool showHalf = tray.icon().cacheKey() != shown.cacheKey();
        if (showHalf)
            tray.setToolTip(label->text());
        tray.setIcon(showHalf ? shown : hidden);
    });
}
} // namespace

int main(int argc, char *argv[])
{
    // Drawn like the program it stands beside: widgets only, so no GL driver unless asked.
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        QApplication::setAttribute(Qt::AA_ForceRasterWidgets);
    QApplication app(argc, argv);

    QWidget window;
    window.setWindowTitle(QStringLiteral("Floor"));
    window.resize(400, 300);
    auto *label = new QLabel(&window);
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(label);

    QPixmap dot(32, 32);
    dot.fill(Qt::darkCyan);
    QMenu menu;
    menu.addAction(QStringLiteral("Quit"), &app, &QCoreApplication::quit);
    QSystemTrayIcon tray{QIcon(dot)};
    tray.setContextMenu(&menu);
    tray.show();

    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, label, [label] { showTime(label); });
    if (app.arguments().contains(QStringLiteral("--blink-tray")))
        blinkTray(window, tray, tick, label);
    tick.start(500);

    window.show();
    return app.exec();
}
