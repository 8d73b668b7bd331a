#include "fleet/FleetRun.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace qvset {

std::size_t PrintersInFlight(const std::vector<std::vector<std::size_t>>& tasksOfServer, FleetLimits limits) {
    std::size_t lanes = 0;
    for (const auto& tasks : tasksOfServer)
        lanes += std::min(std::max<std::size_t>(1, limits.perServer), tasks.size());
    return std::min(lanes, std::max<std::size_t>(1, limits.total));
}

void RunByServer(const std::vector<std::vector<std::size_t>>& tasksOfServer, FleetLimits limits,
                 const std::function<FleetTask(std::size_t server)>& startWorker) {
    // A lane is one worker of one server: it runs that server's tasks, next first, until none is left.
    // The lanes are taken first lane of every server, then second lanes, and so on, so that the
    // printers in flight spread over the servers before any server gets a second.
    const std::size_t perServer = std::max<std::size_t>(1, limits.perServer);
    std::vector<std::size_t> lanes;
    for (std::size_t lane = 0; lane < perServer; ++lane) {
        for (std::size_t s = 0; s < tasksOfServer.size(); ++s) {
            if (lane < tasksOfServer[s].size()) lanes.push_back(s);
        }
    }
    std::vector<std::unique_ptr<std::atomic<std::size_t>>> next;
    for (std::size_t s = 0; s < tasksOfServer.size(); ++s)
        next.push_back(std::make_unique<std::atomic<std::size_t>>(0));
    std::atomic<std::size_t> nextLane{0};
    const auto runLanes = [&] {
        for (;;) {
            const std::size_t lane = nextLane++;
            if (lane >= lanes.size()) return;
            const std::size_t s = lanes[lane];
            FleetTask run;
            for (;;) {
                const std::size_t i = (*next[s])++;
                if (i >= tasksOfServer[s].size()) break;
                if (!run) run = startWorker(s);
                run(tasksOfServer[s][i]);
            }
        }
    };
    const std::size_t threads = PrintersInFlight(tasksOfServer, limits);
    std::vector<std::thread> workers;
    for (std::size_t w = 1; w < threads; ++w) workers.emplace_back(runLanes);
    runLanes();
    for (auto& worker : workers) worker.join();
}

}  // namespace qvset
