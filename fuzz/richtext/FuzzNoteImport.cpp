// Feeds arbitrary bytes to importNote, the strict reader of files brought in from outside. A file
// it refuses leaves the document alone and says why; a file it accepts holds no control characters,
// and the note written from it imports again to the same text (what put stores, put can read back).
// decodeTextStrictly never changes text that is valid UTF-8 but for its line ends.

#include "richtext/RtfCodec.h"
#include "richtext/TextEncoding.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QTextDocument>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

QGuiApplication* app = nullptr;
const QString kMarker = QStringLiteral("the note before");

void check(bool holds, const char* what, const QByteArray& bytes)
{
    if (!holds) {
        std::fprintf(stderr, "%s:\n%s\n", what, bytes.toHex().constData());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    app = new QGuiApplication(*argc, *argv);
    // Warm Qt's font caches here so that they do not count as leaks of the first input.
    QTextDocument warmUp;
    tavemo::richtext::importNote("{\\rtf1{\\fonttbl{\\f0\\fcharset134 A;}}\\f0\\b x}", warmUp);
    (void)tavemo::richtext::writeRtf(warmUp);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace tavemo::richtext;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    QString error;
    if (const std::optional<QString> text = decodeTextStrictly(bytes, &error)) {
        check(error.isEmpty(), "accepted text with an error", bytes);
        if (isValidUtf8(bytes) && !bytes.startsWith("\xEF\xBB\xBF") && !bytes.contains('\r') &&
            !QString::fromUtf8(bytes).contains(QChar::ParagraphSeparator)) {
            QString expected = QString::fromUtf8(bytes);
            expected.removeIf([](QChar c) { return c != u'\n' && !isNoteTextCharacter(c.unicode()); });
            check(*text == expected, "valid UTF-8 changed", bytes);
        }
    } else {
        check(error.contains(QStringLiteral("字节")), "refused text without the byte at fault", bytes);
    }

    QTextDocument document;
    document.setPlainText(kMarker);
    const ReadResult read = importNote(bytes, document);
    if (!read.ok()) {
        check(!read.error().isEmpty(), "refused without a reason", bytes);
        check(document.toPlainText() == kMarker, "a refused file changed the document", bytes);
        return 0;
    }
    const QString text = document.toPlainText();
    for (const QChar c : text)
        check(c == u'\n' || c == u'\t' || c.unicode() >= 0x20, "a control character in an accepted note", bytes);

    const QByteArray written = writeRtf(document);
    QTextDocument again;
    const ReadResult reread = importNote(written, again);
    check(reread.ok(), "the written note is refused", written);
    check(again.toPlainText() == text, "the written note imports to other text", written);
    return 0;
}
