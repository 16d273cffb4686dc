#include "app/DayNightSwitch.h"
#include "app/MainSettings.h"
#include "app/MenuTree.h"
#include "app/TachoModel.h"
#include "display/Screen.h"
#include "gps/Sun.h"
#include "instruments/GeoPosition.h"

#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/testing/temp_device.h"
#include "platform/text.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <string>

using namespace velvane;
using platform::testing::TempDevice;
using platform::testing::Utf16File;

namespace {

constexpr char16_t ConfigPath[] = u"\\Konfig\\Extras.ini";
// Near Kiel, where the sample drive goes.
constexpr double Latitude = 54.3066, Longitude = 9.6631;

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

int64_t Midnight(int year, int month, int day) {
    platform::SystemTime t;
    t.year = uint16_t(year);
    t.month = uint16_t(month);
    t.day = uint16_t(day);
    return platform::ToUnixMilliseconds(t);
}

enum class Event { Dawn, Dusk };

// The device clock offsetSeconds after civil dawn or dusk of that December
// 2026 day at the place.
void SetClock(int day, Event event, int offsetSeconds) {
    const SunCrossings sun = SunTimes(2026, 12, day, Latitude, Longitude, CivilTwilight);
    ASSERT_EQ(sun.kind, SunCrossings::Kind::RisesAndSets);
    const double minutes = event == Event::Dawn ? sun.rise : sun.set;
    const int64_t ms =
        Midnight(2026, 12, day) + std::llround(minutes * 60000.0) + int64_t(offsetSeconds) * 1000;
    ASSERT_TRUE(platform::SetSystemTime(platform::FromUnixMilliseconds(ms)));
}

class DayNight : public ::testing::Test {
protected:
    void SetUp() override {
        m_device.Put(u"\\Program Files\\Velvane\\Velvane.exe", "");
        for (auto skin : {u"\\Skins\\Tag.ini", u"\\Skins\\Nacht.ini", u"\\Skins\\Geteilt.ini"})
            m_device.Put(skin, Utf16File(u""));
        m_device.Put(u"\\Menu\\Tag.ini", Utf16File(u"[Metrics]\r\nItemHeight = 30\r\n"));
        m_device.Put(u"\\Menu\\Nacht.ini", Utf16File(u"[Metrics]\r\nItemHeight = 40\r\n"));
        m_device.Put(ConfigPath, Utf16File(Config));
        MainSettings& settings = m_model.Settings();
        settings.SetDayNight(true);
        settings.SetMenuIni(u"\\Menu\\Tag.ini");
        settings.SetNightMenuIni(u"\\Menu\\Nacht.ini");
        m_model.Load(ConfigPath);
    }

    void Build() {
        m_tree = std::make_unique<MenuTree>(m_screen, m_model, nullptr);
        m_tree->Build();
        ASSERT_NE(m_tree->DayNight(), nullptr);
    }
    // One position a second for seconds, the clock moving with it.
    void Drive(int seconds) {
        for (int s = 0; s < seconds; ++s) {
            m_tree->DayNight()->OnPosition(
                GeoPosition(int32_t(Latitude * GeoPosition::UnitsPerDegree),
                            int32_t(Longitude * GeoPosition::UnitsPerDegree)));
            platform::headless::AdvanceClock(1000);
        }
    }
    Menu& Skins() { return *Find(*Find(*m_tree->Root(), u"Tacho")->submenu, u"Skins")->submenu; }
    SingleViewManager& Speedo() { return *m_model.Views()[0].holder; }
    SingleViewManager& Empty() { return *m_model.Views()[1].holder; }
    std::u16string Current(SingleViewManager& view) {
        const std::u16string* path = view.GetPath(view.CurrentIndex());
        return path ? *path : u"Standard";
    }
    int MenuItemHeight() { return m_tree->Root()->Style().ItemHeight(); }

    static constexpr char16_t Config[] = u"[Speedo]\r\n"
                                         u"Initial = y\r\n"
                                         u"InitialIni = ..\\Skins\\Tag.ini\r\n"
                                         u"Ini = ..\\Skins\\Geteilt.ini\r\n"
                                         u"Ini = ..\\Skins\\Nacht.ini\r\n"
                                         u"NightIni = ..\\Skins\\Nacht.ini\r\n"
                                         u"\r\n"
                                         u"[Empty]\r\n"
                                         u"NightIni = ..\\Skins\\Nacht.ini\r\n";

    TempDevice m_device;
    Screen m_screen{nullptr, 480, 272};
    TachoModel m_model{nullptr, &m_screen};
    std::unique_ptr<MenuTree> m_tree;
};

} // namespace

TEST(DayNightSettings, KeysAreReadAndWrittenOnlyWhenSet) {
    TempDevice device;
    const struct {
        const char16_t* value;
        bool on;
    } cases[] = {{u"auto", true}, {u"a", true}, {u"y", true},
                 {u"off", false}, {u"", false}, {u"Auto", false}};
    for (const auto& c : cases) {
        device.Put(u"\\Program Files\\Velvane\\Velvane.ini",
                   Utf16File(std::u16string(u"[Settings]\r\nDayNight = ") + c.value + u"\r\n"));
        MainSettings settings;
        ASSERT_TRUE(LoadMainSettings(settings));
        EXPECT_EQ(settings.DayNight(), c.on) << platform::ToUtf8(c.value);
    }

    MainSettings plain;
    ASSERT_TRUE(SaveMainSettings(plain));
    const std::string without = device.Get(u"\\Program Files\\Velvane\\Velvane.ini");
    EXPECT_EQ(without.find(Utf16File(u"Night", false)), std::string::npos)
        << "files that say nothing of the night save back without it";

    plain.SetDayNight(true);
    plain.SetMenuIni(u"\\Program Files\\Velvane\\Menu\\Tag.ini");
    plain.SetNightMenuIni(u"\\Program Files\\Velvane\\Menu\\Nacht.ini");
    ASSERT_TRUE(SaveMainSettings(plain));
    EXPECT_EQ(device.Get(u"\\Program Files\\Velvane\\Velvane.ini"),
              Utf16File(u"[Settings]\r\nMenuIni = Menu\\Tag.ini\r\nSaveOnExit = y\r\n"
                        u"SpeedProtocol = VTG\r\nNightMenuIni = Menu\\Nacht.ini\r\n"
                        u"DayNight = auto\r\n"));
    MainSettings again;
    ASSERT_TRUE(LoadMainSettings(again));
    EXPECT_TRUE(again.DayNight());
    EXPECT_EQ(again.NightMenuIni(), u"\\Program Files\\Velvane\\Menu\\Nacht.ini");
}

