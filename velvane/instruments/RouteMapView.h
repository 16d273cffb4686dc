#pragma once
// The track driven so far on a plain map, the standpoint, points of interest
// and a small panel to pan, zoom and re-centre. Positions are projected into
// centimetres around a reference position that is renewed whenever the map
// re-centres, so the picture stays true far from the prime meridian and
// across the 180° meridian. The background and the track are kept in a layer
// that is drawn anew only when the map window moves; new points are added to
// it as they come, and where a dropped piece of the track showed, that small
// area alone is drawn again.
#include "display/ComponentClass.h"
#include "gps/PositionListener.h"
#include "instruments/BackgroundView.h"
#include "instruments/GeoPosition.h"

#include "platform/bitmap.h"
#include "platform/canvas.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace velvane {

class RouteMapView : public BackgroundView, public PositionListener {
public:
    // Section "Route", a view that listens to positions while it is shown.
    static const ComponentClassOf<RouteMapView> Class;

    enum class PoiStyle { Circle, Cross1, Cross2 };

    struct Metrics {
        int routePoints = 128;
        int mapSize = 32; // m
        int routeWidth = 2;
        int standpointSize = 8;
        int standpointPenWidth = 2;
        int autoMovePercent = 20;
        int poiSize = 16;
        PoiStyle poiStyle = PoiStyle::Circle;
        platform::Color route = platform::Rgb(0xC0, 0x00, 0x00);
        platform::Color standpoint = platform::Rgb(0xFF, 0x00, 0x00);
    };

    struct Poi {
        // (0, 0) until both coordinates were read.
        GeoPosition position{0, 0};
        int32_t latitude = 0, longitude = 0; // as read
        bool hasLatitude = false;
        bool hasLongitude = false;
        platform::Color color = platform::Rgb(0x00, 0xFF, 0x00);
        std::u16string text;
        int64_t east = 0, north = 0;
        int64_t x = 0, y = 0;
    };

    // The panel's actions, in the order of their buttons and bitmaps.
    enum Action {
        PanLeft,
        StepLeft,
        PanRight,
        StepRight,
        PanUp,
        StepUp,
        PanDown,
        StepDown,
        ZoomIn,
        ZoomOut,
        CentreOnStandpoint,
        Collapse,
        Expand,
        AutoMoveOff,
        AutoMoveOn,
        ButtonCount
    };
    static constexpr int FirstBitmapId = 130;
    static constexpr int BitmapSize = 19;
    static constexpr int ButtonPitch = 22;
    static constexpr int PanelWidth = 43;
    static constexpr int PanelHeight = 153;
    // One key toggles AutoMove: it reaches whichever of the two buttons is shown.
    static constexpr int AutoMoveKey = 65;
    // The track a skin may ask for: a day at one position a second, and no
    // allocation a typing slip could make fail.
    static constexpr int MaxRoutePoints = 200000;
    // The map window keeps within the earth's circumference and a few
    // centimetres (a quarter of it must be something to zoom by),
    // and its edges within this many centimetres of the reference, so that
    // no projection or pan can overflow.
    static constexpr int64_t MinWindowCm = 4;
    static constexpr int64_t MaxWindowCm = 4000000000;
    static constexpr int64_t MaxEdgeCm = int64_t(1) << 40;

    RouteMapView(Screen& owner, int width, int height);
    ~RouteMapView() override;

    void Draw(platform::Canvas& canvas, int originX, int originY) override;
    void Resize(int width, int height) override;
    bool OnKey(int keyCode) override;
    bool OnTap(int x, int y) override;

