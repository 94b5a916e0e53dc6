#include "richtext/TextEncoding.h"

#include <cerrno>
#include <iconv.h>

namespace tavemo::richtext {

namespace {
constexpr char16_t kReplacement = 0xFFFD;
const char* const kFallbackCodePage = "CP1252";
} // namespace

IconvHandle::IconvHandle(const char* toCode, const char* fromCode)
    : m_handle(reinterpret_cast<void*>(iconv_open(toCode, fromCode)))
{}

IconvHandle::~IconvHandle()
{
    if (isValid())
        iconv_close(reinterpret_cast<iconv_t>(m_handle));
}

ByteDecoder::ByteDecoder(const char* codePage) : m_iconv("UTF-16LE", codePage) {}

QString ByteDecoder::decode(QByteArrayView bytes, qsizetype* firstUndecodable) const
{
    QString out;
    if (firstUndecodable)
        *firstUndecodable = -1;
    if (bytes.isEmpty())
        return out;
    // Every code page we use maps one byte to at most one UTF-16 unit and a multi-byte sequence to at
    // most two units, so twice the byte count always suffices; the E2BIG branch is only a safeguard.
    qsizetype capacity = bytes.size() * 2 + 4;
    out.resize(capacity);
    qsizetype used = 0;

    if (!m_iconv.isValid()) {
        for (char c : bytes) {
            const bool ascii = static_cast<uchar>(c) < 0x80;
            if (!ascii && firstUndecodable && *firstUndecodable < 0)
                *firstUndecodable = used;
            out[used++] = QChar(ascii ? char16_t(c) : kReplacement);
        }
        out.resize(used);
        return out;
    }

    auto cd = reinterpret_cast<iconv_t>(m_iconv.handle());
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = static_cast<size_t>(bytes.size());
    while (inLeft > 0) {
        char* outPtr = reinterpret_cast<char*>(out.data() + used);
        size_t outLeft = static_cast<size_t>(capacity - used) * 2;
        const size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        used = capacity - static_cast<qsizetype>(outLeft / 2);
        if (result != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG) {
            capacity += static_cast<qsizetype>(inLeft) * 2 + 4;
            out.resize(capacity);
            continue;
        }
        // EILSEQ: a byte the code page does not define; EINVAL: a sequence cut off at the end.
        if (firstUndecodable && *firstUndecodable < 0)
            *firstUndecodable = in - bytes.data();
        if (used >= capacity) {
            capacity += 4;
            out.resize(capacity);
        }
        out[used++] = QChar(kReplacement);
        if (errno != EILSEQ)
            break;
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(used);
    return out;
}

const ByteDecoder& DecoderCache::get(const char* codePage)
{
    auto it = m_decoders.find(codePage);
    if (it == m_decoders.end()) {
        it = m_decoders.try_emplace(codePage, codePage).first;
        if (!it->second.isValid()) {
            m_decoders.erase(it);
            it = m_decoders.try_emplace(codePage, kFallbackCodePage).first;
        }
    }
    return it->second;
}

CharEncoder::CharEncoder(const char* codePage) : m_iconv(codePage, "UTF-32LE") {}

const QByteArray& CharEncoder::encode(char32_t ucs4) const
{
    auto found = m_encoded.find(ucs4);
    if (found == m_encoded.end())
        found = m_encoded.emplace(ucs4, convert(ucs4)).first;
    return found->second;
}

QByteArray CharEncoder::convert(char32_t ucs4) const
{
    if (!m_iconv.isValid())
        return {};
    auto cd = reinterpret_cast<iconv_t>(m_iconv.handle());
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    const unsigned char in[4] = {static_cast<unsigned char>(ucs4), static_cast<unsigned char>(ucs4 >> 8),
                                 static_cast<unsigned char>(ucs4 >> 16), static_cast<unsigned char>(ucs4 >> 24)};
    char outBuffer[16];
    char* inPtr = reinterpret_cast<char*>(const_cast<unsigned char*>(in));
    size_t inLeft = sizeof in;
    char* outPtr = outBuffer;
    size_t outLeft = sizeof outBuffer;
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1))
        return {};
    // Flush any shift state so stateful code pages end cleanly.
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    return QByteArray(outBuffer, static_cast<qsizetype>(outPtr - outBuffer));
}

const char* codePageForCharset(int charset)
{
    switch (charset) {
    case 0:
        return "CP1252";
    case 2:
        return "CP1252"; // symbol fonts: the byte values are glyph numbers, show them as they are
    case 77:
        return "MACINTOSH";
    case 128:
        return "CP932";
    case 129:
        return "CP949";
    case 134:
        return "GB18030";
    case 136:
        return "BIG5";
    case 161:
        return "CP1253";
    case 162:
        return "CP1254";
    case 163:
        return "CP1258";
    case 177:
        return "CP1255";
    case 178:
        return "CP1256";
    case 186:
        return "CP1257";
    case 204:
        return "CP1251";
    case 222:
        return "CP874";
    case 238:
        return "CP1250";
    case 255:
        return "CP437";
    default:
        return nullptr;
    }
}

