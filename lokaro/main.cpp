#include "platform/host.h"

int main() {
    platform::Initialize(platform::ReadHostSettings(u"\\Windows\\lokaro.exe"));
    return 0;
}
