#include "support/StdinRedirect.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

ScopedStdinAtEof::ScopedStdinAtEof() : savedStdin(dup(STDIN_FILENO))
{
    const int devNull = open("/dev/null", O_RDONLY);
    dup2(devNull, STDIN_FILENO);
    close(devNull);
    std::clearerr(stdin);
}

ScopedStdinAtEof::~ScopedStdinAtEof()
{
    dup2(savedStdin, STDIN_FILENO);
    close(savedStdin);
    std::clearerr(stdin);
}
