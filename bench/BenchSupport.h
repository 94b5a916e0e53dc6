#pragma once
// What the note benchmarks share: the one application object, a sample note, and the timing of
// single iterations reported as median and 99th percentile.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

#include <algorithm>
#include <chrono>
#include <vector>

namespace tavemo::bench {

// Creates the application (offscreen unless the environment names a platform) once, before any widget.
inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "tavemo-bench";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    (void)app;
}

// One unit of a note like the ones people write: Chinese text with coloured, bold and marked lines.
// Notes of a given size are copies of it.
inline QTextDocumentFragment sampleNoteUnit()
{
    QTextDocument unit;
    QTextCursor cursor(&unit);
    QTextCharFormat plain, red, bold;
    red.setForeground(QColor(0xE0, 0x20, 0x20));
    bold.setFontWeight(QFont::Bold);
    cursor.insertText(QStringLiteral("今天上午开会，讨论下个月的安排。"), plain);
    cursor.insertText(QStringLiteral("√ 已完成：报告初稿"), red);
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("× 未完成：预算表 "), bold);
    cursor.insertText(QStringLiteral("Meeting at 15:30, room 402."), plain);
    cursor.insertBlock();
    return QTextDocumentFragment(&unit);
}

// The durations of single iterations; reported as the counters median_ms and p99_ms.
struct Samples {
    std::vector<double> ms;
    void add(std::chrono::steady_clock::duration d)
    {
        ms.push_back(std::chrono::duration<double, std::milli>(d).count());
    }
    void report(benchmark::State& state)
    {
        std::sort(ms.begin(), ms.end());
        const auto at = [&](double q) { return ms[std::min(ms.size() - 1, static_cast<size_t>(q * ms.size()))]; };
        state.counters["median_ms"] = at(0.5);
        state.counters["p99_ms"] = at(0.99);
    }
};

} // namespace tavemo::bench
