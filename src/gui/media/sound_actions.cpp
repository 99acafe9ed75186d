#include "media/sound_actions.h"

#include "dialogs.h"
#include "pages/top_bar.h"
#include "quiz_session.h"
#include "sound_player.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QToolButton>

namespace vireta {

SoundActions::SoundActions(SectionStrip& strip, const QuizSession& session, Dialogs& dialogs,
                           QWidget* window)
    : strip_(strip), session_(session), dialogs_(dialogs), window_(window), player_(new SoundPlayer(this)) {
    connect(player_, &SoundPlayer::failed, this, &SoundActions::failed);
}

void SoundActions::attach(const std::vector<PathBox>& boxes) {
    for (const PathBox& p : boxes) {
        QLineEdit* box = p.box;
        QToolButton* play = p.play;
        connect(p.open, &QToolButton::clicked, this, [this, box] { abreson(box); });
        connect(play, &QToolButton::clicked, this, [this, box, play] { sona(box->text(), play); });
    }
}

void SoundActions::abreson(QLineEdit* path) {
    const auto chosen = dialogs_.openFile(window_, QString::fromUtf8(kOpenFileTitle),
                                          QStringLiteral("Sons mp3|*.mp3;*.MP3|*.*|*.*"),
                                          folder_.isEmpty() ? session_.dialogFolder() : folder_);
    if (!chosen)
        return;
    folder_ = QFileInfo(*chosen).absolutePath();
    path->setText(*chosen);
}

void SoundActions::sona(const QString& path, QToolButton* button) {
    if (button) {
        // The button's own tooltip comes back once a sound plays.
        if (!button->property("tip").isValid())
            button->setProperty("tip", button->toolTip());
        button->setToolTip(button->property("tip").toString());
    }
    soundButton_ = button;
    player_->play(path);
}

void SoundActions::failed(const QString& text) {
    if (soundButton_)
        soundButton_->setToolTip(soundButton_->property("tip").toString() + QLatin1Char('\n') + text);
    strip_.showNote(text);
}

} // namespace vireta
