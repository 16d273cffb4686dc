#include "gps/GpsReceiver.h"
#include "ini/IniText.h"
#include "platform/clock.h"
#include "platform/messagebox.h"
#include "platform/serial.h"
#include "platform/text.h"
#include "platform/transcript.h"
#include "platform/window.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace velvane {

namespace {

using platform::MessageBoxButtons;
using platform::MessageBoxIcon;

std::u16string Ascii(std::string_view text) {
    return std::u16string(text.begin(), text.end());
}

std::u16string Decimal(uint32_t value) {
    return Ascii(std::to_string(value));
}

} // namespace

GpsReceiver::GpsReceiver(platform::Window* window) : m_window(window) {}

GpsReceiver::~GpsReceiver() {
    Stop();
}

void GpsReceiver::AddSentenceListener(SentenceListener* listener, ListPosition where) {
    m_listeners.Add(listener, where);
}

void GpsReceiver::RemoveSentenceListener(SentenceListener* listener) {
    m_listeners.Remove(listener);
}

void GpsReceiver::DispatchVTG(std::string_view line) {
    m_listeners.ForEach([line](SentenceListener* l) { l->OnVTG(line); });
}

void GpsReceiver::DispatchRMC(std::string_view line) {
    m_listeners.ForEach([line](SentenceListener* l) { l->OnRMC(line); });
}

void GpsReceiver::DispatchGGA(std::string_view line) {
    m_listeners.ForEach([line](SentenceListener* l) { l->OnGGA(line); });
}

void GpsReceiver::DispatchGSV(std::string_view line) {
    m_listeners.ForEach([line](SentenceListener* l) { l->OnGSV(line); });
}

void GpsReceiver::DispatchGSA(std::string_view line) {
    m_listeners.ForEach([line](SentenceListener* l) { l->OnGSA(line); });
}

void GpsReceiver::DispatchOther(std::string_view line) {
    m_listeners.ForEach([line](SentenceListener* l) { l->OnOther(line); });
}

void GpsReceiver::DispatchStale() {
    m_listeners.ForEach([](SentenceListener* l) { l->OnStale(); });
}

void GpsReceiver::DispatchLine(std::string_view line) {
    const SentenceType type = ClassifySentence(line, m_talkerRule);
    m_speedWatch.Note(line, type);
    switch (type) {
    case SentenceType::VTG:
        return DispatchVTG(line);
    case SentenceType::RMC:
        return DispatchRMC(line);
    case SentenceType::GGA:
        return DispatchGGA(line);
    case SentenceType::GSV:
        return DispatchGSV(line);
    case SentenceType::GSA:
        return DispatchGSA(line);
    case SentenceType::Other:
        break;
    }
    DispatchOther(line);
}

void GpsReceiver::Stop() {
    if (m_window)
        m_window->KillTimer(PollTimerId);
    m_port.reset();
    m_buffer.reset();
    m_bufferSize = 0;
    m_filled = 0;
    m_resyncing = false;
    m_pollPeriodMs = 0;
}

bool GpsReceiver::Load(std::u16string_view path) {
    Stop();
    m_settings = std::make_unique<GpsSettings>();
    bool ok = IniParser::Load(path);
    if (ok) {
        const GpsSettings& settings = *m_settings;
        m_talkerRule = settings.anyTalker ? TalkerRule::AnyTalker : TalkerRule::GpsOnly;
        m_bufferSize = static_cast<uint32_t>(settings.bufferSize);
        m_buffer = std::make_unique<char[]>(m_bufferSize);
        m_filled = 0;
        ok = OpenPort(settings) && ConfigurePort(settings);
        if (ok) {
            ControlReceiver(settings);
            m_pollPeriodMs = settings.PollPeriodMs();
            if (m_window)
                m_window->SetTimer(PollTimerId, m_pollPeriodMs, [this] { Poll(); });
        } else {
            Stop();
        }
    }
    m_settings.reset();
    return ok;
}

