#include "gps/LogRecorder.h"

namespace velvane {

bool LogRecorder::Open(std::u16string_view path, unsigned parts, uint32_t intervalMs) {
    Close();
    m_path.clear();
    if (!path.empty() && path[0] != u'\\' && path[0] != u'/')
        m_path = u"\\";
    m_path += path;
    m_parts = parts;
    m_intervalMs = intervalMs;
    m_lastWrite = 0;
    m_anyWritten = false;
    m_written = false;
    m_failing = false;
    return OpenNow();
}

void LogRecorder::Close() {
    if (m_output && m_unsynced)
        m_output->Sync();
    m_output.reset();
    m_unsynced = false;
}

bool LogRecorder::OpenNow() {
    m_lastOpenAttempt = platform::GetTickCount();
    if (m_path.empty())
        return false;
    m_output = LogOutputFile::Open(LogFileName(m_path, m_parts, platform::GetLocalTime()));
    m_endTornRecord = m_output && !m_recordEnd.empty() && !m_output->EndedWith(m_recordEnd.back());
    return m_output != nullptr;
}

bool LogRecorder::WriteRecord(std::string_view record) {
    SyncIfDue();
    const uint32_t now = platform::GetTickCount();
    // The first record of a session is always due, whatever the tick count.
    if (m_anyWritten && now - m_lastWrite < m_intervalMs) {
        if (!m_written)
            return false;
        m_written = false;
        return true;
    }
    if (m_output && !m_output->IsStillThere()) {
        // Deleted or moved away by someone else: start again under the
        // rules of a new session rather than write into nowhere.
        Close();
        OpenNow();
    } else if (!m_output && !m_path.empty() && now - m_lastOpenAttempt >= ReopenPeriodMs) {
        OpenNow(); // the card may be back
    }
    std::string ended;
    if (m_endTornRecord) {
        // One write, so the end and the record go in together or not at all.
        ended = m_recordEnd + std::string(record);
        record = ended;
    }
    const uint32_t length = static_cast<uint32_t>(record.size());
    if (m_output && m_output->Write(record.data(), length) == length) {
        m_endTornRecord = false;
        m_written = true;
        m_anyWritten = true;
        m_failing = false;
        m_lastWrite = platform::GetTickCount();
        if (!m_unsynced) {
            m_unsynced = true;
            m_unsyncedSince = m_lastWrite;
        }
        SyncIfDue();
    } else {
        m_failing = m_output != nullptr;
    }
    return true;
}

void LogRecorder::SyncIfDue() {
    if (!m_unsynced || !m_output || platform::GetTickCount() - m_unsyncedSince < SyncAgeMs)
        return;
    m_output->Sync();
    m_unsynced = false;
}

LampState LogRecorder::Lamp() const {
    if (!m_output || m_failing)
        return LampState::Bad;
    return m_written ? LampState::Good : LampState::Hollow;
}

std::u16string LogRecorder::FileName() const {
    return m_output ? m_output->Path() : std::u16string();
}

} // namespace velvane
