#pragma once
// "NMEA-Daten": the received lines of the chosen sentence types, unchanged,
// so that the file is itself a receiver log that any track tool and any
// replay can read.
#include "display/ComponentClass.h"
#include "gps/SentenceListener.h"
#include "instruments/LogWriter.h"

namespace velvane {

class FullLog : public LogWriter, public SentenceListener {
public:
    // Section "FullLog", a log; it hears every line before anyone else.
    static const ComponentClassOf<FullLog> Class;

    FullLog(Screen& owner, int width, int height) : LogWriter(owner, width, height) {
        SetRecordEnd("\r\n");
    }

    int OnSection(std::u16string_view name) override;
    bool OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) override;
    int FirstSectionId() override;

    void OnRMC(std::string_view line) override { Log(SentenceRMC, line); }
    void OnGGA(std::string_view line) override { Log(SentenceGGA, line); }
    void OnGSV(std::string_view line) override { Log(SentenceGSV, line); }
    void OnVTG(std::string_view line) override { Log(SentenceVTG, line); }
    void OnGSA(std::string_view line) override { Log(SentenceGSA, line); }
    void OnOther(std::string_view line) override { Log(SentenceOther, line); }

    // SentenceKind bits of the types written.
    unsigned Filter() const { return m_filter; }

protected:
    void ResetSettings() override { m_filter = 0; }

private:
    void Log(SentenceKind kind, std::string_view line) {
        if (m_filter & kind)
            WriteRecord(line);
    }

    unsigned m_filter = 0;
};

} // namespace velvane
