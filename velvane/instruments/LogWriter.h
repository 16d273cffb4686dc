#pragma once
// The shared base of the logs: a LogRecorder for the file and a small round
// lamp on the screen that says how writing goes. Good: the last record was
// written; hollow: records are skipped by the interval; bad: no file, or the
// storage takes nothing (full).
#include "display/Component.h"
#include "gps/LogRecorder.h"
#include "ini/IniParser.h"

#include "platform/canvas.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace velvane {

class LogWriter : public Component, public IniParser {
public:
    struct Lamp {
        int x = 64, y = 4;
        bool fromRight = false, fromBottom = false; // written with a leading "-"
        int diameter = 5;
        platform::Color good = platform::Rgb(0x00, 0xFF, 0x00);
        platform::Color bad = platform::Rgb(0xFF, 0x00, 0x00);
        platform::Color frame = platform::Rgb(0x00, 0x00, 0x00);
    };

    LogWriter(Screen& owner, int width, int height);
    ~LogWriter() override;

    void Draw(platform::Canvas& canvas, int originX, int originY) override;

    // Closes the file, restores the defaults (the two name flags keep their
    // values), reads the file and opens the log under the name of this
    // moment: a new file when the date or time in the name changed, the same
    // one appended to otherwise. False when the settings file was unusable.
    bool Load(std::u16string_view path) override;
    int OnSection(std::u16string_view name) override;
    bool OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) override;
    int FirstSectionId() override;

    const Lamp& LampSettings() const { return m_lamp; }
    // Where the lamp's square starts, edges resolved for the current size.
    int LampX() const;
    int LampY() const;
    LampState State() const { return m_recorder.Lamp(); }
    const LogRecorder& Recorder() const { return m_recorder; }
    uint32_t IntervalMs() const { return m_intervalMs; }
    const std::u16string& LogPath() const { return m_logPath; }

protected:
    void WriteRecord(std::string_view record);
    void SetRecordEnd(std::string_view end) { m_recorder.SetRecordEnd(end); }
    // Subclasses clear their own settings here; called by Load before parsing.
    virtual void ResetSettings() {}

private:
    enum Section { Metrics, Colors, Settings, SectionCount };

    void KeepSynced();

    Lamp m_lamp;
    std::u16string m_logPath;
    uint32_t m_intervalMs = 0;
    bool m_appendDate = true;
    bool m_appendTime = false;
    LogRecorder m_recorder;
    int m_syncTimerId;
    bool m_syncTimerSet = false;
};

} // namespace velvane
