#ifndef TAVREL_MYMESSAGEBOX_H
#define TAVREL_MYMESSAGEBOX_H

// The old window's name for the forced reminder, kept until it moves to ui/.
#include "ui/reminderbox.h"

using MyMessageBox = ReminderBox;

#endif // TAVREL_MYMESSAGEBOX_H
