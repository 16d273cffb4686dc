#include "app/Menu.h"
#include "app/MenuStyle.h"
#include "display/Screen.h"

#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/headless.h"
#include "platform/keys.h"
#include "platform/messagebox.h"
#include "platform/resources.h"
#include "platform/testing/colors.h"
#include "platform/testing/temp_device.h"
#include "platform/transcript.h"
#include "platform/window.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

using namespace velvane;
using platform::Rect;
using platform::Rgb;
using platform::testing::TempDevice;
using platform::testing::Utf16File;
namespace vk = platform::vk;

namespace {

using namespace platform::testing::colors;
const platform::Color Grey = Rgb(0xC4, 0xC4, 0xC4);
const platform::Color Dark = Rgb(0x20, 0x20, 0x20);
// What lies under the menu in the pictures of these tests.
const platform::Color Backdrop = Rgb(0x40, 0x80, 0x40);

// Anti-aliased text has few pixels of exactly its colour.
bool Near(platform::Color a, platform::Color b) {
    auto d = [](int x, int y) { return x > y ? x - y : y - x; };
    return d(platform::GetR(a), platform::GetR(b)) < 70 &&
           d(platform::GetG(a), platform::GetG(b)) < 70 &&
           d(platform::GetB(a), platform::GetB(b)) < 70;
}

// The program embeds its bitmaps; tests register the same files.
void RegisterFile(int id, const char* relative) {
    static std::vector<std::vector<uint8_t>> keep;
    std::ifstream in(std::string(SUITE_SOURCE_DIR) + relative, std::ios::binary);
    keep.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    ASSERT_FALSE(keep.back().empty()) << relative;
    platform::RegisterResource(id, keep.back());
}

struct Counter : Command {
    explicit Counter(int& count) : count(count) {}
    void Execute() override { ++count; }
    int& count;
};

std::string Describe(const Rect& r) {
    return "[" + std::to_string(r.left) + "," + std::to_string(r.top) + " - " +
           std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterFile(MenuStyle::CheckMarkResource, "/velvane/resources/checkmark.bmp");
    }

    // A root menu of width w on a screen of w x 272 with this style file
    // (lines of its "Metrics" and "Colors" sections; none = defaults).
    Menu& Make(int w = 480, const std::u16string& style = {}) {
        m_screen = std::make_unique<Screen>(nullptr, w, 272);
        std::u16string path;
        if (!style.empty()) {
            m_device.Put(u"\\Menu\\style.ini", Utf16File(style));
            path = u"\\Menu\\style.ini";
        }
        m_menu = std::make_unique<Menu>(m_screen.get(), w, 272, path);
        return *m_menu;
    }
    // Commands run from posted tasks, once the input is handled.
    int Executed() {
        platform::PumpMessages();
        return m_executed;
    }
    MenuItem* AddCounting(Menu& menu, const std::u16string& label, bool checked = false) {
        return menu.AddCommand(label, std::make_unique<Counter>(m_executed), checked);
    }
    // Root items A..E (C and E with submenus of three items each).
    Menu* BuildTree(Menu& root) {
        AddCounting(root, u"A");
        AddCounting(root, u"B");
        auto sub = std::make_unique<Menu>(root);
        AddCounting(*sub, u"C1");
        AddCounting(*sub, u"C2");
        AddCounting(*sub, u"C3");
        Menu* c = sub.get();
        root.AddSubmenu(u"C", std::move(sub));
        AddCounting(root, u"D");
        auto sub2 = std::make_unique<Menu>(root);
        AddCounting(*sub2, u"E1");
        root.AddSubmenu(u"E", std::move(sub2));
        return c;
    }
    std::unique_ptr<platform::Canvas> Drawn() {
        auto canvas = platform::Canvas::Create(m_screen->Width(), m_screen->Height());
        canvas->FillRect(Rect{0, 0, canvas->Width(), canvas->Height()}, Backdrop);
        m_menu->Draw(*canvas, 0, 0);
        return canvas;
    }

