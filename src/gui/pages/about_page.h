// Page 6, what the window shows when it opens, and page 7, never shown, which holds the
// stock pictures of the question preview.
#pragma once

#include <QImage>
#include <QWidget>

class QFrame;
class QLabel;

namespace vireta {

class AboutPage : public QWidget {
    Q_OBJECT

public:
    AboutPage();

private:
    QFrame* Panel18_ = nullptr;
};

class StockPage : public QWidget {
    Q_OBJECT

public:
    StockPage();
    QImage videoPicture() const;   // for a video or Flash file
    QImage invalidPicture() const; // the grey cross

private:
    QLabel* flvimax_ = nullptr;
    QLabel* novale_ = nullptr;
};

} // namespace vireta
