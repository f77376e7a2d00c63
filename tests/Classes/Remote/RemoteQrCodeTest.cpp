// The pairing address as a QR code: the modules libqrencode gives, and the
// terminal drawing of a headless sound box.

#include "Classes/Remote/RemoteQrCode.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::size_t countOf(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST(RemoteQrCode, DrawsTheAddressWithItsFinderPatternsAndRefusesWhatCannotBeEncoded) {
    const RemoteQrCode code("http://192.168.1.20:41837/pair?key=00112233445566778899aabbccddeeff");
    ASSERT_GE(code.size(), 21);
    EXPECT_EQ((code.size() - 21) % 4, 0) << "a QR code's side is 21 + 4 n modules";
    // The top-left finder pattern: a dark ring, a light ring, a dark centre.
    EXPECT_TRUE(code.dark(0, 0));
    EXPECT_TRUE(code.dark(6, 6));
    EXPECT_FALSE(code.dark(1, 1));
    EXPECT_TRUE(code.dark(3, 3));
    EXPECT_FALSE(code.dark(7, 7)) << "the separator around the pattern is light";
    EXPECT_FALSE(code.dark(-1, 0));
    EXPECT_FALSE(code.dark(code.size(), 0));

    // Two rows of modules per line, with two light modules around them.
    const std::string text = code.terminalText();
    EXPECT_EQ(countOf(text, "\n"), static_cast<std::size_t>((code.size() + 4 + 1) / 2));
    EXPECT_EQ(countOf(text, "\x1b[7m"), countOf(text, "\n"));
    EXPECT_EQ(text.find('\0'), std::string::npos);

    for (const std::string& bad : {std::string(), std::string(8000, 'a')}) {
        const RemoteQrCode none(bad);
        EXPECT_EQ(none.size(), 0);
        EXPECT_EQ(none.terminalText(), "");
    }
}

}  // namespace
