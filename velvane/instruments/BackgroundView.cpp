#include "instruments/BackgroundView.h"
#include "instruments/MissingBitmapNotice.h"

#include "ini/IniPath.h"
#include "ini/IniText.h"

#include "platform/bitmap.h"

namespace velvane {

using platform::Rect;

BackgroundView::BackgroundView(Screen& owner, int width, int height)
    : Component(owner, width, height) {
    Build();
}

BackgroundView::~BackgroundView() = default;

bool BackgroundView::Load(std::u16string_view path) {
    m_color = DefaultColor;
    m_imagePath.clear();
    bool parsed = true;
    if (!path.empty()) {
        m_iniPath = path;
        parsed = IniParser::Load(path);
        m_iniPath.clear();
    }
    Build();
    RequestRedraw();
    return parsed;
}

int BackgroundView::OnSection(std::u16string_view name) {
    if (KeywordMatch(u"Background", name) == 0)
        return BackgroundSectionId();
    return IniParser::OnSection(name);
}

int BackgroundView::FirstSectionId() {
    return IniParser::FirstSectionId() + 1;
}

bool BackgroundView::OnAttribute(int sectionId, std::u16string_view key,
                                 std::u16string_view value) {
    if (sectionId != BackgroundSectionId())
        return IniParser::OnAttribute(sectionId, key, value);
    if (KeywordMatch(u"Color", key) == 0) {
        if (value.size() != 6)
            return false;
        m_color = IniColor(value);
        return true;
    }
    if (KeywordMatch(u"Image", key) == 0) {
        if (!m_iniPath.empty()) {
            const size_t folder = FileNamePart(m_iniPath);
            m_imagePath = JoinPath(value, std::u16string_view(m_iniPath).substr(0, folder));
        }
        return true;
    }
    return false;
}

void BackgroundView::Resize(int width, int height) {
    const bool changed = width != m_width || height != m_height;
    Component::Resize(width, height);
    if (changed) {
        m_surface.reset();
        Build();
    }
}

void BackgroundView::Build() {
    if (!m_surface) {
        m_surface = platform::Canvas::Create(m_width, m_height);
        if (!m_surface)
            return;
    }
    platform::Canvas& canvas = *m_surface;
    const Rect whole{0, 0, m_width, m_height};
    if (!m_imagePath.empty()) {
        if (auto bitmap = platform::Bitmap::Load(m_imagePath)) {
            canvas.StretchBlt(whole, *bitmap);
            return;
        }
    }
    canvas.FillRect(whole, m_color);
    if (m_imagePath.empty())
        return;

    DrawMissingBitmapNotice(canvas, m_width, m_height, m_imagePath);
}

void BackgroundView::Draw(platform::Canvas& canvas, int originX, int originY) {
    if (m_surface)
        canvas.BitBlt(originX, originY, m_width, m_height, *m_surface, 0, 0);
}

const ComponentClassOf<BackgroundView> BackgroundView::Class{u"Empty", u"Leer", EntryKind::View};

} // namespace velvane
