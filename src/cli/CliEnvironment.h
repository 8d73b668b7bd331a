#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "cli/CommandRegistry.h"

namespace qvset::cli {

// The printers a fleet run serves at once without --jobs. Printers far away cost no processor time
// while their servers answer, so many may wait at once; 128 connections and their record files fit in
// the usual 1,024 open files, and at 50 ms a round trip they serve several hundred printers a second.
inline constexpr std::size_t kDefaultJobs = 128;

// Where qvctl runs: the platform's spooler, dialogs and pause, the program's folder (for "file.prn").
struct CliEnvironment {
    Spooler& spooler;
    Dialogs& dialogs;
    Pause& pause;
    std::filesystem::path programFolder;
    std::ostream& out;
    std::ostream& err;
    // Where "file.prn" is looked for, in order; empty means the program's folder alone.
    std::vector<std::filesystem::path> printFileFolders = {};
    // Standard input ("decode -"); nullptr is std::cin.
    std::istream* in = nullptr;
    // Where every document handed to the spooler is recorded (not under --dry-run, nor with
    // QVSET_RECORD=off); nullptr keeps no record.
    RecordBook* record = nullptr;
    // The spooler of a print server named with --server, made afresh for each worker of a fleet run
    // (nullptr for a name that is no print server; "" is the default server), and the name the record
    // gives that server. Unset: --server is refused.
    std::function<std::unique_ptr<Spooler>(const std::string& server)> serverSpooler = {};
    std::function<std::string(const std::string& server)> serverRecordName = {};
    // The devices file and the platform's devices, for --device and `qvctl device`.
    DeviceSetup devices = {};
    // Whether standard error is a terminal, where a long command shows its progress line.
    bool progress = false;
    // How many printers a fleet run serves at once: on one server, and in all unless --jobs says.
    std::size_t perServer = 4;
    std::size_t total = kDefaultJobs;
    // The open files this process may have (ulimit -n); 0: no limit known. A fleet run serves no more
    // printers at once than their connections and files fit in.
    std::size_t openFiles = 0;
};

}  // namespace qvset::cli
