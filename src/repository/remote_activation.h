// Activation of a server object on a remote machine over DCOM.
#pragma once

#include "support/base/com_types.h"

namespace ql {

// Activates clsid on the server that serverInfo describes and asks it for
// iid. Returns the interface's own HRESULT when that failed, otherwise the
// activation's; *result holds one reference on success.
HRESULT ActivateRemoteObject(const CLSID& clsid, COSERVERINFO* serverInfo, const IID& iid,
                             IUnknown** result);

}  // namespace ql
