#pragma once
// Guides to one fixed destination: an arrow towards it relative to the
// direction of travel (up = straight ahead), the distance left and, on
// request, both positions as text.
#include "display/Component.h"
#include "display/ComponentClass.h"
#include "gps/PositionListener.h"
#include "ini/IniParser.h"
#include "instruments/GeoPosition.h"

#include "platform/canvas.h"

#include <array>
#include <cstdint>
#include <string>

namespace velvane {

class GeoCacheOverlay : public Component, public IniParser, public PositionListener {
public:
    // Section "GeoCache", an overlay that listens to positions.
    static const ComponentClassOf<GeoCacheOverlay> Class;

    static constexpr char16_t NoFixText[] = u"N 00° 0.0000' / 0 00° 0.0000'";
    static constexpr int MaxArrowPoints = 7;
    static constexpr size_t CoordinateCapacity = 64;
    // Positions and sizes a skin may give stay within this many pixels.
    static constexpr int MaxExtent = 65536;

    struct Settings {
        int xDest = 30, yDest = 16;
        int xCur = 30, yCur = 38;
        int xDist = 0, yDist = 0;
        int xArrow = 0, yArrow = 0;
        int arrowSize = 64;
        int arrowStyle = 0;
        int arrowBorder = 3;
        int coordFontSize = 24;
        int distFontSize = 40;
        bool showCoordinates = false;
        std::u16string font;
        platform::Color destination = platform::Rgb(0, 0, 0);
        platform::Color current = platform::Rgb(0, 0, 0);
        platform::Color distance = platform::Rgb(0, 0, 0);
        platform::Color arrow = platform::Rgb(0, 0, 0xFF);
        platform::Color arrowBorderColor = platform::Rgb(0, 0, 0);
        int minimumMove = 400; // cm
    };

    GeoCacheOverlay(Screen& owner, int width, int height);
    ~GeoCacheOverlay() override;

    void Draw(platform::Canvas& canvas, int originX, int originY) override;

    // Defaults, the file, then destination, arrow, fonts and pens anew.
    // False when the file could not be read: the overlay stays off.
    bool Load(std::u16string_view path) override;
    bool OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) override;
    int OnSection(std::u16string_view name) override;
    int FirstSectionId() override;

    void OnPosition(const GeoPosition& position) override;

    // Counter-clockwise from east in single precision; straight down (dx 0)
    // is -π/2, every other direction in [0, 2π).
    static float Direction(double dx, double dy);

    const Settings& GetSettings() const { return m_settings; }
    const GeoPosition& Destination() const { return m_destination; }
    float Rotation() const { return m_rotation; }
    const std::u16string& DestinationText() const { return m_destinationText; }
    const std::u16string& CurrentText() const { return m_currentText; }
    const std::u16string& DistanceText() const { return m_distanceText; }
    int ArrowPointCount() const { return m_arrowCount; }
    // The rotated arrow in the overlay's own coordinates.
    platform::Point ArrowPoint(int i) const { return m_rotated[size_t(i)]; }

private:
    enum Section { MetricsSection, ColorsSection, CoordinatesSection, SectionCount };

    void SetDefaults();
    void BuildArrow();
    void RotateArrow(float angle);
    bool MetricsAttribute(std::u16string_view key, std::u16string_view value);
    bool ColorsAttribute(std::u16string_view key, std::u16string_view value);
    bool CoordinatesAttribute(std::u16string_view key, std::u16string_view value);

    Settings m_settings;
    GeoPosition m_destination{0, 0};
    // Where the heading was last renewed; the origin until then.
    GeoPosition m_headingFrom{0, 0};
    float m_rotation = 0.0f;
    std::u16string m_destinationText;
    std::u16string m_currentText;
    std::u16string m_distanceText;
    std::array<platform::Point, MaxArrowPoints> m_template{};
    std::array<platform::Point, MaxArrowPoints> m_rotated{};
    int m_arrowCount = 0;
    platform::Font m_coordFont;
    platform::Font m_distFont;
};

} // namespace velvane
