#include "app/TachoModel.h"

#include "app/ComponentFactory.h"
#include "app/FileDialogs.h"
#include "app/GpsSettingsDialog.h"
#include "ini/IniPath.h"
#include "ini/IniText.h"
#include "ini/IniWriter.h"

#include "platform/clock.h"
#include "platform/error.h"
#include "platform/file.h"
#include "platform/messagebox.h"
#include "platform/window.h"

namespace velvane {

namespace {

// After a failed read: whether there was a file at all. A missing file holds
// nothing that a save could lose.
bool FileWasThere() {
    const platform::ErrorCode why = platform::LastError().code;
    return why != platform::ErrorCode::FileNotFound && why != platform::ErrorCode::PathNotFound;
}

// The folder of a file, with its trailing separator; empty if it has none.
std::u16string FolderOf(std::u16string_view path) {
    size_t cut = path.find_last_of(u"\\/");
    return cut == std::u16string_view::npos ? std::u16string()
                                            : std::u16string(path.substr(0, cut + 1));
}

} // namespace

TachoModel::TachoModel(platform::Window* window, Screen* screen)
    : m_window(window), m_screen(screen) {}

TachoModel::~TachoModel() {
    if (m_window && m_settings.StaleAfter() > 0)
        m_window->KillTimer(StaleTimerId);
    // Components first: they unregister from the sources and the receiver.
    ReleaseHolders();
    Retire(m_speedSource);
    Retire(m_altitudeSource);
    Retire(m_positionSource);
    m_receiver.reset();
}

void TachoModel::CreateReceiver() {
    if (!m_receiver)
        m_receiver = std::make_unique<GpsReceiver>(m_window);
}

// Deleting a source from inside its own notification is safe: its listener
// list notices and the fan-out stops touching it.
template <class Source> void TachoModel::Retire(std::unique_ptr<Source>& source) {
    if (!source)
        return;
    if (m_receiver)
        m_receiver->RemoveSentenceListener(source.get());
    source.reset();
}

void TachoModel::AddSpeedListener(SpeedListener* listener) {
    if (!m_receiver || !listener)
        return;
    if (!m_speedSource) {
        m_speedSource = SpeedSource::Create(m_speedProtocol);
        m_receiver->AddSentenceListener(m_speedSource.get());
    }
    m_speedSource->AddListener(listener);
}

void TachoModel::RemoveSpeedListener(SpeedListener* listener) {
    if (!m_receiver || !m_speedSource)
        return;
    m_speedSource->RemoveListener(listener);
    if (m_speedSource->ListenerCount() == 0)
        Retire(m_speedSource);
}

void TachoModel::AddAltitudeListener(AltitudeListener* listener) {
    if (!m_receiver || !listener)
        return;
    if (!m_altitudeSource) {
        m_altitudeSource = std::make_unique<AltitudeSource>();
        m_receiver->AddSentenceListener(m_altitudeSource.get());
    }
    m_altitudeSource->AddListener(listener);
}

void TachoModel::RemoveAltitudeListener(AltitudeListener* listener) {
    if (!m_receiver || !m_altitudeSource)
        return;
    m_altitudeSource->RemoveListener(listener);
    if (m_altitudeSource->ListenerCount() == 0)
        Retire(m_altitudeSource);
}

void TachoModel::AddPositionListener(PositionListener* listener) {
    if (!m_receiver || !listener)
        return;
    if (!m_positionSource) {
        m_positionSource = std::make_unique<PositionSource>();
        m_receiver->AddSentenceListener(m_positionSource.get());
    }
    m_positionSource->AddListener(listener);
}

void TachoModel::RemovePositionListener(PositionListener* listener) {
    if (!m_receiver || !m_positionSource)
        return;
    m_positionSource->RemoveListener(listener);
    if (m_positionSource->ListenerCount() == 0)
        Retire(m_positionSource);
}

void TachoModel::AddSentenceListener(SentenceListener* listener) {
    if (m_receiver)
        m_receiver->AddSentenceListener(listener);
}

void TachoModel::AddFirstSentenceListener(SentenceListener* listener) {
    if (m_receiver)
        m_receiver->AddSentenceListener(listener, ListPosition::Front);
}

void TachoModel::RemoveSentenceListener(SentenceListener* listener) {
    if (m_receiver)
        m_receiver->RemoveSentenceListener(listener);
}

void TachoModel::SetSpeedProtocol(int speedProtocol) {
    m_settings.SetSpeedProtocol(speedProtocol);
    if (m_receiver && speedProtocol == MainSettings::SpeedFromAuto)
        m_receiver->ExpectSpeedFromEither();
    else if (m_receiver)
        m_receiver->ExpectSpeedFrom(speedProtocol == 1 ? SentenceType::RMC : SentenceType::VTG);
    if (!m_receiver || speedProtocol == m_speedProtocol)
        return;
    m_speedProtocol = speedProtocol;
    if (!m_speedSource)
        return;
    auto next = SpeedSource::Create(speedProtocol);
    for (SpeedListener* listener : m_speedSource->Listeners())
        next->AddListener(listener);
    Retire(m_speedSource);
    m_speedSource = std::move(next);
    m_receiver->AddSentenceListener(m_speedSource.get());
}

// Stale data

namespace {

// Often enough that the notice comes at most this late.
constexpr uint32_t StaleCheckPeriodMs = 250;

} // namespace

void TachoModel::WatchStaleData() {
    if (!m_window || m_settings.StaleAfter() <= 0)
        return;
    m_window->SetTimer(StaleTimerId, StaleCheckPeriodMs, [this] { CheckStale(); });
}

// Only speeds count: a receiver that still sends sentences without a speed
// (no fix) leaves the speed as unknown as a silent one.
void TachoModel::CheckStale() {
    if (!m_receiver || !m_speedSource)
        return;
    const uint32_t silentMs = platform::GetTickCount() - m_speedSource->LastSpeedTick();
    const bool stale = silentMs >= static_cast<uint32_t>(m_settings.StaleAfter()) * 1000;
    if (stale == m_stale)
        return;
    m_stale = stale;
    if (m_stale)
        m_receiver->DispatchStale();
}

// Start-up

bool TachoModel::StartUp() {
    return StartUp([this](MainSettings& settings) {
        return ShowGpsSettingsDialog(nullptr, settings,
                                     [this](int protocol) { SetSpeedProtocol(protocol); });
    });
}

bool TachoModel::StartUp(const GpsDialogFn& showGpsDialog) {
    m_keepMainSettings = !LoadMainSettings(m_settings) && FileWasThere();
    platform::SetPresentation(m_settings.Mirror(), m_settings.Rotation());
    // Before the configuration makes any component.
    if (m_screen)
        m_screen->SetUnits(Units(m_settings.UnitSystem()));
    CreateReceiver();
    SetSpeedProtocol(m_settings.SpeedProtocol());
    for (;;) {
        if (!m_settings.GpsIni().empty() && m_receiver->Load(m_settings.GpsIni()))
            break;
        // Until the dialog ends with OK, or the user gives up.
        for (;;) {
            GpsDialogResult result = showGpsDialog(m_settings);
            if (result == GpsDialogResult::Ok)
                break;
            // The dialog cannot be shown or the program is quitting: asking
            // again would never end.
            if (result == GpsDialogResult::Abandoned)
                return false;
            int answer = platform::MessageBox(nullptr,
                                              u"Ohne gültige GPS-Ini funktioniert das Programm "
                                              u"nicht. Wollen Sie es jetzt beenden?",
                                              u"Beenden?", platform::MessageBoxButtons::YesNo,
                                              platform::MessageBoxIcon::Information);
            if (answer == platform::IdYes)
                return false;
        }
    }
    Load(m_settings.Configuration());
    WatchStaleData();
    return true;
}

// Reading a configuration

void TachoModel::ReleaseHolders() {
    m_initialView = nullptr;
    m_views.clear();
    m_logs.clear();
    m_overlays.clear();
}

bool TachoModel::Load(std::u16string_view path) {
    ReleaseHolders();
    Retire(m_speedSource);
    Retire(m_altitudeSource);
    Retire(m_positionSource);
    m_settings.SetConfiguration(path);
    m_configurationFolder = FolderOf(path);
    m_listedFiles.clear();
    bool loaded = !path.empty() && IniParser::Load(path);
    m_keepConfiguration = !path.empty() && !loaded && FileWasThere();
    if (m_views.empty() && m_screen) {
        const ComponentClass* speedo = FindComponentClass(u"Speedo");
        m_views.push_back(
            {std::make_unique<SingleViewManager>(speedo->CreateEntry(*m_screen, this)),
             speedo->sectionName});
    }
    return loaded;
}

int TachoModel::FirstSectionId() {
    return 1;
}

int TachoModel::OnSection(std::u16string_view name) {
    const ComponentClass* cls = m_screen ? FindComponentClass(name) : nullptr;
    if (!cls)
        return 0;
    // An entry that cannot be made leaves the section unknown, so its lines
    // never land in another holder.
    std::unique_ptr<ComponentEntry> entry = cls->CreateEntry(*m_screen, this);
    if (!entry)
        return 0;
    switch (cls->kind) {
    case EntryKind::View:
        m_views.push_back(
            {std::make_unique<SingleViewManager>(std::move(entry)), cls->sectionName});
        return ViewSection;
    case EntryKind::Log:
        m_logs.push_back(
            {std::make_unique<MultiComponentHolder>(std::move(entry)), cls->sectionName});
        return LogSection;
    case EntryKind::Overlay:
        m_overlays.push_back(
            {std::make_unique<MultiComponentHolder>(std::move(entry)), cls->sectionName});
        return OverlaySection;
    }
    return 0;
}

bool TachoModel::OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) {
    IniFileList* holder = nullptr;
    if (sectionId == ViewSection && !m_views.empty())
        holder = m_views.back().holder.get();
    else if (sectionId == LogSection && !m_logs.empty())
        holder = m_logs.back().holder.get();
    else if (sectionId == OverlaySection && !m_overlays.empty())
        holder = m_overlays.back().holder.get();
    if (!holder)
        return IniParser::OnAttribute(sectionId, key, value);

    // The order matters: a key that is a leading part of several names is
    // the first of them.
    if (KeywordMatch(u"Ini", key) == 0)
        return holder->AddIni(Listed(JoinPath(value, m_configurationFolder))) >= 0;
    if (sectionId == ViewSection && KeywordMatch(u"Initial", key) == 0) {
        if (IniBool(value))
            m_initialView = m_views.back().holder.get();
        return true;
    }
    if (KeywordMatch(u"InitialIni", key) == 0)
        return holder->AddInitialIni(Listed(JoinPath(value, m_configurationFolder))) >= 0;
    if (sectionId == ViewSection && KeywordMatch(u"NightIni", key) == 0)
        return AddNightIni(*m_views.back().holder, value);
    return false;
}