    TempDevice m_device;
    std::unique_ptr<Screen> m_screen;
    std::unique_ptr<Menu> m_menu;
    int m_executed = 0;
};

// Boxes for two screen widths, one to seven items and several row widths;
// margins are dx at both ends and between neighbours, rows touch.
TEST_F(MenuTest, LayoutBoxes) {
    struct Case {
        int width;
        const char16_t* metrics;
        int items;
        int index;
        Rect box;
    };
    const Case cases[] = {
        {480, u"", 1, 0, {5, 5, 475, 30}},
        {480, u"", 3, 0, {5, 5, 158, 30}},
        {480, u"", 3, 1, {163, 5, 316, 30}},
        {480, u"", 3, 2, {321, 5, 475, 30}},
        {480, u"", 7, 4, {385, 5, 475, 30}},
        {480, u"", 7, 5, {5, 30, 95, 55}},
        {480, u"", 7, 6, {100, 30, 190, 55}},
        {240, u"", 5, 1, {52, 5, 94, 30}},
        {240, u"MaxItemsPerRow = 3\r\n", 7, 2, {161, 5, 235, 30}},
        {240, u"MaxItemsPerRow = 3\r\n", 7, 6, {5, 55, 78, 80}},
        {240, u"MaxItemsPerRow = 0\r\n", 2, 1, {5, 30, 235, 55}},
        {240, u"MaxItemsPerRow = -4\r\n", 3, 2, {5, 55, 235, 80}},
        {480,
         u"MaxItemsPerRow = 5\r\ndx = 10\r\ndy = 2\r\nItemHeight = 30\r\n",
         6,
         5,
         {10, 32, 94, 62}},
    };
    for (const Case& c : cases) {
        Menu& menu = Make(c.width, std::u16string(u"[Metrics]\r\n") + c.metrics);
        for (int i = 0; i < c.items; ++i)
            AddCounting(menu, u"x");
        const std::string input =
            "W=" + std::to_string(c.width) + " n=" + std::to_string(c.items) + " item " +
            std::to_string(c.index) + " metrics=" +
            std::string(c.metrics, c.metrics + std::char_traits<char16_t>::length(c.metrics));
        EXPECT_EQ(Describe(menu.ItemBox(c.index, 0)), Describe(c.box)) << input;

        // What is drawn has the same boxes: frame on the corners, screen
        // white just right of and below the box.
        menu.Open();
        auto canvas = Drawn();
        const platform::Color frame = c.index == 0 ? White : Black;
        EXPECT_EQ(canvas->GetPixel(c.box.left, c.box.top), frame) << input;
        EXPECT_EQ(canvas->GetPixel(c.box.right - 1, c.box.bottom - 1), frame) << input;
        EXPECT_EQ(canvas->GetPixel(c.box.right, c.box.top + 2), Backdrop) << input;
        EXPECT_EQ(canvas->GetPixel(c.box.left + 2, c.box.top + 2), c.index == 0 ? Dark : Grey)
            << input;
    }
}

TEST_F(MenuTest, OpenSubmenuRowsStartTwoMarginsBelowTheParentsLastRow) {
    Menu& root = Make(480);
    Menu* c = BuildTree(root);
    AddCounting(root, u"F"); // six items: two rows of five and one
    root.Open();
    root.OnKey(vk::Right);
    root.OnKey(vk::Right);
    root.OnKey(vk::Down);
    ASSERT_TRUE(c->IsOpen());
    // Root rows end at 5 + 2 * 25 = 55; the submenu's first row is at 65.
    EXPECT_EQ(Describe(c->ItemBox(0, root.SubmenuOrigin(0))), Describe(Rect{5, 65, 158, 90}));
    auto canvas = Drawn();
    EXPECT_EQ(canvas->GetPixel(10, 64), Backdrop);
    EXPECT_EQ(canvas->GetPixel(10, 65), White) << "the hot frame of the submenu's first item";
    EXPECT_EQ(canvas->GetPixel(170, 65), Black);
    EXPECT_EQ(canvas->GetPixel(10, 70), Dark) << "the submenu's first item is hot";
    EXPECT_EQ(canvas->GetPixel(170, 70), Grey);

    // And a tap there picks the submenu's second item.
    root.OnTap(200, 80);
    EXPECT_EQ(Executed(), 1);
    EXPECT_FALSE(root.IsOpen());
}

