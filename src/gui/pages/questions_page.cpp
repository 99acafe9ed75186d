#include "pages/questions_page.h"

#include "media/image_decoder.h"
#include "pages/answers_panel.h"
#include "preview_box.h"
#include "qt_text.h"

#include <QFont>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

namespace vireta {

namespace {

// The picture box's place on the page: the box keeps the proportions of its design
// size, as wide as the place allows, and the place asks for no more height than that,
// so that the rows under the picture follow close under it.
class PreviewPlace : public QWidget {
public:
    PreviewPlace(PreviewBox* box, QWidget* parent) : QWidget(parent), box_(box) {
        box_->setParent(this);
        setMinimumSize(outerSize(kPreview));
        setMaximumHeight(outerSize(kPreview).height());
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        box_->setGeometry(QRect(QPoint(0, 0), outerSize(kPreview)));
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        const QSize room = size() - QSize(kBevel, kBevel);
        box_->setGeometry(QRect(QPoint(0, 0), outerSize(kPreview.scaled(room, Qt::KeepAspectRatio))));
        // The height of the design's proportions at this width, rounded up so that the
        // box then takes the whole width.
        const int inner = room.width();
        setMaximumHeight(kBevel + (kPreview.height() * inner + kPreview.width() - 1) / kPreview.width());
    }

private:
    static constexpr int kBevel = 4; // the box's 2-pixel bevel on both sides
    static constexpr QSize kPreview{kPreviewBoxWidth, kPreviewBoxHeight};
    static QSize outerSize(QSize inner) { return inner + QSize(kBevel, kBevel); }

