// Reads RTF into a QTextDocument; bytes that are not RTF are read as plain text.
//
// The reader is a state machine over RtfTokenizer's tokens. Every group pushes a copy of the state
// (destination, character attributes, \uc count, alignment); text goes to the sink of the current
// destination. Bytes from \'hh and raw 8-bit text collect until something else arrives and are then
// decoded together in the current font's code page, so a double-byte character split over two
// \'hh escapes decodes as one. The whole stream is parsed into paragraphs before the document is
// touched, so a refused stream leaves the document as it was.
//
// Word processors give each script its own set of character properties: the regular words (\f,
// \fs, \b, \i) and, after \loch, \hich, \dbch or \rtlch, associated words (\af, \afs, \ab, \ai)
// that override them for the characters of that class (Latin, other single-byte, Chinese and the
// other double-byte scripts, right-to-left). Text is split by class as it arrives and each piece
// gets the properties that apply to it.

#include "richtext/RtfCodec.h"
#include "richtext/RtfTokenizer.h"
#include "richtext/TextEncoding.h"

#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

namespace tavemo::richtext {

namespace {

constexpr int kMaxGroupDepth = 256;
constexpr size_t kMaxTableEntries = 65536;
constexpr int kDefaultHalfPoints = 24;

enum class Destination { Body, FontTable, ColourTable, Skip };

// The look of a run; colours are colour table indexes (an index naming no entry, or an entry
// without components, is the automatic colour); font -1 is the document's default font (\deff).
struct RunFormat {
    int font = -1;
    int halfPoints = kDefaultHalfPoints;
    int foreground = 0;
    int background = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool operator==(const RunFormat&) const = default;
};

// The classes of characters that carry associated properties.
enum CharClass : unsigned char { LowAnsi, HighAnsi, DoubleByte, RightToLeft, kCharClasses };

// Associated properties of one class: where set, they replace the regular ones.
struct Associated {
    std::optional<int> font;
    std::optional<int> halfPoints;
    std::optional<bool> bold;
    std::optional<bool> italic;
};

struct CharState {
    RunFormat format;    // the regular properties
    bool hidden = false; // \v: text the Windows editor does not show
    bool anyAssociated = false;
    std::array<Associated, kCharClasses> associated{};
    CharClass associatedTarget = RightToLeft; // the class \af, \afs, \ab, \ai apply to
    std::optional<CharClass> marked;          // \loch, \hich, \dbch: what the following text is
};

struct GroupState {
    Destination destination = Destination::Body;
    CharState chars;
    int unicodeSkip = 1; // \ucN: fallback units after each \uN
    Qt::Alignment alignment = Qt::AlignLeft;
};

struct Run {
    QString text;
    RunFormat format;
};

struct Paragraph {
    std::vector<Run> runs;
    Qt::Alignment alignment = Qt::AlignLeft;
    RunFormat endFormat; // attributes of the paragraph mark: an empty line's height
};

struct FontDef {
    QString name;
    int charset = -1;
};

enum class Keyword {
    Rtf,
    Ansi,
    Mac,
    Pc,
    Pca,
    AnsiCodePage,
    DefaultFont,
    UnicodeSkip,
    Unicode,
    FontTable,
    ColourTable,
    SkipDestination,
    Font,
    FontCharset,
    FontSize,
    Foreground,
    Background,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    StrikeOut,
    Hidden,
    Plain,
    ParagraphDefault,
    Paragraph,
    Line,
    Tab,
    Cell,
    Row,
    AlignLeft,
    AlignCenter,
    AlignRight,
    AlignJustify,
    Red,
    Green,
    Blue,
    Character,
    AssociatedFont,
    AssociatedSize,
    AssociatedBold,
    AssociatedItalic,
    LowAnsiChars,
    HighAnsiChars,
    DoubleByteChars,
    RightToLeftChars,
    LeftToRightChars,
};

struct KeywordEntry {
    const char* name;
    Keyword keyword;
    char16_t character; // Keyword::Character only
};

// Sorted by name for binary search. Words not listed are ignored; destinations not listed here
// but written after \* are skipped by the \* rule.
constexpr KeywordEntry kKeywords[] = {
    {"ab", Keyword::AssociatedBold, 0},
    {"af", Keyword::AssociatedFont, 0},
    {"afs", Keyword::AssociatedSize, 0},
    {"ai", Keyword::AssociatedItalic, 0},
    {"ansi", Keyword::Ansi, 0},
    {"ansicpg", Keyword::AnsiCodePage, 0},
    {"author", Keyword::SkipDestination, 0},
    {"b", Keyword::Bold, 0},
    {"blue", Keyword::Blue, 0},
    {"bullet", Keyword::Character, 0x2022},
    {"buptim", Keyword::SkipDestination, 0},
    {"cb", Keyword::Background, 0},
    {"cell", Keyword::Cell, 0},
    {"cf", Keyword::Foreground, 0},
    {"colortbl", Keyword::ColourTable, 0},
    {"comment", Keyword::SkipDestination, 0},
    {"creatim", Keyword::SkipDestination, 0},
    {"dbch", Keyword::DoubleByteChars, 0},
    {"deff", Keyword::DefaultFont, 0},
    {"doccomm", Keyword::SkipDestination, 0},
    {"emdash", Keyword::Character, 0x2014},
    {"emspace", Keyword::Character, 0x2003},
    {"endash", Keyword::Character, 0x2013},
    {"enspace", Keyword::Character, 0x2002},
    {"f", Keyword::Font, 0},
    {"fcharset", Keyword::FontCharset, 0},
    {"fldinst", Keyword::SkipDestination, 0},
    {"fonttbl", Keyword::FontTable, 0},
    {"footer", Keyword::SkipDestination, 0},
    {"footerf", Keyword::SkipDestination, 0},
    {"footerl", Keyword::SkipDestination, 0},
    {"footerr", Keyword::SkipDestination, 0},
    {"footnote", Keyword::SkipDestination, 0},
    {"fs", Keyword::FontSize, 0},
    {"ftncn", Keyword::SkipDestination, 0},
    {"ftnsep", Keyword::SkipDestination, 0},
    {"ftnsepc", Keyword::SkipDestination, 0},
    {"green", Keyword::Green, 0},
    {"header", Keyword::SkipDestination, 0},
    {"headerf", Keyword::SkipDestination, 0},
    {"headerl", Keyword::SkipDestination, 0},
    {"headerr", Keyword::SkipDestination, 0},
    {"hich", Keyword::HighAnsiChars, 0},
    {"highlight", Keyword::Background, 0},
    {"i", Keyword::Italic, 0},
    {"info", Keyword::SkipDestination, 0},
    {"keywords", Keyword::SkipDestination, 0},
    {"ldblquote", Keyword::Character, 0x201C},
    {"line", Keyword::Line, 0},
    {"listoverridetable", Keyword::SkipDestination, 0},
    {"listtable", Keyword::SkipDestination, 0},
    {"loch", Keyword::LowAnsiChars, 0},
    {"lquote", Keyword::Character, 0x2018},
    {"ltrch", Keyword::LeftToRightChars, 0},
    {"mac", Keyword::Mac, 0},
    {"nestcell", Keyword::Cell, 0},
    {"nestrow", Keyword::Row, 0},
    {"nonshppict", Keyword::SkipDestination, 0},
    {"object", Keyword::SkipDestination, 0},
    {"operator", Keyword::SkipDestination, 0},
    {"par", Keyword::Paragraph, 0},
    {"pard", Keyword::ParagraphDefault, 0},
    {"pc", Keyword::Pc, 0},
    {"pca", Keyword::Pca, 0},
    {"pict", Keyword::SkipDestination, 0},
    {"plain", Keyword::Plain, 0},
    {"printim", Keyword::SkipDestination, 0},
    {"private", Keyword::SkipDestination, 0},
    {"qc", Keyword::AlignCenter, 0},
    {"qj", Keyword::AlignJustify, 0},
    {"ql", Keyword::AlignLeft, 0},
    {"qr", Keyword::AlignRight, 0},
    {"rdblquote", Keyword::Character, 0x201D},
    {"red", Keyword::Red, 0},
    {"revtim", Keyword::SkipDestination, 0},
    {"row", Keyword::Row, 0},
    {"rquote", Keyword::Character, 0x2019},
    {"rtf", Keyword::Rtf, 0},
    {"rtlch", Keyword::RightToLeftChars, 0},
    {"sect", Keyword::Paragraph, 0},
    {"strike", Keyword::StrikeOut, 0},
    {"striked", Keyword::StrikeOut, 0},
    {"stylesheet", Keyword::SkipDestination, 0},
    {"subject", Keyword::SkipDestination, 0},
    {"tab", Keyword::Tab, 0},
    {"tc", Keyword::SkipDestination, 0},
    {"title", Keyword::SkipDestination, 0},
    {"txe", Keyword::SkipDestination, 0},
    {"u", Keyword::Unicode, 0},
    {"uc", Keyword::UnicodeSkip, 0},
    {"ul", Keyword::Underline, 0},
    {"uld", Keyword::Underline, 0},
    {"uldash", Keyword::Underline, 0},
    {"uldashd", Keyword::Underline, 0},
    {"uldashdd", Keyword::Underline, 0},
    {"uldb", Keyword::Underline, 0},
    {"ulnone", Keyword::UnderlineNone, 0},
    {"ulth", Keyword::Underline, 0},
    {"ulw", Keyword::Underline, 0},
    {"ulwave", Keyword::Underline, 0},
    {"v", Keyword::Hidden, 0},
    {"xe", Keyword::SkipDestination, 0},
};

constexpr bool keywordsSorted()
{
    for (size_t i = 1; i < std::size(kKeywords); ++i) {
        if (!(std::string_view(kKeywords[i - 1].name) < std::string_view(kKeywords[i].name)))
            return false;
    }
    return true;
}
static_assert(keywordsSorted(), "findKeyword searches the table by halving it");

const KeywordEntry* findKeyword(QByteArrayView word)
{
    const auto* end = std::end(kKeywords);
    const auto* it = std::lower_bound(std::begin(kKeywords), end, word, [](const KeywordEntry& e, QByteArrayView w) {
        return QByteArrayView(e.name) < w;
    });
    return it != end && QByteArrayView(it->name) == word ? it : nullptr;
}

// 1 to 1638 points, as the writer writes.
int clampedHalfPoints(int halfPoints) { return std::clamp(halfPoints, 2, 3276); }

bool isEscapedCharacter(char symbol) { return symbol == '\\' || symbol == '{' || symbol == '}'; }

bool isRtf(QByteArrayView input) { return input.startsWith("{\\rtf"); }

// The class of a character for its associated properties. Han, kana, hangul and CJK punctuation are
// double-byte text and right-to-left scripts their own class wherever they stand; letters and
// digits of other scripts are single-byte text. Spaces, punctuation and symbols belong to the class
// the writer marked the text with (LibreOffice puts the blank after Chinese words into the Chinese
// run), or else go by their code.
CharClass classOf(char16_t c, std::optional<CharClass> marked)
{
    if ((c >= 0x1100 && c <= 0x11FF) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xA960 && c <= 0xA97F) ||
        (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xD840 && c <= 0xD8BF) // planes 2 and 3: more Han
        || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFFEF))
        return DoubleByte;
    if ((c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFE))
        return RightToLeft;
    if (!QChar::isLetterOrNumber(c) && marked)
        return *marked;
    return c < 0x80 ? LowAnsi : HighAnsi;
}

