#pragma once
// What every command-line tool of the program shares, in plain C++ (tavemo-cal has no Qt): the
// exit statuses, the one-line message on stderr, the --help/--version preamble, the option scanner
// and the date operand. QtCli.h adds what the tools built on Qt share.
//
// A tool's conventions, written once here:
//   - every message is one line on stderr, "NAME: MESSAGE"; a refusal of the command line itself
//     (an option, an operand or its value) ends with "（用法见 NAME --help）";
//   - exit status 0 done; 1 failed while working; 2 bad input, with nothing written;
//   - options may stand anywhere among the operands; one that takes a value takes it as
//     "--opt value" or "--opt=value"; an option given twice, an empty value and an unknown option
//     are refused.

#include "engine/DateTime.h"

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tavemo::cli {

inline constexpr int kDone = 0;
inline constexpr int kFailed = 1;   // failed while working
inline constexpr int kBadInput = 2; // bad input: nothing was written

// The one rule for a message that must stay one line and must not drive the terminal: every
// control character (line breaks, tabs and escapes among them, and DEL) shows as '?'.
std::string oneLine(std::string_view text);

struct Tool {
    std::string_view name; // "tavemo-notes"
    std::string_view help; // the text --help prints, ending in a line break

    // Writes "NAME: MESSAGE" (through oneLine) on stderr and returns `status`.
    int complain(int status, std::string_view message) const;
    // A refusal of the command line: the message and the pointer to --help.
    std::string usageError(std::string_view message) const;
    // Answers --help (-h) and --version standing first, before anything else is looked at (no Qt
    // application, no display): the exit status, or nothing when the first argument is neither.
    // Another argument after them is a usage error.
    std::optional<int> preamble(std::span<const std::string_view> args) const;
    // Flushes standard output: kDone, or kFailed saying "无法写出结果" when it could not be
    // written (a full disk, a closed pipe).
    int finish() const;
};

// The arguments after the program name.
std::vector<std::string_view> argumentsOf(int argc, char** argv);

struct Option {
    std::string_view name; // "--dir"
    bool takesValue = false;
};

struct ScannedArguments {
    std::map<std::string, std::string, std::less<>> given; // option → value (empty for a flag)
    std::vector<std::string> operands;
    std::string error; // empty when understood; else the refusal, without the usage pointer

    bool has(std::string_view option) const { return given.find(option) != given.end(); }
    // The value of an option; nothing when it was not given.
    std::optional<std::string> value(std::string_view option) const;
};

// Sorts `args` into the `options` they give and the operands. An argument is an option when it
// begins with "--", or with "-" and a letter; "-" alone (standard input) and "-5" are operands.
ScannedArguments scanArguments(std::span<const std::string_view> args, std::span<const Option> options);

// A day given on the command line: YYYY-MM-DD, or also YYYYMMDD when `acceptCompact`, within the
// calendar's range (engine::parseCalendarDate). Nothing for anything else, with `error` set to
// the engine's reason, "：" and the text.
std::optional<engine::DateTime> dateOperand(std::string_view text, bool acceptCompact, std::string* error);

} // namespace tavemo::cli
