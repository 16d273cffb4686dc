#include "instruments/RouteMapView.h"

#include "gps/ValueSources.h"
#include "ini/IniText.h"

#include <algorithm>
#include <cmath>

namespace velvane {

using platform::Canvas;
using platform::Point;
using platform::Rect;

namespace {

constexpr std::u16string_view SectionNames[] = {u"Metrics", u"Colors", u"POI", u"Controls"};
constexpr platform::Color Magenta = platform::Rgb(0xFF, 0x00, 0xFF);
// Side of the cells by which the layer's segments are found again.
constexpr int CellSize = 16;
// More dropped pieces than this in one frame cost as much as the whole layer.
constexpr size_t MaxDroppedAreas = 64;

struct IntKey {
    const char16_t* name;
    int RouteMapView::Metrics::*member;
};

constexpr IntKey MetricInts[] = {
    {u"RoutePoints", &RouteMapView::Metrics::routePoints},
    {u"MapSize", &RouteMapView::Metrics::mapSize},
    {u"RouteWidth", &RouteMapView::Metrics::routeWidth},
    {u"StandpointSize", &RouteMapView::Metrics::standpointSize},
    {u"StandpointPenWidth", &RouteMapView::Metrics::standpointPenWidth},
    {u"AutoMovePercent", &RouteMapView::Metrics::autoMovePercent},
    {u"POISize", &RouteMapView::Metrics::poiSize},
};

// Keys of the actions in button order; the AutoMove pair shares one.
constexpr int ActionKeys[RouteMapView::ButtonCount] = {33,
                                                       37,
                                                       34,
                                                       39,
                                                       35,
                                                       38,
                                                       36,
                                                       40,
                                                       107,
                                                       109,
                                                       32,
                                                       16,
                                                       13,
                                                       RouteMapView::AutoMoveKey,
                                                       RouteMapView::AutoMoveKey};

// Grid places (column, row) of the buttons.
constexpr Point GridPlaces[RouteMapView::ButtonCount] = {{0, 5}, {0, 2}, {1, 5}, {1, 2}, {1, 3},
                                                         {0, 3}, {1, 4}, {0, 4}, {0, 1}, {1, 1},
                                                         {0, 6}, {1, 0}, {1, 0}, {1, 6}, {1, 6}};

bool ReadColor(std::u16string_view value, platform::Color& color) {
    if (value.size() != 6)
        return false;
    color = IniColor(value);
    return true;
}

int64_t Clamp(int64_t v, int64_t limit) {
    return std::clamp(v, -limit, limit);
}

// Cuts the segment to the rectangle (Liang-Barsky); false when nothing of it
// lies inside.
bool Clip(double& x0, double& y0, double& x1, double& y1, double left, double top, double right,
          double bottom) {
    double t0 = 0.0, t1 = 1.0;
    const double dx = x1 - x0, dy = y1 - y0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - left, right - x0, y0 - top, bottom - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const double ox = x0, oy = y0;
    x0 = ox + t0 * dx;
    y0 = oy + t0 * dy;
    x1 = ox + t1 * dx;
    y1 = oy + t1 * dy;
    return true;
}

void AttachRoute(ValueSources& sources, RouteMapView& view) {
    sources.AddPositionListener(&view);
}

void DetachRoute(ValueSources& sources, RouteMapView& view) {
    sources.RemovePositionListener(&view);
}

} // namespace

RouteMapView::RouteMapView(Screen& owner, int width, int height)
    : BackgroundView(owner, width, height) {
    for (int i = 0; i < ButtonCount; ++i) {
        const int gx = GridPlaces[i].x * ButtonPitch;
        const int gy = GridPlaces[i].y * ButtonPitch;
        m_buttons[size_t(i)].rect = Rect{gx - 2, gy - 2, gx + 21, gy + 21};
        m_buttons[size_t(i)].key = ActionKeys[i];
        m_bitmaps[size_t(i)] = platform::Bitmap::LoadResource(FirstBitmapId + i);
    }
    SetDefaults();
    m_buttons[Expand].visible = false;
    m_buttons[AutoMoveOn].visible = false;
    m_ring.resize(size_t(m_metrics.routePoints));
    ApplySettings();
}

RouteMapView::~RouteMapView() = default;

void RouteMapView::SetDefaults() {
    m_metrics = Metrics{};
    m_frameColor = platform::Rgb(0, 0, 0);
    m_xControls = -10;
    m_yControls = 10;
}

bool RouteMapView::Load(std::u16string_view path) {
    SetDefaults();
    // A reload shows the POIs of the file loaded, not those of every file
    // loaded before.
    m_pois.clear();
    m_inPoi = false;
    const bool parsed = BackgroundView::Load(path);
    m_inPoi = false;
    RebuildRing(std::clamp(m_metrics.routePoints, 1, MaxRoutePoints));
    ApplySettings();
    return parsed;
}

void RouteMapView::ApplySettings() {
    Metrics& m = m_metrics;
    m.routePoints = std::clamp(m.routePoints, 1, MaxRoutePoints);
    const int64_t w = std::max(m_width, 1);
    const int64_t h = std::max(m_height, 1);
    m_mapWidth = static_cast<uint32_t>(
        std::clamp<int64_t>(int64_t(m.mapSize) * 100, MinWindowCm, MaxWindowCm));
    m_mapHeight =
        static_cast<uint32_t>(std::clamp<int64_t>(h * m_mapWidth / w, MinWindowCm, MaxWindowCm));
    const int64_t radius = std::min(w, h) * m.autoMovePercent / 100;
    m_autoMoveRadius2 = radius * radius;
    if (m_xControls < 0)
        m_xControls += m_width - PanelWidth;
    if (m_yControls < 0)
        m_yControls += m_height - PanelHeight;
    ProjectAll();
}

void RouteMapView::Resize(int width, int height) {
    const bool changed = width != m_width || height != m_height;
    BackgroundView::Resize(width, height);
    if (changed) {
        m_layer.reset();
        ProjectAll();
    }
}

void RouteMapView::RebuildRing(int capacity) {
    std::vector<RoutePoint> ring(size_t(capacity), RoutePoint{});
    const int kept = std::min(m_stored, capacity);
    for (int i = 0; i < kept; ++i)
        ring[size_t(i)] = m_ring[size_t(Chrono(m_stored - kept + i))];
    m_ring = std::move(ring);
    m_stored = kept;
    m_write = kept == capacity ? 0 : kept;
    m_layerStale = true;
}

int RouteMapView::Chrono(int i) const {
    const int capacity = Capacity();
    if (m_stored < capacity)
        return i;
    const int index = m_write + i;
    return index >= capacity ? index - capacity : index;
}

GeoPosition RouteMapView::PointAt(int i) const {
    const RoutePoint& p = m_ring[size_t(Chrono(i))];
    return GeoPosition(p.latitude, p.longitude);
}

RouteMapView::ScreenPoint RouteMapView::ScreenAt(int i) const {
    const RoutePoint& p = m_ring[size_t(Chrono(i))];
    return {p.x, p.y};
}

int RouteMapView::FirstSectionId() {
    return BackgroundView::FirstSectionId() + SectionCount;
}

int RouteMapView::OnSection(std::u16string_view name) {
    m_inPoi = false;
    for (int i = 0; i < SectionCount; ++i) {
        if (KeywordMatch(SectionNames[i].data(), name) == 0) {
            if (i == PoiSection) {
                m_pois.emplace_back();
                m_inPoi = true;
            }
            return BackgroundView::FirstSectionId() + i;
        }
    }
    return BackgroundView::OnSection(name);
}

bool RouteMapView::OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) {
    switch (sectionId - BackgroundView::FirstSectionId()) {
    case MetricsSection:
        return MetricsAttribute(key, value);
    case ColorsSection:
        if (KeywordMatch(u"Route", key) == 0)
            return ReadColor(value, m_metrics.route);
        if (KeywordMatch(u"Standpoint", key) == 0)
            return ReadColor(value, m_metrics.standpoint);
        return false;
    case PoiSection:
        return PoiAttribute(key, value);
    case ControlsSection:
        return ControlsAttribute(key, value);
    default:
        return BackgroundView::OnAttribute(sectionId, key, value);
    }
}