class RtfParser {
public:
    // False when the bytes hold a structure the reader refuses (error() says which); bytes that are
    // not RTF at all are the caller's to tell apart (isRtf).
    bool parse(QByteArrayView input);
    void build(QTextDocument& document) const;
    const QString& error() const { return m_error; }
    const QString& damage() const { return m_damage; }

private:
    GroupState& state() { return m_stack.back(); }
    void controlWord(const RtfToken& token);
    void associatedWord(Keyword keyword, const RtfToken& token);
    void controlSymbol(char symbol);
    void text(QByteArrayView bytes, qsizetype offset);
    void addBytes(QByteArrayView bytes, qsizetype offset);
    void flushBytes();
    void appendText(QStringView text);
    void appendRun(QStringView text, const RunFormat& format);
    RunFormat formatFor(const CharState& chars, CharClass charClass) const;
    void appendUnicodeUnit(int value);
    void commitRun();
    void endParagraph();
    void endTableRow();
    void commitFont();
    void commitColour();
    const char* currentCodePage() const;
    std::optional<QRgb> colourAt(int index) const;
    QTextCharFormat formatOf(const RunFormat& format) const;

    std::vector<GroupState> m_stack;
    DecoderCache m_decoders;
    const char* m_documentCodePage = "CP1252";
    int m_defaultFont = 0;
    int m_skip = 0; // fallback units still to skip after \uN
    QString m_error;
    QString m_damage;

