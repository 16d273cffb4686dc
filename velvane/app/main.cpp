#include "platform/host.h"

int main() {
    platform::Initialize(platform::ReadHostSettings(u"\\Program Files\\Velvane\\Velvane.exe"));
    return 0;
}
