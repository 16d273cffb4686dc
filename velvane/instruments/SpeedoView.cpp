#include "instruments/SpeedoView.h"
#include "instruments/MissingBitmapNotice.h"

#include "display/Screen.h"
#include "gps/ValueSources.h"
#include "ini/IniPath.h"
#include "ini/IniText.h"

#include "platform/bitmap.h"
#include "platform/tone.h"
#include "platform/window.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace velvane {

using platform::Canvas;
using platform::Pen;
using platform::Point;
using platform::Rect;

namespace {

constexpr std::u16string_view SectionNames[] = {u"AnalogMetrics", u"AnalogColors",
                                                u"DigitalMetrics", u"DigitalColors", u"Alarm"};

// Each speedometer blinks on a timer of its own on the main window.
int NextBlinkTimerId() {
    static int next = 0x414C0000; // "AL"
    return next++;
}

// Halfway towards the background: present, but plainly not live.
platform::Color Dimmed(platform::Color c, platform::Color background) {
    auto mix = [](uint32_t a, uint32_t b) { return (a + b) / 2; };
    return mix(c & 0xFF, background & 0xFF) | mix((c >> 8) & 0xFF, (background >> 8) & 0xFF) << 8 |
           mix((c >> 16) & 0xFF, (background >> 16) & 0xFF) << 16;
}

struct IntKey {
    const char16_t* name;
    int SpeedoView::Analog::*member;
};

constexpr IntKey AnalogInts[] = {
    {u"Angle", &SpeedoView::Analog::angle},
    {u"AngleStart", &SpeedoView::Analog::angleStart},
    {u"AngleBreak", &SpeedoView::Analog::angleBreak},
    {u"Radius", &SpeedoView::Analog::radius},
    {u"dRadiusThick", &SpeedoView::Analog::dRadiusThick},
    {u"dRadiusThin", &SpeedoView::Analog::dRadiusThin},
    {u"dRadiusDigit", &SpeedoView::Analog::dRadiusDigit},
    {u"StepThick", &SpeedoView::Analog::stepThick},
    {u"StepThin", &SpeedoView::Analog::stepThin},
    {u"StepDigit", &SpeedoView::Analog::stepDigit},
    {u"WidthThin", &SpeedoView::Analog::widthThin},
    {u"WidthThick", &SpeedoView::Analog::widthThick},
    {u"NeedleWidth", &SpeedoView::Analog::needleWidth},
    {u"MaxSpeed", &SpeedoView::Analog::maxSpeed},
    {u"BreakSpeed", &SpeedoView::Analog::breakSpeed},
    {u"SpecialSpeed1", &SpeedoView::Analog::specialSpeed1},
    {u"SpecialSpeed2", &SpeedoView::Analog::specialSpeed2},
    {u"DigitSize", &SpeedoView::Analog::digitSize},
    {u"NeedleStyle", &SpeedoView::Analog::needleStyle},
    {u"XUnit", &SpeedoView::Analog::xUnit},
    {u"YUnit", &SpeedoView::Analog::yUnit},
    {u"TwoColored", &SpeedoView::Analog::twoColored},
    {u"FontWeight", &SpeedoView::Analog::fontWeight},
};

struct BoolKey {
    const char16_t* name;
    bool SpeedoView::Analog::*member;
};

constexpr BoolKey AnalogBools[] = {
    {u"ShowUnit", &SpeedoView::Analog::showUnit},
    {u"DrawSpeedo", &SpeedoView::Analog::drawSpeedo},
    {u"WithinDigits", &SpeedoView::Analog::withinDigits},
};

struct ColorKey {
    const char16_t* name;
    platform::Color SpeedoView::Analog::*member;
};

constexpr ColorKey AnalogColorKeys[] = {
    {u"Background", &SpeedoView::Analog::background}, {u"Needle", &SpeedoView::Analog::needle},
    {u"Thick", &SpeedoView::Analog::thick},           {u"Thin", &SpeedoView::Analog::thin},
    {u"Special", &SpeedoView::Analog::special},       {u"Second", &SpeedoView::Analog::second},
    {u"Digit", &SpeedoView::Analog::digit},
};

bool IsKey(std::u16string_view key, char16_t upper, char16_t lower) {
    return key.size() == 1 && (key[0] == upper || key[0] == lower);
}

int Bounded(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, -SpeedoView::MaxExtent, SpeedoView::MaxExtent));
}

