#pragma once
// The course over ground as one of the sixteen compass point names, read
// from VTG sentences.
#include "display/ComponentClass.h"
#include "display/TextOverlay.h"
#include "gps/SentenceListener.h"

#include <string_view>

namespace velvane {

class Compass : public TextOverlay, public SentenceListener {
public:
    // Section "Compass", an overlay; it reads VTG sentences while it is on.
    static const ComponentClassOf<Compass> Class;

    // The stored value while no course is known.
    static constexpr int NoCourse = -1;

    Compass(Screen& owner, int width, int height);

    void OnVTG(std::string_view line) override;
    void OnStale() override;
    int FormatText(char16_t* buffer, int capacity) override;

    // (course + 11) mod 360, or NoCourse.
    int Value() const { return m_value; }
    // The point name for a stored value; "?" for NoCourse.
    static std::u16string_view PointName(int value);

private:
    int m_value = NoCourse;
};

} // namespace velvane
