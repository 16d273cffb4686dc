#include "app/Application.h"
#include "platform/host.h"
#include "platform/registry.h"

int main() {
    platform::Initialize(platform::ReadHostSettings(u"\\Program Files\\Velvane\\Velvane.exe"));
    int code = velvane::RunVelvane();
    platform::RegCloseStore();
    return code;
}