// A position counted back from the far edge when written with a leading "-".
int Coordinate(std::u16string_view value, int extent) {
    const int64_t v = IniInteger(value);
    return Bounded(!value.empty() && value[0] == u'-' ? extent + v : v);
}

// The geometry a skin may give is bounded; angles and speeds are not, as
// their unsigned arithmetic wraps by design.
void BoundGeometry(SpeedoView::Analog& a, SpeedoView::Digital& d) {
    for (int* v : {&a.x, &a.y, &a.radius, &a.dRadiusThick, &a.dRadiusThin, &a.dRadiusDigit,
                   &a.widthThin, &a.widthThick, &a.needleWidth, &a.digitSize, &a.xUnit, &a.yUnit,
                   &a.twoColored, &d.x, &d.y, &d.digitSize})
        *v = Bounded(*v);
}

// AngleStart less an offset, wrapping as the device's 32-bit arithmetic does.
int Degrees(int angleStart, uint32_t offset) {
    return static_cast<int>(static_cast<uint32_t>(angleStart) - offset);
}

bool ReadColor(std::u16string_view value, platform::Color& color) {
    if (value.size() != 6)
        return false;
    color = IniColor(value);
    return true;
}

// Multiples of 0 are 0 alone; a zero step must not divide.
bool IsMultiple(uint32_t v, int step) {
    const uint32_t s = static_cast<uint32_t>(step);
    return s == 0 ? v == 0 : v % s == 0;
}

uint32_t Quotient(uint32_t dividend, uint32_t divisor) {
    return divisor == 0 ? 0 : dividend / divisor;
}

std::u16string Widen(const char* text) {
    std::u16string out;
    for (; *text; ++text)
        out += static_cast<char16_t>(static_cast<unsigned char>(*text));
    return out;
}

// Angles are whole degrees; the conversion keeps the single-precision
// constants so that the needle lands on the same pixels as on the device.
struct Direction {
    double cos;
    double sin;
};

Direction DirectionOf(int degrees) {
    const float radians = static_cast<float>(degrees) * 3.1415927f * 0.0055555557f;
    const double r = static_cast<double>(radians);
    return {std::cos(r), std::sin(r)};
}

int PenWidth(int w) {
    return std::max(w, 0);
}

} // namespace

SpeedoView::SpeedoView(Screen& owner, int width, int height)
    : Component(owner, width, height), m_blinkTimerId(NextBlinkTimerId()) {
    SetDefaults();
    CreateObjects();
    Build();
}

SpeedoView::~SpeedoView() {
    SetBlinking(false);
}

void SpeedoView::SetDefaults() {
    const int w = m_width, h = m_height;
    m_analog = Analog{};
    m_analog.x = w / 2 - 6;
    m_analog.y = h / 5 + h / 2;
    m_analog.radius = w / 2 - 35;
    m_digital = Digital{};
    m_digital.x = w / 2;
    m_digital.y = h - 30;
    m_alarm = Alarm{};
}

void SpeedoView::CreateObjects() {
    // Compared as unsigned, so a -1 left in either setting means linear.
    m_linear =
        static_cast<uint32_t>(m_analog.angleBreak) >= static_cast<uint32_t>(m_analog.angle) ||
        static_cast<uint32_t>(m_analog.breakSpeed) >= static_cast<uint32_t>(m_analog.maxSpeed);
    m_needlePen = Pen::Solid(PenWidth(m_analog.needleWidth), m_analog.needle);
    m_digitalFont =
        platform::Font::Create(m_digital.digitSize, m_digital.fontWeight, m_digital.font);
}

bool SpeedoView::Load(std::u16string_view path) {
    m_imagePath.clear();
    SetDefaults();
    bool parsed = true;
    if (!path.empty()) {
        m_iniPath = path;
        parsed = IniParser::Load(path);
        m_iniPath.clear();
        BoundGeometry(m_analog, m_digital);
    }
    CreateObjects();
    Build();
    UpdateAlarm();
    RequestRedraw();
    return parsed;
}

int SpeedoView::OnSection(std::u16string_view name) {
    for (int i = 0; i < SectionCount; ++i)
        if (name == SectionNames[i])
            return IniParser::FirstSectionId() + i;
    return IniParser::OnSection(name);
}

int SpeedoView::FirstSectionId() {
    return IniParser::FirstSectionId() + SectionCount;
}

