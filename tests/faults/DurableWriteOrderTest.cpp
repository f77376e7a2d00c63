// The order of the calls a durable write makes, as the shim recorded them:
// the data reaches the disk before the rename, the rename before the folder's
// fsync, and the file being replaced is never written in place.

#include "FaultHarness.h"

#include "Platform/Foundation/DurableFile.h"
#include "Platform/Foundation/UserDefaults.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>

namespace {

using sbfault::Call;
using sbfault::FaultHarness;
using sbfault::Scenario;

const std::string kHelper = SB_FAULT_HELPER;

// Index of the first call at or after `from` that satisfies `matches`; size when none.
template <class Predicate>
std::size_t findCall(const std::vector<Call>& calls, std::size_t from, Predicate matches) {
    for (std::size_t index = from; index < calls.size(); ++index) {
        if (matches(calls[index])) return index;
    }
    return calls.size();
}

bool opensForWriting(const Call& call) {
    return call.operation == "open" &&
           (call.flags & (O_WRONLY | O_RDWR | O_TRUNC | O_CREAT | O_APPEND)) != 0;
}

// Asserts write, fsync of the file, rename over the target, fsync of the folder,
// in that order, for the last replacement of `target` among `calls`.
void expectDurableOrder(const std::vector<Call>& calls, const std::filesystem::path& target) {
    const std::string targetName = target.string();
    const std::string folder = target.parent_path().string();
    for (const auto& call : calls) {
        EXPECT_FALSE(opensForWriting(call) && call.path == targetName)
            << "the target was opened for writing (flags " << call.flags << ")";
    }
    auto rename = std::find_if(calls.rbegin(), calls.rend(), [&](const Call& call) {
        return call.operation == "rename" && call.secondPath == targetName && call.result == 0;
    });
    ASSERT_NE(rename, calls.rend()) << "no rename over " << targetName;
    const std::size_t renamed = static_cast<std::size_t>(calls.rend() - rename) - 1;
    const std::string temporary = rename->path;
    EXPECT_EQ(std::filesystem::path(temporary).parent_path(), target.parent_path());

    // The temporary file: created, written, fsynced and closed before the rename.
    std::size_t created = calls.size();
    for (std::size_t index = 0; index < renamed; ++index) {
        if (calls[index].operation == "open" && calls[index].path == temporary &&
            calls[index].result >= 0) {
            created = index;
        }
    }
    ASSERT_LT(created, renamed) << "the temporary file was not opened before the rename";
    EXPECT_NE(calls[created].flags & O_EXCL, 0) << "the temporary file must be new";
    const int fd = static_cast<int>(calls[created].result);
    auto onFile = [&](const char* operation) {
        return [=](const Call& call) { return call.operation == operation && call.fd == fd; };
    };
    const std::size_t firstWrite = findCall(calls, created, onFile("write"));
    ASSERT_LT(firstWrite, renamed) << "nothing was written before the rename";
    const std::size_t synced = findCall(calls, firstWrite, onFile("fsync"));
    ASSERT_LT(synced, renamed) << "the file was not fsynced before the rename";
    const std::size_t closed = findCall(calls, synced, onFile("close"));
    EXPECT_LT(closed, renamed) << "the file was not closed before the rename";
    EXPECT_GT(findCall(calls, synced + 1, onFile("write")), closed) << "written after its fsync";

    // The folder: opened and fsynced after the rename.
    const std::size_t folderOpened = findCall(calls, renamed, [&](const Call& call) {
        return call.operation == "open" && call.path == folder && call.result >= 0 &&
               (call.flags & O_DIRECTORY) != 0;
    });
    ASSERT_LT(folderOpened, calls.size()) << "the folder was not opened after the rename";
    const int folderFd = static_cast<int>(calls[folderOpened].result);
    const std::size_t folderSynced = findCall(calls, folderOpened, [&](const Call& call) {
        return call.operation == "fsync" && call.fd == folderFd && call.result == 0;
    });
    EXPECT_LT(folderSynced, calls.size()) << "the folder was not fsynced after the rename";
}

TEST(DurableWriteOrder, WriteFsyncRenameThenFolderFsync) {
    FaultHarness harness(SB_FAULT_SHIM, sbtest::tempDir() / "faults");
    Scenario scenario;
    scenario.prepare = [](const auto& scope) { sbtest::writeFile(scope / "d" / "target", "old"); };
    scenario.programs = [](const auto& scope) {
        return std::vector<std::vector<std::string>>{
            {kHelper, "durable", (scope / "d" / "target").string(), "new"}};
    };
    auto calls = harness.record(scenario);
    ASSERT_FALSE(calls.empty()) << "the shim recorded nothing: is it preloaded?";
    expectDurableOrder(calls, harness.scope() / "d" / "target");
    EXPECT_EQ(sbtest::readFile(harness.scope() / "d" / "target"), "new");
}

TEST(DurableWriteOrder, SettingsWriteKeepsTheSameOrder) {
    FaultHarness harness(SB_FAULT_SHIM, sbtest::tempDir() / "faults");
    Scenario scenario;
    scenario.programs = [](const auto& scope) {
        return std::vector<std::vector<std::string>>{
            {kHelper, "writer", (scope / "s" / "app.plist").string(), "k", "2"}};
    };
    auto calls = harness.record(scenario);
    expectDurableOrder(calls, harness.scope() / "s" / "app.plist");
    // Every settings write is preceded by the lock and a read under it.
    auto flocked = std::find_if(calls.begin(), calls.end(),
                                [](const Call& call) { return call.operation == "flock"; });
    ASSERT_NE(flocked, calls.end());
    EXPECT_EQ(flocked->path, (harness.scope() / "s" / "app.plist.lock").string());
}

// A reader that opened the file before the write keeps reading the old bytes,
// which only holds when the new file is a different one renamed into place.
TEST(DurableWriteOrder, AnOpenHandleOnTheOldFileStillReadsTheOldBytes) {
    auto target = sbtest::tempDir() / "held.txt";
    sbtest::writeFile(target, "old bytes");
    int held = ::open(target.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_TRUE(platform::writeFileDurably(target, "new bytes, longer"));
    std::array<char, 64> buffer{};
    ssize_t count = ::pread(held, buffer.data(), buffer.size(), 0);
    ::close(held);
    ASSERT_GE(count, 0);
    EXPECT_EQ(std::string(buffer.data(), static_cast<std::size_t>(count)), "old bytes");
    EXPECT_EQ(sbtest::readFile(target), "new bytes, longer");
}

}  // namespace
