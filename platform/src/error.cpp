#include "platform/error.h"
#include <cerrno>
#include <cstring>

namespace platform {

namespace {
thread_local Error t_lastError;
}

const Error& LastError() {
    return t_lastError;
}

void SetLastError(ErrorCode code, std::string message) {
    t_lastError.code = code;
    t_lastError.message = std::move(message);
}

void SetLastErrorFromErrno(int err, const std::string& what) {
    ErrorCode code = ErrorCode::AccessDenied;
    switch (err) {
    case ENOENT:
        code = ErrorCode::FileNotFound;
        break;
    case ENOTDIR:
        code = ErrorCode::PathNotFound;
        break;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        code = ErrorCode::AccessDenied;
        break;
    case EEXIST:
        code = ErrorCode::AlreadyExists;
        break;
    case ENOSPC:
    case EDQUOT:
        code = ErrorCode::DiskFull;
        break;
    case EWOULDBLOCK:
        code = ErrorCode::SharingViolation;
        break;
    case ENOMEM:
        code = ErrorCode::NotEnoughMemory;
        break;
    case EINVAL:
        code = ErrorCode::InvalidParameter;
        break;
    case EIO:
        code = ErrorCode::WriteFault;
        break;
    default:
        break;
    }
    SetLastError(code, what + ": " + std::strerror(err));
}

} // namespace platform