int GpsReceiver::OnSection(std::u16string_view name) {
    if (KeywordMatch(u"GPS-Settings", name) == 0)
        return IniParser::FirstSectionId();
    return IniParser::OnSection(name);
}

int GpsReceiver::FirstSectionId() {
    return IniParser::FirstSectionId() + 1;
}

bool GpsReceiver::OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) {
    if (sectionId != IniParser::FirstSectionId() || !m_settings)
        return IniParser::OnAttribute(sectionId, key, value);
    GpsSettings& s = *m_settings;
    if (KeywordMatch(u"ComPort", key) == 0) {
        s.comPort = IniInteger(value);
    } else if (KeywordMatch(u"BaudRate", key) == 0) {
        s.baudRate = IniInteger(value);
    } else if (KeywordMatch(u"BufferSize", key) == 0) {
        const int32_t size = IniInteger(value);
        if (size > GpsSettings::MaxBufferSize)
            return false;
        s.bufferSize = size < GpsSettings::MinBufferSize ? GpsSettings::MinBufferSize : size;
    } else if (KeywordMatch(u"DefaultInterval", key) == 0) {
        s.defaultInterval = IniInteger(value);
    } else if (KeywordMatch(u"Protocol", key) == 0) {
        s.protocols.push_back({std::u16string(value), static_cast<uint32_t>(s.defaultInterval)});
    } else if (KeywordMatch(u"Interval", key) == 0) {
        if (s.protocols.empty())
            return false;
        s.protocols.back().interval = static_cast<uint32_t>(IniInteger(value));
    } else if (KeywordMatch(u"AllOFF", key) == 0) {
        s.allOff = IniBool(value);
    } else if (KeywordMatch(u"AnyTalker", key) == 0) {
        s.anyTalker = IniBool(value);
    } else {
        return IniParser::OnAttribute(sectionId, key, value);
    }
    return true;
}

bool GpsReceiver::OpenPort(const GpsSettings& settings) {
    const std::u16string device = u"COM" + Decimal(static_cast<uint32_t>(settings.comPort)) + u":";
    for (;;) {
        m_port = platform::SerialPort::Open(device);
        if (m_port)
            return true;
        if (platform::MessageBox(m_window, device, u"COM-Port kann nicht geöffnet werden:",
                                 MessageBoxButtons::RetryCancel,
                                 MessageBoxIcon::Error) != platform::IdRetry)
            return false;
    }
}

bool GpsReceiver::ConfigurePort(const GpsSettings& settings) {
    for (;;) {
        if (m_port->Configure(static_cast<uint32_t>(settings.baudRate)))
            return true;
        if (platform::MessageBox(m_window, u"Der COM-Port konnte nicht konfiguriert werden.",
                                 u"Fehler", MessageBoxButtons::RetryCancel,
                                 MessageBoxIcon::Error) != platform::IdRetry)
            return false;
    }
}

bool GpsReceiver::WriteCommand(std::string_view bytes) {
    uint32_t written = 0;
    return m_port->Write(bytes.data(), static_cast<uint32_t>(bytes.size()), written) &&
           written >= bytes.size();
}

