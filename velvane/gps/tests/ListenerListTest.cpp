#include "gps/SpeedSource.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace velvane;

namespace {

const std::string Vtg = "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48\r\n";

// A speed listener that logs its name and then does whatever the test asks.
struct Actor : SpeedListener {
    Actor(std::string n, std::vector<std::string>& log) : name(std::move(n)), log(log) {}
    void OnSpeed(int32_t) override {
        log.push_back(name);
        if (action)
            action();
    }
    std::string name;
    std::vector<std::string>& log;
    std::function<void()> action;
};

TEST(ListenerFanOut, ListenersChangingTheListWhileNotified) {
    std::vector<std::string> log;
    auto source = SpeedSource::Create(0);
    Actor a("a", log), b("b", log), c("c", log), d("d", log);
    source->AddListener(&a);
    source->AddListener(&b);
    source->AddListener(&c);

    // a removes itself; b removes c before c is reached; both add d.
    a.action = [&] { source->RemoveListener(&a); };
    b.action = [&] {
        source->RemoveListener(&c);
        source->AddListener(&d, ListPosition::Front);
        source->AddListener(&d);
    };
    source->OnVTG(Vtg);
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b"})) << "newcomers wait for the next sentence";
    EXPECT_EQ(source->ListenerCount(), 3u);

    log.clear();
    a.action = nullptr;
    b.action = nullptr;
    source->OnVTG(Vtg);
    EXPECT_EQ(log, (std::vector<std::string>{"d", "b", "d"}));

    // Removal takes every registration.
    log.clear();
    source->RemoveListener(&d);
    source->OnVTG(Vtg);
    EXPECT_EQ(log, (std::vector<std::string>{"b"}));
}

TEST(ListenerFanOut, ListenerDeletingTheSourceStopsTheFanOut) {
    std::vector<std::string> log;
    auto source = SpeedSource::Create(0);
    Actor a("a", log), b("b", log);
    source->AddListener(&a);
    source->AddListener(&b);
    a.action = [&] { source.reset(); };
    SpeedSource* raw = source.get();
    raw->OnVTG(Vtg);
    EXPECT_EQ(source, nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"a"}));
}

TEST(ListenerFanOut, NestedNotificationsStayInOrder) {
    std::vector<std::string> log;
    auto source = SpeedSource::Create(0);
    Actor a("a", log), b("b", log);
    source->AddListener(&a);
    source->AddListener(&b);
    int depth = 0;
    a.action = [&] {
        if (depth++ == 0) {
            source->RemoveListener(&b);
            source->OnVTG(Vtg);
        }
    };
    source->OnVTG(Vtg);
    EXPECT_EQ(log, (std::vector<std::string>{"a", "a"}));
}

} // namespace
