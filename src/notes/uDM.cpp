#include "notes/uDM.h"

#include "notes/DateKey.h"
#include "richtext/RtfCodec.h"

#include <QDateTime>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocumentFragment>

#include <utility>

namespace tavemo::notes {
namespace {

// A failure of the data module itself, whose reason is the whole detail.
Outcome notReady(const QString& why) { return Outcome::failedSaying(Failure::NotReady, {}, why); }

// The origin as the divider line names it: "tavemo-notes（主机 xyz）". It comes from whatever wrote
// the database, so it is kept to one short line of printable text.
QString writerText(const QString& origin)
{
    QString shown = origin.left(120);
    for (QChar& c : shown)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line ||
            c.category() == QChar::Separator_Paragraph)
            c = u'?';
    const qsizetype at = shown.indexOf(u'@');
    if (at > 0 && at + 1 < shown.size())
        return QStringLiteral("%1（主机 %2）").arg(shown.left(at), shown.mid(at + 1));
    return shown;
}

// The line that stands between the user's text and the other one: where and when that came from.
QString dividerText(const StoredNote& other)
{
    QString line = QStringLiteral("———— 另一份记事：");
    if (other.modifiedMs > 0)
        line += QDateTime::fromMSecsSinceEpoch(other.modifiedMs).toString(QStringLiteral("yyyy-MM-dd HH:mm")) + u' ';
    if (other.origin.isEmpty()) {
        line += QStringLiteral("由其他程序写入");
    } else {
        const QString writer = writerText(other.origin); // Chinese brackets need no blank after them
        line += QStringLiteral("由 ") + writer + (writer.endsWith(u'）') ? QString() : QStringLiteral(" ")) +
                QStringLiteral("写入");
    }
    return line + QStringLiteral(" ————");
}

} // namespace

QString databaseOpenFailedText() { return QStringLiteral("配置文件加载失败，请重试！"); }
QString noteLoadFailedText() { return QStringLiteral("加载记事内容失败！"); }
QString bothNotesKeptText() { return QStringLiteral("这一天的记事也在别处改过，两份都已保留：另一份在分隔线下面。"); }

TDM::TDM() = default;

TDM::~TDM() = default;

QString TDM::origin()
{
    static const QString origin = originOf(u"tavemo-calendar");
    return origin;
}

OpenResult TDM::DataModuleCreate(const QString& appDir)
{
    m_book.reset();
    m_unloadedKey.clear();
    m_held = {};
    Result<std::unique_ptr<NoteBook>> opened = NoteBook::open(appDir, NoteBook::Access::ReadWrite);
    if (!opened.ok())
        return Outcome::failedSaying(opened.outcome.failure, databaseOpenFailedText(), opened.outcome.message);
    m_book = std::move(opened.value);
    return Outcome::success();
}

void TDM::hold(QString key, qint64 revision, QByteArray bytes, QTextDocument& document)
{
    m_held = {std::move(key), revision, std::move(bytes), &document, document.revision()};
}

bool TDM::unchangedSince(const QTextDocument& document, const QByteArray* rtf) const
{
    // A document's revision only ever grows, with every edit and every undo: the same document at
    // the same revision holds what it held then. Otherwise its RTF tells.
    if (m_held.document == &document && document.revision() == m_held.documentRevision)
        return true;
    return rtf && *rtf == m_held.bytes;
}

LoadResult TDM::LoadDayNote(engine::DateTime day, QTextDocument& document)
{
    const QString key = dateKey(day);
    m_noteReady = false;
    const auto fail = [&](const Outcome& result) {
        m_unloadedKey = key;
        m_held = {};
        return Outcome::failedSaying(result.failure, noteLoadFailedText(), result.detail);
    };
    if (!m_book)
        return fail(notReady(QStringLiteral("记事数据库没有打开")));
    if (key.isEmpty())
        return fail(notReady(QStringLiteral("日历的日期不在 1 至 9999 年之间")));

    // Reading replaces the whole document, which raises the editor's change event while the flag
    // is still false, so the loaded text is never written back.
    StoredNote stored;
    if (const Outcome loaded = m_book->load(day, document, &stored); !loaded.ok())
        return fail(loaded);

    m_unloadedKey.clear();
    hold(key, stored.revision, stored.data.value_or(QByteArray()), document);
    m_noteReady = true;
    return Outcome::success();
}