TEST_F(MenuTest, KeysWalkWrapAroundOpenAndClose) {
    Menu& root = Make();
    Menu* c = BuildTree(root);
    ASSERT_EQ(root.Count(), 5u);

    EXPECT_TRUE(root.OnKey(vk::Left)) << "a closed menu opens on any key";
    EXPECT_EQ(root.HotIndex(), 0);
    EXPECT_EQ(Executed(), 0);

    root.OnKey(vk::Left);
    EXPECT_EQ(root.HotIndex(), 4) << "Left on the first wraps to the last";
    root.OnKey(vk::Right);
    EXPECT_EQ(root.HotIndex(), 0) << "Right on the last wraps to the first";

    root.OnKey(vk::Right);
    root.OnKey(vk::Right);
    root.OnKey(vk::Return);
    EXPECT_TRUE(c->IsOpen()) << "Enter on a submenu item opens it";
    EXPECT_EQ(c->HotIndex(), 0);
    root.OnKey(vk::Left);
    EXPECT_EQ(c->HotIndex(), 2) << "keys go to the deepest open menu";
    EXPECT_EQ(root.HotIndex(), 2);

    root.OnKey(vk::Up);
    EXPECT_FALSE(c->IsOpen()) << "Up closes one level";
    EXPECT_TRUE(root.IsOpen());
    root.OnKey(vk::Down);
    EXPECT_TRUE(c->IsOpen());
    EXPECT_EQ(c->HotIndex(), 0) << "a reopened submenu starts at its first item";

    root.OnKey(vk::Right);
    EXPECT_TRUE(root.OnKey(vk::Space));
    EXPECT_EQ(Executed(), 1) << "Space executes the hot command";
    EXPECT_FALSE(root.IsOpen());
    EXPECT_FALSE(c->IsOpen());

    root.OnKey(vk::Return); // opens
    root.OnKey(vk::Down);   // on a command item: nothing
    EXPECT_TRUE(root.IsOpen());
    root.OnKey(vk::Return);
    EXPECT_EQ(Executed(), 2);
    EXPECT_FALSE(root.IsOpen());

    root.OnKey(vk::Return);
    root.OnKey(vk::Up);
    EXPECT_FALSE(root.IsOpen()) << "Up in the root closes the menu";

    root.OnKey(vk::Return);
    root.OnKey(vk::Right);
    root.OnKey(vk::Right);
    root.OnKey(vk::Down);
    EXPECT_TRUE(root.OnKey(vk::KeyA));
    EXPECT_FALSE(root.IsOpen()) << "any other key closes the whole menu";
    EXPECT_FALSE(c->IsOpen());
    EXPECT_EQ(Executed(), 2);
}

TEST_F(MenuTest, TapsPickToggleAndClose) {
    Menu& root = Make(480);
    Menu* c = BuildTree(root);
    // One row of five boxes 95 wide: A [5,95), B [100,190), C [195,285) ...
    EXPECT_TRUE(root.OnTap(400, 200)) << "a closed menu opens on any tap";
    EXPECT_TRUE(root.IsOpen());

    root.OnTap(200, 10);
    EXPECT_EQ(root.HotIndex(), 2);
    EXPECT_TRUE(c->IsOpen()) << "a tap on a submenu item opens it";
    root.OnTap(200, 10);
    EXPECT_FALSE(c->IsOpen()) << "a second tap on it closes it again";
    EXPECT_TRUE(root.IsOpen());
    root.OnTap(200, 10);
    ASSERT_TRUE(c->IsOpen());

    root.OnTap(300, 10);
    EXPECT_EQ(Executed(), 1) << "a tap on a command item executes it";
    EXPECT_FALSE(root.IsOpen());
    EXPECT_FALSE(c->IsOpen()) << "moving the hot item closed the old submenu";

    root.OnTap(0, 0);
    root.OnTap(200, 10);
    root.OnTap(10, 35); // between the root's row (to 30) and C's (from 40)
    EXPECT_FALSE(root.IsOpen()) << "a tap beside every box closes the menu";
    EXPECT_EQ(Executed(), 1);

    root.OnTap(0, 0);
    root.OnTap(97, 10);
    EXPECT_FALSE(root.IsOpen()) << "the margin between two boxes hits nothing";

    root.OnTap(0, 0);
    root.OnTap(100, 200);
    EXPECT_FALSE(root.IsOpen()) << "below all rows with no open submenu";
    EXPECT_EQ(Executed(), 1);
}

