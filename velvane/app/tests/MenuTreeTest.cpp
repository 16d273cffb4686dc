#include "app/MenuTree.h"
#include "app/TachoModel.h"
#include "app/ViewCommands.h"
#include "display/Screen.h"

#include "platform/headless.h"
#include "platform/messagebox.h"
#include "platform/testing/temp_device.h"
#include "platform/testing/transcript_lines.h"
#include "platform/text.h"
#include "platform/transcript.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace velvane;
using platform::testing::MessageBoxes;
using platform::testing::TempDevice;
using platform::testing::Utf16File;

namespace {

constexpr char16_t ConfigPath[] = u"\\Konfig\\Tag.ini";

// "a|b*|c": the labels in order, "*" marking a check mark.
std::string Labels(Menu& menu) {
    std::string out;
    for (size_t i = 0; i < menu.Count(); ++i) {
        if (i)
            out += "|";
        out += platform::ToUtf8(menu.Item(i)->label) + (menu.Item(i)->IsChecked() ? "*" : "");
    }
    return out;
}

MenuItem* Find(Menu& menu, std::u16string_view label) {
    for (size_t i = 0; i < menu.Count(); ++i)
        if (menu.Item(i)->label == label)
            return menu.Item(i);
    ADD_FAILURE() << "no item " << platform::ToUtf8(label) << " in " << Labels(menu);
    return nullptr;
}

// The submenu reached by a path of labels from the root.
Menu& Sub(Menu& root, std::initializer_list<std::u16string_view> path) {
    Menu* menu = &root;
    for (auto label : path) {
        MenuItem* item = Find(*menu, label);
        if (!item || !item->submenu)
            throw std::runtime_error("no submenu " + platform::ToUtf8(label));
        menu = item->submenu.get();
    }
    return *menu;
}

void Choose(Menu& menu, std::u16string_view label) {
    MenuItem* item = Find(menu, label);
    ASSERT_NE(item, nullptr);
    ASSERT_NE(item->command, nullptr);
    item->command->Execute();
}

class MenuTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_device.Put(u"\\Program Files\\Velvane\\Velvane.exe", "");
        for (auto skin :
             {u"\\Skins\\day.ini", u"\\Skins\\night.ini", u"\\Skins\\dusk.ini", u"\\Skins\\a.ini"})
            m_device.Put(skin, Utf16File(u""));
        // Logs load their settings files: these write nothing.
        for (auto log : {u"\\Logs\\nmea.ini", u"\\Logs\\fix.ini"})
            m_device.Put(log, Utf16File(u""));
        m_device.Put(ConfigPath, Utf16File(u"[Speedo]\r\n"
                                           u"Initial = y\r\n"
                                           u"Ini = ..\\Skins\\day.ini\r\n"
                                           u"InitialIni = ..\\Skins\\night.ini\r\n"
                                           u"Ini = ..\\Skins\\weg.ini\r\n"
                                           u"[Empty]\r\n"
                                           u"[FullLog]\r\n"
                                           u"InitialIni = ..\\Logs\\nmea.ini\r\n"
                                           u"Ini = ..\\Logs\\fix.ini\r\n"
                                           u"[TopSpeed]\r\n"
                                           u"Ini = ..\\Skins\\a.ini\r\n"
                                           u"[Clock]\r\n"));
        m_model.Load(ConfigPath);
        platform::TranscriptClear();
    }
    void TearDown() override {
        platform::headless::ClearMessageBoxAnswers();
        while (platform::headless::TakeFileDialogAnswer(u"*"))
            ;
    }

    SingleViewManager& Speedo() { return *m_model.Views()[0].holder; }
    SingleViewManager& Empty() { return *m_model.Views()[1].holder; }

    TempDevice m_device;
    Screen m_screen{nullptr, 320, 240};
    TachoModel m_model{nullptr, &m_screen};
    MenuTree m_tree{m_screen, m_model, nullptr};
};

TEST(FileItemLabel, NameWithoutFolderAndExtension) {
    EXPECT_EQ(FileItemLabel(u"\\Storage Card\\Skins\\Nacht.ini"), u"Nacht");
    EXPECT_EQ(FileItemLabel(u"\\Skins.d\\ohne"), u"ohne")
        << "a dot in a folder name is no extension";
    EXPECT_EQ(FileItemLabel(u"\\a\\tag.alt.ini"), u"tag.alt");
    EXPECT_EQ(FileItemLabel(u"/a/b.ini"), u"b");
    EXPECT_EQ(FileItemLabel(u"frei.ini"), u"frei");
    EXPECT_EQ(FileItemLabel(u"\\a\\.ini"), u"");
}

