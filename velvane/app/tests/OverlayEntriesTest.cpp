// The overlays that read whole sentences, made by section name through the
// factory and fed by the real model's receiver: registered when switched on,
// gone from the receiver when switched off.
#include "app/ComponentFactory.h"
#include "app/TachoModel.h"
#include "display/Screen.h"
#include "display/TextOverlay.h"
#include "gps/GpsReceiver.h"

#include "platform/canvas.h"
#include "platform/testing/temp_device.h"

#include <gtest/gtest.h>
#include <string>

using namespace velvane;
using platform::testing::TempDevice;
using platform::testing::Utf16File;

namespace {

const std::string Gga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
const std::string Vtg = "$GPVTG,054.7,T,034.4,M,005.5,N,022.8,K*48\r\n";

std::u16string Shown(Drawable* d) {
    auto* overlay = dynamic_cast<TextOverlay*>(d);
    if (!overlay)
        return u"(not a text overlay)";
    char16_t buffer[64];
    return std::u16string(buffer, static_cast<size_t>(overlay->FormatText(buffer, 64)));
}

class OverlayEntriesTest : public ::testing::Test {
protected:
    OverlayEntriesTest() {
        m_model.CreateReceiver();
        m_device.Put(u"\\o.ini", Utf16File(u"[Settings]\r\n[GPS-Info]\r\nSentence = GPGGA\r\n"
                                           u"Index = 9\r\n[Clock]\r\nSetSystemTime = y\r\n"));
    }
    size_t Listeners() { return m_model.Receiver()->SentenceListenerCount(); }

    TempDevice m_device;
    Screen m_screen{nullptr, 480, 272};
    TachoModel m_model{nullptr};
};

TEST_F(OverlayEntriesTest, SentenceReadersComeAndGoWithTheirEntry) {
    const struct {
        const char16_t* section;
        const char16_t* label;
        const char16_t* shown; // after one GGA and one VTG; null: not a text
    } cases[] = {
        {u"Compass", u"Kompass", u"NE"}, {u"SatCount", u"Satelliten", u"8Sats"},
        {u"HDOP", u"Empfang", nullptr},  {u"UniversalGPS", u"UniversalGPS", u"545.4"},
        {u"Clock", u"Uhr", nullptr},     {u"Battery", u"Batterie", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.section, c.section + std::u16string_view(c.section).size()));
        const ComponentClass* cls = FindComponentClass(c.section);
        ASSERT_NE(cls, nullptr);
        EXPECT_EQ(std::u16string_view(cls->label), c.label);
        EXPECT_EQ(cls->kind, EntryKind::Overlay);
        auto entry = cls->CreateEntry(m_screen, &m_model);
        const size_t before = Listeners();
        ASSERT_TRUE(entry->Activate(u"\\o.ini"));
        EXPECT_EQ(Listeners(), before + 1);
        m_model.Receiver()->DispatchLine(Gga);
        m_model.Receiver()->DispatchLine(Vtg);
        if (c.shown) {
            EXPECT_EQ(Shown(entry->GetDrawable()), c.shown);
        }
        entry->Deactivate();
        EXPECT_EQ(Listeners(), before);
    }
}

TEST_F(OverlayEntriesTest, FreeTextAndPlainClockHearNoSentences) {
    for (const char16_t* section : {u"CustomText", u"Clock"}) {
        m_device.Put(u"\\plain.ini", Utf16File(u"[Text]\r\nText = Hallo\r\n"));
        auto entry = FindComponentClass(section)->CreateEntry(m_screen, &m_model);
        ASSERT_TRUE(entry->Activate(u"\\plain.ini"));
        EXPECT_EQ(Listeners(), 0u);
        entry->Deactivate();
    }
    auto text = FindComponentClass(u"CustomText")->CreateEntry(m_screen, &m_model);
    ASSERT_TRUE(text->Activate(u"\\plain.ini"));
    EXPECT_EQ(Shown(text->GetDrawable()), u"Hallo");
    EXPECT_EQ(text->GetLabel(), u"Text");
    // A skin that cannot be read leaves the overlay off.
    auto missing = FindComponentClass(u"Compass")->CreateEntry(m_screen, &m_model);
    EXPECT_FALSE(missing->Activate(u"\\missing.ini"));
    EXPECT_EQ(missing->GetDrawable(), nullptr);
    EXPECT_EQ(Listeners(), 0u);
}

} // namespace
