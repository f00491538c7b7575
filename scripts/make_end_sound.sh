#!/bin/sh
# Makes media/end_sound.wav, the clip played when a run reaches its total:
# "时间到" spoken twice, 16 kHz mono 16-bit PCM, 2.916 s long.
# The first burst fills about 0.2-1.0 s, the second about 1.3-2.3 s; the
# first 0.1 s and the last 0.5 s stay silent. The file layout (a LIST/INFO
# chunk with a 13-character encoder tag, the peak magnitude of 17032) is
# fixed because other tools compare the clip byte for byte.
# Needs espeak-ng, sox and python3.
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-"$here/media/end_sound.wav"}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# speak TEXT SPEED TARGET_SECONDS NAME: one burst as raw 16 kHz samples,
# leading and trailing silence cut, stretched to the target length.
speak() {
    espeak-ng -v cmn -s "$2" -w "$work/$4.wav" "$1"
    sox "$work/$4.wav" "$work/$4_trim.wav" \
        silence 1 0.01 0.5% reverse silence 1 0.01 0.5% reverse
    length=$(soxi -D "$work/$4_trim.wav")
    factor=$(python3 -c "print($length / $3)")
    sox "$work/$4_trim.wav" -t raw -r 16000 -e signed -b 16 -c 1 "$work/$4.raw" \
        tempo -s "$factor" fade t 0.02 -0 0.04
}

speak "时间到" 200 0.78 first
speak "时间到" 170 0.96 second

python3 - "$work/first.raw" "$work/second.raw" "$out" <<'PY'
import struct, sys

RATE, TOTAL, PEAK = 16000, 46656, 17032
TAG = b"Zorvik v1.0.0\0"  # 13 characters and the terminating zero
assert len(TAG) == 14

def samples(path):
    data = open(path, "rb").read()
    return list(struct.unpack("<%dh" % (len(data) // 2), data[: len(data) // 2 * 2]))

clip = [0] * TOTAL
for path, start, end in ((sys.argv[1], 0.2, 1.0), (sys.argv[2], 1.3, 2.3)):
    burst = samples(path)[: int((end - start) * RATE)]
    first = int(start * RATE)
    clip[first : first + len(burst)] = burst

loudest = max(abs(s) for s in clip)
clip = [round(s * PEAK / loudest) for s in clip]
assert max(abs(s) for s in clip) == PEAK

data = struct.pack("<%dh" % TOTAL, *clip)
info = b"INFO" + b"ISFT" + struct.pack("<I", len(TAG)) + TAG
fmt = struct.pack("<HHIIHH", 1, 1, RATE, RATE * 2, 2, 16)
body = (b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt
        + b"LIST" + struct.pack("<I", len(info)) + info
        + b"data" + struct.pack("<I", len(data)) + data)
wav = b"RIFF" + struct.pack("<I", len(body)) + body
assert len(wav) == 93390
open(sys.argv[3], "wb").write(wav)
PY
echo "wrote $out"
