// What one date change costs: the month fill with its face rebuild, and repainting the whole
// control (face, title and all 63 grid cells). Target: both together within 2 ms.

#include "calendar_view/ChnCalendarPicker.h"
#include "drawing/FontSetup.h"
#include "engine/DateTime.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

namespace {

using tavemo::calendar_view::TChnCalendar;

QApplication& application()
{
    static int argc = 1;
    static char name[] = "bench_calendar_view";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = [] {
        auto* a = new QApplication(argc, argv);
        tavemo::drawing::installFontSubstitutions();
        return a;
    }();
    return *app;
}

double date(int y, int m, int d)
{
    double v = 0;
    tavemo::engine::tryEncodeDate(y, m, d, v);
    return v;
}

QImage backgroundPicture()
{
    QImage picture(420, 340, QImage::Format_RGB32);
    QPainter p(&picture);
    QLinearGradient sky(0, 0, 0, 340);
    sky.setColorAt(0, QColor(0x7f, 0xb6, 0xe8));
    sky.setColorAt(1, QColor(0x4f, 0x7f, 0x45));
    p.fillRect(picture.rect(), sky);
    return picture;
}

struct Fixture {
    TChnCalendar calendar;
    QImage target{313, 253, QImage::Format_ARGB32_Premultiplied};
    explicit Fixture(bool withPicture)
    {
        calendar.setStretch(true);
        if (withPicture)
            calendar.setBackGround(backgroundPicture());
        calendar.show();
    }
    void fill(int i) { calendar.setDateTime(date(2024, 1 + i % 12, 10 + i % 2)); }
    void repaint() { calendar.render(&target); }
};

void BM_MonthFillWithFace(benchmark::State& state)
{
    application();
    Fixture f(state.range(0) != 0);
    int i = 0;
    for (auto _ : state)
        f.fill(i++);
}
BENCHMARK(BM_MonthFillWithFace)->Arg(0)->Arg(1)->ArgName("picture")->Unit(benchmark::kMicrosecond);

void BM_FullRepaint(benchmark::State& state)
{
    application();
    Fixture f(state.range(0) != 0);
    f.fill(0);
    for (auto _ : state)
        f.repaint();
}
BENCHMARK(BM_FullRepaint)->Arg(0)->Arg(1)->ArgName("picture")->Unit(benchmark::kMicrosecond);

void BM_DateChangeEndToEnd(benchmark::State& state)
{
    application();
    Fixture f(state.range(0) != 0);
    int i = 0;
    for (auto _ : state) {
        f.fill(i++);
        f.repaint();
    }
}
BENCHMARK(BM_DateChangeEndToEnd)->Arg(0)->Arg(1)->ArgName("picture")->Unit(benchmark::kMicrosecond);

} // namespace
