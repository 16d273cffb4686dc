#pragma once
// The reason of the last failed platform call on this thread, as the device
// keeps it: a numeric code with the device's values and a text for people.
#include <cstdint>
#include <string>

namespace platform {

enum class ErrorCode : uint32_t {
    None = 0,
    FileNotFound = 2,
    PathNotFound = 3,
    AccessDenied = 5,
    InvalidHandle = 6,
    NotEnoughMemory = 8,
    WriteFault = 29,
    ReadFault = 30,
    SharingViolation = 32,
    HandleEof = 38,
    NotSupported = 50,
    FileExists = 80,
    InvalidParameter = 87,
    DiskFull = 112,
    AlreadyExists = 183,
    NoUnicodeTranslation = 1113,
    Timeout = 1460,
    InvalidData = 13,
};

struct Error {
    ErrorCode code = ErrorCode::None;
    std::string message;
};

const Error& LastError();
void SetLastError(ErrorCode code, std::string message = {});
// From a POSIX errno value, with the operation and path in the message.
void SetLastErrorFromErrno(int err, const std::string& what);

} // namespace platform
