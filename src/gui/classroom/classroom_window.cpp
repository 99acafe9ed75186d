#include "classroom/classroom_window.h"

#include "classroom/qr_code.h"
#include "dialogs.h"
#include "qt_text.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QUrl>
#include <QVBoxLayout>
#include <QtMath>

#include <algorithm>

namespace vireta {
namespace {

// A phone's camera reads a code this wide off a laptop's screen from a pupil's desk.
constexpr int kQrSide = 300;

QLabel* makeValue(QWidget* parent, const char* name, double scale) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QFont font = label->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * scale);
    label->setFont(font);
    return label;
}

QLabel* makeNote(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    return label;
}

} // namespace

QImage qrImage(const QString& text, int side) {
    const classroom::QrCode code = classroom::qrCode(toUtf8(text));
    if (code.size == 0)
        return QImage();
    const int quiet = 4;
    const int modules = code.size + 2 * quiet;
    const int pixels = std::max(1, (side + modules - 1) / modules);
    QImage image(modules * pixels, modules * pixels, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int y = 0; y < code.size; ++y) {
        for (int x = 0; x < code.size; ++x) {
            if (code.at(x, y))
                painter.fillRect((x + quiet) * pixels, (y + quiet) * pixels, pixels, pixels,
                                 Qt::black);
        }
    }
    return image;
}

ClassroomWindow::ClassroomWindow(Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), dialogs_(dialogs) {
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("classroomWindow"));
    setWindowTitle(QStringLiteral("Xogo en clase"));
    buildControls();
    connect(&host_, &server::ClassroomHost::playersChanged, this, &ClassroomWindow::showPlayers);
    connect(&host_, &server::ClassroomHost::phaseChanged, this, &ClassroomWindow::showPhase);
    connect(&host_, &server::ClassroomHost::resultsSaved, this, [this](const QString& path) {
        played_ = true;
        results_->setStyleSheet(QString());
        results_->setText(QStringLiteral("Resultados gardados en:\n") +
                          QDir::toNativeSeparators(path));
    });
    connect(&host_, &server::ClassroomHost::resultsFailed, this, [this](const QString& message) {
        results_->setStyleSheet(QStringLiteral("color: rgb(150, 0, 0);"));
        results_->setText(QStringLiteral("Non se puideron gardar os resultados:\n") + message);
    });
}

// The host stops the server as it goes, before the controls it reports to.
ClassroomWindow::~ClassroomWindow() = default;

