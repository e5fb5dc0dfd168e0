#include "server/process/server_main.h"

#include <malloc.h>

int main(int argc, char **argv)
{
    // A day's reply is hundreds of kilobytes, built and freed on every call
    // that reads the day again. With glibc's sliding thresholds each such
    // buffer was handed back to the kernel when freed (a map of its own, or
    // a trim of the thread's arena) and faulted in page by page on the next
    // call. Kept in the arenas, the pages are reused; the server's resident
    // size then holds on to its largest replies.
    mallopt(M_MMAP_THRESHOLD, 8 << 20);
    mallopt(M_TRIM_THRESHOLD, 32 << 20);
    return appserver::runServer(std::vector<std::string>(argv + 1, argv + argc));
}
