#include "app/ShutdownSignal.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t shutdownRequested = 0;

extern "C" void RequestShutdown(int)
{
    shutdownRequested = 1;
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
