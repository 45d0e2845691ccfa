// Indexes are pthread keys; a key is process-wide like a TLS index.
#include "support/platform/tls_value.h"

#include <errno.h>
#include <pthread.h>

#include <type_traits>

#include "support/base/win32_errors.h"

namespace ql {

namespace {

static_assert(std::is_integral_v<pthread_key_t> && sizeof(pthread_key_t) <= sizeof(DWORD),
              "a pthread key must fit a 32-bit index");

DWORD FromErrno(int error) {
    switch (error) {
        case EAGAIN:
            return kTqlErrorNoMoreItems;
        case ENOMEM:
            return kTqlErrorNotEnoughMemory;
        default:
            return kTqlErrorInvalidParameter;
    }
}

}  // namespace

DWORD TqlTlsAlloc(DWORD* index) noexcept {
    *index = kTqlNoTlsIndex;
    pthread_key_t key{};
    if (int error = pthread_key_create(&key, nullptr); error != 0) return FromErrno(error);
    if (static_cast<DWORD>(key) == kTqlNoTlsIndex) {
        pthread_key_delete(key);
        return kTqlErrorNoMoreItems;
    }
    *index = static_cast<DWORD>(key);
    return 0;
}

DWORD TqlTlsFree(DWORD index) noexcept {
    if (index == kTqlNoTlsIndex) return kTqlErrorInvalidParameter;
    int error = pthread_key_delete(static_cast<pthread_key_t>(index));
    return error == 0 ? 0 : FromErrno(error);
}

LPVOID TqlTlsGetValue(DWORD index) noexcept {
    if (index == kTqlNoTlsIndex) return nullptr;
    return pthread_getspecific(static_cast<pthread_key_t>(index));
}

DWORD TqlTlsSetValue(DWORD index, LPVOID value) noexcept {
    if (index == kTqlNoTlsIndex) return kTqlErrorInvalidParameter;
    int error = pthread_setspecific(static_cast<pthread_key_t>(index), value);
    return error == 0 ? 0 : FromErrno(error);
}

}  // namespace ql
