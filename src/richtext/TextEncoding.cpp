#include "TextEncoding.h"

#include <cerrno>
#include <iconv.h>

namespace tavemo::richtext {

namespace {
constexpr char16_t kReplacement = 0xFFFD;
const char *const kFallbackCodePage = "CP1252";
} // namespace

IconvHandle::IconvHandle(const char *toCode, const char *fromCode)
    : m_handle(reinterpret_cast<void *>(iconv_open(toCode, fromCode)))
{
}

IconvHandle::~IconvHandle()
{
    if (isValid())
        iconv_close(reinterpret_cast<iconv_t>(m_handle));
}

ByteDecoder::ByteDecoder(const char *codePage)
    : m_iconv("UTF-16LE", codePage)
{
}

QString ByteDecoder::decode(QByteArrayView bytes) const
{
    QString out;
    if (bytes.isEmpty())
        return out;
    // Every code page we use maps one byte to at most one UTF-16 unit and a multi-byte sequence to at
    // most two units, so twice the byte count always suffices; the E2BIG branch is only a safeguard.
    qsizetype capacity = bytes.size() * 2 + 4;
    out.resize(capacity);
    qsizetype used = 0;

    if (!m_iconv.isValid()) {
        for (char c : bytes)
            out[used++] = QChar(static_cast<uchar>(c) < 0x80 ? char16_t(c) : kReplacement);
        out.resize(used);
        return out;
    }

    auto cd = reinterpret_cast<iconv_t>(m_iconv.handle());
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char *in = const_cast<char *>(bytes.data());
    size_t inLeft = static_cast<size_t>(bytes.size());
    while (inLeft > 0) {
        char *outPtr = reinterpret_cast<char *>(out.data() + used);
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

const ByteDecoder &DecoderCache::get(const char *codePage)
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

CharEncoder::CharEncoder(const char *codePage)
    : m_iconv(codePage, "UTF-32LE")
{
}

const QByteArray &CharEncoder::encode(char32_t ucs4) const
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
    char *inPtr = reinterpret_cast<char *>(const_cast<unsigned char *>(in));
    size_t inLeft = sizeof in;
    char *outPtr = outBuffer;
    size_t outLeft = sizeof outBuffer;
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1))
        return {};
    // Flush any shift state so stateful code pages end cleanly.
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    return QByteArray(outBuffer, static_cast<qsizetype>(outPtr - outBuffer));
}

const char *codePageForCharset(int charset)
{
    switch (charset) {
    case 0: return "CP1252";
    case 2: return "CP1252"; // symbol fonts: the byte values are glyph numbers, show them as they are
    case 77: return "MACINTOSH";
    case 128: return "CP932";
    case 129: return "CP949";
    case 134: return "GB18030";
    case 136: return "BIG5";
    case 161: return "CP1253";
    case 162: return "CP1254";
    case 163: return "CP1258";
    case 177: return "CP1255";
    case 178: return "CP1256";
    case 186: return "CP1257";
    case 204: return "CP1251";
    case 222: return "CP874";
    case 238: return "CP1250";
    case 255: return "CP437";
    default: return nullptr;
    }
}

const char *codePageForWindowsCodePage(int codePage)
{
    switch (codePage) {
    case 437: return "CP437";
    case 850: return "CP850";
    case 874: return "CP874";
    case 932: return "CP932";
    case 936: return "GB18030";
    case 949: return "CP949";
    case 950: return "BIG5";
    case 1250: return "CP1250";
    case 1251: return "CP1251";
    case 1252: return "CP1252";
    case 1253: return "CP1253";
    case 1254: return "CP1254";
    case 1255: return "CP1255";
    case 1256: return "CP1256";
    case 1257: return "CP1257";
    case 1258: return "CP1258";
    case 10000: return "MACINTOSH";
    case 54936: return "GB18030";
    case 65001: return "UTF-8";
    default: return kFallbackCodePage;
    }
}

bool isValidUtf8(QByteArrayView bytes)
{
    // Strict: no overlong forms, no surrogates, nothing above U+10FFFF, no cut-off sequence.
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = p + bytes.size();
    while (p < end) {
        const unsigned char lead = *p++;
        if (lead < 0x80)
            continue;
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
            return false;
        }
        if (end - p < trail || *p < low || *p > high)
            return false;
        for (int i = 1; i < trail; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
        }
        p += trail;
    }
    return true;
}

QString decodeGb18030(QByteArrayView bytes)
{
    return ByteDecoder("GB18030").decode(bytes);
}

} // namespace tavemo::richtext
