// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

bool IsTerminal(std::FILE* stream) {
    const int fd = stream ? fileno(stream) : -1;
    return fd >= 0 && isatty(fd) == 1;
}

int TerminalColumns(std::FILE* stream) {
    const int fd = stream ? fileno(stream) : -1;
    winsize size{};
    if (fd < 0 || ioctl(fd, TIOCGWINSZ, &size) != 0) return 0;
    return size.ws_col;
}
