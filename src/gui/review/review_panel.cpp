#include "review/review_panel.h"

#include "editing/question_navigator.h"
#include "formats/format_table.h"
#include "pages/answers_panel.h"
#include "pages/quiz_screen.h"
#include "qt_text.h"
#include "quiz_session.h"
#include "text.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStyle>

namespace vireta {

ReviewPanel::ReviewPanel(QuizSession& session, QuizScreen& screen, QuestionNavigator& navigator)
    : session_(session), screen_(screen), navigator_(navigator) {
    SavePage& page = screen_.save;
    connect(&page, &SavePage::formatChanged, this, &ReviewPanel::refreshReview);
    connect(&page, &SavePage::shuffleAnswersToggled, this, &ReviewPanel::refreshReview);
    connect(page.reviewList(), &QListWidget::itemActivated, this, &ReviewPanel::listarevisionActivated);
}

void ReviewPanel::refreshReview() {
    const CommonValues common = screen_.commonValues();
    const ExportSettings settings = screen_.exportSettings();
    ReviewOptions options;
    options.format = screen_.save.chosenFormat();
    options.shuffleAnswers = settings.shuffleAnswers;
    // The document's name as the save dialog will offer it, when its media go beside it.
    const FormatInfo& saved = formatInfo(screen_.save.formatToSave());
    if (!saved.carriesMedia(settings))
        options.documentName =
            bareFileName(toUtf8(session_.offeredSavePath(screen_.generalData().title, saved.request(settings))));
    options.common = &common;
    findings_ = reviewQuiz(screen_.generalData(), session_.model(), options);

    QListWidget* list = screen_.save.reviewList();
    list->clear();
    if (findings_.empty()) {
        auto* item = new QListWidgetItem(QStringLiteral("Non se atopou ningún problema."), list);
        item->setFlags(Qt::ItemIsEnabled);
        return;
    }
    const QIcon errorIcon = list->style()->standardIcon(QStyle::SP_MessageBoxCritical);
    const QIcon warningIcon = list->style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (std::size_t i = 0; i < findings_.size(); ++i) {
        const ReviewFinding& f = findings_[i];
        const bool error = f.severity == Severity::Error;
        // The severity is in the words too, not only in the icon.
        auto* item = new QListWidgetItem(
            QStringLiteral("%1 (%2): %3")
                .arg(fromUtf8(placeNameGl(f.place)), error ? QStringLiteral("erro") : QStringLiteral("aviso"),
                     fromUtf8(f.textGl)),
            list);
        item->setIcon(error ? errorIcon : warningIcon);
        item->setToolTip(item->text());
        item->setData(Qt::UserRole, static_cast<int>(i));
    }
}

void ReviewPanel::listarevisionActivated(QListWidgetItem* item) {
    if (!item)
        return;
    bool ok = false;
    const int i = item->data(Qt::UserRole).toInt(&ok);
    if (ok && i >= 0 && static_cast<std::size_t>(i) < findings_.size()) {
        const ReviewFinding finding = findings_[static_cast<std::size_t>(i)]; // a copy: going
        goToFinding(finding); // there may review the quiz again
    }
}

void ReviewPanel::goToFinding(const ReviewFinding& finding) {
    const ReviewPlace& place = finding.place;
    QWidget* target = nullptr;
    if (place.area == ReviewArea::Question) {
        if (place.question < 1 || place.question > session_.model().count)
            return;
        emit sectionWanted(Section::Preguntas);
        if (session_.editor().goTo(place.question))
            navigator_.mostra();
        if (finding.kind == FindingKind::KindNotCarried)
            target = screen_.questions.answers().kindChooser();
        else if (finding.kind == FindingKind::NoAnswerMarked)
            target = screen_.questions.answers().mark(static_cast<int>(place.slot) -
                                                      static_cast<int>(FieldSlot::resposta1) + 1);
        else
            target = screen_.questions.control(place.slot);
    } else if (place.field == GeneralField::ShuffleAnswers) {
        screen_.save.selectTab(static_cast<int>(Format::Html));
        target = screen_.save.shuffleAnswersBox();
    } else if (QWidget* box = screen_.end.field(place.field)) {
        emit sectionWanted(Section::Final);
        target = box;
    } else {
        emit sectionWanted(Section::Inicio);
        target = screen_.general.field(place.field);
    }
    if (!target)
        return;
    target->setFocus(Qt::OtherFocusReason);
    if (auto* line = qobject_cast<QLineEdit*>(target))
        line->end(false);
    else if (auto* text = qobject_cast<QPlainTextEdit*>(target))
        text->moveCursor(QTextCursor::End);
}

} // namespace vireta
