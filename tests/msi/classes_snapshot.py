#!/usr/bin/env python3
"""Prints the registered classes of a Wine prefix, read from its system.reg:
one line per key under Software\\Classes (both registry views) and one per
value, "key" and "key|name=data", sorted. The installer's own bookkeeping
(Software\\Classes\\Installer) and the keys' time stamps are left out.

    classes_snapshot.py PREFIX/system.reg
"""
import re
import sys

PREFIX = 'software\\\\classes\\\\'


def entries(path):
    key = None
    with open(path, encoding='utf-8', errors='replace') as registry:
        for line in registry:
            line = line.rstrip('\n')
            header = re.match(r'^\[(.*)\](?: \d+)?$', line)
            if header:
                name = header.group(1)
                lowered = name.lower()
                inside = lowered.startswith(PREFIX) and not lowered.startswith(
                    PREFIX + 'installer')
                key = lowered if inside else None
                if key:
                    yield key
                continue
            if key is None or not line or line.startswith('#'):
                continue
            value = line
            # The type library loader writes a folder without its last
            # backslash, a package's folder property ends with one.
            if key.endswith('\\\\helpdir'):
                value = re.sub(r'\\\\"$', '"', value)
            yield key + '|' + value


if __name__ == '__main__':
    for entry in sorted(set(entries(sys.argv[1]))):
        print(entry)