bool TachoModel::AddNightIni(SingleViewManager& view, std::u16string_view value) {
    // The night skin is one of the view's skins, so the menu offers it; a
    // file not listed yet joins the list.
    std::u16string path = JoinPath(value, m_configurationFolder);
    int index = -1;
    for (int i = 0; i < view.Count() && index < 0; ++i)
        if (*view.GetPath(i) == path)
            index = i;
    if (index < 0)
        index = view.AddIni(Listed(std::move(path)));
    if (index < 0)
        return false;
    view.SetNightIndex(index);
    return true;
}

const std::u16string& TachoModel::Listed(std::u16string path) {
    m_listedFiles.push_back(std::move(path));
    return m_listedFiles.back();
}

void TachoModel::NoteUnreadFile(std::u16string_view path) {
    for (const std::u16string& listed : m_listedFiles)
        if (listed == path)
            m_keepConfiguration = true;
}

// Saving a configuration

bool TachoModel::SaveConfigurationAs(std::u16string_view path) {
    const std::u16string previous = m_settings.Configuration();
    m_settings.SetConfiguration(path);
    bool mainSettingsWritten = false;
    if (Save(Writes::All, mainSettingsWritten))
        return true;
    // Given up: the program goes on with the file it had, and the main
    // settings must not name one that was never written.
    m_settings.SetConfiguration(previous);
    if (mainSettingsWritten)
        SaveMainSettings(m_settings);
    return false;
}

