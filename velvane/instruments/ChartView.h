#pragma once
// The common part of the chart views: section "Settings" names the chart
// type and the chart's own settings file; the view hands each value it
// receives, converted, to the chart and forwards drawing, keys and taps.
#include "display/Component.h"
#include "ini/IniParser.h"
#include "instruments/ChartTypes.h"

#include <memory>
#include <string>

namespace velvane {

class ChartView : public Component, public IniParser {
public:
    ~ChartView() override;

    void Draw(platform::Canvas& canvas, int originX, int originY) override;
    bool OnKey(int keyCode) override;
    bool OnTap(int x, int y) override;
    // Settings, then a new chart when the type changed (the history goes
    // with the old one), then the chart's own file. True when both parsed.
    bool Load(std::u16string_view path) override;
    bool OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) override;
    int OnSection(std::u16string_view name) override;
    int FirstSectionId() override;

    ChartType Type() const { return m_type; }
    ChartEngine& Chart() const { return *m_chart; }

protected:
    // A bar chart with its defaults until the first Load. The chart keeps
    // the size it was made with.
    ChartView(Screen& owner, int width, int height, std::u16string_view unitLabel);

    void Hand(int32_t value) { m_chart->AddValue(value); }

private:
    int SettingsSectionId() { return IniParser::FirstSectionId(); }

    std::u16string m_unit;
    ChartType m_type = ChartType::Bar;
    std::unique_ptr<ChartEngine> m_chart;
    // Only known while Load runs.
    std::u16string m_iniPath;
    std::u16string m_chartIni;
    ChartType m_loadedType = ChartType::Bar;
};

} // namespace velvane
