#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace appserver::testing {

// A thread that lives as long as the object and runs what it is given, one
// function at a time, as a server worker does: its thread-local database
// connection stays open between runs.
class WorkerThread
{
public:
    WorkerThread()
        : m_thread([this] { loop(); })
    {
    }
    ~WorkerThread()
    {
        {
            std::lock_guard lock(m_mutex);
            m_quit = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }

    // Runs `task` on the thread and returns when it is done.
    void run(std::function<void()> task)
    {
        std::unique_lock lock(m_mutex);
        m_task = std::move(task);
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return !m_task; });
    }

private:
    void loop()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_changed.wait(lock, [this] { return m_quit || m_task; });
            if (m_quit)
                return;
            m_task();
            m_task = nullptr;
            m_changed.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::function<void()> m_task;
    bool m_quit = false;
    std::thread m_thread;
};

} // namespace appserver::testing
