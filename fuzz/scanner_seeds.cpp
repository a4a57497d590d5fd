// Writes the seed stores of the scanner fuzz targets: small stores, each showing one shape the
// recognisers and the extraction know.
//   scanner-fuzz-seeds FOLDER
#include <cstdio>
#include <string>

#include "store_builder.h"

namespace {

using namespace dbx::build;

// Small: the probe target compares the first 512 bytes with the reference.
constexpr std::uint32_t kRecord = 0x40;
constexpr std::uint32_t kBody = 0x180;
constexpr std::size_t kSize = 1024;

MessageFields Fields(const std::string& subject) {
    MessageFields f;
    f.from = "ana@example.pt";
    f.fromName = "Ana";
    f.to = "<rui@example.pt>";
    f.toName = "Rui";
    f.subject = subject;
    f.filetime = FileTimeFromUnix(1262307600);
    f.bodyOffset = kBody;
    return f;
}

StoreBuilder Live(const std::string& body) {
    StoreBuilder store(kSize);
    store.PutRecord(kRecord, TypicalProperties(Fields("live")));
    store.PutBody(kBody, body);
    return store;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: scanner-fuzz-seeds FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    auto save = [&](const std::string& name, const StoreBuilder& store) {
        store.Save(folder + "/" + name + ".dbx");
    };

    save("live-text",
         Live("Subject: x\r\n\r\nplain text\r\nContent-Transfer-Encoding: base64\r\n"));
    save("live-html", Live("Subject: y\r\n\r\n<HTML><body>hi</body></HTML>\r\n"));

    StoreBuilder chain(2 * kSize);
    chain.PutRecord(kRecord, TypicalProperties(Fields("three blocks")));
    chain.PutBlocks(EncodeMessageBlocks(std::string(1200, 'm'),
                                        {kBody, kBody + 2 * kBlockSize, kBody + kBlockSize}));
    save("chain", chain);

    StoreBuilder freed(kSize);
    freed.PutFreedRecord(kRecord, TypicalProperties(Fields("deleted")), 0);
    freed.PutBody(kBody, "Subject: z\r\n\r\ngone\r\n", /*freed=*/true);
    save("freed", freed);

    // The body offset held in the data area rather than in its entry.
    StoreBuilder stored(kSize);
    stored.PutRecord(kRecord, {Text(0x1C, "first"), Text(kPropSenderAddress, "a@b.c"),
                               FileTime(kPropTimeReceived, FileTimeFromUnix(1262307600)),
                               Word(kPropBodyOffset, kBody), Text(kPropSubject, "stored")});
    stored.PutBody(kBody, "Subject: s\r\n\r\nstored\r\n");
    save("stored-offset", stored);

    // A freed-record candidate followed by at signs and no 0 byte.
    StoreBuilder atSigns(kSize);
    atSigns.PutU32(kRecord, kRecord).PutU32(kRecord + 4, 0x7FFFFFF0).PutU32(kRecord + 8, 0);
    atSigns.PutU32(kRecord + 12, kPropTimeReceived | 40 << 8)
        .PutU32(kRecord + 16, kPropSenderAddress | 8 << 8)
        .PutU32(kRecord + 20, kPropBodyOffsetDirect | kBody << 8)
        .PutU32(kRecord + 24, kPropRecipientAddress | 24 << 8);
    atSigns.Put(kRecord + 28, Bytes(kSize - kRecord - 28, '@'));
    save("at-sign-run", atSigns);

    StoreBuilder damaged = Live("Subject: d\r\n\r\ndamaged\r\n");
    damaged.Garbage(kRecord + 40, 30, 7);
    save("damaged", damaged);
    return 0;
}
