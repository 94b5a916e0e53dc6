// calendar-snapshot DATE OUT.png [--size WxH] [--week-numbers] [--background PICTURE]
//
// Shows the month-view calendar chosen on DATE (YYYY-MM-DD) offscreen and writes what it shows
// to OUT.png. A background picture is stretched over the control and blended at the control's
// default weight.

#include "calendar_view/ChnCalendarPicker.h"
#include "engine/DateTime.h"
#include "drawing/FontSetup.h"
#include "engine/LunarCore.h"

#include <QApplication>
#include <QImage>
#include <QRegularExpression>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

namespace {

int usage()
{
    std::fprintf(stderr, "用法：calendar-snapshot DATE OUT.png [--size WxH] [--week-numbers] [--background PICTURE]\n"
                         "  DATE 的格式为 YYYY-MM-DD，年份为 1 至 2100（1582-10-15 之前为儒略历日期）\n");
    return 2;
}

// The program reports its own errors; Qt's diagnostics stay off stderr. Should Qt fail to start at
// all, that is said in a line of ours instead of an abort.
void quietQt(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtFatalMsg)
        return;
    std::fprintf(stderr, "calendar-snapshot: 无法启动 Qt（%s）\n", message.simplified().toUtf8().constData());
    std::fflush(stderr);
    std::_Exit(1);
}

} // namespace

int main(int argc, char** argv)
{
    // The control is drawn offscreen whatever display the environment names: nothing is shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietQt);
    QApplication app(argc, argv);
    tavemo::drawing::installFontSubstitutions();

    QStringList args = app.arguments().mid(1);
    QString date, out, background;
    QSize size(313, 253);
    bool weekNumbers = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--week-numbers")) {
            weekNumbers = true;
        } else if (a == QLatin1String("--size") && i + 1 < args.size()) {
            const auto m = QRegularExpression(QStringLiteral("^(\\d+)x(\\d+)$")).match(args[++i]);
            if (!m.hasMatch())
                return usage();
            size = QSize(m.captured(1).toInt(), m.captured(2).toInt());
            if (size.width() < 50 || size.height() < 80 || size.width() > 4000 || size.height() > 4000) {
                std::fprintf(stderr, "calendar-snapshot: 尺寸必须在 50x80 与 4000x4000 之间\n");
                return 2;
            }
        } else if (a == QLatin1String("--background") && i + 1 < args.size()) {
            background = args[++i];
        } else if (a.startsWith(QLatin1String("--"))) {
            return usage();
        } else if (date.isEmpty()) {
            date = a;
        } else if (out.isEmpty()) {
            out = a;
        } else {
            return usage();
        }
    }
    if (date.isEmpty() || out.isEmpty())
        return usage();

    const auto m = QRegularExpression(QStringLiteral("^(\\d{1,4})-(\\d{1,2})-(\\d{1,2})$")).match(date);
    double value = 0;
    if (m.hasMatch() && tavemo::engine::isDroppedDay(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt())) {
        std::fprintf(stderr, "calendar-snapshot: “%s”不存在：儒略历 1582-10-04 的下一天是格里历 1582-10-15\n",
                     qPrintable(date));
        return 2;
    }
    if (!m.hasMatch() || !tavemo::engine::tryEncodeDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), value)
        || m.captured(1).toInt() > 2100) {
        std::fprintf(stderr, "calendar-snapshot: “%s”不是 0001-01-01 至 2100-12-31 之间的日期\n", qPrintable(date));
        return 2;
    }

    tavemo::calendar_view::TChnCalendar calendar;
    calendar.setStretch(true);
    calendar.resize(size);
    if (!background.isEmpty()) {
        QImage picture(background);
        if (picture.isNull()) {
            std::fprintf(stderr, "calendar-snapshot: 无法读取图片 %s\n", qPrintable(background));
            return 1;
        }
        calendar.setBackGround(picture);
    }
    calendar.show();
    calendar.setDateTime(value);
    if (weekNumbers)
        calendar.setShowWeekNum(true);

    const QImage shot = calendar.grab().toImage();
    if (!shot.save(out, "PNG")) {
        std::fprintf(stderr, "calendar-snapshot: 无法写入 %s\n", qPrintable(out));
        return 1;
    }
    return 0;
}
