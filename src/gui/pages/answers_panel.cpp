#include "pages/answers_panel.h"

#include "pages/page_parts.h"
#include "qt_text.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace vireta {
namespace {

const QString kTrue = QString::fromUtf8(kTrueText);
const QString kFalse = QString::fromUtf8(kFalseText);

// The kinds in the order of the chooser, which is the order of QuestionKind.
const struct {
    const char* name;
    const char* tip;
} kKinds[] = {
    {"Unha resposta", "O alumno escolle unha resposta; a primeira é a correcta"},
    {"Varias respostas", "O alumno marca todas as respostas correctas, as que levan o visto"},
    {"Verdadeiro ou falso", "O alumno escolle Verdadeiro ou Falso"},
    {"Resposta curta", "O alumno escribe a resposta; vale calquera das aceptadas, sen contar "
                       "maiúsculas nin espazos de máis"},
};

// The gutter's pages: the caption of the row, or its tick.
constexpr int kCaptionPage = 0, kTickPage = 1;
// A word cell's pages: the answer box, or the word of a true-or-false question.
constexpr int kBoxPage = 0, kWordPage = 1;

constexpr int kGutterWidth = 70;
constexpr int kBoxWidth = 322; // at the design size; the message button takes the rest

QString styleOf(bool right) {
    return right ? QStringLiteral("font-weight: bold; color: rgb(0, 0, 200);")
                 : QStringLiteral("font-weight: bold; color: rgb(110, 110, 110);");
}

void keepPlaceWhenHidden(QWidget* w) {
    QSizePolicy policy = w->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    w->setSizePolicy(policy);
}

} // namespace

AnswersPanel::AnswersPanel(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed); // its rows, as tall as they are
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    // "Respostas", and at the right the kind of question.
    auto* top = new QHBoxLayout;
    top->setSpacing(0);
    top->addWidget(makeCaption(this, QStringLiteral("Respostas"), 120));
    top->addStretch(1);
    QLabel* kindCaption = makeCaption(this, QStringLiteral("&Tipo"), 0);
    top->addWidget(kindCaption);
    top->addSpacing(6);
    kind_ = new QComboBox(this);
    kind_->setObjectName(QStringLiteral("cbtipo"));
    for (const auto& k : kKinds) {
        kind_->addItem(QString::fromUtf8(k.name));
        kind_->setItemData(kind_->count() - 1, QString::fromUtf8(k.tip), Qt::ToolTipRole);
    }
    kind_->setFixedHeight(kBoxHeight);
    kind_->setAccessibleName(QStringLiteral("Tipo de pregunta"));
    kind_->setToolTip(QStringLiteral("Tipo de pregunta: o que fai o alumno para responder (Alt+T)"));
    kindCaption->setBuddy(kind_);
    top->addWidget(kind_);
    top->addSpacing(8);
    column->addLayout(top);

    // The first row in its frame, yellow while the first answer is the right one.
    correct_ = new QFrame(this);
    correct_->setObjectName(QStringLiteral("Panel15"));
    correct_->setFixedHeight(36);
    auto* firstRow = new QHBoxLayout(correct_);
    firstRow->setContentsMargins(6, 4, 6, 4); // inside the 2-pixel border
    firstRow->setSpacing(2);
    column->addWidget(correct_);

    rightWord_ = new QButtonGroup(this);
    for (int row = 0; row < kAnswerCount; ++row) {
        const int n = row + 1;
        QWidget* owner = row == 0 ? static_cast<QWidget*>(correct_) : this;
        QHBoxLayout* line = firstRow;
        if (row > 0) {
            column->addSpacing(row == 1 ? 8 : 6);
            line = new QHBoxLayout;
            line->setSpacing(0);
            line->addSpacing(8); // under the first row's caption
            column->addLayout(line);
        }

        auto* gutter = new QStackedWidget(owner);
        gutter->setFixedSize(kGutterWidth, kBoxHeight);
        auto* caption = new QLabel(gutter);
        caption->setObjectName(QStringLiteral("lbcorrecta%1").arg(n));
        QFont bold = caption->font();
        bold.setBold(true);
        caption->setFont(bold);
        auto* tick = new QCheckBox(QStringLiteral("Correcta"), gutter);
        tick->setObjectName(QStringLiteral("chkcorrecta%1").arg(n));
        tick->setAccessibleName(QStringLiteral("Resposta %1 correcta").arg(n));
        tick->setToolTip(QStringLiteral("Resposta %1 correcta: o alumno ten que marcala").arg(n));
        gutter->addWidget(caption);
        gutter->addWidget(tick);
        keepPlaceWhenHidden(gutter);
        line->addWidget(gutter);
        if (row > 0)
            line->addSpacing(2);

        QLineEdit* box = makeBox(owner, qPrintable(QStringLiteral("txtresp%1").arg(n)), kBoxWidth, QString());
        keepPlaceWhenHidden(box);
        if (row < 2) {
            auto* cell = new QStackedWidget(owner);
            cell->setFixedHeight(kBoxHeight);
            cell->setMinimumWidth(kBoxWidth);
            box->setParent(cell);
            auto* word = new QRadioButton(row == 0 ? kTrue : kFalse, cell);
            word->setObjectName(row == 0 ? QStringLiteral("optverdadeiro") : QStringLiteral("optfalso"));
            word->setAccessibleName(QStringLiteral("%1 é a correcta").arg(word->text()));
            word->setToolTip(QStringLiteral("%1 é a resposta correcta").arg(word->text()));
            word->setStyleSheet(QStringLiteral("QRadioButton { font-weight: bold; color: rgb(110, 110, 110); } "
                                               "QRadioButton:checked { color: rgb(0, 0, 200); }"));
            rightWord_->addButton(word);
            cell->addWidget(box);
            cell->addWidget(word);
            line->addWidget(cell, 1);
            wordCells_[static_cast<std::size_t>(row)] = cell;
            (row == 0 ? trueRight_ : falseRight_) = word;
        } else {
            line->addWidget(box, 1);
        }
        if (row > 0)
            line->addSpacing(2);
        QToolButton* message =
            makeBoxButton(owner, qPrintable(QStringLiteral("btretro%1").arg(n)), "message", QString());
        keepPlaceWhenHidden(message);
        line->addWidget(message);
        if (row > 0)
            line->addSpacing(8);

        gutters_[static_cast<std::size_t>(row)] = gutter;
        captions_[static_cast<std::size_t>(row)] = caption;
        ticks_[static_cast<std::size_t>(row)] = tick;
        boxes_[static_cast<std::size_t>(row)] = box;
        messageButtons_[static_cast<std::size_t>(row)] = message;

        connect(tick, &QCheckBox::toggled, this, [this] {
            colourBoxes();
            if (!showing_)
                emit edited();
        });
        connect(message, &QToolButton::clicked, this, [this, n] { editMessage(n); });
    }
    trueRight_->setChecked(true);
    connect(rightWord_, &QButtonGroup::buttonToggled, this, [this](QAbstractButton*, bool checked) {
        if (checked && !showing_)
            emit edited();
    });
    connect(kind_, &QComboBox::currentIndexChanged, this, [this] {
        if (!showing_)
            kindChosen();
    });

    editor_ = new AnswerMessageEditor(this);
    connect(editor_, &AnswerMessageEditor::textEdited, this, [this](const QString& text) {
        if (messageOf(editedRow_) == text)
            return;
        messageOf(editedRow_) = text;
        showMessageButton(editedRow_);
        emit edited();
    });
    connect(editor_, &AnswerMessageEditor::closed, this, [this] {
        QToolButton* button = messageButtons_[static_cast<std::size_t>(editedRow_)];
        if (button->isVisible())
            button->setFocus(Qt::PopupFocusReason);
    });
    showKind(QuestionKind::One);
}