// Removes its own item, as a skin that fails to load does.
struct SelfRemover : Command {
    Menu* menu = nullptr;
    MenuItem* item = nullptr;
    int runs = 0;
    void Execute() override {
        menu->RemoveItem(item);
        ++runs; // the command outlives its item until it returns
    }
};

TEST_F(MenuTest, CommandsRunAfterTheMenuClosedAndOnlyWhileTheirItemLives) {
    Menu& root = Make(480);
    auto owned = std::make_unique<SelfRemover>();
    SelfRemover* remover = owned.get();
    remover->menu = &root;
    remover->item = root.AddCommand(u"X", std::move(owned));
    AddCounting(root, u"Y");

    root.OnKey(vk::Return);
    root.OnKey(vk::Return); // X
    EXPECT_FALSE(root.IsOpen());
    EXPECT_EQ(root.Count(), 2u) << "nothing runs inside the menu's own input handling";
    platform::PumpMessages();
    ASSERT_EQ(root.Count(), 1u);

    root.OnKey(vk::Return);
    root.OnKey(vk::Return); // Y, removed before its task runs
    root.RemoveItem(root.Item(0));
    EXPECT_EQ(Executed(), 0) << "a command whose item is gone does not run";
}

TEST_F(MenuTest, EmptyMenuDoesNotOpenButAsksForARedraw) {
    Menu& root = Make();
    auto canvas = platform::Canvas::Create(480, 272);
    m_screen->Draw(*canvas, 0, 0);
    ASSERT_FALSE(m_screen->RedrawPending());
    root.Open();
    EXPECT_FALSE(root.IsOpen());
    EXPECT_TRUE(m_screen->RedrawPending());
    EXPECT_TRUE(root.OnKey(vk::Return));
    EXPECT_TRUE(root.OnTap(10, 10));
    EXPECT_FALSE(root.IsOpen());
}

TEST_F(MenuTest, AddingOrRemovingWhileOpenClosesAndRemovalDeletesTheCommand) {
    Menu& root = Make();
    Menu* c = BuildTree(root);
    root.OnTap(0, 0);
    root.OnTap(200, 10);
    ASSERT_TRUE(c->IsOpen());
    AddCounting(root, u"F");
    EXPECT_FALSE(root.IsOpen());
    EXPECT_FALSE(c->IsOpen());

    struct Watched : Command {
        explicit Watched(bool& gone) : gone(gone) {}
        ~Watched() override { gone = true; }
        void Execute() override {}
        bool& gone;
    };
    bool gone = false;
    MenuItem* front = root.AddCommand(u"Z", std::make_unique<Watched>(gone), false, 0);
    EXPECT_EQ(root.Item(0), front) << "position 0 inserts in front";
    root.Open();
    root.RemoveItem(front);
    EXPECT_TRUE(gone);
    EXPECT_FALSE(root.IsOpen());
    EXPECT_EQ(root.Item(0)->label, u"A");
}

