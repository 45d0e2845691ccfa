// Facts of the generated catalogue checked against expectations written by
// hand: method counts per family, slots, identifiers, the interface map.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "bytes.h"
#include "catalogue/families.h"
#include "catalogue/method_tables.h"
#include "catalogue/records.h"
#include "repository_fixture.h"
#include "support/base/wide_string.h"
#include "trace_recorder.h"

namespace ql::test {
namespace {

const catalog::FamilyEntry& Family(const char* key) {
    for (const catalog::FamilyEntry& family : catalog::Families())
        if (std::strcmp(family.key, key) == 0) return family;
    ADD_FAILURE() << "no family " << key;
    return catalog::Families()[0];
}

int CountKind(const catalog::FamilyEntry& family, catalog::MethodKind kind) {
    int count = 0;
    for (const catalog::MethodEntry& method : family.methods) count += method.kind == kind;
    return count;
}

std::string GuidText(const GUID& guid) {
    OLECHAR text[40] = {};
    StringFromGUID2(guid, text, 40);
    std::string narrow;
    for (OLECHAR* c = text; *c != 0; ++c) narrow.push_back(static_cast<char>(*c));
    return narrow;
}

TEST(CatalogueFacts, MethodCountsPerFamily) {
    using catalog::MethodKind;
    struct Expected {
        const char* key;
        int carried, notImplemented, dispatch, empty, lastSlot;
    };
    const Expected expected[] = {
        {"FileSystem", 75, 5, 0, 0, 82}, {"FileSystemView", 63, 0, 0, 0, 65},
        {"SBS", 101, 0, 0, 0, 103},      {"Vault", 87, 0, 0, 3, 92},
        {"JobQueue", 66, 0, 0, 0, 68},   {"LocalUserManager", 57, 0, 4, 0, 63},
        {"Update", 10, 0, 0, 0, 12},     {"EventReport", 4, 0, 0, 0, 6},
    };
    EXPECT_EQ(std::size(expected), catalog::Families().size());
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.key);
        const catalog::FamilyEntry& family = Family(e.key);
        EXPECT_EQ(e.carried, CountKind(family, MethodKind::kRemote));
        EXPECT_EQ(e.notImplemented, CountKind(family, MethodKind::kNotImplemented));
        EXPECT_EQ(e.dispatch, CountKind(family, MethodKind::kDispatch));
        EXPECT_EQ(e.empty, CountKind(family, MethodKind::kEmpty));
        ASSERT_FALSE(family.methods.empty());
        EXPECT_EQ(3, family.methods.front().slot);
        EXPECT_EQ(e.lastSlot, family.methods.back().slot);
    }
}

TEST(CatalogueFacts, SlotsAndKindsOfKnownMethods) {
    struct Expected {
        const char* family;
        const char* method;
        int slot;
        catalog::MethodKind kind;
    };
    using catalog::MethodKind;
    const Expected expected[] = {
        {"FileSystem", "ReadBLOBBlock", 12, MethodKind::kRemote},
        {"FileSystem", "SetRawStorageIsReservingSpace", 45, MethodKind::kRemote},
        {"FileSystem", "GetDiskFileInfo61", 75, MethodKind::kNotImplemented},
        {"FileSystem", "GetIntegrityCheckErrors", 79, MethodKind::kNotImplemented},
        {"FileSystem", "DeleteFileFromBackupEx", 82, MethodKind::kRemote},
        {"FileSystemView", "BuildDTFEx", 65, MethodKind::kRemote},
        {"Vault", "AddVaultMachineGroup", 16, MethodKind::kRemote},
        {"Vault", "GetAllSBSs", 21, MethodKind::kRemote},
        {"LocalUserManager", "Invoke", 6, MethodKind::kDispatch},
        {"LocalUserManager", "AddUser", 7, MethodKind::kRemote},
        {"LocalUserManager", "CheckZelAccount", 63, MethodKind::kRemote},
        {"Update", "Initialize", 8, MethodKind::kRemote},
        {"EventReport", "ReportEventChain", 6, MethodKind::kRemote},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.method);
        const catalog::MethodEntry* method = catalog::FindMethod(Family(e.family), e.method);
        ASSERT_NE(nullptr, method);
        EXPECT_EQ(e.slot, method->slot);
        EXPECT_EQ(e.kind, method->kind);
    }
    const catalog::FamilyEntry& vault = Family("Vault");
    for (int slot : {15, 19, 20})
        EXPECT_EQ(MethodKind::kEmpty, vault.methods[static_cast<std::size_t>(slot - 3)].kind);
}

