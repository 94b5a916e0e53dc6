#include "Cli.h"

#include "TavemoVersion.h"
#include "engine/CalendarRange.h"

#include <cstdio>

namespace tavemo::cli {

std::string oneLine(std::string_view text)
{
    std::string line(text);
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    return line;
}

int Tool::complain(int status, std::string_view message) const
{
    const std::string line = std::string(name) + ": " + oneLine(message) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    return status;
}

std::string Tool::usageError(std::string_view message) const
{
    return std::string(message) + "（用法见 " + std::string(name) + " --help）";
}

std::optional<int> Tool::preamble(std::span<const std::string_view> args) const
{
    if (args.empty())
        return std::nullopt;
    const std::string_view first = args.front();
    const bool help = first == "--help" || first == "-h";
    if (!help && first != "--version")
        return std::nullopt;
    if (args.size() > 1)
        return complain(kBadInput, usageError(std::string(first) + " 不接受其他参数"));
    if (help)
        std::fwrite(this->help.data(), 1, this->help.size(), stdout);
    else
        std::printf("%.*s %s\n", static_cast<int>(name.size()), name.data(), tavemo::kVersion);
    return finish();
}

int Tool::finish() const
{
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return kDone;
    return complain(kFailed, "无法写出结果");
}

std::vector<std::string_view> argumentsOf(int argc, char** argv)
{
    return argc > 1 ? std::vector<std::string_view>(argv + 1, argv + argc) : std::vector<std::string_view>();
}

std::optional<std::string> ScannedArguments::value(std::string_view option) const
{
    const auto found = given.find(option);
    if (found == given.end())
        return std::nullopt;
    return found->second;
}

ScannedArguments scanArguments(std::span<const std::string_view> args, std::span<const Option> options)
{
    ScannedArguments scanned;
    const auto refuse = [&](std::string message) {
        scanned.error = std::move(message);
        return scanned;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        const bool isOption = arg.size() > 1 && arg[0] == '-' &&
                              (arg[1] == '-' || (arg[1] >= 'a' && arg[1] <= 'z') || (arg[1] >= 'A' && arg[1] <= 'Z'));
        if (!isOption) {
            scanned.operands.emplace_back(arg);
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string_view name = arg.substr(0, equals);
        const Option* option = nullptr;
        for (const Option& known : options)
            if (known.name == name)
                option = &known;
        if (!option)
            return refuse("未知选项“" + std::string(equals == std::string_view::npos ? arg : name) + "”");
        if (scanned.has(name))
            return refuse(std::string(name) + " 只能给出一次");
        std::string value;
        if (!option->takesValue) {
            if (equals != std::string_view::npos)
                return refuse(std::string(name) + " 不带取值");
        } else if (equals != std::string_view::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return refuse(std::string(name) + " 后面缺少取值");
        }
        if (option->takesValue && value.empty())
            return refuse(std::string(name) + " 的取值不能为空");
        scanned.given.emplace(std::string(name), std::move(value));
    }
    return scanned;
}

std::optional<engine::DateTime> dateOperand(std::string_view text, bool acceptCompact, std::string* error)
{
    const std::optional<engine::DateTime> day = engine::parseCalendarDate(text, acceptCompact);
    if (!day)
        *error = engine::whyNotACalendarDate(text, acceptCompact) + "：" + std::string(text);
    return day;
}

} // namespace tavemo::cli
