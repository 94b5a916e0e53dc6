// What a keystroke costs: the save of the whole note (the editor's RTF written and stored with a
// flushed commit) and the load of the note of a day, for notes of about 2 KB, 64 KB and 1 MB of RTF.
// Each iteration is timed alone; the counters give the median and the 99th percentile in ms.
//
// What listing a large library costs: NoteStore::list over 36,500 notes of 2 KB (a hundred years
// of days) and over 1,000 notes of 1 MB, beside the bare SQLite C API running the same query on
// the same file. Store and bare alternate within each iteration, so both meet the same caches;
// the counters give both medians and their ratio (goal: at most 3).
//
// What exporting it costs: NoteBook::exportAll of the same libraries as RTF (the stored bytes,
// one file a day, each under a temporary name, one sync, the renames, a sync of the folder) into
// a fresh folder, beside a plain loop over the bare SQLite C API that writes the same files under
// their names and makes them as durable at the end (one sync of the file system and of the
// folder). The counters give both medians and their ratio (goal: at most 2).

#include "notes/DateKey.h"
#include "notes/NoteBook.h"
#include "notes/NoteStore.h"
#include "notes/uDM.h"
#include "paths/AppPath.h"
#include "richtext/RtfCodec.h"

#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDate>
#include <QFile>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextEdit>

#include <sqlite3.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace tavemo::notes;
using tavemo::Result;
using tavemo::bench::ensureApplication;
using tavemo::bench::Samples;

// The editor holds copies of the sample note, as many as make its RTF about `rtfBytes`.
void fillNote(QTextEdit& editor, qsizetype rtfBytes)
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

constexpr double kDay = 40723.0; // 2011-06-29

struct Fixture {
    explicit Fixture(qsizetype rtfBytes)
    {
        NoteStore::create(tavemo::paths::noteDatabasePath(dir.path()));
        opened = dm.DataModuleCreate(dir.path()).ok() && dm.LoadDayNote(kDay, *editor.document()).ok();
        fillNote(editor, rtfBytes);
        dm.SaveDayNote(kDay, *editor.document());
    }
    bool applicationReady = (ensureApplication(), true); // before the editor
    QTemporaryDir dir;
    TDM dm;
    QTextEdit editor;
    bool opened = false;
};

void BM_SaveAfterKeystroke(benchmark::State& state)
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
        const bool stored = f.dm.SaveDayNote(kDay, *f.editor.document()).ok();
        const auto elapsed = std::chrono::steady_clock::now() - start;
        if (!stored)
            state.SkipWithError("save failed");
        samples.add(elapsed);
        state.SetIterationTime(std::chrono::duration<double>(elapsed).count());
    }
    samples.report(state);
}

void BM_LoadDay(benchmark::State& state)
{
    Fixture f(state.range(0));
    if (!f.opened) {
        state.SkipWithError("cannot open the note database");
        return;
    }
    Samples samples;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const bool loaded = f.dm.LoadDayNote(kDay, *f.editor.document()).ok();
        const auto elapsed = std::chrono::steady_clock::now() - start;
        if (!loaded)
            state.SkipWithError("load failed");
        samples.add(elapsed);
        state.SetIterationTime(std::chrono::duration<double>(elapsed).count());
    }
    samples.report(state);
}

// A note database of `count` notes of `bytes` each on consecutive days, written in one
// transaction below the store (its triggers count the revisions as for any writer). Each note is
// RTF, so that an RTF export hands on its bytes as they are.
class Library {
public:
    Library(int count, int bytes)
    {
        path = tavemo::paths::noteDatabasePath(dir.path());
        if (!NoteStore::create(path).ok())
            return;
        sqlite3* db = nullptr;
        if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK) {
            sqlite3_close(db);
            return;
        }
        sqlite3_stmt* insert = nullptr;
        bool ok = sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK &&
                  sqlite3_prepare_v2(db, "INSERT INTO UserCon(conIndex, data) VALUES(?1, ?2)", -1, &insert, nullptr) ==
                      SQLITE_OK;
        QByteArray note(bytes, Qt::Uninitialized);
        const QDate first(1926, 1, 1);
        for (int i = 0; ok && i < count; ++i) {
            for (int b = 0; b < bytes; ++b)
                note[b] = static_cast<char>('A' + (b * 7 + i) % 26);
            note.replace(0, 7, "{\\rtf1 ");
            note[bytes - 1] = '}';
            const QDate day = first.addDays(i);
            const QByteArray key = dateKey(day.year(), day.month(), day.day()).toLatin1();
            ok = sqlite3_bind_text(insert, 1, key.constData(), static_cast<int>(key.size()), SQLITE_TRANSIENT) ==
                     SQLITE_OK &&
                 sqlite3_bind_blob(insert, 2, note.constData(), static_cast<int>(note.size()), SQLITE_STATIC) ==
                     SQLITE_OK &&
                 sqlite3_step(insert) == SQLITE_DONE && sqlite3_reset(insert) == SQLITE_OK;
        }
        sqlite3_finalize(insert);
        ready = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
        sqlite3_close(db);
    }

    // One library of each shape, kept for every benchmark that lists it.
    static Library& of(int count, int bytes)
    {
        static std::map<std::pair<int, int>, std::unique_ptr<Library>> made;
        auto& library = made[{count, bytes}];
        if (!library)
            library = std::make_unique<Library>(count, bytes);
        return *library;
    }

    QTemporaryDir dir;
    QString path;
    bool ready = false;
};

