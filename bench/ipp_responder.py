#!/usr/bin/env python3
"""Many small print servers in one process: each port answers the IPP requests a fleet run makes of a
CUPS server, as CUPS answers them, for a few held raw queues.

    ipp_responder.py --servers N --queues M --ports-out FILE [--log FILE]
        N servers on N free loopback ports, each with the queues Fleet_1..Fleet_M (stopped, accepting
        jobs, "Local Raw Printer", each with a printer-uuid of its own); writes one port a line to FILE
        once all listen. With --log, one line per request: seconds, port, operation, status.

Answered: CUPS-Get-Printers, Get-Printer-Attributes, Print-Job (the document is read to its end and
kept as a pending job of the stopped queue), Get-Jobs, Get-Job-Attributes, CUPS-Get-Default (none is
set: not-found) and Get-System-Attributes (refused as CUPS refuses it); any other operation is
answered operation-not-supported and logged. HTTP/1.1 with keep-alive, Content-Length or chunked
bodies, and "Expect: 100-continue" answered at once, as cupsd answers it.
"""

import argparse
import asyncio
import os
import signal
import struct
import sys
import time
import uuid

OPERATIONS = {
    0x0002: "Print-Job", 0x0009: "Get-Job-Attributes", 0x000A: "Get-Jobs",
    0x000B: "Get-Printer-Attributes", 0x005B: "Get-System-Attributes",
    0x4001: "CUPS-Get-Default", 0x4002: "CUPS-Get-Printers",
}
OK, BAD_REQUEST, NOT_FOUND, NOT_SUPPORTED = 0x0000, 0x0400, 0x0406, 0x0501

TAG_OPERATION, TAG_JOB, TAG_END, TAG_PRINTER = 0x01, 0x02, 0x03, 0x04
INTEGER, BOOLEAN, ENUM = 0x21, 0x22, 0x23
TEXT, NAME, KEYWORD, URI, CHARSET, LANGUAGE, MIME = 0x41, 0x42, 0x44, 0x45, 0x47, 0x48, 0x49

PRINTER_STOPPED, JOB_PENDING = 5, 3


def parse_ipp(body):
    """(version, operation, request-id, {name: [values]} of the operation group, document bytes)."""
    version, operation, request_id = struct.unpack_from(">HHI", body, 0)
    at = 8
    attributes = {}
    group = None
    name = None
    while at < len(body):
        tag = body[at]
        at += 1
        if tag == TAG_END:
            break
        if tag < 0x10:
            group = tag
            continue
        (name_length,) = struct.unpack_from(">H", body, at)
        at += 2
        if name_length:
            name = body[at:at + name_length].decode()
        at += name_length
        (value_length,) = struct.unpack_from(">H", body, at)
        at += 2
        value = body[at:at + value_length]
        at += value_length
        if group == TAG_OPERATION:
            attributes.setdefault(name, []).append(
                struct.unpack(">i", value)[0] if tag in (INTEGER, ENUM) and value_length == 4
                else value.decode(errors="replace"))
    return version, operation, request_id, attributes, body[at:]


def attribute(tag, name, *values):
    out = b""
    for i, value in enumerate(values):
        data = (struct.pack(">i", value) if tag in (INTEGER, ENUM)
                else bytes([1 if value else 0]) if tag == BOOLEAN else value.encode())
        label = name.encode() if i == 0 else b""
        out += bytes([tag]) + struct.pack(">H", len(label)) + label + struct.pack(">H", len(data)) + data
    return out


class Server:
    """One print server: its queues and the jobs they hold."""

    def __init__(self, port, queues):
        self.port = port
        self.queues = {
            f"Fleet_{q}": "urn:uuid:" + str(uuid.uuid5(uuid.NAMESPACE_URL, f"qvset-bench:{port}:{q}"))
            for q in range(1, queues + 1)}
        self.jobs = []  # (job-id, queue, title, user, created)
        self.next_job = 1

    def printer_group(self, queue, wanted):
        attributes = {
            "printer-name": attribute(NAME, "printer-name", queue),
            "printer-uuid": attribute(URI, "printer-uuid", self.queues[queue]),
            "device-uri": attribute(URI, "device-uri", f"qvcapture:/bench/{self.port}/{queue}"),
            "printer-make-and-model": attribute(TEXT, "printer-make-and-model", "Local Raw Printer"),
            "printer-state": attribute(ENUM, "printer-state", PRINTER_STOPPED),
            "printer-is-accepting-jobs": attribute(BOOLEAN, "printer-is-accepting-jobs", True),
            "printer-state-message": attribute(TEXT, "printer-state-message", "Paused"),
            "printer-uri-supported": attribute(URI, "printer-uri-supported",
                                               f"ipp://localhost:{self.port}/printers/{queue}"),
        }
        chosen = wanted if wanted and "all" not in wanted else list(attributes)
        return bytes([TAG_PRINTER]) + b"".join(attributes[name] for name in chosen if name in attributes)

    def job_group(self, job, wanted):
        job_id, queue, title, user, created = job
        attributes = {
            "job-id": attribute(INTEGER, "job-id", job_id),
            "job-uri": attribute(URI, "job-uri", f"ipp://localhost:{self.port}/jobs/{job_id}"),
            "job-state": attribute(ENUM, "job-state", JOB_PENDING),
            "job-state-reasons": attribute(KEYWORD, "job-state-reasons", "printer-stopped"),
            "job-name": attribute(NAME, "job-name", title),
            "job-printer-uri": attribute(URI, "job-printer-uri",
                                         f"ipp://localhost:{self.port}/printers/{queue}"),
            "job-originating-user-name": attribute(NAME, "job-originating-user-name", user),
            "time-at-creation": attribute(INTEGER, "time-at-creation", created),
        }
        chosen = wanted if wanted and "all" not in wanted else list(attributes)
        return bytes([TAG_JOB]) + b"".join(attributes[name] for name in chosen if name in attributes)

    def queue_of(self, attributes):
        uri = (attributes.get("printer-uri") or [""])[0]
        name = uri.rsplit("/", 1)[-1]
        return name if uri.rsplit("/", 2)[-2:-1] == ["printers"] and name in self.queues else None

    def answer(self, operation, attributes, document):
        """(status, groups) for one request."""
        wanted = attributes.get("requested-attributes", [])
        if operation == 0x4002:
            return OK, [self.printer_group(queue, wanted) for queue in self.queues]
        if operation == 0x000B:
            queue = self.queue_of(attributes)
            return (OK, [self.printer_group(queue, wanted)]) if queue else (NOT_FOUND, [])
        if operation == 0x0002:
            queue = self.queue_of(attributes)
            if not queue:
                return NOT_FOUND, []
            job = (self.next_job, queue, (attributes.get("job-name") or ["Untitled"])[0],
                   (attributes.get("requesting-user-name") or ["anonymous"])[0], int(time.time()))
            self.next_job += 1
            self.jobs.append(job)
            return OK, [self.job_group(job, ["job-id", "job-uri", "job-state", "job-state-reasons"])]
        if operation == 0x000A:
            queue = self.queue_of(attributes)
            which = (attributes.get("which-jobs") or ["not-completed"])[0]
            jobs = [] if which == "completed" else [j for j in self.jobs if queue is None or j[1] == queue]
            return OK, [self.job_group(job, wanted or ["job-id", "job-uri"]) for job in jobs]
        if operation == 0x0009:
            job_id = (attributes.get("job-id") or [0])[0]
            jobs = [j for j in self.jobs if j[0] == job_id]
            return (OK, [self.job_group(jobs[0], wanted)]) if jobs else (NOT_FOUND, [])
        if operation == 0x4001:
            return NOT_FOUND, []
        if operation == 0x005B:
            return BAD_REQUEST, []
        return NOT_SUPPORTED, []


