#ifndef TAVREL_CLOCK_H
#define TAVREL_CLOCK_H

#include <QDateTime>

// The one place the program reads the time, so tests can pin any weekday and minute.
namespace Clock {

QDateTime now();

// Tests only: from now on now() returns this moment (an invalid QDateTime unpins).
void pin(const QDateTime &moment);

// Weekday names that do not depend on the locale: Monday = "星期一" ... Sunday = "星期日".
QString weekdayName(const QDate &date);

} // namespace Clock

#endif // TAVREL_CLOCK_H
