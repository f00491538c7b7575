#pragma once
// The clip that marks the end of a run: a complete WAV file (93,390 bytes,
// 16 kHz mono 16-bit), made by scripts/make_end_sound.sh and built in.

#include <QByteArray>

namespace rt {

// The whole file, header included, exactly as stored.
QByteArray endSoundClip();

}  // namespace rt
