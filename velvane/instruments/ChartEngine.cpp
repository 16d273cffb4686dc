#include "instruments/ChartEngine.h"

#include "ini/IniText.h"

#include "platform/clock.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace velvane {

using platform::Canvas;
using platform::Rect;

namespace {

struct IntKey {
    const char16_t* name;
    int ChartEngine::Settings::*member;
};

constexpr IntKey ChartRectInts[] = {
    {u"Left", &ChartEngine::Settings::left},
    {u"Top", &ChartEngine::Settings::top},
};

// Tried in this order: the first name that begins with the text wins, so
// "Font" must come before "FontSize".
constexpr IntKey AxisInts[] = {
    {u"Size", &ChartEngine::Settings::axisSize},
    {u"Staggered", &ChartEngine::Settings::staggered},
    {u"HorizontalDashes", &ChartEngine::Settings::horizontalDashes},
    {u"VerticalDashes", &ChartEngine::Settings::verticalDashes},
};

constexpr IntKey ControlKeys[] = {
    {u"KeyActivate", &ChartEngine::Settings::keyActivate},
    {u"KeyPageLeft", &ChartEngine::Settings::keyPageLeft},
    {u"KeyScrollLeft", &ChartEngine::Settings::keyScrollLeft},
    {u"KeyScrollRight", &ChartEngine::Settings::keyScrollRight},
    {u"KeyPageRight", &ChartEngine::Settings::keyPageRight},
    {u"KeyZoomOut", &ChartEngine::Settings::keyZoomOut},
    {u"KeyZoomIn", &ChartEngine::Settings::keyZoomIn},
};

constexpr IntKey MetricInts[] = {
    {u"dValues", &ChartEngine::Settings::dValues},
    {u"ValueWidth", &ChartEngine::Settings::valueWidth},
};

struct ColorKey {
    const char16_t* name;
    platform::Color ChartEngine::Settings::*member;
};

constexpr ColorKey ChartColorKeys[] = {
    {u"Positive", &ChartEngine::Settings::positive},
    {u"Negative", &ChartEngine::Settings::negative},
    {u"PositiveFrame", &ChartEngine::Settings::positiveFrame},
    {u"NegativeFrame", &ChartEngine::Settings::negativeFrame},
};

constexpr const char16_t* ButtonLabels[ChartEngine::ActionCount] = {u"|<", u"<<", u"<", u">", u">>",
                                                                    u">|", u"-",  u"+", u"zu"};
constexpr char16_t OpenLabel[] = u"auf";

bool IsKey(std::u16string_view key, char16_t upper, char16_t lower) {
    return key.size() == 1 && (key[0] == upper || key[0] == lower);
}

int Bounded(int64_t v) {
    return static_cast<int>(
        std::clamp<int64_t>(v, -ChartEngine::MaxExtent, ChartEngine::MaxExtent));
}

int32_t ToInt32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

bool ReadColor(std::u16string_view value, platform::Color& color) {
    if (value.size() != 6)
        return false;
    color = IniColor(value);
    return true;
}

std::u16string Widen(const char* text) {
    std::u16string out;
    for (; *text; ++text)
        out += static_cast<char16_t>(static_cast<unsigned char>(*text));
    return out;
}

std::u16string Number(int64_t v) {
    char text[24];
    std::snprintf(text, sizeof text, "%lld", static_cast<long long>(v));
    return Widen(text);
}

// Rounds towards minus infinity, so that groups of samples before the first
// one ever stored are still whole groups.
int64_t FloorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

} // namespace

ChartEngine::ChartEngine(Screen& owner, int width, int height, std::u16string_view unitLabel)
    : BackgroundView(owner, width, height), m_unit(unitLabel), m_measure(Canvas::Create(1, 1)) {
    SetDefaults();
    // Room for values even before the first Load lays the chart out.
    ResizeBuffer(m_settings.additionalValues + 1);
}

ChartEngine::~ChartEngine() = default;

void ChartEngine::SetDefaults() {
    m_settings = Settings{};
    m_settings.right = m_width - 10;
    m_settings.bottom = m_height - 10;
    m_xGiven = m_xFromRight = m_yGiven = m_yFromRight = m_widthGiven = false;
}