    // Defaults, the file, then window size, pens and panel place anew; the
    // newest route points stay. POIs are those of this file only.
    bool Load(std::u16string_view path) override;
    bool OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) override;
    int OnSection(std::u16string_view name) override;
    int FirstSectionId() override;

    void OnPosition(const GeoPosition& position) override;
    void RunAction(int action);

    const Metrics& Settings() const { return m_metrics; }
    const std::vector<Poi>& Pois() const { return m_pois; }
    // The map window in centimetres relative to the reference position.
    int64_t MapLeft() const { return m_left; }
    int64_t MapTop() const { return m_top; }
    uint32_t MapWidth() const { return m_mapWidth; }
    uint32_t MapHeight() const { return m_mapHeight; }
    const LocalProjection& Projection() const { return m_projection; }
    int64_t AutoMoveRadiusSquared() const { return m_autoMoveRadius2; }
    bool AutoMove() const { return m_autoMove; }
    platform::Point PanelPosition() const { return {m_xControls, m_yControls}; }
    bool ButtonVisible(int action) const { return m_buttons[size_t(action)].visible; }
    // Relative to the panel position, as taps are tested.
    platform::Rect ButtonRect(int action) const { return m_buttons[size_t(action)].rect; }
    int ButtonKey(int action) const { return m_buttons[size_t(action)].key; }

    int Capacity() const { return int(m_ring.size()); }
    int StoredCount() const { return m_stored; }
    int WriteIndex() const { return m_write; }
    // i = 0 is the oldest stored point.
    GeoPosition PointAt(int i) const;
    struct ScreenPoint {
        int64_t x, y;
    };
    ScreenPoint ScreenAt(int i) const;
    // How often the layer was drawn from scratch; frames in between only add.
    uint64_t LayerBuilds() const { return m_layerBuilds; }

private:
    enum Section { MetricsSection, ColorsSection, PoiSection, ControlsSection, SectionCount };

    struct RoutePoint {
        int32_t latitude, longitude;
        int64_t east, north;
        int64_t x, y;
    };
    struct Button {
        platform::Rect rect;
        bool visible = true;
        int key = 0;
    };

    void SetDefaults();
    void ApplySettings();
    void RebuildRing(int capacity);
    void SetupButtons();
    int Chrono(int i) const;
    void Project(int64_t east, int64_t north, int64_t& x, int64_t& y) const;
    void ProjectAll();
    void Reproject();
    void CentreOn(const GeoPosition& position);
    void ClampWindow();
    bool MetricsAttribute(std::u16string_view key, std::u16string_view value);
    bool PoiAttribute(std::u16string_view key, std::u16string_view value);
    bool ControlsAttribute(std::u16string_view key, std::u16string_view value);
    enum class Placement { Outside, Inside, Clipped };
    Placement SegmentPixels(const RoutePoint& a, const RoutePoint& b, platform::Point& pa,
                            platform::Point& pb) const;
    bool SegmentArea(int chrono, platform::Rect& area) const;
    uint64_t SerialOf(int chrono) const { return m_added - uint64_t(m_stored) + uint64_t(chrono); }
    void IndexSegment(int chrono);
    void BuildIndex();
    void RedrawArea(const platform::Rect& area);
    void BuildLayer();
    void AddToLayer();
    void StrokeSegments(platform::Canvas& canvas, int firstChrono, int lastChrono);
    void DrawPanel(platform::Canvas& canvas, int originX, int originY);

    Metrics m_metrics;
    LocalProjection m_projection;
    int64_t m_left = 0;
    int64_t m_top = 0;
    uint32_t m_mapWidth = 1;
    uint32_t m_mapHeight = 1;
    bool m_autoMove = true;
    int64_t m_autoMoveRadius2 = 0;

    std::vector<RoutePoint> m_ring;
    int m_stored = 0;
    int m_write = 0;
    // Points ever added; the layer holds the track up to m_layerAdded.
    uint64_t m_added = 0;

    std::vector<Poi> m_pois;
    bool m_inPoi = false;

    int m_xControls = 0;
    int m_yControls = 0;
    platform::Color m_frameColor = 0;
    std::array<Button, ButtonCount> m_buttons;
    std::array<std::unique_ptr<platform::Bitmap>, ButtonCount> m_bitmaps;

    std::unique_ptr<platform::Canvas> m_layer;
    bool m_layerStale = true;
    uint64_t m_layerAdded = 0;
    uint64_t m_layerBuilds = 0;

    // The layer's segments by the cells of the view they may colour, each
    // named by the number of its first point. A cell lists runs of
    // consecutive segments (first, last), oldest first, so that a track
    // crossing it costs one entry and the oldest is dropped from the front.
    // Built when first needed.
    struct Cell {
        std::vector<std::pair<uint64_t, uint64_t>> runs;
        size_t head = 0;
    };
    std::vector<Cell> m_cells;
    int m_cellColumns = 0;
    bool m_indexed = false;
    // Where dropped segments showed, to be drawn again with the next frame.
    std::vector<platform::Rect> m_dropped;
    std::unique_ptr<platform::Canvas> m_patch;
};

} // namespace velvane
