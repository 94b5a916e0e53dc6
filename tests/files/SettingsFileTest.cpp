// The settings files' bytes: what is read from what people and the Windows form wrote, and the
// exact bytes written.

#include "files/SettingsFile.h"
#include "files/WindowSettings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace tavemo::files {
namespace {

TEST(SettingsFile, LinesEndAtCrLfOrCrOrLf)
{
    struct Case {
        const char *name;
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
        {"empty lines kept", "\r\n\r\n5\r\n", {"", "", "5"}},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" "1\r\n", {"1"}},
        {"UTF-8 text", "\xE5\xA3\x81\xE7\xBA\xB8.bmp\r\n", {QStringLiteral("壁纸.bmp")}},
        {"GB18030 text", "\xB1\xDA\xD6\xBD.bmp\r\n", {QStringLiteral("壁纸.bmp")}},
        // Byte for byte also valid UTF-8 ("ͼƬ.bmp"): what we write must read back as written.
        {"GB18030 that is valid UTF-8", "\xCD\xBC\xC6\xAC.bmp\r\n", {QStringLiteral("图片.bmp")}},
        {"UTF-8 Chinese", "\xE5\x9B\xBE\xE7\x89\x87\r\n", {QStringLiteral("图片")}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(decodeSettingsText(c.bytes), c.lines) << c.name;
}

TEST(SettingsFile, WritesGb18030WithCrLfAfterEveryLine)
{
    EXPECT_EQ(encodeSettingsText({"1", "750", "-5"}), QByteArray("1\r\n750\r\n-5\r\n"));
    EXPECT_EQ(encodeSettingsText({QStringLiteral("壁纸.bmp")}), QByteArray("\xB1\xDA\xD6\xBD.bmp\r\n"));
    for (const QString &name : {QStringLiteral("桌面"), QStringLiteral("图片.bmp"), QStringLiteral("默认山水纸")})
        EXPECT_EQ(decodeSettingsText(encodeSettingsText({name, "2"})), QStringList({name, "2"})) << name.toStdString();
}

TEST(SettingsFile, IntegersAreDecimalWithSignAndBlanks)
{
    struct Case {
        const char *line;
        std::optional<int> value;
    };
    const Case cases[] = {
        {"0", 0}, {"750", 750}, {"-1", -1}, {"+3", 3}, {" 12 ", 12}, {"\t7", 7},
        {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
        {"", std::nullopt}, {" ", std::nullopt}, {"-", std::nullopt}, {"abc", std::nullopt},
        {"1a", std::nullopt}, {"1 2", std::nullopt}, {"0x10", std::nullopt}, {"1.5", std::nullopt},
        {"2147483648", std::nullopt}, {"-2147483649", std::nullopt}, {"99999999999999999999", std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(parseSettingsInteger(QString::fromLatin1(c.line)), c.value) << '"' << c.line << '"';
}

TEST(SettingsFile, FormSizeNeedsFiveNumbers)
{
    const std::optional<FormSize> size = parseFormSize({"1", "750", "500", "137", "119", "extra"});
    ASSERT_TRUE(size);
    EXPECT_EQ(size->currentPage, 1);
    EXPECT_EQ(size->width, 750);
    EXPECT_EQ(size->height, 500);
    EXPECT_EQ(size->left, 137);
    EXPECT_EQ(size->top, 119);
    EXPECT_FALSE(parseFormSize({"1", "750", "500", "137"}));
    EXPECT_FALSE(parseFormSize({"1", "750", "x", "137", "119"}));
    EXPECT_EQ(formSizeLines({0, 650, 500, -8, 3}), QStringList({"0", "650", "500", "-8", "3"}));
}

TEST(SettingsFile, WriteReplacesTheFileWholeAndReadGivesItBack)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data/FormSize.ini")); // the folder is made
    QString error;
    ASSERT_TRUE(writeSettingsLines(path, {"1", "2"}, &error)) << error.toStdString();
    ASSERT_TRUE(writeSettingsLines(path, {"3"}, &error)) << error.toStdString();
    EXPECT_EQ(readSettingsLines(path), QStringList({"3"}));
    EXPECT_EQ(QDir(dir.filePath("data")).entryList(QDir::Files), QStringList({"FormSize.ini"})); // no temporary left

    // Missing: nothing, without an error. A folder in its place cannot be read or replaced.
    EXPECT_FALSE(readSettingsLines(dir.filePath("none.ini"), &error));
    EXPECT_TRUE(error.isEmpty());
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken.ini"));
    EXPECT_FALSE(readSettingsLines(dir.filePath("taken.ini"), &error));
    EXPECT_FALSE(writeSettingsLines(dir.filePath("taken.ini"), {"1"}, &error));
    EXPECT_FALSE(error.isEmpty());
    // A file where the folder should be: the folder cannot be made.
    QFile blocker(dir.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(writeSettingsLines(dir.filePath("file/FormSize.ini"), {"1"}, &error));
}

} // namespace
} // namespace tavemo::files