bool TachoModel::SaveConfiguration() {
    bool mainSettingsWritten = false;
    return Save(Writes::All, mainSettingsWritten);
}

bool TachoModel::SaveAtExit() {
    if (m_keepMainSettings)
        return false;
    bool mainSettingsWritten = false;
    return Save(m_keepConfiguration ? Writes::MainSettingsOnly : Writes::All, mainSettingsWritten);
}

bool TachoModel::Save(Writes writes, bool& mainSettingsWritten) {
    bool askForName = writes == Writes::All && m_settings.Configuration().empty();
    mainSettingsWritten = false;
    for (;;) {
        if (askForName) {
            std::optional<std::u16string> chosen =
                SaveIniFile(m_window, u"Konfiguration speichern:");
            if (!chosen || chosen->empty())
                return false;
            m_settings.SetConfiguration(*chosen);
            askForName = false;
        }
        std::u16string_view problem =
            u"Die Einstellungen wurden nicht\nvollständig gespeichert werden.";
        bool saved = false;
        if (writes == Writes::All && IsMainSettingsPath(m_settings.Configuration())) {
            // It would replace the program's own settings; Retry asks for
            // another name.
            problem = u"Eine Konfiguration kann nicht als Velvane.ini neben dem Programm "
                      u"gespeichert werden.\nBitte wählen Sie einen anderen Namen.";
            askForName = true;
        } else {
            saved = SaveMainSettings(m_settings);
            mainSettingsWritten = mainSettingsWritten || saved;
            if (writes == Writes::All)
                saved = WriteConfiguration(m_settings.Configuration()) && saved;
        }
        if (saved) {
            if (writes == Writes::All)
                m_keepMainSettings = m_keepConfiguration = false;
            return true;
        }
        int answer = platform::MessageBox(m_window, problem, u"Fehler beim Speichern",
                                          platform::MessageBoxButtons::RetryCancel,
                                          platform::MessageBoxIcon::Error);
        if (answer != platform::IdRetry)
            return false;
    }
}

