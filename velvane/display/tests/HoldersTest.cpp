#include "display/IniFileList.h"
#include "display/MultiComponentHolder.h"
#include "display/Screen.h"
#include "display/SingleViewManager.h"

#include "platform/testing/temp_device.h"
#include "platform/text.h"
#include "platform/transcript.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace velvane;

namespace {

using Journal = std::vector<std::string>;

class Blank : public Drawable {
public:
    Blank() : Drawable(1, 1) {}
    void Draw(platform::Canvas&, int, int) override {}
};

// Records what the holders ask of it; a path containing "bad" fails to load.
class FakeEntry : public ComponentEntry {
public:
    FakeEntry(Screen& screen, Journal& journal, std::string name)
        : ComponentEntry(screen, nullptr), m_journal(journal), m_name(std::move(name)) {}
    ~FakeEntry() override {
        Deactivate();
        m_journal.push_back(m_name + " released");
    }
    std::u16string_view GetLabel() const override { return u"Fake"; }
    bool Activate(std::u16string_view path) override {
        if (m_drawable)
            return true;
        m_journal.push_back(m_name + " activate " + platform::ToUtf8(path));
        if (Bad(path))
            return false;
        m_drawable = std::make_unique<Blank>();
        return true;
    }
    void Deactivate() override {
        if (!m_drawable)
            return;
        m_journal.push_back(m_name + " deactivate");
        m_drawable.reset();
    }
    Drawable* GetDrawable() const override { return m_drawable.get(); }
    bool LoadIni(std::u16string_view path) override {
        m_journal.push_back(m_name + " load " + platform::ToUtf8(path));
        return m_drawable && !Bad(path);
    }
    std::unique_ptr<ComponentEntry> Clone(Screen& screen, ValueSources*) const override {
        return std::make_unique<FakeEntry>(screen, m_journal,
                                           m_name + "#" + std::to_string(++m_clones));
    }

private:
    static bool Bad(std::u16string_view path) {
        return path.find(u"bad") != std::u16string_view::npos;
    }
    Journal& m_journal;
    std::string m_name;
    mutable int m_clones = 0;
    std::unique_ptr<Blank> m_drawable;
};

class HoldersTest : public ::testing::Test {
protected:
    void SetUp() override { platform::TranscriptClear(); }
    platform::testing::TempDevice m_device;
    Screen m_screen{nullptr, 320, 240};
    Journal m_journal;

    std::unique_ptr<FakeEntry> Entry(std::string name) {
        return std::make_unique<FakeEntry>(m_screen, m_journal, std::move(name));
    }
};

TEST_F(HoldersTest, FileListKeepsCopiesAtStableAddresses) {
    SingleViewManager list(Entry("v"));
    EXPECT_EQ(list.AddIni(u""), -1) << "an empty path is no file";
    EXPECT_EQ(list.Count(), 0);

    std::u16string source = u"\\Skins\\a.ini";
    ASSERT_EQ(list.AddIni(source), 0);
    const std::u16string* first = list.GetPath(0);
    source = u"changed";
    EXPECT_EQ(*first, u"\\Skins\\a.ini") << "the list keeps its own copy";
    for (int i = 1; i <= 40; ++i)
        EXPECT_EQ(list.AddIni(u"\\Skins\\" + std::u16string(1, char16_t(u'a' + i % 26)) + u".ini"),
                  i);
    // Commands hold the address; growing the list must not move it.
    EXPECT_EQ(list.IndexOf(first), 0);
    EXPECT_EQ(list.GetPath(0), first);

    std::u16string equalText = u"\\Skins\\a.ini";
    EXPECT_EQ(list.IndexOf(&equalText), -1) << "found by identity, not by text";
    EXPECT_EQ(list.IndexOf(nullptr), -1);
    EXPECT_TRUE(list.Contains(u"\\Skins\\a.ini"));
    EXPECT_FALSE(list.Contains(u"\\Skins\\a.in"));
    EXPECT_FALSE(list.Contains(u"\\skins\\a.ini"));

    EXPECT_EQ(list.GetPath(-1), nullptr);
    EXPECT_EQ(list.GetPath(41), nullptr);
    list.RemoveIni(41);
    list.RemoveIni(-1);
    EXPECT_EQ(list.Count(), 41);
    const std::u16string* second = list.GetPath(1);
    list.RemoveIni(0);
    EXPECT_EQ(list.IndexOf(second), 0);
}

TEST_F(HoldersTest, ViewIsCreatedWithDefaultsAndReloadedWhileShown) {
    SingleViewManager view(Entry("v"));
    EXPECT_EQ(view.CurrentIndex(), -1);
    EXPECT_FALSE(view.IsShown());
    view.AddIni(u"\\day.ini");
    view.AddInitialIni(u"\\night.ini");
    view.AddIni(u"\\dusk.ini");
    EXPECT_EQ(view.CurrentIndex(), 1) << "the file added as initial is current";
    EXPECT_FALSE(view.IsActive(0));
    EXPECT_TRUE(view.IsActive(1));

    // The first activation goes to the entry; a second one reloads the
    // current skin into the existing view.
    Drawable* d = view.Activate();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(view.IsShown());
    EXPECT_EQ(view.Activate(), d);
    EXPECT_EQ(m_journal, (Journal{"v activate \\night.ini", "v load \\night.ini"}));

    m_journal.clear();
    EXPECT_TRUE(view.ChangeIni(-1));
    EXPECT_TRUE(view.ChangeIni(2));
    EXPECT_TRUE(view.ChangeIni(-1));
    EXPECT_EQ(m_journal, (Journal{"v load ", "v load \\dusk.ini", "v load "}))
        << "no file means the built-in defaults";

    view.AddIni(u"\\bad.ini");
    EXPECT_FALSE(view.ChangeIni(3)) << "a failed load is passed on";
    EXPECT_TRUE(platform::TranscriptLines().empty());

    view.Deactivate();
    EXPECT_FALSE(view.IsShown());
    EXPECT_EQ(view.Entry().GetDrawable(), nullptr);
}

TEST_F(HoldersTest, ChangingTheSkinOfAViewNotShownOnlyRemembersIt) {
    SingleViewManager view(Entry("v"));
    view.AddIni(u"\\day.ini");
    EXPECT_TRUE(view.ChangeIni(0));
    EXPECT_EQ(view.CurrentIndex(), 0);
    EXPECT_TRUE(m_journal.empty()) << "nothing is loaded";
    auto lines = platform::TranscriptLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("caption=\"Fehler\" text=\"SingleViewManager::ChangeIni\""),
              std::string::npos);
    EXPECT_NE(lines[0].find("icon=Exclamation"), std::string::npos);
}