bool RouteMapView::MetricsAttribute(std::u16string_view key, std::u16string_view value) {
    for (const IntKey& k : MetricInts) {
        if (KeywordMatch(k.name, key) == 0) {
            m_metrics.*k.member = IniInteger(value);
            return true;
        }
    }
    if (KeywordMatch(u"POIStyle", key) == 0) {
        if (KeywordMatch(u"Circle", value) == 0)
            m_metrics.poiStyle = PoiStyle::Circle;
        else if (KeywordMatch(u"Cross1", value) == 0)
            m_metrics.poiStyle = PoiStyle::Cross1;
        else if (KeywordMatch(u"Cross2", value) == 0)
            m_metrics.poiStyle = PoiStyle::Cross2;
        else
            return false;
        return true;
    }
    return false;
}

bool RouteMapView::PoiAttribute(std::u16string_view key, std::u16string_view value) {
    if (!m_inPoi || m_pois.empty())
        return false;
    Poi& poi = m_pois.back();
    const bool latitude = KeywordMatch(u"Latitude", key) == 0;
    if (latitude || KeywordMatch(u"Longitude", key) == 0) {
        GeoPosition read;
        if (latitude ? !read.ParseLatitudeText(value) : !read.ParseLongitudeText(value))
            return false;
        (latitude ? poi.hasLatitude : poi.hasLongitude) = true;
        if (latitude)
            poi.latitude = read.Latitude();
        else
            poi.longitude = read.Longitude();
        if (poi.hasLatitude && poi.hasLongitude)
            poi.position = GeoPosition(poi.latitude, poi.longitude);
        return true;
    }
    if (KeywordMatch(u"Color", key) == 0)
        return ReadColor(value, poi.color);
    if (KeywordMatch(u"Text", key) == 0) {
        poi.text = value;
        return true;
    }
    return false;
}

