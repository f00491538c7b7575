#pragma once
// Media commands on a media player control, addressed by window and control
// name as the logic does, or on the control itself. Callable from any
// thread: the work is carried out on the control's own thread.

#include <QString>

namespace rt {

class MediaPlayerControl;

// Closes what the player had open and opens file; false for a missing or
// unplayable file, or when the control is not a loaded media player.
bool mediaOpen(const QString& window, const QString& control, const QString& file);
// Plays from position (milliseconds) or, with -1, from where it stands.
bool mediaPlay(const QString& window, const QString& control, int position = -1);
// Length of the open medium in whole seconds, truncated; 0 when unknown.
int mediaLength(const QString& window, const QString& control);

bool mediaOpen(MediaPlayerControl& player, const QString& file);
bool mediaPlay(MediaPlayerControl& player, int position = -1);
int mediaLength(MediaPlayerControl& player);

}  // namespace rt