TEST_F(HoldersTest, RemovingAViewSkinKeepsTheCurrentFile) {
    SingleViewManager view(Entry("v"));
    view.AddIni(u"\\a.ini");
    view.AddIni(u"\\b.ini");
    view.AddInitialIni(u"\\c.ini");
    view.RemoveIni(0);
    ASSERT_EQ(view.CurrentIndex(), 1);
    EXPECT_EQ(*view.GetPath(view.CurrentIndex()), u"\\c.ini");
    view.RemoveIni(1);
    EXPECT_EQ(view.CurrentIndex(), -1) << "the current file is gone: back to the defaults";
    EXPECT_FALSE(view.IsActive(0));
}

TEST_F(HoldersTest, EveryFileOfAMultiHolderIsItsOwnInstance) {
    auto holder = std::make_unique<MultiComponentHolder>(Entry("o"));
    EXPECT_EQ(holder->AddIni(u""), -1);
    EXPECT_EQ(holder->AddIni(u"\\a.ini"), 0);
    EXPECT_EQ(holder->AddInitialIni(u"\\b.ini"), 1);
    EXPECT_EQ(holder->AddIni(u"\\bad.ini"), 2);
    using S = MultiComponentHolder::State;
    EXPECT_EQ(holder->GetState(0), S::Off);
    EXPECT_EQ(holder->GetState(1), S::Pending);
    EXPECT_FALSE(holder->IsActive(0));
    EXPECT_TRUE(holder->IsActive(1)) << "to be switched on counts as active";
    EXPECT_EQ(holder->GetLabel(), u"Fake");

    Drawable* a = holder->SwitchOn(0);
    Drawable* b = holder->SwitchOn(1);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b) << "two files of one class on at the same time";
    EXPECT_EQ(holder->SwitchOn(0), a) << "switching on what is on changes nothing";
    EXPECT_EQ(holder->GetState(1), S::On);
    EXPECT_EQ(holder->SwitchOn(7), nullptr);

    // A file that fails to load still counts as on (it stays in the
    // configuration as active) but has nothing to draw.
    EXPECT_EQ(holder->SwitchOn(2), nullptr);
    EXPECT_EQ(holder->GetState(2), S::On);

    holder->SwitchOff(0);
    holder->SwitchOff(0);
    EXPECT_EQ(holder->GetState(0), S::Off);
    EXPECT_EQ(holder->GetDrawable(0), nullptr);
    EXPECT_EQ(holder->GetDrawable(1), b);

    holder->RemoveIni(1);
    EXPECT_EQ(holder->Count(), 2);
    EXPECT_EQ(*holder->GetPath(1), u"\\bad.ini");
    EXPECT_EQ(holder->GetState(1), S::On) << "pairs move with their paths";

    m_journal.clear();
    holder.reset();
    EXPECT_EQ(m_journal, (Journal{"o#1 released", "o#3 released", "o released"}))
        << "the prototype goes last";
}

TEST_F(HoldersTest, SwitchOnLoadsEachInstanceFromItsOwnFile) {
    MultiComponentHolder holder(Entry("o"));
    holder.AddIni(u"\\a.ini");
    holder.AddIni(u"\\b.ini");
    holder.SwitchOn(1);
    holder.SwitchOn(0);
    holder.SwitchOff(1);
    EXPECT_EQ(m_journal,
              (Journal{"o#2 activate \\b.ini", "o#1 activate \\a.ini", "o#2 deactivate"}));
}

} // namespace
