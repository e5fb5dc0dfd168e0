#include "testing/pg/pg_cluster.h"

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace appserver::testing {
namespace {

const std::string kBin = "/usr/lib/postgresql/15/bin/";

std::string asPostgres(const std::string &command)
{
    return getuid() == 0 ? "runuser -u postgres -- " + command : command;
}

bool run(const std::string &command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

} // namespace

ThrowawayCluster::~ThrowawayCluster()
{
    if (m_paused)
        resume();
    if (m_running)
        run(asPostgres(kBin + "pg_ctl -D " + m_folder + "/data -m immediate stop"));
    if (!m_folder.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
}

std::string ThrowawayCluster::create()
{
    if (!std::filesystem::exists(kBin + "initdb"))
        return "PostgreSQL 15 is not installed";
    char folder[] = "/tmp/ate-pg-fault.XXXXXX";
    if (!mkdtemp(folder))
        return "no temporary folder";
    m_folder = folder;
    std::filesystem::permissions(m_folder, std::filesystem::perms::all);
    if (getuid() == 0 && !run("chown postgres:postgres " + m_folder))
        return "cannot hand " + m_folder + " to the postgres user";
    if (!run(asPostgres(kBin + "initdb -D " + m_folder + "/data -A trust -U postgres -E UTF8")))
        return "initdb failed in " + m_folder;
    if (!start())
        return "pg_ctl start failed in " + m_folder;
    return {};
}

bool ThrowawayCluster::pgCtl(const std::string &action)
{
    return run(asPostgres(kBin + "pg_ctl -D " + m_folder + "/data -l " + m_folder
                          + "/log -w -o \"-k " + m_folder
                          + " -c listen_addresses='' -c fsync=off\" -m fast " + action));
}

bool ThrowawayCluster::start()
{
    m_running = pgCtl("start");
    return m_running;
}

bool ThrowawayCluster::stop()
{
    const bool stopped = pgCtl("stop");
    m_running = !stopped;
    return stopped;
}

bool ThrowawayCluster::restart()
{
    m_running = pgCtl("restart");
    return m_running;
}

bool ThrowawayCluster::signalAll(int signal)
{
    std::ifstream pidFile(m_folder + "/data/postmaster.pid");
    pid_t postmaster = 0;
    if (!(pidFile >> postmaster) || postmaster <= 0)
        return false;
    bool ok = ::kill(postmaster, signal) == 0;
    for (const auto &entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line))
            continue;
        // "pid (name) state ppid ...": the name may hold blanks.
        std::istringstream rest(line.substr(line.rfind(')') + 1));
        std::string state;
        pid_t parent = 0;
        if (rest >> state >> parent && parent == postmaster)
            ok = ::kill(std::stoi(entry.path().filename().string()), signal) == 0 && ok;
    }
    return ok;
}

bool ThrowawayCluster::pause()
{
    m_paused = signalAll(SIGSTOP);
    return m_paused;
}

bool ThrowawayCluster::resume()
{
    const bool resumed = signalAll(SIGCONT);
    m_paused = !resumed;
    return resumed;
}

std::string ThrowawayCluster::conninfo() const
{
    return "host=" + m_folder + " port=5432 dbname=postgres user=postgres";
}

} // namespace appserver::testing
