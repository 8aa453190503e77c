#pragma once
// Starts the headless platform for one test and returns to the default afterwards.
#include <gtest/gtest.h>

#include "platform/messages.h"
#include "platform/platform.h"

namespace zre::test {

class HeadlessTest : public ::testing::Test {
protected:
    void TearDown() override { shutdownPlatform(); }

    void start(const HeadlessOptions& options = {}) { ASSERT_TRUE(initPlatform(true, options)); }

    // Every message that is due now, in delivery order.
    static std::vector<Message> drain() {
        std::vector<Message> out;
        Message m;
        while (peekMessage(m)) out.push_back(m);
        return out;
    }
};

} // namespace zre::test
