#pragma once

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

// The process's resident memory in MB, read with plain system calls: a FILE would allocate, and
// so change the heap it measures.
inline double residentMegabytes() {
    char text[128] = {};
    const int file = ::open("/proc/self/statm", O_RDONLY);
    if (file < 0) {
        return 0;
    }
    const ssize_t length = ::read(file, text, sizeof text - 1);
    ::close(file);
    long pages = 0;
    long resident = 0;
    if (length <= 0 || std::sscanf(text, "%ld %ld", &pages, &resident) != 2) {
        return 0;
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1 << 20);
}
