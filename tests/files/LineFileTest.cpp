// The line files' bytes: what is read from what people and the Windows form wrote, the exact bytes
// written, and reading and writing whole files.

#include "files/LineFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace tavemo::files {
namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

TEST(LineFile, DecodesLineEndsAndBothCodes)
{
    const QString replacement(QChar::ReplacementCharacter);
    struct Case {
        const char* name;
        QByteArray bytes;
        QStringList lines;
    };
    const Case cases[] = {
        {"nothing", "", {}},
        {"CR LF, last line ended", "1\r\n750\r\n", {"1", "750"}},
        {"last line not ended", "1\r\n750", {"1", "750"}},
        {"LF", "1\n2\n", {"1", "2"}},
        {"CR", "1\r2\r", {"1", "2"}},
        {"mixed", "1\r\n2\n3\r4", {"1", "2", "3", "4"}},
        {"LF CR is two breaks", "1\n\r2", {"1", "", "2"}},
        {"empty lines kept", "\r\n\r\n5\r\n", {"", "", "5"}},
        {"UTF-8 with BOM",
         "\xEF\xBB\xBF"
         "1\r\n",
         {"1"}},
        {"marks twice",
         "\xEF\xBB\xBF\xEF\xBB\xBF"
         "1\r\n",
         {"1"}},
        {"GB18030's own mark", "\x84\x31\x95\x33\xB1\xDA\xD6\xBD\r\n", {QStringLiteral("壁纸")}},
        {"U+FEFF after the start is text", "1\xEF\xBB\xBF\r\n", {QStringLiteral("1\uFEFF")}},
        // The mark decides even for bytes that would read as GB18030 without it.
        {"UTF-8 BOM before two-byte UTF-8", "\xEF\xBB\xBF\xCD\xBC\r\n", {QStringLiteral("ͼ")}},
        {"UTF-8 text", "\xE5\xA3\x81\xE7\xBA\xB8.bmp\r\n", {QStringLiteral("壁纸.bmp")}},
        {"UTF-8 without a mark", "\xE6\x98\xA5\xE5\xA4\xA9.bmp\n", {QStringLiteral("春天.bmp")}},
        {"GB18030 text", "\xB1\xDA\xD6\xBD.bmp\r\n", {QStringLiteral("壁纸.bmp")}},
        // Byte for byte also valid UTF-8 ("ͼƬ.bmp"): what we write must read back as written.
        {"GB18030 that is valid UTF-8", "\xCD\xBC\xC6\xAC.bmp\r\n", {QStringLiteral("图片.bmp")}},
        {"GB18030 four-byte character", "\x81\x30\x81\x30", {QString(QChar(0x80))}},
        // Bytes GB18030 does not define, and a character cut at the end, cost one U+FFFD a byte.
        {"undefined bytes",
         "a\x80"
         "b\xFF",
         {"a" + replacement + "b" + replacement}},
        {"cut at the end", "\xB1\xDA\xD6", {QStringLiteral("壁") + replacement}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(decodeLines(c.bytes), c.lines) << c.name;
}

TEST(LineFile, WritesGb18030WithCrLfAfterEveryLine)
{
    EXPECT_EQ(encodeLines({"1", "750", "-5"}), QByteArray("1\r\n750\r\n-5\r\n"));
    EXPECT_EQ(encodeLines({QStringLiteral("壁纸.bmp")}), QByteArray("\xB1\xDA\xD6\xBD.bmp\r\n"));
    EXPECT_EQ(encodeLines({}), QByteArray());
    for (const QString& name : {QStringLiteral("桌面"), QStringLiteral("图片.bmp"), QStringLiteral("默认山水纸"),
                                QStringLiteral("😀 beyond the BMP")})
        EXPECT_EQ(decodeLines(encodeLines({name, "2"})), QStringList({name, "2"})) << name.toStdString();
}

TEST(LineFile, WriteReplacesTheFileWholeAndReadGivesItBack)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data/FormSize.ini")); // the folder is made
    ASSERT_TRUE(writeLines(path, {"1", "2"}).ok());
    const Outcome second = writeLines(path, {"3"});
    ASSERT_TRUE(second.ok()) << second.text().toStdString();
    const Result<QStringList> read = readLines(path);
    ASSERT_TRUE(read.ok()) << read.outcome.text().toStdString();
    EXPECT_EQ(read.value, QStringList({"3"}));
    EXPECT_EQ(QDir(dir.filePath("data")).entryList(QDir::Files | QDir::Hidden), QStringList({"FormSize.ini"}));

    // Missing: its own failure, naming the file. A folder in its place cannot be read or replaced.
    const Result<QStringList> missing = readLines(dir.filePath("none.ini"));
    EXPECT_EQ(missing.outcome.failure, Failure::Missing);
    EXPECT_TRUE(missing.outcome.message.contains(dir.filePath("none.ini")));
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken.ini"));
    const Result<QStringList> folder = readLines(dir.filePath("taken.ini"));
    EXPECT_FALSE(folder.ok());
    EXPECT_NE(folder.outcome.failure, Failure::Missing);
    const Outcome overFolder = writeLines(dir.filePath("taken.ini"), {"1"});
    EXPECT_FALSE(overFolder.ok());
    EXPECT_TRUE(overFolder.message.contains(dir.filePath("taken.ini"))) << overFolder.message.toStdString();
    // A file where the folder should be: the folder cannot be made.
    writeFile(dir.filePath("file"), "x");
    const Outcome noFolder = writeLines(dir.filePath("file/FormSize.ini"), {"1"});
    EXPECT_FALSE(noFolder.ok());
    EXPECT_TRUE(noFolder.message.contains(dir.filePath("file")));
}

// Longer than the limit is refused whole: a cut list would be written back shortened.
TEST(LineFile, ReadsUpToTheSizeLimitAndRefusesMore)
{
    QTemporaryDir dir;
    const QByteArray line = QByteArray(1023, 'a') + '\n'; // 1 KiB a line
    const QString atLimit = dir.filePath("at-limit.ini");
    writeFile(atLimit, line.repeated(kMaxLineFileBytes / line.size()));
    const Result<QStringList> read = readLines(atLimit);
    ASSERT_TRUE(read.ok()) << read.outcome.text().toStdString();
    EXPECT_EQ(read.value.size(), kMaxLineFileBytes / line.size());

    const QString over = dir.filePath("over.ini");
    writeFile(over, line.repeated(kMaxLineFileBytes / line.size()) + 'b');
    const Result<QStringList> refused = readLines(over);
    EXPECT_EQ(refused.outcome.failure, Failure::Unreadable);
    EXPECT_TRUE(refused.value.isEmpty());
    EXPECT_TRUE(refused.outcome.message.contains(over)) << refused.outcome.message.toStdString();
}

} // namespace
} // namespace tavemo::files
