#!/usr/bin/env python3
"""Makes the seed corpora of fuzz_hex and fuzz_bootloader_reply: HEX images written by GNU
objcopy (extended linear and segment addresses) and by hand, and bootloader replies of a clean
programming run of a small chip.

Run from anywhere: python3 Fuzz/corpus/make_pic_seeds.py"""
import os
import shutil
import struct
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def write(folder, name, data):
    os.makedirs(os.path.join(HERE, folder), exist_ok=True)
    with open(os.path.join(HERE, folder, name), "wb") as f:
        f.write(data)


def objcopy_hex(binary, address):
    with tempfile.TemporaryDirectory() as tmp:
        source = os.path.join(tmp, "image.bin")
        target = os.path.join(tmp, "image.hex")
        with open(source, "wb") as f:
            f.write(binary)
        subprocess.run(["objcopy", "-I", "binary", "-O", "ihex", "--change-addresses", hex(address), source, target],
                       check=True)
        with open(target, "rb") as f:
            return f.read()


def hex_seeds():
    binary = bytes((i * 37 + 11) & 0xFF for i in range(0x155))
    if shutil.which("objcopy"):
        # Selector byte first: even picks the family 1 chip, odd the family 2 chip.
        write("fuzz_hex", "objcopy-linear.hex", b"\x00" + objcopy_hex(binary, 0x100))
        write("fuzz_hex", "objcopy-family2.hex", b"\x01" + objcopy_hex(binary, 0x1003))
        write("fuzz_hex", "objcopy-segment.hex", b"\x00" + objcopy_hex(binary[:40], 0xF00000))
    write("fuzz_hex", "by-hand.hex",
          b"\x00:02010000112233CA\r\n:020000040030CA\r\n:02000000AABB99\r\n:0400000300000000F9\r\n:00000001FF\r\n")


def reply_seeds():
    # Family 1, 56-byte packets, program memory 0x800..0x820: query, query after erase, then
    # one read-back reply holding the 32 bytes the image leaves there.
    query = bytes([0x02, 56, 1, 1]) + struct.pack("<II", 0x800, 0x20) + bytes([0xFF])
    query = query.ljust(38, b"\x00")
    data = bytes(range(1, 17)) + b"\xff" * 16
    get_data = bytes([0x07]) + struct.pack("<I", 0x800) + bytes([32])
    get_data = get_data.ljust(64 - 32, b"\x00") + data + b"\x00"
    write("fuzz_bootloader_reply", "clean-run.bin", query + query + get_data)
    write("fuzz_bootloader_reply", "query-only.bin", query)


if __name__ == "__main__":
    hex_seeds()
    reply_seeds()
