#include "startup/StartUp.h"
#include "control/DeviceSettings.h"
#include "control/KeyMacro.h"
#include "control/MemoryDivision.h"
#include "control/Navigator.h"
#include "control/RegistryOptions.h"
#include "dialog/LokaroDialog.h"
#include "files/FileCopy.h"
#include "files/TextFile.h"

#include "platform/desktop.h"
#include "platform/dialog.h"
#include "platform/file.h"
#include "platform/input.h"
#include "platform/window.h"

#include <cstdio>

namespace lokaro {

namespace {

constexpr size_t ScriptLineLimit = 255;
// Another program's entry window, raised instead of opening a second one.
constexpr std::u16string_view OtherInstanceClass = u"someClass";
constexpr std::u16string_view RouteFlag = u"Lokaro_Route";

bool isSet(int bits, int bit) {
    return bits != -1 && (bits & (1 << bit)) != 0;
}

// "key path,value name" or a bare value name under lokaro's own key.
std::pair<std::u16string, std::u16string> flagName(std::u16string_view part) {
    const size_t comma = part.rfind(u',');
    if (comma == std::u16string_view::npos)
        return {std::u16string(LokaroKey), std::u16string(part)};
    return {std::u16string(part.substr(0, comma)), std::u16string(part.substr(comma + 1))};
}

} // namespace

ScriptSettings readScript() {
    ScriptReader reader(DefaultNavigatorPath);
    std::u16string path = platform::ProgramDirectory() + u"lokaro.cfg";
    if (auto file = TextFileReader::Open(path)) {
        std::u16string line;
        while (file->ReadLine(line, ScriptLineLimit))
            reader.readLine(line);
    }
    return reader.settings();
}

std::u16string routeFolderOf(std::u16string_view path, bool isFile) {
    if (isFile) {
        const size_t cut = path.find_last_of(u"\\/");
        return cut == std::u16string_view::npos ? std::u16string(u"\\")
                                                : std::u16string(path.substr(0, cut + 1));
    }
    std::u16string folder(path);
    if (folder.empty() || folder.back() != u'\\')
        folder += u'\\';
    return folder;
}

StartUp::StartUp(ScriptSettings script, ParameterSet parameters)
    : m_script(std::move(script)), m_params(std::move(parameters)) {
    const ParameterSet& p = m_params;
    m_screen = {p.x, p.y, p.w, p.h, p.r, p.g, p.b, p.rb, p.gb, p.bb, p.t, p.d};
    for (const std::string& message : p.refused)
        std::fprintf(stderr, "%s\n", message.c_str());
}

void StartUp::arm(int lklicksonBit) {
    if (isSet(m_params.lklickson, lklicksonBit))
        m_sequence = true;
}

void StartUp::enterRoute() {
    if (!m_params.route)
        return;
    m_routeMode = true;
    const std::u16string& route = *m_params.route;
    const bool isFile = platform::FileExists(route) && !platform::DirectoryExists(route);
    if (isFile) {
        m_routes.setRouteFile(route);
        setFlag(FlagKey, RouteFlag, FlagMode::Set);
        m_routes.writeRouteState(0);
    }
    m_routeFolder = routeFolderOf(route, isFile);
}

void StartUp::stepDeviceValues() {
    StepSettings settings;
    settings.wrapOverride = m_params.l;
    settings.x = m_params.x;
    settings.y = m_params.y;
    settings.show = [this](std::u16string_view text) { showOsd(text, m_screen); };
    if (!m_params.backlight.empty()) {
        stepValue(BacklightKey, u"ACBrightness", m_params.backlight, 1, 8, Wrap::No, settings);
        if (m_params.window == -1)
            m_params.window = 0;
    }
    if (!m_params.notunnels.empty()) {
        const int value = stepValue(RouteOptionsKey, u"DontUseTunnels", m_params.notunnels, 0, 1,
                                    Wrap::Yes, settings);
        if (m_params.window == -1)
            m_params.window = 0;
        setFlag(FlagKey, u"Lokaro_Tunnels", value != 0 ? FlagMode::Set : FlagMode::Remove);
        setFlag(FlagKey, u"Lokaro_NoTunnels", value != 0 ? FlagMode::Remove : FlagMode::Set);
        arm(2);
    }
}

bool StartUp::handOverDestination() {
    if (!m_params.gotoFile) {
        const std::u16string ready = platform::ProgramDirectory() + u"target.3na";
        if (platform::FileExists(ready))
            m_params.gotoFile = ready;
    }
    if (m_params.lklick != -1 && m_params.window == 0)
        m_tapAfterStart = true;
    if (!m_params.gotoFile)
        return true;
    if (!copyTextFile(*m_params.gotoFile, DestinationFile)) {
        m_outputFile = m_params.gotoFile;
        return true;
    }
    if (m_script.navigatorPath.empty())
        return false;
    if (startNavigator(m_script.navigatorPath)) {
        if (m_params.window == -1)
            m_params.window = 0;
        m_tapAfterStart = true;
    }
    return true;
}

void StartUp::endRoute() {
    if (!m_routeMode || *m_params.route != u"*")
        return;
    platform::DeleteFile(DestinationFile);
    setFlag(FlagKey, RouteFlag, FlagMode::Remove);
    m_routes.deleteRouteState();
    m_routeMode = false;
    m_tapAfterStart = true;
}

void StartUp::nextStop() {
    if (!m_routeMode || m_params.window != 0)
        return;
    m_tapAfterStart = false;
    if (!platform::FileExists(RouteStateFile))
        return;
    const int index = m_routes.readRouteState();
    if (m_routes.loadRecord(m_routes.routeFile(), index + 1, RouteFiles::State::Write)) {
        m_routes.writeDestinationFromRecord();
        if (startNavigator(m_script.navigatorPath))
            m_tapAfterStart = true;
        return;
    }
    platform::DeleteFile(DestinationFile);
    platform::Beep();
    setFlag(FlagKey, RouteFlag, FlagMode::Remove);
    m_routes.deleteRouteState();
    arm(0);
}

void StartUp::fileActions() {
    startExplorer(m_params.explorer);
    switchTask(m_params.taskmanager);
    if (m_params.copy)
        copyWithMode(m_params.copy->from, m_params.copy->to, m_params.copy->mode);
    if (m_params.deleteFile)
        platform::DeleteFile(*m_params.deleteFile);
    setTaskBar(m_params.taskbar, m_screen);
}

void StartUp::flagActions() {
    if (m_params.sonnenbrille != -1) {
        const int result =
            setFlag(FlagKey, u"Lokaro_Sonnenbrille", static_cast<FlagMode>(m_params.sonnenbrille));
        setFlag(FlagKey, u"Lokaro_NoSonnenbrille", result == 0 ? FlagMode::Set : FlagMode::Remove);
        arm(1);
    }
    if (m_params.regkeymode != -1 && !m_params.regkey.empty()) {
        std::u16string_view text = m_params.regkey;
        const size_t bar = text.rfind(u'|');
        const auto first = flagName(text.substr(0, bar));
        const int result =
            setFlag(first.first, first.second, static_cast<FlagMode>(m_params.regkeymode));
        if (bar != std::u16string_view::npos) {
            const auto second = flagName(text.substr(bar + 1));
            setFlag(second.first, second.second, result == 0 ? FlagMode::Set : FlagMode::Remove);
        }
        arm(3);
    }
    if (m_params.roregkeys != -1 &&
        applyRouteOptions(static_cast<uint32_t>(m_params.roregkeys), m_params.lklickson))
        m_sequence = true;
    setInputPanel(m_params.sip);
}

bool StartUp::raiseOtherInstance() {
    const platform::WindowHandle other = platform::FindTopLevelWindow(OtherInstanceClass);
    if (!other)
        return false;
    platform::SetForegroundWindow(other);
    return true;
}

int StartUp::runDialog() {
    DialogSettings settings;
    settings.telephoneLayout = m_script.telephoneLayout;
    settings.window = m_params.window;
    settings.routeMode = m_routeMode;
    settings.routeFolder = m_routeFolder;
    settings.outputFile = m_outputFile;
    settings.navigatorPath = m_script.navigatorPath;
    settings.tourGenerator = m_script.tourGenerator;
    platform::RegisterDialogClass(DialogClass, IconId);
    LokaroDialog dialog(settings, m_routes);
    const int result = dialog.run();
    if (dialog.navigatorStarted())
        m_tapAfterStart = true;
    return result;
}

void StartUp::runTapSequence() {
    const auto tapStep = [this](const TapStep& step) {
        tap(step.delay, step.x, step.y, {}, m_screen);
    };
    for (int i = 0; i < 3; ++i)
        tapStep(m_params.taps[i]);
    if (!m_params.sendkey.empty())
        runKeyMacro(m_params.sendkey, m_screen, m_script.navigatorPath);
    for (int i = 3; i < 6; ++i)
        tapStep(m_params.taps[i]);
}

int StartUp::run() {
    enterRoute();
    if (m_params.sleep0 > 0)
        platform::Sleep(static_cast<uint32_t>(m_params.sleep0));
    if (m_params.setmem >= 0)
        setMemoryDivision(m_params.setmem);
    stepDeviceValues();
    if (!handOverDestination())
        return 0;
    endRoute();
    nextStop();
    fileActions();
    flagActions();

    int exitCode = 0;
    if (m_params.window == -1)
        m_params.window = 1;
    if ((m_params.window & 1) != 0 || m_outputFile) {
        if (raiseOtherInstance())
            return 0;
        exitCode = runDialog();
    }
    if (m_tapAfterStart)
        tap(m_params.lklick, m_params.x, m_params.y, {}, m_screen);
    if (m_params.lklickson == -1)
        m_sequence = true;
    // The taps and keys may bring other windows up; the user's comes back.
    const bool keepForeground = (m_params.window & 2) != 0;
    const platform::WindowHandle foreground =
        keepForeground ? platform::GetForegroundWindow() : platform::WindowHandle{};
    if (m_sequence)
        runTapSequence();
    if (keepForeground && foreground)
        platform::SetForegroundWindow(foreground);
    powerDown(m_params.reset);
    return exitCode;
}

} // namespace lokaro
