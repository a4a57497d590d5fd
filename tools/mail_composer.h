#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "rng.h"
#include "sample_texts.h"

// Mail as Outlook Express 6 sends it: RFC 5322 with MIME, CRLF line ends.
namespace dbx::gen {

enum class BodyKind { Plain, Html, WithAttachment };

// Everything about a message but where it goes.
struct Message {
    Person from;
    Person to;
    std::string subject;  // windows-1252, with its Re:/Fw: prefix
    std::string messageId;
    bool recordHasMessageId = false;
    std::int64_t sent = 0;
    std::int64_t received = 0;
    bool read = true;
    std::size_t opaqueSize = 0;  // of the record's opaque property
    BodyKind kind = BodyKind::Plain;
    std::string body;
};

// The mail of one folder: from a circle of contacts to its owner or, in a folder of sent
// mail, from the owner to them.
class MailComposer {
  public:
    MailComposer(Rng& rng, const std::string& folderName);
    Message Compose();

  private:
    Rng& rng_;
    Person owner_;
    std::vector<Person> contacts_;
    bool outgoing_ = false;
};

}  // namespace dbx::gen
