#include "instruments/SpeedoView.h"

#include "app/TachoModel.h"
#include "display/Screen.h"

#include "platform/canvas.h"
#include "platform/testing/temp_device.h"

#include <gtest/gtest.h>

using namespace velvane;
using platform::testing::TempDevice;

namespace {

// The "Speedo" descriptor, fed through the real model, receiver and speed source.
class SpeedoViewEntryTest : public ::testing::Test {
protected:
    TempDevice m_device;
    Screen m_screen{nullptr, 240, 320};
    TachoModel m_model{nullptr};
};

TEST_F(SpeedoViewEntryTest, ListensToSpeedsWhileActive) {
    m_model.CreateReceiver();
    ComponentEntryOf<SpeedoView> entry(m_screen, &m_model, SpeedoView::Class);
    EXPECT_EQ(entry.GetLabel(), u"Tacho");
    EXPECT_EQ(std::u16string_view(SpeedoView::Class.sectionName), u"Speedo");
    EXPECT_EQ(entry.Kind(), EntryKind::View);
    EXPECT_EQ(entry.GetDrawable(), nullptr);
    EXPECT_EQ(m_model.GetSpeedSource(), nullptr);

    ASSERT_TRUE(entry.Activate());
    SpeedoView* view = entry.Instance();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->Width(), 240);
    EXPECT_EQ(view->Height(), 320);
    ASSERT_NE(m_model.GetSpeedSource(), nullptr);
    EXPECT_EQ(m_model.GetSpeedSource()->ListenerCount(), 1u);
    EXPECT_TRUE(entry.Activate());
    EXPECT_EQ(m_model.GetSpeedSource()->ListenerCount(), 1u); // not twice

    m_screen.SetTop(nullptr);
    m_screen.SetView(view);
    auto frame = platform::Canvas::Create(240, 320);
    m_screen.Draw(*frame, 0, 0);
    // 100.0 km/h from VTG field 7: the needle straight up, one redraw asked.
    m_model.Receiver()->DispatchLine("$GPVTG,054.7,T,034.4,M,054.0,N,100.0,K*48\r\n");
    EXPECT_EQ(view->Speed(), 1000u);
    EXPECT_TRUE(m_screen.RedrawPending());
    m_screen.Draw(*frame, 0, 0);
    EXPECT_EQ(frame->GetPixel(114, 160), platform::Rgb(255, 0, 0));
    EXPECT_EQ(view->DigitalText(), u" 100.0 ");

    // Switching to RMC keeps the view listening.
    m_model.SetSpeedProtocol(1);
    m_model.Receiver()->DispatchLine(
        "$GPRMC,123519,A,4807.038,N,01131.000,E,12.34,084.4,230394,003.1,W*6A\r\n");
    EXPECT_EQ(view->Speed(), 228u);

    // A skin for the shown view, then deactivation: unregistered, the
    // source gone, the screen back on its start view.
    m_device.Put(u"\\Skins\\s.ini",
                 platform::testing::Utf16File(u"[AnalogMetrics]\r\nRadius = 50\r\n"));
    EXPECT_TRUE(entry.LoadIni(u"\\Skins\\s.ini"));
    EXPECT_EQ(view->AnalogSettings().radius, 50);
    entry.Deactivate();
    EXPECT_EQ(entry.GetDrawable(), nullptr);
    EXPECT_EQ(m_model.GetSpeedSource(), nullptr);
    EXPECT_NE(m_screen.View(), static_cast<Drawable*>(view));
    EXPECT_FALSE(entry.LoadIni(u"\\Skins\\s.ini"));

    auto clone = entry.Clone(m_screen, &m_model);
    EXPECT_EQ(clone->GetLabel(), u"Tacho");
    EXPECT_EQ(clone->GetDrawable(), nullptr);
}

TEST_F(SpeedoViewEntryTest, WithoutAReceiverTheViewStillShows) {
    ComponentEntryOf<SpeedoView> entry(m_screen, &m_model, SpeedoView::Class);
    ASSERT_TRUE(entry.Activate());
    EXPECT_EQ(m_model.GetSpeedSource(), nullptr);
    entry.Deactivate();
    ComponentEntryOf<SpeedoView> modelless(m_screen, nullptr, SpeedoView::Class);
    EXPECT_TRUE(modelless.Activate());
}

} // namespace