bool ChartEngine::Load(std::u16string_view path) {
    SetDefaults();
    const bool parsed = BackgroundView::Load(path);
    ResolveControls();
    Settings& s = m_settings;
    m_axisPen = platform::Pen::Solid(s.axisSize, s.axisColor);
    m_framePen = platform::Pen::Solid(1, s.controlsFrame);
    m_thumbBrush = platform::Brush::Solid(s.controlsText);
    m_axisFont = platform::Font::Create(s.fontSize, 0, s.font);
    s.font.clear();
    ComputeLayout();
    // The history goes only as far back as the new capacity allows.
    m_offset = std::min(m_offset, s.additionalValues);
    ResizeBuffer(s.additionalValues + m_layout.columns);
    m_zoom = std::clamp(s.zoom, 1, std::max(Capacity(), 1));
    SetOffset(m_offset);
    RequestRedraw();
    return parsed;
}

void ChartEngine::ResolveControls() {
    Settings& s = m_settings;
    const int chartWidth = s.right - s.left;
    if (!m_widthGiven)
        s.controlsWidth = static_cast<int>(static_cast<unsigned>(chartWidth) * 2u / 3u);
    s.controlsWidth = Bounded(s.controlsWidth);
    if (!m_xGiven)
        s.controlsX = s.left + (chartWidth - s.controlsWidth) / 2;
    else if (m_xFromRight)
        s.controlsX = Bounded(int64_t{s.controlsX} + m_width - s.controlsWidth);
    if (!m_yGiven)
        s.controlsY = s.top;
    else if (m_yFromRight)
        s.controlsY = Bounded(int64_t{s.controlsY} + m_height - s.controlsHeight);
}

int ChartEngine::OnSection(std::u16string_view name) {
    const int first = BackgroundView::FirstSectionId();
    // In the order the sections are numbered.
    if (KeywordMatch(u"ChartRect", name) == 0)
        return first + ChartRect;
    if (KeywordMatch(u"Controls", name) == 0)
        return first + Controls;
    if (KeywordMatch(u"Axis", name) == 0)
        return first + Axis;
    if (KeywordMatch(u"ChartMetrics", name) == 0)
        return first + ChartMetrics;
    if (KeywordMatch(u"ChartColors", name) == 0)
        return first + ChartColors;
    return BackgroundView::OnSection(name);
}

int ChartEngine::FirstSectionId() {
    return EngineSectionsEnd();
}

bool ChartEngine::OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) {
    Settings& s = m_settings;
    switch (sectionId - BackgroundView::FirstSectionId()) {
    case ChartRect:
        for (const IntKey& k : ChartRectInts)
            if (KeywordMatch(k.name, key) == 0) {
                s.*k.member = Bounded(IniInteger(value));
                return true;
            }
        if (KeywordMatch(u"Right", key) == 0) {
            s.right = Bounded(int64_t{m_width} - IniInteger(value));
            return true;
        }
        if (KeywordMatch(u"Bottom", key) == 0) {
            s.bottom = Bounded(int64_t{m_height} - IniInteger(value));
            return true;
        }
        return false;
    case Controls:
        return ControlsAttribute(key, value);
    case Axis:
        if (KeywordMatch(u"Color", key) == 0)
            return ReadColor(value, s.axisColor);
        if (KeywordMatch(u"TextColor", key) == 0)
            return ReadColor(value, s.axisText);
        if (KeywordMatch(u"Font", key) == 0) {
            s.font = value.substr(0, platform::Font::MaxFaceLength);
            return true;
        }
        if (KeywordMatch(u"FontSize", key) == 0) {
            s.fontSize = Bounded(IniInteger(value));
            return true;
        }
        for (const IntKey& k : AxisInts)
            if (KeywordMatch(k.name, key) == 0) {
                s.*k.member = Bounded(IniInteger(value));
                return true;
            }
        return false;
    case ChartMetrics:
        for (const IntKey& k : MetricInts)
            if (KeywordMatch(k.name, key) == 0) {
                s.*k.member = Bounded(IniInteger(value));
                return true;
            }
        return false;
    case ChartColors:
        for (const ColorKey& k : ChartColorKeys)
            if (KeywordMatch(k.name, key) == 0)
                return ReadColor(value, s.*k.member);
        return false;
    default:
        return BackgroundView::OnAttribute(sectionId, key, value);
    }
}

