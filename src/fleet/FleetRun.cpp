#include "fleet/FleetRun.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace qvset {
namespace {

// A counting semaphore whose count is chosen at run time.
class Slots {
  public:
    explicit Slots(std::size_t count) : m_free(count) {}
    void Take() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_free > 0; });
        --m_free;
    }
    void Give() {
        {
            const std::lock_guard lock(m_mutex);
            ++m_free;
        }
        m_changed.notify_one();
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_free;
};

}  // namespace

void RunByServer(const std::vector<std::vector<std::size_t>>& tasksOfServer, FleetLimits limits,
                 const std::function<FleetTask(std::size_t server)>& startWorker) {
    Slots slots(std::max<std::size_t>(1, limits.total));
    std::vector<std::unique_ptr<std::atomic<std::size_t>>> next;
    for (std::size_t s = 0; s < tasksOfServer.size(); ++s)
        next.push_back(std::make_unique<std::atomic<std::size_t>>(0));
    std::vector<std::thread> workers;
    for (std::size_t s = 0; s < tasksOfServer.size(); ++s) {
        const std::size_t count =
            std::min(std::max<std::size_t>(1, limits.perServer), tasksOfServer[s].size());
        for (std::size_t w = 0; w < count; ++w) {
            workers.emplace_back([&, s] {
                FleetTask run;
                for (;;) {
                    const std::size_t i = (*next[s])++;
                    if (i >= tasksOfServer[s].size()) return;
                    slots.Take();
                    if (!run) run = startWorker(s);
                    run(tasksOfServer[s][i]);
                    slots.Give();
                }
            });
        }
    }
    for (auto& worker : workers) worker.join();
}

}  // namespace qvset
