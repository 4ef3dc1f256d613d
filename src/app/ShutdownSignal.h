#pragma once

// SIGINT and SIGTERM only raise a flag; the frame loop turns it into a close
// request for the window, so the program ends through its normal shutdown.
void InstallShutdownSignals();
bool ShutdownRequested();
