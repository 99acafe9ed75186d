// "Ver no navegador": the page of the chosen tab written with its media into a private
// temporary folder (removed when the window goes) and opened in the desktop's browser.
// The saved documents, the name the save dialog offers and the output buffer stay as
// they were.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QTemporaryDir;
class QWidget;

namespace vireta {

class Dialogs;
class QuizSession;
struct QuizScreen;

class BrowserPreview : public QObject {
    Q_OBJECT

public:
    // `window` is the parent of the dialogs.
    BrowserPreview(QuizSession& session, QuizScreen& screen, Dialogs& dialogs, QWidget* window);
    ~BrowserPreview() override;

    void btnavegadorClick();
    // The private folder the pages go into; empty before the first.
    QString browserFolder() const;

private:
    QuizSession& session_;
    QuizScreen& screen_;
    Dialogs& dialogs_;
    QWidget* window_;
    std::unique_ptr<QTemporaryDir> browserDir_;
};

} // namespace vireta