TEST_F(MenuTest, StyleFileColoursHotAndNormalItems) {
    Menu& root = Make(
        480, u"[Metrics]\r\nItemHeight = 30\r\n[Colors]\r\nFrame = 0000FF\r\nHotFrame = FF0000\r\n"
             u"Background = 00FF00\r\nHotBackground = 102030\r\nText = 000000\r\n"
             u"HotText = FFFF00\r\nNonsense = 123456\r\n");
    AddCounting(root, u"WWW");
    AddCounting(root, u"WWW");
    root.Open();
    auto canvas = Drawn();
    // Two boxes [5,237) and [242,475), rows 5..35; the first is hot.
    EXPECT_EQ(canvas->GetPixel(5, 5), Rgb(0xFF, 0, 0));
    EXPECT_EQ(canvas->GetPixel(10, 10), Rgb(0x10, 0x20, 0x30));
    EXPECT_EQ(canvas->GetPixel(242, 5), Rgb(0, 0, 0xFF));
    EXPECT_EQ(canvas->GetPixel(250, 10), Rgb(0, 0xFF, 0));

    // The labels: the hot one in yellow, the other in black, both centred.
    auto inkOf = [&](int left, int right, platform::Color colour) {
        int count = 0, minX = 1 << 20, maxX = -1;
        for (int y = 5; y < 35; ++y)
            for (int x = left; x < right; ++x)
                if (Near(canvas->GetPixel(x, y), colour)) {
                    ++count;
                    minX = std::min(minX, x);
                    maxX = std::max(maxX, x);
                }
        return std::tuple{count, minX, maxX};
    };
    auto [hotInk, hotLeft, hotRight] = inkOf(6, 236, Rgb(0xFF, 0xFF, 0));
    auto [ink, left, right] = inkOf(243, 474, Rgb(0, 0, 0));
    EXPECT_GT(hotInk, 20);
    EXPECT_GT(ink, 20);
    EXPECT_EQ(std::get<0>(inkOf(243, 474, Rgb(0xFF, 0xFF, 0))), 0)
        << "no hot text colour in the normal item";
    EXPECT_NEAR((hotLeft + hotRight) / 2, (5 + 237) / 2, 3);
    EXPECT_NEAR((left + right) / 2, (242 + 475) / 2, 3);

    root.OnKey(vk::Right);
    canvas = Drawn();
    EXPECT_EQ(canvas->GetPixel(10, 10), Rgb(0, 0xFF, 0))
        << "the hot colours move with the hot item";
    EXPECT_EQ(canvas->GetPixel(250, 10), Rgb(0x10, 0x20, 0x30));
}

TEST_F(MenuTest, StyleTwoCornersAreSixteenPixelEllipsesAtItemHeight25) {
    Menu& root = Make(480, u"[Metrics]\r\nStyle = 2\r\n");
    AddCounting(root, u"");
    AddCounting(root, u"");
    root.Open();
    auto canvas = Drawn();
    // Box 1 is [242,475) x [5,30). Compare its top-left corner with
    // reference round rectangles of several corner sizes.
    auto corner = [](const platform::Canvas& c, int left, int top) {
        std::vector<platform::Color> px;
        for (int y = top; y < top + 12; ++y)
            for (int x = left; x < left + 12; ++x)
                px.push_back(c.GetPixel(x, y));
        return px;
    };
    auto reference = [&](int ellipse) {
        auto ref = platform::Canvas::Create(480, 272);
        ref->SelectBrush(platform::Brush::Solid(Grey));
        ref->FillRect(Rect{0, 0, 480, 272}, Backdrop);
        ref->SelectBrush(platform::Brush::Solid(Grey));
        ref->RoundRect(242, 5, 475, 30, ellipse, ellipse);
        return corner(*ref, 242, 5);
    };
    const auto drawn = corner(*canvas, 242, 5);
    EXPECT_EQ(drawn, reference(16));
    EXPECT_NE(drawn, reference(12));
    EXPECT_NE(drawn, reference(25));
}

