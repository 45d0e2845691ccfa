// The abstract HTTP binary transport: carries one remote call at a time as
// one POST whose body is the serialized call, and hands the reply to the
// deserializer. It owns the request stream, the serializer and the
// deserializer; the operations that touch an HTTP library belong to the
// back ends.
#pragma once

#include "serialization/binary_deserializer.h"
#include "serialization/binary_serializer.h"
#include "serialization/read_write_binary_stream.h"
#include "support/base/com_types.h"
#include "support/base/unique_bstr.h"

namespace ql {

class CAbsHttpBinTransport {
public:
    explicit CAbsHttpBinTransport(ATL::IAtlMemMgr* memMgr);
    CAbsHttpBinTransport(const CAbsHttpBinTransport&) = delete;
    CAbsHttpBinTransport& operator=(const CAbsHttpBinTransport&) = delete;

    // Operations in their fixed slot order.
    virtual ~CAbsHttpBinTransport();
    // Drops the reply (the deserializer lets go of it) and the connection.
    virtual void Disconnect();
    virtual HRESULT SetUrl(LPCWSTR server, LPCWSTR url, LPCWSTR proxy) = 0;
    // Network time-out in milliseconds; takes effect when the session opens.
    virtual void SetTimeout(DWORD milliseconds);
    virtual HRESULT SetAuthInfo(COSERVERINFO* serverInfo, BYTE saveAsDefault) = 0;
    virtual HRESULT RestoreDefaultCredentials() = 0;
    virtual HRESULT SetProxyCredentials(LPCWSTR user, LPCWSTR password) = 0;
    virtual HRESULT ApplyAuthInfo(int mode) = 0;
    // Starts a call: empties the request stream, attaches the serializer and
    // writes the call header (object identifier, class and interface
    // identifiers, method name). methodName must outlive the call.
    virtual void BeginCall(const CLSID* clsid, const IID* iid, LPCWSTR methodName);
    // Sends the request. Returns the remote method's HRESULT with the
    // deserializer bound to the rest of the reply; throws ATL::CAtlException
    // for every failure of the exchange.
    virtual HRESULT SendRequest() = 0;

    // Offered to the proxies between BeginCall and SendRequest ...
    CBinarySerializer& Serializer() noexcept { return m_serializer; }
    // ... and after SendRequest.
    CBinaryDeserializer& Deserializer() noexcept { return m_deserializer; }

    ATL::IAtlMemMgr* MemMgr() const noexcept { return m_pMemMgr; }
    // The server object identifier; null before the server object exists.
    CUniqueBstr& ObjectId() noexcept { return m_bstrObjectId; }
    DWORD Timeout() const noexcept { return m_dwTimeout; }
    LPCWSTR MethodName() const noexcept { return m_pszMethodName; }
    const CReadWriteBinaryStream& RequestStream() const noexcept { return m_requestStream; }

protected:
    CUniqueBstr m_bstrObjectId;
    CBinarySerializer m_serializer;
    CBinaryDeserializer m_deserializer;
    ATL::IAtlMemMgr* m_pMemMgr;
    DWORD m_dwTimeout = 0;
    LPCWSTR m_pszMethodName = nullptr;
    CReadWriteBinaryStream m_requestStream;
};

}  // namespace ql
