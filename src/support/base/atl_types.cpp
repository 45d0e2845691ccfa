#include "support/base/atl_types.h"

namespace ql {

ATL::IAtlMemMgr* SharedMemMgr() {
    static ATL::CComHeap heap;
    return &heap;
}

}  // namespace ql
