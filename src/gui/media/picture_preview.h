// The question's picture on the questions page: decoded once per file version by the
// preview cache (ahead, on its thread, for the neighbouring questions), a stock picture
// for a video, a grey cross with the reason as its tooltip when it cannot be shown.
#pragma once

#include "model/quiz.h"

#include <QObject>
#include <QString>

#include <memory>
#include <string>

class QLineEdit;
class QWidget;

namespace vireta {

class Dialogs;
class PreviewBox;
class PreviewCache;
class QuestionsPage;
class QuizSession;
class StockPage;

class PicturePreview : public QObject {
    Q_OBJECT

public:
    // `window` is the parent of the dialogs.
    // The picture dialog starts where the quiz dialogs start, then in the folder it
    // was last used in.
    PicturePreview(QuestionsPage& page, const StockPage& stock, const QuizSession& session,
                   Dialogs& dialogs, QWidget* window);
    ~PicturePreview() override;

    // Shows the picture at the path in the box; a grey cross, whose tooltip says why,
    // when it cannot be shown.
    void ponimaxe(PreviewBox* box, QLineEdit* path);
    // Picks a picture into the path box.
    void abreimaxe(QLineEdit* path);

    // The current question's picture. After deferNextPicture() (an open shows the
    // general page first and does not wait), a picture that is not cached yet is
    // decoded in the background and shown when ready, or when the questions page is
    // shown, whichever comes first.
    void showQuestionPicture();
    void deferNextPicture() { deferNext_ = true; }
    void questionsPageShown();
    // The pictures of the questions around the current one, decoded ahead (a picture
    // waited for goes first), so that stepping through camera photos stays instant.
    void prefetchNeighbours(const QuizModel& model);

private:
    void previewReady(const std::string& path);

    QuestionsPage& page_;
    const StockPage& stock_;
    const QuizSession& session_;
    Dialogs& dialogs_;
    QWidget* window_;
    std::unique_ptr<PreviewCache> previews_;
    bool deferNext_ = false;      // the next picture shown waits for no decode
    bool picturePending_ = false; // the picture box waits for a background decode
    QString folder_;              // where the picture dialog was last used
};

} // namespace vireta
