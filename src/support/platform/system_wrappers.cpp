#include "support/platform/system_wrappers.h"

#include <cerrno>

namespace ql {

DWORD TqlErrorFromErrno(int error) noexcept {
    switch (error) {
        case 0:
            return 0;
        case ENOENT:
            return 2;  // ERROR_FILE_NOT_FOUND
        case ENOTDIR:
            return 3;  // ERROR_PATH_NOT_FOUND
        case EMFILE:
        case ENFILE:
            return 4;  // ERROR_TOO_MANY_OPEN_FILES
        case EACCES:
        case EPERM:
        case EISDIR:
            return 5;  // ERROR_ACCESS_DENIED
        case EBADF:
            return 6;  // ERROR_INVALID_HANDLE
        case ENOMEM:
            return 8;  // ERROR_NOT_ENOUGH_MEMORY
        case EXDEV:
            return 17;  // ERROR_NOT_SAME_DEVICE
        case EROFS:
            return 19;  // ERROR_WRITE_PROTECT
        case EIO:
            return 1117;  // ERROR_IO_DEVICE
        case EBUSY:
            return 32;  // ERROR_SHARING_VIOLATION
        case EINVAL:
            return 87;  // ERROR_INVALID_PARAMETER
        case ENOSPC:
            return 112;  // ERROR_DISK_FULL
        case ENAMETOOLONG:
            return 206;  // ERROR_FILENAME_EXCED_RANGE
        case ENOTEMPTY:
            return 145;  // ERROR_DIR_NOT_EMPTY
        case EEXIST:
            return 183;  // ERROR_ALREADY_EXISTS
        default:
            return 1359;  // ERROR_INTERNAL_ERROR
    }
}

}  // namespace ql
