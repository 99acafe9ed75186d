// The yellow bar of section buttons, and the green strip under it that names the page
// shown and, for a few seconds, a short note.
#pragma once

#include <QFrame>

class QLabel;
class QTimer;
class QToolButton;

namespace vireta {

class TopBar : public QFrame {
    Q_OBJECT

public:
    enum class Button { Inicio, Preguntas, Final, Novo, Abrir, Gardar, Importar, Exportar, Clase, Axuda };

    explicit TopBar(QWidget* parent);

    QToolButton* button(Button which) const;

private:
    QToolButton* buttons_[10] = {};
};

class SectionStrip : public QFrame {
    Q_OBJECT

public:
    explicit SectionStrip(QWidget* parent);

    void setCaption(const QString& caption);
    // A note at the strip's right end, gone after six seconds: in red for a problem
    // (a sound that cannot be played), in dark green for work done (a save).
    enum class Note { Problem, Done };
    void showNote(const QString& text, Note kind = Note::Problem, const QString& toolTip = QString());

private:
    QLabel* seccion_ = nullptr;
    QLabel* aviso_ = nullptr;
    QTimer* noteTimer_ = nullptr;
};

} // namespace vireta
