#include "platform/lifetime.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct Owner {
    platform::Lifetime life;
};

TEST(Lifetime, AWatchSeesTheOwnerGoInsideNestedCalls) {
    auto owner = std::make_unique<Owner>();
    platform::Lifetime::Watch outer(owner->life);
    bool innerEnded = false;
    {
        platform::Lifetime::Watch inner(owner->life);
        EXPECT_TRUE(owner->life.Watched());
        owner.reset(); // deleted by the callback
        innerEnded = inner.Ended();
    }
    EXPECT_TRUE(innerEnded);
    EXPECT_TRUE(outer.Ended());
}

TEST(Lifetime, WatchesThatEndNormallyLeaveTheOwnerUnwatched) {
    Owner owner;
    {
        platform::Lifetime::Watch outer(owner.life);
        {
            platform::Lifetime::Watch inner(owner.life);
            EXPECT_FALSE(inner.Ended());
        }
        EXPECT_TRUE(owner.life.Watched());
        EXPECT_FALSE(outer.Ended());
    }
    EXPECT_FALSE(owner.life.Watched());
}

} // namespace
