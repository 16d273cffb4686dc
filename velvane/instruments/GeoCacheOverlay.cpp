#include "instruments/GeoCacheOverlay.h"

#include "display/Screen.h"
#include "gps/ValueSources.h"
#include "ini/IniText.h"

#include <algorithm>
#include <cmath>

namespace velvane {

using platform::Point;
using platform::Rect;

namespace {

constexpr std::u16string_view SectionNames[] = {u"Metrics", u"Colors", u"Coordinates"};

constexpr float Pi = 3.1415927f;
constexpr float HalfPi = 1.5707964f;
constexpr float TwoPi = 6.2831855f;

struct IntKey {
    const char16_t* name;
    int GeoCacheOverlay::Settings::*member;
};

constexpr IntKey MetricInts[] = {
    {u"xDest", &GeoCacheOverlay::Settings::xDest},
    {u"yDest", &GeoCacheOverlay::Settings::yDest},
    {u"xCur", &GeoCacheOverlay::Settings::xCur},
    {u"yCur", &GeoCacheOverlay::Settings::yCur},
    {u"xDist", &GeoCacheOverlay::Settings::xDist},
    {u"yDist", &GeoCacheOverlay::Settings::yDist},
    {u"ArrowSize", &GeoCacheOverlay::Settings::arrowSize},
    {u"ArrowStyle", &GeoCacheOverlay::Settings::arrowStyle},
    {u"ArrowBorder", &GeoCacheOverlay::Settings::arrowBorder},
    {u"CoordFontSize", &GeoCacheOverlay::Settings::coordFontSize},
    {u"DistFontSize", &GeoCacheOverlay::Settings::distFontSize},
};

struct ColorKey {
    const char16_t* name;
    platform::Color GeoCacheOverlay::Settings::*member;
};

constexpr ColorKey ColorKeys[] = {
    {u"Destination", &GeoCacheOverlay::Settings::destination},
    {u"Current", &GeoCacheOverlay::Settings::current},
    {u"Distance", &GeoCacheOverlay::Settings::distance},
    // "Arrow" first: a key matches the first name it begins.
    {u"Arrow", &GeoCacheOverlay::Settings::arrow},
    {u"ArrowBorder", &GeoCacheOverlay::Settings::arrowBorderColor},
};

struct Template {
    int divisor;
    int count;
    Point points[GeoCacheOverlay::MaxArrowPoints];
};

constexpr Template Templates[] = {
    {3, 7, {{-1, -3}, {1, -3}, {1, 1}, {2, 1}, {0, 3}, {-2, 1}, {-1, 1}}},
    {5, 7, {{-2, -5}, {2, -5}, {1, 2}, {3, 1}, {0, 5}, {-3, 1}, {-1, 2}}},
    {5, 4, {{-3, -5}, {0, -1}, {3, -5}, {0, 5}}},
    {4, 3, {{-2, -4}, {2, -4}, {0, 4}}},
};

int Bounded(int64_t v) {
    return static_cast<int>(
        std::clamp<int64_t>(v, -GeoCacheOverlay::MaxExtent, GeoCacheOverlay::MaxExtent));
}

std::u16string CoordinateText(const GeoPosition& position) {
    char16_t buffer[GeoCacheOverlay::CoordinateCapacity];
    const size_t n = position.Format(buffer, GeoCacheOverlay::CoordinateCapacity);
    return std::u16string(buffer, n);
}

void Attach(ValueSources& sources, GeoCacheOverlay& overlay) {
    sources.AddPositionListener(&overlay);
}

void Detach(ValueSources& sources, GeoCacheOverlay& overlay) {
    sources.RemovePositionListener(&overlay);
}

} // namespace

GeoCacheOverlay::GeoCacheOverlay(Screen& owner, int width, int height)
    : Component(owner, width, height) {
    SetDefaults();
    BuildArrow();
}

GeoCacheOverlay::~GeoCacheOverlay() = default;

void GeoCacheOverlay::SetDefaults() {
    m_settings = Settings{};
    m_settings.xDist = m_width / 2;
    m_settings.yDist = m_height / 2 + 74;
    m_settings.xArrow = m_width / 2;
    m_settings.yArrow = m_height / 2;
    m_destination = GeoPosition(0, 0);
    m_destinationText.clear();
    m_currentText.clear();
    m_distanceText.clear();
}

bool GeoCacheOverlay::Load(std::u16string_view path) {
    SetDefaults();
    m_rotation = 0.0f;
    BuildArrow();
    const bool parsed = IniParser::Load(path);
    Settings& s = m_settings;
    for (int* v : {&s.xDest, &s.yDest, &s.xCur, &s.yCur, &s.xDist, &s.yDist, &s.xArrow, &s.yArrow,
                   &s.arrowSize, &s.arrowBorder, &s.coordFontSize, &s.distFontSize})
        *v = Bounded(*v);
    // Squared in 64 bits below; a negative distance means none.
    s.minimumMove = std::max(s.minimumMove, 0);
    m_destinationText = CoordinateText(m_destination);
    m_rotation = 0.0f;
    BuildArrow();
    const std::u16string_view face = std::u16string_view(s.font).substr(
        0, std::min<size_t>(s.font.size(), platform::Font::MaxFaceLength));
    m_coordFont = platform::Font::Create(s.coordFontSize, 0, face);
    m_distFont = platform::Font::Create(s.distFontSize, 0, face);
    RequestRedraw();
    return parsed;
}

int GeoCacheOverlay::FirstSectionId() {
    return IniParser::FirstSectionId() + SectionCount;
}

int GeoCacheOverlay::OnSection(std::u16string_view name) {
    for (int i = 0; i < SectionCount; ++i)
        if (KeywordMatch(SectionNames[i].data(), name) == 0)
            return IniParser::FirstSectionId() + i;
    return IniParser::OnSection(name);
}

bool GeoCacheOverlay::OnAttribute(int sectionId, std::u16string_view key,
                                  std::u16string_view value) {
    switch (sectionId - IniParser::FirstSectionId()) {
    case MetricsSection:
        return MetricsAttribute(key, value);
    case ColorsSection:
        return ColorsAttribute(key, value);
    case CoordinatesSection:
        return CoordinatesAttribute(key, value);
    default:
        return IniParser::OnAttribute(sectionId, key, value);
    }
}

bool GeoCacheOverlay::MetricsAttribute(std::u16string_view key, std::u16string_view value) {
    const bool fromEdge = !value.empty() && value[0] == u'-';
    if (KeywordMatch(u"xArrow", key) == 0) {
        m_settings.xArrow = Bounded(int64_t(fromEdge ? m_width : 0) + IniInteger(value));
        return true;
    }
    if (KeywordMatch(u"yArrow", key) == 0) {
        m_settings.yArrow = Bounded(int64_t(fromEdge ? m_height : 0) + IniInteger(value));
        return true;
    }
    for (const IntKey& k : MetricInts) {
        if (KeywordMatch(k.name, key) == 0) {
            m_settings.*k.member = IniInteger(value);
            return true;
        }
    }
    if (KeywordMatch(u"ShowCoordinates", key) == 0) {
        m_settings.showCoordinates = IniBool(value);
        return true;
    }
    if (KeywordMatch(u"Font", key) == 0) {
        m_settings.font = value;
        return true;
    }
    return false;
}

bool GeoCacheOverlay::ColorsAttribute(std::u16string_view key, std::u16string_view value) {
    for (const ColorKey& k : ColorKeys) {
        if (KeywordMatch(k.name, key) == 0) {
            if (value.size() != 6)
                return false;
            m_settings.*k.member = IniColor(value);
            return true;
        }
    }
    return false;
}

bool GeoCacheOverlay::CoordinatesAttribute(std::u16string_view key, std::u16string_view value) {
    if (KeywordMatch(u"Latitude", key) == 0) {
        GeoPosition p = m_destination;
        if (!p.ParseLatitudeText(value))
            return false;
        m_destination = GeoPosition(p.Latitude(), m_destination.Longitude());
        return true;
    }
    if (KeywordMatch(u"Longitude", key) == 0) {
        GeoPosition p = m_destination;
        if (!p.ParseLongitudeText(value))
            return false;
        m_destination = GeoPosition(m_destination.Latitude(), p.Longitude());
        return true;
    }
    if (KeywordMatch(u"MinimumMove", key) == 0) {
        m_settings.minimumMove = IniInteger(value);
        return true;
    }
    return false;
}

void GeoCacheOverlay::BuildArrow() {
    const int style = m_settings.arrowStyle;
    const Template& t = Templates[style >= 1 && style <= 3 ? style : 0];
    m_arrowCount = t.count;
    m_template.fill(Point{0, 0});
    for (int i = 0; i < t.count; ++i)
        m_template[size_t(i)] = Point{t.points[i].x * m_settings.arrowSize / t.divisor,
                                      t.points[i].y * m_settings.arrowSize / t.divisor};
    RotateArrow(m_rotation);
}

void GeoCacheOverlay::RotateArrow(float angle) {
    m_rotation = angle;
    const double c = std::cos(static_cast<double>(angle));
    const double s = std::sin(static_cast<double>(angle));
    for (size_t i = 0; i < MaxArrowPoints; ++i) {
        const double x = m_template[i].x;
        const double y = m_template[i].y;
        m_rotated[i] = Point{m_settings.xArrow + static_cast<int>(std::trunc(x * c - y * s)),
                             m_settings.yArrow - static_cast<int>(std::trunc(y * c + x * s))};
    }
}

float GeoCacheOverlay::Direction(double dx, double dy) {
    if (dx == 0.0)
        return dy > 0.0 ? HalfPi : -HalfPi;
    const float quotient = static_cast<float>(std::fabs(dy)) / static_cast<float>(std::fabs(dx));
    float t = static_cast<float>(std::atan(static_cast<double>(quotient)));
    if (dx < 0.0)
        t = Pi - t;
    if (dy < 0.0)
        t = TwoPi - t;
    return t;
}

void GeoCacheOverlay::OnPosition(const GeoPosition& position) {
    if (!position.IsValid()) {
        // The last known place stays readable in either hemisphere.
        if (m_currentText.empty())
            m_currentText = NoFixText;
        return;
    }
    m_currentText = CoordinateText(position);

    // One projection around the current place for both directions, so that
    // neither bends far from the prime meridian or breaks at 180°.
    const LocalProjection here(position);
    const int64_t dx = -here.East(m_headingFrom);
    const int64_t dy = -here.North(m_headingFrom);
    const int64_t minimum = m_settings.minimumMove;
    // In 64 bits: a jump of some hundred metres must not wrap to a small move.
    if (dx * dx + dy * dy >= minimum * minimum) {
        m_headingFrom = GeoPosition(position.Latitude(), position.Longitude());
        // Standing on the same spot gives no direction; the arrow keeps its own.
        if (dx != 0 || dy != 0) {
            const float heading = Direction(double(dx), double(dy));
            const float bearing =
                Direction(double(here.East(m_destination)), double(here.North(m_destination)));
            RotateArrow(bearing - heading);
        }
    }

    m_distanceText = Owner().Units().DistanceText(m_destination.DistanceTo(position));
}

void GeoCacheOverlay::Draw(platform::Canvas& canvas, int originX, int originY) {
    const auto oldMode = canvas.SetBackgroundMode(platform::BackgroundMode::Transparent);
    {
        platform::ScopedPen pen(
            canvas, platform::Pen::Solid(m_settings.arrowBorder, m_settings.arrowBorderColor));
        platform::ScopedBrush brush(canvas, platform::Brush::Solid(m_settings.arrow));
        // Shifted with the texts, so that the arrow keeps its place beside them.
        std::array<Point, MaxArrowPoints> points;
        for (size_t i = 0; i < MaxArrowPoints; ++i)
            points[i] = Point{m_rotated[i].x + originX, m_rotated[i].y + originY};
        canvas.Polygon(std::span<const Point>(points.data(), size_t(m_arrowCount)));
    }
    constexpr uint32_t flags =
        platform::TextFlag::SingleLine | platform::TextFlag::NoClip | platform::TextFlag::NoPrefix;
    auto text = [&](const std::u16string& t, int x, int y, platform::Color color) {
        const platform::Color old = canvas.SetTextColor(color);
        Rect r{originX + x, originY + y, originX + x, originY + y};
        canvas.DrawText(t, r, flags);
        canvas.SetTextColor(old);
    };
    const platform::Font oldFont =
        canvas.SelectFont(m_settings.showCoordinates ? m_coordFont : m_distFont);
    if (m_settings.showCoordinates) {
        text(m_destinationText, m_settings.xDest, m_settings.yDest, m_settings.destination);
        text(m_currentText, m_settings.xCur, m_settings.yCur, m_settings.current);
        canvas.SelectFont(m_distFont);
    }
    text(m_distanceText, m_settings.xDist, m_settings.yDist, m_settings.distance);
    canvas.SelectFont(oldFont);
    canvas.SetBackgroundMode(oldMode);
}

const ComponentClassOf<GeoCacheOverlay> GeoCacheOverlay::Class{u"GeoCache", u"GeoCache",
                                                               EntryKind::Overlay, Attach, Detach};

} // namespace velvane
