#!/usr/bin/env python3
"""The fleet over slow links: SERVERS print servers with QUEUES held queues each, every one reached
through a link of its own that delays each byte RTT/2 each way (bench/slow_link.py). One description is
applied to every printer by one qvctl run; the same is applied to each server's printers alone (its
slowest one is the run's floor: no run can take less than its slowest server); the runs are repeated.

    bench/run-slow-fleet-bench.py BUILD_DIR [--servers 24] [--queues 4] [--rtt-ms 50] [--runs 3]
                                  [--with cupsd|responder] [--alone K] [--jobs N] [--open-files N]

--with cupsd starts private CUPS servers (scripts/cups-sandbox, queues held with cupsdisable);
--with responder serves them all from one process (bench/ipp_responder.py), which answers the requests
a fleet run makes as CUPS does; the default is cupsd up to 32 servers, the responder above.
--alone K times K servers alone (default: every server with cupsd, 8 with the responder, which serves
every server alike).

Of qvctl's fleet run it reports the time, its processor time and peak resident memory (getrusage of the
child), and its peak open descriptors and threads (/proc/PID/fd and /proc/PID/status, sampled every
2 ms). A run whose report has a printer that is not "ok" fails the benchmark.
"""

import argparse
import json
import os
import resource
import shutil
import subprocess
import sys
import tempfile
import time
from concurrent.futures import ThreadPoolExecutor

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
SANDBOX = os.path.join(ROOT, "scripts", "cups-sandbox")


def wait_for(path, process, what, seconds=60):
    deadline = time.monotonic() + seconds
    while not os.path.exists(path):
        if process.poll() is not None or time.monotonic() > deadline:
            sys.exit(f"run-slow-fleet-bench: {what} did not start")
        time.sleep(0.02)
    with open(path) as f:
        return f.read().split()


def process_seconds(pid):
    """Processor time so far of a running process (user + system), in seconds."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def machine_seconds():
    """The machine's busy processor time so far of every process not niced (user, system, irq, softirq):
    builds beside the benchmark run niced, and are left out."""
    with open("/proc/stat") as f:
        fields = f.readline().split()
    return sum(int(fields[i]) for i in (1, 3, 6, 7)) / os.sysconf("SC_CLK_TCK")


def measure(command, env, out_path, open_files=None):
    """Runs command (with at most open_files descriptors, if given); its wall time, exit status,
    rusage and peak descriptors and threads."""
    def limit():
        if open_files:
            resource.setrlimit(resource.RLIMIT_NOFILE, (open_files, open_files))

    with open(out_path, "wb") as out:
        started = time.monotonic()
        busy = machine_seconds()
        child = subprocess.Popen(command, env=env, stdout=out, stderr=subprocess.PIPE, preexec_fn=limit)
        peak_fds = peak_threads = 0
        while True:
            pid, status, usage = os.wait4(child.pid, os.WNOHANG)
            if pid:
                break
            try:
                peak_fds = max(peak_fds, len(os.listdir(f"/proc/{child.pid}/fd")))
                with open(f"/proc/{child.pid}/status") as f:
                    for line in f:
                        if line.startswith("Threads:"):
                            peak_threads = max(peak_threads, int(line.split()[1]))
            except (FileNotFoundError, ProcessLookupError, PermissionError):
                pass
            time.sleep(0.002)
        took = time.monotonic() - started
        busy = machine_seconds() - busy
        child.returncode = os.waitstatus_to_exitcode(status)
        errors = child.stderr.read().decode(errors="replace")
    return {"seconds": took, "status": child.returncode, "cpu": usage.ru_utime + usage.ru_stime,
            "user": usage.ru_utime, "system": usage.ru_stime, "maxrss_mb": usage.ru_maxrss / 1024,
            "fds": peak_fds, "threads": peak_threads, "machine": busy, "stderr": errors}


def check_report(path, printers, what):
    """The run's JSON report: every one of `printers` printers "ok"; else says which were not."""
    try:
        with open(path) as f:
            report = json.load(f)
    except (OSError, ValueError) as error:
        return [f"{what}: no report ({error})"]
    rows = report.get("printers", [])
    bad = [f"{r['printer']} on {r['server']}: {r['result']} {r.get('messages')}" for r in rows if r["result"] != "ok"]
    if len(rows) != printers:
        bad.insert(0, f"{len(rows)} printers in the report, not {printers}")
    return [f"{what}: {line}" for line in bad]


