#include "Hortel.h"
#include "platform/file.h"
#include "platform/host.h"
#include "platform/registry.h"
#include "platform/text.h"

#include <cstdio>
#include <string>

// The device hands the program one command line; here it is the arguments
// joined by single blanks, so a path with blanks may come quoted or not.
int main(int argc, char** argv) {
    platform::Initialize(platform::ReadHostSettings(u"\\Windows\\hortel.exe"));
    // Every device has this folder; the working file lives there.
    if (!platform::DirectoryExists(u"\\Windows"))
        platform::CreateDirectory(u"\\Windows");
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            line += ' ';
        line += argv[i];
    }
    // Undecodable bytes would end up as U+FFFD in the name of the file written.
    std::u16string commandLine = platform::FromUtf8(line);
    if (platform::ToUtf8(commandLine) != line) {
        std::fprintf(stderr, "hortel: the command line is not valid UTF-8; nothing done\n");
        return 0;
    }
    int code = hortel::Run(commandLine);
    platform::RegCloseStore(); // leaves no journal files beside the registry
    return code;
}
