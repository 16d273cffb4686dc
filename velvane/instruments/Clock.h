#pragma once
// The local time in a configurable picture. Optionally sets the device clock
// once from the UTC time of the first usable GGA sentence.
#include "display/ComponentClass.h"
#include "display/TextOverlay.h"
#include "gps/SentenceListener.h"

#include "platform/clock.h"

#include <string>
#include <string_view>

namespace velvane {

class Clock : public TextOverlay, public SentenceListener {
public:
    // Section "Clock", an overlay; it reads GGA sentences only when it is to
    // set the device clock.
    static const ComponentClassOf<Clock> Class;

    static constexpr char16_t DefaultFormat[] = u"HH':'mm':'ss";

    Clock(Screen& owner, int width, int height);

    bool Load(std::u16string_view path) override;
    int OnSection(std::u16string_view name) override;
    bool OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) override;
    int FirstSectionId() override;

    void OnGGA(std::string_view line) override;
    int FormatText(char16_t* buffer, int capacity) override;

    const std::u16string& Format() const { return m_format; }
    bool SetsSystemTime() const { return m_setSystemTime; }
    bool TimeSet() const { return m_timeSet; }
    // Whether the descriptor registered it for sentences: detach undoes
    // exactly that, whatever a reload changed since.
    bool Listening() const { return m_listening; }
    void SetListening(bool listening) { m_listening = listening; }

    // A time picture: h/hh 12-hour, H/HH 24-hour, m/mm minutes, s/ss
    // seconds, t/tt "A"/"AM" or "P"/"PM"; text in single quotes is copied,
    // "''" inside it is one quote; every other character stands for itself.
    static std::u16string FormatTime(const platform::SystemTime& time, std::u16string_view picture);

private:
    int ClockSectionId() { return TextOverlay::FirstSectionId(); }

    std::u16string m_format{DefaultFormat};
    bool m_setSystemTime = false;
    bool m_timeSet = false; // once per object, not cleared by a reload
    bool m_listening = false;
};

} // namespace velvane