void ClassroomWindow::buildControls() {
    auto* layout = new QVBoxLayout(this);

    // The way in for the phones: gone once the game is over.
    joinBox_ = new QWidget(this);
    auto* join = new QHBoxLayout(joinBox_);
    join->setContentsMargins(0, 0, 0, 0);
    qr_ = new QLabel(joinBox_);
    qr_->setObjectName(QStringLiteral("classroomQr"));
    qr_->setAccessibleName(QStringLiteral("Código QR do enderezo do alumnado"));
    qr_->setAlignment(Qt::AlignCenter);
    join->addWidget(qr_, 0, Qt::AlignTop);

    auto* facts = new QVBoxLayout;
    auto* addressCaption = new QLabel(QStringLiteral("Enderezo para os móbiles:"), joinBox_);
    address_ = makeValue(joinBox_, "classroomAddress", 1.4);
    auto* codeCaption = new QLabel(QStringLiteral("Código da partida:"), joinBox_);
    code_ = makeValue(joinBox_, "classroomCode", 3.2);
    QFont digits = code_->font();
    digits.setLetterSpacing(QFont::AbsoluteSpacing, 4);
    digits.setStyleHint(QFont::Monospace);
    code_->setFont(digits);
    players_ = makeValue(joinBox_, "classroomPlayers", 1.4);
    players_->setTextInteractionFlags(Qt::NoTextInteraction);
    facts->addWidget(addressCaption);
    facts->addWidget(address_);
    facts->addSpacing(12);
    facts->addWidget(codeCaption);
    facts->addWidget(code_);
    facts->addSpacing(12);
    facts->addWidget(players_);
    facts->addStretch(1);
    join->addLayout(facts, 1);
    layout->addWidget(joinBox_);
    layout->addSpacing(6);

    state_ = makeNote(this, "classroomState");
    state_->setTextInteractionFlags(Qt::NoTextInteraction);
    layout->addWidget(state_);

    // The settings take effect from the next question on; the lobby shows them at once.
    settingsBox_ = new QWidget(this);
    auto* settings = new QGridLayout(settingsBox_);
    settings->setContentsMargins(0, 0, 0, 0);
    auto* timeCaption = new QLabel(QStringLiteral("&Tempo por pregunta:"), settingsBox_);
    seconds_ = new QSpinBox(settingsBox_);
    seconds_->setObjectName(QStringLiteral("classroomSeconds"));
    seconds_->setAccessibleName(QStringLiteral("Tempo por pregunta"));
    seconds_->setRange(classroom::kShortestLimit, classroom::kLongestLimit);
    seconds_->setValue(classroom::kDefaultLimit);
    seconds_->setSuffix(QStringLiteral(" s"));
    seconds_->setToolTip(QStringLiteral(
        "O tempo das preguntas que se abran desde agora; a que está aberta segue co seu"));
    timeCaption->setBuddy(seconds_);
    noLimit_ = new QCheckBox(QStringLiteral("&Sen límite"), settingsBox_);
    noLimit_->setObjectName(QStringLiteral("classroomNoLimit"));
    ranking_ = new QCheckBox(QStringLiteral("Amosar &clasificación"), settingsBox_);
    ranking_->setObjectName(QStringLiteral("classroomRanking"));
    ranking_->setToolTip(
        QStringLiteral("Os cinco primeiros na vista do presentador despois de cada pregunta"));
    ranking_->setChecked(true);
    settings->addWidget(timeCaption, 0, 0);
    settings->addWidget(seconds_, 0, 1);
    settings->addWidget(noLimit_, 0, 2);
    settings->addWidget(ranking_, 1, 0, 1, 3);
    settings->setColumnStretch(3, 1);
    layout->addWidget(settingsBox_);
    connect(seconds_, &QSpinBox::valueChanged, this, &ClassroomWindow::applySettings);
    connect(noLimit_, &QCheckBox::toggled, this, [this](bool none) {
        seconds_->setEnabled(!none);
        applySettings();
    });
    connect(ranking_, &QCheckBox::toggled, this, &ClassroomWindow::applySettings);

    results_ = makeNote(this, "classroomResults");
    layout->addWidget(results_);
    browserNote_ = makeNote(this, "classroomBrowserNote");
    browserNote_->hide();
    layout->addWidget(browserNote_);
    layout->addStretch(1);

    auto* buttons = new QHBoxLayout;
    presenter_ = new QPushButton(QStringLiteral("Abrir a vista do &presentador"), this);
    presenter_->setObjectName(QStringLiteral("classroomPresenter"));
    presenter_->setToolTip(QStringLiteral(
        "Abre no navegador a vista do presentador, para o proxector: desde ela diríxese o xogo"));
    presenter_->setAutoDefault(false);
    end_ = new QPushButton(QStringLiteral("&Rematar"), this);
    end_->setObjectName(QStringLiteral("classroomEnd"));
    end_->setAutoDefault(false);
    buttons->addWidget(presenter_);
    buttons->addStretch(1);
    buttons->addWidget(end_);
    layout->addLayout(buttons);
    connect(presenter_, &QPushButton::clicked, this, &ClassroomWindow::openPresenter);
    connect(end_, &QPushButton::clicked, this, &ClassroomWindow::rematar);

    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    showPlayers(0);
}

bool ClassroomWindow::start(classroom::GameQuiz quiz, server::ServerOptions options,
                            const ResultsPlace& place, QString* error) {
    place_ = place;
    options.settings.seconds =
        noLimit_->isChecked() ? std::nullopt : std::optional<int>(seconds_->value());
    options.settings.ranking = ranking_->isChecked();
    if (!host_.start(std::move(quiz), std::move(options), error))
        return false;
    showJoinInfo();
    showPhase(static_cast<int>(classroom::Game::Phase::Lobby));
    const QString folder = QDir::toNativeSeparators(place_.folder);
    results_->setText(
        place_.quizSaved
            ? QStringLiteral("Os resultados gárdanse no cartafol do cuestionario:\n") + folder
            : QStringLiteral("O cuestionario aínda non está gardado: os resultados gárdanse en\n") +
                  folder);
    openPresenter();
    return true;
}

