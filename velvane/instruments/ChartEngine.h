#pragma once
// The history of one value drawn over the background: a ring buffer of
// samples with their arrival time, a value axis and a time axis with labels,
// and a control bar to scroll and zoom through what the buffer keeps. The
// chart types say how a column looks; the autoscale layer says how the range
// follows the values.
#include "instruments/BackgroundView.h"

#include "platform/canvas.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace velvane {

class ChartEngine : public BackgroundView {
public:
    // A day of one value a second; more would only eat memory.
    static constexpr int MaxAdditionalValues = 86400;
    // Geometry a skin may give is kept within this many pixels either way.
    static constexpr int MaxExtent = 65536;

    struct Sample {
        int32_t value = 0;
        // Local time of arrival; 255 in all three marks a slot never written.
        uint8_t hour = 255;
        uint8_t minute = 255;
        uint8_t second = 255;
    };

    // Results of the layout; y values and x values in view coordinates.
    struct Layout {
        int valueAxisX = 0;
        int valueAxisBottom = 0;
        int plotWidth = 0;
        int plotHeight = 0;
        int columns = 1;
        int columnWidth = 0;
        int baselineY = 0;
        int32_t baselineValue = 0;
    };

    struct Settings {
        int left = 10, top = 10, right = 0, bottom = 0; // right and bottom as edges
        int controlsX = 0, controlsY = 0, controlsWidth = 0, controlsHeight = 30;
        int additionalValues = 500;
        int zoom = 1;
        int keyActivate = 13, keyPageLeft = 33, keyScrollLeft = 37, keyScrollRight = 39;
        int keyPageRight = 34, keyZoomOut = 109, keyZoomIn = 107;
        platform::Color controlsText = 0, controlsFrame = 0;
        platform::Color axisColor = 0, axisText = 0;
        int axisSize = 1, fontSize = 14, staggered = 0;
        int horizontalDashes = 4, verticalDashes = 7;
        std::u16string font;
        int dValues = 1, valueWidth = 5;
        platform::Color positive = platform::Rgb(0x80, 0xFF, 0x80);
        platform::Color negative = platform::Rgb(0xFF, 0x80, 0x80);
        platform::Color positiveFrame = platform::Rgb(0x00, 0x80, 0x00);
        platform::Color negativeFrame = platform::Rgb(0xFF, 0x00, 0x00);
    };

    // Numbered as their places in the button row and in the key table.
    enum Action {
        Oldest,
        PageLeft,
        ScrollLeft,
        ScrollRight,
        PageRight,
        Newest,
        ZoomOut,
        ZoomIn,
        Collapse,
        ActionCount
    };
    static constexpr int KeyOldest = 35;
    static constexpr int KeyNewest = 36;

    ~ChartEngine() override;

    // Stores the value with the local time; the autoscale layer adjusts the
    // range first.
    virtual void AddValue(int32_t value);

    // Defaults, the file (none: just the defaults), then pens, font, layout
    // and a buffer of AdditionalValues + columns, keeping the newest samples.
    bool Load(std::u16string_view path) override;
    void Draw(platform::Canvas& canvas, int originX, int originY) override;
    // New layout for the size; the buffer keeps its capacity.
    void Resize(int width, int height) override;
    bool OnKey(int keyCode) override;
    // Coordinates of the view, without the drawing origin.
    bool OnTap(int x, int y) override;
    bool OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) override;
    int OnSection(std::u16string_view name) override;
    int FirstSectionId() override;

    // Ignored unless v stays below the maximum, or above the minimum.
    void SetMin(int32_t v);
    void SetMax(int32_t v);
    int32_t GetMin() const { return m_min; }
    int32_t GetMax() const { return m_max; }

    void SetOffset(int64_t offset);
    void SetZoom(int zoom);
    void Run(Action action);

    const Settings& GetSettings() const { return m_settings; }
    const Layout& GetLayout() const { return m_layout; }
    const std::u16string& UnitLabel() const { return m_unit; }
    int Capacity() const { return static_cast<int>(m_samples.size()); }
    int Count() const { return m_count; }
    int Offset() const { return m_offset; }
    int Zoom() const { return m_zoom; }
    bool ControlsShown() const { return m_controlsShown; }
    size_t BufferBytes() const { return m_samples.capacity() * sizeof(Sample); }
    // The averaged value of a column and the sample that starts it; false
    // when the column is blank.
    bool ColumnValue(int column, int32_t& value, Sample& first) const;

protected:
    ChartEngine(Screen& owner, int width, int height, std::u16string_view unitLabel);

    virtual int ColumnCount(int plotWidth) const = 0;
    virtual void BeginValues(platform::Canvas&) {}
    virtual void EndValues(platform::Canvas&) {}
    virtual void DrawPositive(platform::Canvas& canvas, int x, int baselineY, int h,
                              int32_t value) = 0;
    virtual void DrawNegative(platform::Canvas& canvas, int x, int baselineY, int h,
                              int32_t value) = 0;

    // Both limits at once, for the autoscale layer; min stays below max.
    void SetRange(int64_t min, int64_t max);
    void Store(int32_t value);
    // The section after the engine's own, for the autoscale layer.
    int EngineSectionsEnd() { return BackgroundView::FirstSectionId() + SectionCount; }

private:
    enum Section { ChartRect, Controls, Axis, ChartMetrics, ChartColors, SectionCount };

    void SetDefaults();
    void ResolveControls();
    void ComputeLayout();
    void ResizeBuffer(int capacity);
    int64_t MaxOffset() const;
    bool HasPlotArea() const { return m_layout.plotWidth > 0 && m_layout.plotHeight > 0; }
    int64_t Range() const;
    int ValueLabelCount() const;
    void BuildLabels();
    void DrawValues(platform::Canvas& canvas, int ox, int oy);
    void DrawAxes(platform::Canvas& canvas, int ox, int oy);
    void DrawTimeTicks(platform::Canvas& canvas, int ox, int oy);
    void DrawControls(platform::Canvas& canvas, int ox, int oy);
    bool ControlsAttribute(std::u16string_view key, std::u16string_view value);

    std::u16string m_unit;
    Settings m_settings;
    // How Controls X, Y and Width were given; resolved after the file.
    bool m_xGiven = false, m_xFromRight = false, m_yGiven = false, m_yFromRight = false;
    bool m_widthGiven = false;

    int32_t m_min = 0;
    int32_t m_max = 1;
    Layout m_layout;

    std::vector<Sample> m_samples;
    int m_pos = 0;        // next slot to write
    int m_count = 0;      // samples kept, the newest ending just before m_pos
    uint64_t m_total = 0; // samples ever stored; zoom groups are aligned to it
    int m_offset = 0;
    int m_zoom = 1;
    bool m_controlsShown = false;

    platform::Pen m_axisPen;
    platform::Pen m_framePen;
    platform::Brush m_thumbBrush;
    platform::Font m_axisFont;
    // Measures label sizes with the screen's default font.
    std::unique_ptr<platform::Canvas> m_measure;
    // The background with the value labels, rebuilt when the range or the
    // layout changes: text is the dearest part of a frame.
    std::unique_ptr<platform::Canvas> m_frame;
    bool m_frameStale = true;
};

} // namespace velvane
