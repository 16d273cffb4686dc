// The overlays that show one text: compass points, satellite counts, a raw
// sentence field, the clock and a fixed text, each fed sentences directly.
#include "instruments/Clock.h"
#include "instruments/Compass.h"
#include "instruments/CustomText.h"
#include "instruments/SatCount.h"
#include "instruments/UniversalGps.h"

#include "display/Screen.h"
#include "gps/ValueSources.h"

#include "platform/canvas.h"
#include "platform/clock.h"
#include "platform/headless.h"
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

// Records registrations, as the model's sentence list would hold them.
class SentenceSources : public ValueSources {
public:
    void AddSpeedListener(SpeedListener*) override { ++others; }
    void RemoveSpeedListener(SpeedListener*) override { ++others; }
    void AddAltitudeListener(AltitudeListener*) override { ++others; }
    void RemoveAltitudeListener(AltitudeListener*) override { ++others; }
    void AddPositionListener(PositionListener*) override { ++others; }
    void RemovePositionListener(PositionListener*) override { ++others; }
    void AddSentenceListener(SentenceListener* l) override { sentences.push_back(l); }
    void RemoveSentenceListener(SentenceListener* l) override { std::erase(sentences, l); }

    std::vector<SentenceListener*> sentences;
    int others = 0;
};

class TextOverlaysTest : public ::testing::Test {
protected:
    // What FormatText writes with the default buffer.
    static std::u16string Shown(TextOverlay& overlay, int capacity = 32) {
        std::u16string buffer(static_cast<size_t>(capacity), u'\0');
        const int n = overlay.FormatText(buffer.data(), capacity);
        return buffer.substr(0, static_cast<size_t>(n));
    }
    // Draws the screen, which clears its pending redraw.
    void Settle() {
        auto canvas = platform::Canvas::Create(1, 1);
        m_screen.Draw(*canvas, 0, 0);
    }

    TempDevice m_device;
    Screen m_screen{nullptr, 480, 272};
};

// Clock settings recorded so far.
std::vector<std::string> SetTimes() {
    std::vector<std::string> out;
    for (const std::string& line : platform::TranscriptLines())
        if (line.rfind("settime", 0) == 0)
            out.push_back(line);
    return out;
}

std::string Vtg(const std::string& course) {
    return "$GPVTG," + course + ",T,034.4,M,005.5,N,010.2,K*48\r\n";
}

TEST_F(TextOverlaysTest, CompassSectors) {
    Compass compass(m_screen, 480, 272);
    EXPECT_EQ(Shown(compass), u"?") << "no VTG yet";
    const struct {
        const char* course;
        const char16_t* shown;
    } cases[] = {
        {"0", u"N"},     {"11.9", u"N"},   {"12.0", u"NNE"}, {"33", u"NNE"},  {"34", u"NE"},
        {"56", u"NE"},   {"57", u"ENE"},   {"79", u"E"},     {"101", u"E"},   {"102", u"ESE"},
        {"124", u"SE"},  {"147", u"SSE"},  {"168", u"SSE"},  {"169", u"S"},   {"191", u"S"},
        {"192", u"SSW"}, {"214", u"SW"},   {"237", u"WSW"},  {"259", u"W"},   {"281", u"W"},
        {"282", u"WNW"}, {"304", u"NW"},   {"327", u"NNW"},  {"348", u"NNW"}, {"349", u"N"},
        {"359.9", u"N"}, {"360", u"N"},    {"371", u"N"},    {"372", u"NNE"}, {"", u"?"},
        {"abc", u"?"},   {"054.7", u"NE"},
    };
    for (const auto& c : cases) {
        compass.OnVTG(Vtg(c.course));
        EXPECT_EQ(Shown(compass), c.shown) << "course \"" << c.course << "\"";
    }
    compass.OnVTG("$GPVTG\r\n");
    EXPECT_EQ(Shown(compass), u"?") << "a sentence without the field";
    // Cut to the buffer: the capacity is the length.
    compass.OnVTG(Vtg("20"));
    EXPECT_EQ(Shown(compass, 2), u"NN");
}

TEST_F(TextOverlaysTest, CompassRedrawsOnlyWhenTheValueChanges) {
    Compass compass(m_screen, 480, 272);
    Settle();
    compass.OnVTG(Vtg("100"));
    EXPECT_TRUE(m_screen.RedrawPending());
    Settle();
    compass.OnVTG(Vtg("100.9"));
    EXPECT_FALSE(m_screen.RedrawPending()) << "same whole degree";
    compass.OnVTG(Vtg("95"));
    EXPECT_TRUE(m_screen.RedrawPending()) << "same sector, new value";
    EXPECT_EQ(compass.Value(), 106);
    // Only VTG counts.
    Settle();
    compass.OnRMC("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,300.0,230394,003.1,W*6A\r\n");
    EXPECT_FALSE(m_screen.RedrawPending());
}