TEST(CatalogueFacts, EveryFamilySendsItsFixedIdentifiers) {
    struct Expected {
        const char* key;
        const char* clsid;
        const char* iid;
        const RemoteFamily* family;
    };
    const Expected expected[] = {
        {"FileSystem", "{CB469298-8BCB-11D2-AA9C-00C04FA37111}",
         "{42A08E36-B219-4B0B-8E03-737B36D45F66}", &kFamilyFileSystem},
        {"FileSystemView", "{CB469299-8BCB-11D2-AA9C-00C04FA37111}",
         "{3E8F2712-3544-4789-AB3A-AC5B2BDC3777}", &kFamilyFileSystemView},
        {"SBS", "{CB469296-8BCB-11D2-AA9C-00C04FA37111}", "{A7347602-605D-4646-B80A-212EAE3C7709}",
         &kFamilySBS},
        {"Vault", "{CB469297-8BCB-11D2-AA9C-00C04FA37111}",
         "{186F1A88-6802-48EE-83DA-302F0BC823A4}", &kFamilyVault},
        {"JobQueue", "{CB46929B-8BCB-11D2-AA9C-00C04FA37111}",
         "{9318CEC3-9FE5-4717-97EB-854FB12BBEB4}", &kFamilyJobQueue},
        {"LocalUserManager", "{110F654B-A7D9-11D3-8FA9-00A0C91D0ABE}",
         "{7BF1E729-2BB9-41CA-A7C4-5E2D9B1D974E}", &kFamilyLocalUserManager},
        {"Update", "{5D3798E4-A020-11D3-8AA9-00104BB11D1E}",
         "{CC73886D-168C-48A0-99E0-57BEA51C3032}", &kFamilyUpdate},
        {"EventReport", "{CB46929A-8BCB-11D2-AA9C-00C04FA37111}",
         "{8EDD323F-8B65-11D1-968E-00C04FD5F9C3}", &kFamilyEventReport},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.key);
        EXPECT_EQ(e.clsid, GuidText(e.family->clsid));
        EXPECT_EQ(e.iid, GuidText(e.family->iid));
        EXPECT_EQ(e.clsid, GuidText(Family(e.key).serverClass));
        EXPECT_EQ(e.iid, GuidText(Family(e.key).sentInterface));
    }
    EXPECT_EQ("DSFileSystem", ToUtf8(kFamilyFileSystem.name));
    EXPECT_EQ("NTLocalUserManager", ToUtf8(kFamilyLocalUserManager.name));
}

TEST(CatalogueFacts, RecordTablesAndEnumerations) {
    EXPECT_EQ(-1946140672, static_cast<int>(kJobDone));
    EXPECT_EQ(static_cast<int>(0x8C000001u), static_cast<int>(kFileSystem_ntfs));
    EXPECT_EQ(static_cast<int>(0x8C0000C2u), static_cast<int>(kServerScheduledBLOBSyncJob));
    int rawBlocks = 0;
    for (const catalog::RecordEntry& record : catalog::Records()) {
        if (std::strcmp(record.name, "_sbsmetajob") == 0) {
            EXPECT_EQ(41u, record.rawSize);
        }
        if (std::strcmp(record.name, "_metaJobCompletionLog") == 0) {
            EXPECT_EQ(516u, record.rawSize);
        }
        if (std::strcmp(record.name, "_created_revision") == 0) {
            EXPECT_EQ(219u, record.tag);
            EXPECT_FALSE(record.written);
            EXPECT_TRUE(record.read);
        }
        rawBlocks += record.rawSize != 0;
    }
    EXPECT_EQ(91u, catalog::Records().size());
    EXPECT_EQ(46, rawBlocks);
}

// A meta-job specification sends its job list last, after ScheduledJob
// (lMetaJobFlags), but declares it, count first, right after ComputerName.
TEST(CatalogueFacts, MetaJobSpecsDeclareTheirJobsBeforeTheirLastWireField) {
    EXPECT_EQ(offsetof(_metajobspec, NumberOfJobs),
              offsetof(_metajobspec, ComputerName) + sizeof(BSTR));
    EXPECT_EQ(offsetof(_metajobspec, Jobs), offsetof(_metajobspec, NumberOfJobs) + 1);
    EXPECT_EQ(offsetof(_metajobspec, ScheduledJob),
              offsetof(_metajobspec, Jobs) + sizeof(_jobspec*));
    EXPECT_EQ(sizeof(_metajobspec), offsetof(_metajobspec, ScheduledJob) + 1);

    EXPECT_EQ(offsetof(_metajobspec403, NumberOfJobs),
              offsetof(_metajobspec403, ComputerName) + sizeof(BSTR));
    EXPECT_EQ(offsetof(_metajobspec403, Jobs), offsetof(_metajobspec403, NumberOfJobs) + 1);
    EXPECT_EQ(offsetof(_metajobspec403, lMetaJobFlags),
              offsetof(_metajobspec403, Jobs) + sizeof(_jobspec*));
    EXPECT_EQ(sizeof(_metajobspec403), offsetof(_metajobspec403, lMetaJobFlags) + sizeof(LONG));
}

