#pragma once
// Tests that need the virtual filter driver start with it installed, running
// and cleared, and fail with the reason when it cannot be installed.

#include "devices/vfilter/VirtualFilterDriver.h"

#include <gtest/gtest.h>

#include <string>

namespace zq::test {

class VirtualFilterFixture : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string problem = devices::VirtualFilterDriver::Install();
        ASSERT_EQ(problem, "") << "no virtual filter driver: " << problem;
        ASSERT_TRUE(devices::VirtualFilterDriver::Clear());
    }
    void TearDown() override { devices::VirtualFilterDriver::Clear(); }
};

} // namespace zq::test
