#include "notes/NoteFormats.h"

#include "richtext/RtfCodec.h"

#include <QTextDocument>

#include <array>

namespace tavemo::notes {
namespace {

QByteArray html(const QTextDocument& document) { return document.toHtml().toUtf8(); }

bool isRtf(const QByteArray& stored) { return stored.startsWith("{\\rtf"); }

const std::array<NoteFormat, 3> kFormats{{
    {"text", ".txt", &plainText, nullptr},
    {"html", ".html", &html, nullptr},
    {"rtf", ".rtf", &richtext::writeRtf, &isRtf},
}};

} // namespace

std::span<const NoteFormat> noteFormats() { return kFormats; }

const NoteFormat* findNoteFormat(QStringView name)
{
    for (const NoteFormat& format : kFormats)
        if (name == QLatin1String(format.name))
            return &format;
    return nullptr;
}

QString noteFormatNames()
{
    QString names;
    for (std::size_t i = 0; i < kFormats.size(); ++i) {
        if (i > 0)
            names += i + 1 == kFormats.size() ? QStringLiteral(" 或 ") : QStringLiteral("、");
        names += QLatin1String(kFormats[i].name);
    }
    return names;
}

QByteArray plainText(const QTextDocument& document)
{
    QString text = document.toPlainText(); // paragraph and line separators become "\n"
    text.remove(QChar::ObjectReplacementCharacter);
    if (!text.isEmpty() && !text.endsWith(u'\n'))
        text += u'\n';
    return text.toUtf8();
}

Result<QByteArray> render(const QByteArray& stored, const NoteFormat& format)
{
    if (format.storedAsIs && format.storedAsIs(stored))
        return {stored, Outcome::success()};
    QTextDocument document;
    const richtext::ReadResult read = richtext::readRtf(stored, document);
    if (!read.ok())
        return {{}, read.outcome};
    return {format.write(document), Outcome::success()};
}

} // namespace tavemo::notes
