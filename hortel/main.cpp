#include "Hortel.h"
#include "platform/file.h"
#include "platform/host.h"
#include "platform/registry.h"
#include "platform/text.h"

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
    int code = hortel::Run(platform::FromUtf8(line));
    platform::RegCloseStore(); // leaves no journal files beside the registry
    return code;
}
