// Writes a QTextDocument as RTF that Windows rich edit controls, word processors and readRtf open.

#include "RtfCodec.h"
#include "TextEncoding.h"

#include <QFont>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <memory>
#include <vector>

namespace tavemo::richtext {

namespace {

constexpr int kCjkCharset = 134;
constexpr int kWesternCharset = 0;

// Faces that need the Chinese character set, so that rich edit controls and older readers pick a
// face with Han glyphs and read the fallback bytes as GB18030.
bool isCjkFace(const QString &family)
{
    for (QChar c : family) {
        if (c.unicode() >= 0x2E80)
            return true;
    }
    static const char *const kCjkNameParts[] = {
        "cjk", "simsun", "simhei", "simkai", "simfang", "kaiti", "fangsong", "yahei", "dengxian",
        "song", "wenquanyi", "wqy", "source han", "droid sans fallback", "mingliu", "ar pl", "hei ",
    };
    const QString lower = family.toLower();
    for (const char *part : kCjkNameParts) {
        if (lower.contains(QLatin1String(part)))
            return true;
    }
    return false;
}

void appendHexByte(QByteArray &out, unsigned char byte)
{
    out += "\\'";
    out += "0123456789abcdef"[byte >> 4];
    out += "0123456789abcdef"[byte & 0xF];
}

// The character attributes one RTF run carries; colours are colour table indexes, 0 = automatic.
struct RunStyle {
    int font = 0;
    int halfPoints = 24;
    int foreground = 0;
    int background = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool operator==(const RunStyle &) const = default;
};

struct FontEntry {
    QString family;
    int charset;
};

class RtfWriter {
public:
    explicit RtfWriter(const QTextDocument &document)
        : m_document(document)
    {
        m_fonts.push_back({documentFamily(), 0});
        m_fonts.front().charset = isCjkFace(m_fonts.front().family) ? kCjkCharset : kWesternCharset;
    }

    QByteArray write()
    {
        for (QTextBlock block = m_document.begin(); block.isValid(); block = block.next())
            writeBlock(block);

        QByteArray out;
        out.reserve(m_body.size() + 512);
        out += "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang2052";
        writeFontTable(out);
        writeColourTable(out);
        out += "\r\n\\viewkind4\\uc1";
        out += m_body;
        out += "}\r\n";
        return out;
    }

private:
    QString documentFamily() const
    {
        const QFont font = m_document.defaultFont();
        const QStringList families = font.families();
        return families.isEmpty() ? font.family() : families.front();
    }

    void writeBlock(const QTextBlock &block)
    {
        m_body += "\\pard";
        switch (block.blockFormat().alignment() & Qt::AlignHorizontal_Mask) {
        case Qt::AlignHCenter: m_body += "\\qc"; break;
        case Qt::AlignRight: m_body += "\\qr"; break;
        case Qt::AlignJustify: m_body += "\\qj"; break;
        default: break;
        }
        m_pendingDelimiter = true;

        bool wroteText = false;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            selectStyle(styleOf(fragment.charFormat()));
            writeText(fragment.text());
            wroteText = true;
        }
        // An empty paragraph still carries its font and size: they decide the line's height.
        if (!wroteText)
            selectStyle(styleOf(block.charFormat()));
        m_body += "\\par\r\n";
        m_pendingDelimiter = false;
    }

    RunStyle styleOf(const QTextCharFormat &format)
    {
        const QFont font = format.font().resolve(m_document.defaultFont());
        RunStyle style;
        const QStringList families = font.families();
        style.font = fontIndex(families.isEmpty() ? font.family() : families.front());
        if (font.pointSizeF() > 0)
            style.halfPoints = static_cast<int>(std::lround(font.pointSizeF() * 2));
        else if (font.pixelSize() > 0)
            style.halfPoints = static_cast<int>(std::lround(font.pixelSize() * 1.5)); // 96 dpi: 1 px = 3/4 pt
        style.halfPoints = std::clamp(style.halfPoints, 2, 3276);
        if (format.foreground().style() != Qt::NoBrush)
            style.foreground = colourIndex(format.foreground().color());
        if (format.background().style() != Qt::NoBrush)
            style.background = colourIndex(format.background().color());
        style.bold = font.weight() >= QFont::DemiBold;
        style.italic = font.italic();
        style.underline = font.underline();
        style.strikeOut = font.strikeOut();
        return style;
    }

    int fontIndex(const QString &family)
    {
        for (size_t i = 0; i < m_fonts.size(); ++i) {
            if (m_fonts[i].family == family)
                return static_cast<int>(i);
        }
        m_fonts.push_back({family, isCjkFace(family) ? kCjkCharset : kWesternCharset});
        return static_cast<int>(m_fonts.size() - 1);
    }

    int colourIndex(const QColor &colour)
    {
        const QRgb rgb = colour.rgb() & 0xFFFFFF;
        for (size_t i = 0; i < m_colours.size(); ++i) {
            if (m_colours[i] == rgb)
                return static_cast<int>(i + 1);
        }
        m_colours.push_back(rgb);
        return static_cast<int>(m_colours.size());
    }

    void selectStyle(const RunStyle &style)
    {
        if (m_haveStyle && style == m_style)
            return;
        m_haveStyle = true;
        m_style = style;
        // \plain starts from the defaults, so every run states all of its attributes and nothing
        // leaks from the run before.
        m_body += "\\plain\\f" + QByteArray::number(style.font) + "\\fs" + QByteArray::number(style.halfPoints);
        if (style.foreground)
            m_body += "\\cf" + QByteArray::number(style.foreground);
        if (style.background)
            m_body += "\\highlight" + QByteArray::number(style.background);
        if (style.bold)
            m_body += "\\b";
        if (style.italic)
            m_body += "\\i";
        if (style.underline)
            m_body += "\\ul";
        if (style.strikeOut)
            m_body += "\\strike";
        m_pendingDelimiter = true;
    }