TEST_F(MenuTreeTest, TheTreeAndTheStoredStateComeUp) {
    Menu& root = m_tree.Build();
    EXPECT_EQ(m_screen.Top(), &root);
    EXPECT_EQ(Labels(root), "Tacho|Anzeige|Log|Overlays|Velvane");
    EXPECT_EQ(m_tree.CurrentViewItem(), root.Item(0));

    // The initial view is on screen with its current skin.
    ASSERT_NE(Speedo().Entry().GetDrawable(), nullptr);
    EXPECT_EQ(m_screen.View(), Speedo().Entry().GetDrawable());
    EXPECT_EQ(Labels(Sub(root, {u"Tacho"})), "Skins");
    EXPECT_EQ(Labels(Sub(root, {u"Tacho", u"Skins"})), "Standard|day|night*|weg|Skin Laden...");
    EXPECT_EQ(Labels(Sub(root, {u"Anzeige"})), "Tacho*|Leer");

    EXPECT_EQ(Labels(Sub(root, {u"Log"})), "NMEA-Daten");
    EXPECT_EQ(Labels(Sub(root, {u"Log", u"NMEA-Daten"})), "Einstellungen");
    EXPECT_EQ(Labels(Sub(root, {u"Log", u"NMEA-Daten", u"Einstellungen"})),
              "Einstellungen Laden...|nmea*|fix");
    EXPECT_EQ(m_model.Logs()[0].holder->GetState(0), MultiComponentHolder::State::On);

    EXPECT_EQ(Labels(Sub(root, {u"Overlays"})), "Vmax|Uhr");
    EXPECT_EQ(Labels(Sub(root, {u"Overlays", u"Vmax", u"Skins"})), "Skin Laden...|a");
    EXPECT_EQ(Labels(Sub(root, {u"Overlays", u"Uhr", u"Skins"})), "Skin Laden...");

    EXPECT_EQ(Labels(Sub(root, {u"Velvane"})), "Konfig.|Menü|GPS|Beenden|Über");
    EXPECT_EQ(Labels(Sub(root, {u"Velvane", u"Konfig."})),
              "Laden...|Speichern...|Autom. Speichern*");
    EXPECT_EQ(Labels(Sub(root, {u"Velvane", u"Menü"})), "Standard|Skin laden...");
    EXPECT_EQ(Labels(Sub(root, {u"Velvane", u"GPS"})), "Einstellungen...");
    EXPECT_TRUE(MessageBoxes().empty());
}

TEST_F(MenuTreeTest, WithoutAnInitialViewTheStartViewStays) {
    m_model.Load(u"");
    Menu& root = m_tree.Build();
    EXPECT_EQ(Labels(root), "Anzeige|Log|Overlays|Velvane");
    EXPECT_EQ(m_screen.View(), m_screen.StartViewIfAlive());
    EXPECT_NE(m_screen.View(), nullptr);
    EXPECT_EQ(Labels(Sub(root, {u"Anzeige"})), "Tacho");
}

TEST_F(MenuTreeTest, SelectingAViewMovesTheMarksAndTheSkinsItem) {
    Menu& root = m_tree.Build();
    Choose(Sub(root, {u"Anzeige"}), u"Leer");
    EXPECT_EQ(Labels(root), "Leer|Anzeige|Log|Overlays|Velvane");
    EXPECT_EQ(Labels(Sub(root, {u"Anzeige"})), "Tacho|Leer*");
    EXPECT_EQ(Labels(Sub(root, {u"Leer", u"Skins"})), "Standard*|Skin Laden...");
    EXPECT_EQ(Speedo().Entry().GetDrawable(), nullptr) << "the old view is gone";
    EXPECT_FALSE(Speedo().IsShown());
    EXPECT_EQ(m_screen.View(), Empty().Entry().GetDrawable());
    EXPECT_EQ(m_model.InitialView(), &Empty());

    // Once more: already current, nothing happens.
    MenuItem* item = m_tree.CurrentViewItem();
    Drawable* view = m_screen.View();
    Choose(Sub(root, {u"Anzeige"}), u"Leer");
    EXPECT_EQ(m_tree.CurrentViewItem(), item);
    EXPECT_EQ(m_screen.View(), view);

    // Back to the speedometer: its skin comes with it.
    Choose(Sub(root, {u"Anzeige"}), u"Tacho");
    EXPECT_EQ(Labels(Sub(root, {u"Tacho", u"Skins"})), "Standard|day|night*|weg|Skin Laden...");
    EXPECT_EQ(Labels(root), "Tacho|Anzeige|Log|Overlays|Velvane");

    // What a save marks as initial is the view shown.
    Choose(Sub(root, {u"Anzeige"}), u"Leer");
    ASSERT_TRUE(m_model.SaveConfiguration());
    const std::string saved = m_device.Get(ConfigPath);
    EXPECT_NE(saved.find(Utf16File(u"[Empty]\r\nInitial = y\r\n", false)), std::string::npos);
    EXPECT_EQ(saved.find(Utf16File(u"[Speedo]\r\nInitial", false)), std::string::npos);
}

