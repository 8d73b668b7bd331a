#!/usr/bin/env python3
"""A slow link on loopback: a TCP proxy that holds every byte for a fixed time each way.

    slow_link.py --delay-ms 25 --ports-out FILE UPSTREAM_PORT...
        listens on one free loopback port per upstream port (127.0.0.1:UPSTREAM_PORT) and writes
        "UPSTREAM_PORT LISTEN_PORT" lines to FILE once every port listens; runs until killed.
    slow_link.py --check
        a self-check: bytes pass both ways unchanged, in order, and each way takes the delay.

The link has a latency and no bandwidth limit: what is read at time t from one side is written to the
other at t + delay, so a request and its answer take one round trip (2 x delay) however many are in
flight. A new connection first waits one round trip, as a TCP handshake over the link would, before
anything passes. A half-close (EOF) passes through after the same delay.
"""

import argparse
import asyncio
import os
import sys
import time

CHUNK = 65536


class Link:
    def __init__(self, delay):
        self.delay = delay
        self.connections = 0
        # The connections' tasks, held here: asyncio keeps only a weak reference to a task, and the
        # stream drops its own once the client has gone while the server's side still runs.
        self.tasks = set()

    async def pump(self, reader, writer):
        """Copies reader to writer, each chunk written `delay` after it was read; EOF likewise."""
        loop = asyncio.get_running_loop()
        queue = asyncio.Queue()

        async def send():
            while True:
                when, data = await queue.get()
                wait = when - loop.time()
                if wait > 0:
                    await asyncio.sleep(wait)
                if not data:
                    if writer.can_write_eof():
                        writer.write_eof()
                    return
                writer.write(data)
                await writer.drain()

        sender = asyncio.create_task(send())
        try:
            while True:
                try:
                    data = await reader.read(CHUNK)
                except ConnectionError:
                    data = b""
                queue.put_nowait((loop.time() + self.delay, data))
                if not data:
                    break
            await sender
        except (ConnectionError, asyncio.CancelledError):
            sender.cancel()

    async def serve(self, upstream_port, client_reader, client_writer):
        self.connections += 1
        try:
            # The handshake's round trip: nothing passes before it.
            await asyncio.sleep(2 * self.delay)
            try:
                server_reader, server_writer = await asyncio.open_connection("127.0.0.1", upstream_port)
            except OSError:
                client_writer.close()
                return
            await asyncio.gather(self.pump(client_reader, server_writer),
                                 self.pump(server_reader, client_writer))
            for writer in (server_writer, client_writer):
                writer.close()
        finally:
            self.connections -= 1

    async def listen(self, upstream_port):
        def connected(reader, writer):
            task = asyncio.create_task(self.serve(upstream_port, reader, writer))
            self.tasks.add(task)
            task.add_done_callback(self.tasks.discard)

        server = await asyncio.start_server(connected, "127.0.0.1", 0, backlog=1024)
        return server, server.sockets[0].getsockname()[1]


async def run(delay, upstreams, ports_out):
    link = Link(delay)
    lines = []
    servers = []
    for upstream in upstreams:
        server, port = await link.listen(upstream)
        servers.append(server)
        lines.append(f"{upstream} {port}\n")
    partial = ports_out + ".part"
    with open(partial, "w") as out:
        out.writelines(lines)
    os.replace(partial, ports_out)
    await asyncio.Event().wait()


async def check(delay):
    """The link delays each way and passes bytes unchanged, both ways, with a half-close."""
    loop = asyncio.get_running_loop()
    received = []

    async def upstream(reader, writer):
        # Echoes every byte back, then says goodbye once the client has half-closed.
        while data := await reader.read(CHUNK):
            received.append(data)
            writer.write(data)
            await writer.drain()
        writer.write(b"bye")
        await writer.drain()
        writer.close()

    echo = await asyncio.start_server(upstream, "127.0.0.1", 0)
    link = Link(delay)
    _, port = await link.listen(echo.sockets[0].getsockname()[1])
    failures = []

    started = loop.time()
    reader, writer = await asyncio.open_connection("127.0.0.1", port)
    writer.write(b"ping")
    first = await reader.readexactly(4)
    first_took = loop.time() - started
    if first != b"ping":
        failures.append(f"the first answer was {first!r}, not b'ping'")
    # A connection's first answer: the handshake's round trip and the request's.
    if not 4 * delay <= first_took < 4 * delay + 0.05:
        failures.append(f"the first answer took {first_took * 1000:.1f} ms, not 4 x {delay * 1000:.0f} ms")

    started = loop.time()
    writer.write(b"pong")
    second = await reader.readexactly(4)
    second_took = loop.time() - started
    if second != b"pong":
        failures.append(f"the second answer was {second!r}")
    if not 2 * delay <= second_took < 2 * delay + 0.05:
        failures.append(f"a round trip took {second_took * 1000:.1f} ms, not 2 x {delay * 1000:.0f} ms")

    # Every byte value, a few megabytes, in many writes: back unchanged and in order.
    blob = bytes(range(256)) * 8192 + os.urandom(1 << 20)
    for at in range(0, len(blob), 7001):
        writer.write(blob[at:at + 7001])
    writer.write_eof()
    back = await reader.read()
    if back != blob + b"bye":
        failures.append(f"{len(blob)} bytes sent, {len(back)} came back"
                        + ("" if len(back) != len(blob) + 3 else ", changed"))
    if b"".join(received) != b"pingpong" + blob:
        failures.append("the upstream server received other bytes than were sent")
    writer.close()
    for failure in failures:
        print("slow_link check: " + failure, file=sys.stderr)
    if not failures:
        print(f"slow_link check: ok (first answer {first_took * 1000:.1f} ms, round trip "
              f"{second_took * 1000:.1f} ms at {delay * 1000:.0f} ms each way; {len(blob)} bytes both ways)")
    return 1 if failures else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--delay-ms", type=float, default=25.0, help="the delay each way (default 25)")
    parser.add_argument("--ports-out", help="where to write 'UPSTREAM LISTEN' port lines")
    parser.add_argument("--check", action="store_true", help="check the link and exit")
    parser.add_argument("upstreams", nargs="*", type=int)
    args = parser.parse_args()
    delay = args.delay_ms / 1000.0
    if args.check:
        return asyncio.run(check(delay))
    if not args.ports_out or not args.upstreams:
        parser.error("give --ports-out and at least one upstream port")
    try:
        asyncio.run(run(delay, args.upstreams, args.ports_out))
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
