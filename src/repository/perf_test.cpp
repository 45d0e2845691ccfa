#include "repository/perf_test.h"

#include "proxies/call_frame.h"
#include "repository/module_trace.h"
#include "repository/soap_repository.h"

namespace ql {

HRESULT PerfTest(CAbsHttpBinTransport& transport, BSTR data, INT replySize, BSTR* reply) {
    static constexpr CLSID kNullClsid = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
    static constexpr PersistCallTexts kTexts{
        OLESTR("PerfTest"), OLESTR("IPersist_PerfTest"),
        OLESTR("IPersist_PerfTest() - Caught CAtlException. hr=%1!X! (%2!Z!)."),
        OLESTR("IPersist_PerfTest() - Caught unknown exception.")};
    if (reply == nullptr) return hr::kPointer;
    return RunPersistHttpPath(transport, HttpClientTrace(), kNullClsid, IID_IHttpPersist, kTexts,
                              call::In<wire::Bstr>(data), call::In<wire::Int>(replySize),
                              call::OutReplacing<wire::Bstr>(reply));
}

}  // namespace ql
