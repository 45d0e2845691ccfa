// Facts of the generated catalogue checked against expectations written by
// hand: a declaration order that differs from the wire order, and the
// interface map.
#include <gtest/gtest.h>

#include <cstddef>

#include "catalogue/records.h"
#include "repository_fixture.h"
#include "trace_recorder.h"

namespace ql::test {
namespace {

// A meta-job specification sends its job list last, after ScheduledJob, but
// declares it, count first, right after ComputerName.
TEST(CatalogueFacts, AMetaJobSpecDeclaresItsJobsBeforeItsLastWireField) {
    EXPECT_EQ(offsetof(_metajobspec, NumberOfJobs),
              offsetof(_metajobspec, ComputerName) + sizeof(BSTR));
    EXPECT_EQ(offsetof(_metajobspec, Jobs), offsetof(_metajobspec, NumberOfJobs) + 1);
    EXPECT_EQ(offsetof(_metajobspec, ScheduledJob),
              offsetof(_metajobspec, Jobs) + sizeof(_jobspec*));
    EXPECT_EQ(sizeof(_metajobspec), offsetof(_metajobspec, ScheduledJob) + 1);
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
        for (std::size_t version = 0;
             version < std::size(chains[chain]) && chains[chain][version] != nullptr; ++version) {
            SCOPED_TRACE(::testing::Message() << "chain " << chain << ", version " << version);
            void* found = nullptr;
            ASSERT_EQ(S_OK, m_repository->QueryInterface(*chains[chain][version], &found));
            if (seen[chain] == nullptr) seen[chain] = found;
            EXPECT_EQ(seen[chain], found);
            static_cast<IUnknown*>(found)->Release();
        }
        for (std::size_t other = 0; other < chain; ++other) EXPECT_NE(seen[other], seen[chain]);
    }
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
}

}  // namespace
}  // namespace ql::test
