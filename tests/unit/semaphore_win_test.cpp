// The everyone-access security attributes that named kernel objects are
// created with.
#include <gtest/gtest.h>

#include "support/platform/security_attributes.h"

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

}  // namespace
}  // namespace ql
