#include "Arguments.h"

#include "Cli.h"
#include "engine/CalendarRange.h"

namespace tavemo::cal {
namespace {

using engine::parseDecimal;

Arguments failure(const std::string& message)
{
    Arguments result;
    result.error = cli::oneLine(message);
    return result;
}

// --dump takes FROM as its value and TO as the one operand after it.
const cli::Option kOptions[] = {{"--dump", true}};

} // namespace

Arguments parseArguments(const std::vector<std::string_view>& args)
{
    const cli::ScannedArguments scanned = cli::scanArguments(args, kOptions);
    if (!scanned.error.empty())
        return failure(scanned.error);
    const std::vector<std::string>& operands = scanned.operands;
    Arguments result;
    std::string why;

    if (const std::optional<std::string> fromText = scanned.value("--dump")) {
        if (operands.size() != 1)
            return failure("--dump 需要起止两个日期 FROM 和 TO");
        const auto from = cli::dateOperand(*fromText, false, &why);
        if (!from)
            return failure(why);
        const auto to = cli::dateOperand(operands[0], false, &why);
        if (!to)
            return failure(why);
        if (*to < *from)
            return failure("结束日期 TO 早于起始日期 FROM");
        result.mode = Arguments::Mode::Dump;
        result.from = *from;
        result.to = *to;
        return result;
    }

    switch (operands.size()) {
    case 0:
        result.mode = Arguments::Mode::Today;
        return result;
    case 1: {
        const auto date = cli::dateOperand(operands[0], false, &why);
        if (!date)
            return failure(why);
        result.mode = Arguments::Mode::Month;
        result.chosen = *date;
        return result;
    }
    case 2: {
        const auto year = parseDecimal(operands[0]);
        if (!year || !engine::isCalendarYear(*year))
            return failure("不是 " + std::to_string(engine::kFirstCalendarYear) + " 至 " +
                           std::to_string(engine::kLastCalendarYear) + " 之间的年份：" + operands[0]);
        const auto month = parseDecimal(operands[1]);
        if (!month || *month < 1 || *month > 12)
            return failure("不是 1 至 12 之间的月份：" + operands[1]);
        result.mode = Arguments::Mode::Month;
        engine::tryEncodeDate(*year, *month, 1, result.chosen);
        return result;
    }
    default:
        return failure("参数过多");
    }
}

} // namespace tavemo::cal