bool RouteMapView::ControlsAttribute(std::u16string_view key, std::u16string_view value) {
    if (KeywordMatch(u"xControls", key) == 0) {
        m_xControls = std::clamp(IniInteger(value), -65536, 65536);
        return true;
    }
    if (KeywordMatch(u"yControls", key) == 0) {
        m_yControls = std::clamp(IniInteger(value), -65536, 65536);
        return true;
    }
    if (KeywordMatch(u"FrameColor", key) == 0)
        return ReadColor(value, m_frameColor);
    if (KeywordMatch(u"Show", key) == 0) {
        RunAction(IniBool(value) ? Expand : Collapse);
        return true;
    }
    return false;
}

void RouteMapView::Project(int64_t east, int64_t north, int64_t& x, int64_t& y) const {
    x = int64_t(m_width) * (east - m_left) / int64_t(m_mapWidth);
    y = int64_t(m_height) * (m_top - north) / int64_t(m_mapHeight);
}

void RouteMapView::ProjectAll() {
    for (int i = 0; i < m_stored; ++i) {
        RoutePoint& p = m_ring[size_t(i)];
        Project(p.east, p.north, p.x, p.y);
    }
    for (Poi& poi : m_pois) {
        poi.east = m_projection.East(poi.position);
        poi.north = m_projection.North(poi.position);
        Project(poi.east, poi.north, poi.x, poi.y);
    }
    m_layerStale = true;
}

// Centimetres from the new reference for every stored point.
void RouteMapView::Reproject() {
    for (int i = 0; i < m_stored; ++i) {
        RoutePoint& p = m_ring[size_t(i)];
        const GeoPosition g(p.latitude, p.longitude);
        p.east = m_projection.East(g);
        p.north = m_projection.North(g);
    }
    ProjectAll();
}

void RouteMapView::CentreOn(const GeoPosition& position) {
    m_projection = LocalProjection(GeoPosition(position.Latitude(), position.Longitude()));
    m_left = -int64_t(m_mapWidth / 2);
    m_top = int64_t(m_mapHeight / 2);
    Reproject();
}

void RouteMapView::ClampWindow() {
    m_left = Clamp(m_left, MaxEdgeCm);
    m_top = Clamp(m_top, MaxEdgeCm);
}

