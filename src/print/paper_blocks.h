// The paper test cut into blocks and measured with a device's fonts: the head of a
// version, each question, each row of the key. paper_pdf.cpp lays them on pages and
// draws them; nothing here draws until a block's paint is called.
#pragma once

#include "paper_pdf.h"

#include <QImage>
#include <QString>

#include <functional>
#include <map>
#include <string>
#include <vector>

class QFont;
class QPagedPaintDevice;
class QPainter;

namespace vireta::paper {

QString qs(const std::string& s);
// A teacher's text as drawn: line breaks of any kind become one.
QString plain(const std::string& s);
QFont paperFont(double points, bool bold);
// The family of the fonts loadPaperFonts() loaded.
QString& fontFamily();

// A stretch of a page: drawn at its top y, taking `size.height`, and keeping
// `size.spaceAfter` free below it when another block follows on the same page.
struct Block {
    PaperBlockKind kind = PaperBlockKind::Question;
    int question = 0; // the printed number of a question, 0 for the other blocks
    PaperBlock size;
    std::function<void(QPainter&, double y)> paint;
};

// A run of pages numbered together: one version, or the key.
struct Section {
    QString footerName; // "Modelo A", "Solucións", or empty
    std::vector<Block> blocks;
};

// The blocks of a document's part, measured for `device` (its page layout set). The
// paints refer to the pictures this object holds: it outlives their drawing.
class PaperBlocks {
public:
    PaperBlocks(const QPagedPaintDevice& device, const PaperDocument& doc, PaperPart part);
    PaperBlocks(const PaperBlocks&) = delete;
    PaperBlocks& operator=(const PaperBlocks&) = delete;

    const std::vector<Section>& sections() const { return sections_; }
    // Pictures that could not be read, once each, in the order met.
    const std::vector<std::string>& unreadPictures() const { return unread_; }

    double mm(double v) const { return v * dpi_ / 25.4; }
    double width() const { return width_; }
    double height() const { return height_; }

private:
    struct Picture {
        QImage image;
        double widthMm = 0;
        double heightMm = 0;
    };

    double textHeight(const QFont& font, double width, const QString& text) const;
    const Picture* picture(const std::string& path, double columnMm);
    Block headBlock(const PaperVersion& v);
    Block questionBlock(const PaperQuestion& pq);
    Section versionSection(const PaperVersion& v);
    Section keySection();

    const QPagedPaintDevice& device_;
    const PaperDocument& doc_;
    double dpi_;
    double width_;
    double height_;
    std::map<std::string, Picture> pictures_;
    std::vector<std::string> unread_;
    std::vector<Section> sections_;
};

} // namespace vireta::paper
