// The role read from the host's command line.
#include <gtest/gtest.h>

#include "host/role.h"

namespace {

using Zentrova_B::Role;
using Zentrova_B::RoleOf;

TEST(RoleOf, SecondCharacterDecidesCaseInsensitively) {
    for (const char* run : {"/s", "/S", "-s", "xs", "/s extra"}) EXPECT_EQ(RoleOf(run), Role::Run);
    EXPECT_EQ(RoleOf("/c:1234"), Role::Configure);
    EXPECT_EQ(RoleOf("/C"), Role::Configure);
    EXPECT_EQ(RoleOf("/p 4242"), Role::Preview);
    EXPECT_EQ(RoleOf(""), Role::RunVisible);
    for (const char* none : {"/x", "/", "s", "//", "/ s"}) EXPECT_EQ(RoleOf(none), Role::None);
}

}  // namespace