    QByteArray m_pendingBytes;
    const char* m_pendingCodePage = nullptr;
    qsizetype m_pendingOffset = 0; // where the first pending byte stands in the input

    std::map<int, FontDef> m_fonts;
    std::optional<int> m_fontNumber; // the font table entry being read
    int m_fontCharset = -1;
    QString m_fontName;

    std::vector<std::optional<QRgb>> m_colours;
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_colourGiven = false;

    std::vector<Paragraph> m_paragraphs{1};
    bool m_anyParagraphEnded = false;
    Run m_run;
};

bool RtfParser::parse(QByteArrayView input)
{
    RtfTokenizer tokenizer(input);
    for (RtfToken token = tokenizer.next(); token.type != RtfToken::End; token = tokenizer.next()) {
        // Bytes wait for their partners: a double-byte character may be split over an escape and
        // a plain or escaped character (\'b3\\ is one Big5 character).
        const bool carriesBytes = token.type == RtfToken::Text || token.type == RtfToken::HexByte ||
                                  (token.type == RtfToken::ControlSymbol && isEscapedCharacter(token.symbol));
        if (!carriesBytes)
            flushBytes();
        switch (token.type) {
        case RtfToken::GroupOpen:
            if (m_stack.size() >= kMaxGroupDepth) {
                m_error = QStringLiteral("RTF 的分组嵌套超过 %1 层，无法读取").arg(kMaxGroupDepth);
                return false;
            }
            m_skip = 0;
            m_stack.push_back(m_stack.empty() ? GroupState{} : state());
            break;
        case RtfToken::GroupClose:
            m_skip = 0;
            // The last entry of a table may lack its closing ';'.
            if (state().destination == Destination::FontTable)
                commitFont();
            else if (state().destination == Destination::ColourTable && m_colourGiven)
                commitColour();
            m_stack.pop_back();
            break;
        case RtfToken::ControlWord:
            if (m_skip > 0)
                --m_skip;
            else
                controlWord(token);
            break;
        case RtfToken::ControlSymbol:
            if (m_skip > 0)
                --m_skip;
            else if (isEscapedCharacter(token.symbol))
                addBytes(QByteArrayView(&token.symbol, 1), token.offset);
            else
                controlSymbol(token.symbol);
            break;
        case RtfToken::HexByte:
            if (m_skip > 0)
                --m_skip;
            else
                addBytes(QByteArrayView(reinterpret_cast<const char*>(&token.byte), 1), token.offset);
            break;
        case RtfToken::Text:
            text(token.word, token.offset);
            break;
        case RtfToken::End:
            break;
        }
        if (m_stack.empty())
            break; // what follows the document's group is not part of it
    }
    // A stream cut off inside its groups keeps what it holds: that is all of the note there is.
    flushBytes();
    commitRun();
    if (!m_stack.empty() && m_damage.isEmpty())
        m_damage = QStringLiteral("RTF 不完整：结尾缺少 %1 个“}”").arg(m_stack.size());
    if (m_anyParagraphEnded && m_paragraphs.back().runs.empty())
        m_paragraphs.pop_back(); // the paragraph mark closing the final paragraph opened nothing new
    return true;
}

