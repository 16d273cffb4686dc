#include "display/ComponentEntry.h"
#include "display/Screen.h"
#include "display/TextOverlay.h"

#include "platform/testing/temp_device.h"
#include "platform/transcript.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

// The model only has to be something to register with here; this binary
// never links the real one.
namespace velvane {
class TachoModel {
public:
    std::vector<std::string> journal;
};
} // namespace velvane

using namespace velvane;
using platform::testing::TempDevice;
using platform::testing::Utf16File;

namespace {

class Hello : public TextOverlay {
public:
    using TextOverlay::TextOverlay;
    int FormatText(char16_t* buffer, int capacity) override {
        buffer[0] = u'H';
        return capacity > 0 ? 1 : 0;
    }
};

void Attach(TachoModel& model, Hello& overlay) {
    model.journal.push_back("attach x=" + std::to_string(overlay.X()));
}
// Reads the overlay, so a detach after deletion would be caught by the sanitizers.
void Detach(TachoModel& model, Hello& overlay) {
    model.journal.push_back("detach x=" + std::to_string(overlay.X()));
}

const ComponentEntryOf<Hello>::Class HelloOverlay{u"Hallo", EntryKind::Overlay, &Attach, &Detach};
const ComponentEntryOf<Hello>::Class HelloView{u"Hallo-Ansicht", EntryKind::View, &Attach, &Detach};

class ComponentEntryTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_device.Put(u"\\Skins\\hello.ini", Utf16File(u"[Settings]\r\nX = 42\r\n"));
        platform::TranscriptClear();
    }
    TempDevice m_device;
    Screen m_screen{nullptr, 320, 240};
    TachoModel m_model;
};

TEST_F(ComponentEntryTest, OverlayIsLoadedSizedAndRegisteredOnce) {
    ComponentEntryOf<Hello> entry(m_screen, &m_model, HelloOverlay);
    EXPECT_EQ(entry.GetLabel(), u"Hallo");
    ASSERT_TRUE(entry.Activate(u"\\Skins\\hello.ini"));
    ASSERT_NE(entry.Instance(), nullptr);
    EXPECT_EQ(entry.Instance()->X(), 42);
    EXPECT_EQ(entry.GetDrawable()->Width(), 320);
    EXPECT_EQ(entry.GetDrawable()->Height(), 240);
    EXPECT_TRUE(entry.Activate(u"\\Skins\\hello.ini"));
    EXPECT_EQ(m_model.journal, (std::vector<std::string>{"attach x=42"}));

    m_screen.AddOverlay(entry.GetDrawable());
    entry.Deactivate();
    EXPECT_EQ(entry.GetDrawable(), nullptr);
    EXPECT_TRUE(m_screen.Overlays().empty());
    EXPECT_EQ(m_model.journal, (std::vector<std::string>{"attach x=42", "detach x=42"}));
    EXPECT_FALSE(entry.LoadIni(u"\\Skins\\hello.ini"));
}

TEST_F(ComponentEntryTest, AnOverlayWhoseFileFailsIsNotKept) {
    ComponentEntryOf<Hello> entry(m_screen, &m_model, HelloOverlay);
    EXPECT_FALSE(entry.Activate(u"\\Skins\\missing.ini"));
    EXPECT_EQ(entry.GetDrawable(), nullptr);
    EXPECT_TRUE(m_model.journal.empty());
    ASSERT_FALSE(platform::TranscriptLines().empty());
    EXPECT_NE(platform::TranscriptLines()[0].find("Datei nicht gefunden:"), std::string::npos);
}

TEST_F(ComponentEntryTest, ViewsStartWithTheirDefaults) {
    ComponentEntryOf<Hello> entry(m_screen, &m_model, HelloView);
    ASSERT_TRUE(entry.Activate(u"\\Skins\\hello.ini"));
    EXPECT_EQ(entry.Instance()->X(), TextOverlay::DefaultX);
    EXPECT_TRUE(entry.LoadIni(u"\\Skins\\hello.ini"));
    EXPECT_EQ(entry.Instance()->X(), 42);
}

TEST_F(ComponentEntryTest, DestroyingOrReleasingAnActiveEntryUnregistersFirst) {
    {
        ComponentEntryOf<Hello> entry(m_screen, &m_model, HelloOverlay);
        entry.Activate(u"\\Skins\\hello.ini");
    }
    EXPECT_EQ(m_model.journal, (std::vector<std::string>{"attach x=42", "detach x=42"}));

    m_model.journal.clear();
    auto* raw = new ComponentEntryOf<Hello>(m_screen, &m_model, HelloOverlay);
    raw->Activate(u"\\Skins\\hello.ini");
    raw->Release();
    EXPECT_EQ(m_model.journal, (std::vector<std::string>{"attach x=42", "detach x=42"}));
}

TEST_F(ComponentEntryTest, CloneIsAnInactiveEntryOfTheSameClass) {
    ComponentEntryOf<Hello> entry(m_screen, &m_model, HelloOverlay);
    entry.Activate(u"\\Skins\\hello.ini");
    TachoModel other;
    auto clone = entry.Clone(m_screen, &other);
    EXPECT_EQ(clone->GetLabel(), u"Hallo");
    EXPECT_EQ(clone->GetDrawable(), nullptr);
    EXPECT_EQ(clone->Model(), &other);
    ASSERT_TRUE(clone->Activate(u"\\Skins\\hello.ini"));
    EXPECT_NE(clone->GetDrawable(), entry.GetDrawable());
    EXPECT_EQ(other.journal, (std::vector<std::string>{"attach x=42"}));
}

TEST_F(ComponentEntryTest, WithoutAModelNothingIsRegistered) {
    ComponentEntryOf<Hello> entry(m_screen, nullptr, HelloOverlay);
    EXPECT_TRUE(entry.Activate(u"\\Skins\\hello.ini"));
    entry.Deactivate();
    EXPECT_TRUE(m_model.journal.empty());
}

} // namespace
