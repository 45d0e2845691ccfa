#include "vault_service.h"

#include <cstring>

#include "call_reader.h"
#include "catalogue/method_tables.h"
#include "reply_writer.h"
#include "store_calls.h"
#include "support/base/unique_bstr.h"
#include "support/base/wide_string.h"
#include "wire_items.h"

namespace ql::vault {
namespace {

using catalog::ItemKind;
using catalog::WireItem;

// The object-lifetime target: reached with the all-zero class identifier.
constexpr IID kPersistInterface = {
    0x757F4FF4, 0x1FD0, 0x4B4A, {0x8C, 0xEE, 0x42, 0xFF, 0x31, 0xCD, 0x6A, 0x6D}};

constexpr WireItem kCreateObjectSent[] = {{ItemKind::kPlain, "GUID", 0, "clsid"},
                                          {ItemKind::kPlain, "GUID", 0, "iid"}};
constexpr WireItem kPerfTestSent[] = {{ItemKind::kPlain, "BSTR", 0, "data"},
                                      {ItemKind::kPlain, "int", 0, "replySize"}};

struct PersistMethod {
    const char* name;
    std::span<const WireItem> sent;
};

constexpr PersistMethod kPersistMethods[] = {
    {"CreateObject", kCreateObjectSent},
    {"DestroyObject", {}},
    {"Ping", {}},
    {"CheckTransport", {}},
    {"PerfTest", kPerfTestSent},
};

const PersistMethod* FindPersist(const std::string& name) {
    for (const PersistMethod& method : kPersistMethods) {
        if (name == method.name) return &method;
    }
    return nullptr;
}

const catalog::MethodEntry* FindRemote(const IID& iid, const std::string& name) {
    for (const catalog::FamilyEntry& family : catalog::Families()) {
        if (!(family.sentInterface == iid)) continue;
        const catalog::MethodEntry* method = catalog::FindMethod(family, name.c_str());
        if (method != nullptr && method->kind == catalog::MethodKind::kRemote) return method;
        return nullptr;
    }
    return nullptr;
}

VaultReply Status(const char* hveh) {
    VaultReply reply;
    reply.hveh = hveh;
    return reply;
}

VaultReply Ok(std::string body) {
    VaultReply reply = Status(kVaultOk);
    reply.body = std::move(body);
    return reply;
}

void RequireEnd(CallReader& reader) {
    if (!reader.AtEnd()) ATL::AtlThrow(E_INVALIDARG);
}

}  // namespace

std::string VaultService::MethodOf(std::span<const unsigned char> body) {
    try {
        CallReader reader(body);
        return reader.Header().method;
    } catch (const ATL::CAtlException&) {
        return {};
    }
}

VaultReply VaultService::Handle(std::span<const unsigned char> body) {
    try {
        CallReader reader(body);
        const CallHeader& header = reader.Header();
        if (header.iid == kPersistInterface) {
            const PersistMethod* method = FindPersist(header.method);
            if (method == nullptr) return Status(kVaultExceptionInMethod);
            if (header.method == "PerfTest") {
                reader.In().ReadBstr(*CUniqueBstr().Address());
                INT replySize = 0;
                reader.In().ReadScalar(wire::kTagInt, replySize);
                RequireEnd(reader);
                std::lock_guard<std::mutex> guard(m_lock);
                if (!header.objectId.empty() && m_objects.count(header.objectId) == 0) {
                    return Status(kVaultObjectNotFound);
                }
                // Characters follow the count; the text and terminator stay out
                // of memory.
                bool valid = replySize >= 0 && replySize <= kMaxPerfTestChars;
                ReplyWriter reply(valid ? S_OK : E_INVALIDARG);
                ULONG count = valid && replySize > 0 ? static_cast<ULONG>(replySize) * 2 + 2 : 0;
                reply.Out().WriteULong(count);
                if (count != 0) reply.Out().WriteTag(wire::kTagByteRun);
                VaultReply answer = Ok(reply.Bytes());
                if (count != 0) {
                    answer.fillBytes = static_cast<std::uint64_t>(replySize) * 2;
                    answer.tail.assign(2, '\0');
                }
                return answer;
            }
            GUID clsid{};
            GUID iid{};
            if (header.method == "CreateObject") {
                reader.In().ReadGuid(clsid);
                reader.In().ReadGuid(iid);
            }
            RequireEnd(reader);
            std::lock_guard<std::mutex> guard(m_lock);
            bool known = header.objectId.empty() || m_objects.count(header.objectId) != 0;
            if (header.method == "CreateObject") {
                // A new object whatever the caller held before.
                std::string id = "obj-" + std::to_string(m_nextObject++);
                m_objects.insert(id);
                ReplyWriter reply(S_OK);
                WString wide = WidenAscii(id);
                reply.Out().WriteWideString(wide.c_str());
                return Ok(reply.Bytes());
            }
            if (!known) return Status(kVaultObjectNotFound);
            ReplyWriter reply(S_OK);
            if (header.method == "DestroyObject") m_objects.erase(header.objectId);
            if (header.method == "Ping") reply.Out().WriteULong(0);
            return Ok(reply.Bytes());
        }

        const catalog::MethodEntry* method = FindRemote(header.iid, header.method);
        if (method == nullptr) return Status(kVaultExceptionInMethod);
        std::lock_guard<std::mutex> guard(m_lock);
        // Checked before the store runs, so a stale object changes nothing.
        if (!header.objectId.empty() && m_objects.count(header.objectId) == 0) {
            return Status(kVaultObjectNotFound);
        }
        std::string replyBody;
        if (!RunStoreCall(m_store, header.method, reader.In(), replyBody)) {
            for (const WireItem& item : method->sent) SkipItem(reader.In(), item);
            ReplyWriter reply(S_OK);
            for (const WireItem& item : method->received) WriteZeroItem(reply.Out(), item);
            replyBody = reply.Bytes();
        }
        RequireEnd(reader);
        return Ok(std::move(replyBody));
    } catch (const ATL::CAtlException&) {
        VaultReply reply;
        reply.httpStatus = 400;
        return reply;
    }
}

}  // namespace ql::vault