    void writeText(QStringView text)
    {
        const int charset = m_fonts[static_cast<size_t>(m_style.font)].charset;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t unit = text[i].unicode();
            if (unit >= 0x20 && unit < 0x7F) {
                if (unit == '\\' || unit == '{' || unit == '}') {
                    m_body += '\\';
                    m_body += static_cast<char>(unit);
                    m_pendingDelimiter = false;
                } else {
                    appendLiteral(static_cast<char>(unit));
                }
            } else if (unit == '\t') {
                appendControl("\\tab");
            } else if (unit == QChar::LineSeparator) {
                appendControl("\\line");
            } else if (unit < 0x20 || unit == 0x7F || unit == QChar::ObjectReplacementCharacter
                       || unit == QChar::ParagraphSeparator) {
                // Control characters and embedded objects have no text to carry.
            } else if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                const char16_t low = text[i + 1].unicode();
                const QByteArray fallback = fallbackBytes(QChar::surrogateToUcs4(unit, low), charset);
                // The fallback follows the pair as a whole: the first half skips nothing.
                appendUnicode(unit, 0, {});
                appendUnicode(low, static_cast<int>(fallback.size()), fallback);
                ++i;
            } else {
                const char32_t ucs4 = QChar::isSurrogate(unit) ? char32_t(0xFFFD) : char32_t(unit);
                const QByteArray fallback = fallbackBytes(ucs4, charset);
                appendUnicode(QChar::isSurrogate(unit) ? char16_t(0xFFFD) : unit,
                              static_cast<int>(fallback.size()), fallback);
            }
        }
    }

    // The bytes an older reader shows in place of the \u character, in the run font's code page.
    QByteArray fallbackBytes(char32_t ucs4, int charset)
    {
        std::unique_ptr<CharEncoder> &encoder = charset == kCjkCharset ? m_gbEncoder : m_westernEncoder;
        if (!encoder)
            encoder = std::make_unique<CharEncoder>(charset == kCjkCharset ? "GB18030" : "CP1252");
        QByteArray bytes = encoder->encode(ucs4);
        return bytes.isEmpty() ? QByteArray("?") : bytes;
    }

    void appendUnicode(char16_t unit, int skip, const QByteArray &fallback)
    {
        if (skip != m_uc) {
            appendControl("\\uc" + QByteArray::number(skip));
            m_uc = skip;
        }
        appendControl("\\u" + QByteArray::number(unit >= 0x8000 ? int(unit) - 0x10000 : int(unit)));
        appendBytes(fallback);
    }

    void appendControl(const QByteArray &word)
    {
        m_body += word;
        m_pendingDelimiter = true;
    }

    void appendLiteral(char c)
    {
        // A letter, digit, blank or minus right after a control word would be read as part of it.
        if (m_pendingDelimiter && (std::isalnum(static_cast<unsigned char>(c)) || c == ' ' || c == '-'))
            m_body += ' ';
        m_pendingDelimiter = false;
        m_body += c;
    }

    void appendBytes(const QByteArray &bytes)
    {
        if (bytes == "?") {
            appendLiteral('?');
            return;
        }
        for (char c : bytes)
            appendHexByte(m_body, static_cast<unsigned char>(c));
        m_pendingDelimiter = false;
    }

    void writeFontTable(QByteArray &out)
    {
        out += "{\\fonttbl";
        for (size_t i = 0; i < m_fonts.size(); ++i) {
            out += "{\\f" + QByteArray::number(static_cast<int>(i)) + "\\fnil\\fcharset"
                + QByteArray::number(m_fonts[i].charset) + ' ';
            // Names are written in the font's own code page, as rich edit controls write them.
            CharEncoder encoder(m_fonts[i].charset == kCjkCharset ? "GB18030" : "CP1252");
            for (uint cp : m_fonts[i].family.toUcs4()) {
                if (cp >= 0x20 && cp < 0x7F && cp != '\\' && cp != '{' && cp != '}' && cp != ';') {
                    out += static_cast<char>(cp);
                    continue;
                }
                QByteArray bytes = encoder.encode(cp);
                if (bytes.isEmpty())
                    bytes = "?";
                for (char c : bytes)
                    appendHexByte(out, static_cast<unsigned char>(c));
            }
            out += ";}";
        }
        out += '}';
    }

    void writeColourTable(QByteArray &out)
    {
        if (m_colours.empty())
            return;
        out += "{\\colortbl ;";
        for (QRgb rgb : m_colours) {
            out += "\\red" + QByteArray::number(qRed(rgb)) + "\\green" + QByteArray::number(qGreen(rgb))
                + "\\blue" + QByteArray::number(qBlue(rgb)) + ';';
        }
        out += '}';
    }

    const QTextDocument &m_document;
    std::vector<FontEntry> m_fonts;
    std::vector<QRgb> m_colours;
    QByteArray m_body;
    RunStyle m_style;
    bool m_haveStyle = false;
    bool m_pendingDelimiter = false;
    int m_uc = 1;
    std::unique_ptr<CharEncoder> m_gbEncoder;
    std::unique_ptr<CharEncoder> m_westernEncoder;
};

} // namespace

QByteArray writeRtf(const QTextDocument &document)
{
    return RtfWriter(document).write();
}

} // namespace tavemo::richtext