void RtfParser::controlWord(const RtfToken& token)
{
    const KeywordEntry* entry = findKeyword(token.word);
    if (!entry)
        return;
    const int param = token.parameter;
    const bool on = !token.hasParameter || param != 0;
    GroupState& s = state();
    CharState& chars = s.chars;

    // The header's words set document-wide properties wherever they stand.
    switch (entry->keyword) {
    case Keyword::Rtf:
        return;
    case Keyword::Ansi:
        m_documentCodePage = "CP1252";
        return;
    case Keyword::Mac:
        m_documentCodePage = "MACINTOSH";
        return;
    case Keyword::Pc:
        m_documentCodePage = "CP437";
        return;
    case Keyword::Pca:
        m_documentCodePage = "CP850";
        return;
    case Keyword::AnsiCodePage:
        if (token.hasParameter)
            m_documentCodePage = codePageForWindowsCodePage(param);
        return;
    case Keyword::DefaultFont:
        if (token.hasParameter)
            m_defaultFont = param;
        return;
    case Keyword::UnicodeSkip:
        if (token.hasParameter)
            s.unicodeSkip = std::clamp(param, 0, 0xFFFF);
        return;
    case Keyword::Unicode:
        if (token.hasParameter)
            appendUnicodeUnit(param);
        return;
    case Keyword::FontTable:
        s.destination = Destination::FontTable;
        return;
    case Keyword::ColourTable:
        s.destination = Destination::ColourTable;
        m_colourGiven = false;
        m_red = m_green = m_blue = 0;
        return;
    case Keyword::SkipDestination:
        s.destination = Destination::Skip;
        return;
    default:
        break;
    }

    if (s.destination == Destination::FontTable) {
        if (entry->keyword == Keyword::Font && token.hasParameter) {
            commitFont();
            m_fontNumber = param;
            m_fontCharset = -1;
        } else if (entry->keyword == Keyword::FontCharset && token.hasParameter) {
            m_fontCharset = param;
        }
        return;
    }
    if (s.destination == Destination::ColourTable) {
        const int component = std::clamp(param, 0, 255);
        switch (entry->keyword) {
        case Keyword::Red:
            m_red = component;
            m_colourGiven = true;
            break;
        case Keyword::Green:
            m_green = component;
            m_colourGiven = true;
            break;
        case Keyword::Blue:
            m_blue = component;
            m_colourGiven = true;
            break;
        default:
            break;
        }
        return;
    }
    if (s.destination != Destination::Body)
        return;

    RunFormat& format = chars.format;
    switch (entry->keyword) {
    case Keyword::Font:
        if (token.hasParameter)
            format.font = param;
        break;
    case Keyword::FontSize:
        if (token.hasParameter && param > 0)
            format.halfPoints = clampedHalfPoints(param);
        break;
    case Keyword::Foreground:
        format.foreground = token.hasParameter ? param : 0;
        break;
    case Keyword::Background:
        format.background = token.hasParameter ? param : 0;
        break;
    case Keyword::Bold:
        format.bold = on;
        break;
    case Keyword::Italic:
        format.italic = on;
        break;
    case Keyword::Underline:
        format.underline = on;
        break;
    case Keyword::UnderlineNone:
        format.underline = false;
        break;
    case Keyword::StrikeOut:
        format.strikeOut = on;
        break;
    case Keyword::Hidden:
        chars.hidden = on;
        break;
    case Keyword::Plain:
        chars = CharState{};
        break;
    case Keyword::LowAnsiChars:
        chars.associatedTarget = LowAnsi;
        chars.marked = LowAnsi;
        break;
    case Keyword::HighAnsiChars:
        chars.associatedTarget = HighAnsi;
        chars.marked = HighAnsi;
        break;
    case Keyword::DoubleByteChars:
        chars.associatedTarget = DoubleByte;
        chars.marked = DoubleByte;
        break;
    case Keyword::RightToLeftChars:
        chars.associatedTarget = RightToLeft;
        break;
    case Keyword::LeftToRightChars:
        chars.associatedTarget = LowAnsi;
        break;
    case Keyword::AssociatedFont:
    case Keyword::AssociatedSize:
    case Keyword::AssociatedBold:
    case Keyword::AssociatedItalic:
        associatedWord(entry->keyword, token);
        break;
    case Keyword::ParagraphDefault:
        s.alignment = Qt::AlignLeft;
        break;
    case Keyword::AlignLeft:
        s.alignment = Qt::AlignLeft;
        break;
    case Keyword::AlignCenter:
        s.alignment = Qt::AlignHCenter;
        break;
    case Keyword::AlignRight:
        s.alignment = Qt::AlignRight;
        break;
    case Keyword::AlignJustify:
        s.alignment = Qt::AlignJustify;
        break;
    case Keyword::Paragraph:
        endParagraph();
        break;
    case Keyword::Line:
        appendText(QStringView(u"\u2028"));
        break;
    case Keyword::Tab:
    case Keyword::Cell:
        appendText(u"\t");
        break;
    case Keyword::Row:
        endTableRow();
        break;
    case Keyword::Character:
        appendText(QStringView(&entry->character, 1));
        break;
    default:
        break;
    }
}

