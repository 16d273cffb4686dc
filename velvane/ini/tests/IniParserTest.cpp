#include "ini/IniParser.h"
#include "ini/IniText.h"
#include "platform/error.h"
#include "platform/headless.h"
#include "platform/messagebox.h"
#include "platform/testing/temp_device.h"
#include "platform/testing/transcript_lines.h"
#include "platform/text.h"
#include "platform/transcript.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace velvane;
using platform::testing::MessageBoxes;
using platform::testing::TempDevice;
using platform::testing::Utf16File;

namespace {

std::u16string Num(int v) {
    return platform::FromUtf8(std::to_string(v));
}

// Records every callback; accepts the keys of section "Settings" listed in
// m_known, so tests can see both accepted and rejected attributes.
class Recorder : public IniParser {
public:
    std::vector<std::u16string> events;
    std::vector<std::u16string> known = {u"Size", u"Font", u"Color", u"X"};

    int OnSection(std::u16string_view name) override {
        events.push_back(u"[" + std::u16string(name) + u"]");
        if (KeywordMatch(u"Settings", name) == 0)
            return FirstSectionIdOfBase();
        if (KeywordMatch(u"Speedo", name) == 0)
            return FirstSectionIdOfBase() + 1;
        return IniParser::OnSection(name);
    }
    bool OnAttribute(int id, std::u16string_view key, std::u16string_view value) override {
        // The parser promises NUL terminators in place.
        EXPECT_EQ(key.data()[key.size()], 0);
        EXPECT_EQ(value.data()[value.size()], 0);
        events.push_back(Num(id) + u":" + std::u16string(key) + u"=" + std::u16string(value));
        for (const auto& k : known)
            if (key == k)
                return true;
        return false;
    }
    int FirstSectionId() override { return FirstSectionIdOfBase() + 2; }

private:
    int FirstSectionIdOfBase() { return IniParser::FirstSectionId(); }
};

// Message boxes seen so far, as "caption|text|answer".
struct Case {
    const char* name;
    std::u16string file; // body after the BOM
    std::vector<std::u16string> events;
};

} // namespace

TEST(IniParser, DispatchesSectionsAndAttributesByTheirRules) {
    const std::vector<Case> cases = {
        {"plain and spaced attributes",
         u"[Settings]\r\nSize=12\r\nSize = 12\r\nSize\t=\t12   \r\n",
         {u"[Settings]", u"1:Size=12", u"1:Size=12", u"1:Size=12"}},
        {"inner blanks stay, trailing go",
         u"[Settings]\nFont = Courier New \n",
         {u"[Settings]", u"1:Font=Courier New"}},
        {"bracket missing drops the last character", u"[Speedo\r\nX=1\r\n", {u"[Speed]", u"2:X=1"}},
        {"empty section name matches the first name tested", u"[]\nX=1\n", {u"[]", u"1:X=1"}},
        {"leading blank makes an attribute line",
         u"[Settings]\n  [Settings]=3\n",
         {u"[Settings]", u"1:[Settings]=3"}},
        {"comments and empty lines",
         u"#c\r\n'c\r\n(c\r\n/c\r\n;c\r\n\r\n[Settings]\r\n;X=2\r\n",
         {u"[Settings]"}},
        {"CR alone and LF alone end lines",
         u"[Settings]\rX=1\nSize=2\r",
         {u"[Settings]", u"1:X=1", u"1:Size=2"}},
        {"empty key", u"[Settings]\n= v\n", {u"[Settings]", u"1:=v"}},
        {"unknown section ignores its attributes",
         u"[Foo]\nX=1\n[Settings]\nX=2\n",
         {u"[Foo]", u"[Settings]", u"1:X=2"}},
        {"split failures never reach the reader",
         u"[Settings]\nTwo words = 1\nSize =\nSize\nSize =   \n",
         {u"[Settings]"}},
    };
    for (const auto& c : cases) {
        TempDevice device;
        device.Put(u"\\t.ini", Utf16File(c.file));
        Recorder r;
        EXPECT_TRUE(r.Load(u"\\t.ini")) << c.name;
        EXPECT_EQ(r.events, c.events) << c.name;
    }
}

TEST(IniParser, AnUnansweredReportTakesCancelAndSilencesTheFile) {
    TempDevice device;
    device.Put(u"\\t.ini",
               Utf16File(u"X=0\r\n[Settings]\r\nColr=FF0000\r\nTwo words = 1\r\n[Nope]\r\n"));
    Recorder r;
    ASSERT_TRUE(r.Load(u"\\t.ini"));
    auto boxes = MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0],
              "messagebox caption=\"IniParser - Ignoriere sektionsloses Attribut:\" "
              "text=\"Zeile 1:\\n\\\"X=0\\\"\" buttons=OkCancel icon=Exclamation answer=Cancel");
}

