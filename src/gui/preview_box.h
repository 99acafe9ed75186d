// The picture box of the questions page: shows a picture centred, scaled down to
// fit with its proportions kept, never enlarged beyond what the box's growth past its
// design size (kPreviewBoxWidth x kPreviewBoxHeight inside the bevel) gives it.
#pragma once

#include <QFrame>
#include <QImage>

namespace vireta {

class PreviewBox : public QFrame {
    Q_OBJECT

public:
    enum class State { Empty, VideoPlaceholder, InvalidImage, Picture };

    explicit PreviewBox(QWidget* parent = nullptr);

    void clear();
    void showPicture(const QImage& image, State state = State::Picture);

    State state() const { return state_; }
    const QImage& image() const { return image_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
    State state_ = State::Empty;
};

} // namespace vireta
