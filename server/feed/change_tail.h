#pragma once

#include "server/db/database.h"
#include "server/feed/change_log.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace appserver {

// Where a server stands in its database's changes: the latest generation
// it has read, and whether it is in step (reading the log as it should)
// or has lost track of it.
struct FeedPosition
{
    std::string instance; // this server process, for the hosts to tell restarts
    std::uint64_t generation = 0;
    bool inStep = false;
};

// What a host must forget since a generation: the scopes that changed, or
// everything.
struct FeedNotice
{
    std::string instance;
    std::uint64_t generation = 0;
    bool inStep = false;
    bool everything = false;
    std::vector<std::string> scopes; // sorted, each once
};

// Follows the database's change log on a thread and connection of its own:
// on PostgreSQL woken by the triggers' notifications (and reading anyway
// every second), on SQLite by a move of the file's data_version, checked
// every 50 ms. Keeps what the latest generations changed, so that a host
// that lost its stream for a moment learns exactly what it missed.
class ChangeTail
{
public:
    // The scopes a logged row outdates; nullopt: everything.
    using ScopesOfChange =
        std::function<std::optional<std::vector<std::string>>(const LoggedChange &)>;
    using Log = std::function<void(const std::string &)>;

    struct Options
    {
        DatabaseTarget database;
        ScopesOfChange scopesOf;
        std::chrono::milliseconds sqlitePoll{50};
        // The log is read at least this often, notified or not: how long
        // a lost notification or a broken connection can go unseen.
        std::chrono::milliseconds recheck{1000};
        std::chrono::milliseconds reconnect{500};
        std::size_t maxRowsPerRead = 20000; // more at once: everything
        std::size_t historyEntries = 4096;
    };

    ChangeTail(Options options, Log log);
    ~ChangeTail();
    ChangeTail(const ChangeTail &) = delete;
    ChangeTail &operator=(const ChangeTail &) = delete;

    // Called on the tail's thread whenever the position moves or goes in
    // or out of step. Once set to nothing, it is not running and will not
    // run again.
    void setWake(std::function<void()> wake);
    void start();
    void stop();

    FeedPosition position() const;
    // What changed after `generation` of `instance`: complete, or
    // everything when this server cannot tell (another instance, a
    // generation older than what it keeps, or newer than it has read).
    FeedNotice since(std::string_view instance, std::uint64_t generation) const;

    // Waits until the position is in step at `generation` or beyond; false
    // when `timeout` passed first.
    bool waitFor(std::uint64_t generation, std::chrono::milliseconds timeout) const;

private:
    struct Entry
    {
        std::uint64_t generation = 0;
        bool everything = false;
        std::vector<std::string> scopes;
    };

    void run();
    bool follow(Connection &db, bool reopened);
    bool readLog(Connection &db);
    void record(const LoggedChanges &changes);
    void setInStep(bool inStep);
    bool idle(std::chrono::milliseconds wait);
    void logOnce(const std::string &line);
    void wake();

    Options m_options;
    Log m_log;
    std::mutex m_wakeMutex;
    std::function<void()> m_wake;
    std::string m_instance;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    bool m_stopping = false;
    bool m_inStep = false;
    bool m_started = false; // a generation was read once
    std::uint64_t m_generation = 0;
    std::uint64_t m_floor = 0; // since() answers completely from here on
    std::deque<Entry> m_history;
    std::string m_lastLogged;
    std::thread m_thread;
};

} // namespace appserver