void ClassroomWindow::showJoinInfo() {
    const QString address = host_.studentUrl();
    // The code comes filled in on the page the QR code opens.
    // Drawn in the screen's own pixels, so that no module is blurred on a dense screen.
    const qreal ratio = devicePixelRatioF();
    QImage qr =
        qrImage(address + QStringLiteral("?codigo=") + host_.code(), qCeil(kQrSide * ratio));
    qr.setDevicePixelRatio(ratio);
    qr_->setPixmap(QPixmap::fromImage(qr));
    qr_->setFixedSize(qr.deviceIndependentSize().toSize());
    qr_->setAccessibleDescription(address);
    address_->setText(address);
    address_->setAccessibleName(QStringLiteral("Enderezo para os móbiles: ") + address);
    code_->setText(host_.code());
    code_->setAccessibleName(QStringLiteral("Código da partida: ") + host_.code());
}

void ClassroomWindow::showPlayers(int connected) {
    players_->setText(connected == 1 ? QStringLiteral("1 xogador")
                                     : QStringLiteral("%1 xogadores").arg(connected));
}

void ClassroomWindow::showPhase(int phase) {
    using Phase = classroom::Game::Phase;
    if (ended_) // the server's last word may come after it stopped
        return;
    switch (static_cast<Phase>(phase)) {
    case Phase::Lobby:
        state_->setText(QStringLiteral(
            "Sala de espera. O xogo comeza co botón «Comezar» da vista do presentador."));
        break;
    case Phase::Asking:
    case Phase::Showing:
        played_ = true;
        state_->setText(QStringLiteral("Xogo en marcha."));
        break;
    case Phase::Over:
        played_ = true;
        state_->setText(QStringLiteral("O xogo rematou."));
        break;
    }
}

void ClassroomWindow::applySettings() {
    classroom::GameSettings settings;
    settings.seconds = noLimit_->isChecked() ? std::nullopt : std::optional<int>(seconds_->value());
    settings.ranking = ranking_->isChecked();
    host_.setSettings(settings);
}

void ClassroomWindow::openPresenter() {
    if (dialogs_.openUrl(QUrl(host_.presenterUrl()))) {
        browserNote_->hide();
        return;
    }
    browserNote_->setText(
        QStringLiteral("Non se puido abrir o navegador. Abra a vista do presentador neste "
                       "enderezo:\n") +
        host_.presenterUrl());
    browserNote_->show();
}

bool ClassroomWindow::endGame() {
    if (ended_)
        return true;
    if (host_.gameRunning() &&
        !dialogs_.choose(this, QStringLiteral("Rematar o xogo? Os resultados gárdanse."),
                         QStringLiteral("Si, rematar"), QStringLiteral("Seguir")))
        return false;
    host_.stop();
    ended_ = true;
    return true;
}

bool ClassroomWindow::rematar() {
    if (ended_) {
        close();
        return true;
    }
    if (!endGame())
        return false;
    if (played_)
        showEnded();
    else
        close();
    return true;
}

void ClassroomWindow::showEnded() {
    // What is left to see is where the results went; the window keeps its width, so
    // that the path reads on as few lines as it can.
    for (QWidget* gone :
         std::initializer_list<QWidget*>{joinBox_, settingsBox_, browserNote_, presenter_})
        gone->hide();
    state_->setText(QStringLiteral("Xogo rematado. O alumnado xa non pode entrar."));
    end_->setText(QStringLiteral("&Pechar"));
    end_->setFocus();
    layout()->activate();
    resize(width(), hasHeightForWidth() ? heightForWidth(width()) : sizeHint().height());
}

void ClassroomWindow::closeEvent(QCloseEvent* event) {
    if (!endGame()) {
        event->ignore();
        return;
    }
    event->accept();
}

} // namespace vireta
