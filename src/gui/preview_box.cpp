#include "preview_box.h"

#include <QPainter>

namespace vireta {

PreviewBox::PreviewBox(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
}

void PreviewBox::clear() {
    image_ = QImage();
    state_ = State::Empty;
    update();
}

void PreviewBox::showPicture(const QImage& image, State state) {
    image_ = image;
    state_ = image.isNull() ? State::Empty : state;
    update();
}

void PreviewBox::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (image_.isNull())
        return;
    const QRect area = contentsRect();
    QSize size = image_.size();
    if (size.width() > area.width() || size.height() > area.height())
        size.scale(area.size(), Qt::KeepAspectRatio);
    const QRect target(area.x() + (area.width() - size.width()) / 2,
                       area.y() + (area.height() - size.height()) / 2, size.width(),
                       size.height());
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, image_);
}

} // namespace vireta
