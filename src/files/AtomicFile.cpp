#include "files/AtomicFile.h"

#include <QSaveFile>

namespace tavemo::files {

Outcome saveAtomically(const QString &path, QByteArrayView bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), bytes.size()) != bytes.size() || !file.commit())
        return Outcome::failedSaying(Failure::Io, QStringLiteral("无法写入文件 %1：%2").arg(path, file.errorString()),
                                     file.errorString());
    return Outcome::success();
}

} // namespace tavemo::files
