#pragma once
// Writing a file whole or not at all: the bytes go to a temporary file beside the target, which is
// then renamed over it, so a crash or a failed write leaves the file that was there before.

#include "core/Outcome.h"

#include <QByteArrayView>
#include <QString>

namespace tavemo::files {

// Replaces the file at `path` with `bytes`. On failure the old file is untouched and the outcome's
// message names the file ("无法写入文件 …：…").
Outcome saveAtomically(const QString &path, QByteArrayView bytes);

} // namespace tavemo::files
