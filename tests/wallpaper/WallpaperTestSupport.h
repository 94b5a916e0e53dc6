#pragma once
// Small pictures whose every pixel is known, bitmaps built byte by byte, and an application
// directory of its own for each test.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QTemporaryDir>

#include <vector>

namespace tavemo::wallpaper::test {

// A picture of `w` × `h` in Format_RGB32 filled with one colour.
QImage filled(int w, int h, QRgb colour);

// The three colour bytes of every pixel, for comparisons that ignore the fourth byte.
std::vector<QRgb> colours(const QImage& picture);

// Bitmap file bytes: the headers, a colour table, and `pixels` as they stand in the file.
struct BmpLayout {
    int width = 0;
    int height = 0; // negative: rows top-down
    int bitsPerPixel = 24;
    int compression = 0; // 0 BI_RGB, 1 RLE8, 2 RLE4, 3 BITFIELDS
    std::vector<QRgb> palette;
    std::vector<quint32> masks; // red, green, blue (and alpha): BITFIELDS or a V5 header
    bool v5Header = false;
    QByteArray pixels;
};
QByteArray buildBmp(const BmpLayout& layout);

// A GIF image for makeGif: its place on the screen, its colour indexes row by row from the top.
struct GifFrame {
    int left = 0, top = 0, width = 0, height = 0;
    bool interlaced = false;
    std::vector<int> indexes;
    std::vector<QRgb> localColours; // none: the global colour table
    int transparent = -1;           // a transparent index, or -1
};
// GIF file bytes written by giflib.
QByteArray makeGif(int screenW, int screenH, const std::vector<QRgb>& globalColours,
                   const std::vector<GifFrame>& frames);

// The bits per pixel and compression a bitmap's header states.
int bmpBitsPerPixel(const QByteArray& file);

// An application directory with "source/DeskTopBG" and "Data", removed at the end of the test.
class AppDir {
public:
    AppDir();
    QString path() const { return m_dir.path(); }
    QString wallpaperFolder() const;
    QString file(const QString& relative) const;
    // Writes a bitmap of one colour as `name` in the wallpaper folder.
    void putBackground(const QString& name, int w, int h, QRgb colour) const;

private:
    QTemporaryDir m_dir;
};

QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);

} // namespace tavemo::wallpaper::test
