#pragma once
// The content picture: what the note editor shows, at its size, as "Content.bmp".

#include "wallpaper/PictureCodecs.h"

#include <QImage>
#include <QString>

class QAbstractScrollArea;

namespace tavemo::wallpaper {

// The picture of what the editor's viewport shows now (the visible part of the note, the
// selection if any), in device pixels at the viewport's current size.
QImage grabNotePicture(QAbstractScrollArea& editor);

// Writes grabNotePicture as the 24-bit bitmap "Content.bmp" in `wallpaperFolder`, replacing the
// earlier one. The folder is not created: when it is missing the error says so.
Outcome CaptureNotePicture(QAbstractScrollArea& editor, const QString& wallpaperFolder);

// "Content.bmp" in the folder, in the spelling it has on disk.
QString contentPicturePath(const QString& wallpaperFolder);

} // namespace tavemo::wallpaper