async def read_body(reader, headers):
    if headers.get("transfer-encoding", "").lower() == "chunked":
        parts = []
        while True:
            size = int((await reader.readline()).split(b";")[0].strip() or b"0", 16)
            if size == 0:
                while (await reader.readline()) not in (b"\r\n", b"\n", b""):
                    pass
                return b"".join(parts)
            parts.append(await reader.readexactly(size))
            await reader.readline()
    return await reader.readexactly(int(headers.get("content-length", "0")))


class Responder:
    def __init__(self, log):
        self.log = log
        self.started = time.monotonic()

    async def serve(self, server, reader, writer):
        try:
            while True:
                line = await reader.readline()
                if not line:
                    break
                method, resource, _ = line.decode().split(" ", 2)
                headers = {}
                while (header := await reader.readline()) not in (b"\r\n", b"\n", b""):
                    key, _, value = header.decode().partition(":")
                    headers[key.strip().lower()] = value.strip()
                if headers.get("expect", "").lower() == "100-continue":
                    writer.write(b"HTTP/1.1 100 Continue\r\n\r\n")
                body = await read_body(reader, headers)
                if method != "POST":
                    writer.write(b"HTTP/1.1 405 Method Not Allowed\r\nContent-Length: 0\r\n\r\n")
                    continue
                version, operation, request_id, attributes, document = parse_ipp(body)
                status, groups = server.answer(operation, attributes, document)
                if self.log:
                    self.log.write(f"{time.monotonic() - self.started:.4f} {server.port} "
                                   f"{OPERATIONS.get(operation, hex(operation))} {resource} {status:#06x}\n")
                ipp = (struct.pack(">HHI", version, status, request_id) + bytes([TAG_OPERATION])
                       + attribute(CHARSET, "attributes-charset", "utf-8")
                       + attribute(LANGUAGE, "attributes-natural-language", "en")
                       + b"".join(groups) + bytes([TAG_END]))
                writer.write(b"HTTP/1.1 200 OK\r\nConnection: Keep-Alive\r\nContent-Type: application/ipp\r\n"
                             b"Content-Length: %d\r\n\r\n" % len(ipp) + ipp)
                await writer.drain()
        except (ConnectionError, asyncio.IncompleteReadError, ValueError, asyncio.CancelledError):
            pass
        finally:
            writer.close()


async def run(count, queues, ports_out, log):
    responder = Responder(log)
    ports = []
    listeners = []
    for _ in range(count):
        holder = {}
        listener = await asyncio.start_server(
            lambda r, w, h=holder: responder.serve(h["server"], r, w), "127.0.0.1", 0, backlog=1024)
        port = listener.sockets[0].getsockname()[1]
        holder["server"] = Server(port, queues)
        listeners.append(listener)
        ports.append(port)
    partial = ports_out + ".part"
    with open(partial, "w") as out:
        out.writelines(f"{port}\n" for port in ports)
    os.replace(partial, ports_out)
    stop = asyncio.Event()
    asyncio.get_running_loop().add_signal_handler(signal.SIGTERM, stop.set)
    await stop.wait()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--servers", type=int, required=True)
    parser.add_argument("--queues", type=int, required=True)
    parser.add_argument("--ports-out", required=True)
    parser.add_argument("--log")
    args = parser.parse_args()
    log = open(args.log, "w", buffering=1) if args.log else None
    asyncio.run(run(args.servers, args.queues, args.ports_out, log))
    return 0


if __name__ == "__main__":
    sys.exit(main())
