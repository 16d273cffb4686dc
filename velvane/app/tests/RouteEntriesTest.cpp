#include "instruments/GeoCacheOverlay.h"
#include "instruments/RouteMapView.h"

#include "app/ComponentFactory.h"
#include "app/TachoModel.h"
#include "display/Screen.h"

#include "platform/testing/temp_device.h"

#include <gtest/gtest.h>

using namespace velvane;
using platform::testing::TempDevice;

namespace {

// The "Route" and "GeoCache" descriptors, fed through the real model,
// receiver and position source.
class RouteEntriesTest : public ::testing::Test {
protected:
    TempDevice m_device;
    Screen m_screen{nullptr, 240, 320};
    TachoModel m_model{nullptr};
};

constexpr const char* SouthWest =
    "$GPGGA,123519,3327.0000,S,07039.0000,W,1,08,0.9,545.4,M,46.9,M,,*42\r\n";

TEST_F(RouteEntriesTest, TheMapListensToPositionsWhileShown) {
    m_model.CreateReceiver();
    auto entry = FindComponentClass(u"Route")->CreateEntry(m_screen, &m_model);
    auto* route = dynamic_cast<ComponentEntryOf<RouteMapView>*>(entry.get());
    ASSERT_NE(route, nullptr);
    EXPECT_EQ(entry->GetLabel(), u"Route");
    ASSERT_TRUE(entry->Activate());
    ASSERT_NE(m_model.GetPositionSource(), nullptr);
    EXPECT_EQ(m_model.GetPositionSource()->ListenerCount(), 1u);

    m_model.Receiver()->DispatchLine(SouthWest);
    ASSERT_EQ(route->Instance()->StoredCount(), 1);
    EXPECT_EQ(route->Instance()->PointAt(0).Latitude(), -(33 * 600000 + 270000));
    EXPECT_EQ(route->Instance()->PointAt(0).Longitude(), -(70 * 600000 + 390000));

    entry->Deactivate();
    EXPECT_EQ(m_model.GetPositionSource(), nullptr);
}

TEST_F(RouteEntriesTest, TheArrowListensOnlyWhenItsFileLoaded) {
    m_model.CreateReceiver();
    auto entry = FindComponentClass(u"GeoCache")->CreateEntry(m_screen, &m_model);
    ASSERT_NE(dynamic_cast<ComponentEntryOf<GeoCacheOverlay>*>(entry.get()), nullptr);
    EXPECT_EQ(entry->GetLabel(), u"GeoCache");
    EXPECT_FALSE(entry->Activate(u"\\missing.ini"));
    EXPECT_EQ(m_model.GetPositionSource(), nullptr);

    m_device.Put(
        u"\\geo.ini",
        platform::testing::Utf16File(
            u"[Coordinates]\r\nLatitude = S 33° 27.0000\r\nLongitude = W 070° 38.0000\r\n"));
    ASSERT_TRUE(entry->Activate(u"\\geo.ini"));
    ASSERT_NE(m_model.GetPositionSource(), nullptr);
    m_model.Receiver()->DispatchLine(SouthWest);
    auto* overlay = static_cast<ComponentEntryOf<GeoCacheOverlay>*>(entry.get())->Instance();
    // One minute of longitude at 33.45° S: 1855.3 m times its cosine.
    EXPECT_EQ(overlay->DistanceText(), u"1.54km") << "1548 m";
    entry->Deactivate();
    EXPECT_EQ(m_model.GetPositionSource(), nullptr);
}

} // namespace
