// The one frame every remote call runs: trace the entry, take the object's
// call lock, then either pass the call to the DCOM interface pointer or
// write the arguments, send, and read the results back. No exception leaves
// it; the lock is released on every path.
#pragma once

#include <tuple>
#include <utility>

#include "proxies/call_arguments.h"
#include "support/base/critical_section.h"
#include "support/base/hresults.h"
#include "support/trace/trace.h"
#include "transport/abs_http_bin_transport.h"

namespace ql {

// How calls travel (the transport type given to Initialize). Every value
// but kTransportDcom is carried over HTTP.
inline constexpr DWORD kTransportDcom = 1;
inline constexpr DWORD kTransportHttp = 3;

// An interface family: the name used in traces and the fixed class and
// interface identifiers its calls send, whatever version the client used.
struct RemoteFamily {
    LPCWSTR name;
    CLSID clsid;
    IID iid;
};

// What the frame needs of the object it runs on.
struct CallTarget {
    CCriticalSection& callLock;
    DWORD transportType;
    // The DCOM interface pointer; null until a DCOM CreateInterface succeeded.
    IUnknown* remote;
    CAbsHttpBinTransport& transport;
    TqlComponent trace;
};

namespace call_detail {

template <class... Args>
struct FinishAll {
    std::tuple<Args&...> args;
    ~FinishAll() {
        std::apply([](auto&... each) { (each.Finish(), ...); }, args);
    }
};

// Steps of the HTTP path. sendResult receives the remote method's HRESULT
// as soon as the send returns, so that a later non-negative exception can
// still report it.
template <class... Args>
void RunHttpPath(CAbsHttpBinTransport& transport, const CLSID& clsid, const IID& iid,
                 LPCWSTR method, HRESULT& sendResult, Args&... args) {
    FinishAll<Args...> finish{std::tie(args...)};
    transport.BeginCall(&clsid, &iid, method);
    (args.Prepare(transport.MemMgr()), ...);
    CBinarySerializer& out = transport.Serializer();
    (args.Write(out), ...);
    sendResult = transport.SendRequest();
    CBinaryDeserializer& in = transport.Deserializer();
    (args.Read(in), ...);
}

}  // namespace call_detail

// A remote method of an interface family. dcomCall(IUnknown* remote) makes
// the same call on the DCOM pointer with the caller's arguments.
template <class DcomCall, class... Args>
HRESULT RunRemoteCall(const CallTarget& target, const RemoteFamily& family, LPCWSTR method,
                      DcomCall&& dcomCall, Args&&... args) {
    TqlTrace(target.trace, kTqlLevelEntry, OLESTR("%s_%s"), family.name, method);
    CCriticalSectionLock lock(target.callLock);
    HRESULT result = S_OK;
    try {
        if (target.transportType == kTransportDcom) {
            if (target.remote == nullptr) return hr::kObjectNotConnected;
            return dcomCall(target.remote);
        }
        call_detail::RunHttpPath(target.transport, family.clsid, family.iid, method, result,
                                 args...);
    } catch (const ATL::CAtlException& e) {
        TqlTraceErrorMsg(target.trace,
                         OLESTR("ICur%1::%2() - Caught CAtlException. hr=%3!X! (%4!Z!)."),
                         family.name, method, e.Result(), e.Result());
        if (FAILED(e.Result())) result = e.Result();
    } catch (...) {
        TqlTraceErrorMsg(target.trace, OLESTR("ICur%1::%2() - Caught unknown exception."),
                         family.name, method);
        result = hr::kFail;
    }
    return result;
}

// Texts of one server-object lifetime operation, which always travels over
// HTTP and traces in its own words.
struct PersistCallTexts {
    LPCWSTR method;   // the name sent, e.g. "Ping"
    LPCWSTR entry;    // e.g. "IHttpPersist_Ping"
    LPCWSTR caught;   // insert style, %1 and %2 the HRESULT
    LPCWSTR unknown;  // e.g. "IHttpPersist::Ping() - Caught unknown exception."
};

// A lifetime operation's HTTP path on a transport the caller holds alone:
// no lock, no entry trace.
template <class... Args>
HRESULT RunPersistHttpPath(CAbsHttpBinTransport& transport, TqlComponent trace, const CLSID& clsid,
                           const IID& iid, const PersistCallTexts& texts, Args&&... args) {
    HRESULT result = S_OK;
    try {
        call_detail::RunHttpPath(transport, clsid, iid, texts.method, result, args...);
    } catch (const ATL::CAtlException& e) {
        TqlTraceErrorMsg(trace, texts.caught, e.Result(), e.Result());
        if (FAILED(e.Result())) result = e.Result();
    } catch (...) {
        TqlTraceErrorMsg(trace, texts.unknown);
        result = hr::kFail;
    }
    return result;
}

template <class... Args>
HRESULT RunPersistCall(const CallTarget& target, const CLSID& clsid, const IID& iid,
                       const PersistCallTexts& texts, Args&&... args) {
    TqlTrace(target.trace, kTqlLevelEntry, OLESTR("%s"), texts.entry);
    CCriticalSectionLock lock(target.callLock);
    return RunPersistHttpPath(target.transport, target.trace, clsid, iid, texts,
                              std::forward<Args>(args)...);
}

}  // namespace ql
