// Hostile structures are bounded before GMime reads them, and a stop is heard while it reads.
#include <gtest/gtest.h>

#include <string>

#include "gmime_setup.h"
#include "mail_view.h"
#include "mime_bounds.h"
#include "mime_stream.h"
#include "test_support.h"

namespace dbx::test {
namespace {

// A message with `depth` multiparts inside each other, text at the bottom and after each level.
std::string Nested(int depth) {
    std::string message = "From: a@example.org\r\nSubject: deep\r\n";
    for (int i = 0; i < depth; ++i) {
        message += "Content-Type: multipart/mixed; boundary=\"b" + std::to_string(i) +
                   "\"\r\n\r\n--b" + std::to_string(i) + "\r\n";
    }
    message += "Content-Type: text/plain\r\n\r\nbottom text\r\n";
    for (int i = depth - 1; i >= 0; --i) {
        message += "--b" + std::to_string(i) + "\r\nContent-Type: text/plain\r\n\r\nlevel " +
                   std::to_string(i) + "\r\n--b" + std::to_string(i) + "--\r\n";
    }
    return message;
}

TEST(MimeBounds, StructureWithinTheBoundsIsLeftAlone) {
    const std::string message = Nested(5);
    const MimeCuts cuts = FindMimeCuts(message, MimeBounds{}, nullptr);
    EXPECT_FALSE(cuts.bounded);
    EXPECT_TRUE(cuts.flattened.empty());
    EXPECT_EQ(cuts.end, message.size());
}

TEST(MimeBounds, LevelsTooDeepAreFlattenedAtTheirTypeHeader) {
    const std::string message = Nested(40);
    MimeBounds bounds;
    bounds.maxDepth = 10;
    const MimeCuts cuts = FindMimeCuts(message, bounds, nullptr);
    EXPECT_TRUE(cuts.bounded);
    ASSERT_EQ(cuts.flattened.size(), 1u);  // the rest lies inside it
    EXPECT_EQ(
        message.compare(cuts.flattened[0], 45, "Content-Type: multipart/mixed; boundary=\"b10\""),
        0);
    // Forwarded messages count as levels too, and a digest's parts are messages.
    std::string forwarded = "From: a@example.org\r\n";
    for (int i = 0; i < 30; ++i) forwarded += "Content-Type: message/rfc822\r\n\r\nFrom: x\r\n";
    forwarded += "\r\nbody\r\n";
    EXPECT_EQ(FindMimeCuts(forwarded, bounds, nullptr).flattened.size(), 1u);
    std::string digests = "From: a@example.org\r\n";
    for (int i = 0; i < 12; ++i) {
        digests += "Content-Type: multipart/digest; boundary=d" + std::to_string(i) +
                   "\r\n\r\n--d" + std::to_string(i) + "\r\n\r\n";
    }
    const MimeCuts digestCuts = FindMimeCuts(digests + "body\r\n", bounds, nullptr);
    ASSERT_EQ(digestCuts.flattened.size(), 1u);
    const std::string flattened = "Content-Type: multipart/digest; boundary=d5\r";
    EXPECT_EQ(digests.compare(digestCuts.flattened[0], flattened.size(), flattened), 0);
}

TEST(MimeBounds, PartsPastTheLimitAreCutOff) {
    std::string message =
        "From: a@example.org\r\nContent-Type: multipart/mixed; boundary=m\r\n\r\n";
    for (int i = 0; i < 50; ++i) message += "--m\r\n\r\npart " + std::to_string(i) + "\r\n";
    message += "--m--\r\n";
    MimeBounds bounds;
    bounds.maxParts = 20;
    const MimeCuts cuts = FindMimeCuts(message, bounds, nullptr);
    EXPECT_TRUE(cuts.bounded);
    EXPECT_EQ(message.substr(cuts.end, 15), "--m\r\n\r\npart 20\r");
    // Lines that only look like boundaries do not count.
    std::string lookalikes =
        "From: a@example.org\r\nContent-Type: multipart/mixed; boundary=m\r\n\r\n";
    for (int i = 0; i < 50; ++i) lookalikes += "--mm\r\n-- m\r\n--m x\r\n";
    EXPECT_FALSE(FindMimeCuts(lookalikes, bounds, nullptr).bounded);
}

TEST(MimeBounds, ADeepMessageIsStillShownWithWhatLiesWithinTheBounds) {
    TempDir dir;
    const MailView view =
        BuildMailViewFromBytes(QByteArray::fromStdString(Nested(2000)), dir.Path().string());
    ASSERT_EQ(view.status, MailViewStatus::Shown);
    const std::string page = ReadWholeFile(view.pagePath);
    EXPECT_NE(page.find("level 0"), std::string::npos);
    EXPECT_NE(page.find("level 5"), std::string::npos);
    EXPECT_EQ(page.find("bottom text"), std::string::npos);
}

TEST(MimeBounds, ARaisedStopEndsTheReadingAtTheNextRead) {
    EnsureGMime();
    const std::string message = Nested(3);
    std::atomic<int> stop{0};
    GMimeStream* source = g_mime_stream_mem_new_with_buffer(message.data(), message.size());
    GMimeStream* stream =
        MakeParseStream(source, MimeCuts{{}, message.size(), false, false}, &stop);
    char buffer[16];
    EXPECT_EQ(g_mime_stream_read(stream, buffer, sizeof buffer), 16);
    EXPECT_EQ(std::string(buffer, 16), message.substr(0, 16));
    stop = 1;
    EXPECT_EQ(g_mime_stream_read(stream, buffer, sizeof buffer), -1);
    g_object_unref(stream);
    // The scan before the parse hears it too.
    std::string large = Nested(1);
    for (int i = 0; i < 100000; ++i) large += "a line of the body, one of many\r\n";
    EXPECT_TRUE(FindMimeCuts(large, MimeBounds{}, &stop).stopped);
}

TEST(MimeBounds, PiecesOfTheParseStreamKeepTheMessageOnlyAsLongAsThey) {
    EnsureGMime();
    const std::string message = Nested(2);
    GMimeStream* source = g_mime_stream_mem_new_with_buffer(message.data(), message.size());
    gpointer watched = source;
    g_object_add_weak_pointer(G_OBJECT(source), &watched);
    GMimeStream* stream =
        MakeParseStream(source, MimeCuts{{}, message.size(), false, false}, nullptr);
    GMimeStream* piece = g_mime_stream_substream(stream, 6, 20);
    g_object_unref(stream);
    GMimeStream* sink = g_mime_stream_mem_new();
    g_mime_stream_write_to_stream(piece, sink);
    GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(sink));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes->data), bytes->len),
              message.substr(6, 14));
    g_object_unref(sink);
    EXPECT_NE(watched, nullptr);
    g_object_unref(piece);
    EXPECT_EQ(watched, nullptr);  // nothing holds the message any longer
}

TEST(MimeBounds, CutsAreAppliedToWhatGMimeReads) {
    EnsureGMime();
    const std::string message = "From: a\r\nContent-Type: multipart/mixed; boundary=m\r\n\r\nrest";
    MimeCuts cuts;
    cuts.flattened = {message.find("Content-Type")};
    cuts.end = message.size() - 2;
    cuts.bounded = true;
    GMimeStream* source = g_mime_stream_mem_new_with_buffer(message.data(), message.size());
    GMimeStream* stream = MakeParseStream(source, cuts, nullptr);
    GMimeStream* sink = g_mime_stream_mem_new();
    g_mime_stream_write_to_stream(stream, sink);
    GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(sink));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes->data), bytes->len),
              "From: a\r\n" + std::string(kFlattenedTypeHeader) +
                  ": multipart/mixed; boundary=m\r\n\r\nre");
    g_object_unref(sink);
    g_object_unref(stream);
}

}  // namespace
}  // namespace dbx::test
