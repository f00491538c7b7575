#pragma once
// A sound server of the test's own: PulseAudio with one null sink, kept
// running by a silent stream, whose monitor the test records. What the
// program plays there is what a user would hear. The server lives in a
// private folder, so tests running side by side never share one.
//
// Needs the Debian packages pulseaudio and pulseaudio-utils (pacat, parec,
// pactl). Usable without GoogleTest (the benchmarks use it too).

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "sound_check.h"

namespace zt {

using SteadyTime = std::chrono::steady_clock::time_point;

// The name of the thread that takes in what is recorded.
inline constexpr char kRecorderThread[] = "heard-recorder";

// Mono 16-bit samples heard at the sink, and the steady-clock time of the
// first one (estimated from when the data arrived, to within a few tens of
// milliseconds).
struct Recording : Samples {
    static constexpr int kRate = 48000;
    SteadyTime start;

    double seconds() const { return double(values.size()) / kRate; }
    // Seconds from the first sample to t (negative before the recording).
    double secondsAt(SteadyTime t) const;
};

class PulseServer {
  public:
    PulseServer();
    ~PulseServer();
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    // Starts the server (again, after kill) and returns once it answers and
    // its sink runs. From then on it is this process's sound server and the
    // one of every program started with environment().
    bool start();
    // Ends the server at once, as a crash would; recording stops with it.
    void kill();
    bool isRunning() const;

    // "unix:" and the socket path.
    QString address() const;
    // The system environment with this server as the sound server.
    QProcessEnvironment environment() const;

    // Records the sink's monitor and returns once data flows (the recorder
    // drops what comes before that).
    bool startRecording();
    // What was heard since startRecording; the recording goes on.
    Recording recording() const;
    void stopRecording();

  private:
    void recordLoop();
    bool waitUntilAnswering(int timeoutMs) const;
    bool pactl(const QStringList& args) const;

    QTemporaryDir dir_;
    QByteArray previousServer_;
    bool hadPreviousServer_ = false;
    std::unique_ptr<QProcess> server_;
    std::unique_ptr<QProcess> keepAlive_;

    std::thread recorder_;
    std::atomic<bool> stopRecorder_{false};
    std::atomic<bool> flowing_{false};
    mutable std::mutex mutex_;
    double firstSampleNs_ = 0;  // steady clock, nanoseconds since its epoch
};

}  // namespace zt
