#pragma once
// What a reader of a note sees in a QTextDocument, in a form tests can compare and print:
// per paragraph its alignment and its runs with text, font, size and styles.

#include <QColor>
#include <QFont>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

namespace tavemo::richtext::test {

struct RunSnapshot {
    QString text;
    QString family;
    int halfPoints = 0; // sizes in half points; pixel sizes count at 96 dpi
    QString foreground; // "#rrggbb", empty for the automatic colour
    QString background;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool operator==(const RunSnapshot&) const = default;
};

struct ParagraphSnapshot {
    Qt::Alignment alignment = Qt::AlignLeft;
    std::vector<RunSnapshot> runs;
    bool operator==(const ParagraphSnapshot&) const = default;
};

inline RunSnapshot snapshotOf(const QTextCharFormat& format, const QTextDocument& document, const QString& text)
{
    const QFont font = format.font().resolve(document.defaultFont());
    RunSnapshot run;
    run.text = text;
    run.family = font.families().isEmpty() ? font.family() : font.families().front();
    run.halfPoints =
        font.pointSizeF() > 0 ? int(std::lround(font.pointSizeF() * 2)) : int(std::lround(font.pixelSize() * 1.5));
    if (format.foreground().style() != Qt::NoBrush)
        run.foreground = format.foreground().color().name();
    if (format.background().style() != Qt::NoBrush)
        run.background = format.background().color().name();
    run.bold = font.weight() >= QFont::DemiBold;
    run.italic = font.italic();
    run.underline = font.underline();
    run.strikeOut = font.strikeOut();
    return run;
}

// Adjacent fragments that look the same are one run: how the document splits them is its own affair.
inline std::vector<ParagraphSnapshot> snapshotOf(const QTextDocument& document)
{
    std::vector<ParagraphSnapshot> paragraphs;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        ParagraphSnapshot paragraph;
        paragraph.alignment = block.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
        if (paragraph.alignment == Qt::AlignLeading)
            paragraph.alignment = Qt::AlignLeft;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            RunSnapshot run = snapshotOf(fragment.charFormat(), document, fragment.text());
            if (!paragraph.runs.empty()) {
                RunSnapshot& last = paragraph.runs.back();
                RunSnapshot probe = run;
                probe.text = last.text;
                if (probe == last) {
                    last.text += run.text;
                    continue;
                }
            }
            paragraph.runs.push_back(run);
        }
        paragraphs.push_back(paragraph);
    }
    return paragraphs;
}

inline std::ostream& operator<<(std::ostream& out, const RunSnapshot& run)
{
    out << '"' << run.text.toStdString() << "\" " << run.family.toStdString() << ' ' << run.halfPoints / 2.0 << "pt";
    if (!run.foreground.isEmpty())
        out << " fg" << run.foreground.toStdString();
    if (!run.background.isEmpty())
        out << " bg" << run.background.toStdString();
    out << (run.bold ? " B" : "") << (run.italic ? " I" : "") << (run.underline ? " U" : "")
        << (run.strikeOut ? " S" : "");
    return out;
}

inline std::ostream& operator<<(std::ostream& out, const ParagraphSnapshot& paragraph)
{
    out << "{align " << int(paragraph.alignment) << ':';
    for (const RunSnapshot& run : paragraph.runs)
        out << " [" << run << ']';
    return out << '}';
}

} // namespace tavemo::richtext::test
