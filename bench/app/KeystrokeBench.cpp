// What one keystroke costs in the window: the key goes to the note editor, the text changes and
// the change stores the whole note (its RTF written and committed with a flush) before the next
// key is handled. Notes of about 2 KB and 64 KB of RTF; each keystroke is timed alone and the
// counters give the median and the 99th percentile in ms.

#include "app/Environment.h"
#include "app/NotePanel.h"
#include "app/uMain.h"
#include "notes/NoteStore.h"
#include "notes/uDM.h"
#include "paths/AppPath.h"
#include "richtext/RtfCodec.h"

#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextEdit>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

namespace {

using namespace tavemo;

// A note like the ones people write, repeated until its RTF holds about `rtfBytes`.
QByteArray makeNote(qsizetype rtfBytes)
{
    const QTextDocumentFragment fragment = bench::sampleNoteUnit();
    QTextDocument note;
    QTextCursor at(&note);
    QByteArray rtf;
    while ((rtf = richtext::writeRtf(note)).size() < rtfBytes)
        for (int i = 0; i < 16; ++i)
            at.insertFragment(fragment);
    return rtf;
}

struct Fixture {
    explicit Fixture(qsizetype rtfBytes)
    {
        const QString key = QStringLiteral("20110629");
        notes::NoteStore::create(paths::noteDatabasePath(dir.path()));
        std::unique_ptr<notes::NoteStore> store;
        notes::NoteStore::open(paths::noteDatabasePath(dir.path()), notes::NoteStore::Access::ReadWrite, &store);
        store->save(key, makeNote(rtfBytes));
        opened = dm.DataModuleCreate(dir.path()).ok();
        app::Environment env = app::Environment::system();
        env.now = [] { return 40723.5; }; // 2011-06-29 12:00
        env.showMessage = [](QWidget*, const QString&, const QString&) {};
        window = std::make_unique<app::TMainFrm>(dm, dir.path(), env);
        window->FormCreate();
        window->setCurrentPage(1); // as "data\FormSize.ini" gives it
        rtfSize = store->list(&entries).ok() ? entries.front().size : 0;
    }
    bool applicationReady = (bench::ensureApplication(), true); // before any widget
    QTemporaryDir dir;
    notes::TDM dm;
    std::unique_ptr<app::TMainFrm> window;
    std::vector<notes::NoteStore::Entry> entries;
    qint64 rtfSize = 0;
    bool opened = false;
};

void key(QWidget* editor, int code, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
    QApplication::sendEvent(editor, &press);
    QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
    QApplication::sendEvent(editor, &release);
}

void BM_KeystrokeToStoredNote(benchmark::State& state)
{
    Fixture f(state.range(0));
    if (!f.opened || !f.dm.NoteReady()) {
        state.SkipWithError("cannot open or load the note");
        return;
    }
    QTextEdit* editor = f.window->findChild<QTextEdit*>("rdtAbc");
    QTextCursor end = editor->textCursor();
    end.movePosition(QTextCursor::End);
    editor->setTextCursor(end);
    state.counters["rtf_bytes"] = static_cast<double>(f.rtfSize);
    bench::Samples samples;
    bool typeNext = true;
    for (auto _ : state) {
        // A character typed, then taken back with Backspace, so the note keeps its size.
        const auto start = std::chrono::steady_clock::now();
        if (typeNext)
            key(editor, Qt::Key_unknown, QStringLiteral("字"));
        else
            key(editor, Qt::Key_Backspace, QString());
        const auto took = std::chrono::steady_clock::now() - start;
        typeNext = !typeNext;
        samples.add(took);
        state.SetIterationTime(std::chrono::duration<double>(took).count());
    }
    samples.report(state);
    state.counters["saved"] = f.window->findChild<QLabel*>("saveNotice")->isHidden() ? 1 : 0;
}
BENCHMARK(BM_KeystrokeToStoredNote)
    ->Arg(2 * 1024)
    ->Arg(64 * 1024)
    ->Iterations(400)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