class InterfaceMapTest : public RepositoryTest {};

TEST_F(InterfaceMapTest, EveryVersionOfAChainAnswersTheMostDerivedInterface) {
    const IID* chains[][11] = {
        {&IID_IDSFileSystem, &IID_IDSFileSystem_40, &IID_IDSFileSystem_403, &IID_IDSFileSystem_57,
         &IID_IDSFileSystem_60, &IID_IDSFileSystem_61, &IID_IDSFileSystem_62},
        {&IID_IDSFileSystemView, &IID_IDSFileSystemView_40, &IID_IDSFileSystemView_402,
         &IID_IDSFileSystemView_45, &IID_IDSFileSystemView_46, &IID_IDSFileSystemView_57,
         &IID_IDSFileSystemView_60, &IID_IDSFileSystemView_61, &IID_IDSFileSystemView_62,
         &IID_IDSFileSystemView_622},
        {&IID_IDSVault, &IID_IDSVault_40, &IID_IDSVault_402, &IID_IDSVault_403, &IID_IDSVault_46,
         &IID_IDSVault_51, &IID_IDSVault_60, &IID_IDSVault_61, &IID_IDSVault_62, &IID_IDSVault_621},
        {&IID_IDSSBS, &IID_IDSSBS_40, &IID_IDSSBS_401, &IID_IDSSBS_402, &IID_IDSSBS_403,
         &IID_IDSSBS_45, &IID_IDSSBS_46, &IID_IDSSBS_57, &IID_IDSSBS_61, &IID_IDSSBS_62,
         &IID_IDSSBS_621},
        {&IID_IJobQueue, &IID_IJobQueue_401, &IID_IJobQueue_403, &IID_IJobQueue_51,
         &IID_IJobQueue_60, &IID_IJobQueue_61, &IID_IJobQueue_62, &IID_IJobQueue_621},
        {&IID_INTLocalUserManager, &IID_INTLocalUserManager_40, &IID_INTLocalUserManager_403,
         &IID_INTLocalUserManager_61},
        {&IID_INDMUpdateEx, &IID_INDMUpdateEx_61},
        {&IID_IEventReportImp},
    };
    void* seen[std::size(chains)] = {};
    for (std::size_t chain = 0; chain < std::size(chains); ++chain) {
        for (const IID* iid : chains[chain]) {
            if (iid == nullptr) break;
            SCOPED_TRACE(GuidText(*iid));
            void* found = nullptr;
            ASSERT_EQ(S_OK, m_repository->QueryInterface(*iid, &found));
            if (seen[chain] == nullptr) seen[chain] = found;
            EXPECT_EQ(seen[chain], found);
            static_cast<IUnknown*>(found)->Release();
        }
        for (std::size_t other = 0; other < chain; ++other) EXPECT_NE(seen[other], seen[chain]);
    }
    // The first family table begins with the oldest interface's methods.
    void* oldest = nullptr;
    ASSERT_EQ(S_OK, m_repository->QueryInterface(IID_IDSFileSystem, &oldest));
    EXPECT_EQ(static_cast<IDSFileSystem*>(static_cast<IDSFileSystem_62*>(m_repository)), oldest);
    static_cast<IUnknown*>(oldest)->Release();
}

TEST_F(InterfaceMapTest, OtherIdentifiersAreRefusedThroughTheLastEntry) {
    TraceRecorder recorder;
    const GUID clientSecurity = {
        0x0000013D, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    const GUID unknown = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
    for (const GUID* iid : {&clientSecurity, &IID_ITransportOptions_61, &unknown}) {
        void* found = reinterpret_cast<void*>(1);
        EXPECT_EQ(E_NOINTERFACE, m_repository->QueryInterface(*iid, &found));
        EXPECT_EQ(nullptr, found);
    }
    EXPECT_TRUE(
        recorder.Contains("CSoapRepository::CallThisForEveryQI() - Quering for "
                          "{12345678-1234-1234-0102-030405060708}. Returning E_NOINTERFACE"))
        << ::testing::PrintToString(recorder.Texts());
    EXPECT_EQ(0u, m_transport->SendCount());
}

}  // namespace
}  // namespace ql::test
