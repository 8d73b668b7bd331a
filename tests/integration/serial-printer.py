#!/usr/bin/env python3
"""A printer on a serial line, for the tests: reads what arrives at its end of a pseudo-terminal pair
and keeps it, as long as the sender's end of the line runs at the printer's rate; bytes sent at any
other rate are what a real printer would read as garbage, and are kept apart.

    serial-printer.py PRINTER-END SENDER-END BAUD RECEIVED GARBLED
"""
import array
import fcntl
import os
import select
import signal
import struct
import sys

TCGETS2 = 0x802C542A  # struct termios2: 4 flags, c_line, 19 c_cc, c_ispeed, c_ospeed


def sender_speed(fd):
    buffer = array.array("B", bytes(44))
    fcntl.ioctl(fd, TCGETS2, buffer, True)
    return struct.unpack_from("I", buffer, 40)[0]


def main():
    printer_end, sender_end, baud, received, garbled = sys.argv[1:6]
    baud = int(baud)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    printer = os.open(printer_end, os.O_RDONLY | os.O_NOCTTY)
    sender = os.open(sender_end, os.O_RDONLY | os.O_NOCTTY | os.O_NONBLOCK)
    with open(received, "ab", buffering=0) as good, open(garbled, "ab", buffering=0) as bad:
        print("listening", flush=True)
        while True:
            select.select([printer], [], [])
            try:
                chunk = os.read(printer, 65536)
            except OSError:
                return
            if not chunk:
                return
            (good if sender_speed(sender) == baud else bad).write(chunk)


main()
