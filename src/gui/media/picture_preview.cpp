#include "media/picture_preview.h"

#include "dialogs.h"
#include "image_dialog.h"
#include "media/image_decoder.h"
#include "media/preview_cache.h"
#include "pages/about_page.h"
#include "pages/questions_page.h"
#include "preview_box.h"
#include "qt_text.h"
#include "quiz_session.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QToolButton>

#include <vector>

namespace vireta {
namespace {

// A preview from the cache as a QImage that shares its pixels; the QImage keeps
// them alive after the cache lets go of them.
QImage toQImage(const std::shared_ptr<const Image>& picture) {
    auto* keep = new std::shared_ptr<const Image>(picture);
    return QImage(
        picture->pixels.data(), picture->width, picture->height,
        static_cast<qsizetype>(picture->rowBytes()),
        picture->channels == 4 ? QImage::Format_RGBA8888 : QImage::Format_RGB888,
        [](void* held) { delete static_cast<std::shared_ptr<const Image>*>(held); }, keep);
}

} // namespace

PicturePreview::PicturePreview(QuestionsPage& page, const StockPage& stock, const QuizSession& session,
                               Dialogs& dialogs, QWidget* window)
    : page_(page), stock_(stock), session_(session), dialogs_(dialogs), window_(window),
      // Decoded for a box twice the design size: the box grows with the window, and a
      // preview is only ever drawn smaller than decoded up to there.
      previews_(std::make_unique<PreviewCache>(2 * kPreviewBoxWidth, 2 * kPreviewBoxHeight, decodePreview,
                                               PreviewCache::Limits{})) {
    // A preview decoded in the background is shown on the interface thread.
    previews_->setReadyHandler([this](const std::string& path) {
        QMetaObject::invokeMethod(
            this, [this, path] { previewReady(path); }, Qt::QueuedConnection);
    });
    QLineEdit* path = page_.pictureBoxes().box;
    connect(page_.pictureBoxes().open, &QToolButton::clicked, this, [this, path] {
        abreimaxe(path);
        ponimaxe(page_.pictureBox(), path);
    });
    connect(page_.button(QuestionsPage::Button::RefreshPicture), &QToolButton::clicked, this,
            [this, path] { ponimaxe(page_.pictureBox(), path); });
    connect(path, &QLineEdit::returnPressed, this, [this, path] { ponimaxe(page_.pictureBox(), path); });
}

PicturePreview::~PicturePreview() { previews_->setReadyHandler(nullptr); }

void PicturePreview::showQuestionPicture() {
    QLineEdit* path = page_.pictureBoxes().box;
    const std::string file = toUtf8(path->text());
    const bool defer = deferNext_;
    deferNext_ = false;
    if (!defer || imageFormatOf(file) == ImageFormat::Other || previews_->cached(file)) {
        ponimaxe(page_.pictureBox(), path); // nothing to decode, or decoded already
        return;
    }
    page_.pictureBox()->clear();
    picturePending_ = true;
}

void PicturePreview::questionsPageShown() {
    if (picturePending_)
        ponimaxe(page_.pictureBox(), page_.pictureBoxes().box); // waits for the decode under way
}

void PicturePreview::prefetchNeighbours(const QuizModel& model) {
    std::vector<std::string> ahead;
    if (picturePending_)
        ahead.push_back(toUtf8(page_.pictureBoxes().box->text()));
    for (int k : {model.current + 1, model.current - 1}) {
        if (k >= 1 && k <= model.count && !model.questions.record(k)[FieldSlot::imaxe].empty())
            ahead.push_back(model.questions.record(k)[FieldSlot::imaxe]);
    }
    previews_->prefetch(ahead);
}

void PicturePreview::previewReady(const std::string& path) {
    if (picturePending_ && toUtf8(page_.pictureBoxes().box->text()) == path)
        ponimaxe(page_.pictureBox(), page_.pictureBoxes().box);
}

void PicturePreview::ponimaxe(PreviewBox* box, QLineEdit* path) {
    if (box == page_.pictureBox())
        picturePending_ = false;
    const QString file = path->text();
    box->setToolTip(QString());
    if (file.isEmpty()) {
        box->clear();
        return;
    }
    if (file.endsWith(QLatin1String("flv")) || file.endsWith(QLatin1String("FLV")) ||
        file.endsWith(QLatin1String("swf")) || file.endsWith(QLatin1String("SWF"))) {
        box->showPicture(stock_.videoPicture(), PreviewBox::State::VideoPlaceholder);
        return;
    }
    QImage picture;
    const PreviewResult preview = previews_->get(toUtf8(file));
    switch (preview.status) {
    case PreviewResult::Status::Picture: picture = toQImage(preview.image); break;
    case PreviewResult::Status::Failed: break;
    case PreviewResult::Status::NotMine: picture = loadWithQt(file); break;
    }
    if (picture.isNull()) {
        box->showPicture(stock_.invalidPicture(), PreviewBox::State::InvalidImage);
        const bool missing = !QFileInfo(file).isFile();
        box->setToolTip(pictureProblemText(
            missing ? PictureProblem::Missing
                    : preview.status == PreviewResult::Status::Failed ? PictureProblem::Damaged
                                                                      : PictureProblem::Unreadable));
    } else
        box->showPicture(picture);
}

void PicturePreview::abreimaxe(QLineEdit* path) {
    const auto chosen = dialogs_.openImage(
        window_, QString::fromUtf8(kOpenFileTitle),
        QStringLiteral("Imaxes *.jpeg,*.png|*.jpg;*.JPG;*.jpeg;*.JPEG;*.png;*.PNG|*.*|*.*"),
        folder_.isEmpty() ? session_.dialogFolder() : folder_);
    if (!chosen)
        return;
    folder_ = QFileInfo(*chosen).absolutePath();
    path->setText(*chosen);
}

} // namespace vireta
