#include "image_dialog.h"

#include "media/image_decoder.h"
#include "qt_text.h"

#include <QFileInfo>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>

namespace vireta {
namespace {

// The questions page's picture box, so the dialog shows what the page will.
constexpr int kPreviewWidth = kPreviewBoxWidth;
constexpr int kPreviewHeight = kPreviewBoxHeight;

QImage copyToQImage(const Image& picture) {
    const QImage view(picture.pixels.data(), picture.width, picture.height,
                      static_cast<qsizetype>(picture.rowBytes()),
                      picture.channels == 4 ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    return view.copy();
}

// The file list's dates and sizes in Galician: Qt writes them in the system's locale.
class GalicianDates : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files || !index.isValid())
            return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        const QLocale galician(QLocale::Galician, QLocale::Spain);
        switch (index.column()) {
        case 1:
            if (!files->isDir(source))
                return galician.formattedDataSize(files->size(source));
            break;
        case 3: return galician.toString(files->lastModified(source), QLocale::ShortFormat);
        default: break;
        }
        return QIdentityProxyModel::data(index, role);
    }
};

} // namespace

void speakGalician(QFileDialog& dialog) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new GalicianDates(&dialog));
}

QString pictureProblemText(PictureProblem problem) {
    switch (problem) {
    case PictureProblem::None: break;
    case PictureProblem::Missing: return QStringLiteral("Non se atopa o arquivo");
    case PictureProblem::Unreadable: return QStringLiteral("Non é unha imaxe que se poida ler");
    case PictureProblem::Damaged: return QStringLiteral("A imaxe está danada");
    }
    return QString();
}

QImage loadWithQt(const QString& file) {
    const QString suffix = QFileInfo(file).suffix().toLower();
    if (suffix != QLatin1String("bmp") && suffix != QLatin1String("ico"))
        return {};
    QImageReader reader(file, suffix.toLatin1());
    reader.setDecideFormatFromContent(false);
    return reader.read();
}

QImage previewPicture(const QString& path, QSize box, PictureProblem* problem) {
    PictureProblem found = PictureProblem::None;
    QImage picture;
    if (!QFileInfo(path).isFile()) {
        found = PictureProblem::Missing;
    } else if (imageFormatOf(toUtf8(path)) != ImageFormat::Other) {
        try {
            picture = copyToQImage(decodePreview(toUtf8(path), box.width(), box.height()));
        } catch (const std::exception&) {
            found = PictureProblem::Damaged;
        }
    } else {
        picture = loadWithQt(path);
        if (picture.isNull())
            found = PictureProblem::Unreadable;
    }
    if (!picture.isNull() && (picture.width() > box.width() || picture.height() > box.height()))
        picture = picture.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (problem)
        *problem = found;
    return picture;
}

ImageFileDialog::ImageFileDialog(QWidget* parent, const QString& title, const QString& qtFilter)
    : QFileDialog(parent, title, QString(), qtFilter) {
    // Qt's own dialog, the only one that takes a widget beside its list.
    speakGalician(*this);
    setFileMode(QFileDialog::ExistingFile);
    preview_ = new QLabel(this);
    preview_->setObjectName(QStringLiteral("preview"));
    preview_->setAlignment(Qt::AlignCenter);
    preview_->setFixedSize(kPreviewWidth + 8, kPreviewHeight + 8);
    preview_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    preview_->setAccessibleName(QStringLiteral("Vista previa"));
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(preview_, 1, grid->columnCount(), 2, 1, Qt::AlignTop);
    connect(this, &QFileDialog::currentChanged, this, &ImageFileDialog::showPreview);
    resize(sizeHint().expandedTo(QSize(820, 460))); // room for the list beside the preview
}

void ImageFileDialog::showPreview(const QString& path) {
    PictureProblem problem = PictureProblem::None;
    const QImage picture = path.isEmpty() || QFileInfo(path).isDir()
                               ? QImage()
                               : previewPicture(path, QSize(kPreviewWidth, kPreviewHeight), &problem);
    if (picture.isNull()) {
        preview_->setPixmap(QPixmap());
        preview_->setToolTip(pictureProblemText(problem));
    } else {
        preview_->setPixmap(QPixmap::fromImage(picture));
        preview_->setToolTip(QString());
    }
}

} // namespace vireta
