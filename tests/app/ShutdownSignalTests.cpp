#include "app/ShutdownSignal.h"

#include <gtest/gtest.h>

#include <csignal>

namespace {

void (*CurrentHandler(int signalNumber))(int)
{
    struct sigaction action = {};
    sigaction(signalNumber, nullptr, &action);
    return action.sa_handler;
}

// The flag is process-wide and never cleared, so the whole sequence is one
// test: installed, nothing requested; one signal requests a shutdown and
// leaves the default action for a second one.
TEST(ShutdownSignal, FirstSignalAsksSecondSignalEnds)
{
    InstallShutdownSignals();
    EXPECT_NE(CurrentHandler(SIGINT), SIG_DFL);
    EXPECT_NE(CurrentHandler(SIGTERM), SIG_DFL);
    EXPECT_FALSE(ShutdownRequested());

    std::raise(SIGTERM);

    EXPECT_TRUE(ShutdownRequested());
    EXPECT_EQ(CurrentHandler(SIGTERM), SIG_DFL);
    EXPECT_NE(CurrentHandler(SIGINT), SIG_DFL) << "only the signal that arrived falls back";
    std::signal(SIGINT, SIG_DFL);
}

} // namespace
