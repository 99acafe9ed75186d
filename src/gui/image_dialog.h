// The file dialogs: Qt's own, in Galician throughout, and the open-picture dialog with
// the selected picture shown beside the file list, decoded as the questions page's
// preview decodes it.
#pragma once

#include <QFileDialog>
#include <QImage>
#include <QString>

class QLabel;

namespace vireta {

// Why a picture file cannot be shown; the grey cross's tooltip.
enum class PictureProblem { None, Missing, Unreadable, Damaged };
QString pictureProblemText(PictureProblem problem);

// A BMP or ICO file through Qt's reader (the core decodes JPEG and PNG); a null
// image for anything else or a file Qt cannot read.
QImage loadWithQt(const QString& file);

// The picture at `path` reduced to fit a box of `box` (never enlarged): JPEG and PNG
// through the core's decoder, BMP and ICO through Qt. A null image, with `problem`
// set, when it cannot be shown.
QImage previewPicture(const QString& path, QSize box, PictureProblem* problem = nullptr);

// Makes `dialog` Qt's own file dialog (the one whose every word the program's
// translations reach), with its dates and sizes written the Galician way.
void speakGalician(QFileDialog& dialog);

class ImageFileDialog : public QFileDialog {
    Q_OBJECT

public:
    ImageFileDialog(QWidget* parent, const QString& title, const QString& qtFilter);

    // Shows `path` beside the list (what selecting a file in the list does); an empty
    // path, a folder or a file that is no picture leaves the preview blank.
    void showPreview(const QString& path);
    const QLabel* preview() const { return preview_; }

private:
    QLabel* preview_ = nullptr;
};

} // namespace vireta
