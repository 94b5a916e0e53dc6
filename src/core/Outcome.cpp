#include "core/Outcome.h"

#include <cerrno>
#include <cstring>

namespace tavemo {

QString failureText(Failure failure)
{
    switch (failure) {
    case Failure::None:
        return {};
    case Failure::Missing:
        return QStringLiteral("找不到文件");
    case Failure::NotNoteDatabase:
        return QStringLiteral("不是记事数据库");
    case Failure::NewerSchema:
        return QStringLiteral("数据库由更新版本的程序写成");
    case Failure::Busy:
        return QStringLiteral("数据库被其他程序锁定");
    case Failure::Conflict:
        return QStringLiteral("已在别处被修改");
    case Failure::Corrupt:
        return QStringLiteral("数据库文件已损坏");
    case Failure::DiskFull:
        return QStringLiteral("磁盘已满");
    case Failure::NoPermission:
        return QStringLiteral("没有写入权限");
    case Failure::ReadOnlyMedia:
        return QStringLiteral("存储介质是只读的");
    case Failure::Io:
        return QStringLiteral("读写磁盘出错");
    case Failure::OutOfMemory:
        return QStringLiteral("内存不足");
    case Failure::Refused:
        return QStringLiteral("数据库拒绝了这次写入");
    case Failure::NotReady:
        return QStringLiteral("暂时不能存取");
    case Failure::Cancelled:
        return QStringLiteral("已取消");
    case Failure::Unreadable:
        return QStringLiteral("内容无法读取");
    case Failure::BadInput:
        return QStringLiteral("输入有误");
    case Failure::Unsupported:
        return QStringLiteral("系统不支持");
    case Failure::Other:
        return QStringLiteral("数据库出错");
    case Failure::System:
        return QStringLiteral("系统调用出错");
    }
    return {};
}

Failure failureOfErrno(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return Failure::DiskFull;
    case EACCES:
    case EPERM:
        return Failure::NoPermission;
    case EROFS:
        return Failure::ReadOnlyMedia;
    case ENOMEM:
        return Failure::OutOfMemory;
    case EIO:
        return Failure::Io;
    default:
        return Failure::System;
    }
}

Outcome Outcome::failed(Failure failure, const QString& systemText)
{
    QString detail = failureText(failure);
    if (!systemText.isEmpty())
        detail += QStringLiteral("（%1）").arg(systemText);
    return {failure, {}, detail};
}

Outcome Outcome::failedWithErrno(int error)
{
    return failed(failureOfErrno(error), QString::fromLocal8Bit(std::strerror(error)));
}

} // namespace tavemo
