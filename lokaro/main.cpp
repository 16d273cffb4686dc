#include "startup/StartUp.h"

#include "platform/host.h"
#include "platform/registry.h"
#include "platform/text.h"

#include <cstdio>
#include <string>

// The device hands the program one command line; here it is the arguments
// joined by single blanks.
int main(int argc, char** argv) {
    platform::Initialize(platform::ReadHostSettings(u"\\Windows\\lokaro.exe"));
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            line += ' ';
        line += argv[i];
    }
    const std::u16string commandLine = platform::FromUtf8(line);
    if (platform::ToUtf8(commandLine) != line) {
        std::fprintf(stderr, "lokaro: the command line is not valid UTF-8; nothing done\n");
        return 0;
    }
    const lokaro::ScriptSettings script = lokaro::readScript();
    lokaro::StartUp startUp(script, lokaro::parametersInForce(script, commandLine));
    const int code = startUp.run();
    platform::RegCloseStore();
    return code;
}
