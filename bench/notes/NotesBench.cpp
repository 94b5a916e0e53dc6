// What a keystroke costs: the save of the whole note (the editor's RTF written and stored with a
// flushed commit) and the load of the note of a day, for notes of about 2 KB, 64 KB and 1 MB of RTF.
// Each iteration is timed alone; the counters give the median and the 99th percentile in ms.

#include "paths/AppPath.h"
#include "notes/NoteStore.h"
#include "richtext/RtfCodec.h"
#include "notes/uDM.h"

#include "BenchSupport.h"

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
using tavemo::bench::ensureApplication;
using tavemo::bench::Samples;

// The editor holds copies of the sample note, as many as make its RTF about `rtfBytes`.
void fillNote(QTextEdit &editor, qsizetype rtfBytes)
{
    // The RTF grows by a fixed amount per copy of the unit after a fixed header.
    const QTextDocumentFragment fragment = tavemo::bench::sampleNoteUnit();
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
