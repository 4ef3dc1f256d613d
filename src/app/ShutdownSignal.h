#pragma once

// The first SIGINT or SIGTERM only raises a flag; the frame loop turns it
// into a close request for the window, so the program ends through its
// normal shutdown with exit code 0. A second one ends the program at once.
void InstallShutdownSignals();
bool ShutdownRequested();
