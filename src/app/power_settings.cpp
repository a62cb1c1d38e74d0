#include "app/power_settings.h"

void CPowerSettings::switchOff() {
    for (Saved& s : m_saved) {
        s.known = SystemParametersInfoW(s.getAction, 0, &s.wasOn, 0) != FALSE;
        SystemParametersInfoW(s.setAction, 0, nullptr, 0);
    }
}

void CPowerSettings::restore() {
    for (Saved& s : m_saved) {
        if (s.known && s.wasOn) SystemParametersInfoW(s.setAction, TRUE, nullptr, 0);
        s.known = false;
    }
}
