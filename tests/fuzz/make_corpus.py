#!/usr/bin/env python3
"""Writes the fuzzers' starting inputs. For the grid file: one valid table
file per format version (1 to 6), each with a record of every kind its
version holds, plus the two files the program itself writes most (header
only, a few rows). For the profile file: "配置.ini" as a new program writes
it, as a modern editor saves it (UTF-8 with its mark, or without one as
Linux editors do), and as hands edit it. For the speech service: request
heads as the timer's own client sends them (every byte of the text
percent-encoded, with the service's secret), and as a hand-typed request
with "+" for spaces and bare line ends.
Run from anywhere: python3 tests/fuzz/make_corpus.py [grid output folder]
[profile output folder] [request output folder]."""
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


DEFAULTS = ("[计时]\r\n时=0\r\n分=5\r\n秒=15\r\n模式选择=倒计时\r\n提醒类型=0\r\n间隔提醒时间=1\r\n"
            "自定义音频路径=\r\n窗口置顶=假\r\n最终结束音=真\r\n[自定义提醒]\r\n启用自定义提醒=假\r\n"
            "启用CMD命令=假\r\n[热键配置]\r\n开始=\r\n")


def profile_samples():
    hand = ("; by hand\n[ 计时 ]\n时 = \"2\" \n秒=-3\n分=abc\njunk\n时=9\n[Other]x\nK='v'\n"
            "[自定义提醒]\n启用自定义提醒=1")
    return {
        "defaults": DEFAULTS.encode("gbk"),
        "utf8_marked": b"\xef\xbb\xbf" + DEFAULTS.replace("自定义音频路径=", "自定义音频路径=/音频/Übung.mp3").encode(),
        "utf8_unmarked": DEFAULTS.replace("\r\n", "\n").replace("秒=15", "秒=15\n; 编辑过").encode(),
        "gb18030_value": DEFAULTS.replace("自定义音频路径=", "自定义音频路径=Übung😀.mp3").encode("gb18030"),
        "hand_edited": hand.encode("gbk") + b"\nbad=\x81\xff\x80z\x81\nzero=a\0b",
    }


# What the timer's network session adds to every request it sends.
SESSION_HEADERS = ("User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n"
                   "Accept: */*\r\nConnection: Keep-Alive\r\nAccept-Encoding: gzip, deflate\r\n"
                   "Accept-Language: en-US,*")


def program_request(text, secret):
    encoded = "".join("%%%02X" % b for b in text.encode())
    return ("GET /txt/apiz.php?text=%s&spd=6 HTTP/1.1\r\nHost: 127.0.0.1:41237\r\n"
            "Authorization: Bearer %s\r\n%s" % (encoded, secret, SESSION_HEADERS)).encode()


def request_samples():
    secret = "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08"
    return {
        "program_chinese": program_request("休息一下，喝杯水", secret),
        "program_mixed": program_request("Stand up: 起来 5 分钟 😀", secret),
        "typed": b"GET /txt/apiz.php?text=test+123%e4%bc%91&spd=3 HTTP/1.1\nHost: localhost:41237\n"
                 b"User-Agent: curl/7.88.1\nAccept: */*",
    }


def write_all(folder, files):
    os.makedirs(folder, exist_ok=True)
    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


def main():
    here = os.path.dirname(__file__)
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "corpus")
    files = {"version%d" % v: every_kind(v) for v in range(1, 7)}
    files["header_only"] = program_table(0)
    files["five_rows"] = program_table(5)
    for name, data in files.items():
        assert len(data) >= 540, name
    write_all(out, files)
    write_all(sys.argv[2] if len(sys.argv) > 2 else os.path.join(here, "profile_corpus"),
              profile_samples())
    write_all(sys.argv[3] if len(sys.argv) > 3 else os.path.join(here, "request_corpus"),
              request_samples())


if __name__ == "__main__":
    main()
