#pragma once
// Placeholder until media playback lands: the non-visual media player kind.
#include <QObject>
#include <QString>

namespace rt {
class MediaPlayerControl : public QObject {
    Q_OBJECT
public:
    explicit MediaPlayerControl(QObject* parent = nullptr) : QObject(parent) {}
};
}  // namespace rt