const char* codePageForWindowsCodePage(int codePage)
{
    switch (codePage) {
    case 437:
        return "CP437";
    case 850:
        return "CP850";
    case 874:
        return "CP874";
    case 932:
        return "CP932";
    case 936:
        return "GB18030";
    case 949:
        return "CP949";
    case 950:
        return "BIG5";
    case 1250:
        return "CP1250";
    case 1251:
        return "CP1251";
    case 1252:
        return "CP1252";
    case 1253:
        return "CP1253";
    case 1254:
        return "CP1254";
    case 1255:
        return "CP1255";
    case 1256:
        return "CP1256";
    case 1257:
        return "CP1257";
    case 1258:
        return "CP1258";
    case 10000:
        return "MACINTOSH";
    case 54936:
        return "GB18030";
    case 65001:
        return "UTF-8";
    default:
        return kFallbackCodePage;
    }
}

namespace {

// The length of the valid UTF-8 sequence at p, or 0. Strict: no overlong forms, no surrogates,
// nothing above U+10FFFF, no cut-off sequence.
int utf8SequenceLength(const unsigned char* p, const unsigned char* end)
{
    const unsigned char lead = *p;
    if (lead < 0x80)
        return 1;
    int trail;
    unsigned char low = 0x80, high = 0xBF; // allowed range of the first trail byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        trail = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        trail = 2;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        trail = 3;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (end - p <= trail || p[1] < low || p[1] > high)
        return 0;
    for (int i = 2; i <= trail; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
    }
    return trail + 1;
}

bool isControlCharacter(char16_t c) { return (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || c == 0x7F; }

QString controlCharacterError(qsizetype index, char16_t c)
{
    return QStringLiteral("第 %1 字节是控制字符 0x%2，不是文本")
        .arg(bytePosition(index), QString::number(int(c), 16).rightJustified(2, u'0').toUpper());
}

std::optional<QString> decodeUtf16(QByteArrayView bytes, bool bigEndian, QString* error)
{
    QString text;
    text.reserve(bytes.size() / 2);
    const auto unitAt = [&](qsizetype i) {
        const auto first = static_cast<unsigned char>(bytes[i]), second = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first);
    };
    const auto invalid = [&](qsizetype i) {
        *error = QStringLiteral("第 %1 字节不是有效的 UTF-16 文本").arg(bytePosition(i));
        return std::nullopt;
    };
    for (qsizetype i = 2; i < bytes.size(); i += 2) {
        if (i + 1 >= bytes.size())
            return invalid(i); // an odd byte count: half a unit at the end
        const char16_t unit = unitAt(i);
        if (QChar::isLowSurrogate(unit))
            return invalid(i);
        if (QChar::isHighSurrogate(unit)) {
            if (i + 3 >= bytes.size() || !QChar::isLowSurrogate(unitAt(i + 2)))
                return invalid(i);
            text += QChar(unit);
            text += QChar(unitAt(i + 2));
            i += 2;
            continue;
        }
        if (isControlCharacter(unit)) {
            *error = controlCharacterError(i, unit);
            return std::nullopt;
        }
        text += QChar(unit);
    }
    return text;
}

} // namespace

bool isValidUtf8(QByteArrayView bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        const int length = utf8SequenceLength(p, end);
        if (length == 0)
            return false;
        p += length;
    }
    return true;
}

QString bytePosition(qsizetype index)
{
    QString digits = QString::number(index + 1);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, u' ');
    return digits;
}

std::optional<QString> decodeTextStrictly(QByteArrayView bytes, QString* error)
{
    QString text;
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        std::optional<QString> decoded = decodeUtf16(bytes, bytes[0] == '\xFE', error);
        if (!decoded)
            return std::nullopt;
        text = std::move(*decoded);
    } else {
        const bool markedUtf8 = bytes.startsWith("\xEF\xBB\xBF");
        const qsizetype start = markedUtf8 ? 3 : 0;
        const QByteArrayView body = bytes.sliced(start);
        // A byte below 0x80 is an ASCII character in UTF-8 and in GB18030 alike.
        for (qsizetype i = 0; i < body.size(); ++i) {
            if (isControlCharacter(static_cast<unsigned char>(body[i]))) {
                *error = controlCharacterError(start + i, static_cast<unsigned char>(body[i]));
                return std::nullopt;
            }
        }
        const auto* begin = reinterpret_cast<const unsigned char*>(body.data());
        const auto* end = begin + body.size();
        qsizetype firstInvalid = -1, valid = 0, invalid = 0;
        for (const unsigned char* p = begin; p < end;) {
            const int length = utf8SequenceLength(p, end);
            if (length == 0) {
                if (firstInvalid < 0)
                    firstInvalid = p - begin;
                ++invalid;
                ++p;
            } else {
                valid += length > 1;
                p += length;
            }
        }
        if (firstInvalid < 0) {
            text = QString::fromUtf8(body);
        } else if (markedUtf8 || valid > invalid) {
            // Mostly UTF-8 with a fault: reading it as GB18030 would turn all of it into other characters.
            *error = QStringLiteral("第 %1 字节不是有效的 UTF-8 文本").arg(bytePosition(start + firstInvalid));
            return std::nullopt;
        } else {
            qsizetype undecodable = -1;
            text = ByteDecoder("GB18030").decode(body, &undecodable);
            if (undecodable >= 0) {
                *error =
                    QStringLiteral("第 %1 字节不是有效的 UTF-8 或 GB18030 文本").arg(bytePosition(start + undecodable));
                return std::nullopt;
            }
        }
    }
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.removeIf([](QChar c) { return c != u'\n' && !isNoteTextCharacter(c.unicode()); });
    return text;
}

QString decodeGb18030(QByteArrayView bytes) { return ByteDecoder("GB18030").decode(bytes); }

} // namespace tavemo::richtext