// The query NoteStore::list runs.
constexpr const char* kListSql =
    "SELECT conIndex, CASE typeof(data) WHEN 'text' THEN length(CAST(data AS BLOB)) ELSE length(data) END "
    "FROM UserCon ORDER BY conIndex";

void BM_ListLibrary(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const int bytes = static_cast<int>(state.range(1));
    Library& library = Library::of(count, bytes);
    std::unique_ptr<NoteStore> store;
    sqlite3* bare = nullptr;
    sqlite3_stmt* query = nullptr;
    if (!library.ready || !NoteStore::open(library.path, NoteStore::Access::ReadOnly, &store).ok() ||
        sqlite3_open_v2(QFile::encodeName(library.path).constData(), &bare, SQLITE_OPEN_READONLY, nullptr) !=
            SQLITE_OK ||
        sqlite3_prepare_v2(bare, kListSql, -1, &query, nullptr) != SQLITE_OK) {
        state.SkipWithError("cannot make or open the library");
        sqlite3_close(bare);
        return;
    }
    Samples storeSamples;
    Samples bareSamples;
    std::vector<NoteStore::Entry> entries;
    std::vector<std::pair<std::string, sqlite3_int64>> rows;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        const bool listed = store->list(&entries).ok();
        const auto storeElapsed = std::chrono::steady_clock::now() - start;

        start = std::chrono::steady_clock::now();
        rows.clear();
        while (sqlite3_step(query) == SQLITE_ROW)
            rows.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(query, 0)),
                              sqlite3_column_int64(query, 1));
        sqlite3_reset(query);
        const auto bareElapsed = std::chrono::steady_clock::now() - start;

        qint64 listedBytes = 0;
        for (const NoteStore::Entry& entry : entries)
            listedBytes += entry.size;
        if (!listed || entries.size() != rows.size() || listedBytes != qint64(count) * bytes)
            state.SkipWithError("the store and bare SQLite list different notes");
        storeSamples.add(storeElapsed);
        bareSamples.add(bareElapsed);
        state.SetIterationTime(std::chrono::duration<double>(storeElapsed).count());
    }
    sqlite3_finalize(query);
    sqlite3_close(bare);
    storeSamples.report(state); // median_ms and p99_ms: the store's
    std::sort(bareSamples.ms.begin(), bareSamples.ms.end());
    const double bareMedian = bareSamples.ms.empty() ? 0 : bareSamples.ms[bareSamples.ms.size() / 2];
    state.counters["bare_median_ms"] = bareMedian;
    state.counters["ratio"] = bareMedian > 0 ? state.counters["median_ms"] / bareMedian : 0;
}

// The bare export: every row's bytes written to "YYYY-MM-DD.rtf" in `folder`, then one sync of the
// file system and one of the folder. False when anything failed.
bool bareExport(sqlite3_stmt* query, int folder)
{
    bool ok = true;
    while (ok && sqlite3_step(query) == SQLITE_ROW) {
        const std::string key(reinterpret_cast<const char*>(sqlite3_column_text(query, 0)));
        const std::string name = key.substr(0, 4) + '-' + key.substr(4, 2) + '-' + key.substr(6, 2) + ".rtf";
        const auto* data = static_cast<const char*>(sqlite3_column_blob(query, 1));
        const auto size = static_cast<size_t>(sqlite3_column_bytes(query, 1));
        const int fd = ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        ok = fd >= 0;
        for (size_t done = 0; ok && done < size;) {
            const ssize_t n = ::write(fd, data + done, size - done);
            ok = n > 0;
            done += ok ? static_cast<size_t>(n) : 0;
        }
        ok = fd >= 0 && ::close(fd) == 0 && ok;
    }
    sqlite3_reset(query);
    return ok && ::syncfs(folder) == 0 && ::fsync(folder) == 0;
}

