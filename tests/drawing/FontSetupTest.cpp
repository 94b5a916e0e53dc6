// The Windows face names resolve to Debian faces, and Han text always lands on the simplified
// Chinese face (never a Japanese one, never missing glyphs).

#include "drawing/FontSetup.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>

namespace tavemo::drawing {
namespace {

TEST(FontSetup, FacesAndHanFallback)
{
    struct Case {
        const char* family;
        const char* resolved;
        bool bold;
    };
    const Case cases[] = {
        {"宋体", "Noto Serif CJK SC", false},      {"黑体", "Noto Sans CJK SC", true},
        {"微软雅黑", "Noto Sans CJK SC", false},   {"Arial", "Liberation Sans", true},
        {"Arial Black", "Liberation Sans", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.family);
        const QFont font = makeFont({QString::fromUtf8(c.family), 12, c.bold});
        EXPECT_EQ(QFontInfo(font).family(), QString::fromUtf8(c.resolved));
        EXPECT_EQ(QFontInfo(font).pixelSize(), 12);

        QTextLayout layout(QStringLiteral("星期日廿九2024"), font);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        const QList<QGlyphRun> runs = layout.glyphRuns();
        bool hanFaceSeen = false;
        for (const QGlyphRun& run : runs) {
            const QString face = run.rawFont().familyName();
            const bool han = face.contains(QLatin1String("CJK SC"), Qt::CaseInsensitive);
            hanFaceSeen = hanFaceSeen || han;
            EXPECT_TRUE(han || face.compare(QString::fromUtf8(c.resolved), Qt::CaseInsensitive) == 0)
                << face.toStdString();
            for (quint32 glyph : run.glyphIndexes())
                EXPECT_NE(glyph, 0u) << "missing glyph in " << face.toStdString();
        }
        EXPECT_TRUE(hanFaceSeen);
    }
}

} // namespace
} // namespace tavemo::drawing
