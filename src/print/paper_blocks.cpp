#include "paper_blocks.h"

#include "io/file_read.h"
#include "media/jpeg_orientation.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImageReader>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTransform>

#include <algorithm>

namespace vireta::paper {
namespace {

constexpr double kPictureMaxHeightMm = 60;
constexpr double kPictureNominalDpi = 96; // a picture's natural size: its pixels at 96 dpi
constexpr double kPictureDetailDpi = 300; // pictures are embedded with at most this detail
constexpr double kPictureGapMm = 6;       // between the answers and a picture beside them
constexpr double kMarkBoxWidthMm = 36;   // the box for the mark, at the head's top right
constexpr double kMarkBoxHeightMm = 18;
constexpr double kBesideMinMm = 40;       // the least room the answers keep beside a picture
constexpr double kWriteLineMm = 10;       // a short answer's line, below the statement
constexpr double kKeyCellMm = 24;         // the least width of a number and its letters in the key
// How much of the space after a version's head or a question may go at a page's foot
// when that keeps the next question on the page.
constexpr double kShrinkMm = 4;

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

// A question's "picture" may be a video (Flash), which paper cannot show.
bool isVideo(const std::string& path) {
    const QString name = qs(path).toLower();
    return name.endsWith(QLatin1String(".flv")) || name.endsWith(QLatin1String(".swf"));
}

void drawText(QPainter& p, const QFont& font, const QRectF& box, const QString& text,
              int align = Qt::AlignLeft) {
    p.setFont(font);
    p.drawText(box, Qt::TextWordWrap | Qt::AlignTop | align, text);
}

QPen pen(const PaperBlocks& b, double widthMm, const QColor& colour = Qt::black) {
    QPen pen(colour);
    pen.setWidthF(b.mm(widthMm));
    return pen;
}

} // namespace

QString qs(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

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

PaperBlocks::PaperBlocks(const QPagedPaintDevice& device, const PaperDocument& doc, PaperPart part)
    : device_(device), doc_(doc), dpi_(device.logicalDpiY()), width_(device.width()),
      height_(device.height()) {
    if (part != PaperPart::Key) {
        for (const PaperVersion& v : doc_.versions)
            sections_.push_back(versionSection(v));
    }
    if (part != PaperPart::Test)
        sections_.push_back(keySection());
}

double PaperBlocks::textHeight(const QFont& font, double width, const QString& text) const {
    if (text.isEmpty())
        return 0;
    return QFontMetricsF(font, &device_)
        .boundingRect(QRectF(0, 0, width, 1e7), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text)
        .height();
}

// The picture of a question, read once for all versions; null when there is none or
// it cannot be read.
const PaperBlocks::Picture* PaperBlocks::picture(const std::string& path, double columnMm) {
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

// The titles at the left with the box for the mark, "Nota:", at their right; under
// them the lines to fill in, the instructions (the quiz's help text) and a rule.
Block PaperBlocks::headBlock(const PaperVersion& v) {
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
    const double markW = mm(kMarkBoxWidthMm);
    const double markH = mm(kMarkBoxHeightMm);
    const double titlesW = w - markW - mm(5);

    const double titleH = textHeight(titleFont, titlesW, title);
    const double subtitleH = textHeight(subtitleFont, titlesW, subtitle);
    const double versionH = textHeight(versionFont, titlesW, version);
    const double gap = mm(2);
    const double titlesH = titleH + (subtitleH > 0 ? gap + subtitleH : 0) + (versionH > 0 ? gap + versionH : 0);
    const double fieldRow = QFontMetricsF(fieldFont, &device_).height() + mm(5);
    const double notesH = textHeight(noteFont, w, notes);
    const PaperBlocks& self = *this;

    Block b;
    b.kind = PaperBlockKind::Head;
    b.size.height = std::max(titlesH, markH) + mm(5) + 2 * fieldRow + (notesH > 0 ? gap + notesH : 0) + mm(4);
    b.size.spaceAfter = mm(6);
    b.size.shrink = mm(kShrinkMm);
    b.paint = [=, &self](QPainter& p, double y) {
        const double top = y;
        drawText(p, titleFont, QRectF(0, y, titlesW, titleH), title);
        y += titleH;
        if (subtitleH > 0) {
            drawText(p, subtitleFont, QRectF(0, y + gap, titlesW, subtitleH), subtitle);
            y += gap + subtitleH;
        }
        if (versionH > 0) {
            drawText(p, versionFont, QRectF(0, y + gap, titlesW, versionH), version);
            y += gap + versionH;
        }
        // The mark's box, its word in its top left corner; its lines inside the page's
        // text area, which clips what crosses it.
        const double half = self.mm(0.15);
        p.setPen(pen(self, 0.3));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(w - markW + half, top + half, markW - 2 * half, markH - 2 * half));
        p.setPen(Qt::black);
        drawText(p, fieldFont, QRectF(w - markW + self.mm(2), top + self.mm(1.5), markW, markH), qs(kPaperMark));
        y = top + std::max(titlesH, markH) + self.mm(5);
        // The lines to fill in: Nome on the first, Curso and Data on the second.
        auto field = [&](const QString& label, double x, double right, double top) {
            p.setFont(fieldFont);
            const QFontMetricsF fm(fieldFont, p.device());
            const double base = top + fm.ascent();
            p.drawText(QPointF(x, base), label);
            p.setPen(pen(self, 0.25));
            const double lineX = x + fm.horizontalAdvance(label) + self.mm(2);
            p.drawLine(QPointF(lineX, base + self.mm(0.8)), QPointF(right, base + self.mm(0.8)));
            p.setPen(Qt::black);
        };
        field(qs(kPaperName), 0, w, y);
        y += fieldRow;
        field(qs(kPaperClass), 0, w * 0.6 - self.mm(6), y);
        field(qs(kPaperDate), w * 0.6, w, y);
        y += fieldRow;
        if (notesH > 0) {
            drawText(p, noteFont, QRectF(0, y + gap, w, notesH), notes);
            y += gap + notesH;
        }
        y += self.mm(4);
        p.setPen(pen(self, 0.35, QColor(110, 110, 110)));
        p.drawLine(QPointF(0, y), QPointF(w, y));
        p.setPen(Qt::black);
    };
    return b;
}

Block PaperBlocks::questionBlock(const PaperQuestion& pq) {
    const Question& q = doc_.questions->record(pq.record);
    const QFont numberFont = paperFont(11, true);
    const QFont statementFont = paperFont(11, false);
    const QFont answerFont = paperFont(11, false);
    const QFont hintFont = paperFont(10, false);
    const double indent = mm(8);
    const double column = width_ - indent;
    const double box = mm(3.5);
    const double labelW = mm(6);
    const double answerX = indent + box + mm(2) + labelW;
    const double answerW = width_ - answerX;
    const double gap = mm(2);
    const double answerGap = mm(1.5);
    const double hintGap = mm(1);
    // A short answer is written on a line this far below the statement (or picture).
    const double writeH = pq.kind == QuestionKind::Short ? mm(kWriteLineMm) : 0;

    const QString number = QString::number(pq.number) + QLatin1Char('.');
    const QString statement = plain(q[FieldSlot::enunciado]);
    const double statementH = textHeight(statementFont, column, statement);
    const QString hint = pq.kind == QuestionKind::Several ? qs(kPaperSeveralHint) : QString();
    const double hintH = textHeight(hintFont, column, hint);
    const double headH = statementH + (hintH > 0 ? hintGap + hintH : 0);
    const Picture* pic = picture(q[FieldSlot::imaxe], column * 25.4 / dpi_);
    const double picW = pic ? mm(pic->widthMm) : 0;
    const double picH = pic ? mm(pic->heightMm) : 0;
    const double lineH = QFontMetricsF(answerFont, &device_).height();

    struct Answer {
        QString label;
        QString text;
        double height;
    };
    // A picture stands beside the answers, at the right, when each answer keeps there
    // the lines it takes across the column: the question is then as tall as its
    // picture, not its picture and its answers one over the other.
    const double besideW = answerW - picW - mm(kPictureGapMm);
    bool beside = pic && !pq.answers.empty() && besideW >= mm(kBesideMinMm);
    std::vector<Answer> answers;
    for (std::size_t i = 0; i < pq.answers.size(); ++i) {
        const QString text = plain(q[answerSlot(pq.answers[i])]);
        const double across = std::max(lineH, textHeight(answerFont, answerW, text));
        beside = beside && std::max(lineH, textHeight(answerFont, besideW, text)) == across;
        answers.push_back({qs(answerLabel(static_cast<int>(i))), text, across});
    }
    const double textW = beside ? besideW : answerW;
    double answersH = 0;
    for (std::size_t i = 0; i < answers.size(); ++i)
        answersH += (i == 0 ? 0 : answerGap) + answers[i].height;

    // The question ends with its last answer (or its picture beside them, or the line
    // to write on); the space after it parts it from the next.
    Block b;
    b.question = pq.number;
    b.size.height = headH;
    if (beside)
        b.size.height += gap + std::max(picH, answersH);
    else
        b.size.height += (pic ? gap + picH : 0) + (answers.empty() ? 0 : gap + answersH);
    b.size.height += writeH > 0 ? gap + writeH : 0;
    b.size.spaceAfter = answerGap + mm(5);
    b.size.shrink = mm(kShrinkMm);
    const PaperBlocks& self = *this;
    b.paint = [=, &self](QPainter& p, double y) {
        drawText(p, numberFont, QRectF(0, y, indent, statementH), number);
        drawText(p, statementFont, QRectF(indent, y, column, statementH), statement);
        if (hintH > 0)
            drawText(p, hintFont, QRectF(indent, y + statementH + hintGap, column, hintH), hint);
        y += headH + gap;
        if (pic) {
            p.drawImage(QRectF(beside ? self.width() - picW : indent, y, picW, picH), pic->image);
            if (!beside)
                y += picH + gap;
        }
        if (writeH > 0) {
            p.setPen(pen(self, 0.25));
            p.drawLine(QPointF(indent, y + writeH), QPointF(self.width(), y + writeH));
            p.setPen(Qt::black);
        }
        const QFontMetricsF fm(answerFont, p.device());
        for (const Answer& a : answers) {
            // The box to tick sits on the first line, centred on its letters.
            const double boxTop = y + (fm.ascent() - box) / 2 + self.mm(0.3);
            p.setPen(pen(self, 0.3));
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRectF(indent, boxTop, box, box));
            p.setPen(Qt::black);
            drawText(p, answerFont, QRectF(indent + box + self.mm(2), y, labelW, lineH), a.label);
            drawText(p, answerFont, QRectF(answerX, y, textW, a.height), a.text);
            y += a.height + answerGap;
        }
    };
    return b;
}

Section PaperBlocks::versionSection(const PaperVersion& v) {
    Section s;
    s.footerName = qs(v.name);
    s.blocks.push_back(headBlock(v));
    for (const PaperQuestion& q : v.questions)
        s.blocks.push_back(questionBlock(q));
    return s;
}

// "Solucións", then per version its name and the question numbers with their letters,
// row by row; a short answer's accepted answers take a row of their own.
Section PaperBlocks::keySection() {
    Section s;
    s.footerName = qs(kPaperKeyTitle);
    const QFont titleFont = paperFont(16, true);
    const QFont versionFont = paperFont(12, true);
    const QFont entryFont = paperFont(11, false);
    const QFont letterFont = paperFont(11, true);
    const QString title = qs(kPaperKeyTitle);
    const double w = width_;
    const double titleH = textHeight(titleFont, w, title) + mm(6);
    const double lineH = QFontMetricsF(entryFont, &device_).height();
    const double rowGap = mm(2.5);
    const double rowH = lineH + rowGap;
    const double numberW = mm(10);
    const double letterX = numberW + mm(2);
    const QFontMetricsF letters(letterFont, &device_);

    struct Entry {
        QString number;
        QString text;
        bool wide; // a row of its own
    };
    bool first = true;
    for (const PaperVersion& v : doc_.versions) {
        const QString name = qs(v.name);
        const double nameH = name.isEmpty() ? 0 : textHeight(versionFont, w, name) + mm(2);
        std::vector<Entry> entries;
        double widest = 0; // the letters of a row's entries
        for (const PaperQuestion& q : v.questions) {
            Entry e{QString::number(q.number) + QLatin1Char('.'), qs(keyText(q, doc_.questions->record(q.record))),
                    q.kind == QuestionKind::Short};
            if (!e.wide)
                widest = std::max(widest, letters.horizontalAdvance(e.text));
            entries.push_back(std::move(e));
        }
        const double cell = std::max(mm(kKeyCellMm), letterX + widest + mm(4));
        const std::size_t columns = std::max<std::size_t>(1, static_cast<std::size_t>(w / cell));
        // The rows, as ranges of entries: up to `columns` in a row, a wide one alone.
        std::vector<std::pair<std::size_t, std::size_t>> rows;
        for (std::size_t from = 0; from < entries.size();) {
            std::size_t to = from + 1;
            while (!entries[from].wide && to < entries.size() && !entries[to].wide && to - from < columns)
                ++to;
            rows.emplace_back(from, to);
            from = to;
        }
        if (rows.empty())
            rows.emplace_back(0, 0); // the version's name all the same
        for (std::size_t r = 0; r < rows.size(); ++r) {
            // The key's title and the version's name stay with the first row.
            const bool withTitle = first;
            const bool withName = r == 0 && nameH > 0;
            const bool last = r + 1 == rows.size();
            const auto [from, to] = rows[r];
            const bool wide = from < to && entries[from].wide;
            const double entryH = wide ? std::max(lineH, textHeight(letterFont, w - letterX, entries[from].text)) : lineH;
            Block b;
            b.kind = PaperBlockKind::KeyRow;
            b.size.height = (withTitle ? titleH : 0) + (withName ? nameH : 0) + entryH;
            b.size.spaceAfter = rowGap + (last ? mm(6) : 0);
            std::vector<Entry> row(entries.begin() + static_cast<std::ptrdiff_t>(from),
                                   entries.begin() + static_cast<std::ptrdiff_t>(to));
            b.paint = [=](QPainter& p, double y) {
                if (withTitle) {
                    drawText(p, titleFont, QRectF(0, y, w, titleH), title);
                    y += titleH;
                }
                if (withName) {
                    drawText(p, versionFont, QRectF(0, y, w, nameH), name);
                    y += nameH;
                }
                for (std::size_t i = 0; i < row.size(); ++i) {
                    const double x = static_cast<double>(i) * cell;
                    drawText(p, entryFont, QRectF(x, y, numberW, rowH), row[i].number, Qt::AlignRight);
                    drawText(p, letterFont,
                             QRectF(x + letterX, y, wide ? w - letterX : cell - numberW, wide ? entryH : rowH),
                             row[i].text);
                }
            };
            s.blocks.push_back(std::move(b));
            first = false;
        }
    }
    return s;
}

} // namespace vireta::paper
