#pragma once
// The command line of tavemo-cal, read into what the program is to do. Pure: no I/O, no clock,
// so that the month of "today" is looked up by the caller. --help and --version are answered
// before (cli::Tool::preamble).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/DateTime.h"

namespace tavemo::cal {

struct Arguments {
    enum class Mode {
        Today, // no arguments: this month, today chosen
        Month, // YEAR MONTH (its first day chosen) or YYYY-MM-DD: the month of `chosen`
        Dump,  // --dump FROM TO (or --dump=FROM TO), from <= to
    };
    Mode mode = Mode::Today;
    engine::DateTime chosen = 0;
    engine::DateTime from = 0;
    engine::DateTime to = 0;
    // Empty when the arguments were understood; otherwise the one-line message for the user
    // (cli::oneLine), and the other fields mean nothing.
    std::string error;
};

// The arguments after the program name.
Arguments parseArguments(const std::vector<std::string_view>& args);

} // namespace tavemo::cal