void RtfParser::associatedWord(Keyword keyword, const RtfToken& token)
{
    CharState& chars = state().chars;
    Associated& associated = chars.associated[chars.associatedTarget];
    const bool on = !token.hasParameter || token.parameter != 0;
    switch (keyword) {
    case Keyword::AssociatedFont:
        if (!token.hasParameter)
            return;
        associated.font = token.parameter;
        break;
    case Keyword::AssociatedSize:
        if (!token.hasParameter || token.parameter <= 0)
            return;
        associated.halfPoints = clampedHalfPoints(token.parameter);
        break;
    case Keyword::AssociatedBold:
        associated.bold = on;
        break;
    case Keyword::AssociatedItalic:
        associated.italic = on;
        break;
    default:
        return;
    }
    chars.anyAssociated = true;
}

void RtfParser::controlSymbol(char symbol)
{
    switch (symbol) {
    case '*':
        state().destination = Destination::Skip;
        break; // no \* destination carries note text
    case '~':
        appendText(u"\u00A0");
        break;
    case '_':
        appendText(u"\u2011");
        break;
    case '\n':
        if (state().destination == Destination::Body)
            endParagraph();
        break;
    default:
        break; // \- optional hyphen, \| \: and index marks show nothing
    }
}

void RtfParser::text(QByteArrayView bytes, qsizetype offset)
{
    if (m_skip > 0) {
        const qsizetype skipped = std::min<qsizetype>(m_skip, bytes.size());
        bytes = bytes.sliced(skipped);
        offset += skipped;
        m_skip -= static_cast<int>(skipped);
    }
    switch (state().destination) {
    case Destination::Body:
        addBytes(bytes, offset);
        break;
    case Destination::FontTable:
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == ';') {
                flushBytes();
                commitFont();
            } else {
                addBytes(bytes.sliced(i, 1), offset + i);
            }
        }
        break;
    case Destination::ColourTable:
        for (char c : bytes) {
            if (c == ';')
                commitColour();
        }
        break;
    case Destination::Skip:
        break;
    }
}

