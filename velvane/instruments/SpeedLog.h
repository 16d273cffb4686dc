#pragma once
// "Geschwindigkeit": every speed as text, "12.3 " in tenths of km/h.
#include "display/ComponentClass.h"
#include "gps/SpeedListener.h"
#include "instruments/LogWriter.h"

namespace velvane {

class SpeedLog : public LogWriter, public SpeedListener {
public:
    // Section "SpeedLog", a log.
    static const ComponentClassOf<SpeedLog> Class;

    SpeedLog(Screen& owner, int width, int height) : LogWriter(owner, width, height) {
        SetRecordEnd(" ");
    }

    void OnSpeed(int32_t speed) override;
};

} // namespace velvane
