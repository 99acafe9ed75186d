#include "paper_pdf.h"

#include "paper_blocks.h"

#include <QBuffer>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <mutex>

namespace vireta {
namespace {

using paper::qs;

constexpr double kMarginMm = 20;
constexpr int kPdfResolution = 300;

double footerHeight(const paper::PaperBlocks& blocks) { return blocks.mm(11); }

struct Placed {
    const paper::Block* block;
    double top;
};

// A section's blocks, page by page, where placePaperBlocks puts them.
std::vector<std::vector<Placed>> pagesOf(const paper::Section& section, double pageHeight) {
    std::vector<PaperBlock> sizes;
    for (const paper::Block& b : section.blocks)
        sizes.push_back(b.size);
    const std::vector<PaperPlacement> placed = placePaperBlocks(sizes, pageHeight);
    std::vector<std::vector<Placed>> pages;
    for (std::size_t i = 0; i < placed.size(); ++i) {
        if (pages.size() <= static_cast<std::size_t>(placed[i].page))
            pages.emplace_back();
        pages.back().push_back({&section.blocks[i], placed[i].top});
    }
    return pages;
}

void paintFooter(QPainter& p, const paper::PaperBlocks& blocks, const PaperDocument& doc,
                 const paper::Section& s, int page, int pages) {
    const QFont font = paper::paperFont(9, false);
    const double width = blocks.width();
    const double top = blocks.height() - footerHeight(blocks) + blocks.mm(4);
    QPen rule(QColor(110, 110, 110));
    rule.setWidthF(blocks.mm(0.25));
    p.setPen(rule);
    p.drawLine(QPointF(0, top), QPointF(width, top));
    p.setPen(Qt::black);
    p.setFont(font);
    const QFontMetricsF fm(font, p.device());
    const double rowTop = top + blocks.mm(1.5);
    const double rowH = fm.height();
    const QString pageText = qs(pageNumberText(page, pages));
    const double pageW = fm.horizontalAdvance(pageText);
    const double nameW = fm.horizontalAdvance(s.footerName);
    // The title takes what the version's name (centred) and the page number leave.
    const double titleRoom = s.footerName.isEmpty() ? width - pageW - blocks.mm(6)
                                                    : (width - nameW) / 2 - blocks.mm(4);
    const QString title = paper::plain(doc.title).replace(QLatin1Char('\n'), QLatin1Char(' '));
    p.drawText(QRectF(0, rowTop, titleRoom, rowH), Qt::AlignLeft, fm.elidedText(title, Qt::ElideRight, titleRoom));
    p.drawText(QRectF(0, rowTop, width, rowH), Qt::AlignHCenter, s.footerName);
    p.drawText(QRectF(0, rowTop, width, rowH), Qt::AlignRight, pageText);
}

} // namespace

int PaperPlan::pageCount() const {
    int n = 0;
    for (const PaperSectionPlan& s : sections)
        n += static_cast<int>(s.pages.size());
    return n;
}

PaperDocument makePaperDocument(const GeneralData& general, const QuestionTable& questions,
                                int count, const ExportSettings& settings,
                                ShuffleGenerator& generator) {
    PaperDocument doc;
    doc.title = general.title;
    doc.subtitle = general.subtitle;
    doc.instructions = general.help;
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
            paper::fontFamily() = families.front();
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

namespace {

void setPdfLayout(QPdfWriter& writer, const PaperDocument& doc, bool letter) {
    writer.setResolution(kPdfResolution);
    writer.setCreator(QStringLiteral("Vireta"));
    writer.setTitle(qs(doc.title));
    setPaperLayout(writer, letter);
}

} // namespace

PaperPlan planPaperTest(const QPagedPaintDevice& device, const PaperDocument& doc, PaperPart part) {
    loadPaperFonts();
    const paper::PaperBlocks blocks(device, doc, part);
    const double toMm = 1 / blocks.mm(1);
    PaperPlan plan;
    const double pageHeight = blocks.height() - footerHeight(blocks);
    plan.pageHeight = pageHeight * toMm;
    for (const paper::Section& s : blocks.sections()) {
        PaperSectionPlan& section = plan.sections.emplace_back();
        section.name = s.footerName.toStdString();
        for (const auto& page : pagesOf(s, pageHeight)) {
            auto& placed = section.pages.emplace_back();
            for (const Placed& p : page) {
                const PaperBlock& size = p.block->size;
                placed.push_back({p.block->kind, p.block->question, p.top * toMm,
                                  {size.height * toMm, size.spaceAfter * toMm, size.shrink * toMm}});
            }
        }
    }
    plan.unreadPictures = blocks.unreadPictures();
    return plan;
}

PaperDrawResult drawPaperTest(QPagedPaintDevice& device, const PaperDocument& doc, PaperPart part) {
    loadPaperFonts();
    QPainter painter;
    if (!painter.begin(&device))
        throw PaperPrintError("cannot draw on the pages");
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const paper::PaperBlocks blocks(device, doc, part);
    const double pageHeight = blocks.height() - footerHeight(blocks);
    PaperDrawResult result;
    for (const paper::Section& s : blocks.sections()) {
        const auto pages = pagesOf(s, pageHeight);
        for (std::size_t i = 0; i < pages.size(); ++i) {
            if (result.pages > 0 && !device.newPage())
                throw PaperPrintError("cannot start a new page");
            ++result.pages;
            painter.save();
            painter.setClipRect(QRectF(0, 0, blocks.width(), pageHeight));
            for (const Placed& p : pages[i])
                p.block->paint(painter, p.top);
            painter.restore();
            paintFooter(painter, blocks, doc, s, static_cast<int>(i) + 1, static_cast<int>(pages.size()));
        }
    }
    painter.end();
    result.unreadPictures = blocks.unreadPictures();
    return result;
}

PaperPlan planPaperPdf(const PaperDocument& doc, PaperPart part, bool letter) {
    QBuffer buffer;
    QPdfWriter writer(&buffer);
    setPdfLayout(writer, doc, letter);
    return planPaperTest(writer, doc, part);
}

std::string paperTestPdf(const PaperDocument& doc, PaperPart part, bool letter,
                         PaperDrawResult* result) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        setPdfLayout(writer, doc, letter);
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