void RtfParser::addBytes(QByteArrayView bytes, qsizetype offset)
{
    const Destination destination = state().destination;
    if (destination != Destination::Body && destination != Destination::FontTable)
        return;
    const char* codePage = currentCodePage();
    if (!m_pendingBytes.isEmpty() && codePage != m_pendingCodePage)
        flushBytes();
    if (m_pendingBytes.isEmpty())
        m_pendingOffset = offset;
    m_pendingCodePage = codePage;
    m_pendingBytes += bytes;
}

void RtfParser::flushBytes()
{
    if (m_pendingBytes.isEmpty())
        return;
    bool ascii = true;
    for (char c : m_pendingBytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    qsizetype undecodable = -1;
    QString decoded = ascii ? QString::fromLatin1(m_pendingBytes)
                            : m_decoders.get(m_pendingCodePage).decode(m_pendingBytes, &undecodable);
    if (undecodable >= 0 && m_damage.isEmpty())
        m_damage = QStringLiteral("第 %1 字节起的文字不是有效的 %2 编码")
                       .arg(bytePosition(m_pendingOffset), QLatin1String(m_pendingCodePage));
    m_pendingBytes.clear();
    decoded.removeIf([](QChar c) { return !isNoteTextCharacter(c.unicode()); });
    appendText(decoded);
}

void RtfParser::appendText(QStringView text)
{
    if (text.isEmpty())
        return;
    GroupState& s = state();
    if (s.destination == Destination::FontTable) {
        m_fontName += text;
        return;
    }
    if (s.destination != Destination::Body || s.chars.hidden)
        return;
    m_paragraphs.back().alignment = s.alignment; // a paragraph not ended by \par keeps this one
    if (!s.chars.anyAssociated) {
        appendRun(text, s.chars.format);
        return;
    }
    // Pieces of one class at a time, each with the properties of its class.
    std::array<std::optional<RunFormat>, kCharClasses> formats;
    qsizetype start = 0;
    std::optional<CharClass> pieceClass;
    const auto flushPiece = [&](qsizetype end) {
        if (end > start && pieceClass) {
            std::optional<RunFormat>& format = formats[*pieceClass];
            if (!format)
                format = formatFor(s.chars, *pieceClass);
            appendRun(text.sliced(start, end - start), *format);
        }
        start = end;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isLowSurrogate(c) && (i > 0 ? QChar::isHighSurrogate(text[i - 1].unicode())
                                               : !m_run.text.isEmpty() && m_run.text.back().isHighSurrogate())) {
            if (i == 0) { // the partner of the unit before: it stays in that run
                m_run.text += text[i];
                start = 1;
            }
            continue; // a pair keeps the class of its first half
        }
        const CharClass charClass = classOf(c, s.chars.marked);
        if (pieceClass != charClass) {
            flushPiece(i);
            pieceClass = charClass;
        }
    }
    flushPiece(text.size());
}

