#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets into tests/fuzz/corpus.

    python3 tests/fuzz/make_seeds.py SETTINGS.xml

SETTINGS.xml is a settings file the driver saved after SetDefaults (the
eight built-in countries). The link seeds are encoded the way link_fuzzer
reads its input with FuzzedDataProvider: numbers from the end, strings from
the front.
"""
import pathlib
import sys

HERE = pathlib.Path(__file__).resolve().parent

# The link target's command index: the rows of the command vocabulary in order,
# then one cycle of the polling loop.
COMMANDS = [0x11, 0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x50, 0x80, 0x81, 0x83, 0x84, 0x85,
            0x88, 0x89, 0xC0, 0xC1, 0xC3, 0xC4, 0xC5]
POLL = len(COMMANDS)


def crc(data):
    value = 0
    for byte in data:
        value ^= byte
        for _ in range(8):
            value = (value >> 1) ^ 0x8408 if value & 1 else value >> 1
    return value


def frame(body):
    head = bytes([0xFC, (len(body) + 4) & 0xFF]) + bytes(body)
    value = crc(head)
    return head + bytes([value & 0xFF, value >> 8])


class Input:
    """Builds one input: numbers taken from the end, strings from the front."""

    def __init__(self):
        self.front = bytearray()
        self.back = bytearray()  # in the order they are consumed

    def number(self, value, low, high):
        span, count = high - low, 0
        while count < 8 and (span >> (8 * count)) > 0:
            count += 1
        offset = value - low
        self.back += offset.to_bytes(count, "big") if count else b""

    def string(self, data):
        self.front += bytes(data).replace(b"\\", b"\\\\") + b"\\E"

    def data(self):
        return bytes(self.front) + bytes(reversed(self.back))


def link_input(steps, limit=0):
    """steps: (command index, [pieces]); a piece is bytes, 'timeout', 'gone',
    ('error', n) or ('run', count, byte)."""
    seed = Input()
    seed.number(limit, 0, 2)
    for command, pieces in steps:
        seed.number(command, 0, POLL)
        seed.number(0, 0, 255)  # the fields as they are
        seed.number(len(pieces), 0, 6)
        for piece in pieces:
            if isinstance(piece, (bytes, bytearray)):
                seed.number(0, 0, 7)
                seed.string(piece)
            elif piece == "timeout":
                seed.number(5, 0, 7)
            elif piece == "gone":
                seed.number(6, 0, 7)
            elif piece[0] == "error":
                seed.number(7, 0, 7)
                seed.number(piece[1], 1, 0xFFFF)
            else:
                seed.number(4, 0, 7)
                seed.number(piece[1], 0, 1100)
                seed.number(piece[2], 0, 255)
    return seed.data()


def link_seeds():
    ack, unknown = frame([0x50]), frame([0x4B])
    statuses = [frame([s]) for s in (0x11, 0x12, 0x14, 0x15, 0x16, 0x18, 0x19, 0x1A, 0x1B,
                                     0x40, 0x43, 0x47, 0x4A)]
    statuses += [frame([0x13, 0x66]), frame([0x17, 0x71]), frame([0x49, 0xA5]), frame([0x13])]
    seeds = {}
    for i, reply in enumerate(statuses):
        seeds[f"status-{i:02d}"] = link_input([(0, [reply])])
    for index in range(1, 7):
        seeds[f"control-{index}-ack"] = link_input([(index, [ack])])
    seeds["control-unknown"] = link_input([(1, [unknown])])
    seeds["control-other"] = link_input([(4, [frame([0x33])])])
    echoes = {8: [0x80, 0x00, 0x00], 9: [0x81, 0xFF, 0x00], 10: [0x83, 0x01], 11: [0x84, 0x02],
              12: [0x85, 0x12, 0x34], 13: [0x88] + list(b"SMRUS00123"), 14: [0x89] + list(b"V1.05"),
              15: [0xC0, 0x00, 0x00], 16: [0xC1, 0xFF, 0x00], 17: [0xC3, 0x00], 18: [0xC4, 0x01],
              19: [0xC5, 0x00, 0x01]}
    for index, body in echoes.items():
        seeds[f"echo-{COMMANDS[index]:02X}"] = link_input([(index, [frame(body)])])
    status = frame([0x11])
    seeds["ack-then-status"] = link_input([(7, [status]), (0, [status])])
    seeds["silent"] = link_input([(0, [])])
    seeds["noise-then-frame"] = link_input([(0, [b"\x00\x13\x55" + status])])
    seeds["split-by-timeout"] = link_input([(0, [status[:3], "timeout", status[3:]])])
    seeds["cut-off"] = link_input([(13, [frame([0x88] + list(b"SMRUS"))[:6], "timeout"])])
    seeds["too-short"] = link_input([(0, [b"\xFC\x04"])])
    seeds["crc-swapped"] = link_input([(0, [status[:3] + status[4:2:-1]])])
    seeds["no-echo"] = link_input([(10, [frame([0x84, 0x01])])])
    seeds["echo-short"] = link_input([(12, [frame([0x85, 0x01])])])
    seeds["long-noise"] = link_input([(0, [("run", 1100, 0x55)])])
    seeds["gone-mid-poll"] = link_input([(0, [status[:2], "gone"]), (0, [status])])
    seeds["read-error-rest"] = link_input([(0, [status[:2], ("error", 5)])])
    seeds["gone-first"] = link_input([(0, ["gone"]), (7, []), (0, [status])])
    cycle = [frame([0x1A]), frame([0xC0, 0, 0]), frame([0xC3, 0]), frame([0x13, 0x66]),
             ack, frame([0x15]), frame([0x16])]
    seeds["poll-cycle"] = link_input([(POLL, [r]) for r in cycle])
    seeds["poll-escrow-gone"] = link_input([(POLL, [frame([0x13, 0x66])]), (POLL, ["gone"])],
                                           limit=2)
    return seeds


def settings_seeds(defaults):
    text = defaults.decode("cp1251")
    head, rest = text.split("<Country>", 1)
    first = "<Country>" + rest.split("</Country>", 1)[0] + "</Country>\r\n"
    tail = "  </CountryDenominations>\r\n</settings>\r\n"
    one = head + first + tail
    seeds = {
        "defaults": text,
        "one-country": one,
        "port-3-19200": one.replace("<PortNumber>1<", "<PortNumber>3<")
                           .replace(">9600<", ">19200<"),
        "baud-4800": one.replace(">9600<", ">4800<"),
        "not-a-number": one.replace(">643<", ">6x3<"),
        "empty-settings": "<settings></settings>\r\n",
        "settings-empty-element": "<settings/>\r\n",
        "blank": " \r\n\t\r\n",
        "connection-only": head.split("<CountryDenominations>")[0] + "</settings>\r\n",
        "unclosed": head[:len(head) // 2],
        "br-in-name": one.replace("</CountryName>", "<br/>x</CountryName>", 1),
        # Lone CRs and LFs beside a pair the clean-up leaves, and an escape
        # before a second text run.
        "breaks-beside-blanks": one.replace(
            "</CountryName>", "\r\r\r\n\n\nx &amp;amp;<b/>y</CountryName>", 1),
        "bad-current": one.replace("<CurrentCountryCode>1<", "<CurrentCountryCode>99<"),
    }
    return {name: body.encode("cp1251") for name, body in seeds.items()}


def xml_seeds(defaults):
    one = settings_seeds(defaults)["one-country"]
    return {
        "settings": one,
        "declaration-stylesheet": b'<?xml version="1.0" encoding="Windows-1251" ?>\r\n'
                                  b'<?xml-stylesheet type="text/xsl" href="a.xsl"?>\r\n<a/>\r\n',
        "attributes": b'<e q="&quot;&lt;&amp;&gt;\' x" n="1">\r\n  <t>a<br/>b &amp; c</t>\r\n</e>\r\n',
        "comment": b"<a>\n<!-- c -->\n<b x=\"1\"/>\n</a>\n",
        "tag-across-lines": b"<Bill\r\nCode=\"1\">text</Bill>\r\n",
        "long-line": b"<a>" + b"x" * 300 + b"</a>\n",
        "unclosed-tag": b"<a><b\n",
        "nul-inside": b"<a>\x00</a>\n",
        "entities": b"<a>&amp;&lt;&gt;&quot;&apos;&#65;&bogus;</a>\n",
        "cyrillic": "<Страна>Россия</Страна>\r\n".encode("cp1251"),
    }


def main():
    defaults = pathlib.Path(sys.argv[1]).read_bytes()
    for target, seeds in (("link", link_seeds()), ("settings", settings_seeds(defaults)),
                          ("xml", xml_seeds(defaults))):
        folder = HERE / "corpus" / target
        folder.mkdir(parents=True, exist_ok=True)
        for name, data in seeds.items():
            (folder / name).write_bytes(data)
        print(f"{target}: {len(seeds)} seeds")


if __name__ == "__main__":
    main()
