// Every modal interaction of the window goes through this interface, so tests can
// answer dialogs without a display and without blocking.
#pragma once

#include <QString>

#include <functional>
#include <optional>

class QPrinter;
class QUrl;
class QWidget;

namespace vireta {

// The titles of the file dialogs that open a file and that save one.
inline constexpr const char* kOpenFileTitle = "Abrir un arquivo existente";
inline constexpr const char* kSaveFileTitle = "Gardar o arquivo como";

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A question captioned "vireta", no icon, buttons "Aceptar" and "Cancelar"; true for
    // "Aceptar" only.
    virtual bool confirm(QWidget* parent, const QString& text) = 0;
    // The same question when "Aceptar" destroys something (a question, the quiz,
    // unsaved work): "Cancelar" is the default button, so Return never destroys; `detail`, when
    // not empty, stands beneath the text.
    virtual bool confirmDestroying(QWidget* parent, const QString& text,
                                   const QString& detail) = 0;

    // The question about unsaved work, captioned "vireta", with the buttons "Gardar",
    // "Non gardar" and "Cancelar"; "Cancelar" is the default and Escape's answer.
    enum class SaveAnswer { Save, Discard, Cancel };
    virtual SaveAnswer askToSave(QWidget* parent, const QString& text) = 0;
    // The same question about moves on the ordering page not yet applied, with the
    // buttons "Aplicar" (Save), "Descartar" (Discard) and "Cancelar", the default.
    virtual SaveAnswer askToApply(QWidget* parent, const QString& text) = 0;
    // A question captioned "vireta", no icon, with two buttons named `accept` and
    // `reject`; `reject` is the default (Return and Escape choose it). True for `accept`.
    virtual bool choose(QWidget* parent, const QString& text, const QString& accept,
                        const QString& reject) = 0;
    // A message captioned "vireta", no icon, button "Aceptar".
    virtual void inform(QWidget* parent, const QString& text) = 0;
    // A message with an exclamation icon and an "Aceptar" button.
    virtual void warn(QWidget* parent, const QString& title, const QString& text) = 0;
    // A message with the error icon, captioned "vireta", and an "Aceptar" button.
    virtual void error(QWidget* parent, const QString& text) = 0;

    // File dialogs; `filter` is in "description|patterns|description|patterns" form.
    // They return the chosen full path, or nothing when the user cancels. The open
    // dialogs start in `folder`; saveFile starts at `initialPath`, and asks before
    // returning the name of a file that exists (the dialog's standard question, "Xa
    // existe %1. Desexa substituílo?").
    virtual std::optional<QString> openFile(QWidget* parent, const QString& title,
                                            const QString& filter, const QString& folder) = 0;
    // The open-picture dialog shows the selected picture beside the file list.
    virtual std::optional<QString> openImage(QWidget* parent, const QString& title,
                                             const QString& filter, const QString& folder) = 0;
    virtual std::optional<QString> saveFile(QWidget* parent, const QString& title,
                                            const QString& filter, const QString& initialPath) = 0;

    // Qt's print preview of a paged document on `printer`: `paint` draws the whole
    // document on the printer it is given, for the preview and again for printing.
    virtual void printPreview(QWidget* parent, QPrinter& printer,
                              const std::function<void(QPrinter*)>& paint) = 0;

    // Opens an address with the desktop's default handler (a browser); does not wait.
    // False when no handler could be started.
    virtual bool openUrl(const QUrl& url) = 0;
};

// The dialogs of the desktop.
class QtDialogs : public Dialogs {
public:
    bool confirm(QWidget* parent, const QString& text) override;
    bool confirmDestroying(QWidget* parent, const QString& text, const QString& detail) override;
    SaveAnswer askToSave(QWidget* parent, const QString& text) override;
    SaveAnswer askToApply(QWidget* parent, const QString& text) override;
    bool choose(QWidget* parent, const QString& text, const QString& accept,
                const QString& reject) override;
    void inform(QWidget* parent, const QString& text) override;
    void warn(QWidget* parent, const QString& title, const QString& text) override;
    void error(QWidget* parent, const QString& text) override;
    std::optional<QString> openFile(QWidget* parent, const QString& title, const QString& filter,
                                    const QString& folder) override;
    std::optional<QString> openImage(QWidget* parent, const QString& title, const QString& filter,
                                     const QString& folder) override;
    std::optional<QString> saveFile(QWidget* parent, const QString& title, const QString& filter,
                                    const QString& initialPath) override;
    void printPreview(QWidget* parent, QPrinter& printer,
                      const std::function<void(QPrinter*)>& paint) override;
    bool openUrl(const QUrl& url) override;
};

// Opens a local page in the browser, or says that no browser could be started and
// where the page is, so that it can be opened by hand.
void openPageInBrowser(Dialogs& dialogs, QWidget* parent, const QString& path);

// "Sons mp3|*.mp3;*.MP3|*.*|*.*" in the file dialog's own syntax:
// "Sons mp3 (*.mp3 *.MP3);;*.* (*)". Descriptions are trimmed; the pattern "*.*"
// stands for every file.
QString qtFilter(const QString& filter);

} // namespace vireta
