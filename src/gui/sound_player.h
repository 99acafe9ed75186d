// Plays one sound file at a time. The media back end is created on the first play,
// so opening the window does not pay for it.
#pragma once

#include <QObject>
#include <QString>

class QAudioOutput;
class QMediaPlayer;

namespace vireta {

class SoundPlayer : public QObject {
    Q_OBJECT

public:
    explicit SoundPlayer(QObject* parent = nullptr);
    ~SoundPlayer() override;

    // Starts playing `path` and returns at once; a sound still playing stops. Every
    // failure (empty path, missing file, no handler, no sound device) is silent.
    void play(const QString& path);

    bool started() const { return player_ != nullptr; }
    QString source() const;

private:
    QMediaPlayer* player_ = nullptr;
    QAudioOutput* output_ = nullptr;
};

} // namespace vireta