namespace {

// Which file a save marks as current: for a view that switches at dusk,
// the day skin, whatever the hour of the save.
bool SavedActive(const IniFileList& holder, int index, bool dayNight) {
    auto* view = dynamic_cast<const SingleViewManager*>(&holder);
    if (dayNight && view && view->NightIndex() >= 0)
        return index == view->DayIndex();
    return holder.IsActive(index);
}

// One section: header, the "Initial" mark for the view shown, the files
// with the active ones as "InitialIni", and a view's night skin.
bool WriteHolder(platform::File& out, std::u16string_view name, const IniFileList& holder,
                 bool initial, const std::u16string& folder, bool dayNight) {
    if (!WriteSection(out, name))
        return false;
    if (initial && !WriteAttribute(out, u"Initial", u"y"))
        return false;
    for (int i = 0; i < holder.Count(); ++i) {
        std::u16string relative = RelativePath(*holder.GetPath(i), folder);
        if (!WriteAttribute(out, SavedActive(holder, i, dayNight) ? u"InitialIni" : u"Ini",
                            relative))
            return false;
    }
    auto* view = dynamic_cast<const SingleViewManager*>(&holder);
    if (view && view->NightIndex() >= 0 &&
        !WriteAttribute(out, u"NightIni", RelativePath(*view->GetPath(view->NightIndex()), folder)))
        return false;
    return true;
}

template <class Holder>
bool WriteBlock(platform::File& out, const std::vector<Section<Holder>>& sections,
                const IniFileList* initial, const std::u16string& folder, bool dayNight) {
    for (size_t i = 0; i < sections.size(); ++i) {
        if (i > 0 && !WriteLine(out, {}))
            return false;
        const Section<Holder>& section = sections[i];
        if (!WriteHolder(out, section.name, *section.holder, section.holder.get() == initial,
                         folder, dayNight))
            return false;
    }
    return true;
}

} // namespace

bool TachoModel::WriteConfiguration(const std::u16string& path) const {
    std::unique_ptr<platform::AtomicFile> file = platform::AtomicFile::Create(path);
    if (!file)
        return false;
    platform::File& out = file->Stream();
    const std::u16string folder = FolderOf(path);
    const bool dayNight = m_settings.DayNight();
    // An empty line closes every block that has sections, except the last.
    bool written = WriteByteOrderMark(out) &&
                   WriteBlock(out, m_views, m_initialView, folder, dayNight) &&
                   (m_views.empty() || WriteLine(out, {})) &&
                   WriteBlock(out, m_logs, nullptr, folder, dayNight) &&
                   (m_logs.empty() || WriteLine(out, {})) &&
                   WriteBlock(out, m_overlays, nullptr, folder, dayNight);
    return written && file->Commit();
}

} // namespace velvane
