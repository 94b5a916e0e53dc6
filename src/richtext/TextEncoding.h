#pragma once
// Byte <-> text conversion in the legacy code pages that notes are written in, through glibc iconv.
// Decoding never fails: a byte sequence the code page does not define becomes U+FFFD, so a damaged
// note still shows everything that can be shown.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <map>
#include <optional>
#include <string>
#include <unordered_map>

namespace tavemo::richtext {

// One iconv conversion, opened once and reused; closed on destruction.
class IconvHandle {
public:
    IconvHandle(const char* toCode, const char* fromCode);
    ~IconvHandle();
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    bool isValid() const { return m_handle != reinterpret_cast<void*>(-1); }
    void* handle() const { return m_handle; }

private:
    void* m_handle;
};

// Decodes bytes of one code page to text; unknown code page names fall back to Windows-1252.
class ByteDecoder {
public:
    explicit ByteDecoder(const char* codePage);
    bool isValid() const { return m_iconv.isValid(); }
    // Undefined or cut-off sequences become U+FFFD; `firstUndecodable`, when given, receives the
    // index of the first such byte, or -1.
    QString decode(QByteArrayView bytes, qsizetype* firstUndecodable = nullptr) const;

private:
    IconvHandle m_iconv;
};

// Decoders by code page name, opened on first use.
class DecoderCache {
public:
    const ByteDecoder& get(const char* codePage);

private:
    std::map<std::string, ByteDecoder> m_decoders;
};

// Encodes single characters to one code page; a character the code page lacks gives an empty array.
// A note repeats a few thousand characters at most, so each one goes through iconv only once.
class CharEncoder {
public:
    explicit CharEncoder(const char* codePage);
    // ucs4 is one Unicode scalar value.
    const QByteArray& encode(char32_t ucs4) const;

private:
    QByteArray convert(char32_t ucs4) const;

    IconvHandle m_iconv;
    mutable std::unordered_map<char32_t, QByteArray> m_encoded;
};

// The glibc code page name for a font's \fcharset value; nullptr for "use the document's code page".
const char* codePageForCharset(int charset);
// The glibc code page name for an \ansicpg value (Windows code page number).
const char* codePageForWindowsCodePage(int codePage);

bool isValidUtf8(QByteArrayView bytes);

// Characters a note's text holds: no control characters but the tab, no paragraph separator (the
// document's blocks are its paragraphs) and no object mark (embedded objects are not carried).
// Reader and writer both keep to it, so what one drops the other never sees.
constexpr bool isNoteTextCharacter(char16_t c)
{
    return (c >= 0x20 || c == u'\t') && c != 0x7F && c != 0x2029 && c != 0xFFFC;
}
QString decodeGb18030(QByteArrayView bytes);

// A text file read only where every byte is what it claims to be: UTF-8 (with or without a
// byte-order mark), UTF-16 with its mark, or GB18030. Text that is mostly valid UTF-8 counts as
// damaged UTF-8, never as GB18030, whose two-byte codes cover almost any pair of high bytes. No
// control characters but tab, line feed and carriage return. Line ends become "\n". On refusal
// `error` names the first byte at fault, counting from 1 ("第 1 234 字节不是有效的 UTF-8 或
// GB18030 文本").
std::optional<QString> decodeTextStrictly(QByteArrayView bytes, QString* error);

// A byte position for a person: counted from 1, digits grouped by three ("1 234").
QString bytePosition(qsizetype index);

} // namespace tavemo::richtext
