// calendar-snapshot DATE OUT.png [--size WxH] [--week-numbers] [--background PICTURE]
//
// Shows the month-view calendar chosen on DATE (YYYY-MM-DD) offscreen and writes what it shows
// to OUT.png. A background picture is stretched over the control and blended at the control's
// default weight. Exit status: 0 done; 1 the picture could not be read or the file not written;
// 2 bad arguments, nothing written.

#include "QtCli.h"

#include "calendar_view/ChnCalendarPicker.h"
#include "drawing/FontSetup.h"

#include <QApplication>
#include <QImage>
#include <QRegularExpression>

#include <optional>

namespace {

using namespace tavemo;

constexpr std::string_view kHelp =
    "用法：calendar-snapshot DATE OUT.png [--size WxH] [--week-numbers] [--background PICTURE]\n"
    "\n"
    "在屏幕外显示选中 DATE 这一天的月历控件，把它显示的样子写成 PNG 文件 OUT.png。\n"
    "DATE 的格式为 YYYY-MM-DD，年份为 1 至 2100（1582-10-15 之前为儒略历日期）。\n"
    "\n"
    "选项：\n"
    "  --size WxH            控件的大小，默认 313x253，在 50x80 与 4000x4000 之间。\n"
    "  --week-numbers        显示周数。\n"
    "  --background PICTURE  把图片拉伸铺在控件下面，按控件的默认比例混合。\n"
    "  --help, -h            显示本帮助。\n"
    "  --version             显示版本号。\n"
    "带取值的选项也可以写成 --size=640x480 的形式。\n"
    "\n"
    "退出状态：0 成功；1 无法读取图片或写入文件；2 参数有误，此时不写入任何内容。\n";

const cli::Tool kTool{"calendar-snapshot", kHelp};

const cli::Option kOptions[] = {{"--size", true}, {"--week-numbers", false}, {"--background", true}};

int refuse(const std::string& message) { return kTool.complain(cli::kBadInput, kTool.usageError(message)); }

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string_view> args = cli::argumentsOf(argc, argv);
    if (const std::optional<int> answered = kTool.preamble(args))
        return *answered;
    const cli::ScannedArguments scanned = cli::scanArguments(args, kOptions);
    if (!scanned.error.empty())
        return refuse(scanned.error);
    if (scanned.operands.size() != 2)
        return refuse("需要日期 DATE 和输出文件 OUT.png");
    std::string why;
    const std::optional<engine::DateTime> day = cli::dateOperand(scanned.operands[0], false, &why);
    if (!day)
        return refuse(why);
    QSize size(313, 253);
    if (const std::optional<std::string> given = scanned.value("--size")) {
        const auto m = QRegularExpression(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$")).match(cli::qtText(*given));
        if (m.hasMatch())
            size = QSize(m.captured(1).toInt(), m.captured(2).toInt());
        if (!m.hasMatch() || size.width() < 50 || size.height() < 80 || size.width() > 4000 || size.height() > 4000)
            return refuse("尺寸必须在 50x80 与 4000x4000 之间：" + *given);
    }
    const QString out = cli::qtText(scanned.operands[1]);
    const QString background = cli::qtText(scanned.value("--background").value_or(std::string()));

    // The control is drawn offscreen whatever display the environment names: nothing is shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    cli::quietQt(kTool);
    QApplication app(argc, argv);
    drawing::installFontSubstitutions();

    calendar_view::TChnCalendar calendar;
    calendar.setStretch(true);
    calendar.resize(size);
    if (!background.isEmpty()) {
        QImage picture(background);
        if (picture.isNull())
            return cli::complain(kTool, cli::kFailed, QStringLiteral("无法读取图片 %1").arg(background));
        calendar.setBackGround(picture);
    }
    calendar.show();
    calendar.setDateTime(*day);
    if (scanned.has("--week-numbers"))
        calendar.setShowWeekNum(true);

    const QImage shot = calendar.grab().toImage();
    if (!shot.save(out, "PNG"))
        return cli::complain(kTool, cli::kFailed, QStringLiteral("无法写入 %1").arg(out));
    return cli::kDone;
}