bool ChartEngine::ControlsAttribute(std::u16string_view key, std::u16string_view value) {
    Settings& s = m_settings;
    const bool fromRight = !value.empty() && value[0] == u'-';
    if (IsKey(key, u'X', u'x')) {
        s.controlsX = Bounded(IniInteger(value));
        m_xGiven = true;
        m_xFromRight = fromRight;
        return true;
    }
    if (IsKey(key, u'Y', u'y')) {
        s.controlsY = Bounded(IniInteger(value));
        m_yGiven = true;
        m_yFromRight = fromRight;
        return true;
    }
    if (KeywordMatch(u"Width", key) == 0) {
        s.controlsWidth = Bounded(IniInteger(value));
        m_widthGiven = true;
        return true;
    }
    if (KeywordMatch(u"Height", key) == 0) {
        s.controlsHeight = Bounded(IniInteger(value));
        return true;
    }
    if (KeywordMatch(u"AdditionalValues", key) == 0) {
        // Refused rather than cut: the user should learn the history is shorter.
        const int n = IniInteger(value);
        if (n < 0 || n > MaxAdditionalValues)
            return false;
        s.additionalValues = n;
        return true;
    }
    if (KeywordMatch(u"Zoom", key) == 0) {
        s.zoom = std::max(IniInteger(value), 1);
        return true;
    }
    for (const IntKey& k : ControlKeys)
        if (KeywordMatch(k.name, key) == 0) {
            s.*k.member = IniInteger(value);
            return true;
        }
    // Any length: missing digits count 0.
    if (KeywordMatch(u"TextColor", key) == 0) {
        s.controlsText = IniColor(value);
        return true;
    }
    if (KeywordMatch(u"FrameColor", key) == 0) {
        s.controlsFrame = IniColor(value);
        return true;
    }
    return false;
}

void ChartEngine::Resize(int width, int height) {
    BackgroundView::Resize(width, height);
    ComputeLayout();
    SetOffset(m_offset);
}

int64_t ChartEngine::Range() const {
    // Limits never meet (SetMin and SetMax keep them apart); should they,
    // one unit keeps the divisions defined.
    return std::max<int64_t>(int64_t{m_max} - m_min, 1);
}

void ChartEngine::ComputeLayout() {
    const Settings& s = m_settings;
    const platform::Size label =
        m_measure ? m_measure->GetTextExtent(Number(m_max)) : platform::Size{0, 0};
    Layout& l = m_layout;
    l.valueAxisX = Bounded(int64_t{s.left} + 2 * s.axisSize + label.cx);
    l.valueAxisBottom =
        Bounded(int64_t{s.bottom} - (2 * s.axisSize + std::max(s.staggered, 0) + label.cy));
    l.plotWidth = s.right - l.valueAxisX;
    l.plotHeight = l.valueAxisBottom - s.top;
    // No plot area: one column, and nothing drawn but background and bar.
    l.columns = HasPlotArea() ? std::max(ColumnCount(l.plotWidth), 1) : 1;
    l.columnWidth = l.plotWidth > 0 ? l.plotWidth / l.columns : 0;
    const int ph = std::max(l.plotHeight, 0);
    if (m_max < 0) {
        l.baselineY = s.top;
        l.baselineValue = m_max;
    } else if (m_min > 0) {
        l.baselineY = s.top + ph;
        l.baselineValue = m_min;
    } else {
        l.baselineY = s.top + static_cast<int>(static_cast<uint64_t>(m_max) * ph /
                                               static_cast<uint64_t>(Range()));
        l.baselineValue = 0;
    }
    m_frameStale = true;
}

void ChartEngine::ResizeBuffer(int capacity) {
    capacity = std::max(capacity, 1);
    const int old = Capacity();
    if (capacity == old)
        return;
    // The newest samples in the order they came, from index 0 on.
    const int keep = std::min(m_count, capacity);
    std::vector<Sample> samples(capacity);
    for (int k = 0; k < keep; ++k) {
        const int from = ((m_pos - keep + k) % old + old) % old;
        samples[k] = m_samples[from];
    }
    m_samples = std::move(samples);
    m_samples.shrink_to_fit();
    m_count = keep;
    m_pos = keep % capacity;
}

void ChartEngine::SetRange(int64_t min, int64_t max) {
    m_min = ToInt32(min);
    m_max = ToInt32(std::max(max, int64_t{m_min} + 1));
    if (m_max == m_min)
        m_min = m_max - 1;
    ComputeLayout();
    RequestRedraw();
}

void ChartEngine::SetMin(int32_t v) {
    if (v >= m_max)
        return;
    SetRange(v, m_max);
}