TEST(IniParser, OkKeepsReportingAndCancelSilencesOnlyThisFile) {
    TempDevice device;
    device.Put(
        u"\\t.ini",
        Utf16File(u"X=0\r\n[Settings]\r\nColr=FF0000\r\nTwo words = 1\r\n[Nope]\r\nSize=1\r\n"));
    for (int i = 0; i < 5; ++i)
        platform::headless::QueueMessageBoxAnswer(u"*", platform::IdOk);
    Recorder r;
    ASSERT_TRUE(r.Load(u"\\t.ini"));
    auto boxes = MessageBoxes();
    ASSERT_EQ(boxes.size(), 5u);
    EXPECT_NE(boxes[1].find("caption=\"IniParser - Ignoriere unbekanntes Attribut:\" "
                            "text=\"Zeile 3:\\n\\\"Colr FF0000\\\"\""),
              std::string::npos)
        << boxes[1];
    EXPECT_NE(boxes[2].find("caption=\"IniParser - Ignoriere Fehler:\" text=\"Zeile 4:"),
              std::string::npos);
    EXPECT_NE(
        boxes[3].find(
            "caption=\"IniParser - Ignoriere unbekannte Sektion:\" text=\"Zeile 5:\\n\\\"[Nope]"),
        std::string::npos);
    EXPECT_NE(boxes[4].find("sektionsloses Attribut:\" text=\"Zeile 6:"), std::string::npos);

    // Cancel on the first report: the rest of the file is still dispatched
    // but silently; the next file reports again.
    platform::TranscriptClear();
    platform::headless::ClearMessageBoxAnswers();
    device.Put(u"\\u.ini", Utf16File(u"[Nope]\r\n[Settings]\r\nQ=1\r\nSize=3\r\n"));
    Recorder silenced;
    ASSERT_TRUE(silenced.Load(u"\\u.ini"));
    EXPECT_EQ(MessageBoxes().size(), 1u);
    EXPECT_EQ(silenced.events.back(), u"1:Size=3");
    Recorder again;
    ASSERT_TRUE(again.Load(u"\\u.ini"));
    EXPECT_EQ(MessageBoxes().size(), 2u);
}

TEST(IniParser, RefusesMissingAndNonUnicodeFilesWithoutCallbacks) {
    TempDevice device;
    struct Bad {
        const char* name;
        std::string bytes; // empty name means: no file at all
        bool present;
        const char* caption;
    } cases[] = {
        {"missing", "", false, "Datei nicht gefunden:"},
        {"empty", "", true, "IniParser - Fehler"},
        {"one byte", "\xFF", true, "IniParser - Fehler"},
        {"ANSI text", "[Settings]\r\nX=1\r\n", true, "IniParser - Fehler"},
        {"big-endian mark", std::string("\xFE\xFF\0[", 4), true, "IniParser - Fehler"},
    };
    for (const auto& c : cases) {
        platform::TranscriptClear();
        if (c.present)
            device.Put(u"\\bad.ini", c.bytes);
        Recorder r;
        EXPECT_FALSE(r.Load(u"\\bad.ini")) << c.name;
        EXPECT_TRUE(r.events.empty()) << c.name;
        auto boxes = MessageBoxes();
        ASSERT_EQ(boxes.size(), 1u) << c.name;
        EXPECT_NE(boxes[0].find(std::string("caption=\"") + c.caption + "\""), std::string::npos)
            << boxes[0];
        if (c.present)
            EXPECT_NE(
                boxes[0].find(
                    "text=\"Die Datei ist leer oder nicht im Unicode Format:\\n\\\\bad.ini\""),
                std::string::npos)
                << boxes[0];
        else
            EXPECT_NE(boxes[0].find("text=\"\\\\bad.ini\" buttons=Ok icon=Error"),
                      std::string::npos)
                << boxes[0];
    }
    Recorder r;
    EXPECT_FALSE(r.Load(u""));
}

