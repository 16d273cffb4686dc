#include "startup/ParameterSet.h"
#include "dialog/DialogTemplates.h"

#include <climits>
#include <gtest/gtest.h>
#include <set>

using namespace lokaro;

namespace {

ScriptSettings readLines(std::initializer_list<std::u16string_view> lines) {
    ScriptReader reader(u"\\nav.exe");
    for (auto line : lines)
        reader.readLine(line);
    return reader.settings();
}

} // namespace

TEST(ParameterSet, KeysAreFoundAnywhereInLowerCaseWithTheirNumberForms) {
    const ParameterSet p = parseParameters(
        u"WINDOW=0x101 Lklickson=017 setmem=0X10 BackLight=+1 notunnels= 5 x=12 y=-1 "
        u"h=-20 rb=0 lklick3=250 x3=7 y3=8 sonnenbrille=2abc");
    EXPECT_EQ(p.window, 0x101);
    EXPECT_EQ(p.lklickson, 017); // a leading 0 is octal
    EXPECT_EQ(p.setmem, 16);
    EXPECT_EQ(p.backlight, u"+1");
    EXPECT_EQ(p.notunnels, u""); // a blank first character is empty
    EXPECT_EQ(p.x, 12);
    EXPECT_EQ(p.y, -1);
    EXPECT_EQ(p.h, -20);
    EXPECT_EQ(p.rb, 0);
    EXPECT_EQ(p.gb, 255); // untouched defaults
    EXPECT_EQ(p.taps[2].delay, 250);
    EXPECT_EQ(p.taps[2].x, 7);
    EXPECT_EQ(p.taps[2].y, 8);
    EXPECT_EQ(p.taps[0].delay, -1);
    EXPECT_EQ(p.sonnenbrille, 2);
    EXPECT_EQ(p.lklick, -1); // "lklick3=" is not "lklick="
}

TEST(ParameterSet, CNotationAndDecimalKeysDiffer) {
    struct Case {
        std::u16string_view text;
        int c;
    } cases[] = {{u"0x1f", 31}, {u"010", 8},    {u"-0x10", -16}, {u"0x", 0},
                 {u"09", 0},    {u"  42z", 42}, {u"0xg", 0},     {u"99999999999", INT_MAX}};
    for (const Case& c : cases)
        EXPECT_EQ(readCInt(c.text), c.c) << std::string(c.text.begin(), c.text.end());
    // "window=" takes C notation, "taskbar=" decimal only.
    const ParameterSet p = parseParameters(u"window=010 taskbar=010");
    EXPECT_EQ(p.window, 8);
    EXPECT_EQ(p.taskbar, 10);
}

TEST(ParameterSet, TextKeysTakeTheRestOfTheLine) {
    const ParameterSet p = parseParameters(u"window=1 route=\\My Documents\\Touren\\ lklick=5");
    ASSERT_TRUE(p.route);
    EXPECT_EQ(*p.route, u"\\my documents\\touren\\ lklick=5");
    EXPECT_EQ(p.lklick, 5); // and the swallowed key still counts
    EXPECT_EQ(p.window, 1);
    EXPECT_EQ(parseParameters(u"sendkey=\\f500|Navi\\abc").sendkey, u"\\f500|navi\\abc");
}

TEST(ParameterSet, CopyAndDeleteReadTheirBarsAndSharedBuffersAreNotCombined) {
    ParameterSet p = parseParameters(u"copy=\\a.txt|\\b.txt|1");
    ASSERT_TRUE(p.copy);
    EXPECT_EQ(p.copy->from, u"\\a.txt");
    EXPECT_EQ(p.copy->to, u"\\b.txt");
    EXPECT_EQ(p.copy->mode, 1);
    EXPECT_FALSE(parseParameters(u"copy=\\a.txt").copy); // no bar: nothing to copy
    EXPECT_EQ(parseParameters(u"copy=\\a|\\b").copy->mode, 0);

    EXPECT_EQ(parseParameters(u"delete=\\a.txt").deleteFile, u"\\a.txt");
    EXPECT_FALSE(parseParameters(u"delete=\\a.txt|1").deleteFile);
    EXPECT_EQ(parseParameters(u"delete=\\a.txt|0").deleteFile, u"\\a.txt");

    p = parseParameters(u"regkey=software,a regkeymode=1 delete=\\x.txt");
    EXPECT_FALSE(p.deleteFile);
    ASSERT_EQ(p.refused.size(), 1u);
    EXPECT_NE(p.refused[0].find("delete="), std::string::npos);
    p = parseParameters(u"goto=\\z.3na copy=\\a|\\b");
    EXPECT_FALSE(p.copy);
    EXPECT_TRUE(p.gotoFile);
    EXPECT_EQ(p.refused.size(), 1u);
    p = parseParameters(u"copy=\\a|\\b delete=\\c");
    EXPECT_TRUE(p.copy);
    EXPECT_FALSE(p.deleteFile);
    EXPECT_TRUE(parseParameters(u"window=1 delete=\\c").refused.empty());
}

