// The previews' two threads: whatever fails on either, both have finished
// when the call returns, and the failure raised is the one that happened
// (this thread's first).
#include "core/errors.h"
#include "preview_decode.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>

using namespace tremalu;

namespace {

struct TwoThreadsCase {
    const char* Name;
    bool HereFails;
    bool ThereFails;
    const char* Raised;  // the failure's text, or null
};

class TwoThreads : public ::testing::TestWithParam<TwoThreadsCase> {};

}  // namespace

TEST_P(TwoThreads, JoinBeforeReturningAndRaiseTheFailureHere)
{
    const TwoThreadsCase& c = GetParam();
    const std::thread::id caller = std::this_thread::get_id();
    std::atomic<bool> hereDone{false}, thereDone{false};
    std::optional<std::thread::id> thereRanOn;
    std::optional<std::string> raised;
    try {
        RunOnTwoThreads(
            [&] {
                hereDone = true;
                if (c.HereFails)
                    throw EJPEG("ici");
            },
            [&] {
                thereRanOn = std::this_thread::get_id();
                // Ends after this thread's work, whatever the scheduling, so
                // that a missing join shows (and both must run at once).
                while (!hereDone)
                    std::this_thread::yield();
                thereDone = true;
                if (c.ThereFails)
                    throw EJPEG("ailleurs");
            });
    } catch (const EJPEG& e) {
        raised = e.message();
        EXPECT_TRUE(thereDone) << "the second thread is joined before the failure leaves";
    }
    EXPECT_TRUE(thereDone);
    ASSERT_TRUE(thereRanOn.has_value());
    EXPECT_NE(*thereRanOn, caller);
    EXPECT_EQ(raised, c.Raised ? std::optional<std::string>(c.Raised) : std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Failures, TwoThreads,
                         ::testing::Values(TwoThreadsCase{"None", false, false, nullptr},
                                           TwoThreadsCase{"Here", true, false, "ici"},
                                           TwoThreadsCase{"There", false, true, "ailleurs"},
                                           TwoThreadsCase{"Both", true, true, "ici"}),
                         [](const auto& info) { return std::string(info.param.Name); });
