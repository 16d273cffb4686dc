#include "IniCheck.h"

#include "app/ComponentFactory.h"
#include "app/MainSettings.h"
#include "app/MenuStyle.h"
#include "app/TachoModel.h"
#include "display/Screen.h"
#include "gps/GpsReceiver.h"
#include "ini/IniParser.h"
#include "platform/headless.h"
#include "platform/host.h"
#include "platform/messagebox.h"
#include "platform/text.h"
#include "platform/transcript.h"

namespace ceini {

namespace {

// Takes every section and key, so that only the form is judged.
class FormReader final : public velvane::IniParser {
public:
    bool OnAttribute(int, std::u16string_view, std::u16string_view) override { return true; }
    int OnSection(std::u16string_view) override { return FirstSectionId(); }
};

// The receiver opens its port once the file is read; that is no part of the
// file, so the port's own message is left out.
constexpr char16_t PortCaption[] = u"COM-Port kann nicht geöffnet werden:";

// One quoted transcript field after name=, unescaped.
std::string Field(const std::string& line, std::string_view name) {
    const std::string start = std::string(name) + "=\"";
    size_t at = line.find(start);
    if (at == std::string::npos)
        return {};
    std::string out;
    for (at += start.size(); at < line.size() && line[at] != '"'; ++at) {
        if (line[at] != '\\' || at + 1 == line.size()) {
            out += line[at];
            continue;
        }
        switch (line[++at]) {
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        default:
            out += line[at];
        }
    }
    return out;
}

// The program runs headless on the host's own file system: the device root is
// "/", so the host path is the device path.
void UseHostFiles(const std::filesystem::path& file) {
    platform::HostSettings host = platform::ReadHostSettings(u"\\Windows\\ceini.exe");
    host.root = "/";
    host.backend = platform::BackendKind::Headless;
    host.script.clear();
    host.transcript.clear();
    // The file itself stands in for the receiver: a source that opens quietly.
    host.ports = "COM*=replay:" + file.string();
    platform::Initialize(host);
}

// At most one report per line piece, and every piece holds at least one
// UTF-16 character or line end.
size_t MostReports(const std::filesystem::path& file) {
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    return error ? 1 : static_cast<size_t>(size / 2 + 1);
}

bool ReadWith(std::string_view kind, std::u16string_view path, CheckReport& /*report*/,
              std::string& why) {
    using namespace velvane;
    if (kind == "form")
        return FormReader().Load(path);
    if (kind == "main")
        return MainSettings().Load(path);
    if (kind == "menu")
        return MenuStyle().Load(path);
    if (kind == "gps")
        return GpsReceiver(nullptr).Load(path);
    const platform::HostSettings& host = platform::Host();
    Screen screen(nullptr, host.screenWidth, host.screenHeight);
    if (kind == "config")
        return TachoModel(nullptr, &screen).Load(path);
    const std::u16string name = platform::FromUtf8(kind);
    const ComponentClass* cls = FindComponentClass(name);
    if (!cls || name.empty()) {
        why =
            "\"" + std::string(kind) + "\" is not a kind of settings file; kinds: " + CheckKinds();
        return false;
    }
    auto entry = cls->CreateEntry(screen, nullptr);
    if (cls->kind == EntryKind::View)
        return entry->Activate() && entry->LoadIni(path);
    return entry->Activate(path);
}

} // namespace

std::optional<CheckReport> CheckSettingsFile(const std::filesystem::path& file,
                                             std::string_view kind, std::string& why) {
    const std::filesystem::path absolute = std::filesystem::absolute(file);
    UseHostFiles(absolute);
    // OK to every report, as a user reading them all would answer.
    for (size_t i = 0, n = MostReports(absolute); i < n; ++i)
        platform::headless::QueueMessageBoxAnswer(u"*", platform::IdOk);
    platform::TranscriptClear();
    CheckReport report;
    why.clear();
    report.read = ReadWith(kind, platform::FromUtf8(absolute.string()), report, why);
    platform::headless::ClearMessageBoxAnswers();
    if (!why.empty())
        return std::nullopt;
    for (const std::string& line : platform::TranscriptLines()) {
        if (line.rfind("messagebox ", 0) != 0)
            continue;
        const std::string caption = Field(line, "caption");
        if (caption == platform::ToUtf8(PortCaption))
            continue;
        std::string text = Field(line, "text");
        for (char& c : text)
            if (c == '\n')
                c = ' ';
        report.messages.push_back(caption + " " + text);
    }
    return report;
}

std::string CheckKinds() {
    std::string kinds = "form, main, gps, menu, config";
    for (const velvane::ComponentClass* cls : velvane::ComponentClasses())
        kinds += ", " + platform::ToUtf8(cls->sectionName);
    return kinds;
}

} // namespace ceini
