#!/usr/bin/env python3
"""Makes the seed corpora of fuzz_datafile and fuzz_archive: data files laid out the way the
editor writes them (and one written by hand), and two archives zipped by the system's zip
tool: one deflated, with the hidden entries another desktop system adds, and one stored.

Run from anywhere: python3 Fuzz/corpus/make_file_seeds.py"""
import os
import shutil
import struct
import subprocess
import tempfile


def checksum(data):
    total = 0
    for byte in data:
        total = ((total >> 1) | (total << 15)) & 0xFFFF
        total = (total + byte) & 0xFFFF
    return total


def data_file(type_string, index, segments):
    lines = ["# File Type: " + type_string + ("" if type_string == "Globals data" else ", Index = %d" % index), ""]
    for number, segment in enumerate(segments):
        lines += ["", "", "Data Segment %d: %d bytes excluding CRC" % (number, len(segment)), "",
                  "# Data Segment %d Start - Do Not Delete" % number]
        lines += ["0x%08x" % struct.unpack_from("<I", segment, word * 4) for word in range(len(segment) // 4)]
        lines += ["# Data Segment %d End - Do Not Delete" % number, "", "CRC = 0x%04x" % checksum(segment), ""]
    return ("\n".join(lines) + "\n").encode()


def parameter_block(params, pairs):
    block = b"".join(struct.pack("<If", key, value) for key, value in sorted(params.items()))
    return block + struct.pack("<II", 0xFFFFFFFF, 0) * (pairs - len(params))


def name_block(name, slots, size):
    block = b"".join(struct.pack("<I", ord(character)) for character in name[:slots])
    return block + b"\0" * (size - len(block))


def cabinet_samples():
    samples = [0.0] * 2048
    samples[0] = samples[1024] = 1.0
    samples[3] = -0.5
    return struct.pack("<2048f", *samples)


def write(path, content):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as file:
        file.write(content)


here = os.path.dirname(os.path.abspath(__file__))
globals_file = data_file("Globals data", 0, [parameter_block({0: 1.0, 5: 120.0}, 128)])
cabinet_file = data_file("User Cabinet data", 7, [cabinet_samples(), name_block("Room", 15, 64)])
resource_fork = b"\0\5\x16\7Mac OS X        ATTR"

seeds = os.path.join(here, "fuzz_datafile")
write(os.path.join(seeds, "globals.glo"), globals_file)
write(os.path.join(seeds, "cabinet.cab"), cabinet_file)
write(os.path.join(seeds, "short-preset.pre"),
      b"# a hand-written file\r\n  #File Type :Preset data,Index=3\r\n\r\n"
      b"# Data Segment 0 Start\r\n0x00000001\r\n0x3F800000\r\n0xFFFFFFFF\r\n0x0\r\n# Data Segment 0 End\r\nCRC = 0x0000\r\n"
      b"# Data Segment 1 Start\r\n0x41\r\n# Data Segment 1 End\r\n\r\n")
write(os.path.join(seeds, "ArchiveInfo.txt"), b"SYSTEM_FW_VERSION : 3.4.1\nDSP_FW_VERSION : 6 . 2 . 0\n")

content = tempfile.mkdtemp()
write(os.path.join(content, "ArchiveInfo.txt"), b"DSP_FW_VERSION : 6.2.0\nSYSTEM_FW_VERSION : 3.4.1\n")
write(os.path.join(content, "Ferrox_Tonecrest_0.glo"), globals_file)
write(os.path.join(content, "Saved", "Ferrox_Tonecrest_7.CAB"), cabinet_file)
write(os.path.join(content, "Saved", "._Ferrox_Tonecrest_7.CAB"), resource_fork)
write(os.path.join(content, "__MACOSX", "._ArchiveInfo.txt"), resource_fork)
write(os.path.join(content, "System.hex"), b":020000040000FA\n:00000001FF\n")
write(os.path.join(content, "FerroxAmp.ldr"), bytes([0x80, 0x40, 0xC0]))

archives = os.path.join(here, "fuzz_archive")
os.makedirs(archives, exist_ok=True)
for name, options, entries in (
        ("backup-deflated.tbu", ["-r"], ["ArchiveInfo.txt", "Ferrox_Tonecrest_0.glo", "Saved", "__MACOSX"]),
        ("firmware-stored.tfu", ["-0"], ["ArchiveInfo.txt", "System.hex", "FerroxAmp.ldr"])):
    target = os.path.join(archives, name)
    if os.path.exists(target):
        os.remove(target)
    subprocess.run(["zip", "-q", "-X"] + options + [target] + entries, cwd=content, check=True)
shutil.rmtree(content)