bool SpeedoView::OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) {
    switch (sectionId - IniParser::FirstSectionId()) {
    case AnalogMetrics:
        return AnalogMetric(key, value);
    case AnalogColors:
        for (const ColorKey& k : AnalogColorKeys)
            if (key == k.name)
                return ReadColor(value, m_analog.*k.member);
        return false;
    case DigitalMetrics:
        return DigitalMetric(key, value);
    case DigitalColors:
        if (key == u"Color")
            return ReadColor(value, m_digital.color);
        if (key == u"BackgroundColor")
            return ReadColor(value, m_digital.backgroundColor);
        return false;
    case AlarmSection:
        return AlarmKey(key, value);
    default:
        return IniParser::OnAttribute(sectionId, key, value);
    }
}

bool SpeedoView::AnalogMetric(std::u16string_view key, std::u16string_view value) {
    if (IsKey(key, u'X', u'x')) {
        m_analog.x = Coordinate(value, m_width);
        return true;
    }
    if (IsKey(key, u'Y', u'y')) {
        m_analog.y = Coordinate(value, m_height);
        return true;
    }
    for (const IntKey& k : AnalogInts) {
        if (key == k.name) {
            m_analog.*k.member = IniInteger(value);
            return true;
        }
    }
    for (const BoolKey& k : AnalogBools) {
        if (key == k.name) {
            m_analog.*k.member = IniBool(value);
            return true;
        }
    }
    if (key == u"SpecialSpeed") {
        m_analog.specialSpeed1 = m_analog.specialSpeed2 = IniInteger(value);
        return true;
    }
    if (key == u"Font") {
        m_analog.font = value.substr(0, platform::Font::MaxFaceLength);
        return true;
    }
    if (key == u"BackgroundImage") {
        // Without a settings file there is no folder to resolve it against.
        if (!m_iniPath.empty()) {
            const size_t folder = FileNamePart(m_iniPath);
            m_imagePath = JoinPath(value, std::u16string_view(m_iniPath).substr(0, folder));
        }
        return true;
    }
    return false;
}

bool SpeedoView::DigitalMetric(std::u16string_view key, std::u16string_view value) {
    if (IsKey(key, u'X', u'x')) {
        m_digital.x = Coordinate(value, m_width);
        return true;
    }
    if (IsKey(key, u'Y', u'y')) {
        m_digital.y = Coordinate(value, m_height);
        return true;
    }
    if (key == u"DigitSize") {
        m_digital.digitSize = IniInteger(value);
        return true;
    }
    if (key == u"FontWeight") {
        m_digital.fontWeight = IniInteger(value);
        return true;
    }
    if (key == u"Transparent") {
        m_digital.transparent = IniBool(value);
        return true;
    }
    if (key == u"Center") {
        m_digital.center = IniBool(value);
        return true;
    }
    if (key == u"Font") {
        m_digital.font = value.substr(0, platform::Font::MaxFaceLength);
        return true;
    }
    return false;
}

void SpeedoView::OnSpeed(int32_t speed) {
    // Sources never send negative speeds; should one arrive, it is a stop,
    // not four billion tenths.
    m_speed = speed < 0 ? 0u : static_cast<uint32_t>(Owner().Units().Speed(speed));
    m_stale = false;
    UpdateAlarm();
    RequestRedraw();
}

bool SpeedoView::AlarmKey(std::u16string_view key, std::u16string_view value) {
    struct AlarmInt {
        const char16_t* name;
        int Alarm::*member;
        int min, max;
    };
    static constexpr AlarmInt Ints[] = {
        {u"Limit", &Alarm::limit, 0, static_cast<int>(MaxTickSpeed)},
        {u"Hysteresis", &Alarm::hysteresis, 0, static_cast<int>(MaxTickSpeed)},
        {u"Tone", &Alarm::toneHz, 0, 20000},
        {u"ToneMs", &Alarm::toneMs, 0, 5000},
        {u"Blink", &Alarm::blinkMs, 0, 60000},
    };
    if (key == u"Color")
        return ReadColor(value, m_alarm.color);
    for (const AlarmInt& k : Ints) {
        if (key == k.name) {
            const int v = IniInteger(value);
            if (v < k.min || v > k.max)
                return false;
            m_alarm.*k.member = v;
            return true;
        }
    }
    return false;
}

