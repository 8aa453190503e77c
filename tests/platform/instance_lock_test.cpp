#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/instance_lock.h"
#include "support/test_support.h"

namespace zre {
namespace {

TEST(InstanceLock, OneHolderPerGameFolder) {
    test::TempDir a;
    test::TempDir b;
    std::filesystem::create_directory(a.file("game"));
    std::filesystem::create_directory(b.file("game"));
    EXPECT_TRUE(acquireInstanceLock(a.file("game")));
    EXPECT_FALSE(acquireInstanceLock(a.file("game")));
    // The same folder under another spelling of its path is the same game.
    EXPECT_FALSE(acquireInstanceLock(a.path() + "/./game/"));
    EXPECT_TRUE(acquireInstanceLock(b.file("game")));
}

TEST(InstanceLock, AnotherProcessIsRefused) {
    test::TempDir a;
    ASSERT_TRUE(acquireInstanceLock(a.path()));
    // flock on the lock file from a separate process must fail while we hold it.
    std::string runtime;
    if (const char* r = std::getenv("XDG_RUNTIME_DIR"); r && *r && std::filesystem::is_directory(r)) {
        runtime = r;
    } else {
        runtime = std::filesystem::temp_directory_path().string();
    }
    std::string cmd = "for f in '" + runtime + "'/zre-*.lock; do if grep -qxF '" +
                      std::filesystem::canonical(a.path()).string() +
                      "' \"$f\"; then flock -n \"$f\" true && exit 1; exit 0; fi; done; exit 2";
    EXPECT_EQ(test::runCommand(cmd), 0);
}

} // namespace
} // namespace zre
