#include "drawing/FontSetup.h"

#include <QStringList>

#include <mutex>

namespace tavemo::drawing {

void installFontSubstitutions()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // Each list ends with a second choice from another Debian package, in case the first is missing.
        QFont::insertSubstitutions(QStringLiteral("宋体"),
                                   {QStringLiteral("Noto Serif CJK SC"), QStringLiteral("AR PL UMing CN")});
        for (const QString& sans : {QStringLiteral("黑体"), QStringLiteral("微软雅黑"), QStringLiteral("幼圆")})
            QFont::insertSubstitutions(sans, {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Zen Hei")});
        QFont::insertSubstitutions(QStringLiteral("Arial"),
                                   {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
        QFont::insertSubstitutions(QStringLiteral("Arial Black"),
                                   {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    });
}

QFont makeFont(const FontSpec& wanted)
{
    // A list of families skips the substitution table, so the substitutes are spelled out here.
    QStringList families{wanted.family};
    families += QFont::substitutes(wanted.family);
    families += QString::fromLatin1(kHanFallbackFamily);
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(wanted.pixelSize);
    const bool black = wanted.family == QLatin1String("Arial Black");
    font.setWeight(black ? QFont::Black : (wanted.bold ? QFont::Bold : QFont::Normal));
    font.setUnderline(wanted.underline);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

} // namespace tavemo::drawing
