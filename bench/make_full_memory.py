#!/usr/bin/env python3
"""Writes a channel data file with all 230 channels defined, from a fresh one made by
kld540-cli new: the worst case for a transfer's duration."""
import struct
import sys

HEADER, RECORD = 32, 106
src, dst = sys.argv[1], sys.argv[2]
data = bytearray(open(src, "rb").read())
main = data[HEADER + RECORD: HEADER + 2 * RECORD]
for n in range(2, 231):
    rec = bytearray(main)
    struct.pack_into("<hhhhh", rec, 0, 0xA1, 0, n, n, ((n - 1) // 16) * 16)
    rec[10:18] = f"Chan {n:<3}".encode()
    freq = f"{136 + n * 0.0125:8.4f}  ".encode()
    rec[40:50] = freq
    rec[68:78] = freq
    data[HEADER + n * RECORD: HEADER + (n + 1) * RECORD] = rec
open(dst, "wb").write(data)
