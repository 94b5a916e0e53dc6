// Reading notes as Windows rich edit controls write them, plain-text notes, and hostile bytes.

#include "DocumentSnapshot.h"
#include "richtext/RtfCodec.h"

#include <QFile>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace tavemo::richtext {
namespace {

using test::ParagraphSnapshot;
using test::RunSnapshot;
using test::snapshotOf;

QByteArray fixture(const char* name)
{
    QFile file(QStringLiteral(TAVEMO_TEST_DATA_DIR "/rtf/") + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

RunSnapshot run(const QString& text, const QString& family, int halfPoints, const char* foreground = "",
                const char* background = "", bool bold = false, bool italic = false, bool underline = false,
                bool strikeOut = false)
{
    return {text,   family,    halfPoints, QLatin1String(foreground), QLatin1String(background), bold,
            italic, underline, strikeOut};
}

std::vector<ParagraphSnapshot> readFixture(const char* name)
{
    QTextDocument document;
    const ReadResult result = readRtf(fixture(name), document);
    EXPECT_TRUE(result.ok());
    EXPECT_EQ(result.mode, ReadMode::Rtf);
    return snapshotOf(document);
}

TEST(RtfReader, ChineseTextInGbkBytesWithColoursAndTwoFonts)
{
    const QString song = QStringLiteral("宋体");
    const std::vector<ParagraphSnapshot> expected = {
        {Qt::AlignLeft, {run("今天是晴天", song, 24, "#ff0000", "", true), run("。", song, 24)}},
        {Qt::AlignLeft, {run("Meeting at 3 pm", "Arial", 20, "#008000"), run("下午三点开会", song, 24)}},
    };
    EXPECT_EQ(readFixture("gbk-colours.rtf"), expected);
}

TEST(RtfReader, BytesFollowTheFontsCharacterSetAndStylesSwitchOnAndOff)
{
    const QString hei = QStringLiteral("黑体");
    const QString ming = QStringLiteral("細明體");
    const std::vector<ParagraphSnapshot> expected = {
        // Big5 with a trail byte written as a plain letter, then Windows-1252.
        {Qt::AlignLeft, {run("記事本", ming, 28), run(" café", "Times New Roman", 24)}},
        {Qt::AlignHCenter,
         {run("重要", hei, 24, "", "#ffff00"), run("\t", hei, 24), run("记得", hei, 24, "", "", false, false, true),
          run("\u2028", hei, 24), run("带伞", hei, 24, "", "", false, false, false, true)}},
        // \uN with \ucN fallbacks of 1, 2 and 0 units; \plain went back to the default font.
        {Qt::AlignLeft, {run("√✔█", hei, 24), run("end", hei, 24, "#0000ff", "", false, true)}},
    };
    EXPECT_EQ(readFixture("charsets-and-styles.rtf"), expected);
}

TEST(RtfReader, SkipsPicturesBinaryDataAndUnknownDestinationsAndFlattensTables)
{
    const QString song = QStringLiteral("宋体");
    const std::vector<ParagraphSnapshot> expected = {
        {Qt::AlignLeft, {run("购物清单", song, 24)}},
        {Qt::AlignLeft, {run("苹果\t", song, 24), run("2", song, 24, "#c00000")}},
        {Qt::AlignLeft, {run("牛奶\t1", song, 24)}},
        {Qt::AlignLeft, {run("完成", song, 24, "", "", false, false, true)}},
    };
    EXPECT_EQ(readFixture("skipped-groups.rtf"), expected);
}

// LibreOffice writes the properties of Chinese text as associated properties after \dbch (\af, \afs,
// \ab), Latin ones after \loch, complex-script ones after \rtlch; each run reads with those of its
// own script. (The fixture is LibreOffice's RTF of libreoffice-chinese.fodt; its default Chinese
// font \af11 names no entry of the font table, so that text keeps the Latin font.)
TEST(RtfReader, LibreOfficeChineseRunsKeepTheirBoldSizeAndFont)
{
    const QString serif = QStringLiteral("Liberation Serif");
    const std::vector<ParagraphSnapshot> expected = {
        {Qt::AlignLeft,
         {run("重要通知", QStringLiteral("黑体"), 32, "", "", true), run("：明天 9 点开会。", serif, 24)}},
        {Qt::AlignLeft,
         {run("请带", serif, 24), run("笔记本 notebook", serif, 24, "#c00000", "", false, true), run("和", serif, 24),
          run("Bold 粗体", serif, 24, "", "", true), run("。", serif, 24)}},
        {Qt::AlignLeft, {run("小字备注", QStringLiteral("Noto Sans CJK SC"), 18, "", "", false, true)}},
    };
    EXPECT_EQ(readFixture("libreoffice-chinese.rtf"), expected);
}

TEST(RtfReader, ReadingReplacesTheDocumentAndRaisesItsChange)
{
    QTextDocument document;
    document.setPlainText(QStringLiteral("another day's note"));
    int changes = 0;
    QObject::connect(&document, &QTextDocument::contentsChanged, [&changes] { ++changes; });
    ASSERT_TRUE(readRtf(fixture("gbk-colours.rtf"), document).ok());
    EXPECT_EQ(document.toPlainText(), QStringLiteral("今天是晴天。\nMeeting at 3 pm下午三点开会"));
    EXPECT_GE(changes, 1);
    EXPECT_FALSE(document.isUndoAvailable()); // a load is not an edit the user can undo
}

// Double-byte code pages put trail bytes in the ASCII range, which writers leave as plain or escaped
// characters between the \'hh escapes; fonts without a character set use the document's code page.
TEST(RtfReader, CharacterSetsDecideHowBytesRead)
{
    struct Case {
        const char* fontTable;
        const char* body;
        QString text;
    };
    const std::vector<Case> cases = {
        {"{\\f0\\fcharset136 A;}", "\\'b3\\\\", "許"},
        {"{\\f0\\fcharset128 A;}", "\\'95\\\\", "表"},
        {"{\\f0\\fcharset134 A;}", "\\'81\\{\\'d6\\'d0", "亄中"},
        {"{\\f0\\fcharset129 A;}", "\\'c7\\'d1", "한"},
        {"{\\f0\\fcharset204 A;}", "\\'c6", "Ж"},
        {"{\\f0\\fcharset0 A;}", "\\'c6", "Æ"},
        {"{\\f0 A;}", "\\'d6\\'d0", "中"},
        {"{\\f0\\fcharset1 A;}", "\\'d6\\'d0", "中"},
        {"{\\f0\\fcharset134 A;}{\\f1\\fcharset0 B;}", "\\'d6\\f1\\'d0", "\uFFFDÐ"},
    };
    for (const Case& c : cases) {
        const QByteArray rtf =
            QByteArray("{\\rtf1\\ansi\\ansicpg936{\\fonttbl") + c.fontTable + "}\\f0 " + c.body + "}";
        SCOPED_TRACE(rtf.constData());
        QTextDocument document;
        ASSERT_TRUE(readRtf(rtf, document).ok());
        EXPECT_EQ(document.toPlainText(), c.text);
    }
}

TEST(RtfReader, LastParagraphWithoutParagraphMarkKeepsItsAlignment)
{
    QTextDocument document;
    ASSERT_TRUE(readRtf("{\\rtf1\\qr first\\par\\pard\\qc second}", document).ok());
    const auto paragraphs = snapshotOf(document);
    ASSERT_EQ(paragraphs.size(), 2u);
    EXPECT_EQ(paragraphs[0].alignment, Qt::AlignRight);
    EXPECT_EQ(paragraphs[1].alignment, Qt::AlignHCenter);
}

TEST(RtfReader, ColourTableWhoseLastEntryLacksItsSemicolon)
{
    QTextDocument document;
    ASSERT_TRUE(readRtf("{\\rtf1{\\colortbl;\\red0\\green0\\blue255}\\cf1 blue}", document).ok());
    const auto paragraphs = snapshotOf(document);
    ASSERT_EQ(paragraphs.size(), 1u);
    ASSERT_EQ(paragraphs[0].runs.size(), 1u);
    EXPECT_EQ(paragraphs[0].runs[0].foreground, QStringLiteral("#0000ff"));
}

TEST(RtfReader, EmptyBytesGiveAnEmptyDocument)
{
    QTextDocument document;
    document.setPlainText(QStringLiteral("old"));
    const ReadResult result = readRtf({}, document);
    EXPECT_TRUE(result.ok());
    EXPECT_EQ(result.mode, ReadMode::Empty);
    EXPECT_TRUE(document.isEmpty());
}

TEST(RtfReader, BytesThatAreNotRtfAreReadAsPlainText)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        QString text;
    };
    const QString chinese = QStringLiteral("中文笔记");
    const std::vector<Case> cases = {
        {"utf-8 with CR LF", QByteArray("第一行\r\n第二行\r\n"), QStringLiteral("第一行\n第二行\n")},
        {"gb18030", QByteArray("\xd6\xd0\xce\xc4\xb1\xca\xbc\xc7\r\xd2\xbb"), chinese + QStringLiteral("\n一")},
        {"binary junk",
         QByteArray("a\0b\x01\x7f"
                    "c",
                    6),
         QStringLiteral("abc")},
        {"brace without rtf", QByteArray("{not rtf} \\par"), QStringLiteral("{not rtf} \\par")},
        {"rtf header not at the start", QByteArray(" {\\rtf1 x}"), QStringLiteral(" {\\rtf1 x}")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        const ReadResult result = readRtf(c.bytes, document);
        EXPECT_TRUE(result.ok());
        EXPECT_EQ(result.mode, ReadMode::PlainText);
        EXPECT_EQ(document.toPlainText(), c.text.isNull() ? QString::fromLatin1(c.bytes) : c.text);
    }
}

TEST(RtfReader, ControlWordsThatStandForCharactersOrHideText)
{
    struct Case {
        const char* rtf;
        QString text;
    };
    const std::vector<Case> cases = {
        {"{\\rtf1 a\\bullet b\\emdash c\\endash d}", "a\u2022b\u2014c\u2013d"},
        {"{\\rtf1\\lquote q\\rquote\\ldblquote qq\\rdblquote}", "\u2018q\u2019\u201Cqq\u201D"},
        {"{\\rtf1 non\\~break\\_hyphen\\-soft\\emspace\\enspace}", "non\u00A0break\u2011hyphensoft\u2003\u2002"},
        {"{\\rtf1 shown{\\v hidden}\\v gone\\v0  again}", "shown again"},
        {"{\\rtf1 one\\\ntwo\\sect three}", "one\ntwo\nthree"},
        {"{\\rtf1 \\\\\\{\\}}", "\\{}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rtf);
        QTextDocument document;
        ASSERT_TRUE(readRtf(c.rtf, document).ok());
        // The raw text keeps the no-break space that toPlainText turns into a blank.
        EXPECT_EQ(document.toRawText().replace(QChar::ParagraphSeparator, u'\n'), c.text);
    }
}

// RTF that the reader cannot follow is a failed read, not text: read as plain text, its source would
// be saved over the note at the next keystroke.
TEST(RtfReader, RtfNestedTooDeepIsAFailedRead)
{
    QTextDocument document;
    document.setPlainText(QStringLiteral("another day's note"));
    const ReadResult result = readRtf("{\\rtf1 " + QByteArray(300, '{') + "x" + QByteArray(300, '}') + "}", document);
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.error().contains(QStringLiteral("256"))) << result.error().toStdString();
    EXPECT_EQ(document.toPlainText(), QStringLiteral("another day's note"));
}

// Damaged RTF reads for what it holds (the window shows it), and the reader names the damage, for
// those that must read faithfully or not at all.
TEST(RtfReader, DamageIsReadButNamed)
{
    const struct {
        const char* rtf;
        QString text;
        QString damage;
    } cases[] = {
        {"{\\rtf1 whole}", "whole", ""},
        {"{\\rtf1 {\\b cut", "cut", "RTF 不完整：结尾缺少 2 个“}”"},
        {"{\\rtf1\\ansicpg936 ok \\'80 x}", "ok \uFFFD x", "第 19 字节起的文字不是有效的 GB18030 编码"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rtf);
        QTextDocument document;
        const ReadResult result = readRtf(c.rtf, document);
        EXPECT_TRUE(result.ok());
        EXPECT_EQ(document.toPlainText(), c.text);
        EXPECT_EQ(result.damage, c.damage);
    }
}

// Broken and hostile streams end without a crash, in bounded time, with what can be shown.
TEST(RtfReader, HostileStreamsAreReadSafely)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        QString text;
    };
    const std::vector<Case> cases = {
        {"huge numbers",
         "{\\rtf1{\\fonttbl{\\f99999999999\\fcharset99999999999 X;}}\\f99999999999"
         "\\fs99999999999\\cf99999999999\\uc99999999999 a\\u99999999999 bcd}",
         "a\uFFFD"},
        {"negative numbers", "{\\rtf1\\fs-5\\uc-3\\u-4064 x\\cf-1\\highlight-7 y}", "\uF020xy"},
        {"giant binary count", "{\\rtf1 a\\bin2147483647 bcdef}", "a"},
        {"binary count at the end", "{\\rtf1 a\\bin", "a"},
        {"cut in an escape", "{\\rtf1 a\\'4", "a"},
        {"cut in a double-byte pair", "{\\rtf1\\ansicpg936 a\\'d6", "a\uFFFD"},
        {"unclosed groups", "{\\rtf1 a{\\b b{\\i c", "abc"},
        {"closing beyond the document", "{\\rtf1 a}}}} trailing", "a"},
        {"lone surrogates", "{\\rtf1\\uc0\\u-10179 a\\u-8704 b}", "\uFFFDa\uFFFDb"},
        {"control characters and marks", "{\\rtf1 a\\u0 \\u7 b\\'00\\'1b\\'7f c\\u8233?d\\u-4?e}", "ab cde"},
        {"font table without end", "{\\rtf1{\\fonttbl{\\f0 A", ""},
        {"colour table overflow", "{\\rtf1{\\colortbl" + QByteArray(100000, ';') + "}\\cf99999 x}", "x"},
        {"long control word", "{\\rtf1\\" + QByteArray(100000, 'b') + " x}", "x"},
        {"nesting at the limit", "{\\rtf1" + QByteArray(255, '{') + "deep" + QByteArray(255, '}') + "}", "deep"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        const ReadResult result = readRtf(c.bytes, document);
        EXPECT_TRUE(result.ok());
        EXPECT_EQ(result.mode, ReadMode::Rtf);
        EXPECT_EQ(document.toPlainText(), c.text);
    }
}

// Every prefix of a written note reads without a crash and shows the beginning of its text; only the
// last character may differ, where the cut fell inside its escape.
TEST(RtfReader, EveryTruncationOfANoteReadsAsItsBeginning)
{
    QTextDocument original;
    QTextCursor cursor(&original);
    QTextCharFormat red;
    red.setForeground(QColor(255, 0, 0));
    red.setFontFamilies({QStringLiteral("宋体")});
    cursor.insertText(QStringLiteral("开会 √ 😀 {x}\t"), red);
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("second × line"));
    const QByteArray rtf = writeRtf(original);
    const QString full = original.toPlainText();

    for (qsizetype length = 0; length <= rtf.size(); ++length) {
        QTextDocument document;
        ASSERT_TRUE(readRtf(rtf.left(length), document).ok()) << length;
        if (length < 5)
            continue; // shorter prefixes are not RTF yet and read as plain text
        QString text = document.toPlainText();
        // A character outside the basic plane is two escapes; a cut between them spoils both halves.
        text.chop(1);
        if (text.endsWith(QChar(QChar::ReplacementCharacter)) || (!text.isEmpty() && text.back().isHighSurrogate()))
            text.chop(1);
        EXPECT_TRUE(full.startsWith(text)) << length << ": " << text.toStdString();
    }
}

} // namespace
} // namespace tavemo::richtext
