#include "dialog/LokaroDialog.h"
#include "control/Navigator.h"
#include "control/RegistryOptions.h"
#include "files/Coordinate.h"
#include "files/DestinationFile.h"
#include "files/RouteLine.h"

#include "platform/file.h"
#include "platform/messagebox.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/window.h"

#include <algorithm>

namespace lokaro {

namespace {

using namespace ControlId;
using platform::Notification;

constexpr std::u16string_view RouteFlag = u"Lokaro_Route";
constexpr std::u16string_view ParentEntry = u"..\\";
constexpr intptr_t ParentData = 24;

bool isEdit(int id) {
    return (id >= Name && id <= Latitude) || id == HouseNumber;
}

bool isCoordinate(int id) {
    return id == Longitude || id == Latitude;
}

// A dialog larger than the screen's rest from its template place is moved
// back onto the screen, so that every key can be reached.
void keepOnScreen(platform::Window& window) {
    const platform::Rect screen = platform::WorkArea();
    platform::Rect r = window.GetRect();
    const int dx = std::max(screen.left - r.left, std::min(0, screen.right - r.right));
    const int dy = std::max(screen.top - r.top, std::min(0, screen.bottom - r.bottom));
    if (dx != 0 || dy != 0)
        window.Move({r.left + dx, r.top + dy, r.right + dx, r.bottom + dy});
}

} // namespace

LokaroDialog::LokaroDialog(DialogSettings settings, RouteFiles& routes)
    : m_settings(std::move(settings)), m_routes(routes) {}

platform::DialogTemplate LokaroDialog::prepareTemplate() {
    m_templateId =
        chooseTemplate(platform::WorkArea().Width(), m_settings.window, m_settings.routeMode);
    platform::DialogTemplate t = dialogTemplate(m_templateId);
    t.caption = m_settings.outputFile ? *m_settings.outputFile : std::u16string(ProgramTitle);
    return t;
}

int LokaroDialog::run() {
    return platform::Dialog::RunModal(prepareTemplate(), *this, nullptr);
}

bool LokaroDialog::OnInit(platform::Dialog& dialog) {
    keepOnScreen(dialog.GetWindow());
    initEntry(dialog);
    if (m_settings.routeMode && dialog.HasControl(List)) {
        if (platform::FileExists(RouteStateFile)) {
            const int current = m_routes.readRouteState();
            listPoints(dialog, current);
        } else {
            listFolder(dialog);
        }
    }
    return true;
}

void LokaroDialog::initEntry(platform::Dialog& dialog) {
    if (!dialog.HasControl(Longitude))
        return;
    dialog.Check(Up, true);
    if (m_settings.telephoneLayout) {
        for (int i = 0; i < 3; ++i) {
            dialog.SetText(Digit1 + 6 + i, std::u16string(1, char16_t(u'1' + i)));
            dialog.SetText(Digit1 + i, std::u16string(1, char16_t(u'7' + i)));
        }
    }
    if (m_settings.window != -1 && (m_settings.window & 4) != 0) {
        dialog.SetText(LongitudeLabel, u"Breite:");
        dialog.SetText(LatitudeLabel, u"Länge:");
        constexpr int Spare = -2;
        dialog.SetControlId(Longitude, Spare);
        dialog.SetControlId(Latitude, Longitude);
        dialog.SetControlId(Spare, Latitude);
        dialog.SetControlId(LongitudeSide, Spare);
        dialog.SetControlId(LatitudeSide, LongitudeSide);
        dialog.SetControlId(Spare, LatitudeSide);
        dialog.SetText(LongitudeSide, u"E");
        dialog.SetText(LatitudeSide, u"N");
    }
    if (auto favourite = readFavourite()) {
        dialog.SetText(Longitude, formatFixed(favourite->longitude, 8));
        dialog.SetText(Latitude, formatFixed(favourite->latitude, 8));
        dialog.SetText(Name, favourite->name);
        dialog.SetText(Street, favourite->street);
        dialog.SetText(City, favourite->city);
        dialog.SetText(PostalCode, u"");
        dialog.SetText(HouseNumber, u"");
    }
    dialog.SetFocus(m_activeField);
}

void LokaroDialog::append(platform::Dialog& dialog, std::u16string_view text) {
    dialog.SetText(m_activeField, dialog.GetText(m_activeField) + std::u16string(text));
}

void LokaroDialog::pressMarks(platform::Dialog& dialog) {
    std::u16string text = dialog.GetText(m_activeField);
    if (text.empty()) {
        dialog.SetText(m_activeField, u"-");
        return;
    }
    if (text == u"-") {
        dialog.SetText(m_activeField, u"");
        if (m_activeField == Latitude) {
            const bool north = dialog.GetText(LatitudeSide) == u"N";
            dialog.SetText(LatitudeSide, north ? u"S" : u"N");
        } else if (m_activeField == Longitude) {
            const bool east = dialog.GetText(LongitudeSide) == u"E";
            dialog.SetText(LongitudeSide, east ? u"W" : u"E");
        }
        return;
    }
    for (char16_t mark : {u'°', u'\'', u'"'})
        if (text.find(mark) == std::u16string::npos) {
            dialog.SetText(m_activeField, text + mark);
            return;
        }
}

DestinationRecord LokaroDialog::currentEntry(platform::Dialog& dialog) const {
    const double latitudeSign = dialog.GetText(LatitudeSide) == u"S" ? -1.0 : 1.0;
    const double longitudeSign = dialog.GetText(LongitudeSide) == u"W" ? -1.0 : 1.0;
    DestinationRecord record;
    record.name = dialog.GetText(Name);
    record.street = dialog.GetText(Street);
    record.houseNumber = dialog.GetText(HouseNumber);
    record.postalCode = dialog.GetText(PostalCode);
    record.city = dialog.GetText(City);
    record.longitude = parseCoordinate(dialog.GetText(Longitude)) * longitudeSign;
    record.latitude = parseCoordinate(dialog.GetText(Latitude)) * latitudeSign;
    return record;
}

void LokaroDialog::accept(platform::Dialog& dialog) {
    if (dialog.GetText(Longitude).empty() || dialog.GetText(Latitude).empty()) {
        platform::Beep();
        return;
    }
    const std::u16string output = m_settings.outputFile.value_or(std::u16string(DestinationFile));
    if (!writeEntryDestination(output, currentEntry(dialog))) {
        // Ending as if it worked would lose the typed destination.
        platform::MessageBox(&dialog.GetWindow(),
                             u"Das Ziel konnte nicht gespeichert werden:\n" + output,
                             std::u16string(ProgramTitle), platform::MessageBoxButtons::Ok,
                             platform::MessageBoxIcon::Error);
        return;
    }
    if (m_settings.outputFile) {
        dialog.End(0);
        return;
    }
    startNavigation(dialog);
}

bool LokaroDialog::startNavigation(platform::Dialog& dialog) {
    if (m_settings.navigatorPath.empty()) {
        dialog.End(0);
        return false;
    }
    if (!startNavigator(m_settings.navigatorPath))
        return false;
    m_started = true;
    dialog.End(1);
    return true;
}

void LokaroDialog::addToRoute(platform::Dialog& dialog) {
    appendRoutePoint(m_routes.routeFile(), currentEntry(dialog));
}

void LokaroDialog::OnCommand(platform::Dialog& dialog, int id, Notification n) {
    if (isEdit(id)) {
        m_activeField = id;
        return;
    }
    if (n != Notification::Clicked)
        return;
    if (id >= Digit1 && id <= Digit0) {
        append(dialog, dialog.GetText(id));
    } else if ((id >= LetterA && id <= LetterZ) || id == Blank || id == Hyphen) {
        if (isCoordinate(m_activeField))
            return;
        std::u16string text = dialog.GetText(id);
        if (!dialog.IsChecked(Up))
            for (char16_t& c : text)
                c = platform::AsciiLower(c);
        append(dialog, text);
    } else if (id == DecimalPoint) {
        append(dialog, u".");
    } else if (id == Delete) {
        std::u16string text = dialog.GetText(m_activeField);
        if (!text.empty()) {
            text.pop_back();
            dialog.SetText(m_activeField, text);
        }
    } else if (id == Marks) {
        pressMarks(dialog);
    } else if (id == AddToRoute) {
        addToRoute(dialog);
    } else if (id == platform::IdOk) {
        accept(dialog);
    } else {
        routeCommand(dialog, id);
    }
    if (!dialog.IsEnded())
        dialog.SetFocus(m_activeField);
}

void LokaroDialog::OnClose(platform::Dialog& dialog) {
    dialog.End(0);
}

void LokaroDialog::listPoints(platform::Dialog& dialog, int select) {
    m_fileMode = false;
    dialog.ResetContent(List);
    m_points = m_routes.listRecords(m_routes.routeFile());
    // In file order whatever the list's sorting; the item data is the record
    // index, so a skipped invalid line does not shift the stops.
    for (const RouteListEntry& point : m_points) {
        const int at = dialog.InsertString(List, dialog.GetCount(List), point.text);
        dialog.SetItemData(List, at, point.index);
    }
    for (int i = 0; i < dialog.GetCount(List); ++i)
        if (dialog.GetItemData(List, i) == select)
            dialog.SetCurSel(List, i);
    updateButtons(dialog);
}

void LokaroDialog::listFolder(platform::Dialog& dialog) {
    m_fileMode = true;
    m_points.clear();
    dialog.ResetContent(List);
    const std::u16string& folder = m_settings.routeFolder;
    for (const platform::FoundFile& file : platform::FindFiles(folder + u"*.asc"))
        if (!(file.attributes & platform::AttributeDirectory)) {
            const int at = dialog.AddString(List, file.name);
            dialog.SetItemData(List, at, file.attributes);
        }
    for (const platform::FoundFile& file : platform::FindFiles(folder + u"*"))
        if (file.attributes & platform::AttributeDirectory) {
            const int at = dialog.AddString(List, u" " + file.name + u"\\");
            dialog.SetItemData(List, at, file.attributes);
        }
    if (folder.size() > 1) {
        const int at = dialog.AddString(List, ParentEntry);
        dialog.SetItemData(List, at, ParentData);
    }
    dialog.SetCurSel(List, 0);
    dialog.SetHorizontalExtent(List, 600);
    updateButtons(dialog);
}

void LokaroDialog::updateButtons(platform::Dialog& dialog) {
    if (!m_fileMode) {
        dialog.Show(Info, true);
        dialog.Show(Goal, true);
        dialog.Show(NewRoute, true);
        dialog.SetText(NewRoute, u"neue Route");
        dialog.SetText(StartRoute, u"starte Route");
        dialog.SetText(platform::IdCancel, u"Esc");
        return;
    }
    dialog.Show(Info, false);
    dialog.Show(Goal, false);
    dialog.SetText(NewRoute, u"Tour Gen");
    dialog.Show(NewRoute, !m_settings.tourGenerator.empty());
    dialog.SetText(StartRoute, u"öffne Route");
    dialog.SetText(platform::IdCancel,
                   platform::FileExists(RouteStateFile) ? u"beende Route" : u"Esc");
}

int LokaroDialog::selectedRecord(platform::Dialog& dialog) const {
    const int selection = dialog.GetCurSel(List);
    return selection < 0 ? -1 : static_cast<int>(dialog.GetItemData(List, selection));
}

void LokaroDialog::endRoute() {
    setFlag(FlagKey, RouteFlag, FlagMode::Remove);
    m_routes.deleteRouteState();
}

void LokaroDialog::routeCommand(platform::Dialog& dialog, int id) {
    switch (id) {
    case Previous:
        dialog.SetCurSel(List, std::max(0, dialog.GetCurSel(List) - 1));
        break;
    case Next:
        if (dialog.GetCurSel(List) + 1 < dialog.GetCount(List))
            dialog.SetCurSel(List, dialog.GetCurSel(List) + 1);
        break;
    case Info:
        if (!m_fileMode)
            for (const RouteListEntry& point : m_points)
                if (point.index == selectedRecord(dialog))
                    platform::MessageBox(&dialog.GetWindow(), point.wholeText, u"Info",
                                         platform::MessageBoxButtons::Ok,
                                         platform::MessageBoxIcon::None);
        break;
    case Goal:
        if (!m_fileMode && selectedRecord(dialog) >= 0 &&
            m_routes.loadRecord(m_routes.routeFile(), selectedRecord(dialog),
                                RouteFiles::State::Write)) {
            m_routes.writeDestinationFromRecord();
            endRoute();
            startNavigation(dialog);
        }
        break;
    case StartRoute:
        if (m_fileMode) {
            openSelected(dialog);
        } else if (selectedRecord(dialog) < 0) {
            platform::Beep();
            endRoute();
            dialog.End(0);
        } else if (m_routes.loadRecord(m_routes.routeFile(), selectedRecord(dialog),
                                       RouteFiles::State::Write)) {
            m_routes.writeDestinationFromRecord();
            startNavigation(dialog);
        }
        break;
    case NewRoute:
        if (m_fileMode)
            runTourGenerator(dialog);
        else
            listFolder(dialog);
        break;
    case platform::IdCancel:
        if (m_fileMode && platform::FileExists(RouteStateFile)) {
            platform::Beep();
            endRoute();
        }
        dialog.End(0);
        break;
    default:
        break;
    }
}

void LokaroDialog::openSelected(platform::Dialog& dialog) {
    const int selection = dialog.GetCurSel(List);
    if (selection < 0)
        return;
    const std::u16string entry = dialog.GetItemText(List, selection);
    std::u16string& folder = m_settings.routeFolder;
    if (entry == ParentEntry) {
        // Cut after the second-last "\".
        const size_t last = folder.rfind(u'\\', folder.size() - 2);
        if (last != std::u16string::npos && folder.size() >= 2)
            folder.resize(last + 1);
        listFolder(dialog);
    } else if (!entry.empty() && entry[0] == u' ') {
        folder.pop_back();
        folder += u"\\" + entry.substr(1);
        listFolder(dialog);
    } else {
        m_routes.setRouteFile(folder + entry);
        m_routes.writeRouteState(0);
        setFlag(FlagKey, RouteFlag, FlagMode::Set);
        listPoints(dialog, 0);
    }
}

void LokaroDialog::runTourGenerator(platform::Dialog& dialog) {
    const std::u16string& command = m_settings.tourGenerator;
    const size_t colon = command.find(u':');
    const std::u16string program = command.substr(0, colon);
    const std::u16string arguments =
        colon == std::u16string::npos ? std::u16string() : command.substr(colon + 1);
    if (!platform::RunProgramAndWait(program, arguments, 100)) {
        // Forgotten for the rest of the run: its button goes.
        m_settings.tourGenerator.clear();
        updateButtons(dialog);
        return;
    }
    if (platform::FileExists(RouteStateFile)) {
        const int current = m_routes.readRouteState();
        setFlag(FlagKey, RouteFlag, FlagMode::Set);
        listPoints(dialog, current);
    }
}

} // namespace lokaro
