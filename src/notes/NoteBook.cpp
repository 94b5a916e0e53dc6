#include "notes/NoteBook.h"

#include "notes/DateKey.h"
#include "paths/AppPath.h"
#include "richtext/RtfCodec.h"

#include <QSysInfo>
#include <QTextDocument>

namespace tavemo::notes {
namespace {

// The key of a day, or the failure for a value that is not a day of the years 1..9999.
Result<QString> keyOf(engine::DateTime day)
{
    QString key = dateKey(day);
    if (key.isEmpty())
        return {{}, Outcome::failedSaying(Failure::BadInput, QStringLiteral("日期不在 1 至 9999 年之间"))};
    return {std::move(key), Outcome::success()};
}

} // namespace

QString originOf(QStringView program) { return program.toString() + u'@' + QSysInfo::machineHostName(); }

Result<std::unique_ptr<NoteBook>> NoteBook::open(const QString& appDir, Access access)
{
    const QString path = paths::noteDatabasePath(appDir);
    std::unique_ptr<NoteStore> store;
    Outcome opened = NoteStore::open(path, access, &store);
    if (opened.failure == Failure::Missing)
        return {nullptr, opened.saying(QStringLiteral("找不到记事数据库：%1").arg(path))};
    if (!opened.ok())
        return {nullptr, opened.saying(QStringLiteral("无法打开记事数据库 %1：%2").arg(path, opened.detail))};
    return {std::unique_ptr<NoteBook>(new NoteBook(path, std::move(store))), Outcome::success()};
}

Outcome NoteBook::load(engine::DateTime day, StoredNote* note)
{
    const Result<QString> key = keyOf(day);
    return key.ok() ? m_store->load(key.value, note) : key.outcome;
}

Outcome NoteBook::load(engine::DateTime day, QTextDocument& document, StoredNote* note)
{
    StoredNote stored;
    Outcome loaded = load(day, &stored);
    if (loaded.ok()) {
        const richtext::ReadResult read = richtext::readRtf(stored.data.value_or(QByteArray()), document);
        loaded = read.outcome;
    }
    if (!loaded.ok())
        return loaded.saying(QStringLiteral("无法读取 %1 的记事：%2").arg(keyToIsoDate(dateKey(day)), loaded.text()));
    if (note)
        *note = std::move(stored);
    return loaded;
}

Outcome NoteBook::save(engine::DateTime day, const QByteArray& bytes, qint64 expectedRevision, const QString& origin,
                       qint64* newRevision)
{
    const Result<QString> key = keyOf(day);
    return key.ok() ? m_store->save(key.value, bytes, expectedRevision, origin, newRevision) : key.outcome;
}

Outcome NoteBook::save(engine::DateTime day, const QTextDocument& document, qint64 expectedRevision,
                       const QString& origin, qint64* newRevision)
{
    return save(day, richtext::writeRtf(document), expectedRevision, origin, newRevision);
}

Outcome NoteBook::replace(engine::DateTime day, const QByteArray& bytes, const QString& origin)
{
    const Result<QString> key = keyOf(day);
    if (!key.ok())
        return key.outcome;
    qint64 revision = 0;
    if (Outcome read = m_store->revision(key.value, &revision); !read.ok())
        return read;
    // A writer that comes in between the read and the save moves the revision on; the save then
    // stores nothing and hands back the new revision, over which the next try stores.
    Outcome saved;
    for (int attempt = 0; attempt < 5; ++attempt) {
        saved = m_store->save(key.value, bytes, revision, origin, &revision);
        if (saved.failure != Failure::Conflict)
            break;
    }
    return saved;
}

Result<QByteArray> NoteBook::render(engine::DateTime day, const NoteFormat& format)
{
    StoredNote stored;
    if (Outcome loaded = load(day, &stored); !loaded.ok())
        return {{}, loaded.saying(QStringLiteral("读取记事失败：%1").arg(loaded.text()))};
    const QString date = keyToIsoDate(dateKey(day));
    if (!stored.data)
        return {{}, Outcome::failedSaying(Failure::Missing, QStringLiteral("%1 没有记事").arg(date))};
    Result<QByteArray> rendered = notes::render(*stored.data, format);
    if (!rendered.ok())
        rendered.outcome =
            rendered.outcome.saying(QStringLiteral("%1 的记事无法读取：%2").arg(date, rendered.outcome.detail));
    return rendered;
}

} // namespace tavemo::notes