// Records when it is taken down, and what the screen showed at that moment.
class Blank : public Drawable {
public:
    Blank() : Drawable(320, 240) {}
    void Draw(platform::Canvas&, int, int) override {}
};
class ProbeEntry : public ComponentEntry {
public:
    ProbeEntry(Screen& screen, std::vector<std::string>& journal, std::string name)
        : ComponentEntry(screen, nullptr), m_journal(journal), m_name(std::move(name)) {}
    std::u16string_view GetLabel() const override { return u"Probe"; }
    bool Activate(std::u16string_view) override {
        m_journal.push_back(m_name + " created");
        m_drawable = std::make_unique<Blank>();
        return true;
    }
    void Deactivate() override {
        if (!m_drawable)
            return;
        const bool replaced =
            m_screen.View() != m_drawable.get() && m_screen.View() != m_screen.StartViewIfAlive();
        m_journal.push_back(
            m_name + (replaced ? " destroyed after the new view was shown" : " destroyed first"));
        m_screen.Forget(m_drawable.get());
        m_drawable.reset();
    }
    Drawable* GetDrawable() const override { return m_drawable.get(); }
    bool LoadIni(std::u16string_view path) override {
        m_journal.push_back(m_name + " load " + platform::ToUtf8(path));
        return m_drawable != nullptr;
    }
    std::unique_ptr<ComponentEntry> Clone(Screen& screen, ValueSources*) const override {
        return std::make_unique<ProbeEntry>(screen, m_journal, m_name + "'");
    }

private:
    std::vector<std::string>& m_journal;
    std::string m_name;
    std::unique_ptr<Blank> m_drawable;
};

TEST_F(MenuTreeTest, TheNewViewIsShownBeforeTheOldOneIsDestroyed) {
    m_tree.Build();
    std::vector<std::string> journal;
    SingleViewManager first(std::make_unique<ProbeEntry>(m_screen, journal, "first"));
    SingleViewManager second(std::make_unique<ProbeEntry>(m_screen, journal, "second"));
    second.AddInitialIni(u"\\Skins\\dusk.ini");
    SelectViewCommand selectFirst(m_tree, first);
    SelectViewCommand selectSecond(m_tree, second);
    selectFirst.Execute();
    selectSecond.Execute();
    EXPECT_EQ(m_screen.View(), second.Entry().GetDrawable());
    EXPECT_EQ(journal, (std::vector<std::string>{"first created", "second created",
                                                 "second load \\Skins\\dusk.ini",
                                                 "first destroyed after the new view was shown"}));
    EXPECT_EQ(m_tree.CurrentViewCommand(), &selectSecond);
    EXPECT_EQ(Labels(Sub(*m_tree.Root(), {u"Probe", u"Skins"})), "Standard|dusk*|Skin Laden...");
}

TEST_F(MenuTreeTest, ChoosingSkins) {
    Menu& root = m_tree.Build();
    Menu& skins = Sub(root, {u"Tacho", u"Skins"});
    Choose(skins, u"day");
    EXPECT_EQ(Labels(skins), "Standard|day*|night|weg|Skin Laden...");
    EXPECT_EQ(Speedo().CurrentIndex(), 0);
    Choose(skins, u"Standard");
    EXPECT_EQ(Labels(skins), "Standard*|day|night|weg|Skin Laden...")
        << "only the chosen item is marked";
    EXPECT_EQ(Speedo().CurrentIndex(), -1);

    // A skin that cannot be loaded leaves the menu and the list.
    Choose(skins, u"weg");
    EXPECT_EQ(Labels(skins), "Standard|day|night|Skin Laden...");
    EXPECT_EQ(Speedo().Count(), 2);
    EXPECT_FALSE(Speedo().Contains(u"\\Skins\\weg.ini"));
    EXPECT_EQ(Speedo().CurrentIndex(), -1);
    ASSERT_EQ(MessageBoxes().size(), 1u);
    EXPECT_NE(MessageBoxes()[0].find("Datei nicht gefunden:"), std::string::npos);
}

