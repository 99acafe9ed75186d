// Every modal interaction of the window goes through this interface, so tests can
// answer dialogs without a display and without blocking.
#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace vireta {

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A question captioned "vireta", no icon, buttons OK and Cancel; true for OK only.
    virtual bool confirm(QWidget* parent, const QString& text) = 0;
    // A message captioned "vireta", no icon, button OK.
    virtual void inform(QWidget* parent, const QString& text) = 0;
    // A message with an exclamation icon and an OK button.
    virtual void warn(QWidget* parent, const QString& title, const QString& text) = 0;
    // A message with the error icon, captioned "vireta", and an OK button.
    virtual void error(QWidget* parent, const QString& text) = 0;

    // File dialogs; `filter` is in "description|patterns|description|patterns" form.
    // They return the chosen full path, or nothing when the user cancels. saveFile
    // asks before returning the name of a file that exists (the dialog's standard
    // question, "Xa existe %1. Desexa substituílo?").
    virtual std::optional<QString> openFile(QWidget* parent, const QString& title,
                                            const QString& filter) = 0;
    virtual std::optional<QString> openImage(QWidget* parent, const QString& title,
                                             const QString& filter) = 0;
    virtual std::optional<QString> saveFile(QWidget* parent, const QString& title,
                                            const QString& filter, const QString& initialPath) = 0;

    // Hands a local file to the desktop's default handler; does not wait.
    virtual void openWithDesktop(const QString& path) = 0;
};

// The dialogs of the desktop.
class QtDialogs : public Dialogs {
public:
    bool confirm(QWidget* parent, const QString& text) override;
    void inform(QWidget* parent, const QString& text) override;
    void warn(QWidget* parent, const QString& title, const QString& text) override;
    void error(QWidget* parent, const QString& text) override;
    std::optional<QString> openFile(QWidget* parent, const QString& title,
                                    const QString& filter) override;
    std::optional<QString> openImage(QWidget* parent, const QString& title,
                                     const QString& filter) override;
    std::optional<QString> saveFile(QWidget* parent, const QString& title, const QString& filter,
                                    const QString& initialPath) override;
    void openWithDesktop(const QString& path) override;
};

// "Sons mp3|*.mp3;*.MP3|*.*|*.*" in the file dialog's own syntax:
// "Sons mp3 (*.mp3 *.MP3);;*.* (*)". Descriptions are trimmed; the pattern "*.*"
// stands for every file.
QString qtFilter(const QString& filter);

} // namespace vireta
