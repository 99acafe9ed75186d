// Dialogs answered by the test: every call is recorded, answers are scripted.
#pragma once

#include "dialogs.h"

#include <QPrinter>
#include <QStringList>
#include <QUrl>

#include <deque>

namespace vireta {

class FakeDialogs : public Dialogs {
public:
    struct Shown {
        // "confirm", "choose", "inform", "warn", "error", "open", "image", "save",
        // "askToSave", "print", "url"
        QString kind;
        QString title;
        QString text; // message text, or the filter of a file dialog, or the path opened
        bool cancelIsDefault = false; // a question whose default button is "Cancel"
        QString detail;               // the text beneath a question's text
        QString folder;               // where an open dialog starts
    };

    std::vector<Shown> shown;
    bool confirmAnswer = true;
    SaveAnswer saveAnswer = SaveAnswer::Discard;
    SaveAnswer applyAnswer = SaveAnswer::Cancel; // Save stands for "Aplicar"
    bool chooseAnswer = true; // the first button (tests of a choice set their answer)
    std::deque<std::optional<QString>> fileAnswers; // answers to file dialogs, in order

    bool confirm(QWidget*, const QString& text) override {
        shown.push_back({"confirm", "vireta", text, false, {}, {}});
        return confirmAnswer;
    }
    bool confirmDestroying(QWidget*, const QString& text, const QString& detail) override {
        shown.push_back({"confirm", "vireta", text, true, detail, {}});
        return confirmAnswer;
    }
    // title: the two buttons, "accept|reject"; the second is the default.
    bool choose(QWidget*, const QString& text, const QString& accept,
                const QString& reject) override {
        shown.push_back({"choose", accept + "|" + reject, text, true, {}, {}});
        return chooseAnswer;
    }
    SaveAnswer askToSave(QWidget*, const QString& text) override {
        shown.push_back({"askToSave", "vireta", text, true, {}, {}});
        return saveAnswer;
    }
    SaveAnswer askToApply(QWidget*, const QString& text) override {
        shown.push_back({"askToApply", "vireta", text, true, {}, {}});
        return applyAnswer;
    }
    void inform(QWidget*, const QString& text) override { shown.push_back({"inform", "vireta", text, false, {}, {}}); }
    void warn(QWidget*, const QString& title, const QString& text) override {
        shown.push_back({"warn", title, text, false, {}, {}});
    }
    void error(QWidget*, const QString& text) override { shown.push_back({"error", "vireta", text, false, {}, {}}); }
    std::optional<QString> openFile(QWidget*, const QString& title, const QString& filter,
                                    const QString& folder) override {
        shown.push_back({"open", title, filter, false, {}, folder});
        return nextFile();
    }
    std::optional<QString> openImage(QWidget*, const QString& title, const QString& filter,
                                     const QString& folder) override {
        shown.push_back({"image", title, filter, false, {}, folder});
        return nextFile();
    }
    std::optional<QString> saveFile(QWidget*, const QString& title, const QString& filter,
                                    const QString& initialPath) override {
        shown.push_back({"save", title, filter + "\n" + initialPath, false, {}, {}});
        return nextFile();
    }
    // Records the preview (title: the document's name); with printTo set, the document
    // is drawn into that PDF file, as the preview would draw it.
    void printPreview(QWidget*, QPrinter& printer,
                      const std::function<void(QPrinter*)>& paint) override {
        shown.push_back({"print", printer.docName(), {}, false, {}, {}});
        if (!printTo.isEmpty()) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printTo);
            paint(&printer);
        }
    }
    QString printTo;
    bool openUrl(const QUrl& url) override {
        shown.push_back({"url", {}, url.toString(), false, {}, {}});
        return browserStarts;
    }
    bool browserStarts = true; // false: as on a desktop without a browser

    QStringList kinds() const {
        QStringList out;
        for (const auto& s : shown)
            out << s.kind;
        return out;
    }

private:
    std::optional<QString> nextFile() {
        std::optional<QString> answer;
        if (!fileAnswers.empty()) {
            answer.swap(fileAnswers.front());
            fileAnswers.pop_front();
        }
        return answer;
    }
};

} // namespace vireta
