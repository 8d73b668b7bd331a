#pragma once

#include <cstddef>
#include <functional>
#include <vector>

namespace qvset {

// How many printers a fleet run serves at once: on one print server, and in all.
struct FleetLimits {
    std::size_t perServer = 4;
    std::size_t total = 16;
};

// Runs tasks grouped by print server concurrently: each server's tasks in their order by at most
// `perServer` workers, at most `total` tasks running at any moment, on at most `total` threads (a
// thread whose worker has no task left becomes a worker of another server). `startWorker(server)` is called
// once on each worker's own thread and gives the function that runs one task there (a worker keeps
// what it makes, such as its connection to the server, for all the tasks it runs). Neither may throw.
// Returns when every task has run.
using FleetTask = std::function<void(std::size_t task)>;
// How many tasks run at once: a worker for each server (up to `perServer` for one with several tasks),
// at most `total`.
std::size_t PrintersInFlight(const std::vector<std::vector<std::size_t>>& tasksOfServer, FleetLimits limits);

void RunByServer(const std::vector<std::vector<std::size_t>>& tasksOfServer, FleetLimits limits,
                 const std::function<FleetTask(std::size_t server)>& startWorker);

}  // namespace qvset