def start_cupsd(work, servers, queues):
    names = [f"Fleet_{q}" for q in range(1, queues + 1)]

    def start(s):
        folder = os.path.join(work, f"s{s}")
        subprocess.run([SANDBOX, "start", folder, *names], check=True, stdout=subprocess.DEVNULL)
        with open(os.path.join(folder, "port")) as f:
            port = int(f.read())
        for name in names:
            subprocess.run(["cupsdisable", "-h", f"127.0.0.1:{port}", name], check=True)
        return port

    # Two at a time: each start keeps a processor busy for a moment.
    with ThreadPoolExecutor(2) as pool:
        return list(pool.map(start, range(1, servers + 1)))


def stop_cupsd(work, servers):
    for s in range(1, servers + 1):
        subprocess.run([SANDBOX, "stop", os.path.join(work, f"s{s}")],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def client_env(work, use_cupsd):
    env = dict(os.environ)
    if use_cupsd:
        with open(os.path.join(work, "s1", "client.env")) as f:
            for line in f:
                key, _, value = line.strip().partition("=")
                if key:
                    env[key] = value.strip("'")
    else:
        for sub in ("home", "client"):
            os.makedirs(os.path.join(work, sub), exist_ok=True)
        env.update(HOME=os.path.join(work, "home"), CUPS_SERVERROOT=os.path.join(work, "client"),
                   CUPS_SERVER="127.0.0.1")
    for name in ("LPDEST", "PRINTER"):
        env.pop(name, None)
    env["XDG_STATE_HOME"] = os.path.join(work, "state")
    return env


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("build")
    parser.add_argument("--servers", type=int, default=24)
    parser.add_argument("--queues", type=int, default=4)
    parser.add_argument("--rtt-ms", type=float, default=50.0)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--with", dest="kind", choices=["cupsd", "responder"])
    parser.add_argument("--alone", type=int, help="how many servers to time alone")
    parser.add_argument("--jobs", type=int, help="qvctl --jobs N (default: qvctl's own)")
    parser.add_argument("--open-files", type=int, help="the fleet run's ulimit -n (default: as it is)")
    parser.add_argument("--keep-log", help="with the responder: copy its request log here")
    args = parser.parse_args()
    kind = args.kind or ("cupsd" if args.servers <= 32 else "responder")
    use_cupsd = kind == "cupsd"
    qvctl = os.path.join(os.path.abspath(args.build), "src", "cli", "qvctl")
    if not os.access(qvctl, os.X_OK):
        sys.exit(f"run-slow-fleet-bench: no qvctl in {args.build}/src/cli")
    printers = args.servers * args.queues
    alone_count = min(args.servers, args.alone or (args.servers if use_cupsd else 8))

    work = tempfile.mkdtemp(prefix="qvset-slow-fleet-bench.")
    os.chmod(work, 0o755)
    helpers = []
    failures = []
    try:
        log_path = os.path.join(work, "requests.log")
        if use_cupsd:
            upstreams = start_cupsd(work, args.servers, args.queues)
        else:
            responder = subprocess.Popen(
                [sys.executable, os.path.join(HERE, "ipp_responder.py"), "--servers", str(args.servers),
                 "--queues", str(args.queues), "--ports-out", os.path.join(work, "servers"), "--log", log_path])
            helpers.append(responder)
            upstreams = [int(p) for p in wait_for(os.path.join(work, "servers"), responder, "the IPP responder")]
        link = subprocess.Popen(
            [sys.executable, os.path.join(HERE, "slow_link.py"), "--delay-ms", str(args.rtt_ms / 2),
             "--ports-out", os.path.join(work, "links"), *map(str, upstreams)])
        helpers.append(link)
        pairs = wait_for(os.path.join(work, "links"), link, "the slow links")
        through = dict(zip(map(int, pairs[0::2]), map(int, pairs[1::2])))
        servers = [f"127.0.0.1:{through[u]}" for u in upstreams]

        # The links and the servers, whose processor time in the fleet run is reported.
        helper_pids = [h.pid for h in helpers]
        if use_cupsd:
            for s in range(1, args.servers + 1):
                with open(os.path.join(work, f"s{s}", "cupsd.pid")) as f:
                    helper_pids.append(int(f.read()))
        env = client_env(work, use_cupsd)
        ticket = os.path.join(work, "ticket.txt")
        subprocess.run([qvctl, "ticket", "new", ticket, "--black-mark", "on", "--paper", "58", "--length", "100"],
                       env=env, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        jobs = ["--jobs", str(args.jobs)] if args.jobs else []
        apply = ["--json", "--printer", "Fleet_*", "ticket", "apply", ticket]
        report = os.path.join(work, "report.json")

        results = []
        for run in range(1, args.runs + 1):
            slowest = slowest_busy = 0.0
            for s, server in enumerate(servers[:alone_count]):
                alone = measure([qvctl, "--server", server, *apply], env, report)
                if alone["seconds"] > slowest:
                    slowest, slowest_busy = alone["seconds"], alone["machine"]
                failures += check_report(report, args.queues, f"run {run}, {server} alone")
            log_start = os.path.getsize(log_path) if os.path.exists(log_path) else 0
            helper_cpu = sum(process_seconds(pid) for pid in helper_pids)
            fleet = measure([qvctl, *jobs, *[a for s in servers for a in ("--server", s)], *apply], env, report,
                            args.open_files)
            fleet["helpers_cpu"] = sum(process_seconds(pid) for pid in helper_pids) - helper_cpu
            fleet["slowest"] = slowest
            fleet["slowest_busy"] = slowest_busy
            failures += check_report(report, printers, f"run {run}, the fleet")
            if fleet["status"] != 0:
                failures.append(f"run {run}, the fleet: exit status {fleet['status']}: {fleet['stderr'].strip()}")
            try:
                with open(report) as f:
                    fleet["ok"] = json.load(f)["summary"]["ok"]
            except (OSError, ValueError, KeyError):
                fleet["ok"] = 0
            if os.path.exists(log_path):
                counts = {}
                with open(log_path) as f:
                    f.seek(log_start)
                    for line in f:
                        operation = line.split()[2]
                        counts[operation] = counts.get(operation, 0) + 1
                fleet["requests"] = counts
            results.append(fleet)
        if args.keep_log and os.path.exists(log_path):
            shutil.copy(log_path, args.keep_log)
    finally:
        for helper in helpers:
            helper.terminate()
            helper.wait()
        if use_cupsd:
            stop_cupsd(work, args.servers)
        shutil.rmtree(work, ignore_errors=True)

    print(f"fleet of {printers} printers on {args.servers} servers ({kind}), {args.rtt_ms:g} ms round trip "
          f"to each, qvctl --jobs {args.jobs or 'default'}"
          + (f", ulimit -n {args.open_files}" if args.open_files else "") + f", {args.runs} runs:")
    for run, r in enumerate(results, 1):
        print(f"  run {run}: all servers {r['seconds']:.2f} s, the slowest of {alone_count} alone {r['slowest']:.2f} s "
              f"({r['seconds'] / r['slowest']:.2f} x), {r['ok']} of {printers} ok; qvctl {r['cpu']:.2f} s of "
              f"processor time, {r['maxrss_mb']:.0f} MB, {r['fds']} descriptors, {r['threads']} threads at most")
    if results and "requests" in results[-1]:
        print("  the last run asked " +
              ", ".join(f"{n} {op}" for op, n in sorted(results[-1]["requests"].items())))
    if results:
        print(f"  the links' and servers' processor time in the last run: {results[-1]['helpers_cpu']:.2f} s; "
              f"every process not niced, the machine's other work too: {results[-1]['machine']:.2f} s")
    for failure in failures:
        print("FAILED " + failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
