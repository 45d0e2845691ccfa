#include "transport/abs_http_bin_transport.h"

namespace ql {

CAbsHttpBinTransport::CAbsHttpBinTransport(ATL::IAtlMemMgr* memMgr)
    : m_deserializer(memMgr), m_pMemMgr(memMgr) {
    m_serializer.SetHeader(wire::kRequestTagThreshold, wire::kProtocolVersion);
}

CAbsHttpBinTransport::~CAbsHttpBinTransport() { m_deserializer.Detach(); }

void CAbsHttpBinTransport::Disconnect() { m_deserializer.Detach(); }

void CAbsHttpBinTransport::SetTimeout(DWORD milliseconds) { m_dwTimeout = milliseconds; }

void CAbsHttpBinTransport::BeginCall(const CLSID* clsid, const IID* iid, LPCWSTR methodName) {
    m_pszMethodName = methodName;
    m_requestStream.ResetBuffer();
    m_serializer.Attach(&m_requestStream);
    m_serializer.WriteBstr(m_bstrObjectId.Get());
    m_serializer.WriteGuid(*clsid);
    m_serializer.WriteGuid(*iid);
    m_serializer.WriteWideString(methodName);
}

}  // namespace ql
