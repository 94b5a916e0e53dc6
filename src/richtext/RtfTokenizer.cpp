#include "richtext/RtfTokenizer.h"

#include <algorithm>

namespace tavemo::richtext {

namespace {

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

RtfToken RtfTokenizer::next()
{
    while (m_pos < m_input.size() && (m_input[m_pos] == '\r' || m_input[m_pos] == '\n'))
        ++m_pos; // line ends in RTF are formatting of the file, not text
    const qsizetype start = m_pos;
    RtfToken token = read();
    token.offset = start;
    return token;
}

// One token at m_pos, which is not a line end.
RtfToken RtfTokenizer::read()
{
    if (m_pos >= m_input.size())
        return {RtfToken::End};
    switch (m_input[m_pos]) {
    case '{':
        ++m_pos;
        return {RtfToken::GroupOpen};
    case '}':
        ++m_pos;
        return {RtfToken::GroupClose};
    case '\\':
        return readControl();
    default: {
        const qsizetype start = m_pos;
        while (m_pos < m_input.size()) {
            const char d = m_input[m_pos];
            if (d == '{' || d == '}' || d == '\\' || d == '\r' || d == '\n')
                break;
            ++m_pos;
        }
        RtfToken token{RtfToken::Text};
        token.word = m_input.sliced(start, m_pos - start);
        return token;
    }
    }
}

RtfToken RtfTokenizer::readControl()
{
    ++m_pos; // the backslash
    if (m_pos >= m_input.size())
        return {RtfToken::End};

    const char first = m_input[m_pos];
    if (!isLetter(first)) {
        ++m_pos;
        if (first == '\'') {
            const int high = m_pos < m_input.size() ? hexValue(m_input[m_pos]) : -1;
            const int low = m_pos + 1 < m_input.size() ? hexValue(m_input[m_pos + 1]) : -1;
            if (high < 0 || low < 0) {
                m_pos += high < 0 ? 0 : 1; // the digit that is there belongs to the broken escape
                RtfToken token{RtfToken::ControlSymbol};
                token.symbol = '\''; // malformed escape: a symbol the reader ignores
                return token;
            }
            m_pos += 2;
            RtfToken token{RtfToken::HexByte};
            token.byte = static_cast<unsigned char>(high * 16 + low);
            return token;
        }
        RtfToken token{RtfToken::ControlSymbol};
        token.symbol = first == '\r' ? '\n' : first;
        return token;
    }

    const qsizetype start = m_pos;
    while (m_pos < m_input.size() && isLetter(m_input[m_pos]))
        ++m_pos;
    RtfToken token{RtfToken::ControlWord};
    // An over-long word matches nothing the reader knows, so it is cut rather than kept whole.
    token.word = m_input.sliced(start, std::min(m_pos - start, kMaxWordLength));

    bool negative = false;
    if (m_pos + 1 < m_input.size() && m_input[m_pos] == '-' && isDigit(m_input[m_pos + 1])) {
        negative = true;
        ++m_pos;
    }
    if (m_pos < m_input.size() && isDigit(m_input[m_pos])) {
        token.hasParameter = true;
        long long value = 0;
        while (m_pos < m_input.size() && isDigit(m_input[m_pos])) {
            value = std::min<long long>(value * 10 + (m_input[m_pos] - '0'), kMaxParameter);
            ++m_pos;
        }
        token.parameter = static_cast<int>(negative ? -value : value);
    }
    if (m_pos < m_input.size() && m_input[m_pos] == ' ')
        ++m_pos; // the delimiter belongs to the word

    // \binN: N raw bytes follow that are data, not RTF.
    if (token.word == "bin" && token.hasParameter && token.parameter > 0)
        m_pos += std::min<qsizetype>(token.parameter, m_input.size() - m_pos);
    return token;
}

} // namespace tavemo::richtext
