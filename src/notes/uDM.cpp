#include "notes/uDM.h"

#include "paths/AppPath.h"
#include "notes/DateKey.h"

#include "richtext/RtfCodec.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <utility>
#include <vector>

namespace tavemo::notes {
namespace {

// Clears the protected attribute on the editor's selection and on the format of the text typed
// next. Only fragments that carry it are touched, so a save leaves no step on the undo stack.
void clearProtected(QTextEdit &editor)
{
    const QTextCursor selection = editor.textCursor();
    if (selection.hasSelection()) {
        QTextDocument *document = editor.document();
        const int start = selection.selectionStart();
        const int end = selection.selectionEnd();
        std::vector<std::pair<int, int>> ranges;
        for (QTextBlock block = document->findBlock(start); block.isValid() && block.position() < end;
             block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                const int from = std::max(fragment.position(), start);
                const int to = std::min(fragment.position() + fragment.length(), end);
                if (from < to && fragment.charFormat().hasProperty(ProtectedCharProperty))
                    ranges.emplace_back(from, to);
            }
        }
        for (const auto &[from, to] : ranges) {
            QTextCursor part(document);
            part.setPosition(from);
            part.setPosition(to, QTextCursor::KeepAnchor);
            QTextCharFormat format = part.charFormat(); // the fragment is uniform: one format
            format.clearProperty(ProtectedCharProperty);
            part.setCharFormat(format);
        }
    }
    QTextCharFormat typing = editor.currentCharFormat();
    if (typing.hasProperty(ProtectedCharProperty)) {
        typing.clearProperty(ProtectedCharProperty);
        editor.setCurrentCharFormat(typing);
    }
}

// A failure of the data module itself, whose reason is the whole detail.
NoteResult notReady(const QString &why)
{
    return {false, {}, why, NoteFailure::NotReady};
}

} // namespace

QString databaseOpenFailedText() { return QStringLiteral("配置文件加载失败，请重试！"); }
QString noteLoadFailedText() { return QStringLiteral("加载记事内容失败！"); }

TDM::TDM(DateSource calendarDate) : m_calendarDate(std::move(calendarDate)) {}

TDM::~TDM() = default;

OpenResult TDM::DataModuleCreate(const QString &appDir)
{
    m_store.reset();
    m_unloadedKey.clear();
    OpenResult opened = NoteStore::open(paths::noteDatabasePath(appDir), NoteStore::Access::ReadWrite, &m_store);
    if (!opened.ok)
        opened.message = databaseOpenFailedText();
    return opened;
}

LoadResult TDM::LoadDayNote(QTextEdit &rdtAbc)
{
    const QString key = dateKey(m_calendarDate());
    m_noteReady = false;
    const auto fail = [&](LoadResult result) {
        m_unloadedKey = key;
        result.message = noteLoadFailedText();
        return result;
    };
    if (!m_store)
        return fail(notReady(QStringLiteral("记事数据库没有打开")));
    if (key.isEmpty())
        return fail(notReady(QStringLiteral("日历的日期不在 1 至 9999 年之间")));

    std::optional<QByteArray> note;
    if (LoadResult loaded = m_store->load(key, &note); !loaded.ok)
        return fail(loaded);
    if (!note)
        rdtAbc.clear();
    // Reading replaces the whole document, which raises the editor's change event while the flag
    // is still false, so the loaded text is never written back.
    const richtext::ReadResult read = richtext::readRtf(note.value_or(QByteArray()), *rdtAbc.document());
    if (!read.ok)
        return fail({false, {}, read.error, NoteFailure::Unreadable});

    m_unloadedKey.clear();
    m_noteReady = true;
    return NoteResult::success();
}

SaveResult TDM::SaveDayNote(QTextEdit &rdtAbc)
{
    const QString key = dateKey(m_calendarDate());
    m_noteReady = false;
    SaveResult result;
    if (!m_store) {
        result = notReady(QStringLiteral("记事数据库没有打开"));
    } else if (key.isEmpty()) {
        result = notReady(QStringLiteral("日历的日期不在 1 至 9999 年之间"));
    } else if (key == m_unloadedKey) {
        result = notReady(QStringLiteral("这一天的记事未能加载，为免覆盖而不保存"));
    } else {
        clearProtected(rdtAbc);
        result = m_store->save(key, richtext::writeRtf(*rdtAbc.document()));
    }
    m_noteReady = true;
    return result;
}

} // namespace tavemo::notes
