#!/usr/bin/env python3
"""Seeds for the tag fuzzers, cut from the movies in a folder.

  fuzz_seeds.py images|actions|abc MOVIES_DIR OUT_DIR

images:  a byte naming the image tag (as image_fuzzer reads it), the body; a
         DefineBits with the movie's JPEGTables in front, as the fuzzer takes it.
actions: a byte choosing the tag that holds the block and the movie's version
         (as action_fuzzer reads it), the DoAction's actions.
abc:     the ABC file of each DoABC tag (72, and 82 less its flags and name).
"""
import os
import struct
import sys
import zlib

IMAGE_CODES = [6, 20, 21, 35, 36, 90]


def movies(folder):
    """Each readable movie of the folder, inflated: its bytes."""
    for name in sorted(os.listdir(folder)):
        data = open(os.path.join(folder, name), 'rb').read()
        if data[:3] == b'CWS':
            try:
                data = data[:8] + zlib.decompressobj().decompress(data[8:])
            except zlib.error:
                continue
        if data[:3] in (b'FWS', b'CWS') and len(data) >= 13:
            yield data


def tags(data):
    """Each tag of the movie's top level: its code, stated length and body."""
    pos = 8 + (5 + 4 * (data[8] >> 3) + 7) // 8 + 4
    while pos + 2 <= len(data):
        value = struct.unpack_from('<H', data, pos)[0]
        pos += 2
        code, length = value >> 6, value & 0x3F
        if length == 0x3F and pos + 4 <= len(data):
            length = struct.unpack_from('<I', data, pos)[0]
            pos += 4
        yield code, length, data[pos:pos + length]
        if code == 0:
            break
        pos += length


def image_seeds(data):
    tables = None
    for code, length, body in tags(data):
        if code == 8 and tables is None:
            tables = body
        if code in IMAGE_CODES and length <= 65536:
            head = bytes([IMAGE_CODES.index(code)])
            # DefineBits after a JPEGTables that holds tables: both.
            if code == 6 and tables and len(tables) < 65536:
                head = bytes([len(IMAGE_CODES)]) + struct.pack('<H', len(tables)) + tables
            yield head + body


def action_seeds(data):
    choice = 0 if data[3] < 7 else 3
    for code, length, body in tags(data):
        if code == 12 and length <= 65536:
            yield bytes([choice]) + body


def abc_seeds(data):
    for code, _, body in tags(data):
        if code == 82:
            end = body.find(b'\0', 4)
            body = body[end + 1:] if end >= 0 else b''
        if code in (72, 82) and 0 < len(body) <= 262144:
            yield body


def main():
    kind, folder, out = sys.argv[1:4]
    seeds = {'images': image_seeds, 'actions': action_seeds, 'abc': abc_seeds}[kind]
    n = 0
    for data in movies(folder):
        for seed in seeds(data):
            n += 1
            open(os.path.join(out, 'seed-%d' % n), 'wb').write(seed)


if __name__ == '__main__':
    main()