void RouteMapView::OnPosition(const GeoPosition& position) {
    if (!position.IsValid())
        return;
    const int capacity = Capacity();
    if (m_stored == capacity && capacity > 1 && !m_layerStale) {
        // The oldest piece of the track goes: where it showed is drawn again.
        Rect area;
        if (SegmentArea(0, area)) {
            if (m_dropped.size() < MaxDroppedAreas)
                m_dropped.push_back(area);
            else
                m_layerStale = true;
        }
    }
    RoutePoint& p = m_ring[size_t(m_write)];
    p.latitude = position.Latitude();
    p.longitude = position.Longitude();
    p.east = m_projection.East(position);
    p.north = m_projection.North(position);
    Project(p.east, p.north, p.x, p.y);
    m_write = m_write + 1 == capacity ? 0 : m_write + 1;
    m_stored = std::min(m_stored + 1, capacity);
    ++m_added;
    if (m_autoMove) {
        const int64_t dx = p.x - m_width / 2;
        const int64_t dy = p.y - m_height / 2;
        // Far points would overflow the squares; they are outside anyway.
        const int64_t limit = int64_t(1) << 30;
        if (std::abs(dx) > limit || std::abs(dy) > limit || dx * dx + dy * dy > m_autoMoveRadius2)
            CentreOn(position);
    }
    RequestRedraw();
}

void RouteMapView::RunAction(int action) {
    const int64_t w = m_mapWidth;
    const int64_t h = m_mapHeight;
    switch (action) {
    case PanLeft:
        m_left -= w;
        break;
    case StepLeft:
        m_left -= w / 10;
        break;
    case PanRight:
        m_left += w;
        break;
    case StepRight:
        m_left += w / 10;
        break;
    case PanUp:
        m_top += h;
        break;
    case StepUp:
        m_top += h / 10;
        break;
    case PanDown:
        m_top -= h;
        break;
    case StepDown:
        m_top -= h / 10;
        break;
    case ZoomIn:
        // Below a few centimetres a quarter is nothing and zooming out
        // again could never grow the window.
        if (w - w / 4 >= MinWindowCm && h - h / 4 >= MinWindowCm) {
            m_left += w / 8;
            m_mapWidth = static_cast<uint32_t>(w - w / 4);
            m_top -= h / 8;
            m_mapHeight = static_cast<uint32_t>(h - h / 4);
        }
        break;
    case ZoomOut:
        // At the largest window the edges stay where they are.
        if (w + w / 4 <= MaxWindowCm && h + h / 4 <= MaxWindowCm) {
            m_left -= w / 8;
            m_mapWidth = static_cast<uint32_t>(w + w / 4);
            m_top += h / 8;
            m_mapHeight = static_cast<uint32_t>(h + h / 4);
        }
        break;
    case CentreOnStandpoint:
        if (m_stored > 0)
            CentreOn(PointAt(m_stored - 1));
        break;
    case Collapse:
        for (Button& b : m_buttons)
            b.visible = false;
        m_buttons[Expand].visible = true;
        break;
    case Expand:
        for (Button& b : m_buttons)
            b.visible = true;
        m_buttons[Expand].visible = false;
        m_buttons[m_autoMove ? AutoMoveOn : AutoMoveOff].visible = false;
        break;
    case AutoMoveOff:
        m_autoMove = false;
        m_buttons[AutoMoveOff].visible = false;
        m_buttons[AutoMoveOn].visible = true;
        break;
    case AutoMoveOn:
        m_autoMove = true;
        m_buttons[AutoMoveOn].visible = false;
        m_buttons[AutoMoveOff].visible = true;
        break;
    default:
        return;
    }
    ClampWindow();
    ProjectAll();
    RequestRedraw();
}

bool RouteMapView::OnKey(int keyCode) {
    for (int i = 0; i < ButtonCount; ++i) {
        if (m_buttons[size_t(i)].visible && m_buttons[size_t(i)].key == keyCode) {
            RunAction(i);
            return true;
        }
    }
    return false;
}

bool RouteMapView::OnTap(int x, int y) {
    const Point p{x - m_xControls, y - m_yControls};
    for (int i = 0; i < ButtonCount; ++i) {
        const Button& b = m_buttons[size_t(i)];
        if (b.visible && b.rect.Contains(p)) {
            RunAction(i);
            return true;
        }
    }
    return false;
}

