#include "sound_player.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QUrl>

namespace vireta {

SoundPlayer::SoundPlayer(QObject* parent) : QObject(parent) {}

SoundPlayer::~SoundPlayer() = default;

void SoundPlayer::play(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    if (!player_) {
        player_ = new QMediaPlayer(this);
        player_->setObjectName(QStringLiteral("player"));
        output_ = new QAudioOutput(this);
        player_->setAudioOutput(output_);
    }
    player_->stop();
    player_->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    player_->play();
}

QString SoundPlayer::source() const {
    return player_ ? player_->source().toLocalFile() : QString();
}

} // namespace vireta
