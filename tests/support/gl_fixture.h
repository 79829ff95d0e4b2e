#pragma once
#include <gtest/gtest.h>

// A real GL context in a 640 x 480 window on a display of the test's own,
// with the game's scene variables set up.
class GlFixture : public ::testing::Test {
protected:
    void SetUp() override;
};
