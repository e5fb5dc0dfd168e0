#include "testing/process/server_process.h"

#include <fstream>

#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace appserver::testing {

ServerProcess::~ServerProcess()
{
    if (m_pid > 0 && m_exit < 0)
        stop(SIGKILL);
    if (m_err >= 0)
        close(m_err);
    if (m_watch >= 0)
        close(m_watch);
    if (!m_folder.empty()) {
        unlink(m_portFile.c_str());
        rmdir(m_folder.c_str());
    }
}

bool ServerProcess::start(std::vector<std::string> args, int openFileLimit)
{
    if (m_folder.empty()) {
        char folder[] = "/tmp/ate-server-XXXXXX";
        if (!mkdtemp(folder))
            return false;
        m_folder = folder;
        m_portFile = m_folder + "/port";
        // The server writes the file under another name and renames it.
        m_watch = inotify_init1(IN_CLOEXEC);
        if (m_watch < 0 || inotify_add_watch(m_watch, folder, IN_MOVED_TO | IN_CLOSE_WRITE) < 0)
            return false;
    }
    unlink(m_portFile.c_str());
    args.insert(args.begin(), ATE_APPSERVER_PATH);
    args.insert(args.end(), {"--port-file", m_portFile});
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return false;
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (openFileLimit > 0) {
            const rlimit limit{static_cast<rlim_t>(openFileLimit),
                               static_cast<rlim_t>(openFileLimit)};
            setrlimit(RLIMIT_NOFILE, &limit);
        }
        dup2(pipeFds[1], STDERR_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    m_pid = pid;
    m_err = pipeFds[0];
    m_output.clear();
    m_searchFrom = 0;
    m_exit = -1;
    return true;
}

bool ServerProcess::readMore()
{
    char buffer[4096];
    const ssize_t n = read(m_err, buffer, sizeof buffer);
    if (n <= 0)
        return false;
    m_output.append(buffer, static_cast<std::size_t>(n));
    return true;
}

bool ServerProcess::waitFor(const std::regex &pattern, std::smatch *match)
{
    std::smatch local;
    std::smatch &found = match ? *match : local;
    for (;;) {
        // The match refers into m_searched, which outlives this call.
        m_searched = m_output.substr(m_searchFrom);
        if (std::regex_search(m_searched, found, pattern)) {
            m_searchFrom += static_cast<std::size_t>(found.position(0) + found.length(0));
            return true;
        }
        // The pipe ends when the process does; a blocking read cannot hang
        // past that.
        if (!readMore())
            return false;
    }
}

int ServerProcess::readPortFile() const
{
    std::ifstream in(m_portFile);
    int port = 0;
    return in >> port ? port : 0;
}

int ServerProcess::waitListening()
{
    for (;;) {
        if (const int port = readPortFile()) {
            // What the server logged before it wrote the file is in the pipe.
            pollfd err{m_err, POLLIN, 0};
            while (poll(&err, 1, 0) > 0 && (err.revents & POLLIN) && readMore()) {
            }
            return port;
        }
        // Either the file appears or the server ends (its pipe closes).
        pollfd fds[2] = {{m_watch, POLLIN, 0}, {m_err, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0)
            return 0;
        if (fds[0].revents & POLLIN) {
            char events[4096];
            if (read(m_watch, events, sizeof events) < 0)
                return 0;
        }
        if ((fds[1].revents & (POLLIN | POLLHUP)) && !readMore())
            return readPortFile();
    }
}

int ServerProcess::reap(bool block)
{
    if (m_exit >= 0)
        return m_exit;
    int status = 0;
    if (waitpid(m_pid, &status, block ? 0 : WNOHANG) != m_pid)
        return -1;
    m_exit = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return m_exit;
}

int ServerProcess::stop(int signal)
{
    if (m_exit < 0)
        kill(m_pid, signal);
    const int code = reap(true);
    while (readMore()) {
    }
    return code;
}

int ServerProcess::wait()
{
    while (readMore()) {
    }
    return reap(true);
}

} // namespace appserver::testing
