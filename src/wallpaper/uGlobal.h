#pragma once
// The background list and the picture conversions of the wallpaper folder.
//
// The list file "Data\BGPicList.ini" (GB18030, every line ended by CR LF): line 1 the current
// background name, then one bare file name per line, in the order the selection dialog shows them.
// In memory the list has one entry per line, so entry 0 is always the current name. The window
// owns a BackgroundListState and hands it to LoadBackgroundList and to the wallpaper road.

#include "core/Outcome.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace tavemo::wallpaper {

// One entry of the background list.
struct TPicBGList {
    std::int32_t Index = 0; // position in the list, from 0
    QString FileName;       // a file in the wallpaper folder, no folder part
    friend bool operator==(const TPicBGList&, const TPicBGList&) = default;
};

// What the main window keeps of the list: the list itself, the current background name and the
// background index (the entry the next application to the desktop uses).
struct BackgroundListState {
    std::vector<TPicBGList> list;
    QString currentBackgroundName; // empty until a list has been read
    std::int32_t backgroundIndex = 0;
    std::int32_t entryCount = 0; // lines of the last list file read
};

// The name the default list holds, and the default background the build delivers.
inline const QString kDefaultBackgroundName = QStringLiteral("A1.bmp");

// "Data\BGPicList.ini" below the application directory.
QString backgroundListPath(const QString& appDir);
// "source\DeskTopBG" below the application directory, without a final separator.
QString wallpaperFolder(const QString& appDir);
// The file `fileName` of the wallpaper folder, in the spelling it has on disk. Empty when the name
// is not a bare file name (it holds a separator, or is "." or "..").
QString wallpaperFile(const QString& appDir, const QString& fileName);

// Puts the lines of a list file into the state. With no lines the state stays as it was (but
// entryCount becomes 0). Otherwise the current name is line 1, the list one entry per line, and
// every entry equal to the current name sets the index: to its own position with `selectCurrent`
// (so the last such position wins), else to the last entry.
void applyBackgroundListLines(BackgroundListState& state, const QStringList& lines, bool selectCurrent);

// Loads the list file into the state (applyBackgroundListLines); the value tells whether the file
// was missing and the default list was written. A missing file is written with the default list
// ("A1.bmp" twice) and the state becomes that list with index 0, even when the write fails (the
// outcome then says so). A file that exists but cannot be read leaves the state alone and fails.
Result<bool> LoadBackgroundList(BackgroundListState& state, const QString& appDir, bool selectCurrent);

// The lines of the list file: what the selection dialog fills its entries from. Fails with
// Missing when there is no file (nothing is written here); any other failure's message says that
// the list could not be read.
Result<QStringList> readBackgroundListFile(const QString& appDir);

// Rewrites the list file whole: line 1 `currentName`, then every entry. On failure the old file is
// untouched.
Outcome writeBackgroundListFile(const QString& appDir, const QString& currentName, const QStringList& entries);
// Writes the default list ("A1.bmp", "A1.bmp").
Outcome writeDefaultBackgroundListFile(const QString& appDir);

// The conversions give the full path of the bitmap, or a failure whose message names the file.
//
// By the extension of the file name, letters of any case: ".bmp" gives `path` itself (not checked
// here); ".jpg" and ".jpeg" go to JpegToBmp, ".gif" to GifToBmp, ".png" to PngToBmp; any other
// extension gives no bitmap.
Result<QString> PictureToBmp(const QString& path);
// Each decodes the picture file (by its content, so a misnamed picture still converts) and writes
// it as a 24-bit bitmap beside it: the same name with the extension replaced by ".bmp" (appended
// when there is none), replacing a file of that name in any letter case.
Result<QString> JpegToBmp(const QString& path);
Result<QString> GifToBmp(const QString& path);
Result<QString> PngToBmp(const QString& path);

// The path of the bitmap a conversion of `path` writes.
QString bitmapPathFor(const QString& path);

} // namespace tavemo::wallpaper
