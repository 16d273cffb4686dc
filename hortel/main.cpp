#include "platform/host.h"

int main() {
    platform::Initialize(platform::ReadHostSettings(u"\\Windows\\hortel.exe"));
    return 0;
}
