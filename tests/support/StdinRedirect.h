#pragma once

// Replaces standard input with /dev/null (at end of file at once) for the
// object's lifetime, so code that waits for a key returns immediately.
class ScopedStdinAtEof {
public:
    ScopedStdinAtEof();
    ~ScopedStdinAtEof();

    ScopedStdinAtEof(const ScopedStdinAtEof&) = delete;
    ScopedStdinAtEof& operator=(const ScopedStdinAtEof&) = delete;

private:
    int savedStdin;
};
