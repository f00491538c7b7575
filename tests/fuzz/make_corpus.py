#!/usr/bin/env python3
"""Writes the grid fuzzer's starting inputs: one valid table file per format
version (1 to 6), each with a record of every kind its version holds, plus
the two files the program itself writes most (header only, a few rows).
Run from anywhere: python3 tests/fuzz/make_corpus.py [output folder]."""
import os
import struct
import sys

BLOCK = {1: 124, 2: 128, 3: 132, 4: 136, 5: 464, 6: 464}
HEADERS = ["间隔时间(分)", "提醒内容", "CMD命令(试验)"]


def i32(*values):
    return struct.pack("<%di" % len(values), *values)


def padded(data, size):
    return data[:size] + b"\0" * (size - min(size, len(data)))


def gbk(text):
    return text.encode("gbk")


def log_font(height):
    # LOGFONTA: height, width, escapement, orientation, weight, italic,
    # underline, strike-out, charset (GB2312), precisions, quality, pitch, face.
    return i32(height, 0, 0, 0, 400) + bytes([0, 0, 0, 134, 0, 0, 0, 0]) + padded(gbk("宋体"), 32)


def table(version, rows, cells, fonts, lists, cell_types=(), merges=(), quads=((), ())):
    """rows: heights; cells: (row, col, text, check, data); lists: seven lists."""
    columns = [86, 216, 168]
    n_lists = 6 if version == 1 else 7
    block = i32(len(rows), 3, 1, 0, 24, 200, 0xC0C0C0, 0xFFFFFF, 0) + i32(*([0] * 12))
    block += i32(len(cell_types), len(merges), len(cells), len(fonts))
    block += i32(*[len(l) for l in lists[:n_lists]])
    if version >= 3:
        block += i32(len(quads[0]))
    if version >= 4:
        block += i32(len(quads[1]))
    if version >= 5:
        block += padded(b"", 256) + padded(b"", 32) + i32(0, 0, 0) + padded(b"", 28)
    assert len(block) == BLOCK[version]
    out = b"EGRD" + i32(version) + struct.pack("<hh", 0, 0) + block
    out += i32(*rows) + i32(*columns)
    for a, b, short, long_, c, d, items in cell_types:
        out += i32(a, b) + padded(short, 8) + padded(long_, 12) + i32(c, d, len(items))
        out += b"".join(padded(item, 100) for item in items)
    for merge in merges:
        out += i32(*merge)
    for row, col, text, check, data in cells:
        out += i32(row, col)
        if version >= 6:
            out += i32(len(gbk(text)) + 1) + gbk(text) + b"\0"
        else:
            out += padded(gbk(text), 256)
        out += i32(check, len(data)) + data
    for row, col, height in fonts:
        out += i32(row, col) + log_font(height)
    for values in lists[:n_lists]:
        for row, col, value in values:
            out += i32(row, col, value)
    if version >= 3:
        out += b"".join(i32(*q) for q in quads[0])
    if version >= 4:
        out += b"".join(i32(*q) for q in quads[1])
    return out


def program_table(data_rows):
    cells = [(0, c, HEADERS[c], 0, b"") for c in range(3)]
    for r in range(1, data_rows + 1):
        cells += [(r, 0, str(r * 5), 0, b""), (r, 1, "第%d次：起来活动一下" % r, 0, b"")]
        if r % 2 == 0:
            cells.append((r, 2, "echo %d" % r, 0, b""))
    fonts = [(0, c, 20) for c in range(3)]
    lists = [[], [], [(0, c, 0x825) for c in range(3)], [], [], [], []]
    return table(6, [40] * (data_rows + 1), cells, fonts, lists)


def every_kind(version):
    cells = [(0, c, HEADERS[c], 0, b"") for c in range(3)]
    cells += [(1, 1, "喝水", 0, b""), (2, 0, "x", 1, b"\x89PNG")]
    lists = [[(1, 1, 0x00FF00 + i)] for i in range(7)]
    return table(version, [40, 40, 24], cells, [(0, 0, 20), (1, 2, -16)], lists,
                 cell_types=[(1, 2, b"ab", b"cdef", 3, 4, [gbk("选项"), b"two"])],
                 merges=[(1, 0, 1, 0, 2, 1)],
                 quads=([(1, 2, 3, 4)], [(5, 6, 7, 8)]))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "corpus")
    os.makedirs(out, exist_ok=True)
    files = {"version%d" % v: every_kind(v) for v in range(1, 7)}
    files["header_only"] = program_table(0)
    files["five_rows"] = program_table(5)
    for name, data in files.items():
        assert len(data) >= 540, name
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
