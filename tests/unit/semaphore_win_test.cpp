// The everyone-access security attributes, and kernel objects created with
// them.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "support/platform/security_attributes.h"
#include "support/sync/semaphore.h"

namespace ql {
namespace {

TEST(SecurityAttributesWin, GrantEveryAccessWithoutInheritance) {
    SECURITY_ATTRIBUTES* attributes = TqlGetEveryoneSecurityAttributes();
    ASSERT_NE(attributes, nullptr);
    EXPECT_EQ(attributes->nLength, sizeof(SECURITY_ATTRIBUTES));
    EXPECT_FALSE(attributes->bInheritHandle);
    BOOL present = FALSE;
    BOOL defaulted = TRUE;
    PACL acl = reinterpret_cast<PACL>(1);
    ASSERT_TRUE(
        GetSecurityDescriptorDacl(attributes->lpSecurityDescriptor, &present, &acl, &defaulted));
    EXPECT_TRUE(present);
    EXPECT_EQ(acl, nullptr);  // present and null: no restriction at all
    EXPECT_FALSE(defaulted);
}

TEST(SecurityAttributesWin, ANamedSemaphoreCreatedWithThemCanBeOpenedByName) {
    std::wstring name = L"QuillonTest_EveryoneSemaphore_" + std::to_wstring(GetCurrentProcessId());
    CTqlSemaphore semaphore(1, 1, name.c_str(), TqlGetEveryoneSecurityAttributes());
    ASSERT_EQ(semaphore.CreateError(), 0u);
    HANDLE opened = OpenSemaphoreW(SEMAPHORE_MODIFY_STATE | SYNCHRONIZE, FALSE, name.c_str());
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(WaitForSingleObject(opened, 0), WAIT_OBJECT_0);
    EXPECT_FALSE(semaphore.WaitFor(0));  // one count, taken through the other handle
    EXPECT_TRUE(ReleaseSemaphore(opened, 1, nullptr));
    EXPECT_TRUE(semaphore.WaitFor(0));
    CloseHandle(opened);
}

}  // namespace
}  // namespace ql
