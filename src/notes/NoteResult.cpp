#include "notes/NoteResult.h"

#include <cerrno>
#include <cstring>

namespace tavemo::notes {

QString failureText(NoteFailure failure)
{
    switch (failure) {
    case NoteFailure::None: return {};
    case NoteFailure::Missing: return QStringLiteral("找不到记事数据库");
    case NoteFailure::NotNoteDatabase: return QStringLiteral("不是记事数据库");
    case NoteFailure::NewerSchema: return QStringLiteral("数据库由更新版本的程序写成");
    case NoteFailure::Busy: return QStringLiteral("数据库被其他程序锁定");
    case NoteFailure::Corrupt: return QStringLiteral("数据库文件已损坏");
    case NoteFailure::DiskFull: return QStringLiteral("磁盘已满");
    case NoteFailure::NoPermission: return QStringLiteral("没有写入权限");
    case NoteFailure::ReadOnlyMedia: return QStringLiteral("存储介质是只读的");
    case NoteFailure::Io: return QStringLiteral("读写磁盘出错");
    case NoteFailure::OutOfMemory: return QStringLiteral("内存不足");
    case NoteFailure::Refused: return QStringLiteral("数据库拒绝了这次写入");
    case NoteFailure::Conflict: return QStringLiteral("这一天的记事已在别处被修改");
    case NoteFailure::NotReady: return QStringLiteral("记事暂时不能存取");
    case NoteFailure::Unreadable: return QStringLiteral("记事内容无法读取");
    case NoteFailure::Other: return QStringLiteral("数据库出错");
    case NoteFailure::System: return QStringLiteral("系统调用出错");
    }
    return {};
}

NoteFailure failureOfErrno(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return NoteFailure::DiskFull;
    case EACCES:
    case EPERM: return NoteFailure::NoPermission;
    case EROFS: return NoteFailure::ReadOnlyMedia;
    case ENOMEM: return NoteFailure::OutOfMemory;
    case EIO: return NoteFailure::Io;
    default: return NoteFailure::System;
    }
}

NoteResult NoteResult::failed(NoteFailure failure, const QString &systemText)
{
    QString detail = failureText(failure);
    if (!systemText.isEmpty())
        detail += QStringLiteral("（%1）").arg(systemText);
    return {false, {}, detail, failure};
}

NoteResult NoteResult::failedWithErrno(int error)
{
    return failed(failureOfErrno(error), QString::fromLocal8Bit(std::strerror(error)));
}

} // namespace tavemo::notes
