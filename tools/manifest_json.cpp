#include "store_generator.h"

#include <cstdio>

namespace dbx::gen {
namespace {

void AppendJsonText(std::string& out, std::string_view text) {
    out += '"';
    for (char ch : text) {
        const auto c = std::uint8_t(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || c >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(c));
            out += escaped;
        } else {
            out += ch;
        }
    }
    out += '"';
}

}  // namespace

const char* StatusName(MessageStatus status) {
    return status == MessageStatus::Deleted ? "Deleted" : "Existing";
}

std::string ManifestJsonLine(const ManifestEntry& e) {
    std::string out = "{\"index\":" + std::to_string(e.index);
    out += ",\"record_offset\":" + std::to_string(e.recordOffset);
    out += ",\"body_offset\":" + std::to_string(e.bodyOffset);
    out += ",\"status\":\"";
    out += StatusName(e.status);
    out += "\",\"from\":";
    AppendJsonText(out, e.from);
    out += ",\"from_name\":";
    AppendJsonText(out, e.fromName);
    out += ",\"to\":";
    AppendJsonText(out, e.to);
    out += ",\"to_name\":";
    AppendJsonText(out, e.toName);
    out += ",\"subject\":";
    AppendJsonText(out, e.subject);
    out += ",\"date_seconds\":" + std::to_string(e.dateSeconds);
    out += ",\"sent_seconds\":" + std::to_string(e.sentSeconds);
    out += ",\"body_size\":" + std::to_string(e.bodySize);
    if (!e.damage.empty()) {
        out += ",\"damage\":\"" + e.damage + "\",\"expect\":\"" + e.expect + "\"";
        out += ",\"expect_bytes\":" + std::to_string(e.expectBytes);
        if (e.tailOffset) {
            out += ",\"tail_offset\":" + std::to_string(e.tailOffset);
            out += ",\"tail_bytes\":" + std::to_string(e.tailBytes);
        }
    }
    return out + "}";
}

}  // namespace dbx::gen
