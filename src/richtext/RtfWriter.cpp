// Writes a QTextDocument as RTF that Windows rich edit controls, word processors and readRtf open.

#include "richtext/RtfCodec.h"
#include "richtext/TextEncoding.h"

#include <QFont>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <memory>
#include <vector>

namespace tavemo::richtext {

namespace {

constexpr int kCjkCharset = 134;
constexpr int kWesternCharset = 0;

// Faces that need the Chinese character set, so that rich edit controls and older readers pick a
// face with Han glyphs and read the fallback bytes as GB18030.
bool isCjkFace(const QString& family)
{
    for (QChar c : family) {
        if (c.unicode() >= 0x2E80)
            return true;
    }
    static const char* const kCjkNameParts[] = {
        "cjk",     "simsun",   "simhei", "simkai",    "simfang", "kaiti",      "fangsong",
        "yahei",   "dengxian", "song",   "wenquanyi", "wqy",     "source han", "droid sans fallback",
        "mingliu", "ar pl",    "hei ",
    };
    const QString lower = family.toLower();
    for (const char* part : kCjkNameParts) {
        if (lower.contains(QLatin1String(part)))
            return true;
    }
    return false;
}

// Appends control words and escaped text to one RTF destination, keeping track of what the next
// character needs: a delimiter after a control word, and the \uc count in force.
class RtfEmitter {
public:
    explicit RtfEmitter(QByteArray& out) : m_out(out) {}

    void control(const QByteArray& word)
    {
        m_out += word;
        m_pendingDelimiter = true;
    }

    void endLine()
    {
        m_out += "\r\n";
        m_pendingDelimiter = false;
    }

    // Body text gives every non-ASCII character as \uN followed by its bytes in the font's code page
    // (for readers that do not know \u). Font names give those bytes alone, as rich edit controls
    // write them, and fall back to \uN only for characters the code page lacks.
    enum class Unicode { Always, WhenNotEncodable };

    void text(QStringView text, const CharEncoder& encoder, Unicode unicode, QByteArrayView alsoEscape = {})
    {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t unit = text[i].unicode();
            if (unit >= 0x20 && unit < 0x7F) {
                if (unit == '\\' || unit == '{' || unit == '}') {
                    m_out += '\\';
                    m_out += static_cast<char>(unit);
                    m_pendingDelimiter = false;
                } else if (const char c = static_cast<char>(unit); alsoEscape.contains(c)) {
                    hexBytes(QByteArrayView(&c, 1));
                } else {
                    literal(static_cast<char>(unit));
                }
                continue;
            }
            if (unit == '\t') {
                control("\\tab");
                continue;
            }
            if (unit == QChar::LineSeparator) {
                control("\\line");
                continue;
            }
            if (!isNoteTextCharacter(unit))
                continue;

            char16_t units[2] = {unit, 0};
            char32_t ucs4 = unit;
            if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                units[1] = text[++i].unicode();
                ucs4 = QChar::surrogateToUcs4(units[0], units[1]);
            } else if (QChar::isSurrogate(unit)) {
                units[0] = 0xFFFD; // half a pair is not a character
                ucs4 = 0xFFFD;
            }
            const QByteArray& bytes = encoder.encode(ucs4);
            if (unicode == Unicode::WhenNotEncodable && !bytes.isEmpty()) {
                hexBytes(bytes);
                continue;
            }
            const int fallbackLength = bytes.isEmpty() ? 1 : static_cast<int>(bytes.size());
            if (units[1]) {
                unicodeUnit(units[0], 0); // the fallback follows the pair as a whole
                unicodeUnit(units[1], fallbackLength);
            } else {
                unicodeUnit(units[0], fallbackLength);
            }
            if (bytes.isEmpty())
                literal('?');
            else
                hexBytes(bytes);
        }
    }

private:
    void unicodeUnit(char16_t unit, int fallbackLength)
    {
        if (fallbackLength != m_uc) {
            controlWithNumber("\\uc", fallbackLength);
            m_uc = fallbackLength;
        }
        controlWithNumber("\\u", unit >= 0x8000 ? int(unit) - 0x10000 : int(unit));
    }

    // A control word with its numeric parameter, formed without a temporary: this runs once or
    // twice for every Chinese character of a note.
    void controlWithNumber(const char* word, int value)
    {
        char digits[12];
        const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        m_out += word;
        m_out.append(digits, end - digits);
        m_pendingDelimiter = true;
    }

    void literal(char c)
    {
        // A letter, digit, blank or minus right after a control word would be read as part of it.
        if (m_pendingDelimiter && (std::isalnum(static_cast<unsigned char>(c)) || c == ' ' || c == '-'))
            m_out += ' ';
        m_pendingDelimiter = false;
        m_out += c;
    }

    void hexBytes(QByteArrayView bytes)
    {
        for (char c : bytes) {
            const auto byte = static_cast<unsigned char>(c);
            m_out += "\\'";
            m_out += "0123456789abcdef"[byte >> 4];
            m_out += "0123456789abcdef"[byte & 0xF];
        }
        m_pendingDelimiter = false;
    }

    QByteArray& m_out;
    bool m_pendingDelimiter = false;
    int m_uc = 1; // the RTF default
};

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
    bool operator==(const RunStyle&) const = default;
};

struct FontEntry {
    QString family;
    int charset;
};