    PreviewBox* box_;
};

} // namespace

QuestionsPage::QuestionsPage() {
    setObjectName(QStringLiteral("page2"));
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    panelpr_ = makePanel(this, "panelpr");
    page->addWidget(panelpr_);

    // From the top: the statement; the picture beside the answers, with the paths of the
    // picture and of the sound under them; the messages with their sounds; the link; the
    // bar. A wider window widens the boxes and the picture, which then takes the height
    // its proportions ask for, as far as the window has it.
    auto* column = new QVBoxLayout(panelpr_);
    column->setContentsMargins(16, 10, 16, 12);
    column->setSpacing(0);
    auto* questionRow = new QHBoxLayout;
    questionRow->setSpacing(0);
    QLineEdit* txtpreg =
        addLabelledBox(panelpr_, questionRow, "txtpreg", QStringLiteral("Pregunta"), 74, 570);
    questionRow->addSpacing(8);
    column->addLayout(questionRow);
    column->addSpacing(6);

    // The picture and the answers over the picture's and the sound's paths: the row of
    // the picture grows as tall as its proportions ask, the answers stay at its top.
    auto* block = new QGridLayout;
    block->setHorizontalSpacing(0);
    block->setVerticalSpacing(6);
    column->addLayout(block, 1);
    const int pictureWidth = 200, answersWidth = 438;
    block->setColumnStretch(0, pictureWidth);
    block->setColumnMinimumWidth(1, 14);
    block->setColumnStretch(2, answersWidth);
    auto* pictureColumn = new QVBoxLayout;
    pictureColumn->setSpacing(0);
    block->addLayout(pictureColumn, 0, 0);
    auto* answersColumn = new QVBoxLayout;
    answersColumn->setSpacing(0);
    block->addLayout(answersColumn, 0, 2, Qt::AlignTop);

    imaxe_ = new PreviewBox(panelpr_);
    imaxe_->setObjectName(QStringLiteral("imaxe"));
    pictureColumn->addSpacing(4);
    pictureColumn->addWidget(new PreviewPlace(imaxe_, panelpr_));
    picture_ = makePathBox(panelpr_, "txtimaxe", "btabrson9", nullptr, pictureWidth,
                           QStringLiteral("Imaxe da pregunta"));
    QToolButton* refresh =
        makeBoxButton(panelpr_, "SpeedButton14", "refresh", QStringLiteral("Actualizar a vista previa"));
    refresh->setToolTip(QStringLiteral("Actualizar a vista previa: volve ler a imaxe do arquivo da caixa "
                                       "(como Intro na caixa)"));
    picture_.row->addWidget(refresh);
    block->addLayout(picture_.row, 1, 0);

    answers_ = new AnswersPanel(panelpr_);
    answersColumn->addWidget(answers_);
    connect(answers_, &AnswersPanel::edited, this, &QuestionsPage::edited);
    connect(answers_, &AnswersPanel::viewChanged, this, [this] { orderTabsByPosition(this); });
    const PathBox sound = makePathBox(panelpr_, "txtson", "btabrson6", "btponson4", answersWidth,
                                      QStringLiteral("Son da pregunta"));
    block->addLayout(sound.row, 1, 2);

    // A message and its sound.
    const auto addMessage = [&](const char* name, const QString& caption, const char* soundName,
                                const char* openName, const char* playName, const QString& soundCaption) {
        auto* row = new QHBoxLayout;
        row->setSpacing(0);
        QLineEdit* box = addLabelledBox(panelpr_, row, name, caption, 74, 300);
        row->addSpacing(10);
        const PathBox path = makePathBox(panelpr_, soundName, openName, playName, 268, soundCaption);
        row->addLayout(path.row, 268);
        column->addLayout(row);
        return std::make_pair(box, path);
    };
    column->addSpacing(16);
    const auto [txtcor, rightSound] = addMessage("txtcor", QStringLiteral("Correcto"), "txtsoncor",
                                                 "btabrson4", "btponson5", QStringLiteral("Son de acerto"));
    column->addSpacing(8);
    const auto [txtincor, wrongSound] = addMessage("txtincor", QStringLiteral("Incorrecto"), "txtsonincor",
                                                   "btabrson5", "btponson6", QStringLiteral("Son de erro"));
    column->addSpacing(8);
    auto* linkRow = new QHBoxLayout;
    linkRow->setSpacing(0);
    QLineEdit* txtenlace = addLabelledBox(panelpr_, linkRow, "txtenlace", QStringLiteral("Enlace"), 74, 578);
    column->addLayout(linkRow);
    sounds_ = {sound, rightSound, wrongSound};
    column->addSpacing(14);

    auto* nav = makePanel(panelpr_, "Panel16");
    nav->setFixedHeight(46);
    column->addWidget(nav);
    // Below the bar whatever height the picture leaves.
    column->addStretch(0);
    fillBackground(nav, kStripLime);
    auto* row = new QHBoxLayout(nav);
    row->setContentsMargins(8, 4, 8, 4);
    row->setSpacing(4);
    const struct {
        Button button;
        const char* name;
        const char* iconName;
        const char* tip;
        QKeySequence shortcut;
    } navButtons[] = {
        {Button::Ordear, "btmostra", "list", "Ordear as preguntas", QKeySequence(Qt::ALT | Qt::Key_O)},
        {Button::Delete, "SpeedButton20", "delete", "Borrar a pregunta", QKeySequence(Qt::ALT | Qt::Key_Delete)},
        {Button::First, "SpeedButton21", "first", "Primeira pregunta", QKeySequence(Qt::ALT | Qt::Key_Home)},
        {Button::Previous, "SpeedButton22", "previous", "Pregunta anterior",
         QKeySequence(Qt::ALT | Qt::Key_PageUp)},
        {Button::Insert, "btinserir", "insert", "Inserir unha pregunta", QKeySequence(Qt::ALT | Qt::Key_Insert)},
        {Button::Next, "SpeedButton24", "next", "Seguinte pregunta", QKeySequence(Qt::ALT | Qt::Key_PageDown)},
        {Button::Last, "SpeedButton25", "last", "Última pregunta", QKeySequence(Qt::ALT | Qt::Key_End)},
    };
    for (const auto& nb : navButtons) {
        QToolButton* b = makeIconButton(nav, nb.name, nb.iconName, QString::fromUtf8(nb.tip), 38);
        b->setShortcut(nb.shortcut);
        b->setToolTip(QStringLiteral("%1 (%2)").arg(QString::fromUtf8(nb.tip),
                                                   nb.shortcut.toString(QKeySequence::NativeText)));
        row->addWidget(b);
        buttons_[static_cast<std::size_t>(nb.button)] = b;
    }
    npreg_ = new QLineEdit(QStringLiteral("00"), nav);
    npreg_->setObjectName(QStringLiteral("npreg"));
    npreg_->setFixedWidth(52);
    npreg_->setAlignment(Qt::AlignCenter);
    npreg_->setAccessibleName(QStringLiteral("Número de pregunta"));
    QFont nf = npreg_->font();
    nf.setBold(true);
    npreg_->setFont(nf);
    row->addWidget(npreg_);
    lbtotal_ = new QLabel(QStringLiteral("de 1"), nav);
    lbtotal_->setObjectName(QStringLiteral("lbtotal"));
    lbtotal_->setFont(nf);
    lbtotal_->setMinimumWidth(lbtotal_->fontMetrics().horizontalAdvance(QStringLiteral("de 200")));
    lbtotal_->setAccessibleName(QStringLiteral("Número de preguntas"));
    row->addWidget(lbtotal_);
    QToolButton* btira = makeIconButton(nav, "btira", "goto", QStringLiteral("Ir á pregunta"), 38);
    btira->setToolTip(QStringLiteral("Ir á pregunta (Intro no número)"));
    row->addWidget(btira);
    connect(npreg_, &QLineEdit::returnPressed, btira, &QToolButton::click);
    row->addStretch(1);
    QToolButton* btdesfacer = makeIconButton(nav, "btdesfacer", "undo", QStringLiteral("Desfacer"), 38);
    QToolButton* btrefacer = makeIconButton(nav, "btrefacer", "redo", QStringLiteral("Refacer"), 38);
    row->addWidget(btdesfacer);
    row->addWidget(btrefacer);
    buttons_[static_cast<std::size_t>(Button::GoTo)] = btira;
    buttons_[static_cast<std::size_t>(Button::Undo)] = btdesfacer;
    buttons_[static_cast<std::size_t>(Button::Redo)] = btrefacer;
    buttons_[static_cast<std::size_t>(Button::RefreshPicture)] = refresh;

    controls_ = {txtpreg,      answers_->answerBox(1), answers_->answerBox(2), answers_->answerBox(3),
                 answers_->answerBox(4), picture_.box, sound.box, txtcor, rightSound.box, txtincor,
                 wrongSound.box, txtenlace};
}

Question QuestionsPage::questionOnScreen() const {
    Question q;
    for (int slot = 0; slot < kFieldSlotCount; ++slot)
        q.fields[slot] = toUtf8(controls_[static_cast<std::size_t>(slot)]->text());
    answers_->fillQuestion(q); // the kind, the marks, the answers' messages
    return q;
}

void QuestionsPage::show(const Question& q) {
    for (int slot = 0; slot < kFieldSlotCount; ++slot) {
        QLineEdit* control = controls_[static_cast<std::size_t>(slot)];
        control->setText(fromUtf8(q.fields[slot]));
        control->setCursorPosition(0); // a long text shows its start
    }
    answers_->show(q);
}

void QuestionsPage::clear() { show(Question()); }

QWidget* QuestionsPage::control(FieldSlot slot) const {
    const int n = static_cast<int>(slot) - static_cast<int>(FieldSlot::resposta1) + 1;
    if (n >= 1 && n <= kAnswerCount)
        return answers_->answerControl(n);
    return field(slot);
}

void QuestionsPage::showNumber(int current, int count) {
    npreg_->setText(QString::number(current));
    showCount(count);
}

void QuestionsPage::showCount(int count) { lbtotal_->setText(QStringLiteral("de %1").arg(count)); }

QString QuestionsPage::typedNumber() const { return npreg_->text(); }

QToolButton* QuestionsPage::button(Button which) const { return buttons_[static_cast<std::size_t>(which)]; }

} // namespace vireta
