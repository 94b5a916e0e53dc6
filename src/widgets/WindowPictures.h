#pragma once
// The pictures the program's borderless windows are drawn with: the pale blue face, the caption
// buttons, the logo, the picture buttons of the main window and its tools, and the program icon.
// Every picture is painted from code at the device pixel ratio asked for, so it stays crisp on a
// screen of any density: the image has logical size x ratio pixels and carries the ratio, and
// lines and fills fall on whole logical pixels.

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

class QPainter;

namespace tavemo::widgets {

// The face colour of the windows, RGB(216, 227, 243) (0x00F3E3D8 as the program stores colours).
QColor windowFaceColor();
// The colour of the 1-pixel border that outlines a face.
QColor windowBorderColor();
// Fills `rect` with the face and outlines it with the 1-pixel border (inside `rect`).
void paintWindowFace(QPainter& painter, const QRect& rect);

// The three looks of a caption button.
enum class ButtonState { Normal, Highlight, Down };

inline constexpr QSize kCloseButtonSize{39, 20};
inline constexpr QSize kMinimiseButtonSize{28, 20};
inline constexpr QSize kLogoSize{210, 56};
inline constexpr QSize kFontToolSize{20, 17};
inline constexpr QSize kColourSwatchSize{20, 11};
inline constexpr QSize kExclamationSize{45, 46};
inline constexpr QSize kCheckMarkSize{16, 16};

// Close button: a small framed x on the face / a red box with a white x / a darker red box.
QImage closeButtonPicture(ButtonState state, qreal dpr);
// Minimise button: a small framed dash on the face / a blue box with a white dash / a darker one.
QImage minimiseButtonPicture(ButtonState state, qreal dpr);

// The logo: the name "Tavemo" followed by 桌面日历, on a transparent ground.
QImage logoPicture(qreal dpr);
// A title picture reading `text` in the logo's style (the wallpaper dialog's "默认背景").
QImage titlePicture(const QString& text, QSize size, qreal dpr);
// A rounded blue button reading `text` in white, the lettering scaled to the height
// ("添加到桌面" 84 x 29, "选择壁纸" 176 x 50).
QImage pictureButton(const QString& text, QSize size, qreal dpr);
// A small light button reading `text` in dark blue (the time stamp tool "时间", 37 x 21).
QImage smallPictureButton(const QString& text, QSize size, qreal dpr);
// The font tool: a bold "T".
QImage fontToolPicture(qreal dpr);
// The colour tool: a red swatch with a darker edge.
QImage colourSwatchPicture(qreal dpr);
// An orange disc with a white exclamation mark (the confirmation dialog).
QImage exclamationPicture(qreal dpr);
// A green check mark (the current entry of a list).
QImage checkMarkPicture(qreal dpr);

// The program icon, `size` x `size` pixels: a calendar leaf with a blue head and the day "日".
QImage programIcon(int size);

} // namespace tavemo::widgets
