// What every page of the window is built from: the window's colours and pictures, and
// the few kinds of control its pages repeat (section and icon buttons, captions,
// captioned boxes, path boxes with their open and play buttons).
#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

class QFrame;
class QLabel;
class QLineEdit;
class QToolButton;
class QWidget;

namespace vireta {

inline const QColor kBarYellow(255, 222, 40);
inline const QColor kStripLime(166, 226, 46);
inline const QColor kAnswerYellow(245, 233, 139);
inline const QColor kTextGreen(0, 110, 40);

// The picture resources/icons/NAME.svg; one icon per picture, shared by every button
// that shows it (so it is drawn once).
QIcon icon(const char* name);

void fillBackground(QWidget* w, const QColor& colour);
QFrame* makePanel(QWidget* parent, const char* name);
// A button of the top bar (and "Gardar"): picture above caption, hand cursor.
QToolButton* makeSectionButton(QWidget* parent, const char* name, const QString& caption,
                               const char* iconName);
// A picture-only button of `size` pixels whose tooltip and accessible name are `tip`.
QToolButton* makeIconButton(QWidget* parent, const char* name, const char* iconName,
                            const QString& tip, int size);
QLabel* makeCaption(QWidget* parent, const QString& text, int x, int y, int width);

// Tab moves through the controls of a page in reading order: row by row (controls whose
// tops are less than half a row apart share one), left to right within a row.
void orderTabsByPosition(QWidget* page);

// Left position that centres a panel of width `panelWidth` in a window whose outer
// width is `windowWidth`: (W - w) / 2, a half rounded to the nearest even number.
int centredLeft(int windowWidth, int panelWidth);

// A single-line box with its caption to the left inside `parent`.
QLineEdit* addLabelledBox(QWidget* parent, const char* name, const QString& caption, int x, int y,
                          int captionWidth, int boxWidth);
// A box of a save-page tab, its caption in the tab's caption column.
QLineEdit* addTabBox(QWidget* tab, const char* name, const QString& caption, int y, int width,
                     const QString& text = {});

// A path box between its open button and its play button (none for a picture's box);
// the media actions give the buttons their work.
struct PathBox {
    QLineEdit* box = nullptr;
    QToolButton* open = nullptr;
    QToolButton* play = nullptr;
};
PathBox addPathBox(QWidget* parent, const char* name, const char* openName, const char* playName,
                   int x, int y, int width, const QString& accessibleName);

} // namespace vireta
