// Whatever the writer writes, the reader gives back: text, colours, fonts, sizes and styles.

#include "DocumentSnapshot.h"
#include "richtext/RtfCodec.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace tavemo::richtext {
namespace {

using test::snapshotOf;

enum Style { Plain = 0, Bold = 1, Italic = 2, Underline = 4, Strike = 8 };

struct RunSpec {
    RunSpec(const QString& text, const QString& family = {}, double points = 0, const QColor& foreground = {},
            int styles = Plain, const QColor& background = {})
        : text(text), family(family), points(points), foreground(foreground), styles(styles), background(background)
    {}
    QString text;
    QString family;    // empty: the document's font
    double points;     // 0: the document's size
    QColor foreground; // invalid: automatic
    int styles;
    QColor background;
};

struct DocumentSpec {
    const char* name;
    std::vector<std::vector<RunSpec>> paragraphs;
    Qt::Alignment alignment = Qt::AlignLeft;
};

// The editor's own default: 宋体, 15 pixels high.
void useEditorFont(QTextDocument& document)
{
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(15);
    document.setDefaultFont(font);
}

void fill(QTextDocument& document, const DocumentSpec& wanted)
{
    useEditorFont(document);
    QTextCursor cursor(&document);
    for (size_t p = 0; p < wanted.paragraphs.size(); ++p) {
        QTextBlockFormat block;
        block.setAlignment(wanted.alignment);
        if (p == 0)
            cursor.setBlockFormat(block);
        else
            cursor.insertBlock(block);
        for (const RunSpec& run : wanted.paragraphs[p]) {
            QTextCharFormat format;
            if (!run.family.isEmpty())
                format.setFontFamilies({run.family});
            if (run.points > 0)
                format.setFontPointSize(run.points);
            if (run.foreground.isValid())
                format.setForeground(run.foreground);
            if (run.background.isValid())
                format.setBackground(run.background);
            if (run.styles & Bold)
                format.setFontWeight(QFont::Bold);
            format.setFontItalic(run.styles & Italic);
            format.setFontUnderline(run.styles & Underline);
            format.setFontStrikeOut(run.styles & Strike);
            cursor.insertText(run.text, format);
        }
    }
}

const QString kSong = QStringLiteral("宋体");
const QString kArial = QStringLiteral("Arial");
const QString kYaHei = QStringLiteral("微软雅黑");
const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kOdd(18, 52, 86);

const std::vector<DocumentSpec>& roundTripCases()
{
    static const std::vector<DocumentSpec> cases = {
        {"empty document", {{}}},
        {"ascii with default format", {{{"Hello, world"}}}},
        {"chinese in colours", {{{"今天是晴天，", kSong, 12, kRed}, {"适合出游。", kYaHei, 14, kBlue, Bold}}}},
        {"marks in a cjk face", {{{"√ 完成 × 取消 █", kSong, 10.5, kRed}}}},
        {"marks in a western face", {{{"√ × █ é €", kArial, 9}}}},
        {"styles",
         {{{"bold", {}, 0, {}, Bold},
           {"italic", {}, 0, {}, Italic},
           {"under", {}, 0, {}, Underline},
           {"strike", {}, 0, {}, Strike},
           {"all four", {}, 0, kOdd, Bold | Italic | Underline | Strike},
           {"highlighted", {}, 0, {}, Plain, QColor(255, 255, 0)}}}},
        {"sizes", {{{"a", kArial, 1}, {"b", kArial, 9}, {"c", kArial, 10.5}, {"d", kArial, 22}, {"e", kArial, 72}}}},
        {"empty paragraphs", {{{"first"}}, {}, {}, {{"fourth"}}}},
        {"trailing newline", {{{"line"}}, {}}},
        {"rtf syntax in the text", {{{"a\\b {c} \\par; d\\'41 \\u8730? -1 x"}}}},
        {"tabs, line breaks and digits after words",
         {{{"1\t2\u2028"
            "3",
            kSong, 12, kRed},
           {"42", kSong, 12, kBlue}}}},
        {"outside the basic plane", {{{"笑😀脸𠀋", kSong}}, {{"😀", kArial}}}},
        {"font names the font table must escape",
         {{{"x", QStringLiteral("Odd √ Face; é {1}")}, {"y", QStringLiteral("宋体;\\")}}}},
        {"centred", {{{"标题", kSong, 22, {}, Bold}}, {{"正文"}}}, Qt::AlignHCenter},
    };
    return cases;
}

TEST(RtfRoundTrip, WriteThenReadGivesBackTheDocument)
{
    for (const DocumentSpec& wanted : roundTripCases()) {
        SCOPED_TRACE(wanted.name);
        QTextDocument original;
        fill(original, wanted);
        const QByteArray rtf = writeRtf(original);

        QTextDocument copy;
        useEditorFont(copy);
        copy.setPlainText(QStringLiteral("previous note"));
        const ReadResult result = readRtf(rtf, copy);
        ASSERT_TRUE(result.ok());
        EXPECT_EQ(result.mode, ReadMode::Rtf);
        EXPECT_EQ(copy.toPlainText(), original.toPlainText()) << rtf.constData();
        EXPECT_EQ(snapshotOf(copy), snapshotOf(original)) << rtf.constData();
        // Writing the copy again gives the same bytes: nothing drifts from save to save.
        EXPECT_EQ(writeRtf(copy), rtf);
    }
}

// Readers that do not know \uN show the fallback bytes; in a Chinese face those are GB18030.
TEST(RtfRoundTrip, FallbackBytesAloneGiveTheSameText)
{
    QTextDocument original;
    fill(original, {"", {{{"今天√×█ ok", kSong, 12, kRed}}, {{"𠀋 and é", kYaHei}}}});
    const QByteArray rtf = writeRtf(original);
    EXPECT_TRUE(rtf.contains("\\fcharset134")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("\\u20170\\'bd\\'f1")) << rtf.constData(); // 今 with its GBK bytes

    QString withoutUnicode = QString::fromLatin1(rtf);
    withoutUnicode.remove(QRegularExpression(QStringLiteral("\\\\u-?[0-9]+ ?")));
    QTextDocument oldReader;
    ASSERT_TRUE(readRtf(withoutUnicode.toLatin1(), oldReader).ok());
    EXPECT_EQ(oldReader.toPlainText(), original.toPlainText());
}

// The writer's bytes are pinned: notes are stored in this form and read by other programs, so a
// change to it is a change of the stored format and must be made on purpose (the golden file is
// then written anew from the output this test leaves in the build folder).
TEST(RtfRoundTrip, WriterOutputMatchesTheGoldenFile)
{
    QTextDocument document;
    fill(document, {"golden",
                    {{{"今天是晴天，", kSong, 12, kRed, Bold},
                      {"适合出游。", kYaHei, 14, kBlue},
                      {" Tab\there", kArial, 10.5, {}, Italic}},
                     {},
                     {{"√ × █ é € 😀 {x} \\par", kSong, 0, {}, Underline | Strike, QColor(255, 255, 0)},
                      {"\u2028", kSong},
                      {"42", QStringLiteral("Liberation Sans"), 9, kOdd}}}});
    const QByteArray written = writeRtf(document);
    QFile golden(QStringLiteral(TAVEMO_TEST_DATA_DIR "/rtf/writer-golden.rtf"));
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    const QByteArray expected = golden.readAll();
    if (written != expected) {
        QFile actual(QStringLiteral("writer-golden.actual.rtf"));
        if (actual.open(QIODevice::WriteOnly))
            actual.write(written);
    }
    EXPECT_EQ(written, expected) << written.constData();
}

TEST(RtfRoundTrip, FontTableMarksOnlyChineseFacesAsChinese)
{
    QTextDocument document;
    fill(document, {"", {{{"a", kArial}, {"b", kSong}, {"c", QStringLiteral("Noto Serif CJK SC")}}}});
    const QByteArray rtf = writeRtf(document);
    EXPECT_TRUE(rtf.contains("\\fcharset0 Arial;")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("\\fcharset134\\'cb\\'ce\\'cc\\'e5;")) << rtf.constData(); // 宋体 in GBK
    EXPECT_TRUE(rtf.contains("\\fcharset134 Noto Serif CJK SC;")) << rtf.constData();
}

} // namespace
} // namespace tavemo::richtext