void BM_ExportLibrary(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const int bytes = static_cast<int>(state.range(1));
    Library& library = Library::of(count, bytes);
    Result<std::unique_ptr<NoteBook>> book;
    sqlite3* bare = nullptr;
    sqlite3_stmt* query = nullptr;
    const NoteFormat* rtf = findNoteFormat(u"rtf");
    if (library.ready)
        book = NoteBook::open(library.dir.path(), NoteBook::Access::ReadOnly);
    if (!library.ready || !book.ok() || !rtf ||
        sqlite3_open_v2(QFile::encodeName(library.path).constData(), &bare, SQLITE_OPEN_READONLY, nullptr) !=
            SQLITE_OK ||
        sqlite3_prepare_v2(bare, "SELECT conIndex, data FROM UserCon ORDER BY conIndex", -1, &query, nullptr) !=
            SQLITE_OK) {
        state.SkipWithError("cannot make or open the library");
        sqlite3_close(bare);
        return;
    }
    Samples storeSamples;
    Samples bareSamples;
    // Fresh folders beside the library, on the same disk, kept to the end: ext4 makes files slowly
    // for a while after many were deleted (it skips their inodes), which would burden whichever
    // side came first after a removal.
    std::vector<std::unique_ptr<QTemporaryDir>> targets;
    for (auto _ : state) {
        QTemporaryDir& storeTarget = *targets.emplace_back(
            std::make_unique<QTemporaryDir>(library.dir.filePath(QStringLiteral("export-XXXXXX"))));
        QTemporaryDir& bareTarget =
            *targets.emplace_back(std::make_unique<QTemporaryDir>(library.dir.filePath(QStringLiteral("bare-XXXXXX"))));
        const int bareFolder =
            ::open(QFile::encodeName(bareTarget.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ExportCounts counts;
        // Each side's sync then flushes its own files only.
        const auto settle = [&] {
            if (bareFolder >= 0)
                ::syncfs(bareFolder);
        };

        settle();
        auto start = std::chrono::steady_clock::now();
        const bool exported = book.value
                                  ->exportAll(
                                      storeTarget.path(), *rtf, false, [](const QString&) {}, &counts)
                                  .ok();
        const auto storeElapsed = std::chrono::steady_clock::now() - start;

        settle();
        start = std::chrono::steady_clock::now();
        const bool bareExported = bareFolder >= 0 && bareExport(query, bareFolder);
        const auto bareElapsed = std::chrono::steady_clock::now() - start;
        if (bareFolder >= 0)
            ::close(bareFolder);

        if (!exported || !bareExported || counts.written != count)
            state.SkipWithError("the export failed");
        storeSamples.add(storeElapsed);
        bareSamples.add(bareElapsed);
        state.SetIterationTime(std::chrono::duration<double>(storeElapsed).count());
    }
    sqlite3_finalize(query);
    sqlite3_close(bare);
    storeSamples.report(state); // median_ms and p99_ms: the note book's
    std::sort(bareSamples.ms.begin(), bareSamples.ms.end());
    const double bareMedian = bareSamples.ms.empty() ? 0 : bareSamples.ms[bareSamples.ms.size() / 2];
    state.counters["bare_median_ms"] = bareMedian;
    state.counters["ratio"] = bareMedian > 0 ? state.counters["median_ms"] / bareMedian : 0;
}

BENCHMARK(BM_SaveAfterKeystroke)
    ->Arg(2 << 10)
    ->Arg(64 << 10)
    ->Iterations(300)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveAfterKeystroke)->Arg(1 << 20)->Iterations(40)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadDay)->Arg(2 << 10)->Arg(64 << 10)->Iterations(300)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadDay)->Arg(1 << 20)->Iterations(40)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListLibrary)
    ->Args({36500, 2 << 10})
    ->Args({1000, 1 << 20})
    ->Iterations(20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportLibrary)
    ->Args({36500, 2 << 10})
    ->Args({1000, 1 << 20})
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
