#pragma once
// Splits RTF bytes into tokens: braces, control words, control symbols, \'hh bytes and text runs.
// Each call consumes input, so a full pass is linear in the input; binary data after \binN is
// stepped over here and never reaches the reader as text.

#include <QByteArrayView>

namespace tavemo::richtext {

struct RtfToken {
    enum Type { GroupOpen, GroupClose, ControlWord, ControlSymbol, HexByte, Text, End };
    RtfToken(Type t = End) // NOLINT: tokens are made from their type
        : type(t)
    {}
    Type type;
    QByteArrayView word; // ControlWord: the letters; Text: the bytes (never CR or LF)
    bool hasParameter = false;
    int parameter = 0;      // saturated to ±kMaxParameter
    char symbol = 0;        // ControlSymbol: the character after the backslash ('\n' for a line end)
    unsigned char byte = 0; // HexByte
    qsizetype offset = 0;   // where the token starts in the input
};

class RtfTokenizer {
public:
    static constexpr int kMaxParameter = 1'000'000'000;
    static constexpr qsizetype kMaxWordLength = 32;

    explicit RtfTokenizer(QByteArrayView input) : m_input(input) {}

    RtfToken next();

private:
    RtfToken read();
    RtfToken readControl();

    QByteArrayView m_input;
    qsizetype m_pos = 0;
};

} // namespace tavemo::richtext
