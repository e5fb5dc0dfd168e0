#pragma once

#include <sys/types.h>

#include <regex>
#include <string>
#include <vector>

namespace appserver::testing {

// The server executable as a child process, its standard error read through
// a pipe. It dies with the test process however that ends. Each run is given
// "--port-file" in a folder of its own, where the server writes the port it
// listens on once it does.
class ServerProcess
{
public:
    ServerProcess() = default;
    ~ServerProcess();
    ServerProcess(const ServerProcess &) = delete;
    ServerProcess &operator=(const ServerProcess &) = delete;

    // `openFileLimit` > 0 sets the child's soft and hard limit of open files.
    bool start(std::vector<std::string> args, int openFileLimit = 0);
    // Reads standard error until `pattern` matches what this run wrote
    // since the last match or the process ends; false then.
    bool waitFor(const std::regex &pattern, std::smatch *match = nullptr);
    // Waits for the port file and returns the port, 0 when the server ended
    // first.
    int waitListening();
    // Sends the signal and waits for the end; the exit code, or 128 + the
    // signal that ended it.
    int stop(int signal);
    // Waits for the process to end by itself.
    int wait();
    const std::string &output() const { return m_output; }
    pid_t pid() const { return m_pid; }

private:
    bool readMore();
    int reap(bool block);

    int readPortFile() const;

    pid_t m_pid = 0;
    int m_err = -1;
    std::string m_folder;
    std::string m_portFile;
    int m_watch = -1; // inotify, on m_folder
    std::string m_output;
    std::string m_searched;
    std::size_t m_searchFrom = 0;
    int m_exit = -1;
};

} // namespace appserver::testing