// The pixels a segment is stroked between: as they are when both ends lie
// near the view, else cut to its margin.
RouteMapView::Placement RouteMapView::SegmentPixels(const RoutePoint& a, const RoutePoint& b,
                                                    Point& pa, Point& pb) const {
    const double margin = std::max(m_metrics.routeWidth, 1) + 2.0;
    const double left = -margin, top = -margin;
    const double right = m_width + margin, bottom = m_height + margin;
    if (a.x >= left && a.x <= right && a.y >= top && a.y <= bottom && b.x >= left && b.x <= right &&
        b.y >= top && b.y <= bottom) {
        pa = {int(a.x), int(a.y)};
        pb = {int(b.x), int(b.y)};
        return Placement::Inside;
    }
    double x0 = double(a.x), y0 = double(a.y), x1 = double(b.x), y1 = double(b.y);
    if (!Clip(x0, y0, x1, y1, left, top, right, bottom))
        return Placement::Outside;
    pa = {int(std::lround(x0)), int(std::lround(y0))};
    pb = {int(std::lround(x1)), int(std::lround(y1))};
    return Placement::Clipped;
}

// The part of the view the segment from chronological index chrono to the
// next could colour with the route pen; false when none.
bool RouteMapView::SegmentArea(int chrono, Rect& area) const {
    Point pa, pb;
    if (SegmentPixels(m_ring[size_t(Chrono(chrono))], m_ring[size_t(Chrono(chrono + 1))], pa, pb) ==
        Placement::Outside)
        return false;
    // Round caps reach half the pen width beyond the ends; the rest is slack.
    const int reach = std::max(m_metrics.routeWidth, 1) / 2 + 2;
    const Rect box{std::min(pa.x, pb.x) - reach, std::min(pa.y, pb.y) - reach,
                   std::max(pa.x, pb.x) + reach + 1, std::max(pa.y, pb.y) + reach + 1};
    area = box.Intersect({0, 0, m_width, m_height});
    return !area.IsEmpty();
}

// Strokes the track from one chronological index to another; pieces outside
// the view are cut off and runs of points on one pixel drawn once, so a long
// track costs no more than what shows of it.
void RouteMapView::StrokeSegments(Canvas& canvas, int firstChrono, int lastChrono) {
    std::vector<Point> run;
    auto flush = [&] {
        if (run.size() >= 2)
            canvas.Polyline(run);
        run.clear();
    };
    for (int i = firstChrono; i < lastChrono; ++i) {
        Point pa, pb;
        const Placement placement =
            SegmentPixels(m_ring[size_t(Chrono(i))], m_ring[size_t(Chrono(i + 1))], pa, pb);
        if (placement == Placement::Inside) {
            if (run.empty())
                run.push_back(pa);
            else if (!(run.back() == pa)) {
                flush();
                run.push_back(pa);
            }
            if (!(pb == run.back()))
                run.push_back(pb);
            else if (run.size() == 1)
                run.push_back(pb); // a dot where the drive stood still
            continue;
        }
        flush();
        if (placement == Placement::Outside)
            continue;
        run = {pa, pb};
        flush();
    }
    flush();
}

void RouteMapView::IndexSegment(int chrono) {
    Rect area;
    if (!SegmentArea(chrono, area))
        return;
    const uint64_t serial = SerialOf(chrono);
    for (int cy = area.top / CellSize; cy <= (area.bottom - 1) / CellSize; ++cy) {
        for (int cx = area.left / CellSize; cx <= (area.right - 1) / CellSize; ++cx) {
            auto& runs = m_cells[size_t(cy * m_cellColumns + cx)].runs;
            if (!runs.empty() && runs.back().second + 1 == serial)
                runs.back().second = serial;
            else
                runs.emplace_back(serial, serial);
        }
    }
}

// Lists the segments the layer holds, oldest first.
void RouteMapView::BuildIndex() {
    m_cellColumns = (m_width + CellSize - 1) / CellSize;
    const int rows = (m_height + CellSize - 1) / CellSize;
    m_cells.assign(size_t(m_cellColumns) * size_t(rows), Cell{});
    const int drawn = m_stored - 1 - int(m_added - m_layerAdded);
    for (int i = 0; i < drawn; ++i)
        IndexSegment(i);
    m_indexed = true;
}

