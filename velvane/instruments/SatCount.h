#pragma once
// Satellites used (from GGA) and in view (from GSV) as "used/in viewSats".
#include "display/ComponentClass.h"
#include "display/TextOverlay.h"
#include "gps/SentenceListener.h"

#include <string>
#include <string_view>

namespace velvane {

class SatCount : public TextOverlay, public SentenceListener {
public:
    // Section "SatCount", an overlay; it reads GGA and GSV sentences.
    static const ComponentClassOf<SatCount> Class;

    static constexpr int Unknown = -1;

    SatCount(Screen& owner, int width, int height);

    void OnGGA(std::string_view line) override;
    void OnGSV(std::string_view line) override;
    void OnStale() override;
    int FormatText(char16_t* buffer, int capacity) override;

    int Used() const { return m_used; }
    int InView() const { return m_inView; }
    // The text for these counts, Unknown where not known.
    static std::string Text(int used, int inView);

private:
    // Both survive a reload of the settings.
    int m_used = Unknown;
    int m_inView = Unknown;
};

} // namespace velvane
