#pragma once
// Runtime-internal: making and letting go of the media backend's players,
// shared by the media player control and the sound service.
//
// Qt 6.4's backend connects a new medium's audio output from one of its own
// threads once the first data is decoded. A stop, seek, new source or delete
// from this thread while that happens deadlocks both threads. So a player
// reads its medium through a device, which the backend can only be fed from
// this thread's event loop (nothing is decoded before the call that set the
// source has returned), and it is only stopped or deleted once its output
// is connected or it has failed.

class QIODevice;
class QMediaPlayer;
class QObject;
class QUrl;

namespace rt::detail {

// A player with an audio output of its own.
QMediaPlayer* makeMediaPlayer(QObject* parent);
// Plays device (the player takes it over); hint's name tells the format.
void setMediaDevice(QMediaPlayer* player, QIODevice* device, const QUrl& hint);
// Its output is connected, or it has failed: safe to stop or delete.
bool mediaPlayerSettled(const QMediaPlayer* player);
// Players that exist now, the ones being let go of included (tests let the
// backend quiet down before they end).
int mediaPlayersAlive();
// Lets go of a player and its medium: at once when that is safe, otherwise
// as soon as it is. Nothing of it reaches its former owner afterwards.
void disposeMediaPlayer(QMediaPlayer* player);

}  // namespace rt::detail
