#pragma once
// Notices when lines arrive but none gives a speed (a receiver that talks as
// $GN, the other speed sentence chosen, no fix yet) and says once, on stderr
// and in the transcript, what arrives and what to change. The German user
// interface stays as it is: this is a line for whoever sets the device up.
#include "gps/SentenceType.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velvane {

class SpeedWatch {
public:
    using Address = std::array<char, 6>; // "GNRMC" and its end
    static constexpr uint32_t QuietMs = 10000;
    // Longer without any line is a silent port, not a quiet speed.
    static constexpr uint32_t SilenceMs = 3000;

    // The sentence type the speed is read from: RMC or VTG.
    void Expect(SentenceType speedType) {
        m_wanted = speedType;
        m_either = false;
    }
    // Either sentence gives the speed.
    void ExpectEither() { m_either = true; }
    // Every line as it is dispatched, with the type it was given.
    void Note(std::string_view line, SentenceType type);
    // The notice, once, when lines have arrived for QuietMs and none gave a
    // speed; rule is the talker rule in force, for the advice.
    std::optional<std::string> Check(uint32_t nowMs, TalkerRule rule);

private:
    std::string Advice(TalkerRule rule) const;
    // Whether a sentence of this type arrived from a talker the rule takes.
    bool Seen(std::string_view type, TalkerRule rule) const;

    // Whether the speed is read from sentences of this type.
    bool Wanted(SentenceType type) const {
        return m_either ? type == SentenceType::RMC || type == SentenceType::VTG : type == m_wanted;
    }

    SentenceType m_wanted = SentenceType::VTG;
    bool m_either = false;
    bool m_said = false;
    bool m_lines = false;       // a line arrived since the last check
    bool m_speed = false;       // a speed arrived since the last check
    bool m_wantedEmpty = false; // the wanted sentence came with an empty speed
    std::optional<uint32_t> m_quietSince;
    std::optional<uint32_t> m_lastLineAt;
    std::array<Address, 16> m_seen{}; // in order of arrival
    size_t m_seenCount = 0;
};

} // namespace velvane
