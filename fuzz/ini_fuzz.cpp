// Feeds arbitrary bytes to the INI parser as a settings file, and the same
// bytes as text to the value and path helpers. Readers accept or refuse
// attributes by the first byte so both report paths run.
#include "ini/IniParser.h"
#include "ini/IniPath.h"
#include "ini/IniText.h"
#include "platform/file.h"
#include "platform/headless.h"
#include "platform/host.h"
#include "platform/messagebox.h"
#include "platform/transcript.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

class Reader : public velvane::IniParser {
public:
    explicit Reader(uint8_t mode) : m_mode(mode) {}
    int OnSection(std::u16string_view name) override {
        if (velvane::KeywordMatch(u"Settings", name) == 0)
            return 1;
        return (m_mode & 1) ? 2 : 0;
    }
    bool OnAttribute(int, std::u16string_view key, std::u16string_view value) override {
        // Touch every character the parser hands out.
        for (char16_t c : key)
            m_sum += c;
        for (char16_t c : value)
            m_sum += c;
        m_sum += velvane::IniInteger(value) + velvane::IniColor(value) + velvane::IniBool(value);
        return (m_mode & 2) != 0;
    }
    unsigned m_sum = 0;

private:
    uint8_t m_mode;
};

void Setup() {
    static bool done = false;
    if (done)
        return;
    done = true;
    platform::HostSettings h;
    char templ[] = "/tmp/ini-fuzz-XXXXXX";
    h.root = mkdtemp(templ);
    h.programFile = u"\\Programme\\Velvane\\Velvane.exe";
    platform::Initialize(h);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Setup();
    uint8_t mode = size ? data[0] : 0;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    // Written directly: the atomic replace syncs to disk, far too slow here.
    if (FILE* f = std::fopen((platform::Host().root / "f.ini").c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    // Some reports answered OK so later lines report too.
    if (mode & 4)
        for (int i = 0; i < 8; ++i)
            platform::headless::QueueMessageBoxAnswer(u"*", platform::IdOk);
    Reader reader(mode);
    reader.Load(u"\\f.ini");
    platform::headless::ClearMessageBoxAnswers();
    platform::TranscriptClear();

    std::u16string text(size / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
    std::u16string_view half(text.data(), text.size() / 2);
    std::u16string_view rest(text.data() + half.size(), text.size() - half.size());
    velvane::JoinPath(half, rest);
    velvane::RelativePath(half, rest);
    velvane::KeywordMatch(u"BufferSize", half);
    velvane::FileNamePart(text);
    velvane::ExtensionPart(text);
    return 0;
}
