#pragma once
// What the main window's dialogs are built of besides pictures: their push buttons, their place on
// the screen, and the shapes of what they ask of the world around them (the program hands them the
// real dialogs, checks their own).

#include <QPoint>
#include <QString>
#include <QStringList>

#include <functional>

class QPushButton;
class QWidget;

namespace tavemo::widgets {

// A modal message box with `text`, and `detail` as its detailed text when not empty.
using ShowMessage = std::function<void(QWidget* parent, const QString& text, const QString& detail)>;
// A modal open dialog for pictures with several files selectable; the chosen files in the dialog's
// order, none when cancelled.
using ChoosePictures = std::function<QStringList(QWidget* parent)>;

// A dialog's push button of 75 × 25 at `at` with `caption`; it never becomes the default button by
// taking the focus.
QPushButton* dialogButton(QWidget* dialog, const QString& caption, QPoint at);

// Moves `dialog` so that it stands centred over the window of its parent (none: left alone).
void centreOverOwner(QWidget& dialog);

} // namespace tavemo::widgets
