#pragma once
// The notes that the crash child saves: save number i goes to one of a few days and carries bytes
// that only that save has, in sizes from a few bytes to well over a database page, so a torn or
// stale write shows as a mismatch.

#include "notes/DateKey.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace tavemo::notes::test {

inline constexpr int kCrashDays = 20;

inline QString crashKey(long long save) { return dateKey(2024, 1, 1 + static_cast<int>(save % kCrashDays)); }

inline QByteArray crashPayload(long long save)
{
    std::uint64_t state = 0x9E3779B97F4A7C15ull * static_cast<std::uint64_t>(save + 1);
    const auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    const int size = 1 + static_cast<int>(next() % (96 * 1024));
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(next());
    return bytes;
}

} // namespace tavemo::notes::test
