#include "repository/remote_activation.h"

namespace ql {

HRESULT ActivateRemoteObject(const CLSID& clsid, COSERVERINFO* serverInfo, const IID& iid,
                             IUnknown** result) {
    *result = nullptr;
    MULTI_QI query = {&iid, nullptr, S_OK};
    HRESULT hr = CoCreateInstanceEx(clsid, nullptr, CLSCTX_REMOTE_SERVER, serverInfo, 1, &query);
    if (FAILED(query.hr)) hr = query.hr;
    if (SUCCEEDED(hr))
        *result = query.pItf;
    else if (query.pItf != nullptr)
        query.pItf->Release();
    return hr;
}

}  // namespace ql