TEST_F(MenuTest, OtherStylesShapeTheBoxes) {
    // Pill: the corner pixel stays outside; a plain box has it framed.
    Make(480, u"[Metrics]\r\nStyle = 1\r\n");
    AddCounting(*m_menu, u"");
    AddCounting(*m_menu, u"");
    m_menu->Open();
    EXPECT_EQ(Drawn()->GetPixel(242, 5), Backdrop);
    EXPECT_EQ(Drawn()->GetPixel(242 + 12, 5), Black);

    // Style 3: a dotted focus rectangle 2 px inside the hot box only.
    Make(480, u"[Metrics]\r\nStyle = 3\r\n");
    AddCounting(*m_menu, u"");
    AddCounting(*m_menu, u"");
    m_menu->Open();
    auto canvas = Drawn();
    int hotDots = 0, normalDots = 0;
    for (int x = 20; x < 200; ++x) {
        hotDots += canvas->GetPixel(x, 7) != Dark;
        normalDots += canvas->GetPixel(x + 237, 7) != Grey;
    }
    EXPECT_GT(hotDots, 50);
    EXPECT_EQ(normalDots, 0);

    // Style 4: a line under the label of submenu items only, at
    // bottom - (25 - 14) / 2 = 25, as wide as the label.
    Make(480, u"[Metrics]\r\nStyle = 4\r\n");
    auto sub = std::make_unique<Menu>(*m_menu);
    AddCounting(*sub, u"x");
    m_menu->AddSubmenu(u"Menu", std::move(sub));
    AddCounting(*m_menu, u"Menu");
    m_menu->Open();
    canvas = Drawn();
    auto lineLength = [&](int left, int right, platform::Color colour) {
        int n = 0;
        for (int x = left; x < right; ++x)
            n += canvas->GetPixel(x, 25) == colour;
        return n;
    };
    // Measured in the hot font, which the hot item's label uses.
    platform::ScopedFont font(*canvas, m_menu->Style().HotFont());
    const int width = canvas->GetTextExtent(u"Menu").cx;
    EXPECT_GE(lineLength(6, 236, White), width - 1)
        << "the hot submenu item's line, in the hot frame colour";
    EXPECT_LE(lineLength(6, 236, White), width + 1);
    EXPECT_EQ(lineLength(243, 474, Black), 0) << "a command item has no line";
    EXPECT_EQ(Drawn()->GetPixel(5 + 2, 25), Dark) << "the line does not run to the frame";
}

TEST_F(MenuTest, CheckMarkIsDrawnTransparentlyAtTheBottomRight) {
    Menu& root = Make(480);
    AddCounting(root, u"", true);
    MenuItem* second = AddCounting(root, u"");
    root.Open();
    auto mark = platform::Bitmap::LoadResource(MenuStyle::CheckMarkResource);
    ASSERT_TRUE(mark);
    ASSERT_EQ(mark->Width(), 26);
    ASSERT_EQ(mark->Height(), 26);

    // Compares the 26 x 14 pixels that fall inside the box with the bitmap:
    // how many of its tick pixels are there, and whether its key-coloured
    // ones left the box as it was (the frame on the box's edges aside).
    struct Seen {
        int tick = 0, tickTotal = 0;
        bool keyUntouched = true;
    };
    auto seen = [&](const platform::Canvas& canvas, int right, int bottom,
                    platform::Color background) {
        Seen s;
        for (int y = 0; y < 14; ++y)
            for (int x = 0; x < 26; ++x) {
                const platform::Color want = mark->GetPixel(x, y);
                const platform::Color got = canvas.GetPixel(right - 26 + x, bottom - 14 + y);
                if (want != MenuStyle::TransparentKey) {
                    ++s.tickTotal;
                    s.tick += got == want;
                } else if (x < 25 && y < 13 && got != background) {
                    s.keyUntouched = false;
                }
            }
        return s;
    };
    auto canvas = Drawn();
    Seen hot = seen(*canvas, 237, 30, Dark);
    EXPECT_GT(hot.tickTotal, 20) << "the bitmap's tick lies in its top 14 rows";
    EXPECT_EQ(hot.tick, hot.tickTotal) << "the hot, checked item";
    EXPECT_TRUE(hot.keyUntouched);
    EXPECT_EQ(seen(*canvas, 475, 30, Grey).tick, 0) << "an unchecked item shows no mark";
    for (int y = 0; y < 272; ++y)
        for (int x = 0; x < 480; ++x)
            ASSERT_NE(canvas->GetPixel(x, y), MenuStyle::TransparentKey) << x << "," << y;

    root.SetChecked(second, true);
    EXPECT_TRUE(second->IsChecked());
    canvas = Drawn();
    Seen normal = seen(*canvas, 475, 30, Grey);
    EXPECT_EQ(normal.tick, normal.tickTotal);
    EXPECT_TRUE(normal.keyUntouched);
    root.SetChecked(second, false);
    EXPECT_FALSE(second->IsChecked());
}

