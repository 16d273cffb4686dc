#include "instruments/ChartView.h"

#include "ini/IniPath.h"
#include "ini/IniText.h"

namespace velvane {

ChartView::ChartView(Screen& owner, int width, int height, std::u16string_view unitLabel)
    : Component(owner, width, height), m_unit(unitLabel),
      m_chart(CreateChart(ChartType::Bar, owner, width, height, unitLabel)) {}

ChartView::~ChartView() = default;

bool ChartView::Load(std::u16string_view path) {
    m_loadedType = ChartType::Bar;
    m_chartIni.clear();
    bool parsed = true;
    if (!path.empty()) {
        m_iniPath = path;
        parsed = IniParser::Load(path);
        m_iniPath.clear();
    }
    if (m_loadedType != m_type || !m_chart) {
        m_chart.reset();
        m_chart = CreateChart(m_loadedType, Owner(), m_width, m_height, m_unit);
        m_type = m_loadedType;
    }
    // Without a file of its own the chart takes its defaults.
    const bool chartParsed = m_chart->Load(m_chartIni);
    m_chartIni.clear();
    RequestRedraw();
    return parsed && chartParsed;
}

int ChartView::OnSection(std::u16string_view name) {
    if (KeywordMatch(u"Settings", name) == 0)
        return SettingsSectionId();
    return IniParser::OnSection(name);
}

int ChartView::FirstSectionId() {
    return IniParser::FirstSectionId() + 1;
}

bool ChartView::OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) {
    if (sectionId != SettingsSectionId())
        return IniParser::OnAttribute(sectionId, key, value);
    if (KeywordMatch(u"ChartType", key) == 0) {
        static constexpr struct {
            std::u16string_view name;
            ChartType type;
        } Types[] = {{u"BarChart", ChartType::Bar},
                     {u"DotChart", ChartType::Dot},
                     {u"LineChart", ChartType::Line}};
        for (const auto& t : Types)
            if (value == t.name) {
                m_loadedType = t.type;
                return true;
            }
        return false;
    }
    if (KeywordMatch(u"ChartIni", key) == 0) {
        const size_t folder = FileNamePart(m_iniPath);
        m_chartIni = JoinPath(value, std::u16string_view(m_iniPath).substr(0, folder));
        return true;
    }
    return false;
}

void ChartView::Draw(platform::Canvas& canvas, int originX, int originY) {
    m_chart->Draw(canvas, originX, originY);
}

bool ChartView::OnKey(int keyCode) {
    return m_chart->OnKey(keyCode);
}

bool ChartView::OnTap(int x, int y) {
    return m_chart->OnTap(x, y);
}

} // namespace velvane