void ChartEngine::SetMax(int32_t v) {
    if (v <= m_min)
        return;
    SetRange(m_min, v);
}

void ChartEngine::AddValue(int32_t value) {
    Store(value);
}

void ChartEngine::Store(int32_t value) {
    const platform::SystemTime now = platform::GetLocalTime();
    Sample& slot = m_samples[m_pos];
    slot.value = value;
    slot.hour = static_cast<uint8_t>(now.hour);
    slot.minute = static_cast<uint8_t>(now.minute);
    slot.second = static_cast<uint8_t>(now.second);
    m_pos = (m_pos + 1) % Capacity();
    m_count = std::min(m_count + 1, Capacity());
    ++m_total;
    RequestRedraw();
}

int64_t ChartEngine::MaxOffset() const {
    return std::max<int64_t>(0, int64_t{Capacity()} - int64_t{m_zoom} * m_layout.columns);
}

void ChartEngine::SetOffset(int64_t offset) {
    m_offset = static_cast<int>(std::clamp<int64_t>(offset, 0, MaxOffset()));
}

void ChartEngine::SetZoom(int zoom) {
    if (zoom < 1) {
        m_zoom = 1;
        SetOffset(m_offset);
        return;
    }
    // A column never averages more than the whole history.
    zoom = std::min(zoom, std::max(Capacity(), 1));
    const int shift = m_offset / (2 * zoom);
    m_offset += zoom > m_zoom ? -shift : shift;
    m_zoom = zoom;
    SetOffset(m_offset);
}

void ChartEngine::Run(Action action) {
    const int64_t page = int64_t{m_zoom} * m_layout.columns;
    switch (action) {
    case Oldest:
        SetOffset(m_settings.additionalValues);
        break;
    case PageLeft:
        SetOffset(m_offset + page);
        break;
    case ScrollLeft:
        SetOffset(int64_t{m_offset} + m_zoom);
        break;
    case ScrollRight:
        SetOffset(int64_t{m_offset} - m_zoom);
        break;
    case PageRight:
        SetOffset(m_offset - page);
        break;
    case Newest:
        SetOffset(0);
        break;
    case ZoomOut:
        SetZoom(m_zoom + 1);
        break;
    case ZoomIn:
        SetZoom(m_zoom - 1);
        break;
    case Collapse:
    case ActionCount:
        m_controlsShown = false;
        break;
    }
    RequestRedraw();
}

bool ChartEngine::OnKey(int keyCode) {
    const Settings& s = m_settings;
    if (keyCode == s.keyActivate) {
        m_controlsShown = !m_controlsShown;
        RequestRedraw();
        return true;
    }
    if (!m_controlsShown)
        return false;
    const int keys[ActionCount] = {KeyOldest,        s.keyPageLeft,  s.keyScrollLeft,
                                   s.keyScrollRight, s.keyPageRight, KeyNewest,
                                   s.keyZoomOut,     s.keyZoomIn,    s.keyActivate};
    for (int i = 0; i < ActionCount; ++i)
        if (keys[i] == keyCode) {
            Run(static_cast<Action>(i));
            return true;
        }
    return false;
}

bool ChartEngine::OnTap(int x, int y) {
    const Settings& s = m_settings;
    const int64_t X = s.controlsX, Y = s.controlsY, W = s.controlsWidth, H = s.controlsHeight;
    if (W <= 0)
        return false;
    const int64_t buttonsBottom = Y + 2 * H / 3;
    if (!m_controlsShown) {
        if (x >= X + 8 * W / 9 - 1 && x < X + W && y >= Y && y < buttonsBottom) {
            m_controlsShown = true;
            RequestRedraw();
            return true;
        }
        return false;
    }
    if (x >= X && x < X + W && y >= Y && y < buttonsBottom) {
        const int64_t action = (9 * x - 9 * X) / W;
        Run(static_cast<Action>(std::clamp<int64_t>(action, 0, ActionCount - 1)));
        return true;
    }
    if (x >= X && x < X + W + 1 && y >= buttonsBottom - 1 && y < Y + H) {
        const int64_t n = Capacity();
        const int64_t thumb = int64_t{m_layout.columns} * m_zoom * W / n;
        SetOffset((X + W - thumb / 2 - x) * n / W);
        RequestRedraw();
        return true;
    }
    return false;
}

