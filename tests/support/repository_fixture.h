// A repository object wired to a scripted transport and a configurable
// client configuration, for tests of the object and its call frame.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "bytes.h"
#include "config/client_config.h"
#include "repository/soap_repository.h"
#include "scripted_transport.h"

namespace ql::test {

// A client configuration holding the numbers given to it.
class FakeConfig final : public IClientConfigReader {
public:
    explicit FakeConfig(std::map<SettingId, DWORD> numbers) : m_numbers(std::move(numbers)) {}
    bool ReadNumber(SettingId id, DWORD* value) override {
        auto found = m_numbers.find(id);
        if (found == m_numbers.end()) return false;
        *value = found->second;
        return true;
    }

private:
    std::map<SettingId, DWORD> m_numbers;
};

class RepositoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto transport = std::make_unique<CScriptedTransport>();
        m_transport = transport.get();
        m_repository = CSoapRepository::Create(std::move(transport), OLESTR("Scripted"), [this] {
            std::unique_ptr<IClientConfigReader> reader;
            if (m_configOpens) reader = std::make_unique<FakeConfig>(m_configNumbers);
            return reader;
        });
    }

    void TearDown() override {
        if (m_repository != nullptr) m_repository->Release();
    }

    // Releases the object now (its destruction may still send).
    void DestroyRepository() {
        m_repository->Release();
        m_repository = nullptr;
        m_transport = nullptr;
    }

    // The call header of a request while no server object exists.
    static Bytes CallHeader(const GUID& clsid, const GUID& iid, std::u16string_view method,
                            std::u16string_view objectId = {}, bool hasObjectId = false) {
        Wire body(255);
        body.Put(StreamHeader());
        hasObjectId ? body.Bstr(objectId) : body.ULong(0);
        return body.Guid(clsid).Guid(iid).Bstr(method).bytes;
    }

    static Bytes ReplyHead(HRESULT result) {
        return Wire(255).Put(StreamHeader()).Long(result).bytes;
    }

    CSoapRepository* m_repository = nullptr;
    CScriptedTransport* m_transport = nullptr;
    std::map<SettingId, DWORD> m_configNumbers;
    bool m_configOpens = true;
};

}  // namespace ql::test
