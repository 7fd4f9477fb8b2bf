// The message that hands files to the running copy: what a sender writes is read back
// whole, a message cut short waits for more, and anything else drops the sender.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/HandOff.h"

namespace vellumo {
namespace {

using namespace std::string_literals;

TEST(HandOff, MessagesReadBackWholeOrWaitForMore) {
    const std::vector<std::string> paths = {"/d/tatemono1.tif", "/図面/平面 図.pdf",
                                            "/d/line\nbreak.tif"};
    const std::string message = EncodeHandOff(paths);
    EXPECT_EQ(message.substr(0, 9), "VODA1 58\n");
    const HandOffMessage whole = ParseHandOff(message);
    EXPECT_EQ(whole.status, HandOffStatus::Complete);
    EXPECT_EQ(whole.paths, paths);
    for (size_t cut = 0; cut < message.size(); ++cut) {
        SCOPED_TRACE(cut);
        EXPECT_EQ(ParseHandOff(message.substr(0, cut)).status, HandOffStatus::Incomplete);
    }
    // Empty paths and paths with a NUL are not sent; an empty list is a message too.
    EXPECT_EQ(ParseHandOff(EncodeHandOff({"", "a\0b"s, "/x"})).paths,
              std::vector<std::string>{"/x"});
    EXPECT_EQ(ParseHandOff(EncodeHandOff({})).status, HandOffStatus::Complete);
    // Paths past the limit are left out, the message stays within it.
    const std::vector<std::string> many(40000, "/folder/file.tif");
    EXPECT_LE(EncodeHandOff(many).size(), kMaxHandOffBytes + 16);
}

TEST(HandOff, AnythingElseDropsTheSender) {
    const std::string cases[] = {
        "GET / HTTP/1.1\r\n",  "VODA2 1\nx", "VODA1 \n",
        "VODA1 -1\n",          "VODA1 1x\n", "VODA1 99999999\n",
        "VODA1 1234567890123",  // no line end where one must be
        "VODA1 3\nabc",         // the last path has no NUL
        "VODA1 2\na\0b\0"s,     // more than announced
    };
    for (const std::string& c : cases) {
        SCOPED_TRACE(c);
        EXPECT_EQ(ParseHandOff(c).status, HandOffStatus::Invalid);
    }
}

}  // namespace
}  // namespace vellumo