QuestionKind AnswersPanel::kind() const { return static_cast<QuestionKind>(kind_->currentIndex()); }

// The message the button of `row` edits: a word's for a true-or-false question (whose
// last two rows are hidden, their boxes' messages kept), else the box's.
QString& AnswersPanel::messageOf(int row) {
    const auto i = static_cast<std::size_t>(row);
    return shownKind_ == QuestionKind::TrueFalse && row < 2 ? wordMessages_.at(i) : messages_.at(i);
}

const QString& AnswersPanel::messageOf(int row) const {
    const auto i = static_cast<std::size_t>(row);
    return shownKind_ == QuestionKind::TrueFalse && row < 2 ? wordMessages_.at(i) : messages_.at(i);
}

void AnswersPanel::show(const Question& q) {
    showing_ = true;
    editor_->hide(); // what it holds is in the message already
    for (int row = 0; row < kAnswerCount; ++row) {
        const auto i = static_cast<std::size_t>(row);
        messages_[i] = fromUtf8(q.answerMessages[i]);
        ticks_[i]->setChecked(q.kind == QuestionKind::Several && q.marked[i]);
    }
    // The right word is the first answer; its message goes with it.
    const bool trueIsRight = !(q.kind == QuestionKind::TrueFalse && fromUtf8(q[FieldSlot::resposta1]) == kFalse);
    (trueIsRight ? trueRight_ : falseRight_)->setChecked(true);
    wordMessages_ = {};
    if (q.kind == QuestionKind::TrueFalse) {
        wordMessages_[trueIsRight ? 0 : 1] = messages_[0];
        wordMessages_[trueIsRight ? 1 : 0] = messages_[1];
    }
    kind_->setCurrentIndex(static_cast<int>(q.kind));
    const bool otherControls = q.kind != shownKind_;
    showKind(q.kind);
    showing_ = false;
    if (otherControls)
        emit viewChanged();
}