TEST_F(MenuTreeTest, AddingAViewSkin) {
    Menu& root = m_tree.Build();
    Menu& skins = Sub(root, {u"Tacho", u"Skins"});
    platform::headless::QueueFileDialogAnswer(u"Ini öffnen", std::nullopt);
    Choose(skins, u"Skin Laden...");
    EXPECT_EQ(Speedo().Count(), 3) << "cancel adds nothing";

    platform::headless::QueueFileDialogAnswer(u"Ini öffnen", u"\\Skins\\dusk.ini");
    Choose(skins, u"Skin Laden...");
    EXPECT_EQ(Labels(skins), "Standard|day|night|weg|Skin Laden...|dusk*")
        << "a new view skin comes last";
    EXPECT_EQ(*Speedo().GetPath(Speedo().CurrentIndex()), u"\\Skins\\dusk.ini");

    platform::headless::QueueFileDialogAnswer(u"Ini öffnen", u"\\Skins\\day.ini");
    Choose(skins, u"Skin Laden...");
    EXPECT_EQ(Labels(skins), "Standard|day|night|weg|Skin Laden...|dusk*");
    EXPECT_EQ(Speedo().Count(), 4);
    auto boxes = MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(
        boxes[0],
        "messagebox caption=\"Vorhanden\" text=\"Die Ini wurde schon geladen und kann im Menü "
        "ausgewählt werden.\" buttons=Ok icon=Information answer=Ok");
}

TEST_F(MenuTreeTest, AddingAndTogglingOverlayFiles) {
    Menu& root = m_tree.Build();
    Menu& files = Sub(root, {u"Overlays", u"Vmax", u"Skins"});
    MultiComponentHolder& topSpeed = *m_model.Overlays()[0].holder;

    platform::headless::QueueFileDialogAnswer(u"Ini öffnen", u"\\Skins\\dusk.ini");
    Choose(files, u"Skin Laden...");
    EXPECT_EQ(Labels(files), "dusk*|Skin Laden...|a")
        << "a new file comes first and is switched on";
    EXPECT_EQ(topSpeed.GetState(1), MultiComponentHolder::State::On);

    platform::headless::QueueFileDialogAnswer(u"Ini öffnen", u"\\Skins\\dusk.ini");
    Choose(files, u"Skin Laden...");
    EXPECT_EQ(topSpeed.Count(), 2) << "the same file twice is refused";
    ASSERT_EQ(MessageBoxes().size(), 1u);
    EXPECT_NE(MessageBoxes()[0].find("caption=\"Vorhanden\""), std::string::npos);

    Choose(files, u"a");
    Choose(files, u"dusk");
    EXPECT_EQ(Labels(files), "dusk|Skin Laden...|a*");
    EXPECT_EQ(topSpeed.GetState(0), MultiComponentHolder::State::On);
    EXPECT_EQ(topSpeed.GetState(1), MultiComponentHolder::State::Off);

    Menu& logs = Sub(root, {u"Log", u"NMEA-Daten", u"Einstellungen"});
    Choose(logs, u"nmea");
    EXPECT_EQ(Labels(logs), "Einstellungen Laden...|nmea|fix");
}

