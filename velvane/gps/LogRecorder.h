#pragma once
// What a log does with its file, apart from showing it: the name of the
// moment, the interval between two records, and keeping the file whole and
// on the medium while the device runs until its power is cut.
#include "gps/LogFileName.h"
#include "gps/LogOutputFile.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace velvane {

enum class LampState { Good, Hollow, Bad };

class LogRecorder {
public:
    // Written data is pushed to the medium once it is this old, so a power
    // cut loses at most this much (plus one check period of the owner's
    // timer, see SyncIfDue).
    static constexpr uint32_t SyncAgeMs = 2000;
    // A log whose file could not be opened tries again this often.
    static constexpr uint32_t ReopenPeriodMs = 5000;

    // Closes the file and opens path under the name of this moment (parts:
    // LogNameParts), appending to it when it exists. An empty path opens
    // nothing; a relative one is taken from the root, as the device does.
    // False when no file is open afterwards.
    bool Open(std::u16string_view path, unsigned parts, uint32_t intervalMs);
    void Close();
    // What ends each record ("\r\n" for lines). A file whose last record
    // was cut (by a power cut, say) gets one first, so that the torn record
    // stays apart from the whole ones that follow.
    void SetRecordEnd(std::string_view end) { m_recordEnd = end; }

    // Writes the record unless it comes within the interval after the last
    // one written. True when the lamp may look different now. A record that
    // cannot be written is lost, and the next one tries again.
    bool WriteRecord(std::string_view record);

    // Syncs when the oldest unsynced record is SyncAgeMs old. An owner
    // calls it periodically while HasUnsynced() to bound the age when no
    // further record comes.
    void SyncIfDue();
    bool HasUnsynced() const { return m_unsynced; }

    // Good after a written record, Hollow while records are dropped by the
    // interval, Bad without a file or while writing fails (storage full).
    LampState Lamp() const;
    bool IsOpen() const { return m_output != nullptr; }
    // The file's name as opened; empty when none is.
    std::u16string FileName() const;

private:
    bool OpenNow();

    std::unique_ptr<LogOutputFile> m_output;
    std::string m_recordEnd;
    bool m_endTornRecord = false;
    std::u16string m_path;
    unsigned m_parts = 0;
    uint32_t m_intervalMs = 0;
    uint32_t m_lastWrite = 0;
    uint32_t m_lastOpenAttempt = 0;
    uint32_t m_unsyncedSince = 0;
    bool m_anyWritten = false;
    bool m_written = false;
    bool m_failing = false;
    bool m_unsynced = false;
};

} // namespace velvane