void AnswersPanel::fillQuestion(Question& q) const {
    q.kind = kind();
    q.marked = {};
    if (q.kind == QuestionKind::TrueFalse) {
        const bool trueIsRight = trueRight_->isChecked();
        q[FieldSlot::resposta1] = trueIsRight ? kTrueText : kFalseText;
        q[FieldSlot::resposta2] = trueIsRight ? kFalseText : kTrueText;
        q[FieldSlot::resposta3].clear();
        q[FieldSlot::resposta4].clear();
        q.answerMessages = {toUtf8(wordMessages_[trueIsRight ? 0 : 1]), toUtf8(wordMessages_[trueIsRight ? 1 : 0]),
                            std::string(), std::string()};
        return;
    }
    for (int row = 0; row < kAnswerCount; ++row) {
        const auto i = static_cast<std::size_t>(row);
        q[answerSlot(row + 1)] = toUtf8(boxes_[i]->text());
        q.answerMessages[i] = toUtf8(messages_[i]);
        if (q.kind == QuestionKind::Several)
            q.marked[i] = ticks_[i]->isChecked();
    }
}

QWidget* AnswersPanel::kindChooser() const { return kind_; }

QWidget* AnswersPanel::mark(int n) const { return ticks_.at(static_cast<std::size_t>(n - 1)); }

QWidget* AnswersPanel::answerControl(int n) const {
    if (n < 1 || n > kAnswerCount)
        return nullptr;
    if (kind() != QuestionKind::TrueFalse)
        return answerBox(n);
    // Answer 1 is the right word, answer 2 the other.
    const bool trueIsRight = trueRight_->isChecked();
    if (n > 2)
        return nullptr;
    return (n == 1) == trueIsRight ? trueRight_ : falseRight_;
}

void AnswersPanel::kindChosen() {
    const QuestionKind chosen = kind();
    if (chosen == QuestionKind::TrueFalse)
        takeTrueFalseFromBoxes();
    else if (shownKind_ == QuestionKind::TrueFalse)
        putTrueFalseInBoxes();
    showKind(chosen);
    emit viewChanged();
    emit edited();
}

bool AnswersPanel::boxesHoldTheTwoWords() const {
    const QString first = boxes_[0]->text(), second = boxes_[1]->text();
    return ((first == kTrue && second == kFalse) || (first == kFalse && second == kTrue)) &&
           boxes_[2]->text().isEmpty() && boxes_[3]->text().isEmpty();
}

// The boxes hold the two words: the choice takes the first as the right one, and each
// word keeps its message.
void AnswersPanel::takeTrueFalseFromBoxes() {
    if (!boxesHoldTheTwoWords())
        return;
    const bool trueIsRight = boxes_[0]->text() == kTrue;
    (trueIsRight ? trueRight_ : falseRight_)->setChecked(true);
    wordMessages_[trueIsRight ? 0 : 1] = messages_[0];
    wordMessages_[trueIsRight ? 1 : 0] = messages_[1];
}

// Back from true or false, boxes that held the two words hold them as now chosen.
void AnswersPanel::putTrueFalseInBoxes() {
    if (!boxesHoldTheTwoWords())
        return;
    const bool trueIsRight = trueRight_->isChecked();
    boxes_[0]->setText(trueIsRight ? kTrue : kFalse);
    boxes_[1]->setText(trueIsRight ? kFalse : kTrue);
    messages_[0] = wordMessages_[trueIsRight ? 0 : 1];
    messages_[1] = wordMessages_[trueIsRight ? 1 : 0];
}

