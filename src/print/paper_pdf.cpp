#include "paper_pdf.h"

#include "io/file_read.h"
#include "media/jpeg_orientation.h"

#include <QBuffer>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <QImageReader>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTransform>

#include <algorithm>
#include <functional>
#include <map>
#include <mutex>

namespace vireta {
namespace {

constexpr double kMarginMm = 20;
constexpr double kPictureMaxHeightMm = 60;
constexpr double kPictureNominalDpi = 96; // a picture's natural size: its pixels at 96 dpi
constexpr double kPictureDetailDpi = 300; // pictures are embedded with at most this detail
constexpr int kPdfResolution = 300;

QString qs(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// The EXIF orientation of the JPEG at `path`, from the start of the file.
int orientationOf(const std::string& path) {
    std::string start;
    return io::readFileStart(path, kJpegOrientationBytes, start) ? jpegOrientation(start) : 1;
}

// The stored picture turned as its orientation says (jpegOrientation): mirrored or
// flipped first, then turned a quarter clockwise.
QImage upright(const QImage& stored, int orientation) {
    const QTransform quarter = QTransform().rotate(90);
    switch (orientation) {
    case 2: return stored.mirrored(true, false);
    case 3: return stored.mirrored(true, true);
    case 4: return stored.mirrored(false, true);
    case 5: return stored.mirrored(false, true).transformed(quarter);
    case 6: return stored.transformed(quarter);
    case 7: return stored.mirrored(true, false).transformed(quarter);
    case 8: return stored.transformed(QTransform().rotate(270));
    default: return stored;
    }
}

// A teacher's text as drawn: line breaks of any kind become one.
QString plain(const std::string& s) {
    QString t = qs(s);
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

QString& fontFamily() {
    static QString family;
    return family;
}

QFont paperFont(double points, bool bold) {
    QFont f(fontFamily());
    f.setPointSizeF(points);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(true);
    return f;
}

// A stretch of a page: drawn at its top y, taking `height`.
struct Block {
    double height = 0;
    std::function<void(QPainter&, double y)> paint;
};

// A run of pages numbered together: one version, or the key.
struct Section {
    QString footerName; // "Modelo A", "Solucións", or empty
    std::vector<Block> blocks;
};

struct PlacedBlock {
    const Block* block;
    double y;
};
using Page = std::vector<PlacedBlock>;

// Blocks in order, each on the current page when it fits and else on a new one. A
// block taller than a whole page gets a page of its own (and is cut at its foot).
std::vector<Page> paginate(const Section& section, double contentHeight) {
    std::vector<Page> pages(1);
    double y = 0;
    for (const Block& b : section.blocks) {
        if (!pages.back().empty() && y + b.height > contentHeight) {
            pages.emplace_back();
            y = 0;
        }
        pages.back().push_back({&b, y});
        y += b.height;
    }
    return pages;
}

struct Picture {
    QImage image;
    double widthMm = 0;
    double heightMm = 0;
};

// A question's "picture" may be a video (Flash), which paper cannot show.
bool isVideo(const std::string& path) {
    const QString name = qs(path).toLower();
    return name.endsWith(QLatin1String(".flv")) || name.endsWith(QLatin1String(".swf"));
}

class PaperLayout {
public:
    PaperLayout(QPainter& painter, QPagedPaintDevice& device, const PaperDocument& doc)
        : p_(painter), device_(device), doc_(doc), dpi_(device.logicalDpiY()),
          width_(device.width()), height_(device.height()) {}

    PaperDrawResult draw(PaperPart part) {
        std::vector<Section> sections;
        if (part != PaperPart::Key) {
            for (const PaperVersion& v : doc_.versions)
                sections.push_back(versionSection(v));
        }
        if (part != PaperPart::Test)
            sections.push_back(keySection());

        PaperDrawResult result;
        const double contentHeight = height_ - footerHeight();
        for (const Section& s : sections) {
            const std::vector<Page> pages = paginate(s, contentHeight);
            for (std::size_t i = 0; i < pages.size(); ++i) {
                if (result.pages > 0 && !device_.newPage())
                    throw PaperPrintError("cannot start a new page");
                ++result.pages;
                p_.save();
                p_.setClipRect(QRectF(0, 0, width_, contentHeight));
                for (const PlacedBlock& placed : pages[i])
                    placed.block->paint(p_, placed.y);
                p_.restore();
                paintFooter(s, static_cast<int>(i) + 1, static_cast<int>(pages.size()));
            }
        }
        result.unreadPictures = unread_;
        return result;
    }

private:
    double mm(double v) const { return v * dpi_ / 25.4; }
    double footerHeight() const { return mm(11); }

    double textHeight(const QFont& font, double width, const QString& text) {
        if (text.isEmpty())
            return 0;
        p_.setFont(font);
        return p_.boundingRect(QRectF(0, 0, width, 1e7), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop,
                               text)
            .height();
    }

    static void drawText(QPainter& p, const QFont& font, const QRectF& box, const QString& text,
                         int align = Qt::AlignLeft) {
        p.setFont(font);
        p.drawText(box, Qt::TextWordWrap | Qt::AlignTop | align, text);
    }

    QPen pen(double widthMm, const QColor& colour = Qt::black) const {
        QPen pen(colour);
        pen.setWidthF(mm(widthMm));
        return pen;
    }

    // The picture of a question, read once for all versions; null when there is none
    // or it cannot be read.
    const Picture* picture(const std::string& path, double columnMm) {
        if (path.empty() || isVideo(path))
            return nullptr;
        const auto known = pictures_.find(path);
        if (known != pictures_.end())
            return known->second.image.isNull() ? nullptr : &known->second;
        Picture& pic = pictures_[path];
        QImageReader reader(qs(path));
        // A JPEG is turned as the picture decoder turns it (media/jpeg_orientation.h),
        // not by Qt's own reading of its EXIF segment; other pictures stay as stored.
        reader.setAutoTransform(false);
        const int orientation = reader.format() == "jpeg" ? orientationOf(path) : 1;
        const bool across = orientation >= 5; // stored lying on its side
        QSize native = reader.size();
        if (native.isValid() && across)
            native.transpose();
        if (native.isValid() && native.width() > 0 && native.height() > 0) {
            const double naturalW = native.width() * 25.4 / kPictureNominalDpi;
            const double naturalH = native.height() * 25.4 / kPictureNominalDpi;
            const double scale = std::min({1.0, columnMm / naturalW, kPictureMaxHeightMm / naturalH});
            pic.widthMm = naturalW * scale;
            pic.heightMm = naturalH * scale;
            // Decoded no finer than it is printed.
            const QSize detail(std::max(1, static_cast<int>(pic.widthMm / 25.4 * kPictureDetailDpi)),
                               std::max(1, static_cast<int>(pic.heightMm / 25.4 * kPictureDetailDpi)));
            if (detail.width() < native.width())
                reader.setScaledSize(across ? detail.transposed() : detail);
            const QImage stored = reader.read();
            pic.image = stored.isNull() ? stored : upright(stored, orientation);
        }
        if (pic.image.isNull()) {
            unread_.push_back(path);
            return nullptr;
        }
        return &pic;
    }

    Block headBlock(const PaperVersion& v) {
        const QFont titleFont = paperFont(16, true);
        const QFont subtitleFont = paperFont(12, false);
        const QFont versionFont = paperFont(12, true);
        const QFont fieldFont = paperFont(11, false);
        const QFont noteFont = paperFont(10, false);
        const QString title = plain(doc_.title);
        const QString subtitle = plain(doc_.subtitle);
        const QString version = qs(v.name);
        const QString notes = plain(doc_.instructions);
        const double w = width_;

        const double titleH = textHeight(titleFont, w, title);
        const double subtitleH = textHeight(subtitleFont, w, subtitle);
        const double versionH = textHeight(versionFont, w, version);
        const double fieldRow = QFontMetricsF(fieldFont, &device_).height() + mm(5);
        const double notesH = textHeight(noteFont, w, notes);
        const double gap = mm(2);

        Block b;
        b.height = titleH + (subtitleH > 0 ? gap + subtitleH : 0) + (versionH > 0 ? gap + versionH : 0) +
                   mm(5) + 2 * fieldRow + (notesH > 0 ? gap + notesH : 0) + mm(4) + mm(6);
        b.paint = [=](QPainter& p, double y) {
            drawText(p, titleFont, QRectF(0, y, w, titleH), title);
            y += titleH;
            if (subtitleH > 0) {
                drawText(p, subtitleFont, QRectF(0, y + gap, w, subtitleH), subtitle);
                y += gap + subtitleH;
            }
            if (versionH > 0) {
                drawText(p, versionFont, QRectF(0, y + gap, w, versionH), version);
                y += gap + versionH;
            }
            y += mm(5);
            // The lines to fill in: Nome on the first, Curso and Data on the second.
            auto field = [&](const QString& label, double x, double right, double top) {
                p.setFont(fieldFont);
                const QFontMetricsF fm(fieldFont, p.device());
                const double base = top + fm.ascent();
                p.drawText(QPointF(x, base), label);
                p.setPen(pen(0.25));
                const double lineX = x + fm.horizontalAdvance(label) + mm(2);
                p.drawLine(QPointF(lineX, base + mm(0.8)), QPointF(right, base + mm(0.8)));
                p.setPen(Qt::black);
            };
            field(qs(kPaperName), 0, w, y);
            y += fieldRow;
            field(qs(kPaperClass), 0, w * 0.6 - mm(6), y);
            field(qs(kPaperDate), w * 0.6, w, y);
            y += fieldRow;
            if (notesH > 0) {
                drawText(p, noteFont, QRectF(0, y + gap, w, notesH), notes);
                y += gap + notesH;
            }
            y += mm(4);
            p.setPen(pen(0.35, QColor(110, 110, 110)));
            p.drawLine(QPointF(0, y), QPointF(w, y));
            p.setPen(Qt::black);
        };
        return b;
    }

    Block questionBlock(const PaperQuestion& pq) {
        const Question& q = doc_.questions->record(pq.record);
        const QFont numberFont = paperFont(11, true);
        const QFont statementFont = paperFont(11, false);
        const QFont answerFont = paperFont(11, false);
        const double indent = mm(8);
        const double column = width_ - indent;
        const double box = mm(3.5);
        const double labelW = mm(6);
        const double answerX = indent + box + mm(2) + labelW;
        const double answerW = width_ - answerX;
        const double gap = mm(2);

        const QString number = QString::number(pq.number) + QLatin1Char('.');
        const QString statement = plain(q[FieldSlot::enunciado]);
        const double statementH = textHeight(statementFont, column, statement);
        const Picture* pic = picture(q[FieldSlot::imaxe], column * 25.4 / dpi_);
        const double picW = pic ? mm(pic->widthMm) : 0;
        const double picH = pic ? mm(pic->heightMm) : 0;
        const double lineH = QFontMetricsF(answerFont, &device_).height();

        struct Answer {
            QString label;
            QString text;
            double height;
        };
        std::vector<Answer> answers;
        for (std::size_t i = 0; i < pq.answers.size(); ++i) {
            const QString text = plain(q[answerSlot(pq.answers[i])]);
            answers.push_back({qs(answerLabel(static_cast<int>(i))), text,
                               std::max(lineH, textHeight(answerFont, answerW, text))});
        }

        Block b;
        b.height = statementH + (pic ? gap + picH : 0) + gap;
        for (const Answer& a : answers)
            b.height += a.height + mm(1.5);
        b.height += mm(5);
        b.paint = [=](QPainter& p, double y) {
            drawText(p, numberFont, QRectF(0, y, indent, statementH), number);
            drawText(p, statementFont, QRectF(indent, y, column, statementH), statement);
            y += statementH;
            if (pic) {
                p.drawImage(QRectF(indent, y + gap, picW, picH), pic->image);
                y += gap + picH;
            }
            y += gap;
            const QFontMetricsF fm(answerFont, p.device());
            for (const Answer& a : answers) {
                // The box to tick sits on the first line, centred on its letters.
                const double boxTop = y + (fm.ascent() - box) / 2 + mm(0.3);
                p.setPen(pen(0.3));
                p.setBrush(Qt::NoBrush);
                p.drawRect(QRectF(indent, boxTop, box, box));
                p.setPen(Qt::black);
                drawText(p, answerFont, QRectF(indent + box + mm(2), y, labelW, lineH), a.label);
                drawText(p, answerFont, QRectF(answerX, y, answerW, a.height), a.text);
                y += a.height + mm(1.5);
            }
        };
        return b;
    }

    Section versionSection(const PaperVersion& v) {
        Section s;
        s.footerName = qs(v.name);
        s.blocks.push_back(headBlock(v));
        for (const PaperQuestion& q : v.questions)
            s.blocks.push_back(questionBlock(q));
        return s;
    }

    // "Solucións", then per version its name and the question numbers with their
    // letters, row by row.
    Section keySection() {
        Section s;
        s.footerName = qs(kPaperKeyTitle);
        const QFont titleFont = paperFont(16, true);
        const QFont versionFont = paperFont(12, true);
        const QFont entryFont = paperFont(11, false);
        const QFont letterFont = paperFont(11, true);
        const QString title = qs(kPaperKeyTitle);
        const double titleH = textHeight(titleFont, width_, title) + mm(6);
        const double cell = mm(24);
        const int columns = std::max(1, static_cast<int>(width_ / cell));
        const double rowH = QFontMetricsF(entryFont, &device_).height() + mm(2.5);
        const double numberW = mm(10);

        auto titleBlock = [=](QPainter& p, double y) {
            drawText(p, titleFont, QRectF(0, y, width_, titleH), title);
        };
        bool first = true;
        for (const PaperVersion& v : doc_.versions) {
            const QString name = qs(v.name);
            const double nameH = name.isEmpty() ? 0 : textHeight(versionFont, width_, name) + mm(2);
            const std::size_t n = v.questions.size();
            std::vector<std::pair<QString, QString>> entries;
            for (const PaperQuestion& q : v.questions)
                entries.emplace_back(QString::number(q.number) + QLatin1Char('.'), qs(keyLetter(q)));
            const std::size_t rows = std::max<std::size_t>(1, (n + columns - 1) / columns);
            for (std::size_t r = 0; r < rows; ++r) {
                // The key's title and the version's name stay with the first row.
                const double above = (first ? titleH : 0) + (r == 0 ? nameH : 0);
                const bool last = r + 1 == rows;
                Block b;
                b.height = above + rowH + (last ? mm(6) : 0);
                const std::size_t from = r * static_cast<std::size_t>(columns);
                const std::size_t to = std::min(n, from + static_cast<std::size_t>(columns));
                const bool withTitle = first;
                const bool withName = r == 0;
                b.paint = [=](QPainter& p, double y) {
                    if (withTitle) {
                        titleBlock(p, y);
                        y += titleH;
                    }
                    if (withName && nameH > 0) {
                        drawText(p, versionFont, QRectF(0, y, width_, nameH), name);
                        y += nameH;
                    }
                    for (std::size_t i = from; i < to; ++i) {
                        const double x = static_cast<double>(i - from) * cell;
                        drawText(p, entryFont, QRectF(x, y, numberW, rowH), entries[i].first,
                                 Qt::AlignRight);
                        drawText(p, letterFont, QRectF(x + numberW + mm(2), y, cell - numberW, rowH),
                                 entries[i].second);
                    }
                };
                s.blocks.push_back(std::move(b));
                first = false;
            }
        }
        return s;
    }

    void paintFooter(const Section& s, int page, int pages) {
        const QFont font = paperFont(9, false);
        const double top = height_ - footerHeight() + mm(4);
        p_.setPen(pen(0.25, QColor(110, 110, 110)));
        p_.drawLine(QPointF(0, top), QPointF(width_, top));
        p_.setPen(Qt::black);
        p_.setFont(font);
        const QFontMetricsF fm(font, &device_);
        const double rowTop = top + mm(1.5);
        const double rowH = fm.height();
        const QString pageText = qs(pageNumberText(page, pages));
        const double pageW = fm.horizontalAdvance(pageText);
        const double nameW = fm.horizontalAdvance(s.footerName);
        // The title takes what the version's name (centred) and the page number leave.
        const double titleRoom = s.footerName.isEmpty() ? width_ - pageW - mm(6)
                                                        : (width_ - nameW) / 2 - mm(4);
        const QString title = plain(doc_.title).replace(QLatin1Char('\n'), QLatin1Char(' '));
        p_.drawText(QRectF(0, rowTop, titleRoom, rowH), Qt::AlignLeft,
                    fm.elidedText(title, Qt::ElideRight, titleRoom));
        p_.drawText(QRectF(0, rowTop, width_, rowH), Qt::AlignHCenter, s.footerName);
        p_.drawText(QRectF(0, rowTop, width_, rowH), Qt::AlignRight, pageText);
    }

    QPainter& p_;
    QPagedPaintDevice& device_;
    const PaperDocument& doc_;
    double dpi_;
    double width_;
    double height_;
    std::map<std::string, Picture> pictures_;
    std::vector<std::string> unread_;
};

} // namespace

PaperDocument makePaperDocument(const GeneralData& general, const QuestionTable& questions,
                                int count, const ExportSettings& settings,
                                ShuffleGenerator& generator) {
    PaperDocument doc;
    doc.title = general.title;
    doc.subtitle = general.subtitle;
    doc.instructions = settings.text;
    doc.questions = &questions;
    doc.versions = planPaperTest(questions, count, general.inOrder, settings.paper, generator);
    return doc;
}

void loadPaperFonts() {
    static std::once_flag once;
    static std::string failure;
    std::call_once(once, [] {
        const QString dir = QStringLiteral(VIRETA_DEJAVU_DIR);
        for (const char* file : {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf"}) {
            const QString path = dir + QLatin1Char('/') + QLatin1String(file);
            const int id = QFontDatabase::addApplicationFont(path);
            const QStringList families = QFontDatabase::applicationFontFamilies(id);
            if (id < 0 || families.isEmpty()) {
                failure = "cannot load the font " + path.toStdString();
                return;
            }
            fontFamily() = families.front();
        }
    });
    if (!failure.empty())
        throw PaperPrintError(failure);
}

void setPaperLayout(QPagedPaintDevice& device, bool letter) {
    const QPageLayout layout(QPageSize(letter ? QPageSize::Letter : QPageSize::A4),
                             QPageLayout::Portrait,
                             QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                             QPageLayout::Millimeter);
    device.setPageLayout(layout);
}

PaperDrawResult drawPaperTest(QPagedPaintDevice& device, const PaperDocument& doc, PaperPart part) {
    loadPaperFonts();
    QPainter painter;
    if (!painter.begin(&device))
        throw PaperPrintError("cannot draw on the pages");
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    PaperLayout layout(painter, device, doc);
    PaperDrawResult result = layout.draw(part);
    painter.end();
    return result;
}

std::string paperTestPdf(const PaperDocument& doc, PaperPart part, bool letter,
                         PaperDrawResult* result) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(kPdfResolution);
        writer.setCreator(QStringLiteral("Vireta"));
        writer.setTitle(qs(doc.title));
        setPaperLayout(writer, letter);
        PaperDrawResult r = drawPaperTest(writer, doc, part);
        if (result)
            *result = std::move(r);
    }
    const QByteArray& bytes = buffer.data();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

PaperFiles paperTestFiles(const PaperDocument& doc, const PaperSettings& settings) {
    PaperFiles files;
    PaperDrawResult drawn;
    files.test = paperTestPdf(doc, settings.keyApart ? PaperPart::Test : PaperPart::Whole,
                              settings.letter, &drawn);
    files.unreadPictures = std::move(drawn.unreadPictures);
    if (settings.keyApart)
        files.key = paperTestPdf(doc, PaperPart::Key, settings.letter);
    return files;
}

} // namespace vireta
