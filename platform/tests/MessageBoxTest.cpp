#include "platform/messagebox.h"
#include "platform/headless.h"
#include "platform/testing/temp_device.h"
#include "platform/transcript.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(MessageBox, UnansweredBoxesTakeCancelOrNoElseOk) {
    platform::testing::TempDevice device;
    EXPECT_EQ(MessageBox(nullptr, u"t", u"c", MessageBoxButtons::Ok, MessageBoxIcon::None), IdOk);
    EXPECT_EQ(MessageBox(nullptr, u"t", u"c", MessageBoxButtons::OkCancel, MessageBoxIcon::None),
              IdCancel);
    EXPECT_EQ(MessageBox(nullptr, u"t", u"c", MessageBoxButtons::YesNo, MessageBoxIcon::None),
              IdNo);
    EXPECT_EQ(MessageBox(nullptr, u"t", u"c", MessageBoxButtons::RetryCancel, MessageBoxIcon::None),
              IdCancel);
}

TEST(MessageBox, QueuedAnswersGoToTheBoxTheyName) {
    platform::testing::TempDevice device;
    headless::QueueMessageBoxAnswer(u"Beenden?", IdYes);
    headless::QueueMessageBoxAnswer(u"*", IdRetry);
    // The box that is not named takes the wildcard answer; Yes waits for its box.
    EXPECT_EQ(MessageBox(nullptr, u"x", u"Fehler beim Speichern", MessageBoxButtons::RetryCancel,
                         MessageBoxIcon::Error),
              IdRetry);
    EXPECT_EQ(MessageBox(nullptr, u"Wirklich\n\"beenden\"?", u"Beenden?", MessageBoxButtons::YesNo,
                         MessageBoxIcon::Question),
              IdYes);
    EXPECT_EQ(headless::PendingMessageBoxAnswers(), 0u);
    auto lines = TranscriptLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1],
              "messagebox caption=\"Beenden?\" text=\"Wirklich\\n\\\"beenden\\\"?\" buttons=YesNo "
              "icon=Question answer=Yes");
    // An answer the box does not offer is left for another box.
    headless::QueueMessageBoxAnswer(u"*", IdYes);
    EXPECT_EQ(MessageBox(nullptr, u"x", u"y", MessageBoxButtons::Ok, MessageBoxIcon::None), IdOk);
    EXPECT_EQ(headless::PendingMessageBoxAnswers(), 1u);
}
