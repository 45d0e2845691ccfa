#include "repository/remote_activation.h"

#include "support/base/hresults.h"

namespace ql {

// There is no DCOM runtime here: every activation fails the way Windows
// fails for a class it cannot activate.
HRESULT ActivateRemoteObject(const CLSID&, COSERVERINFO*, const IID&, IUnknown** result) {
    *result = nullptr;
    return hr::kClassNotRegistered;
}

}  // namespace ql
