#!/usr/bin/env python3
"""A WHOIS client that keeps 25 lookups in flight (Python standard library only).

Usage: asyncclient.py HOST PORT NAMES_FILE [CONNECTIONS]
Prints one line: "lookups N seconds S free F" (F: replies holding "No match for").
"""
import asyncio
import sys
import time


async def lookup(host, port, name):
    reader, writer = await asyncio.open_connection(host, port)
    writer.write(name.encode("ascii") + b"\r\n")
    await writer.drain()
    reply = await reader.read()  # until the server closes
    writer.close()
    return reply


async def worker(host, port, names, counts):
    while names:
        name = names.pop()
        reply = await lookup(host, port, name)
        counts[0] += 1
        if b"No match for" in reply:
            counts[1] += 1


async def main():
    host, port, path = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    connections = int(sys.argv[4]) if len(sys.argv) > 4 else 25
    with open(path, encoding="ascii") as f:
        names = [line.strip() for line in f if line.strip()]
    names.reverse()  # pop() takes them in list order
    counts = [0, 0]
    start = time.perf_counter()
    await asyncio.gather(*(worker(host, port, names, counts) for _ in range(connections)))
    seconds = time.perf_counter() - start
    print(f"lookups {counts[0]} seconds {seconds:.3f} free {counts[1]}")


asyncio.run(main())
