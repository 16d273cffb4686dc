#include "display/ComponentClass.h"
#include "display/Screen.h"
#include "display/TextOverlay.h"
#include "gps/SpeedListener.h"
#include "gps/ValueSources.h"

#include "platform/testing/temp_device.h"
#include "platform/transcript.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace velvane;
using platform::testing::TempDevice;
using platform::testing::Utf16File;

namespace {

class Hello : public TextOverlay, public SpeedListener {
public:
    using TextOverlay::TextOverlay;
    int FormatText(char16_t* buffer, int capacity) override {
        buffer[0] = u'H';
        return capacity > 0 ? 1 : 0;
    }
    void OnSpeed(int32_t) override {}
};

// Records the registrations. Reads the overlay, so a detach after deletion
// would be caught by the sanitizers.
class FakeSources : public ValueSources {
public:
    void AddSpeedListener(SpeedListener* l) override { Note("attach", l); }
    void RemoveSpeedListener(SpeedListener* l) override { Note("detach", l); }
    void AddAltitudeListener(AltitudeListener*) override {}
    void RemoveAltitudeListener(AltitudeListener*) override {}
    void AddPositionListener(PositionListener*) override {}
    void RemovePositionListener(PositionListener*) override {}
    void AddSentenceListener(SentenceListener*) override {}
    void RemoveSentenceListener(SentenceListener*) override {}
    std::vector<std::string> journal;

private:
    void Note(const char* what, SpeedListener* l) {
        journal.push_back(std::string(what) + " x=" + std::to_string(static_cast<Hello*>(l)->X()));
    }
};

void Attach(ValueSources& sources, Hello& overlay) {
    sources.AddSpeedListener(&overlay);
}
void Detach(ValueSources& sources, Hello& overlay) {
    sources.RemoveSpeedListener(&overlay);
}

const ComponentClassOf<Hello> HelloOverlay{u"Hello", u"Hallo", EntryKind::Overlay, &Attach,
                                           &Detach};
const ComponentClassOf<Hello> HelloView{u"HelloView", u"Hallo-Ansicht", EntryKind::View, &Attach,
                                        &Detach};

class ComponentEntryTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_device.Put(u"\\Skins\\hello.ini", Utf16File(u"[Settings]\r\nX = 42\r\n"));
        platform::TranscriptClear();
    }
    TempDevice m_device;
    Screen m_screen{nullptr, 320, 240};
    FakeSources m_model;
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
    FakeSources other;
    auto clone = entry.Clone(m_screen, &other);
    EXPECT_EQ(clone->GetLabel(), u"Hallo");
    EXPECT_EQ(clone->GetDrawable(), nullptr);
    EXPECT_EQ(clone->Sources(), &other);
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
