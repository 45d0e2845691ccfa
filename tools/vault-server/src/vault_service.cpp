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

using catalog::WireItem;

// The object-lifetime target: reached with the all-zero class identifier.
constexpr IID kPersistInterface = {
    0x757F4FF4, 0x1FD0, 0x4B4A, {0x8C, 0xEE, 0x42, 0xFF, 0x31, 0xCD, 0x6A, 0x6D}};

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
        if (reader.Header().iid == kPersistInterface) return Persist(reader);
        return Remote(reader);
    } catch (const ATL::CAtlException&) {
        VaultReply reply;
        reply.httpStatus = 400;
        return reply;
    }
}

bool VaultService::Known(const std::string& objectId) const {
    return objectId.empty() || m_objects.count(objectId) != 0;
}

VaultReply VaultService::Persist(CallReader& reader) {
    const std::string& method = reader.Header().method;
    if (method == "PerfTest") return PerfTest(reader);
    if (method == "CreateObject") {
        GUID clsid{};
        GUID iid{};
        reader.In().ReadGuid(clsid);
        reader.In().ReadGuid(iid);
        RequireEnd(reader);
        std::lock_guard<std::mutex> guard(m_lock);
        // A new object whatever the caller held before.
        std::string id = "obj-" + std::to_string(m_nextObject++);
        m_objects.insert(id);
        ReplyWriter reply(S_OK);
        reply.Out().WriteWideString(WidenAscii(id).c_str());
        return Ok(reply.Bytes());
    }
    if (method != "DestroyObject" && method != "Ping" && method != "CheckTransport") {
        return Status(kVaultExceptionInMethod);
    }
    RequireEnd(reader);
    std::lock_guard<std::mutex> guard(m_lock);
    if (!Known(reader.Header().objectId)) return Status(kVaultObjectNotFound);
    ReplyWriter reply(S_OK);
    if (method == "DestroyObject") m_objects.erase(reader.Header().objectId);
    if (method == "Ping") reply.Out().WriteULong(0);
    return Ok(reply.Bytes());
}

VaultReply VaultService::PerfTest(CallReader& reader) {
    reader.In().ReadBstr(*CUniqueBstr().Address());
    INT replySize = 0;
    reader.In().ReadScalar(wire::kTagInt, replySize);
    RequireEnd(reader);
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (!Known(reader.Header().objectId)) return Status(kVaultObjectNotFound);
    }
    // The string's count and run tag; its characters and terminator go out
    // as fill and tail, never built in memory.
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

VaultReply VaultService::Remote(CallReader& reader) {
    const CallHeader& header = reader.Header();
    const catalog::MethodEntry* method = FindRemote(header.iid, header.method);
    if (method == nullptr) return Status(kVaultExceptionInMethod);
    std::lock_guard<std::mutex> guard(m_lock);
    // Checked before the store runs, so a stale object changes nothing.
    if (!Known(header.objectId)) return Status(kVaultObjectNotFound);
    std::string replyBody;
    if (!RunStoreCall(m_store, header.method, reader.In(), replyBody)) {
        for (const WireItem& item : method->sent) SkipItem(reader.In(), item);
        ReplyWriter reply(S_OK);
        for (const WireItem& item : method->received) WriteZeroItem(reply.Out(), item);
        replyBody = reply.Bytes();
    }
    RequireEnd(reader);
    return Ok(std::move(replyBody));
}

}  // namespace ql::vault
