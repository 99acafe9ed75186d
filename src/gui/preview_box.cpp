#include "preview_box.h"

#include "media/image_decoder.h"

#include <QPainter>

#include <algorithm>

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
    // The picture keeps the share of the box it has at the box's design size: a box
    // grown with the window shows it grown as much.
    const QRect area = contentsRect();
    const qreal growth = std::max(1.0, std::min(qreal(area.width()) / kPreviewBoxWidth,
                                                qreal(area.height()) / kPreviewBoxHeight));
    QSize size = (QSizeF(image_.size()) * growth).toSize();
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
