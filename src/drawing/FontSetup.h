#pragma once
// Fonts of the calendar: the Windows face names the interface asks for, mapped to faces Debian
// ships, and a factory that builds fonts in pixels (the sizes are given for a 96 DPI screen).

#include <QFont>
#include <QString>

namespace tavemo::drawing {

// Maps 宋体, 黑体, 微软雅黑, 幼圆, Arial and Arial Black to installed faces. The program runs it at
// start-up, before the first font is resolved; the calendar runs it too in case its host did not.
// Running it again changes nothing.
void installFontSubstitutions();

struct FontSpec {
    QString family;
    int pixelSize = 12;
    bool bold = false;
    bool underline = false;
};

// A font of `wanted.family` at `wanted.pixelSize` pixels. "Arial Black" becomes the black weight of
// its substitute. Han characters always resolve to the simplified Chinese face, whatever the
// requested family covers, so they never fall back to a Japanese one.
QFont makeFont(const FontSpec& wanted);

// 宋体, the face the interface sets most of its Chinese text in (mapped by the substitutions above).
inline const QString kSongFamily = QStringLiteral("宋体");

// The face the simplified Chinese text falls back to.
inline constexpr const char* kHanFallbackFamily = "Noto Sans CJK SC";

} // namespace tavemo::drawing