TEST_F(TextOverlaysTest, SatCountTexts) {
    SatCount sats(m_screen, 480, 272);
    EXPECT_EQ(Shown(sats), u"-Sats");
    sats.OnGSV("$GPGSV,2,1,11,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45*75\r\n");
    EXPECT_EQ(Shown(sats), u"-/11Sats");
    sats.OnGGA("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n");
    EXPECT_EQ(Shown(sats), u"8/11Sats");
    sats.OnGSV("$GPGSV,1,1,,*75\r\n");
    EXPECT_EQ(Shown(sats), u"8Sats");
    sats.OnGGA("$GPGGA,123519,,,,,0,,,,,,,,*47\r\n");
    EXPECT_EQ(Shown(sats), u"-Sats");

    // A reload keeps the counts; a repeated count asks for no redraw.
    sats.OnGGA("$GPGGA,123519,4807.038,N,01131.000,E,1,12,0.9,545.4,M,46.9,M,,*47\r\n");
    m_device.Put(u"\\s.ini", Utf16File(u"[Settings]\r\nSize = 20\r\n"));
    EXPECT_TRUE(sats.Load(u"\\s.ini"));
    EXPECT_EQ(Shown(sats), u"12Sats");
    Settle();
    sats.OnGGA("$GPGGA,123520,4807.038,N,01131.000,E,1,12,1.9,545.4,M,46.9,M,,*47\r\n");
    EXPECT_FALSE(m_screen.RedrawPending());
}

TEST_F(TextOverlaysTest, UniversalGpsShowsTheChosenField) {
    const std::string gga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,512.3,M,46.9,M,,*47\r\n";
    UniversalGps info(m_screen, 480, 272);
    m_device.Put(
        u"\\u.ini",
        Utf16File(u"[Settings]\r\nX = 5\r\n[GPS-Info]\r\nSentence = GPGGA\r\nIndex = 9\r\n"));
    ASSERT_TRUE(info.Load(u"\\u.ini"));
    EXPECT_EQ(Shown(info), u"---") << "nothing matched yet";
    info.OnRMC("$GPRMC,1,2,3,4,5,6,7,8,9,10*00\r\n");
    EXPECT_EQ(Shown(info), u"---") << "not the chosen sentence";
    info.OnGGA(gga);
    EXPECT_EQ(Shown(info), u"512.3");
    // The last field keeps its checksum and line end.
    m_device.Put(u"\\last.ini", Utf16File(u"[GPS-Info]\r\nIndex = 14\r\n"));
    ASSERT_TRUE(info.Load(u"\\last.ini"));
    EXPECT_EQ(info.Type(), UniversalGps::Sentence::GGA) << "kept from the first file";
    info.OnGGA(gga);
    EXPECT_EQ(Shown(info), u"*47\r\n");

    // A named sentence; without an index it shows Index?.
    UniversalGps named(m_screen, 480, 272);
    m_device.Put(u"\\p.ini", Utf16File(u"[GPS-Info]\r\nSentence = $PGRME\r\n"));
    ASSERT_TRUE(named.Load(u"\\p.ini"));
    named.OnOther("$PGRMZ,93,f,3*21\r\n");
    EXPECT_EQ(Shown(named), u"---");
    named.OnOther("$PGRME,15.0,M,45.0,M,25.0,M*1C\r\n");
    EXPECT_EQ(Shown(named), u"Index?");
    m_device.Put(u"\\p1.ini", Utf16File(u"[GPS-Info]\r\nSentence = xPGRME\r\nIndex = 1\r\n"));
    ASSERT_TRUE(named.Load(u"\\p1.ini"));
    named.OnOther("$PGRME,15.0,M,45.0,M,25.0,M*1C\r\n");
    EXPECT_EQ(Shown(named), u"15.0") << "the first byte is not compared";
    named.OnOther("$PGRM");
    EXPECT_EQ(Shown(named), u"15.0") << "a line shorter than the name";

    // A name with no place in the code page: the message, and nothing matches.
    platform::TranscriptClear();
    m_device.Put(u"\\bad.ini", Utf16File(u"[GPS-Info]\r\nSentence = $P\u4E2D\r\nIndex = 1\r\n"));
    ASSERT_TRUE(named.Load(u"\\bad.ini"));
    auto boxes = MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("Die im UniversalGPS-Overlay angegebene NMEA-Zeile kann nicht "
                            "konvertiert werden."),
              std::string::npos)
        << boxes[0];
    EXPECT_NE(boxes[0].find("caption=\"Fehler\""), std::string::npos) << boxes[0];
    EXPECT_TRUE(named.CustomName().empty());
    named.OnOther("$PGRME,99,M*1C\r\n");
    EXPECT_EQ(Shown(named), u"15.0");
}

