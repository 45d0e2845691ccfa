#include "support/platform/system_wrappers.h"

#include <cerrno>

#include "support/base/win32_errors.h"

namespace ql {

DWORD TqlErrorFromErrno(int error) noexcept {
    switch (error) {
        case 0:
            return 0;
        case ENOENT:
            return kTqlErrorFileNotFound;
        case ENOTDIR:
            return kTqlErrorPathNotFound;
        case EMFILE:
        case ENFILE:
            return kTqlErrorTooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EISDIR:
            return kTqlErrorAccessDenied;
        case EBADF:
            return kTqlErrorInvalidHandle;
        case ENOMEM:
            return kTqlErrorNotEnoughMemory;
        case EXDEV:
            return kTqlErrorNotSameDevice;
        case EROFS:
            return kTqlErrorWriteProtect;
        case EIO:
            return kTqlErrorIoDevice;
        case EBUSY:
            return kTqlErrorSharingViolation;
        case EINVAL:
            return kTqlErrorInvalidParameter;
        case ENOSPC:
            return kTqlErrorDiskFull;
        case ENAMETOOLONG:
            return kTqlErrorFilenameExcedRange;
        case ENOTEMPTY:
            return kTqlErrorDirNotEmpty;
        case EEXIST:
            return kTqlErrorAlreadyExists;
        default:
            return kTqlErrorInternalError;
    }
}

}  // namespace ql
