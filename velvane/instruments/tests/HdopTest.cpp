// The reception bars: how many are lit for an HDOP, and where they are drawn.
#include "instruments/Hdop.h"

#include "display/Screen.h"

#include "platform/canvas.h"
#include "platform/testing/colors.h"
#include "platform/testing/temp_device.h"
#include "platform/testing/transcript_lines.h"
#include "platform/transcript.h"

#include <gtest/gtest.h>
#include <string>

using namespace velvane;
using platform::Rgb;
using platform::testing::TempDevice;
using platform::testing::Utf16File;

namespace {

using namespace platform::testing::colors;

std::string Gga(const std::string& hdop) {
    return "$GPGGA,123519,4807.038,N,01131.000,E,1,08," + hdop + ",545.4,M,46.9,M,,*47\r\n";
}

class HdopTest : public ::testing::Test {
protected:
    void Settle() {
        auto canvas = platform::Canvas::Create(1, 1);
        m_screen.Draw(*canvas, 0, 0);
    }
    TempDevice m_device;
    Screen m_screen{nullptr, 240, 320};
};

TEST_F(HdopTest, BarsLitForAnHdop) {
    Hdop bars(m_screen, 240, 320);
    EXPECT_EQ(bars.CurrentHdop(), Hdop::NoHdop);
    const struct {
        const char* hdop;
        uint32_t lit;
    } cases[] = {{"1.0", 7}, {"0.9", 8}, {"", 8},   {"2.5", 6}, {"4", 4},
                 {"7.9", 1}, {"8", 0},   {"99", 0}, {"0", 8}};
    for (const auto& c : cases) {
        bars.OnGGA(Gga(c.hdop));
        EXPECT_EQ(bars.BarsLit(), c.lit) << "HDOP \"" << c.hdop << "\"";
    }
    // No division by zero: such settings light nothing.
    EXPECT_EQ(Hdop::BarsFor(1, 0, 8), 0u);
    EXPECT_EQ(Hdop::BarsFor(1, 8, 0), 0u);
    EXPECT_EQ(Hdop::BarsFor(0, 4000000000u, 1024), 1024u) << "no overflow";
}

TEST_F(HdopTest, RepeatedHdopAsksForNoRedraw) {
    Hdop bars(m_screen, 240, 320);
    bars.OnGGA(Gga("1.2"));
    Settle();
    bars.OnGGA(Gga("1.9"));
    EXPECT_FALSE(m_screen.RedrawPending()) << "same integer part";
    bars.OnGGA(Gga("3.0"));
    EXPECT_TRUE(m_screen.RedrawPending());
}

// The default frame 18 x 18, seven bars of HDOP 1: bar i covers x from the
// previous bar's right edge to 2i, y from 17 - 2i to 16 (relative to the
// frame). Two pixels wide, the default bars are all border.
TEST_F(HdopTest, DrawsAStaircase) {
    Hdop bars(m_screen, 240, 320);
    bars.OnGGA(Gga("1.0"));
    auto c = platform::Canvas::Create(40, 40);
    bars.Draw(*c, 10, 10);
    EXPECT_EQ(c->GetPixel(10, 10), Black) << "frame corner";
    EXPECT_EQ(c->GetPixel(27, 27), Black) << "opposite corner";
    EXPECT_EQ(c->GetPixel(28, 28), White);
    EXPECT_EQ(c->GetPixel(11, 26), Black) << "the first bar";
    EXPECT_EQ(c->GetPixel(11, 24), White) << "above the first bar";
    EXPECT_EQ(c->GetPixel(24, 14), Black) << "the seventh bar";
    EXPECT_EQ(c->GetPixel(24, 12), White) << "above the seventh bar";
    EXPECT_EQ(c->GetPixel(26, 20), White) << "where the eighth would be";

    bars.OnGGA(Gga("9"));
    auto none = platform::Canvas::Create(40, 40);
    bars.Draw(*none, 10, 10);
    EXPECT_EQ(none->GetPixel(11, 26), White) << "no bars at HDOP 9";
    EXPECT_EQ(none->GetPixel(10, 27), Black) << "the frame stays";
}

TEST_F(HdopTest, SettingsAndAnchoring) {
    Hdop bars(m_screen, 240, 320);
    m_device.Put(u"\\h.ini",
                 Utf16File(u"[Metrics]\r\nX = -10\r\ny = -20\r\nWidth = 40\r\nHeight = 30\r\n"
                           u"MaxBars = 4\r\nBadHDOP = 6\r\n[Colors]\r\nBorder = 0000FF\r\nBar = "
                           u"00FF00\r\n"));
    ASSERT_TRUE(bars.Load(u"\\h.ini"));
    // The width read after X still anchors the right edge.
    const platform::Rect f = bars.Frame();
    EXPECT_EQ(f.left, 240 - 10 - 40);
    EXPECT_EQ(f.top, 320 - 20 - 30);
    EXPECT_EQ(f.right, 230);
    bars.OnGGA(Gga("3"));
    EXPECT_EQ(bars.BarsLit(), 2u); // (6 - 3) * 4 / 6
    auto c = platform::Canvas::Create(240, 320);
    bars.Draw(*c, 0, 0);
    EXPECT_EQ(c->GetPixel(f.left, f.top), Rgb(0, 0, 0xFF));
    EXPECT_EQ(c->GetPixel(f.left + 5, f.bottom - 3), Rgb(0, 0xFF, 0));

    // Bad values are refused and reported; a reload starts from the defaults.
    platform::TranscriptClear();
    m_device.Put(u"\\bad.ini", Utf16File(u"[Metrics]\r\nWidth = -4\r\n"));
    EXPECT_TRUE(bars.Load(u"\\bad.ini"));
    EXPECT_EQ(platform::testing::MessageBoxes().size(), 1u);
    EXPECT_EQ(bars.GetSettings().width, 18);
    EXPECT_EQ(bars.GetSettings().border, Rgb(0, 0, 0));
    EXPECT_EQ(bars.CurrentHdop(), Hdop::NoHdop);
    EXPECT_FALSE(bars.OnTap(5, 5));
}

} // namespace
