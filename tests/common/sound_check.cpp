#include "sound_check.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>

namespace zt {

namespace {

constexpr double kWindow = 0.005;

// The samples from..to seconds, clamped to what there is.
std::pair<size_t, size_t> span(const Samples& s, double from, double to) {
    const auto clamp = [&](double t) {
        return size_t(std::clamp(t * s.rate, 0.0, double(s.values.size())));
    };
    return {clamp(from), clamp(to)};
}

// Pearson correlation of two series of the same length; 0 when either is flat.
double correlation(const std::vector<double>& a, const std::vector<double>& b) {
    const double n = double(a.size());
    double ma = 0, mb = 0;
    for (size_t i = 0; i < a.size(); ++i) ma += a[i] / n, mb += b[i] / n;
    double sab = 0, saa = 0, sbb = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        sab += (a[i] - ma) * (b[i] - mb);
        saa += (a[i] - ma) * (a[i] - ma);
        sbb += (b[i] - mb) * (b[i] - mb);
    }
    return saa > 0 && sbb > 0 ? sab / std::sqrt(saa * sbb) : 0;
}

}  // namespace

Samples waveSamples(const QByteArray& wav) {
    Samples s;
    qsizetype at = 12;
    while (wav.startsWith("RIFF") && at + 8 <= wav.size()) {
        const QByteArray id = wav.mid(at, 4);
        const auto size = qFromLittleEndian<quint32>(wav.constData() + at + 4);
        if (id == "fmt " && size >= 16) {
            const auto* f = wav.constData() + at + 8;
            if (qFromLittleEndian<quint16>(f) != 1 || qFromLittleEndian<quint16>(f + 2) != 1 ||
                qFromLittleEndian<quint16>(f + 14) != 16)
                return {};
            s.rate = int(qFromLittleEndian<quint32>(f + 4));
        }
        if (id == "data" && s.rate > 0) {
            const qsizetype count = std::min<qsizetype>(size, wav.size() - at - 8) / 2;
            for (qsizetype i = 0; i < count; ++i)
                s.values.push_back(qFromLittleEndian<qint16>(wav.constData() + at + 8 + 2 * i));
            return s;
        }
        at += 8 + size + (size & 1);
    }
    return {};
}

QByteArray waveFile(const Samples& s) {
    const auto u32 = [](quint32 v) {
        QByteArray b(4, 0);
        qToLittleEndian(v, b.data());
        return b;
    };
    const auto u16 = [](quint16 v) {
        QByteArray b(2, 0);
        qToLittleEndian(v, b.data());
        return b;
    };
    const auto dataSize = quint32(s.values.size() * 2);
    QByteArray wav = "RIFF" + u32(36 + dataSize) + "WAVEfmt " + u32(16) + u16(1) + u16(1) +
                     u32(quint32(s.rate)) + u32(quint32(s.rate) * 2) + u16(2) + u16(16) + "data" +
                     u32(dataSize);
    for (qint16 v : s.values) wav += u16(quint16(v));
    return wav;
}

std::vector<double> envelope(const Samples& s, double windowSeconds) {
    std::vector<double> out;
    const size_t n = std::max<size_t>(1, size_t(windowSeconds * s.rate));
    for (size_t at = 0; at + n <= s.values.size(); at += n) {
        double sum = 0;
        for (size_t i = at; i < at + n; ++i) sum += double(s.values[i]) * s.values[i];
        out.push_back(std::sqrt(sum / double(n)) / 32768.0);
    }
    return out;
}

std::vector<Burst> bursts(const Samples& s, double threshold, double bridge) {
    std::vector<Burst> out;
    const std::vector<double> level = envelope(s, kWindow);
    for (size_t i = 0; i < level.size(); ++i) {
        if (level[i] <= threshold) continue;
        const double start = double(i) * kWindow;
        size_t last = i;
        while (i < level.size() && double(i - last) * kWindow <= bridge) {
            if (level[i] > threshold) last = i;
            ++i;
        }
        out.push_back({start, double(last + 1) * kWindow});
        i = last + 1;
    }
    return out;
}

double pitchHz(const Samples& s, double from, double to) {
    const auto [first, last] = span(s, from, to);
    int crossings = 0;
    for (size_t i = first + 1; i < last; ++i)
        if ((s.values[i - 1] < 0) != (s.values[i] < 0)) ++crossings;
    const double seconds = double(last - first) / s.rate;
    return seconds > 0 ? crossings / 2.0 / seconds : 0;
}

double envelopeMatch(const Samples& heard, double offset, const Samples& source) {
    constexpr double window = 0.01, slack = 0.06;
    std::vector<double> a = envelope(source, window);
    // Only where the source sounds: its silences may lie over other sounds.
    const double peak = a.empty() ? 0 : *std::max_element(a.begin(), a.end());
    const auto loud = [&](double v) { return v > 0.05 * peak; };
    const auto from = std::find_if(a.begin(), a.end(), loud) - a.begin();
    const auto to = a.rend() - std::find_if(a.rbegin(), a.rend(), loud);
    if (from >= to) return 0;
    a = std::vector<double>(a.begin() + from, a.begin() + to);
    const double start = offset + double(from) * window;
    const auto [first, last] =
        span(heard, start - slack, start + double(a.size()) * window + slack);
    const Samples part{
        {heard.values.begin() + qsizetype(first), heard.values.begin() + qsizetype(last)},
        heard.rate};
    const std::vector<double> b = envelope(part, window);
    // Where the sound starts is known to a few windows only: the best of
    // the alignments within the slack counts.
    double best = 0;
    for (size_t lag = 0; lag + a.size() <= b.size(); ++lag)
        best = std::max(best, correlation(a, {b.begin() + qsizetype(lag),
                                              b.begin() + qsizetype(lag + a.size())}));
    return best;
}

}  // namespace zt
