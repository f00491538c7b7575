#pragma once
// Measures what was heard: where the sound is, how high it is, and how its
// loudness follows a source. Works on any 16-bit mono samples (a recording
// from the test sound server, or a clip's own samples).

#include <QByteArray>
#include <QtGlobal>
#include <vector>

namespace zt {

struct Samples {
    std::vector<qint16> values;
    int rate = 0;
};

// The samples of a 16-bit mono PCM WAV file; empty for anything else.
Samples waveSamples(const QByteArray& wav);
// The samples as a 16-bit mono PCM WAV file.
QByteArray waveFile(const Samples& s);

// A stretch of sound between silences, in seconds from the first sample.
struct Burst {
    double start = 0, end = 0;
    double length() const { return end - start; }
};

// Loudness (RMS, 0 to 1 of full scale) of consecutive windows.
std::vector<double> envelope(const Samples& s, double windowSeconds);

// Stretches whose 5 ms windows are louder than threshold (0 to 1 of full
// scale); quieter gaps shorter than bridge seconds belong to the stretch.
std::vector<Burst> bursts(const Samples& s, double threshold, double bridge = 0.03);

// Frequency in Hz between two times, from the count of zero crossings.
double pitchHz(const Samples& s, double from, double to);

// How closely heard follows source, placed about offset seconds into heard
// (within 60 ms): the correlation (up to 1) of their loudness in 10 ms
// windows, from the source's first sound to its last (its silences may lie
// over other sounds); 0 when heard ends before the source would. Loudness,
// not samples, so a level or rate change on the way does not matter.
double envelopeMatch(const Samples& heard, double offset, const Samples& source);

}  // namespace zt