// Draws the background and every stored segment that could colour the area
// anew there. The segments go in runs of consecutive ones, as the whole
// layer draws them, onto a patch that is then copied into the area.
void RouteMapView::RedrawArea(const Rect& area) {
    const Canvas* background = Surface();
    if (!background) {
        m_layerStale = true;
        return;
    }
    if (!m_indexed)
        BuildIndex();
    // Runs of chronological indices, dropped segments left out.
    const uint64_t oldest = SerialOf(0);
    std::vector<std::pair<int, int>> runs;
    for (int cy = area.top / CellSize; cy <= (area.bottom - 1) / CellSize; ++cy) {
        for (int cx = area.left / CellSize; cx <= (area.right - 1) / CellSize; ++cx) {
            Cell& cell = m_cells[size_t(cy * m_cellColumns + cx)];
            while (cell.head < cell.runs.size() && cell.runs[cell.head].second < oldest)
                ++cell.head;
            if (cell.head > 64 && 2 * cell.head > cell.runs.size()) {
                cell.runs.erase(cell.runs.begin(), cell.runs.begin() + std::ptrdiff_t(cell.head));
                cell.head = 0;
            }
            for (size_t j = cell.head; j < cell.runs.size(); ++j)
                runs.emplace_back(int(std::max(cell.runs[j].first, oldest) - oldest),
                                  int(cell.runs[j].second - oldest));
        }
    }
    std::sort(runs.begin(), runs.end());
    std::vector<int> chronos;
    for (const auto& [first, last] : runs)
        for (int i = std::max(first, chronos.empty() ? first : chronos.back() + 1); i <= last; ++i)
            chronos.push_back(i);

    const int width = area.Width(), height = area.Height();
    if (!m_patch || m_patch->Width() < width || m_patch->Height() < height) {
        m_patch = Canvas::Create(std::max(width, m_patch ? m_patch->Width() : 1),
                                 std::max(height, m_patch ? m_patch->Height() : 1));
        if (!m_patch) {
            m_layerStale = true;
            return;
        }
    }
    m_patch->SetViewportOrigin({-area.left, -area.top});
    m_patch->BitBlt(area.left, area.top, width, height, *background, area.left, area.top);
    platform::ScopedPen pen(*m_patch, platform::Pen::Solid(m_metrics.routeWidth, m_metrics.route));
    size_t i = 0;
    while (i < chronos.size()) {
        Rect touched;
        if (!SegmentArea(chronos[i], touched) || touched.Intersect(area).IsEmpty()) {
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < chronos.size() && chronos[j] == chronos[j - 1] + 1 &&
               SegmentArea(chronos[j], touched) && !touched.Intersect(area).IsEmpty())
            ++j;
        StrokeSegments(*m_patch, chronos[i], chronos[j - 1] + 1);
        i = j;
    }
    m_layer->BitBlt(area.left, area.top, width, height, *m_patch, area.left, area.top);
}

void RouteMapView::BuildLayer() {
    if (!m_layer) {
        m_layer = Canvas::Create(std::max(m_width, 1), std::max(m_height, 1));
        if (!m_layer)
            return;
    }
    if (const Canvas* background = Surface())
        m_layer->BitBlt(0, 0, m_width, m_height, *background, 0, 0);
    platform::ScopedPen pen(*m_layer, platform::Pen::Solid(m_metrics.routeWidth, m_metrics.route));
    StrokeSegments(*m_layer, 0, m_stored - 1);
    m_layerStale = false;
    m_layerAdded = m_added;
    ++m_layerBuilds;
    m_dropped.clear();
    m_cells.clear();
    m_indexed = false;
}

void RouteMapView::AddToLayer() {
    const uint64_t fresh = m_added - m_layerAdded;
    if (fresh == 0)
        return;
    // The point before the first new one must still be stored.
    if (fresh >= uint64_t(m_stored)) {
        BuildLayer();
        return;
    }
    const int first = m_stored - 1 - int(fresh);
    platform::ScopedPen pen(*m_layer, platform::Pen::Solid(m_metrics.routeWidth, m_metrics.route));
    StrokeSegments(*m_layer, first, m_stored - 1);
    if (m_indexed)
        for (int i = first; i < m_stored - 1; ++i)
            IndexSegment(i);
    m_layerAdded = m_added;
}

