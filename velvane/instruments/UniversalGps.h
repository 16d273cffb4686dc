#pragma once
// One raw field of one chosen NMEA sentence, shown as the receiver sent it.
#include "display/ComponentClass.h"
#include "display/TextOverlay.h"
#include "gps/SentenceListener.h"

#include <string>
#include <string_view>
#include <vector>

namespace velvane {

class UniversalGps : public TextOverlay, public SentenceListener {
public:
    // Section "UniversalGPS", an overlay; it reads the chosen sentences.
    static const ComponentClassOf<UniversalGps> Class;

    enum class Sentence { RMC, GGA, GSV, VTG, GSA, Other };
    static constexpr char16_t Placeholder[] = u"---";
    static constexpr int InitialCapacity = 16;

    UniversalGps(Screen& owner, int width, int height);

    // Frees the sentence name and parses; type and index stay unless the
    // file sets them.
    bool Load(std::u16string_view path) override;
    int OnSection(std::u16string_view name) override;
    bool OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) override;
    int FirstSectionId() override;

    void OnRMC(std::string_view line) override;
    void OnGGA(std::string_view line) override;
    void OnGSV(std::string_view line) override;
    void OnVTG(std::string_view line) override;
    void OnGSA(std::string_view line) override;
    void OnOther(std::string_view line) override;
    int FormatText(char16_t* buffer, int capacity) override;

    Sentence Type() const { return m_type; }
    int Index() const { return m_index; }
    const std::string& CustomName() const { return m_customName; }
    std::u16string_view Text() const { return m_text; }

private:
    int InfoSectionId() { return TextOverlay::FirstSectionId(); }
    void Take(std::string_view line);

    Sentence m_type = Sentence::Other;
    std::string m_customName; // the sentence address, in the ANSI code page
    int m_index = -1;
    std::u16string m_text{Placeholder};
};

} // namespace velvane
