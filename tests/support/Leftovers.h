#pragma once

#include "TempDir.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#ifndef _WIN32
#include <sys/file.h>
#endif

namespace tunecrate::test {

// Puts into folder the temporary of a killed run, one that a live copy holds
// and a file that only resembles one; after run(), only the first is gone.
template <class Run>
void expectOnlyAbandonedTemporaryRemoved(const std::filesystem::path& folder, Run run)
{
    const std::filesystem::path killed = folder / ".tunecrate-4242-7.part";
    const std::filesystem::path live = folder / ".tunecrate-4243-7.part";
    const std::filesystem::path other = folder / ".tunecrate-4242-7.part~";
    for (const auto& file : {killed, live, other}) {
        writeFile(file, "part of a copy");
    }
    // Held as a live copy holds its own: open, which on Windows shares it for
    // all but deletion, and on POSIX locked as well.
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> owner(
        std::fopen(live.string().c_str(), "rb"), &std::fclose);
    ASSERT_NE(owner, nullptr);
#ifndef _WIN32
    ASSERT_EQ(::flock(::fileno(owner.get()), LOCK_EX | LOCK_NB), 0);
#endif
    run();
    EXPECT_FALSE(std::filesystem::exists(killed));
    EXPECT_TRUE(std::filesystem::exists(live) && std::filesystem::exists(other));
}

} // namespace tunecrate::test
