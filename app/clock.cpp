#include "app/clock.h"

#include "storage/storagefile.h"

namespace Clock {

namespace {
QDateTime &pinned()
{
    static QDateTime moment;
    return moment;
}
} // namespace

QDateTime now()
{
    return pinned().isValid() ? pinned() : QDateTime::currentDateTime();
}

void pin(const QDateTime &moment)
{
    pinned() = moment;
}

QString weekdayName(const QDate &date)
{
    return StorageFile::weekdayNames().value(date.dayOfWeek() - 1);
}

} // namespace Clock
