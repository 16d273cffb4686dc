#include "instruments/CustomText.h"
#include "instruments/OverlayText.h"

#include "ini/IniText.h"

namespace velvane {

const ComponentClassOf<CustomText> CustomText::Class{u"CustomText", u"Text", EntryKind::Overlay};

CustomText::CustomText(Screen& owner, int width, int height) : TextOverlay(owner, width, height) {}

bool CustomText::Load(std::u16string_view path) {
    m_text.clear();
    return TextOverlay::Load(path);
}

int CustomText::OnSection(std::u16string_view name) {
    if (KeywordMatch(u"Text", name) == 0)
        return TextSectionId();
    return TextOverlay::OnSection(name);
}

int CustomText::FirstSectionId() {
    return TextOverlay::FirstSectionId() + 1;
}

bool CustomText::OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) {
    if (sectionId != TextSectionId())
        return TextOverlay::OnAttribute(sectionId, key, value);
    if (KeywordMatch(u"Text", key) == 0) {
        // "\n" breaks the line: a settings line cannot hold a real one.
        m_text.clear();
        for (size_t i = 0; i < value.size(); ++i) {
            if (value[i] == u'\\' && i + 1 < value.size() && value[i + 1] == u'n') {
                m_text += u'\n';
                ++i;
            } else {
                m_text += value[i];
            }
        }
        return true;
    }
    return false;
}

int CustomText::FormatText(char16_t* buffer, int capacity) {
    return CopyOverlayText(std::u16string_view(m_text), buffer, capacity);
}

} // namespace velvane