void GpsReceiver::ControlReceiver(const GpsSettings& settings) {
    if (settings.allOff && platform::MessageBox(m_window,
                                                u"Die Protokolle werden nicht wieder aktiviert.\n"
                                                u"Wollen Sie trotzdem alle Protokolle abschalten?",
                                                u"Abschalten?", MessageBoxButtons::YesNo,
                                                MessageBoxIcon::Exclamation) == platform::IdYes) {
        while (!WriteCommand("$PRWIILOG,???,V,,,\r\n") &&
               platform::MessageBox(m_window, u"Das Abschalten der Protokolle schlug fehl.",
                                    u"Fehler", MessageBoxButtons::RetryCancel,
                                    MessageBoxIcon::Error) == platform::IdRetry) {
        }
    }
    for (const ProtocolEntry& entry : settings.protocols) {
        const std::u16string command =
            u"$PRWIILOG," + entry.name + u",A,T," + Decimal(entry.interval) + u",0\r\n";
        for (;;) {
            auto bytes = platform::ToAnsi(command);
            if (!bytes || bytes->size() + 1 > CommandBufferSize) {
                if (platform::MessageBox(m_window, command, u"Fehler beim Konvertieren:",
                                         MessageBoxButtons::RetryCancel,
                                         MessageBoxIcon::Error) == platform::IdRetry)
                    continue;
                break;
            }
            while (!WriteCommand(*bytes) &&
                   platform::MessageBox(m_window, command, u"Fehler beim Aktivieren durch:",
                                        MessageBoxButtons::RetryCancel,
                                        MessageBoxIcon::Error) == platform::IdRetry) {
            }
            break;
        }
    }
}

void GpsReceiver::Poll() {
    if (!m_port || !m_buffer)
        return;
    // What the earlier rounds brought; said once, never in a message box.
    if (auto notice = m_speedWatch.Check(platform::GetTickCount(), m_talkerRule)) {
        std::fprintf(stderr, "velvane: %s\n", notice->c_str());
        std::string quoted;
        for (char c : *notice)
            quoted += c == '"' ? std::string("\\\"") : std::string(1, c);
        platform::TranscriptWrite("gps notice=\"" + quoted + "\"");
    }
    platform::Lifetime::Watch watch(m_lifetime);
    for (;;) {
        if (m_filled == m_bufferSize) {
            // A full buffer without a line end is no sentence: drop it rather
            // than asking the port for nothing forever.
            m_droppedCr = m_buffer[m_filled - 1] == '\r';
            m_filled = 0;
            m_resyncing = true;
        }
        const uint32_t request = m_bufferSize - m_filled;
        uint32_t got = 0;
        if (!m_port->Read(m_buffer.get() + m_filled, request, got))
            break; // the next tick reads again
        const uint32_t scanFrom = m_filled;
        m_filled += got;
        if (!CutLines(scanFrom, watch))
            return; // a listener deleted the receiver
        if (got != request || !m_port)
            break;
    }
}

bool GpsReceiver::CutLines(uint32_t scanFrom, const platform::Lifetime::Watch& watch) {
    char* const buffer = m_buffer.get();
    uint32_t start = 0;
    if (m_resyncing) {
        if (m_droppedCr && m_filled > 0 && buffer[0] == '\n') {
            start = 1;
            m_resyncing = false;
        }
        m_droppedCr = false;
    }
    // A CR kept from the last round may pair with the first new byte.
    uint32_t pos = scanFrom > 0 ? scanFrom - 1 : 0;
    if (pos < start)
        pos = start;
    while (pos + 1 < m_filled) {
        const void* lf = std::memchr(buffer + pos + 1, '\n', m_filled - pos - 1);
        if (!lf)
            break;
        const uint32_t at = static_cast<uint32_t>(static_cast<const char*>(lf) - buffer);
        if (buffer[at - 1] != '\r') {
            pos = at;
            continue;
        }
        if (m_resyncing) {
            m_resyncing = false;
        } else {
            DispatchLine(std::string_view(buffer + start, at + 1 - start));
            if (watch.Ended())
                return false;
            if (m_buffer.get() != buffer)
                return true; // a listener stopped or reloaded the receiver
        }
        start = at + 1;
        pos = start;
    }
    if (m_resyncing) {
        // Still inside the dropped line: keep only a trailing CR that may pair.
        m_droppedCr = m_filled > start && buffer[m_filled - 1] == '\r';
        m_filled = 0;
        return true;
    }
    std::memmove(buffer, buffer + start, m_filled - start);
    m_filled -= start;
    return true;
}

} // namespace velvane