TEST(ScriptReader, OnlyTheLastParamLineOrTheCommandLineIsInForce) {
    const ScriptSettings script =
        readLines({u"exe=\\Nav\\Go.exe", u"param=window=0 backlight=+1", u"# param=window=7",
                   u"param=sip=1 tel", u"tourgen=\\t.exe:-x"});
    EXPECT_EQ(script.navigatorPath, u"\\Nav\\Go.exe"); // not lower-cased
    EXPECT_EQ(script.tourGenerator, u"\\t.exe:-x");
    EXPECT_TRUE(script.telephoneLayout);
    ParameterSet p = parametersInForce(script, u"");
    EXPECT_EQ(p.sip, 1);
    EXPECT_EQ(p.window, -1); // reset by the second line
    EXPECT_TRUE(p.backlight.empty());
    p = parametersInForce(script, u"taskbar=2");
    EXPECT_EQ(p.sip, -1);
    EXPECT_EQ(p.taskbar, 2);

    EXPECT_FALSE(readLines({u"param=window=1"}).telephoneLayout);
    EXPECT_TRUE(readLines({}).telephoneLayout);
    EXPECT_TRUE(readLines({u"PARAM=window=1"}).telephoneLayout); // prefixes are case-sensitive
    EXPECT_EQ(readLines({}).navigatorPath, u"\\nav.exe");
}

TEST(DialogChoice, ScreenWidthWindowBitsAndRouteModePickTheTemplate) {
    struct Case {
        int width, window;
        bool route;
        int id;
    } cases[] = {
        {480, 1, false, 1003},     {479, 1, false, 1002},     {319, 1, false, 1001},
        {240, 0x101, false, 1003}, {800, 0x301, false, 1001}, {480, 1, true, 1004},
        {400, 1, true, 1006},      {240, 1, true, 1007},      {480, 0x401, false, 1003},
        {480, 0x401, true, 1003},  {240, -1, false, 1001},
    };
    for (const Case& c : cases)
        EXPECT_EQ(chooseTemplate(c.width, c.window, c.route), c.id)
            << c.width << " " << c.window << " " << c.route;
}

TEST(DialogTemplates, EveryControlFitsItsTemplateAndIdsAreUnique) {
    for (int id : {1001, 1002, 1003, 1004, 1006, 1007}) {
        const platform::DialogTemplate t = dialogTemplate(id);
        EXPECT_EQ(t.resourceId, id);
        EXPECT_EQ(t.className, u"LokaroClass");
        std::set<int> ids;
        for (const auto& c : t.controls) {
            EXPECT_LE(c.x + c.cx, t.cx) << id << " control " << c.id;
            EXPECT_LE(c.y + c.cy, t.cy) << id << " control " << c.id;
            if (c.id != -1) {
                EXPECT_TRUE(ids.insert(c.id).second) << id << " twice: " << c.id;
            }
        }
        const bool entry = id <= 1003;
        EXPECT_EQ(ids.count(ControlId::Latitude), entry ? 1u : 0u);
        EXPECT_EQ(ids.count(ControlId::List), entry ? 0u : 1u);
        if (!entry)
            continue;
        // Every key, field and label of the entry dialog; 4052 to 4058 are the list's.
        for (int key = 4001; key <= 4061; ++key) {
            EXPECT_TRUE(ids.count(key) || (key >= 4052 && key <= 4058)) << id << " lacks " << key;
        }
    }
}