// The alarm arms above the limit and re-arms only below limit less
// hysteresis, so a speed hovering at the limit sounds once. A stop always
// re-arms, however wide the hysteresis.
void SpeedoView::UpdateAlarm() {
    const uint32_t limit = static_cast<uint32_t>(m_alarm.limit) * 10;
    const uint32_t hysteresis = static_cast<uint32_t>(std::min(m_alarm.hysteresis, m_alarm.limit));
    const uint32_t rearm = limit - hysteresis * 10;
    if (m_alarm.limit <= 0) {
        m_alarmOn = false;
    } else if (!m_alarmOn && m_speed > limit && !m_stale) {
        m_alarmOn = true;
        if (m_alarm.toneMs > 0 && m_alarm.toneHz > 0)
            platform::PlayTone(m_alarm.toneHz, m_alarm.toneMs);
    } else if (m_alarmOn && (m_speed < rearm || m_speed == 0)) {
        m_alarmOn = false;
    }
    SetBlinking(m_alarmOn && !m_stale && m_alarm.blinkMs > 0);
}

void SpeedoView::SetBlinking(bool on) {
    if (on == m_blinking)
        return;
    m_blinking = on;
    m_blinkVisible = true;
    platform::Window* window = Owner().Window();
    if (!window)
        return;
    if (!on) {
        window->KillTimer(m_blinkTimerId);
        return;
    }
    window->SetTimer(m_blinkTimerId, static_cast<uint32_t>(m_alarm.blinkMs), [this] {
        m_blinkVisible = !m_blinkVisible;
        RequestRedraw();
    });
}

void SpeedoView::OnStale() {
    if (m_stale)
        return;
    m_stale = true;
    SetBlinking(false);
    RequestRedraw();
}

platform::Color SpeedoView::DigitColor() const {
    if (m_stale)
        return Dimmed(m_digital.color, m_digital.backgroundColor);
    return m_alarmOn ? m_alarm.color : m_digital.color;
}

platform::Color SpeedoView::NeedleColor() const {
    return m_stale ? Dimmed(m_analog.needle, m_analog.background) : m_analog.needle;
}

void SpeedoView::Resize(int width, int height) {
    Component::Resize(width, height);
    m_surface.reset();
    Build();
}

// Unsigned throughout, as the scale has always been computed; a zero divisor
// (MaxSpeed or BreakSpeed 0) gives offset 0 instead of a crash.
uint32_t SpeedoView::ScaleOffset(uint32_t v) const {
    const uint32_t angle = static_cast<uint32_t>(m_analog.angle);
    const uint32_t angleBreak = static_cast<uint32_t>(m_analog.angleBreak);
    const uint32_t maxSpeed = static_cast<uint32_t>(m_analog.maxSpeed);
    const uint32_t breakSpeed = static_cast<uint32_t>(m_analog.breakSpeed);
    if (m_linear)
        return Quotient(v * angle, maxSpeed);
    if (v > breakSpeed)
        return angleBreak + (angle - angleBreak) * (v - breakSpeed) / (maxSpeed - breakSpeed);
    return Quotient(angleBreak * v, breakSpeed);
}

uint32_t SpeedoView::NeedleOffset(uint32_t s) const {
    const uint32_t angle = static_cast<uint32_t>(m_analog.angle);
    const uint32_t angleBreak = static_cast<uint32_t>(m_analog.angleBreak);
    const uint32_t maxSpeed = static_cast<uint32_t>(m_analog.maxSpeed);
    const uint32_t breakSpeed = static_cast<uint32_t>(m_analog.breakSpeed);
    if (m_linear)
        return Quotient(s * angle, 10 * maxSpeed);
    // Above the break the needle moves in whole km/h.
    if (s > 10 * breakSpeed)
        return angleBreak + (s / 10 - breakSpeed) * (angle - angleBreak) / (maxSpeed - breakSpeed);
    return Quotient(s * angleBreak, 10 * breakSpeed);
}

Point SpeedoView::PointAt(uint32_t offset, int r) const {
    const Direction d = DirectionOf(Degrees(m_analog.angleStart, offset));
    return {m_analog.x + static_cast<int>(r * d.cos), m_analog.y - static_cast<int>(r * d.sin)};
}

std::u16string SpeedoView::DigitalText() const {
    if (m_stale)
        return m_digital.transparent ? u"---.-" : u" ---.- ";
    char text[32];
    std::snprintf(text, sizeof text, m_digital.transparent ? "%03u.%u" : " %03u.%u ", m_speed / 10,
                  m_speed % 10);
    return Widen(text);
}

