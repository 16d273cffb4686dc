#pragma once
// A fixed text from its settings file.
#include "display/ComponentClass.h"
#include "display/TextOverlay.h"

#include <string>
#include <string_view>

namespace velvane {

class CustomText : public TextOverlay {
public:
    // Section "CustomText", an overlay; it needs no GPS data.
    static const ComponentClassOf<CustomText> Class;

    CustomText(Screen& owner, int width, int height);

    // The text is cleared first: a file without one shows nothing.
    bool Load(std::u16string_view path) override;
    int OnSection(std::u16string_view name) override;
    bool OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) override;
    int FirstSectionId() override;
    int FormatText(char16_t* buffer, int capacity) override;

    const std::u16string& Text() const { return m_text; }

private:
    int TextSectionId() { return TextOverlay::FirstSectionId(); }

    std::u16string m_text;
};

} // namespace velvane