TEST_F(MenuTreeTest, InstancesGoOnTheirScreenList) {
    m_tree.Build();
    Menu menu(&m_screen, 320, 240, u"");
    std::vector<std::string> journal;
    MultiComponentHolder overlays(std::make_unique<ProbeEntry>(m_screen, journal, "o"));
    MultiComponentHolder logs(std::make_unique<ProbeEntry>(m_screen, journal, "l"));
    overlays.AddIni(u"\\a.ini");
    overlays.AddIni(u"\\b.ini");
    logs.AddIni(u"\\c.ini");
    ToggleInstanceCommand a(m_screen, overlays, overlays.GetPath(0), EntryKind::Overlay, menu);
    ToggleInstanceCommand b(m_screen, overlays, overlays.GetPath(1), EntryKind::Overlay, menu);
    ToggleInstanceCommand c(m_screen, logs, logs.GetPath(0), EntryKind::Log, menu);
    MenuItem* item = menu.AddCommand(u"a", nullptr);
    a.SetItem(item);
    const size_t before = m_screen.Overlays().size(); // the splash may be there
    const size_t logsBefore = m_screen.Logs().size(); // the configuration's log is on
    a.Execute();
    b.Execute();
    c.Execute();
    ASSERT_EQ(m_screen.Overlays().size(), before + 2);
    EXPECT_EQ(m_screen.Overlays()[before], overlays.GetDrawable(0));
    EXPECT_EQ(m_screen.Overlays()[before + 1], overlays.GetDrawable(1));
    ASSERT_EQ(m_screen.Logs().size(), logsBefore + 1);
    EXPECT_EQ(m_screen.Logs()[logsBefore], logs.GetDrawable(0));
    EXPECT_TRUE(item->IsChecked());

    a.Execute();
    EXPECT_FALSE(item->IsChecked());
    EXPECT_EQ(overlays.GetDrawable(0), nullptr);
    ASSERT_EQ(m_screen.Overlays().size(), before + 1);
    EXPECT_EQ(m_screen.Overlays()[before], overlays.GetDrawable(1));
}

TEST_F(MenuTreeTest, VelvaneCommands) {
    Menu& root = m_tree.Build();
    Menu& configuration = Sub(root, {u"Velvane", u"Konfig."});
    Choose(configuration, u"Autom. Speichern");
    EXPECT_FALSE(m_model.Settings().SaveOnExit());
    EXPECT_EQ(Labels(configuration), "Laden...|Speichern...|Autom. Speichern");
    Choose(configuration, u"Autom. Speichern");
    EXPECT_TRUE(m_model.Settings().SaveOnExit());

    m_device.Put(u"\\Skins\\menu.ini", Utf16File(u"[Metrics]\r\nItemHeight = 40\r\n"));
    platform::headless::QueueFileDialogAnswer(u"Menu-Ini öffnen", u"\\Skins\\menu.ini");
    Choose(Sub(root, {u"Velvane", u"Menü"}), u"Skin laden...");
    EXPECT_EQ(m_model.Settings().MenuIni(), u"\\Skins\\menu.ini");
    Choose(Sub(root, {u"Velvane", u"Menü"}), u"Standard");
    EXPECT_TRUE(m_model.Settings().MenuIni().empty());

    platform::headless::QueueFileDialogAnswer(u"Einstellungen speichern:", u"\\Konfig\\Kopie.ini");
    Choose(configuration, u"Speichern...");
    EXPECT_EQ(m_model.Settings().Configuration(), u"\\Konfig\\Kopie.ini");
    EXPECT_EQ(m_device.Get(u"\\Konfig\\Kopie.ini").substr(0, 18), Utf16File(u"[Speedo]", true));
}

TEST_F(MenuTreeTest, LoadingAConfigurationRebuildsTheTree) {
    Menu& root = m_tree.Build();
    m_device.Put(u"\\Konfig\\Nacht.ini",
                 Utf16File(u"[Empty]\r\nInitial = y\r\n[Compass]\r\nInitialIni = k.ini\r\n"));
    platform::headless::QueueFileDialogAnswer(u"Konfiguration öffnen", u"\\Konfig\\Nacht.ini");
    // As the menu does it: the command of an item of the tree being replaced.
    Choose(Sub(root, {u"Velvane", u"Konfig."}), u"Laden...");
    Menu* fresh = m_tree.Root();
    ASSERT_NE(fresh, &root);
    EXPECT_EQ(m_screen.Top(), fresh);
    EXPECT_EQ(Labels(*fresh), "Leer|Anzeige|Log|Overlays|Velvane");
    EXPECT_EQ(Labels(Sub(*fresh, {u"Overlays", u"Kompass", u"Skins"})), "Skin Laden...|k*");
    EXPECT_EQ(m_model.Settings().Configuration(), u"\\Konfig\\Nacht.ini");
    EXPECT_EQ(m_screen.View(), m_model.Views()[0].holder->Entry().GetDrawable());
    EXPECT_TRUE(m_screen.Logs().empty());
}

} // namespace
