#include "sound_player.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QUrl>

namespace vireta {

SoundPlayer::SoundPlayer(QObject* parent) : QObject(parent) {}

SoundPlayer::~SoundPlayer() = default;

void SoundPlayer::fail(const QString& path, const QString& why) {
    emit failed(QStringLiteral("Non se pode reproducir o son: %1 (%2)")
                    .arg(QFileInfo(path).fileName(), why));
}

void SoundPlayer::play(const QString& path) {
    if (path.isEmpty())
        return;
    if (!QFileInfo(path).isFile()) {
        fail(path, QStringLiteral("non se atopa o arquivo"));
        return;
    }
    if (!player_) {
        player_ = new QMediaPlayer(this);
        player_->setObjectName(QStringLiteral("player"));
        output_ = new QAudioOutput(this);
        player_->setAudioOutput(output_);
        connect(player_, &QMediaPlayer::errorOccurred, this,
                [this](QMediaPlayer::Error error, const QString&) {
                    fail(player_->source().toLocalFile(),
                         error == QMediaPlayer::FormatError
                             ? QStringLiteral("o formato non se pode reproducir")
                             : QStringLiteral("non se pode ler o arquivo"));
                });
    }
    player_->stop();
    player_->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    player_->play();
}

QString SoundPlayer::source() const {
    return player_ ? player_->source().toLocalFile() : QString();
}

} // namespace vireta
