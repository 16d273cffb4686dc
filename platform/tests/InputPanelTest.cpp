#include "platform/inputpanel.h"
#include "platform/error.h"
#include "platform/testing/temp_device.h"
#include "platform/transcript.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

using namespace platform;

namespace {

void UseKeyboardCommand(const std::string& command) {
    HostSettings host = Host();
    host.keyboardCommand = command;
    Initialize(host);
    TranscriptClear();
}

} // namespace

TEST(InputPanel, AbsentWithoutAKeyboardCommand) {
    platform::testing::TempDevice device;
    EXPECT_FALSE(InputPanelAvailable());
    InputPanelInfo info;
    EXPECT_FALSE(GetInputPanelInfo(info));
    EXPECT_EQ(LastError().code, ErrorCode::NotSupported);
    EXPECT_FALSE(ShowInputPanel(true));
    EXPECT_TRUE(TranscriptLines().empty());
}

TEST(InputPanel, ShowAndHideRunTheCommandAndKeepTheState) {
    platform::testing::TempDevice device;
    const auto log = device.Root() / "keyboard.log";
    UseKeyboardCommand("echo >>'" + log.string() + "'");
    ASSERT_TRUE(InputPanelAvailable());
    InputPanelInfo info;
    ASSERT_TRUE(GetInputPanelInfo(info));
    EXPECT_EQ(info.flags & InputPanelFlag::On, 0u) << "hidden at start";
    ASSERT_TRUE(ShowInputPanel(true));
    ASSERT_TRUE(GetInputPanelInfo(info));
    EXPECT_EQ(info.flags & InputPanelFlag::On, InputPanelFlag::On);
    ASSERT_TRUE(ShowInputPanel(false));
    ASSERT_TRUE(GetInputPanelInfo(info));
    EXPECT_EQ(info.flags & InputPanelFlag::On, 0u);
    std::ifstream in(log);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "show\nhide\n");
    EXPECT_EQ(TranscriptLines(), (std::vector<std::string>{"inputpanel show", "inputpanel hide"}));
}

TEST(InputPanel, AFailingCommandLeavesTheStateAndSaysWhy) {
    platform::testing::TempDevice device;
    UseKeyboardCommand("exit 3;");
    EXPECT_FALSE(ShowInputPanel(true));
    EXPECT_NE(LastError().message.find("exited with 3"), std::string::npos) << LastError().message;
    InputPanelInfo info;
    ASSERT_TRUE(GetInputPanelInfo(info));
    EXPECT_EQ(info.flags & InputPanelFlag::On, 0u);
}
