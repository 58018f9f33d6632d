#include "ui/mediabackend.h"

#include <QCoreApplication>
#include <QDir>
#include <QPluginLoader>

namespace {
const QString kModuleName = QStringLiteral("tavrel-media");

// Where the module may be: where it is installed, relative to the program; beside the program
// (the build tree); one level up, where the tests and benches of the build tree find it.
QStringList moduleDirectories()
{
    const QString here = QCoreApplication::applicationDirPath();
    return {QDir(here).filePath(QStringLiteral(TAVREL_MEDIA_MODULE_DIR)), here,
            QDir(here).filePath(QStringLiteral(".."))};
}

MediaBackEnd *loadModule()
{
    QString errors;
    for (const QString &dir : moduleDirectories()) {
        const QString path = QDir(dir).filePath(kModuleName);
        QPluginLoader loader(path);
        if (auto *backEnd = qobject_cast<MediaBackEnd *>(loader.instance()))
            return backEnd; // kept loaded for the rest of the run
        errors += QLatin1Char('\n') + loader.errorString();
    }
    qWarning("Tavrel cannot play sounds: its media module was not loaded.%s", qUtf8Printable(errors));
    return nullptr;
}
} // namespace

MediaBackEnd *mediaBackEnd()
{
    static MediaBackEnd *const backEnd = loadModule();
    return backEnd;
}

QUrl soundUrl(const QString &path)
{
    return path.isEmpty() ? QUrl(QStringLiteral("qrc:/res/默认响铃.mp3")) : QUrl::fromLocalFile(path);
}
