#!/usr/bin/env python3
"""Reads the documents our writer produced with Python's own XML reader and
compares the trees with the ones our reader produced (JSON dumps).

usage: xml_peer_check.py <config_peer_dump program> <scratch folder>

Our reader keeps the text runs of an element joined by CR LF; Python keeps
the first run as .text and each later one as the .tail of the child before
it, so those pieces are joined the same way before comparing. A line break
in a text is written as <br/>, which both readers see as an element.
"""
import json
import os
import subprocess
import sys
import xml.etree.ElementTree as ET


def text_runs(element):
    pieces = [element.text or ""] + [child.tail or "" for child in element]
    return "\r\n".join(piece.strip() for piece in pieces if piece.strip())


def compare(theirs, ours, path, problems):
    where = path + "/" + ours["name"]
    if theirs.tag != ours["name"]:
        problems.append(f"{where}: name {theirs.tag!r} != {ours['name']!r}")
    our_attributes = dict((name, value) for name, value in ours["attributes"])
    if len(our_attributes) != len(ours["attributes"]) or dict(theirs.attrib) != our_attributes:
        problems.append(f"{where}: attributes {dict(theirs.attrib)!r} != {ours['attributes']!r}")
    if text_runs(theirs) != ours["text"]:
        problems.append(f"{where}: text {text_runs(theirs)!r} != {ours['text']!r}")
    children = list(theirs)
    if len(children) != len(ours["children"]):
        problems.append(f"{where}: {len(children)} children != {len(ours['children'])}")
        return 0
    return 1 + sum(compare(a, b, where, problems) for a, b in zip(children, ours["children"]))


def main():
    program, folder = sys.argv[1], sys.argv[2]
    os.makedirs(folder, exist_ok=True)
    subprocess.run([program, folder], check=True)
    problems = []
    for name in ("default", "edge"):
        theirs = ET.parse(os.path.join(folder, name + ".xml")).getroot()
        with open(os.path.join(folder, name + ".json"), encoding="utf-8") as dump:
            ours = json.load(dump)
        count = compare(theirs, ours, "", problems)
        print(f"{name}.xml: {count} elements compared")
    for problem in problems:
        print("MISMATCH", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
