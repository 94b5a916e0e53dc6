// Feeds arbitrary bytes to readRtf. Beyond not crashing, whatever was read must survive the
// writer: writing it, reading that and writing again gives the same bytes. A read fails only for
// RTF the reader cannot follow, and leaves the document as it was.

#include "richtext/RtfCodec.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QTextDocument>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
QGuiApplication* app = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    app = new QGuiApplication(*argc, *argv);
    // Warm Qt's font caches here so that they do not count as leaks of the first input.
    QTextDocument warmUp;
    tavemo::richtext::readRtf("{\\rtf1{\\fonttbl{\\f0\\fcharset134 A;}}\\f0\\b x}", warmUp);
    (void)tavemo::richtext::writeRtf(warmUp);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QTextDocument document;
    document.setPlainText(QStringLiteral("the note before"));
    if (const tavemo::richtext::ReadResult read = tavemo::richtext::readRtf(bytes, document); !read.ok()) {
        // Only RTF that the reader cannot follow fails, and it leaves the document alone.
        if (!bytes.startsWith("{\\rtf") || read.error().isEmpty() ||
            document.toPlainText() != QStringLiteral("the note before")) {
            std::fprintf(stderr, "a failed read that is not a refusal of RTF\n");
            std::abort();
        }
        return 0;
    }

    const QByteArray written = tavemo::richtext::writeRtf(document);
    QTextDocument again;
    if (!tavemo::richtext::readRtf(written, again).ok()) {
        std::fprintf(stderr, "written document not readable:\n%s\n", written.constData());
        std::abort();
    }
    if (const QByteArray rewritten = tavemo::richtext::writeRtf(again); rewritten != written) {
        std::fprintf(stderr, "round trip changed the document:\n%s\n----\n%s\n", written.constData(),
                     rewritten.constData());
        std::abort();
    }
    return 0;
}