void RtfParser::appendRun(QStringView text, const RunFormat& format)
{
    if (text.isEmpty())
        return;
    if (!m_run.text.isEmpty() && !(m_run.format == format))
        commitRun();
    m_run.format = format;
    m_run.text += text;
}

RunFormat RtfParser::formatFor(const CharState& chars, CharClass charClass) const
{
    RunFormat format = chars.format;
    const Associated& associated = chars.associated[charClass];
    // An associated font that the font table does not define leaves the regular one.
    if (associated.font && m_fonts.contains(*associated.font))
        format.font = *associated.font;
    if (associated.halfPoints)
        format.halfPoints = *associated.halfPoints;
    if (associated.bold)
        format.bold = *associated.bold;
    if (associated.italic)
        format.italic = *associated.italic;
    return format;
}

void RtfParser::appendUnicodeUnit(int value)
{
    m_skip = state().unicodeSkip;
    if (value < 0)
        value += 0x10000; // \u takes a signed 16-bit number
    char16_t unit = value >= 0 && value <= 0xFFFF ? char16_t(value) : char16_t(0xFFFD);
    if (!isNoteTextCharacter(unit))
        return;
    appendText(QStringView(&unit, 1));
}

void RtfParser::commitRun()
{
    if (m_run.text.isEmpty())
        return;
    // A surrogate left without its partner would be invalid text in the document.
    QString& text = m_run.text;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            text[i] = QChar(QChar::ReplacementCharacter);
    }
    m_paragraphs.back().runs.push_back(std::move(m_run));
    m_run = Run{};
}

void RtfParser::endParagraph()
{
    commitRun();
    Paragraph& paragraph = m_paragraphs.back();
    paragraph.alignment = state().alignment;
    paragraph.endFormat = state().chars.format;
    m_paragraphs.emplace_back();
    m_anyParagraphEnded = true;
}

void RtfParser::endTableRow()
{
    // A row reads as one line of tab-separated cells: drop the separator after the last cell.
    commitRun();
    auto& runs = m_paragraphs.back().runs;
    if (!runs.empty() && runs.back().text.endsWith(u'\t')) {
        runs.back().text.chop(1);
        if (runs.back().text.isEmpty())
            runs.pop_back();
    }
    endParagraph();
}

void RtfParser::commitFont()
{
    if (m_fontNumber && m_fonts.size() < kMaxTableEntries) {
        // A face name is one line of printable text: tabs and breaks in it are damage.
        m_fontName.removeIf([](QChar c) { return c.unicode() < 0x20 || c == QChar::LineSeparator; });
        // Blanks around the name are layout of the table; other spaces (U+00A0 …) are the name's own.
        qsizetype begin = 0, end = m_fontName.size();
        while (begin < end && m_fontName[begin] == u' ')
            ++begin;
        while (end > begin && m_fontName[end - 1] == u' ')
            --end;
        m_fonts[*m_fontNumber] = FontDef{m_fontName.sliced(begin, end - begin), m_fontCharset};
    }
    m_fontNumber.reset();
    m_fontName.clear();
    m_fontCharset = -1;
}

void RtfParser::commitColour()
{
    if (m_colours.size() < kMaxTableEntries) {
        if (m_colourGiven)
            m_colours.push_back(qRgb(m_red, m_green, m_blue));
        else
            m_colours.push_back(std::nullopt); // "auto": the editor's own text colour
    }
    m_colourGiven = false;
    m_red = m_green = m_blue = 0;
}

const char* RtfParser::currentCodePage() const
{
    int charset = -1;
    const GroupState& s = m_stack.back();
    if (s.destination == Destination::FontTable) {
        charset = m_fontCharset;
    } else {
        // Bytes of text marked as one class are in the code page of that class's font.
        int number = s.chars.format.font >= 0 ? s.chars.format.font : m_defaultFont;
        if (s.chars.marked) {
            const std::optional<int>& associated = s.chars.associated[*s.chars.marked].font;
            if (associated && m_fonts.contains(*associated))
                number = *associated;
        }
        const auto font = m_fonts.find(number);
        if (font != m_fonts.end())
            charset = font->second.charset;
    }
    const char* codePage = codePageForCharset(charset);
    return codePage ? codePage : m_documentCodePage;
}

std::optional<QRgb> RtfParser::colourAt(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_colours.size())
        return std::nullopt;
    return m_colours[static_cast<size_t>(index)];
}

