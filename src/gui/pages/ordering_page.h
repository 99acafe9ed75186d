// Page 4: the list of questions, reordered by dragging or with "Subir" and "Baixar",
// and applied by "Ordear". The page keeps the list's working copy; applying it to the
// quiz is the ordering actions' work.
#pragma once

#include <QWidget>

#include <string>
#include <vector>

class QListWidget;
class QObject;
class QPoint;
class QToolButton;

namespace vireta {

class OrderingPage : public QWidget {
    Q_OBJECT

public:
    OrderingPage();

    // The entries the list shows, in the order the user made.
    const std::vector<std::string>& entries() const { return entries_; }
    void setEntries(std::vector<std::string> entries);
    int currentRow() const;
    void setCurrentRow(int row);

    // Whether the list accepts a drag that comes from `source`.
    bool listapreguntasDragOver(const QObject* source) const;
    // Moves the selected entry to the place of the entry under `point` (list coordinates).
    void listapreguntasDragDrop(const QPoint& point);
    // Moves the selected entry one place up (-1) or down (+1), by the rule of a drop on
    // its neighbour ("Subir", "Baixar", Alt+Up, Alt+Down).
    void moveSelectedEntry(int by);

signals:
    void orderRequested(); // "Ordear"

private:
    void fillList();

    QListWidget* listapreguntas_ = nullptr;
    std::vector<std::string> entries_;
};

} // namespace vireta
