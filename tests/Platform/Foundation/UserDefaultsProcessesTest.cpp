#include "Platform/Foundation/PropertyList.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

using platform::PlistValue;
using platform::PropertyList;
using sbtest::ChildProcess;

// Built beside this suite (see the settings_writer program in tests/CMakeLists.txt).
const std::string kWriter = SB_SETTINGS_WRITER;

std::filesystem::path settingsFile() {
    return sbtest::tempDir() / "config" / "app.plist";
}

bool hasDamagedCopies(const std::filesystem::path& folder) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().find(".corrupt-") != std::string::npos) return true;
    }
    return false;
}

TEST(UserDefaultsProcesses, EveryPromisedWriteSurvivesAKillAtAnyInstant) {
    std::filesystem::create_directories(settingsFile().parent_path());
    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> linesBeforeKill(1, 30);
    std::set<std::string> promised;

    for (int round = 0; round < 12; ++round) {
        ChildProcess writer(
            {kWriter, settingsFile().string(), "r" + std::to_string(round) + "-", "0"});
        ASSERT_TRUE(writer.started());
        const int killAfter = linesBeforeKill(random);
        for (int i = 0; i < killAfter; ++i) {
            auto key = writer.readLine();
            ASSERT_TRUE(key.has_value()) << "writer stopped early in round " << round;
            promised.insert(*key);
        }
        writer.kill();
        // Keys printed before the kill landed are promised too.
        while (auto key = writer.readLine()) promised.insert(*key);
        int status = writer.wait();
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "round " << round;

        auto onDisk = PropertyList::readDictionaryFile(settingsFile());
        ASSERT_TRUE(onDisk.has_value()) << "unreadable after the kill in round " << round;
        for (const auto& key : promised) {
            auto found = onDisk->find(key);
            ASSERT_NE(found, onDisk->end()) << key << " lost in round " << round;
            EXPECT_EQ(found->second, PlistValue(true)) << key;
        }
        EXPECT_FALSE(hasDamagedCopies(settingsFile().parent_path()));
    }
    EXPECT_GE(promised.size(), 12u);
}

TEST(UserDefaultsProcesses, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int kKeysEach = 40;
    ChildProcess first({kWriter, settingsFile().string(), "first-", std::to_string(kKeysEach)});
    ChildProcess second({kWriter, settingsFile().string(), "second-", std::to_string(kKeysEach)});
    ASSERT_TRUE(first.started());
    ASSERT_TRUE(second.started());

    std::set<std::string> printed;
    for (auto* writer : {&first, &second}) {
        while (auto key = writer->readLine()) printed.insert(*key);
    }
    for (auto* writer : {&first, &second}) {
        int status = writer->wait();
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    ASSERT_EQ(printed.size(), 2u * kKeysEach);

    auto onDisk = PropertyList::readDictionaryFile(settingsFile());
    ASSERT_TRUE(onDisk.has_value());
    EXPECT_EQ(onDisk->size(), 2u * kKeysEach);
    for (const auto& key : printed) EXPECT_EQ(onDisk->count(key), 1u) << key;
}

}  // namespace
