// A launch of the program reduced to its single-instance claim, for tst_singleinstance:
//   singleinstance_helper <bus name> <lock file>
// Prints how the claim went ("first", "handed-over", "already-running", "no-answer"). The first
// stays up, printing "show" for each request to come forward, until its stdin closes.
#include "ui/singleinstance.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cstdio>
#include <unistd.h>

namespace {
const char *outcomeName(SingleInstance::Outcome outcome)
{
    switch (outcome) {
    case SingleInstance::Outcome::First:
        return "first";
    case SingleInstance::Outcome::HandedOver:
        return "handed-over";
    case SingleInstance::Outcome::AlreadyRunning:
        return "already-running";
    case SingleInstance::Outcome::NoAnswer:
        return "no-answer";
    }
    return "?";
}

void say(const char *line)
{
    std::printf("%s\n", line);
    std::fflush(stdout);
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    SingleInstance instance(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
    const SingleInstance::Outcome outcome = instance.claim();
    say(outcomeName(outcome));
    if (outcome != SingleInstance::Outcome::First)
        return SingleInstance::reportSecondLaunch(outcome);

    QObject::connect(&instance, &SingleInstance::showRequested, [] { say("show"); });
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&app] {
        char buffer[64];
        if (read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
            app.quit();
    });
    return app.exec();
}
