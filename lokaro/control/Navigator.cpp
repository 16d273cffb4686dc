#include "control/Navigator.h"

#include "platform/error.h"
#include "platform/process.h"

namespace lokaro {

bool startNavigator(std::u16string_view navigatorPath) {
    if (navigatorPath.empty()) {
        platform::SetLastError(platform::ErrorCode::InvalidParameter,
                               "no navigation application configured");
        return false;
    }
    return platform::StartProgram(navigatorPath);
}

} // namespace lokaro
