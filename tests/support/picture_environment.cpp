// Every test program runs with the picture modules started, as the program
// does before its first window.
#include "picture_modules.h"

#include <gtest/gtest.h>

namespace {

class PictureEnvironment : public ::testing::Environment {
public:
    void SetUp() override { tremalu::StartPictureModules(); }
    void TearDown() override { tremalu::StopPictureModules(); }
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new PictureEnvironment);

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
