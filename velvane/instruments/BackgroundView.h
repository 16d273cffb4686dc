#pragma once
// A plain colour or a bitmap stretched over the whole view, built once per
// Load into a surface of the view's size so that a frame is a single copy.
// The "Empty" view shows only this; chart and route views draw on it.
#include "display/Component.h"
#include "display/ComponentClass.h"
#include "ini/IniParser.h"

#include "platform/canvas.h"

#include <memory>
#include <string>

namespace velvane {

class BackgroundView : public Component, public IniParser {
public:
    // Section "Empty", a view that needs no GPS data.
    static const ComponentClassOf<BackgroundView> Class;

    static constexpr platform::Color DefaultColor = platform::Rgb(255, 255, 255);

    BackgroundView(Screen& owner, int width, int height);
    ~BackgroundView() override;

    void Draw(platform::Canvas& canvas, int originX, int originY) override;
    // Builds the surface again at the new size.
    void Resize(int width, int height) override;

    // Defaults, then the file (none: just the defaults), then the surface is
    // built anew. True when the file parsed or no path was given.
    bool Load(std::u16string_view path) override;
    bool OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) override;
    int OnSection(std::u16string_view name) override;
    int FirstSectionId() override;

    platform::Color BackgroundColor() const { return m_color; }
    // The built background; null only when the view has no area.
    const platform::Canvas* Surface() const { return m_surface.get(); }

protected:
    int BackgroundSectionId() { return IniParser::FirstSectionId(); }

private:
    void Build();

    platform::Color m_color = DefaultColor;
    // The image of the last Load, joined to its settings file's folder; kept
    // so that a resize can build the same background again.
    std::u16string m_imagePath;
    // Only known while Load runs.
    std::u16string m_iniPath;
    std::unique_ptr<platform::Canvas> m_surface;
};

} // namespace velvane
