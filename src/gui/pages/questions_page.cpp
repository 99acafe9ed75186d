#include "pages/questions_page.h"

#include "media/image_decoder.h"
#include "preview_box.h"
#include "qt_text.h"

#include <QFont>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace vireta {

QuestionsPage::QuestionsPage() {
    setObjectName(QStringLiteral("page2"));
    panelpr_ = makePanel(this, "panelpr");
    panelpr_->setGeometry(8, 0, 684, 404);

    QLineEdit* txtpreg = addLabelledBox(panelpr_, "txtpreg", QStringLiteral("Pregunta"), 16, 10, 74, 570);

    imaxe_ = new PreviewBox(panelpr_);
    imaxe_->setObjectName(QStringLiteral("imaxe"));
    imaxe_->setGeometry(16, 44, kPreviewBoxWidth + 4, kPreviewBoxHeight + 4); // inside a 2-pixel bevel
    picture_ = addPathBox(panelpr_, "txtimaxe", "btabrson9", nullptr, 16, 204, 200,
                          QStringLiteral("Imaxe da pregunta"));
    QToolButton* refresh = makeIconButton(panelpr_, "SpeedButton14", "refresh",
                                          QStringLiteral("Actualizar a imaxe"), 26);
    refresh->move(16 + 200 - 26, 203);

    makeCaption(panelpr_, QStringLiteral("Respostas"), 230, 40, 120);
    auto* correct = new QFrame(panelpr_);
    correct->setObjectName(QStringLiteral("Panel15"));
    correct->setGeometry(230, 64, 438, 36);
    correct->setStyleSheet(QStringLiteral("#Panel15 { background: %1; border: 2px solid %2; }")
                               .arg(kAnswerYellow.name(), kStripLime.name()));
    auto* correctCaption = makeCaption(correct, QStringLiteral("Correcta"), 8, 6, 70);
    QFont captionFont = correctCaption->font();
    captionFont.setBold(true);
    correctCaption->setFont(captionFont);
    auto* txtresp1 = new QLineEdit(correct);
    txtresp1->setObjectName(QStringLiteral("txtresp1"));
    txtresp1->setGeometry(80, 6, 350, 24);
    txtresp1->setAccessibleName(QStringLiteral("Resposta correcta"));
    txtresp1->setStyleSheet(QStringLiteral("font-weight: bold; color: rgb(0, 0, 200);"));

    QLineEdit* wrong[3] = {};
    for (int i = 0; i < 3; ++i) {
        auto* box = new QLineEdit(panelpr_);
        box->setObjectName(QStringLiteral("txtresp%1").arg(i + 2));
        box->setGeometry(310, 108 + 30 * i, 350, 24);
        box->setAccessibleName(QStringLiteral("Resposta incorrecta %1").arg(i + 1));
        box->setStyleSheet(QStringLiteral("font-weight: bold; color: rgb(110, 110, 110);"));
        wrong[i] = box;
    }

    const PathBox sound = addPathBox(panelpr_, "txtson", "btabrson6", "btponson4", 230, 204, 438,
                                     QStringLiteral("Son da pregunta"));
    QLineEdit* txtcor = addLabelledBox(panelpr_, "txtcor", QStringLiteral("Correcto"), 16, 244, 74, 300);
    const PathBox rightSound = addPathBox(panelpr_, "txtsoncor", "btabrson4", "btponson5", 400, 244,
                                          268, QStringLiteral("Son de acerto"));
    QLineEdit* txtincor =
        addLabelledBox(panelpr_, "txtincor", QStringLiteral("Incorrecto"), 16, 276, 74, 300);
    const PathBox wrongSound = addPathBox(panelpr_, "txtsonincor", "btabrson5", "btponson6", 400,
                                          276, 268, QStringLiteral("Son de erro"));
    QLineEdit* txtenlace =
        addLabelledBox(panelpr_, "txtenlace", QStringLiteral("Enlace"), 16, 308, 74, 578);
    sounds_ = {sound, rightSound, wrongSound};

    auto* nav = makePanel(panelpr_, "Panel16");
    nav->setGeometry(16, 346, 652, 46);
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

    controls_ = {txtpreg,      txtresp1,   wrong[0], wrong[1],         wrong[2],
                 picture_.box, sound.box,  txtcor,   rightSound.box,   txtincor,
                 wrongSound.box, txtenlace};
}

Question QuestionsPage::questionOnScreen() const {
    Question q;
    for (int slot = 0; slot < kFieldSlotCount; ++slot)
        q.fields[slot] = toUtf8(controls_[static_cast<std::size_t>(slot)]->text());
    return q;
}

void QuestionsPage::show(const Question& q) {
    for (int slot = 0; slot < kFieldSlotCount; ++slot) {
        QLineEdit* control = controls_[static_cast<std::size_t>(slot)];
        control->setText(fromUtf8(q.fields[slot]));
        control->setCursorPosition(0); // a long text shows its start
    }
}

void QuestionsPage::clear() {
    for (QLineEdit* control : controls_)
        control->clear();
}

void QuestionsPage::showNumber(int current, int count) {
    npreg_->setText(QString::number(current));
    showCount(count);
}

void QuestionsPage::showCount(int count) { lbtotal_->setText(QStringLiteral("de %1").arg(count)); }

QString QuestionsPage::typedNumber() const { return npreg_->text(); }

QToolButton* QuestionsPage::button(Button which) const { return buttons_[static_cast<std::size_t>(which)]; }

void QuestionsPage::centrePanel(int windowWidth) {
    panelpr_->move(centredLeft(windowWidth, panelpr_->width()), panelpr_->y());
}

} // namespace vireta
