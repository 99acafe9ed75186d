// The sound boxes' open and play buttons. A sound that cannot be played says so in its
// play button's tooltip and in a note on the green strip for a few seconds.
#pragma once

#include "pages/page_parts.h"

#include <QObject>
#include <QString>

#include <vector>

class QLineEdit;
class QToolButton;
class QWidget;

namespace vireta {

class Dialogs;
class QuizSession;
class SectionStrip;
class SoundPlayer;

class SoundActions : public QObject {
    Q_OBJECT

public:
    // `window` is the parent of the dialogs.
    // The sound dialog starts where the quiz dialogs start, then in the folder it was
    // last used in.
    SoundActions(SectionStrip& strip, const QuizSession& session, Dialogs& dialogs, QWidget* window);

    // Gives the open and play buttons of these boxes their work.
    void attach(const std::vector<PathBox>& boxes);

    void abreson(QLineEdit* path); // picks a sound into the path box
    // Plays a sound; a failure is told in `button`'s tooltip, when given, and on the strip.
    void sona(const QString& path, QToolButton* button = nullptr);
    const SoundPlayer& soundPlayer() const { return *player_; }

private:
    void failed(const QString& text);

    SectionStrip& strip_;
    const QuizSession& session_;
    Dialogs& dialogs_;
    QWidget* window_;
    SoundPlayer* player_ = nullptr;
    QToolButton* soundButton_ = nullptr; // the play button of the last sound asked for
    QString folder_;                     // where the sound dialog was last used
};

} // namespace vireta