QTextCharFormat RtfParser::formatOf(const RunFormat& chars) const
{
    QTextCharFormat format;
    auto font = m_fonts.find(chars.font >= 0 ? chars.font : m_defaultFont);
    if (font == m_fonts.end())
        font = m_fonts.find(m_defaultFont);
    if (font != m_fonts.end() && !font->second.name.isEmpty())
        format.setFontFamilies({font->second.name});
    format.setFontPointSize(chars.halfPoints / 2.0);
    // Entries without components are "auto": the editor's own colour. \highlight0 and \cb0 mean
    // no background whatever entry 0 holds.
    if (const std::optional<QRgb> fg = colourAt(chars.foreground))
        format.setForeground(QColor(*fg));
    if (const std::optional<QRgb> bg = colourAt(chars.background); bg && chars.background > 0)
        format.setBackground(QColor(*bg));
    format.setFontWeight(chars.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(chars.italic);
    format.setFontUnderline(chars.underline);
    format.setFontStrikeOut(chars.strikeOut);
    return format;
}

// A loaded note starts a fresh undo history: replacing the content is not a step one can undo.
template <typename Replace>
void replaceWithoutUndo(QTextDocument& document, Replace replace)
{
    const bool undoEnabled = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    replace();
    document.setUndoRedoEnabled(undoEnabled);
}

void RtfParser::build(QTextDocument& document) const
{
    document.clear();
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    bool first = true;
    for (const Paragraph& paragraph : m_paragraphs) {
        QTextBlockFormat blockFormat;
        blockFormat.setAlignment(paragraph.alignment);
        const QTextCharFormat markFormat = formatOf(paragraph.endFormat);
        if (first) {
            cursor.setBlockFormat(blockFormat);
            cursor.setBlockCharFormat(markFormat);
            first = false;
        } else {
            cursor.insertBlock(blockFormat, markFormat);
        }
        for (const Run& run : paragraph.runs)
            cursor.insertText(run.text, formatOf(run.format));
    }
    cursor.endEditBlock();
}

QString decodePlainText(const QByteArray& bytes)
{
    QString text = isValidUtf8(bytes) ? QString::fromUtf8(bytes) : decodeGb18030(bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    text.removeIf([](QChar c) { return c != u'\n' && !isNoteTextCharacter(c.unicode()); });
    return text;
}

ReadResult unreadable(ReadMode mode, const QString& why, const QString& damage = {})
{
    return {Outcome::failedSaying(Failure::Unreadable, {}, why), mode, damage};
}

} // namespace

ReadResult readRtf(const QByteArray& bytes, QTextDocument& document)
{
    if (bytes.isEmpty()) {
        replaceWithoutUndo(document, [&] { document.clear(); });
        return {Outcome::success(), ReadMode::Empty, {}};
    }
    if (isRtf(bytes)) {
        RtfParser parser;
        if (!parser.parse(bytes))
            return unreadable(ReadMode::Rtf, parser.error());
        replaceWithoutUndo(document, [&] { parser.build(document); });
        return {Outcome::success(), ReadMode::Rtf, parser.damage()};
    }
    replaceWithoutUndo(document, [&] { document.setPlainText(decodePlainText(bytes)); });
    return {Outcome::success(), ReadMode::PlainText, {}};
}

ReadResult importNote(const QByteArray& bytes, QTextDocument& document)
{
    if (bytes.isEmpty())
        return readRtf(bytes, document);
    const QByteArrayView rtf =
        bytes.startsWith("\xEF\xBB\xBF{\\rtf") ? QByteArrayView(bytes).sliced(3) : QByteArrayView(bytes);
    if (isRtf(rtf)) {
        RtfParser parser;
        if (!parser.parse(rtf))
            return unreadable(ReadMode::Rtf, parser.error());
        if (!parser.damage().isEmpty())
            return unreadable(ReadMode::Rtf, parser.damage(), parser.damage());
        replaceWithoutUndo(document, [&] { parser.build(document); });
        return {Outcome::success(), ReadMode::Rtf, {}};
    }
    QString error;
    const std::optional<QString> text = decodeTextStrictly(bytes, &error);
    if (!text)
        return unreadable(ReadMode::PlainText, error);
    replaceWithoutUndo(document, [&] { document.setPlainText(*text); });
    return {Outcome::success(), ReadMode::PlainText, {}};
}

} // namespace tavemo::richtext
