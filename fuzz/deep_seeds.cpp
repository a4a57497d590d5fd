// Writes the seeds of the deep recovery fuzz targets: small stores whose chains no record
// reaches, broken, freed, looping or displaced, and a few mail header texts.
//   deep-fuzz-seeds STORE-FOLDER HEADER-FOLDER
#include <cstdio>
#include <fstream>
#include <string>

#include "store_builder.h"

namespace {

using namespace dbx::build;

constexpr std::uint32_t kRecord = 0x40;
constexpr std::uint32_t kBodies = 0x400;
constexpr std::size_t kSize = 8 * 1024;

std::string Mail(const std::string& subject, std::size_t size) {
    std::string mail =
        "From: =?iso-8859-1?Q?Jo=E3o?= <joao@example.pt>\r\nTo: ana@example.pt\r\n"
        "Subject: " +
        subject + "\r\nDate: Fri, 1 Jan 2010 02:00:00 +0100\r\n\r\n";
    mail.resize(size, 'x');
    return mail;
}

MessageFields Fields(std::uint32_t body, const std::string& subject) {
    MessageFields f;
    f.from = "ana@example.pt";
    f.to = "<rui@example.pt>";
    f.subject = subject;
    f.filetime = FileTimeFromUnix(1262307600);
    f.bodyOffset = body;
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: deep-fuzz-seeds STORE-FOLDER HEADER-FOLDER\n");
        return 2;
    }
    const std::string stores = argv[1];
    const std::string headers = argv[2];
    auto save = [&](const std::string& name, const StoreBuilder& store) {
        store.Save(stores + "/" + name + ".dbx");
    };

    // A listed message and one whose record is gone.
    StoreBuilder orphan(kSize);
    orphan.PutRecord(kRecord, TypicalProperties(Fields(kBodies, "kept")));
    orphan.PutBody(kBodies, Mail("kept", 600));
    orphan.PutBody(kBodies + 3 * kBlockSize, Mail("=?utf-8?B?w6lw?= lost", 900));
    save("orphan", orphan);

    // The second block wiped: an incomplete head and a tail with no start.
    StoreBuilder broken(kSize);
    broken.PutBody(kBodies, Mail("broken", 4 * 512));
    broken.Zero(kBodies + kBlockSize, kBlockSize);
    save("broken", broken);

    StoreBuilder freed(kSize);
    freed.PutBody(kBodies, Mail("deleted", 1200), /*freed=*/true);
    save("freed-chain", freed);

    // Blocks out of order, the last leading back to the first.
    StoreBuilder loop(kSize);
    std::vector<Block> blocks = EncodeMessageBlocks(
        Mail("loop", 1500), {kBodies + 2 * kBlockSize, kBodies, kBodies + kBlockSize});
    blocks.back().bytes[12] = static_cast<std::uint8_t>((kBodies + 2 * kBlockSize) & 0xFF);
    blocks.back().bytes[13] = static_cast<std::uint8_t>((kBodies + 2 * kBlockSize) >> 8);
    loop.PutBlocks(blocks);
    save("loop", loop);

    // A block claiming a next one past the end of the store.
    StoreBuilder pastEnd(kSize);
    std::vector<Block> far = EncodeMessageBlocks(Mail("far", 900), {kBodies, kBodies + kBlockSize});
    far.front().bytes[14] = 0x7F;
    pastEnd.PutBlocks(far);
    save("past-end", pastEnd);

    // A store with bytes put before it: every self offset is 0x200 short of its position.
    StoreBuilder shifted(kSize);
    shifted.PutRecord(kRecord, TypicalProperties(Fields(kBodies, "shifted")));
    shifted.PutBody(kBodies, Mail("shifted", 700));
    shifted.PutBody(kBodies + 3 * kBlockSize, Mail("shifted orphan", 700));
    StoreBuilder displaced(kSize + 0x200);
    displaced.Put(0x200, shifted.Image());
    save("displaced", displaced);

    const char* texts[] = {
        "From: =?iso-8859-1?Q?Jo=E3o?= <joao@example.pt>\r\nTo: ana@example.pt\r\n"
        "Subject: =?utf-8?B?w6lw?= =?utf-8?Q?a_b?=\r\nDate: Tue, 3 Feb 2004 14:05:09 +0100\r\n\r\n",
        "Subject: folded\r\n  =?koi8-r?B?8NLJ18XU?=\r\n\tand on\r\nFrom: a@b\r\n"
        "Date: 3 Feb 04 14:05 EST\r\n\r\nbody",
        "Date: Mon, 29 Feb 2000 23:59:60 -1200 (comment)\nFrom: \xE9t\xE9 <x@y>\n\n",
        "To: =?unknown*en?q?=FF=?= , =?utf-8?b?4pyI?=\r\nSubject: =?x?z?y?=\r\n",
    };
    int n = 0;
    for (const char* text : texts) {
        std::ofstream(headers + "/header-" + std::to_string(++n) + ".txt", std::ios::binary)
            << text;
    }
    return 0;
}
