#include "Platform/Foundation/Log.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <regex>
#include <sstream>
#include <thread>
#include <vector>

namespace {

// Points stderr at a file while alive, then puts the original back.
class StderrToFile {
  public:
    explicit StderrToFile(const std::filesystem::path& file) : m_saved(::dup(STDERR_FILENO)) {
        int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0600);
        ::dup2(fd, STDERR_FILENO);
        ::close(fd);
    }
    ~StderrToFile() {
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
    }
    StderrToFile(const StderrToFile&) = delete;
    StderrToFile& operator=(const StderrToFile&) = delete;

  private:
    int m_saved;
};

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string linePattern(const std::string& escapedMessage) {
    return R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3} )" +
           std::string(program_invocation_short_name) + R"(\[)" + std::to_string(::getpid()) +
           R"(\] )" + escapedMessage;
}

TEST(Log, LineCarriesDateTimeMillisecondsProcessAndPid) {
    EXPECT_TRUE(std::regex_match(platform::formatLogLine("hello world"),
                                 std::regex(linePattern("hello world"))))
        << platform::formatLogLine("hello world");
}

TEST(Log, MessageIsWrittenAsItStandsNeverAsAFormat) {
    const std::vector<std::string> messages = {"%s %d %n %%", "[%@:%d] %@", "100% sure", ""};
    for (const auto& message : messages) {
        std::string line = platform::formatLogLine(message);
        ASSERT_GE(line.size(), message.size());
        EXPECT_EQ(line.substr(line.size() - message.size()), message) << line;
        EXPECT_EQ(line.find('\n'), std::string::npos);
    }
}

TEST(Log, WritesOneLineToStderr) {
    auto file = sbtest::tempDir() / "stderr.txt";
    {
        StderrToFile redirect(file);
        platform::Log("%s first");
        platform::Log("second");
    }
    auto lines = linesOf(sbtest::readFile(file));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(linePattern("%s first")))) << lines[0];
    EXPECT_TRUE(std::regex_match(lines[1], std::regex(linePattern("second")))) << lines[1];
}

TEST(Log, LinesFromManyThreadsNeverInterleave) {
    auto file = sbtest::tempDir() / "stderr.txt";
    constexpr int kThreads = 4;
    constexpr int kLinesEach = 200;
    const std::string padding(300, 'x');
    {
        StderrToFile redirect(file);
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([t, &padding] {
                for (int i = 0; i < kLinesEach; ++i) {
                    platform::Log("thread " + std::to_string(t) + " line " + std::to_string(i) +
                                  " " + padding);
                }
            });
        }
        for (auto& thread : threads) thread.join();
    }
    auto lines = linesOf(sbtest::readFile(file));
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kLinesEach));
    std::regex whole(linePattern(R"(thread \d line \d+ x{300})"));
    for (const auto& line : lines) EXPECT_TRUE(std::regex_match(line, whole)) << line;
}

TEST(LogCapture, RecordsMessagesWhileAliveAndCapturesNest) {
    platform::Log("before any capture");
    platform::LogCapture outer;
    platform::Log("one");
    {
        platform::LogCapture inner;
        platform::Log("two");
        platform::Log("two");
        EXPECT_EQ(inner.messages(), (std::vector<std::string>{"two", "two"}));
        EXPECT_EQ(inner.count("two"), 2u);
        EXPECT_FALSE(inner.contains("one"));
    }
    platform::Log("three");
    EXPECT_EQ(outer.messages(), (std::vector<std::string>{"one", "two", "two", "three"}));
    EXPECT_TRUE(outer.contains("three"));
    EXPECT_FALSE(outer.contains("before any capture"));
    EXPECT_EQ(outer.count("missing"), 0u);
}

}  // namespace
