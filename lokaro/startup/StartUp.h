#pragma once
// One start of lokaro: the script and the command line read into one
// parameter set, then every requested action in its fixed order.
#include "control/ScreenInput.h"
#include "files/RouteFiles.h"
#include "startup/ParameterSet.h"

#include <optional>
#include <string>

namespace lokaro {

// "lokaro.cfg" beside the program, read into its settings; defaults when it
// is missing.
ScriptSettings readScript();

class StartUp {
public:
    StartUp(ScriptSettings script, ParameterSet parameters);

    // Runs the whole sequence once; the exit code: 0 unless the dialog ran,
    // else the dialog's result.
    int run();

private:
    void enterRoute();
    void stepDeviceValues();
    bool handOverDestination(); // false: the program ends here
    void endRoute();
    void nextStop();
    void fileActions();
    void flagActions();
    bool raiseOtherInstance();
    int runDialog();
    void runTapSequence();
    void arm(int lklicksonBit);

    ScriptSettings m_script;
    ParameterSet m_params;
    ScreenParameters m_screen;
    RouteFiles m_routes;
    bool m_routeMode = false;
    std::u16string m_routeFolder;
    // A "goto=" file that could not be copied: the entry dialog writes there.
    std::optional<std::u16string> m_outputFile;
    bool m_tapAfterStart = false;
    bool m_sequence = false;
};

// A route file's folder with its trailing "\", or a folder path given one.
std::u16string routeFolderOf(std::u16string_view path, bool isFile);

} // namespace lokaro