class RtfWriter {
public:
    explicit RtfWriter(const QTextDocument& document) : m_document(document)
    {
        fontIndex(familyOf(document.defaultFont())); // font 0, the \deff font
    }

    QByteArray write()
    {
        for (QTextBlock block = m_document.begin(); block.isValid(); block = block.next())
            writeBlock(block);

        QByteArray out;
        out.reserve(m_bodyBytes.size() + 512);
        out += "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang2052";
        writeFontTable(out);
        writeColourTable(out);
        out += "\r\n\\viewkind4\\uc1";
        out += m_bodyBytes;
        out += "}\r\n";
        return out;
    }

private:
    static QString familyOf(const QFont& font)
    {
        const QStringList families = font.families();
        return families.isEmpty() ? font.family() : families.front();
    }

    void writeBlock(const QTextBlock& block)
    {
        switch (block.blockFormat().alignment() & Qt::AlignHorizontal_Mask) {
        case Qt::AlignHCenter:
            m_body.control("\\pard\\qc");
            break;
        case Qt::AlignRight:
            m_body.control("\\pard\\qr");
            break;
        case Qt::AlignJustify:
            m_body.control("\\pard\\qj");
            break;
        default:
            m_body.control("\\pard");
            break;
        }

        bool wroteText = false;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            selectStyle(styleOf(fragment.charFormat()));
            const int charset = m_fonts[static_cast<size_t>(m_style.font)].charset;
            m_body.text(fragment.text(), encoderFor(charset), RtfEmitter::Unicode::Always);
            wroteText = true;
        }
        // An empty paragraph still carries its font and size: they decide the line's height.
        if (!wroteText)
            selectStyle(styleOf(block.charFormat()));
        m_body.control("\\par");
        m_body.endLine();
    }

    RunStyle styleOf(const QTextCharFormat& format)
    {
        const QFont font = format.font().resolve(m_document.defaultFont());
        RunStyle style;
        style.font = fontIndex(familyOf(font));
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

    int fontIndex(const QString& family)
    {
        for (size_t i = 0; i < m_fonts.size(); ++i) {
            if (m_fonts[i].family == family)
                return static_cast<int>(i);
        }
        m_fonts.push_back({family, isCjkFace(family) ? kCjkCharset : kWesternCharset});
        return static_cast<int>(m_fonts.size() - 1);
    }

    int colourIndex(const QColor& colour)
    {
        const QRgb rgb = colour.rgb() & 0xFFFFFF;
        for (size_t i = 0; i < m_colours.size(); ++i) {
            if (m_colours[i] == rgb)
                return static_cast<int>(i + 1);
        }
        m_colours.push_back(rgb);
        return static_cast<int>(m_colours.size());
    }

    void selectStyle(const RunStyle& style)
    {
        if (m_haveStyle && style == m_style)
            return;
        m_haveStyle = true;
        m_style = style;
        // \plain starts from the defaults, so every run states all of its attributes and nothing
        // leaks from the run before.
        QByteArray words =
            "\\plain\\f" + QByteArray::number(style.font) + "\\fs" + QByteArray::number(style.halfPoints);
        if (style.foreground)
            words += "\\cf" + QByteArray::number(style.foreground);
        if (style.background)
            words += "\\highlight" + QByteArray::number(style.background);
        if (style.bold)
            words += "\\b";
        if (style.italic)
            words += "\\i";
        if (style.underline)
            words += "\\ul";
        if (style.strikeOut)
            words += "\\strike";
        m_body.control(words);
    }

    const CharEncoder& encoderFor(int charset)
    {
        std::unique_ptr<CharEncoder>& encoder = charset == kCjkCharset ? m_gbEncoder : m_westernEncoder;
        if (!encoder)
            encoder = std::make_unique<CharEncoder>(codePageForCharset(charset));
        return *encoder;
    }

    void writeFontTable(QByteArray& out)
    {
        out += "{\\fonttbl";
        for (size_t i = 0; i < m_fonts.size(); ++i) {
            out += '{';
            RtfEmitter entry(out);
            entry.control("\\f" + QByteArray::number(static_cast<int>(i)) + "\\fnil\\fcharset" +
                          QByteArray::number(m_fonts[i].charset));
            // A ';' would end the entry early.
            entry.text(m_fonts[i].family, encoderFor(m_fonts[i].charset), RtfEmitter::Unicode::WhenNotEncodable, ";");
            out += ";}";
        }
        out += '}';
    }

    void writeColourTable(QByteArray& out)
    {
        if (m_colours.empty())
            return;
        out += "{\\colortbl ;";
        for (QRgb rgb : m_colours) {
            out += "\\red" + QByteArray::number(qRed(rgb)) + "\\green" + QByteArray::number(qGreen(rgb)) + "\\blue" +
                   QByteArray::number(qBlue(rgb)) + ';';
        }
        out += '}';
    }

    const QTextDocument& m_document;
    std::vector<FontEntry> m_fonts;
    std::vector<QRgb> m_colours;
    QByteArray m_bodyBytes;
    RtfEmitter m_body{m_bodyBytes};
    RunStyle m_style;
    bool m_haveStyle = false;
    std::unique_ptr<CharEncoder> m_gbEncoder;
    std::unique_ptr<CharEncoder> m_westernEncoder;
};

} // namespace

QByteArray writeRtf(const QTextDocument& document) { return RtfWriter(document).write(); }

} // namespace tavemo::richtext