void SpeedoView::Build() {
    if (!m_surface) {
        m_surface = Canvas::Create(m_width, m_height);
        if (!m_surface)
            return;
    }
    Canvas& canvas = *m_surface;
    const Rect whole{0, 0, m_width, m_height};
    bool haveBitmap = false;
    if (!m_imagePath.empty()) {
        if (auto bitmap = platform::Bitmap::Load(m_imagePath)) {
            canvas.StretchBlt(whole, *bitmap);
            haveBitmap = true;
        }
    }
    if (!haveBitmap) {
        canvas.FillRect(whole, m_analog.background);
        if (!m_imagePath.empty()) {
            DrawMissingBitmapNotice(canvas, m_width, m_height, m_imagePath);
        }
    }
    if (m_analog.drawSpeedo || !haveBitmap)
        DrawScale(canvas);
}

void SpeedoView::DrawScale(Canvas& canvas) {
    platform::CanvasStateSaver saved(canvas);
    canvas.SelectFont(
        platform::Font::Create(m_analog.digitSize, m_analog.fontWeight, m_analog.font));
    canvas.SetBackgroundMode(platform::BackgroundMode::Transparent);

    if (const int t = m_analog.twoColored; t > 0) {
        const platform::Color c = m_analog.second;
        canvas.SetTextColor(c);
        const Point shifts[] = {{t, 0},  {t, t},   {0, t},  {-t, t},
                                {-t, 0}, {-t, -t}, {0, -t}, {t, -t}};
        for (const Point& shift : shifts) {
            canvas.SetViewportOrigin(shift);
            DrawTicks(canvas, Pen::Solid(PenWidth(m_analog.widthThin), c),
                      Pen::Solid(PenWidth(m_analog.widthThick), c), Pen::Solid(3, c));
        }
        canvas.SetViewportOrigin({0, 0});
    }
    canvas.SetTextColor(m_analog.digit);
    DrawTicks(canvas, Pen::Solid(PenWidth(m_analog.widthThin), m_analog.thin),
              Pen::Solid(PenWidth(m_analog.widthThick), m_analog.thick),
              Pen::Solid(3, m_analog.special));

    if (m_analog.showUnit) {
        using namespace platform::TextFlag;
        const int top = m_height - m_analog.yUnit - m_analog.digitSize;
        Rect unit{m_analog.xUnit, top, m_width, top + m_analog.digitSize};
        canvas.DrawText(Owner().Units().SpeedUnit(), unit, SingleLine | NoClip | NoPrefix);
    }
}

void SpeedoView::DrawTicks(Canvas& canvas, const Pen& thin, const Pen& thick, const Pen& special) {
    const platform::TextMetrics metrics = canvas.GetTextMetrics();
    const int h = metrics.ascent - metrics.internalLeading;
    const uint32_t last = std::min(static_cast<uint32_t>(m_analog.maxSpeed), MaxTickSpeed);
    const Analog& a = m_analog;
    for (uint32_t v = 0; v <= last; ++v) {
        const Pen* pen;
        int length;
        if (v == static_cast<uint32_t>(a.specialSpeed1) ||
            v == static_cast<uint32_t>(a.specialSpeed2)) {
            pen = &special;
            length = a.dRadiusThick;
        } else if (IsMultiple(v, a.stepThick)) {
            pen = &thick;
            length = a.dRadiusThick;
        } else if (IsMultiple(v, a.stepThin)) {
            pen = &thin;
            length = a.dRadiusThin;
        } else {
            continue;
        }
        const uint32_t offset = ScaleOffset(v);
        const Point outer = PointAt(offset, a.radius);
        const Point inner = PointAt(offset, a.radius - length);
        {
            platform::ScopedPen scoped(canvas, *pen);
            canvas.MoveTo(outer.x, outer.y);
            canvas.LineTo(inner.x, inner.y);
        }
        if (!IsMultiple(v, a.stepDigit))
            continue;

        char digits[16];
        std::snprintf(digits, sizeof digits, "%u", v);
        const std::u16string text = Widen(digits);
        const int w = canvas.GetTextExtent(text).cx;
        // Half the diagonal of the text box, limited to the box, keeps the
        // number clear of its tick in every direction.
        const Direction dir = DirectionOf(Degrees(a.angleStart, offset));
        const double d =
            std::sqrt((static_cast<double>(w) * w + static_cast<double>(h) * h) * 0.25);
        const double kx = std::clamp(d * dir.cos, -w / 2.0, w / 2.0);
        const double ky = std::clamp(d * dir.sin, -h / 2.0, h / 2.0);
        double centreX, centreY;
        if (a.withinDigits) {
            centreX = inner.x - (a.dRadiusDigit * dir.cos + kx);
            centreY = inner.y + a.dRadiusDigit * dir.sin + ky;
        } else {
            centreX = outer.x + a.dRadiusDigit * dir.cos + kx;
            centreY = outer.y - (a.dRadiusDigit * dir.sin + ky);
        }
        const int left = static_cast<int>(centreX - w / 2);
        const int top = static_cast<int>(centreY - h / 2);
        // The box is shorter than the font's cell (ascent less internal
        // leading); clipping to it would cut the bottom off every digit.
        Rect box{left, top, left + w, top + h};
        using namespace platform::TextFlag;
        canvas.DrawText(text, box, SingleLine | NoPrefix | NoClip);
    }
}

