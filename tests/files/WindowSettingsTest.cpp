// What the window's working files mean: the integers of their lines, the window's size and place,
// and the flag of the wallpaper question.

#include "files/WindowSettings.h"
#include "files/LineFile.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace tavemo::files {
namespace {

TEST(WindowSettings, IntegersAreDecimalWithSignAndBlanks)
{
    struct Case {
        const char* line;
        std::optional<int> value;
    };
    const Case cases[] = {
        {"0", 0},
        {"750", 750},
        {"-1", -1},
        {"+3", 3},
        {" 12 ", 12},
        {"\t7", 7},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"", std::nullopt},
        {" ", std::nullopt},
        {"-", std::nullopt},
        {"abc", std::nullopt},
        {"1a", std::nullopt},
        {"1 2", std::nullopt},
        {"0x10", std::nullopt},
        {"1.5", std::nullopt},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999999999999", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseSettingsInteger(QString::fromLatin1(c.line)), c.value) << '"' << c.line << '"';
}

TEST(WindowSettings, FormSizeNeedsFiveNumbers)
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

// The one owner of "data\configSetBg.ini": "1" asks, "0" does not, anything else counts as missing.
TEST(WindowSettings, WallpaperPromptIsOneIntegerLine)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Data/configSetBg.ini"));
    EXPECT_EQ(readWallpaperPrompt(path), std::nullopt) << "missing";
    ASSERT_TRUE(writeWallpaperPrompt(path, false).ok());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("0\r\n"));
    EXPECT_EQ(readWallpaperPrompt(path), false);
    ASSERT_TRUE(writeWallpaperPrompt(path, true).ok());
    EXPECT_EQ(readWallpaperPrompt(path), true);

    struct Case {
        QStringList lines;
        std::optional<bool> ask;
    };
    const Case cases[] = {
        {{"1"}, true},    {{"5", "0"}, true}, {{"0"}, false},       {{"-1"}, false},
        {{" 0 "}, false}, {{}, std::nullopt}, {{""}, std::nullopt}, {{"yes"}, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseWallpaperPrompt(c.lines), c.ask) << c.lines.join('|').toStdString();
    EXPECT_EQ(parseWallpaperPrompt(wallpaperPromptLines(true)), true);
    EXPECT_EQ(parseWallpaperPrompt(wallpaperPromptLines(false)), false);
}

} // namespace
} // namespace tavemo::files
