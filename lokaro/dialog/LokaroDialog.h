#pragma once
// The coordinate entry dialog and the route list: one dialog procedure for
// both, as the template chosen at start decides which controls exist.
#include "dialog/DialogTemplates.h"
#include "files/RouteFiles.h"

#include <optional>
#include <string>
#include <vector>

namespace lokaro {

constexpr std::u16string_view ProgramTitle = u"Lokaro V 1.08.5";

struct DialogSettings {
    bool telephoneLayout = true;
    int window = 1;         // "window=": bit 2 puts latitude first, bits 8 to 10 the layout
    bool routeMode = false; // a "route=" is in force
    std::u16string routeFolder = u"\\My Documents\\";
    std::optional<std::u16string> outputFile; // a "goto=" file to write instead
    std::u16string navigatorPath;
    std::u16string tourGenerator; // "program[:arguments]", empty: none
};

class LokaroDialog : public platform::DialogHandler {
public:
    LokaroDialog(DialogSettings settings, RouteFiles& routes);

    // Runs the dialog chosen for the screen; its result (1 when the
    // navigation application was started).
    int run();
    // The template run() shows, with its title; chooses templateId().
    platform::DialogTemplate prepareTemplate();
    int templateId() const { return m_templateId; }
    bool navigatorStarted() const { return m_started; }

    bool OnInit(platform::Dialog& dialog) override;
    void OnCommand(platform::Dialog& dialog, int id, platform::Notification n) override;
    void OnClose(platform::Dialog& dialog) override;

private:
    // Entry dialog.
    void initEntry(platform::Dialog& dialog);
    void append(platform::Dialog& dialog, std::u16string_view text);
    void pressMarks(platform::Dialog& dialog);
    DestinationRecord currentEntry(platform::Dialog& dialog) const;
    void accept(platform::Dialog& dialog);
    void addToRoute(platform::Dialog& dialog);

    // Route list.
    void listPoints(platform::Dialog& dialog, int select);
    void listFolder(platform::Dialog& dialog);
    void updateButtons(platform::Dialog& dialog);
    int selectedRecord(platform::Dialog& dialog) const;
    void routeCommand(platform::Dialog& dialog, int id);
    void openSelected(platform::Dialog& dialog);
    void runTourGenerator(platform::Dialog& dialog);
    bool startNavigation(platform::Dialog& dialog);
    void endRoute();

    DialogSettings m_settings;
    RouteFiles& m_routes;
    int m_templateId = 0;
    int m_activeField = ControlId::Longitude;
    bool m_fileMode = false;
    bool m_started = false;
    std::vector<RouteListEntry> m_points; // of the listed route file
};

} // namespace lokaro
