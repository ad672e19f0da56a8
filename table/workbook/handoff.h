#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>

// Pieces of bytes handed from one thread to another, a few at most waiting: a sheet's inflating
// and deflating run beside its scanning with memory as flat as without them.
namespace mezni {

class Handoff
{
public:
    explicit Handoff(std::size_t most) : m_most(most) {}

    // A piece handed over, once there is room; false where the taker has stopped.
    bool push(std::string piece)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_pieces.size() < m_most || m_stopped; });
        if (m_stopped)
            return false;
        m_pieces.push_back(std::move(piece));
        m_changed.notify_all();
        return true;
    }
    // No more pieces: ended well, or failed.
    void finish(bool ok = true)
    {
        const std::lock_guard lock(m_mutex);
        m_ended = true;
        m_failed = m_failed || !ok;
        m_changed.notify_all();
    }
    // The taker gives up: the giver's push() fails from now on.
    void stop()
    {
        const std::lock_guard lock(m_mutex);
        m_stopped = true;
        m_changed.notify_all();
    }
    // The next piece; with wait, once there is one or there will be none. False where there is
    // none (now, or any more: then failed() says how the giver ended).
    bool pop(std::string &piece, bool wait)
    {
        std::unique_lock lock(m_mutex);
        if (wait)
            m_changed.wait(lock, [this] { return !m_pieces.empty() || m_ended || m_stopped; });
        if (m_pieces.empty())
            return false;
        piece = std::move(m_pieces.front());
        m_pieces.pop_front();
        m_changed.notify_all();
        return true;
    }
    bool failed() const
    {
        const std::lock_guard lock(m_mutex);
        return m_failed;
    }

private:
    const std::size_t m_most;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::string> m_pieces;
    bool m_ended = false, m_failed = false, m_stopped = false;
};

} // namespace mezni
