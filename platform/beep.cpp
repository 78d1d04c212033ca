#include "platform/beep.h"

#include <QApplication>

void SoundDefaultBeep() {
    if (qApp) QApplication::beep();
}