TEST(IniParser, OnlyRegularFilesAreOpenedAndTheReasonIsKept) {
    TempDevice device;
    device.Put(u"\\ok.ini", Utf16File(u"[Settings]\r\n"));
    device.Put(u"\\ansi.ini", "[Settings]\r\n");
    device.Put(u"\\Ordner.ini\\inside", "x");
    // A FIFO without a writer: opening it for reading would wait for ever.
    ASSERT_EQ(::mkfifo(device.HostPath(u"\\fifo.ini").c_str(), 0600), 0);
    struct Case {
        const char16_t* path;
        platform::ErrorCode reason;
        const char* box; // the part of the report that says why
    } cases[] = {
        {u"\\missing.ini", platform::ErrorCode::FileNotFound, "caption=\"Datei nicht gefunden:\""},
        {u"\\Nirgends\\x.ini", platform::ErrorCode::FileNotFound,
         "caption=\"Datei nicht gefunden:\""},
        {u"\\ansi.ini", platform::ErrorCode::InvalidData, "nicht im Unicode Format"},
        {u"\\fifo.ini", platform::ErrorCode::AccessDenied,
         "text=\"Die Datei ist keine normale Datei:\\n\\\\fifo.ini\""},
        {u"\\Ordner.ini", platform::ErrorCode::AccessDenied, "keine normale Datei"},
    };
    for (const auto& c : cases) {
        platform::TranscriptClear();
        Recorder r;
        EXPECT_FALSE(r.Load(c.path)) << platform::ToUtf8(c.path);
        EXPECT_EQ(platform::LastError().code, c.reason) << platform::ToUtf8(c.path);
        auto boxes = MessageBoxes();
        ASSERT_EQ(boxes.size(), 1u) << platform::ToUtf8(c.path);
        EXPECT_NE(boxes[0].find(c.box), std::string::npos) << boxes[0];
    }
    Recorder r;
    EXPECT_TRUE(r.Load(u"\\OK.INI")) << "names are found whatever their case";
}

TEST(IniParser, OnlyTheByteOrderMarkIsAnEmptyButValidFile) {
    TempDevice device;
    device.Put(u"\\t.ini", "\xFF\xFE");
    Recorder r;
    EXPECT_TRUE(r.Load(u"\\t.ini"));
    EXPECT_TRUE(r.events.empty());
    EXPECT_TRUE(MessageBoxes().empty());
}

TEST(IniParser, LongLinesAreCutInto259CharacterPieces) {
    TempDevice device;
    std::u16string longValue(300 - 2, u'a');
    device.Put(u"\\t.ini", Utf16File(u"[Settings]\r\nX=" + longValue + u"\r\nSize=5\r\n"));
    platform::headless::QueueMessageBoxAnswer(u"*", platform::IdOk);
    Recorder r;
    ASSERT_TRUE(r.Load(u"\\t.ini"));
    ASSERT_EQ(r.events.size(), 3u);
    EXPECT_EQ(r.events[1], u"1:X=" + std::u16string(257, u'a'));
    EXPECT_EQ(r.events[2], u"1:Size=5");
    // The 41-character rest is a line of its own without "=": reported as line 3.
    auto boxes = MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("Ignoriere Fehler:\" text=\"Zeile 3:\\n\\\"" + std::string(41, 'a') +
                            "\\\"\""),
              std::string::npos)
        << boxes[0];
}

TEST(IniParser, HostileBytesNeitherCrashNorStall) {
    TempDevice device;
    std::u16string huge = u"[Settings]\r\nX=";
    huge += std::u16string(100000, u'9');
    huge += u"\r\n";
    std::u16string nuls = u"[Settings]\r\nSize=1";
    nuls += u'\0';
    nuls += u"2\r\n";
    nuls += u'\0';
    nuls += u"X=3\r\n";
    std::u16string surrogates = u"[Settings]\r\nFont=";
    surrogates += static_cast<char16_t>(0xD800);
    surrogates += u"x";
    surrogates += static_cast<char16_t>(0xDFFF);
    surrogates += u"\r\n";
    struct {
        const char* name;
        std::string bytes;
        size_t minEvents;
    } cases[] = {
        {"100000-character line", Utf16File(huge), 2},
        {"odd byte count", Utf16File(u"[Settings]\r\nX=1\r\n") + "\x41", 2},
        {"odd byte count without newline", Utf16File(u"[Settings]\r\nX=1") + "\x41", 2},
        {"NUL characters", Utf16File(nuls), 2},
        {"invalid surrogates", Utf16File(surrogates), 2},
        {"lone open bracket", Utf16File(u"[\r\n[\r\n"), 2},
    };
    for (const auto& c : cases) {
        device.Put(u"\\t.ini", c.bytes);
        Recorder r;
        EXPECT_TRUE(r.Load(u"\\t.ini")) << c.name;
        EXPECT_GE(r.events.size(), c.minEvents) << c.name;
    }
}
