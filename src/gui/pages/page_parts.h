// What every page of the window is built from: the window's colours and pictures, and
// the few kinds of control its pages repeat (section and icon buttons, captions,
// captioned boxes, path boxes with their open and play buttons).
#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

class QBoxLayout;
class QFrame;
class QGridLayout;
class QHBoxLayout;
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

// The pages are laid out from their design, the window at 700 x 529 with its frame:
// there every control has its design place and width, and a larger window gives its
// spare width to the boxes, each taking a share in proportion to its design width
// (which is also its layout stretch), and its spare height to the page's multi-line
// box or picture.

// Boxes, their captions and the small buttons beside them are this tall.
constexpr int kBoxHeight = 24;

// A caption at least `width` wide, as tall as a box.
QLabel* makeCaption(QWidget* parent, const QString& text, int width);
// A single-line box `width` wide at the design size, wider in a wider window.
QLineEdit* makeBox(QWidget* parent, const char* name, int width, const QString& accessibleName);
// A picture-only button for a row of boxes: 26 wide and as tall as a box, its picture
// where a 26-pixel square button would have it.
QToolButton* makeBoxButton(QWidget* parent, const char* name, const char* iconName, const QString& tip);
// A box with its caption to the left, added to `row`.
QLineEdit* addLabelledBox(QWidget* parent, QBoxLayout* row, const char* name, const QString& caption,
                          int captionWidth, int boxWidth);
// The same in the cells (row, column) and (row, column + 1) of `grid`.
QLineEdit* addLabelledBox(QWidget* parent, QGridLayout* grid, int row, int column, const char* name,
                          const QString& caption, int captionWidth, int boxWidth);

// A path box between its open button and its play button (none for a picture's box);
// the media actions give the buttons their work.
struct PathBox {
    QLineEdit* box = nullptr;
    QToolButton* open = nullptr;
    QToolButton* play = nullptr;
    QHBoxLayout* row = nullptr; // the open button, the box and the play button
};
// A path box whose row is `width` wide at the design size, the box taking what a wider
// window gives; the page puts `row` in its layout. Without a play button the row ends
// after the box, where the page may add a button of its own.
PathBox makePathBox(QWidget* parent, const char* name, const char* openName, const char* playName,
                    int width, const QString& accessibleName);

// Tab moves through the controls of a page in reading order: row by row (controls whose
// tops are less than half a row apart share one), left to right within a row.
void orderTabsByPosition(QWidget* page);

} // namespace vireta