TEST_F(TextOverlaysTest, ClockPictures) {
    platform::SystemTime t;
    t.year = 2026, t.month = 12, t.day = 9, t.hour = 7, t.minute = 5, t.second = 3;
    const struct {
        const char16_t* picture;
        const char16_t* shown;
    } cases[] = {
        {u"HH':'mm':'ss", u"07:05:03"}, {u"HH':'mm", u"07:05"},    {u"H:m:s", u"7:5:3"},
        {u"hh' Uhr 'tt", u"07 Uhr AM"}, {u"'It''s 'H", u"It's 7"}, {u"'open", u"open"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Clock::FormatTime(t, c.picture), c.shown)
            << platform::QuoteForTranscript(c.picture);
    t.hour = 0;
    EXPECT_EQ(Clock::FormatTime(t, u"h t"), u"12 A");
    t.hour = 23;
    EXPECT_EQ(Clock::FormatTime(t, u"hh tt"), u"11 PM");
}

TEST_F(TextOverlaysTest, ClockSetsTheDeviceTimeOnceFromGps) {
    SentenceSources sources;
    ComponentEntryOf<Clock> entry(m_screen, &sources, Clock::Class);
    m_device.Put(u"\\plain.ini", Utf16File(u"[Clock]\r\nFormat = HH':'mm\r\n"));
    ASSERT_TRUE(entry.Activate(u"\\plain.ini"));
    EXPECT_TRUE(sources.sentences.empty()) << "without SetSystemTime it hears no sentences";
    EXPECT_EQ(entry.Instance()->Format(), u"HH':'mm");
    entry.Deactivate();

    m_device.Put(u"\\set.ini", Utf16File(u"[Clock]\r\nSetSystemTime = y\r\n"));
    ASSERT_TRUE(entry.Activate(u"\\set.ini"));
    Clock& clock = *entry.Instance();
    ASSERT_EQ(sources.sentences.size(), 1u);
    EXPECT_EQ(sources.sentences[0], static_cast<SentenceListener*>(&clock));
    EXPECT_EQ(clock.Format(), Clock::DefaultFormat);

    const platform::SystemTime before = platform::GetSystemTime();
    platform::TranscriptClear();
    for (const char* bad : {"$GPGGA,235960,,,,,0*47\r\n", "$GPGGA,246000,,,,,0*47\r\n",
                            "$GPGGA,,,,,,0*47\r\n", "$GPGGA,12*47\r\n", "$GPGGA,1a3456*47\r\n"})
        clock.OnGGA(bad);
    EXPECT_FALSE(clock.TimeSet());
    EXPECT_TRUE(SetTimes().empty()) << SetTimes()[0];

    clock.OnGGA("$GPGGA,000000.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n");
    EXPECT_TRUE(clock.TimeSet());
    platform::SystemTime now = platform::GetSystemTime();
    EXPECT_EQ(now.hour, 0);
    EXPECT_EQ(now.minute, 0);
    EXPECT_LE(now.second, 1);
    EXPECT_EQ(now.day, before.day) << "the date stays the device's";
    EXPECT_EQ(now.month, before.month);

    // Once only, also across a reload of the settings.
    ASSERT_TRUE(entry.LoadIni(u"\\set.ini"));
    clock.OnGGA("$GPGGA,123456,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n");
    now = platform::GetSystemTime();
    EXPECT_EQ(now.hour, 0);
    ASSERT_EQ(SetTimes().size(), 1u);
    EXPECT_NE(SetTimes()[0].find("T00:00:00"), std::string::npos) << SetTimes()[0];

    entry.Deactivate();
    EXPECT_TRUE(sources.sentences.empty());
}

TEST_F(TextOverlaysTest, CustomTextFromItsSection) {
    CustomText text(m_screen, 480, 272);
    m_device.Put(u"\\t.ini", Utf16File(u"[Settings]\r\nBufferSize = 64\r\n[Text]\r\nText = "
                                       u"Gute Fahrt\\nTempo 100\r\n"));
    ASSERT_TRUE(text.Load(u"\\t.ini"));
    EXPECT_EQ(Shown(text, 64), u"Gute Fahrt\nTempo 100");
    m_device.Put(u"\\e.ini", Utf16File(u"[Text]\r\n"));
    ASSERT_TRUE(text.Load(u"\\e.ini"));
    EXPECT_EQ(Shown(text), u"") << "cleared before every load";

    platform::TranscriptClear();
    m_device.Put(u"\\u.ini", Utf16File(u"[Text]\r\nColour = x\r\n"));
    text.Load(u"\\u.ini");
    EXPECT_EQ(MessageBoxes().size(), 1u) << "an unknown key is reported";
}

// None of these take taps: a tap on their text goes on to the menu.
TEST_F(TextOverlaysTest, TextOverlaysLeaveTapsAlone) {
    Compass compass(m_screen, 480, 272);
    SatCount sats(m_screen, 480, 272);
    CustomText text(m_screen, 480, 272);
    for (Drawable* d : std::initializer_list<Drawable*>{&compass, &sats, &text})
        EXPECT_FALSE(d->OnTap(12, 12));
}

} // namespace