TEST_F(DayNight, TheNightSkinIsListedOnceAndOffered) {
    Build();
    EXPECT_EQ(Labels(Skins()), "Standard|Tag*|Geteilt|Nacht|Skin Laden...");
    EXPECT_EQ(Speedo().NightIndex(), 2);
    EXPECT_EQ(Empty().NightIndex(), 0) << "a night skin not listed joins the list";
}

TEST_F(DayNight, SwitchesAtDuskAndBackAtDawn) {
    SetClock(9, Event::Dusk, -120);
    Build();
    Drive(60);
    EXPECT_EQ(m_tree->DayNight()->CurrentPhase(), DayNightSwitch::Phase::Day);
    EXPECT_EQ(Current(Speedo()), u"\\Skins\\Tag.ini");
    EXPECT_EQ(MenuItemHeight(), 30);

    // Dusk is two minutes after the clock was set; within a second of it
    // the views and the menu turn to the night.
    Drive(50);
    EXPECT_EQ(Current(Speedo()), u"\\Skins\\Tag.ini") << "ten seconds before dusk";
    Drive(20);
    EXPECT_EQ(m_tree->DayNight()->CurrentPhase(), DayNightSwitch::Phase::Night);
    EXPECT_EQ(Current(Speedo()), u"\\Skins\\Nacht.ini");
    EXPECT_EQ(Labels(Skins()), "Standard|Tag|Geteilt|Nacht*|Skin Laden...");
    EXPECT_EQ(Current(Empty()), u"\\Skins\\Nacht.ini") << "a view not shown follows too";
    EXPECT_EQ(MenuItemHeight(), 40);

    // Next morning.
    SetClock(10, Event::Dawn, -30);
    Drive(20);
    EXPECT_EQ(Current(Speedo()), u"\\Skins\\Nacht.ini") << "ten seconds before dawn";
    Drive(20);
    EXPECT_EQ(Current(Speedo()), u"\\Skins\\Tag.ini");
    EXPECT_EQ(Labels(Skins()), "Standard|Tag*|Geteilt|Nacht|Skin Laden...");
    EXPECT_EQ(Current(Empty()), u"Standard");
    EXPECT_EQ(MenuItemHeight(), 30);
}

TEST_F(DayNight, AChoiceInTheMenuHoldsUntilTheNextDuskOrDawn) {
    SetClock(9, Event::Dusk, 60);
    Build();
    Drive(2);
    ASSERT_EQ(Current(Speedo()), u"\\Skins\\Nacht.ini");

    // At night the user wants the split skin: it stays all night, and is
    // the day skin from now on.
    Find(Skins(), u"Geteilt")->command->Execute();
    Drive(3600);
    EXPECT_EQ(Current(Speedo()), u"\\Skins\\Geteilt.ini");
    SetClock(10, Event::Dawn, 10);
    Drive(2);
    EXPECT_EQ(Current(Speedo()), u"\\Skins\\Geteilt.ini");

    // By day, the night skin chosen by hand (a long tunnel) holds until
    // dusk, and the next dawn brings the day skin back, not the night one.
    Find(Skins(), u"Nacht")->command->Execute();
    Drive(600);
    EXPECT_EQ(Current(Speedo()), u"\\Skins\\Nacht.ini");
    SetClock(10, Event::Dusk, 10);
    Drive(2);
    EXPECT_EQ(Current(Speedo()), u"\\Skins\\Nacht.ini");
    SetClock(11, Event::Dawn, 10);
    Drive(2);
    EXPECT_EQ(Current(Speedo()), u"\\Skins\\Geteilt.ini");
}

TEST_F(DayNight, AChoiceBeforeTheFirstFixHoldsToo) {
    SetClock(9, Event::Dusk, 600);
    Build();
    Find(Skins(), u"Geteilt")->command->Execute();
    Drive(5);
    EXPECT_EQ(m_tree->DayNight()->CurrentPhase(), DayNightSwitch::Phase::Night);
    EXPECT_EQ(Current(Speedo()), u"\\Skins\\Geteilt.ini");
}

TEST_F(DayNight, ASaveAtNightKeepsTheDaySkinAndTheNightSkin) {
    SetClock(9, Event::Dusk, 60);
    Build();
    Drive(2);
    ASSERT_EQ(Current(Speedo()), u"\\Skins\\Nacht.ini");
    ASSERT_TRUE(m_model.SaveConfiguration());
    // The view section comes back as it was; the night skin that the empty
    // view did not list joins its list.
    EXPECT_EQ(
        m_device.Get(ConfigPath),
        Utf16File(std::u16string(Config).insert(std::u16string_view(Config).find(u"NightIni", 150),
                                                u"Ini = ..\\Skins\\Nacht.ini\r\n") +
                  u"\r\n"));
}