SaveResult TDM::SaveDayNote(engine::DateTime day, QTextDocument& document)
{
    const QString key = dateKey(day);
    m_noteReady = false;
    const SaveResult result = [&]() -> SaveResult {
        if (!m_book)
            return notReady(QStringLiteral("记事数据库没有打开"));
        if (key.isEmpty())
            return notReady(QStringLiteral("日历的日期不在 1 至 9999 年之间"));
        if (key == m_unloadedKey)
            return notReady(QStringLiteral("这一天的记事未能加载，为免覆盖而不保存"));
        if (key != m_held.key)
            return notReady(QStringLiteral("这一天的记事还没有加载，为免覆盖而不保存"));
        if (unchangedSince(document, nullptr))
            return Outcome::success();
        QByteArray rtf = richtext::writeRtf(document);
        if (unchangedSince(document, &rtf)) {
            hold(key, m_held.revision, std::move(rtf), document);
            return Outcome::success();
        }
        qint64 revision = 0;
        const Outcome saved = m_book->save(day, rtf, m_held.revision, origin(), &revision);
        if (saved.ok())
            hold(key, revision, std::move(rtf), document);
        if (saved.failure != Failure::Conflict)
            return saved;
        return keepBoth(day, document);
    }();
    m_noteReady = true;
    return result;
}

SaveResult TDM::keepBoth(engine::DateTime day, QTextDocument& document)
{
    // Another writer may come in again between the read and the store: each try keeps what it
    // found below the text, as the first did.
    Outcome saved;
    for (int attempt = 0; attempt < 3; ++attempt) {
        StoredNote other;
        if (Outcome loaded = m_book->load(day, &other); !loaded.ok())
            return loaded;
        bool merged = false;
        if (other.data && !other.data->isEmpty() && *other.data != richtext::writeRtf(document)) {
            QTextDocument theirs;
            if (const richtext::ReadResult read = richtext::readRtf(*other.data, theirs); !read.ok())
                return Outcome::failedSaying(
                    Failure::Conflict, {},
                    noteFailureText(Failure::Conflict) +
                        QStringLiteral("，而那一份无法读取（%1），为免覆盖而不保存").arg(read.error()));
            QTextCursor end(&document);
            end.movePosition(QTextCursor::End);
            end.beginEditBlock();
            end.insertBlock(QTextBlockFormat(), QTextCharFormat());
            end.insertText(dividerText(other), QTextCharFormat());
            end.insertBlock(QTextBlockFormat(), QTextCharFormat());
            end.insertFragment(QTextDocumentFragment(&theirs));
            end.endEditBlock();
            merged = true;
        }
        // The document now holds the other text as well: it is based on the other revision.
        m_held.revision = other.revision;
        m_held.bytes = other.data.value_or(QByteArray());
        m_held.document = nullptr;
        QByteArray rtf = richtext::writeRtf(document);
        qint64 revision = 0;
        saved = m_book->save(day, rtf, other.revision, origin(), &revision);
        if (saved.ok()) {
            hold(m_held.key, revision, std::move(rtf), document);
            return merged ? saved.saying(bothNotesKeptText()) : saved;
        }
        if (saved.failure != Failure::Conflict)
            return saved;
    }
    return saved;
}

ReloadResult TDM::ReloadIfChangedElsewhere(engine::DateTime day, QTextDocument& document, bool* reloaded)
{
    if (reloaded)
        *reloaded = false;
    const QString key = dateKey(day);
    if (!m_book || key.isEmpty() || key != m_held.key)
        return Outcome::success();
    qint64 revision = 0;
    if (Outcome read = m_book->store().revision(key, &revision); !read.ok())
        return read;
    if (revision == m_held.revision)
        return Outcome::success();
    if (!unchangedSince(document, nullptr)) {
        const QByteArray rtf = richtext::writeRtf(document);
        if (!unchangedSince(document, &rtf))
            return Outcome::success(); // unsaved typing: the next save keeps both texts
    }
    const LoadResult loaded = LoadDayNote(day, document);
    if (reloaded)
        *reloaded = loaded.ok();
    return loaded;
}

} // namespace tavemo::notes