void SpeedoView::Draw(Canvas& canvas, int originX, int originY) {
    if (m_surface)
        canvas.BitBlt(originX, originY, m_width, m_height, *m_surface, 0, 0);

    platform::CanvasStateSaver saved(canvas);
    const std::u16string text = DigitalText();
    if (m_digital.transparent) {
        canvas.SetBackgroundMode(platform::BackgroundMode::Transparent);
    } else {
        canvas.SetBackgroundMode(platform::BackgroundMode::Opaque);
        canvas.SetBackgroundColor(m_digital.backgroundColor);
    }
    // In the dark phase of a blink the digits take the colour of what lies
    // behind them, so an opaque box keeps its place.
    canvas.SetTextColor(DigitsVisible() ? DigitColor() : m_digital.backgroundColor);
    canvas.SelectFont(m_digitalFont);
    const platform::Size extent = canvas.GetTextExtent(text);
    int x = originX + m_digital.x, y = originY + m_digital.y;
    if (m_digital.center) {
        x -= extent.cx / 2;
        y -= extent.cy / 2;
    }
    Rect box{x, y, x + extent.cx, y + extent.cy};
    using namespace platform::TextFlag;
    if (DigitsVisible() || !m_digital.transparent)
        canvas.DrawText(text, box, SingleLine | NoClip | NoPrefix);

    DrawNeedle(canvas, originX, originY);
}

void SpeedoView::DrawNeedle(Canvas& canvas, int originX, int originY) {
    const uint32_t offset = NeedleOffset(m_stale ? 0 : m_speed);
    const int cx = originX + m_analog.x, cy = originY + m_analog.y;
    Point tip = PointAt(offset, NeedleLength());
    tip.x += originX;
    tip.y += originY;

    const Pen needle =
        m_stale ? Pen::Solid(PenWidth(m_analog.needleWidth), NeedleColor()) : m_needlePen;
    platform::ScopedPen pen(canvas, needle);
    switch (m_analog.needleStyle) {
    case 2: {
        {
            platform::ScopedPen shadow(
                canvas, Pen::Solid(PenWidth(m_analog.needleWidth), platform::Rgb(0, 0, 0)));
            canvas.MoveTo(cx + 3, cy + 3);
            canvas.LineTo(tip.x + 3, tip.y + 3);
        }
        canvas.MoveTo(cx, cy);
        canvas.LineTo(tip.x, tip.y);
        break;
    }
    case 3:
    case 4: {
        const bool filled = m_analog.needleStyle == 3;
        const int t = m_analog.radius / (filled ? 18 : 14);
        platform::ScopedBrush brush(canvas, filled ? platform::Brush::Solid(NeedleColor())
                                                   : platform::Brush::Null());
        canvas.Ellipse(cx - t, cy + t, cx + t, cy - t);
        const Direction d = DirectionOf(Degrees(m_analog.angleStart, offset));
        canvas.MoveTo(cx - static_cast<int>(t * d.cos), cy + static_cast<int>(t * d.sin));
        canvas.LineTo(tip.x, tip.y);
        break;
    }
    default:
        canvas.MoveTo(cx, cy);
        canvas.LineTo(tip.x, tip.y);
        break;
    }
}

namespace {

void AttachSpeedo(ValueSources& sources, SpeedoView& view) {
    sources.AddSpeedListener(&view);
}

void DetachSpeedo(ValueSources& sources, SpeedoView& view) {
    sources.RemoveSpeedListener(&view);
}

} // namespace

const ComponentClassOf<SpeedoView> SpeedoView::Class{u"Speedo", u"Tacho", EntryKind::View,
                                                     AttachSpeedo, DetachSpeedo};

} // namespace velvane
