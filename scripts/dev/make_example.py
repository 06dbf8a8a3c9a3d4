#!/usr/bin/env python3
"""Builds examples/games.pgn from the master games collection (public domain; see examples/COPYRIGHT-games).

Deterministic: the games of chess programs and of the early internet chess server, then every 1500th
other game, in the order of the collection. Usage: make_example.py master-games.pgn > games.pgn
"""
import re
import sys

COMPUTER = re.compile(rb'(?i)\b(comp\b|computer|fritz\s?\d|deep (thought|blue)|hitech|hiarcs|mchess|wchess|'
                      rb'zarkov|socrates|rebel|mephisto|genius|chessmaster|crafty|ferret|junior|\(c\))')


def games(data):
    starts = [m.start() for m in re.finditer(rb'(?m)^\[Event ', data)]
    for a, b in zip(starts, starts[1:] + [len(data)]):
        yield data[a:b]


def main():
    data = open(sys.argv[1], 'rb').read()
    picked, other = [], 0
    for game in games(data):
        names = b' '.join(re.findall(rb'(?m)^\[(?:White|Black) "([^"]*)"', game))
        site = re.search(rb'(?m)^\[Site "([^"]*)"', game)
        if COMPUTER.search(names) or (site and site.group(1) == b'ICS'):
            picked.append(game)
        else:
            other += 1
            if other % 1500 == 0:
                picked.append(game)
    sys.stdout.buffer.write(b''.join(picked))


main()
