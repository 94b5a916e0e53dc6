#include "QtCli.h"

#include "paths/AppPath.h"

#include <QtGlobal>

#include <cstdio>
#include <unistd.h>

namespace tavemo::cli {
namespace {

const Tool* quietTool = nullptr;

void quietHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtFatalMsg || !quietTool)
        return;
    complain(*quietTool, kFailed, QStringLiteral("无法启动 Qt（%1）").arg(message.simplified()));
    ::_exit(kFailed);
}

} // namespace

QString qtText(std::string_view argument)
{
    return QString::fromLocal8Bit(argument.data(), static_cast<qsizetype>(argument.size()));
}

void quietQt(const Tool& tool)
{
    quietTool = &tool;
    qInstallMessageHandler(quietHandler);
}

int complain(const Tool& tool, int status, const QString& message)
{
    return tool.complain(status, message.toUtf8().toStdString());
}

int complain(const Tool& tool, int status, const Outcome& outcome) { return complain(tool, status, outcome.text()); }

Result<QString> applicationDirectory(const QString& given)
{
    if (!given.isEmpty())
        return {given, Outcome::success()};
    QString error;
    QString appDir = paths::applicationDirectory(&error);
    if (!error.isEmpty())
        return {std::move(appDir), Outcome::failedSaying(Failure::System, error)};
    return {std::move(appDir), Outcome::success()};
}

} // namespace tavemo::cli
