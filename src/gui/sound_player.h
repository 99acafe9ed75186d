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

    // Starts playing `path` and returns at once; a sound still playing stops. An empty
    // path plays nothing; any other failure (a missing file, a format with no handler,
    // a file the player cannot read) is told by failed(), at once or once the player finds it.
    void play(const QString& path);

    bool started() const { return player_ != nullptr; }
    QString source() const;

signals:
    // "Non se pode reproducir o son: NAME (why)", ready to be shown.
    void failed(const QString& text);

private:
    void fail(const QString& path, const QString& why);

    QMediaPlayer* player_ = nullptr;
    QAudioOutput* output_ = nullptr;
};

} // namespace vireta
