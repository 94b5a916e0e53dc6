// What a keystroke costs: the save of the whole note (the editor's RTF written and stored with a
// flushed commit) and the load of the note of a day, for notes of about 2 KB, 64 KB and 1 MB of RTF.
// Each iteration is timed alone; the counters give the median and the 99th percentile in ms.

#include "AppPath.h"
#include "NoteStore.h"
#include "RtfCodec.h"
#include "uDM.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextEdit>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

using namespace tavemo::notes;

void ensureApplication()
{
    static int argc = 1;
    static char name[] = "bench_notes";
    static char *argv[] = {name, nullptr};
    static QApplication *app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    (void)app;
}

// A note like the ones people write: Chinese text with coloured, bold and marked lines.
void fillNote(QTextEdit &editor, qsizetype rtfBytes)
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

    // The RTF grows by a fixed amount per copy of the unit after a fixed header.
    const QTextDocumentFragment fragment(&unit);
    const auto rtfSizeOf = [&](int copies) {
        QTextDocument document;
        QTextCursor at(&document);
        for (int i = 0; i < copies; ++i)
            at.insertFragment(fragment);
        return tavemo::richtext::writeRtf(document).size();
    };
    const qsizetype perCopy = rtfSizeOf(2) - rtfSizeOf(1);
    const qsizetype header = rtfSizeOf(1) - perCopy;
    const qsizetype copies = std::max<qsizetype>(1, (rtfBytes - header + perCopy - 1) / perCopy);

    editor.clear();
    QTextCursor target(editor.document());
    for (qsizetype i = 0; i < copies; ++i)
        target.insertFragment(fragment);
}

struct Samples {
    std::vector<double> ms;
    void add(std::chrono::steady_clock::duration d) { ms.push_back(std::chrono::duration<double, std::milli>(d).count()); }
    void report(benchmark::State &state)
    {
        std::sort(ms.begin(), ms.end());
        const auto at = [&](double q) { return ms[std::min(ms.size() - 1, static_cast<size_t>(q * ms.size()))]; };
        state.counters["median_ms"] = at(0.5);
        state.counters["p99_ms"] = at(0.99);
    }
};

struct Fixture {
    explicit Fixture(qsizetype rtfBytes)
    {
        NoteStore::create(tavemo::paths::noteDatabasePath(dir.path()));
        opened = dm.DataModuleCreate(dir.path()).ok;
        fillNote(editor, rtfBytes);
        dm.SaveDayNote(editor);
    }
    bool applicationReady = (ensureApplication(), true); // before the editor
    QTemporaryDir dir;
    TDM dm{[] { return 40723.0; }};
    QTextEdit editor;
    bool opened = false;
};

void BM_SaveAfterKeystroke(benchmark::State &state)
{
    Fixture f(state.range(0));
    if (!f.opened) {
        state.SkipWithError("cannot open the note database");
        return;
    }
    state.counters["rtf_bytes"] = static_cast<double>(tavemo::richtext::writeRtf(*f.editor.document()).size());
    Samples samples;
    bool typeNext = true;
    for (auto _ : state) {
        // Type a character, then take it back, so the note keeps its size.
        QTextCursor cursor(f.editor.document());
        cursor.movePosition(QTextCursor::End);
        if (typeNext)
            cursor.insertText(QStringLiteral("字"));
        else
            cursor.deletePreviousChar();
        typeNext = !typeNext;
        const auto start = std::chrono::steady_clock::now();
        const bool stored = f.dm.SaveDayNote(f.editor).ok;
        const auto elapsed = std::chrono::steady_clock::now() - start;
        if (!stored)
            state.SkipWithError("save failed");
        samples.add(elapsed);
        state.SetIterationTime(std::chrono::duration<double>(elapsed).count());
    }
    samples.report(state);
}

void BM_LoadDay(benchmark::State &state)
{
    Fixture f(state.range(0));
    if (!f.opened) {
        state.SkipWithError("cannot open the note database");
        return;
    }
    Samples samples;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const bool loaded = f.dm.LoadDayNote(f.editor).ok;
        const auto elapsed = std::chrono::steady_clock::now() - start;
        if (!loaded)
            state.SkipWithError("load failed");
        samples.add(elapsed);
        state.SetIterationTime(std::chrono::duration<double>(elapsed).count());
    }
    samples.report(state);
}

BENCHMARK(BM_SaveAfterKeystroke)->Arg(2 << 10)->Arg(64 << 10)->Iterations(300)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveAfterKeystroke)->Arg(1 << 20)->Iterations(40)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadDay)->Arg(2 << 10)->Arg(64 << 10)->Iterations(300)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadDay)->Arg(1 << 20)->Iterations(40)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