bool ChartEngine::ColumnValue(int column, int32_t& value, Sample& first) const {
    const int64_t n = Capacity();
    const int64_t z = m_zoom;
    const int64_t columns = std::min<int64_t>(m_layout.columns, (n + z - 1) / z);
    if (column < 0 || column >= columns || m_count == 0)
        return false;
    const int64_t total = static_cast<int64_t>(m_total);
    // Groups are aligned to the count of samples ever stored, so a column
    // keeps its samples while the newest group fills.
    const int64_t newestGroup = FloorDiv(total - 1 - m_offset, z);
    const int64_t group = newestGroup - (columns - 1 - column);
    const int64_t begin = std::max(group * z, total - m_count);
    const int64_t end = std::min(group * z + z, total);
    if (begin >= end)
        return false;
    int64_t sum = 0;
    for (int64_t q = begin; q < end; ++q) {
        const int64_t slot = ((m_pos - (total - q)) % n + n) % n;
        sum += m_samples[static_cast<size_t>(slot)].value;
    }
    first = m_samples[static_cast<size_t>(((m_pos - (total - begin)) % n + n) % n)];
    value = static_cast<int32_t>(sum / (end - begin));
    return true;
}

int ChartEngine::ValueLabelCount() const {
    // Below 2 the spacing would divide by zero or less: min and max alone.
    // More labels than pixel rows would only overprint.
    const int most = std::max(m_layout.plotHeight, 1) + 1;
    return std::clamp(m_settings.verticalDashes, 2, std::max(most, 2));
}

void ChartEngine::BuildLabels() {
    m_frameStale = false;
    const Canvas* background = Surface();
    if (!background)
        return;
    if (!m_frame || m_frame->Width() != m_width || m_frame->Height() != m_height)
        m_frame = Canvas::Create(m_width, m_height);
    if (!m_frame)
        return;
    Canvas& canvas = *m_frame;
    canvas.BitBlt(0, 0, m_width, m_height, *background, 0, 0);
    if (!HasPlotArea())
        return;
    platform::CanvasStateSaver saved(canvas);
    canvas.SelectFont(m_axisFont);
    canvas.SetBackgroundMode(platform::BackgroundMode::Transparent);
    canvas.SetTextColor(m_settings.axisText);
    const Layout& l = m_layout;
    const int n = ValueLabelCount() - 1;
    const int right = l.valueAxisX - 2 * m_settings.axisSize;
    for (int j = 0; j <= n; ++j) {
        const int y =
            m_settings.top + l.plotHeight - static_cast<int>(int64_t{j} * l.plotHeight / n);
        const std::u16string text = Number(m_min + int64_t{j} * Range() / n);
        const platform::Size size = canvas.GetTextExtent(text);
        canvas.TextOut(right - size.cx, y - size.cy / 2, text);
    }
}

void ChartEngine::Draw(Canvas& canvas, int originX, int originY) {
    if (m_frameStale)
        BuildLabels();
    if (m_frame)
        canvas.BitBlt(originX, originY, m_width, m_height, *m_frame, 0, 0);
    if (HasPlotArea()) {
        DrawValues(canvas, originX, originY);
        DrawAxes(canvas, originX, originY);
    }
    DrawControls(canvas, originX, originY);
}

void ChartEngine::DrawValues(Canvas& canvas, int ox, int oy) {
    platform::CanvasStateSaver saved(canvas);
    const Layout& l = m_layout;
    const int64_t range = Range();
    const int baseline = l.baselineY;
    BeginValues(canvas);
    for (int i = 0; i < l.columns; ++i) {
        int32_t v;
        Sample first;
        if (!ColumnValue(i, v, first))
            continue;
        int64_t h = (int64_t{v} - l.baselineValue) * l.plotHeight / range;
        // The mark stays between the view's top and bottom edges.
        h = std::clamp<int64_t>(h, int64_t{baseline} - m_height, baseline);
        const int x = ox + l.valueAxisX + i * l.columnWidth;
        if (v < 0)
            DrawNegative(canvas, x, oy + baseline, static_cast<int>(h), v);
        else
            DrawPositive(canvas, x, oy + baseline, static_cast<int>(h), v);
    }
    EndValues(canvas);
}