TEST_F(MenuTest, ReloadStyleReachesSubmenusAndFallsBackToDefaults) {
    Menu& root = Make(480);
    Menu* c = BuildTree(root);
    m_device.Put(u"\\Menu\\green.ini",
                 Utf16File(u"[Colors]\r\nBackground = 00FF00\r\n[Metrics]\r\ndy = 10\r\n"));
    c->ReloadStyle(u"\\Menu\\green.ini");
    EXPECT_EQ(c->Style().BackgroundColor(), Rgb(0, 0xFF, 0));
    EXPECT_EQ(&c->Style(), &root.Style());
    root.OnTap(0, 0);
    root.OnTap(200, 15);
    ASSERT_TRUE(c->IsOpen());
    auto canvas = Drawn();
    // Root row 10..35, the submenu's first row at 35 + 10 + 10 = 55.
    EXPECT_EQ(canvas->GetPixel(170, 60), Rgb(0, 0xFF, 0));

    root.ReloadStyle(u"");
    EXPECT_EQ(root.Style().BackgroundColor(), Grey);
    EXPECT_EQ(c->Style().Dy(), 5);
}

// The style file's keys, as a user writes them.
TEST(MenuStyleFile, ReadsKeysRejectsBadColoursAndKeepsDefaultsOtherwise) {
    TempDevice device;
    device.Put(u"\\style.ini",
               Utf16File(u"[Metrics]\r\nFont = Courier New\r\nFontSize = 18\r\nHotFontSize = 20\r\n"
                         u"HotFontWeight = 700\r\nMaxItemsPerRow = -3\r\nStyle = 4\r\n"
                         u"[Colors]\r\nFrame = FF00\r\nHotText = 123\r\nText = 0A0B0C\r\n"));
    platform::TranscriptClear();
    // Keep reporting after the first bad line.
    platform::headless::QueueMessageBoxAnswer(u"*", platform::IdOk);
    platform::headless::QueueMessageBoxAnswer(u"*", platform::IdOk);
    MenuStyle style;
    EXPECT_TRUE(style.Load(u"\\style.ini"));
    EXPECT_EQ(style.FontFace(), u"Courier New")
        << "Font is not taken for a leading part of FontSize";
    EXPECT_EQ(style.FontSize(), 18);
    EXPECT_EQ(style.HotFontSize(), 20);
    EXPECT_EQ(style.HotFont().Weight(), 700);
    EXPECT_EQ(style.NormalFont().Weight(), 400);
    EXPECT_EQ(style.NormalFont().FaceName(), u"Courier New");
    EXPECT_EQ(style.MaxItemsPerRow(), 1);
    EXPECT_EQ(style.Style(), 4);
    EXPECT_EQ(style.FrameColor(), Rgb(0, 0, 0)) << "a four-digit colour is refused";
    EXPECT_EQ(style.HotTextColor(), Rgb(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(style.TextColor(), Rgb(0x0A, 0x0B, 0x0C));
    int reports = 0;
    for (const auto& line : platform::TranscriptLines())
        reports += line.rfind("messagebox ", 0) == 0;
    EXPECT_EQ(reports, 2) << "each refused colour is reported";

    // Loading again starts from the defaults; a missing file is reported
    // and leaves them.
    platform::TranscriptClear();
    EXPECT_FALSE(style.Load(u"\\missing.ini"));
    EXPECT_EQ(style.FontFace(), u"");
    EXPECT_EQ(style.FontSize(), 14);
    EXPECT_EQ(style.MaxItemsPerRow(), 5);
    EXPECT_EQ(style.HotBackgroundColor(), Rgb(0x20, 0x20, 0x20));
    EXPECT_FALSE(platform::TranscriptLines().empty());
}

TEST_F(MenuTest, HugeMetricsAreBoundedAndTheLayoutStaysInOrder) {
    Menu& root = Make(480, u"[Metrics]\r\ndx = -2147483648\r\ndy = 2147483647\r\n"
                           u"ItemHeight = 2147483647\r\nFontSize = 2147483647\r\n"
                           u"HotFontSize = -2147483648\r\nStyle = 4\r\n");
    const MenuStyle& style = root.Style();
    EXPECT_EQ(style.Dx(), -MenuStyle::MaxMetric);
    EXPECT_EQ(style.Dy(), MenuStyle::MaxMetric);
    EXPECT_EQ(style.ItemHeight(), MenuStyle::MaxMetric);
    EXPECT_EQ(style.FontSize(), MenuStyle::MaxMetric);
    EXPECT_EQ(style.HotFontSize(), -MenuStyle::MaxMetric);
    Menu* c = BuildTree(root);
    root.OnKey(platform::vk::Return);
    root.OnKey(platform::vk::Right);
    root.OnKey(platform::vk::Right);
    root.OnKey(platform::vk::Return);
    ASSERT_TRUE(c->IsOpen());
    // One row of five: margin, row, margin again before the submenu.
    EXPECT_EQ(root.SubmenuOrigin(0), 3 * MenuStyle::MaxMetric);
    Drawn();
    root.OnTap(10, 10);
    EXPECT_FALSE(root.IsOpen()) << "a tap above the far-off rows closes the menu";
}

// Pictures for the documentation: an open menu with an open submenu in the
// default style and in style 2. Written when VELVANE_DOCS names a folder.
TEST_F(MenuTest, Snapshots) {
    const char* docs = std::getenv("VELVANE_DOCS");
    const std::pair<const char*, std::u16string> styles[] = {
        {"menu-style0.png", u""},
        {"menu-style2.png",
         u"[Metrics]\r\nStyle = 2\r\nItemHeight = 30\r\nFontSize = 15\r\nHotFontSize = 16\r\n"
         u"HotFontWeight = 700\r\n[Colors]\r\nBackground = DCE6F0\r\nFrame = 3C5A78\r\n"
         u"HotBackground = 004888\r\nHotFrame = 002850\r\n"},
    };
    for (const auto& [name, style] : styles) {
        Menu& root = Make(480, style.empty() ? u"" : u"" + style);
        for (const char16_t* label : {u"Speedo", u"Anzeige", u"Log", u"Overlays"})
            AddCounting(root, label);
        auto sub = std::make_unique<Menu>(root);
        for (const char16_t* label : {u"Konfig.", u"Menü", u"GPS", u"Beenden", u"Über"})
            AddCounting(*sub, label);
        sub->SetChecked(sub->Item(2), true);
        Menu* velvane = sub.get();
        root.AddSubmenu(u"Velvane", std::move(sub));
        root.OnKey(vk::Return);
        root.OnKey(vk::Left);
        root.OnKey(vk::Down);
        root.OnKey(vk::Right);
        ASSERT_TRUE(velvane->IsOpen());
        auto canvas = platform::Canvas::Create(480, 272);
        canvas->FillRect(Rect{0, 0, 480, 272}, Rgb(0x30, 0x30, 0x38));
        root.Draw(*canvas, 0, 0);
        const auto path = std::filesystem::path(docs ? docs : ::testing::TempDir()) / name;
        EXPECT_TRUE(canvas->SavePng(path)) << path;
    }
}

} // namespace
