#pragma once
// Media commands on a media player control, addressed by window and control
// name as the logic does. Window thread only: opening is asynchronous.

#include <QObject>
#include <QString>
#include <functional>

namespace rt {

// Closes what the player had open and opens file; done(false) for a missing
// or unplayable file, or when the control is not a loaded media player.
// done runs later, and never once context is gone.
void mediaOpen(const QString& window, const QString& control, const QString& file, QObject* context,
               std::function<void(bool)> done);
// Plays from position (milliseconds) or, with -1, from where it stands.
bool mediaPlay(const QString& window, const QString& control, int position = -1);
// Length of the open medium in whole seconds, truncated; 0 when unknown.
int mediaLength(const QString& window, const QString& control);
// Stops and lets go of the open file, when it is file (the player may have
// moved on to another medium meanwhile).
void mediaCloseIfOpen(const QString& window, const QString& control, const QString& file);

}  // namespace rt