void RouteMapView::Draw(Canvas& canvas, int originX, int originY) {
    if (m_layer && !m_layerStale) {
        // Dropped pieces first: the areas are drawn from the layer's segments
        // alone, and the new ones go over them.
        for (const Rect& area : m_dropped) {
            RedrawArea(area);
            if (m_layerStale)
                break;
        }
        m_dropped.clear();
    }
    if (!m_layer || m_layerStale)
        BuildLayer();
    else
        AddToLayer();
    if (!m_layer)
        return;
    canvas.BitBlt(originX, originY, m_width, m_height, *m_layer, 0, 0);
    canvas.SetBackgroundMode(platform::BackgroundMode::Transparent);

    const int s = m_metrics.poiSize;
    {
        platform::ScopedBrush brush(canvas, platform::Brush::Null());
        for (const Poi& poi : m_pois) {
            // Marks far off the view are left out before any int overflow.
            if (poi.x < -int64_t(1 << 24) || poi.x > int64_t(1 << 24) ||
                poi.y < -int64_t(1 << 24) || poi.y > int64_t(1 << 24))
                continue;
            const int x = originX + int(poi.x);
            const int y = originY + int(poi.y);
            platform::ScopedPen pen(canvas, platform::Pen::Solid(1, poi.color));
            switch (m_metrics.poiStyle) {
            case PoiStyle::Circle:
                canvas.Ellipse(x - s, y - s, x + s, y + s);
                break;
            case PoiStyle::Cross1:
                canvas.MoveTo(x - s, y);
                canvas.LineTo(x + s, y);
                canvas.MoveTo(x, y - s);
                canvas.LineTo(x, y + s);
                break;
            case PoiStyle::Cross2:
                canvas.MoveTo(x - s, y - s);
                canvas.LineTo(x + s, y + s);
                canvas.MoveTo(x - s, y + s);
                canvas.LineTo(x + s, y - s);
                break;
            }
            if (!poi.text.empty()) {
                const platform::Color old = canvas.SetTextColor(poi.color);
                Rect r{x + s, y - s, x + s, y - s};
                canvas.DrawText(poi.text, r,
                                platform::TextFlag::SingleLine | platform::TextFlag::NoClip |
                                    platform::TextFlag::Bottom | platform::TextFlag::NoPrefix);
                canvas.SetTextColor(old);
            }
        }
    }

    if (m_stored > 0) {
        const ScreenPoint p = ScreenAt(m_stored - 1);
        if (std::abs(p.x) < (int64_t(1) << 24) && std::abs(p.y) < (int64_t(1) << 24)) {
            const int x = originX + int(p.x);
            const int y = originY + int(p.y);
            const int arm = m_metrics.standpointSize / 2;
            platform::ScopedPen pen(
                canvas, platform::Pen::Solid(m_metrics.standpointPenWidth, m_metrics.standpoint));
            canvas.MoveTo(x - arm, y);
            canvas.LineTo(x + arm, y);
            canvas.MoveTo(x, y - arm);
            canvas.LineTo(x, y + arm);
        }
    }
    DrawPanel(canvas, originX + m_xControls, originY + m_yControls);
}

void RouteMapView::DrawPanel(Canvas& canvas, int originX, int originY) {
    platform::ScopedPen pen(canvas, platform::Pen::Solid(1, m_frameColor));
    platform::ScopedBrush brush(canvas, platform::Brush::Null());
    for (int i = 0; i < ButtonCount; ++i) {
        const Button& b = m_buttons[size_t(i)];
        if (!b.visible)
            continue;
        const int left = originX + b.rect.left;
        const int top = originY + b.rect.top;
        canvas.Rectangle(left, top, originX + b.rect.right, originY + b.rect.bottom);
        if (const auto& bitmap = m_bitmaps[size_t(i)])
            canvas.TransparentBlt(
                Rect{left + 2, top + 2, left + 2 + BitmapSize, top + 2 + BitmapSize}, *bitmap,
                Rect{0, 0, BitmapSize, BitmapSize}, Magenta);
    }
}

const ComponentClassOf<RouteMapView> RouteMapView::Class{u"Route", u"Route", EntryKind::View,
                                                         AttachRoute, DetachRoute};

} // namespace velvane