void AnswersPanel::showKind(QuestionKind kind) {
    shownKind_ = kind;
    const bool trueFalse = kind == QuestionKind::TrueFalse;
    const bool several = kind == QuestionKind::Several;
    correct_->setStyleSheet(kind == QuestionKind::One
                                ? QStringLiteral("#Panel15 { background: %1; border: 2px solid %2; }")
                                      .arg(kAnswerYellow.name(), kStripLime.name())
                                : QStringLiteral("#Panel15 { background: transparent; border: 2px solid "
                                                 "transparent; }"));
    for (int row = 0; row < kAnswerCount; ++row) {
        const auto i = static_cast<std::size_t>(row);
        const int n = row + 1;
        const bool shown = !trueFalse || row < 2;
        gutters_[i]->setCurrentIndex(several ? kTickPage : kCaptionPage);
        gutters_[i]->setVisible(shown);
        messageButtons_[i]->setVisible(shown);
        if (row < 2)
            wordCells_[i]->setCurrentIndex(trueFalse ? kWordPage : kBoxPage);
        else
            boxes_[i]->setVisible(shown);

        QString caption, boxName;
        switch (kind) {
        case QuestionKind::One:
            caption = row == 0 ? QStringLiteral("Correcta") : QString();
            boxName = row == 0 ? QStringLiteral("Resposta correcta") : QStringLiteral("Resposta incorrecta %1").arg(row);
            break;
        case QuestionKind::Several: boxName = QStringLiteral("Resposta %1").arg(n); break;
        case QuestionKind::TrueFalse: caption = row == 0 ? QStringLiteral("Correcta") : QString(); break;
        case QuestionKind::Short:
            caption = QStringLiteral("Aceptada");
            boxName = QStringLiteral("Resposta aceptada %1").arg(n);
            break;
        }
        captions_[i]->setText(caption);
        boxes_[i]->setAccessibleName(boxName);
        showMessageButton(row);
    }
    captions_[0]->setToolTip(kind == QuestionKind::Short
                                 ? QStringLiteral("Cada caixa é unha resposta aceptada")
                                 : QString());
    colourBoxes();
}

void AnswersPanel::showMessageButton(int row) {
    QToolButton* button = messageButtons_.at(static_cast<std::size_t>(row));
    const QString name = shownKind_ == QuestionKind::TrueFalse && row < 2
                             ? QStringLiteral("Mensaxe de %1").arg(row == 0 ? kTrue : kFalse)
                             : QStringLiteral("Mensaxe da resposta %1").arg(row + 1);
    const QString& message = messageOf(row);
    button->setAccessibleName(name);
    button->setAccessibleDescription(message);
    button->setIcon(icon(message.isEmpty() ? "message" : "message-filled"));
    button->setToolTip(message.isEmpty()
                           ? name + QStringLiteral(": ningunha. O alumno leríaa ao escoller esta resposta")
                           : name + QStringLiteral(": ") + message);
}

void AnswersPanel::colourBoxes() {
    for (int row = 0; row < kAnswerCount; ++row) {
        const auto i = static_cast<std::size_t>(row);
        bool right = false;
        switch (shownKind_) {
        case QuestionKind::One:
        case QuestionKind::TrueFalse: right = row == 0; break;
        case QuestionKind::Several: right = ticks_[i]->isChecked(); break;
        case QuestionKind::Short: right = true; break;
        }
        boxes_[i]->setStyleSheet(styleOf(right));
    }
}

void AnswersPanel::editMessage(int n) {
    const int row = n - 1;
    QToolButton* button = messageButton(n);
    if (!button->isVisible())
        return;
    // Under the row, from its box to its button.
    QWidget* box = row < 2 ? static_cast<QWidget*>(wordCells_[static_cast<std::size_t>(row)])
                           : boxes_[static_cast<std::size_t>(row)];
    const QPoint from = box->mapToGlobal(QPoint(0, box->height()));
    const QPoint to = button->mapToGlobal(QPoint(button->width(), button->height()));
    editedRow_ = row;
    editor_->open(button->accessibleName(), messageOf(row), QRect(from, QSize(to.x() - from.x(), 0)));
}

// ---------------------------------------------------------------- the message's box

AnswerMessageEditor::AnswerMessageEditor(QWidget* parent) : QFrame(parent, Qt::Popup) {
    setObjectName(QStringLiteral("retro"));
    setFrameStyle(QFrame::Box | QFrame::Plain);
    fillBackground(this, kAnswerYellow);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setSpacing(2);
    caption_ = new QLabel(this);
    box_ = new QLineEdit(this);
    box_->setObjectName(QStringLiteral("txtretro"));
    box_->setFixedHeight(kBoxHeight);
    box_->setToolTip(QStringLiteral("Intro garda a mensaxe; Esc déixaa como estaba"));
    caption_->setBuddy(box_);
    layout->addWidget(caption_);
    layout->addWidget(box_);
    connect(box_, &QLineEdit::textChanged, this, &AnswerMessageEditor::textEdited);
    connect(box_, &QLineEdit::returnPressed, this, &QWidget::close);
}

void AnswerMessageEditor::open(const QString& caption, const QString& text, const QRect& place) {
    caption_->setText(caption);
    box_->setAccessibleName(caption);
    box_->setText(text);
    before_ = text;
    setFixedWidth(std::max(place.width(), 300));
    move(place.topLeft());
    QFrame::show();
    box_->setFocus(Qt::PopupFocusReason);
    box_->selectAll();
}

void AnswerMessageEditor::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        box_->setText(before_);
        close();
        return;
    }
    QFrame::keyPressEvent(event);
}

void AnswerMessageEditor::hideEvent(QHideEvent* event) {
    QFrame::hideEvent(event);
    emit closed();
}

} // namespace vireta
