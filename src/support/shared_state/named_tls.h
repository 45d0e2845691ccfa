// Named thread-local storage: thread-local slots whose indexes are one per
// process and name, shared by every copy of the library in the process that
// uses the same name. The indexes live in a named shared block: a 32-bit
// count followed by that many 32-bit indexes (a count of 0: not set up yet).
#pragma once

#include "support/shared_state/shared_memory.h"

namespace ql {

class CTqlNamedTls : public CTqlSharedMemory {
public:
    // Opens the block of `name` or sets it up with one index per location
    // (0 locations count as 1). With freeOnDestruction the destructor frees
    // the indexes for every user of the name; without it they outlive the
    // object. Failure leaves the object not initialised.
    CTqlNamedTls(LPCWSTR name, DWORD locations, BOOL freeOnDestruction);
    ~CTqlNamedTls() override;

    // The calling thread's value of a location: true and *value when the
    // object is initialised and the location is below the shared count;
    // otherwise false and *value untouched.
    bool GetValue(DWORD location, LPVOID* value);
    // Stores the calling thread's value of a location and returns the old
    // one in *oldValue (which may be null); false, and nothing changed, as
    // for GetValue.
    bool SetValue(DWORD location, LPVOID newValue, LPVOID* oldValue);
    bool IsInitialized() const;

private:
    // Under the lock: the index of a location, when the block holds it.
    bool IndexOf(DWORD location, DWORD* index) const;

    bool m_bInitialized = false;
    bool m_bFreeOnDestruction;
};

// The trace nesting slot: the named TLS "TqlTraceTls" with one location,
// made on first use (at the latest while the module loads). The object
// stays usable until the process ends, so that any static object may trace
// while it is destroyed: when the module unloads its handles are closed, and
// from then on it answers false, as a slot that could not be set up.
CTqlNamedTls& TqlTraceTls();

// The named TLS "CreateVaultObject" with two locations, made while the
// module loads and released when it unloads; this module neither reads nor
// writes it.
CTqlNamedTls& TqlCreateVaultObjectTls();

}  // namespace ql
