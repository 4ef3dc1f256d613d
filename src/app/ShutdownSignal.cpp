#include "app/ShutdownSignal.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t shutdownRequested = 0;

extern "C" void RequestShutdown(int signalNumber)
{
    shutdownRequested = 1;
    // The first signal asks the loop to finish its frame and shut down
    // normally; a second one ends the program at once, in case it is stuck
    // where the loop never looks.
    std::signal(signalNumber, SIG_DFL);
}

} // namespace

void InstallShutdownSignals()
{
    std::signal(SIGINT, RequestShutdown);
    std::signal(SIGTERM, RequestShutdown);
}

bool ShutdownRequested()
{
    return shutdownRequested != 0;
}