void ChartEngine::DrawAxes(Canvas& canvas, int ox, int oy) {
    platform::CanvasStateSaver saved(canvas);
    canvas.SelectPen(m_axisPen);
    const Settings& s = m_settings;
    const Layout& l = m_layout;
    const int x0 = ox + l.valueAxisX, top = oy + s.top, base = oy + l.baselineY;
    const int right = ox + s.right;
    canvas.MoveTo(x0, oy + l.valueAxisBottom);
    canvas.LineTo(x0, top);
    canvas.LineTo(x0 - 5, top + 10);
    canvas.MoveTo(x0, top);
    canvas.LineTo(x0 + 5, top + 10);
    canvas.MoveTo(x0, base);
    canvas.LineTo(right, base);
    canvas.LineTo(right - 10, base - 5);
    canvas.MoveTo(right, base);
    canvas.LineTo(right - 10, base + 5);

    const int tick = 2 * s.axisSize;
    const int n = ValueLabelCount() - 1;
    for (int j = 0; j < n; ++j) {
        const int y = top + l.plotHeight - static_cast<int>(int64_t{j} * l.plotHeight / n);
        canvas.MoveTo(x0 - tick, y);
        canvas.LineTo(x0 + tick, y);
    }

    canvas.SelectFont(m_axisFont);
    canvas.SetBackgroundMode(platform::BackgroundMode::Transparent);
    canvas.SetTextColor(s.axisText);
    DrawTimeTicks(canvas, ox, oy);
    canvas.TextOut(x0 + tick + 5, top, m_unit);
}

void ChartEngine::DrawTimeTicks(Canvas& canvas, int ox, int oy) {
    const Settings& s = m_settings;
    const Layout& l = m_layout;
    const int tick = 2 * s.axisSize;
    const int base = oy + l.baselineY;
    // More ticks than columns would only land on each other.
    const int dashes = std::clamp(s.horizontalDashes, 0, l.columns);
    for (int k = 1; k <= dashes; ++k) {
        const int d = static_cast<int>(int64_t{k} * l.columns / (dashes + 1));
        const int x = ox + l.valueAxisX + d * l.columnWidth + l.columnWidth / 2;
        canvas.MoveTo(x, base - tick);
        canvas.LineTo(x, base + tick);
        int32_t v;
        Sample first;
        if (!ColumnValue(d, v, first))
            continue;
        char text[16];
        std::snprintf(text, sizeof text, "%02u:%02u:%02u", unsigned{first.hour},
                      unsigned{first.minute}, unsigned{first.second});
        const std::u16string label = Widen(text);
        const int width = canvas.GetTextExtent(label).cx;
        const int top = base + tick + (k % 2 == 0 ? s.staggered : 0);
        canvas.TextOut(x - width / 2, top, label);
    }
}

void ChartEngine::DrawControls(Canvas& canvas, int ox, int oy) {
    const Settings& s = m_settings;
    const int X = ox + s.controlsX, Y = oy + s.controlsY, W = s.controlsWidth;
    const int H = s.controlsHeight;
    if (W <= 0 || H <= 0)
        return;
    platform::CanvasStateSaver saved(canvas);
    canvas.SelectPen(m_framePen);
    canvas.SelectBrush(platform::Brush::Null());
    canvas.SelectFont(m_axisFont);
    canvas.SetBackgroundMode(platform::BackgroundMode::Transparent);
    canvas.SetTextColor(s.controlsText);
    using namespace platform::TextFlag;
    const uint32_t flags = Center | VCenter | SingleLine | NoPrefix | NoClip;
    const int buttonsBottom = Y + 2 * H / 3;
    if (!m_controlsShown) {
        Rect button{X + 8 * W / 9 - 1, Y, X + W, buttonsBottom};
        canvas.Rectangle(button);
        canvas.DrawText(OpenLabel, button, flags);
        return;
    }
    int left = X;
    for (int k = 0; k < ActionCount; ++k) {
        Rect button{left, Y, X + static_cast<int>(int64_t{k + 1} * W / 9), buttonsBottom};
        canvas.Rectangle(button);
        canvas.DrawText(ButtonLabels[k], button, flags);
        left = button.right - 1;
    }
    const Rect row{X, buttonsBottom - 1, X + W, Y + H};
    canvas.Rectangle(row);
    const int64_t n = Capacity();
    const int64_t shown = int64_t{m_layout.columns} * m_zoom;
    Rect thumb = row;
    if (shown < n) {
        thumb.left = X + static_cast<int>((int64_t{W} + 1) * (n - shown - m_offset) / n);
        thumb.right = thumb.left + static_cast<int>(shown * (int64_t{W} + 1) / n);
    }
    canvas.FillRect(thumb, m_thumbBrush);
}

} // namespace velvane
