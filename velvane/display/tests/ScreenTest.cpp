#include "display/Screen.h"
#include "display/StartView.h"

#include "platform/canvas.h"
#include "platform/testing/temp_device.h"
#include "platform/window.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace velvane;

namespace {

// Counts what reaches the window instead of touching one.
class CountingScreen : public Screen {
public:
    using Screen::Screen;
    int invalidations = 0;

protected:
    void InvalidateWindow() override { ++invalidations; }
};

// Writes its name to a shared journal for every call, answers input as told.
class Probe : public Drawable {
public:
    Probe(std::string name, std::vector<std::string>& journal, bool usesInput = false)
        : Drawable(1, 1), m_name(std::move(name)), m_journal(journal), m_usesInput(usesInput) {}
    void Draw(platform::Canvas&, int x, int y) override {
        m_journal.push_back(m_name + ".draw@" + std::to_string(x) + "," + std::to_string(y));
    }
    void Resize(int w, int h) override {
        Drawable::Resize(w, h);
        m_journal.push_back(m_name + ".resize");
    }
    bool OnKey(int key) override {
        m_journal.push_back(m_name + ".key" + std::to_string(key));
        return m_usesInput;
    }
    bool OnTap(int x, int y) override {
        m_journal.push_back(m_name + ".tap" + std::to_string(x) + "," + std::to_string(y));
        return m_usesInput;
    }

private:
    std::string m_name;
    std::vector<std::string>& m_journal;
    bool m_usesInput;
};

TEST(ScreenRedraw, RequestsBetweenTwoPaintsInvalidateOnce) {
    CountingScreen screen(nullptr, 480, 272);
    auto canvas = platform::Canvas::Create(480, 272);
    EXPECT_FALSE(screen.RedrawPending());
    screen.RequestRedraw();
    screen.RequestRedraw();
    EXPECT_EQ(screen.invalidations, 1);
    EXPECT_TRUE(screen.RedrawPending());

    screen.Draw(*canvas, 0, 0);
    EXPECT_FALSE(screen.RedrawPending());
    screen.RequestRedraw();
    EXPECT_EQ(screen.invalidations, 2);
}

TEST(ScreenRedraw, ChangingTheViewAsksForARedraw) {
    CountingScreen screen(nullptr, 480, 272);
    std::vector<std::string> journal;
    Probe view("view", journal);
    screen.SetView(&view);
    EXPECT_EQ(screen.invalidations, 1);
}

// The whole cycle through a real (headless) window: two component changes
// before the paint cost one paint, and the paint draws the screen.
class PaintCounter : public platform::WindowHandler {
public:
    Screen* screen = nullptr;
    int paints = 0;
    void OnPaint(platform::Window&, platform::Canvas& canvas) override {
        ++paints;
        screen->Draw(canvas, 0, 0);
    }
};

TEST(ScreenRedraw, TwoChangesBeforeThePaintCostOnePaint) {
    platform::testing::TempDevice device;
    PaintCounter handler;
    platform::WindowOptions options;
    options.className = u"Velvane";
    options.title = u"Velvane";
    options.rect = {0, 0, 240, 320};
    platform::Window* window = platform::Window::Create(options, handler);
    ASSERT_NE(window, nullptr);
    Screen screen(window, 240, 320);
    handler.screen = &screen;
    window->Update();
    const int before = handler.paints;

    screen.RequestRedraw();
    screen.RequestRedraw();
    window->Update();
    window->Update();
    EXPECT_EQ(handler.paints, before + 1);
    EXPECT_FALSE(screen.RedrawPending());

    // The frame is the start view: white with its frame 10 pixels inside.
    EXPECT_EQ(window->Surface().GetPixel(5, 5), platform::Rgb(255, 255, 255));
    EXPECT_EQ(window->Surface().GetPixel(10, 160), platform::Rgb(0, 0, 0));
    handler.screen = nullptr;
    window->Destroy();
}

TEST(ScreenDraw, ViewThenOverlaysThenLogsThenTopAtOneOrigin) {
    CountingScreen screen(nullptr, 480, 272);
    std::vector<std::string> journal;
    Probe view("view", journal), a("a", journal), b("b", journal), log("log", journal),
        menu("menu", journal);
    screen.SetView(&view);
    screen.SetTop(&menu);
    screen.AddLog(&log);
    screen.AddOverlay(&a);
    screen.AddOverlay(&b);
    auto canvas = platform::Canvas::Create(8, 8);
    screen.Draw(*canvas, 3, 4);
    EXPECT_EQ(journal, (std::vector<std::string>{"view.draw@3,4", "a.draw@3,4", "b.draw@3,4",
                                                 "log.draw@3,4", "menu.draw@3,4"}));
}

TEST(ScreenDraw, LaterObjectsPaintOverEarlierOnes) {
    CountingScreen screen(nullptr, 40, 30);
    struct Fill : Drawable {
        platform::Color color;
        platform::Rect rect;
        Fill(platform::Color c, platform::Rect r) : Drawable(40, 30), color(c), rect(r) {}
        void Draw(platform::Canvas& canvas, int x, int y) override {
            canvas.FillRect(rect.Offset(x, y), color);
        }
    };
    const auto red = platform::Rgb(255, 0, 0), blue = platform::Rgb(0, 0, 255);
    Fill view(red, {0, 0, 40, 30}), overlay(blue, {0, 0, 20, 30});
    screen.SetView(&view);
    screen.SetTop(nullptr);
    screen.AddOverlay(&overlay);
    auto canvas = platform::Canvas::Create(40, 30);
    screen.Draw(*canvas, 0, 0);
    EXPECT_EQ(canvas->GetPixel(5, 5), blue); // overlay over the view
    EXPECT_EQ(canvas->GetPixel(30, 5), red); // the view where no overlay is
}

TEST(ScreenInput, OverlaysInOrderThenTheViewLogsAndTopNeverAsked) {
    CountingScreen screen(nullptr, 480, 272);
    std::vector<std::string> journal;
    Probe view("view", journal, true), idle("idle", journal), busy("busy", journal, true),
        last("last", journal, true);
    Probe log("log", journal, true), menu("menu", journal, true);
    screen.SetView(&view);
    screen.SetTop(&menu);
    screen.AddLog(&log);
    screen.AddOverlay(&idle);
    screen.AddOverlay(&busy);
    screen.AddOverlay(&last);

    // The first overlay that uses the tap ends the search.
    EXPECT_TRUE(screen.OnTap(7, 9));
    EXPECT_EQ(journal, (std::vector<std::string>{"idle.tap7,9", "busy.tap7,9"}));

    journal.clear();
    screen.RemoveOverlay(&busy);
    screen.RemoveOverlay(&last);
    EXPECT_TRUE(screen.OnKey(13));
    EXPECT_EQ(journal, (std::vector<std::string>{"idle.key13", "view.key13"}));
}

TEST(ScreenInput, NobodyUsingTheInputReturnsFalse) {
    CountingScreen screen(nullptr, 480, 272);
    std::vector<std::string> journal;
    Probe view("view", journal), overlay("overlay", journal);
    screen.SetView(&view);
    screen.AddOverlay(&overlay);
    EXPECT_FALSE(screen.OnTap(1, 2));
    EXPECT_FALSE(screen.OnKey(37));
    // So the start view never swallows input meant for the menu.
    CountingScreen fresh(nullptr, 480, 272);
    EXPECT_FALSE(fresh.OnTap(100, 100));
    EXPECT_FALSE(fresh.OnKey(13));
}

TEST(ScreenLists, RemoveTakesEveryOccurrenceAndKeepsTheOrder) {
    CountingScreen screen(nullptr, 480, 272);
    std::vector<std::string> journal;
    Probe a("a", journal), b("b", journal), c("c", journal);
    screen.AddOverlay(&a);
    screen.AddOverlay(&b);
    screen.AddOverlay(&a);
    screen.AddOverlay(&c);
    screen.RemoveOverlay(&a);
    EXPECT_EQ(screen.Overlays(), (std::vector<Drawable*>{&b, &c}));
    screen.AddLog(&c);
    screen.AddLog(&c);
    screen.RemoveLog(&c);
    EXPECT_TRUE(screen.Logs().empty());
}

TEST(ScreenResize, StoresTheSizeAndResizesEverything) {
    CountingScreen screen(nullptr, 480, 272);
    std::vector<std::string> journal;
    Probe view("view", journal), overlay("overlay", journal), log("log", journal),
        menu("menu", journal);
    screen.SetView(&view);
    screen.SetTop(&menu);
    screen.AddOverlay(&overlay);
    screen.AddLog(&log);
    screen.Resize(320, 240);
    EXPECT_EQ(screen.Width(), 320);
    EXPECT_EQ(screen.Height(), 240);
    EXPECT_EQ(journal, (std::vector<std::string>{"menu.resize", "log.resize", "overlay.resize",
                                                 "view.resize"}));
    EXPECT_EQ(view.Width(), 320);
    EXPECT_EQ(overlay.Height(), 240);
}

TEST(ScreenStartView, DeletedOnceNeitherViewNorTopReferToIt) {
    std::vector<std::string> journal;
    Probe view("view", journal), menu("menu", journal);
    {
        CountingScreen screen(nullptr, 480, 272);
        Drawable* start = screen.StartViewIfAlive();
        ASSERT_NE(start, nullptr);
        EXPECT_EQ(screen.View(), start);
        EXPECT_EQ(screen.Top(), start);
        screen.SetView(&view); // the menu is not up yet: top still shows it
        EXPECT_NE(screen.StartViewIfAlive(), nullptr);
        screen.SetTop(&menu);
        EXPECT_EQ(screen.StartViewIfAlive(), nullptr);
    }
    {
        // The usual start-up order: menu first, then the chosen view.
        CountingScreen screen(nullptr, 480, 272);
        screen.SetTop(&menu);
        EXPECT_NE(screen.StartViewIfAlive(), nullptr);
        EXPECT_EQ(screen.View(), screen.StartViewIfAlive());
        screen.SetView(&view);
        EXPECT_EQ(screen.StartViewIfAlive(), nullptr);
    }
}

TEST(ScreenReset, EmptiesTheListsAndShowsAFreshStartView) {
    CountingScreen screen(nullptr, 480, 272);
    std::vector<std::string> journal;
    Probe view("view", journal), menu("menu", journal), overlay("overlay", journal),
        log("log", journal);
    screen.SetTop(&menu);
    screen.SetView(&view);
    screen.AddOverlay(&overlay);
    screen.AddLog(&log);
    auto canvas = platform::Canvas::Create(480, 272);
    screen.Draw(*canvas, 0, 0);

    screen.Reset();
    ASSERT_NE(screen.StartViewIfAlive(), nullptr);
    EXPECT_EQ(screen.View(), screen.StartViewIfAlive());
    EXPECT_EQ(screen.Top(), screen.StartViewIfAlive());
    EXPECT_TRUE(screen.Overlays().empty());
    EXPECT_TRUE(screen.Logs().empty());
    EXPECT_TRUE(screen.RedrawPending());

    // A second reset replaces the start view without leaving a dangling one.
    screen.Reset();
    EXPECT_EQ(screen.View(), screen.StartViewIfAlive());
    journal.clear();
    screen.Draw(*canvas, 0, 0);
    EXPECT_TRUE(journal.empty());
}

TEST(ScreenForget, ADeletedObjectIsNeverDrawnOrAskedAgain) {
    CountingScreen screen(nullptr, 480, 272);
    std::vector<std::string> journal;
    Probe view("view", journal, true), overlay("overlay", journal, true), menu("menu", journal);
    screen.SetTop(&menu);
    screen.SetView(&view);
    screen.AddOverlay(&overlay);
    screen.AddLog(&overlay);

    screen.Forget(&overlay);
    EXPECT_TRUE(screen.Overlays().empty());
    EXPECT_TRUE(screen.Logs().empty());

    // A forgotten current view gives way to the start view.
    screen.Forget(&view);
    ASSERT_NE(screen.StartViewIfAlive(), nullptr);
    EXPECT_EQ(screen.View(), screen.StartViewIfAlive());
    EXPECT_EQ(screen.Top(), &menu);
    auto canvas = platform::Canvas::Create(480, 272);
    journal.clear();
    screen.Draw(*canvas, 0, 0);
    EXPECT_FALSE(screen.OnTap(1, 1));
    EXPECT_EQ(journal, (std::vector<std::string>{"menu.draw@0,0"}));
}

} // namespace

TEST(ScreenInput, AnOverlayMayRemoveAndDeleteAnotherWhileTheInputGoesRound) {
    platform::testing::TempDevice device;
    CountingScreen screen(nullptr, 240, 320);
    std::vector<std::string> journal;
    auto victim = std::make_unique<Probe>("victim", journal);
    // Takes the other overlay off the screen and deletes it, as a splash or
    // a switched-off instance does, then lets the input go on.
    struct Remover : Probe {
        using Probe::Probe;
        Screen* screen = nullptr;
        std::unique_ptr<Probe>* victim = nullptr;
        bool OnKey(int key) override {
            Probe::OnKey(key);
            screen->RemoveOverlay(victim->get());
            victim->reset();
            return false;
        }
    } remover("remover", journal);
    remover.screen = &screen;
    remover.victim = &victim;
    screen.AddOverlay(&remover);
    screen.AddOverlay(victim.get());
    EXPECT_FALSE(screen.OnKey(13));
    EXPECT_EQ(journal, (std::vector<std::string>{"remover.key13"}));
}
