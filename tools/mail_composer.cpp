#include "mail_composer.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string_view>

#include "mail_encoding.h"

namespace dbx::gen {
namespace {

// Time sent is spread over 1999 to 2009.
constexpr std::int64_t kFirstDate = 915148800;  // 1999-01-01
constexpr std::int64_t kLastDate = 1262303999;  // 2009-12-31 23:59:59

struct Attachment {
    const char* type;
    const char* extension;
    std::string_view magic;
};

const Attachment kAttachments[] = {
    {"application/pdf", "pdf", std::string_view("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n", 15)},
    {"image/jpeg", "jpg", std::string_view("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01", 13)},
    {"application/msword", "doc", std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)},
    {"application/x-zip-compressed", "zip", std::string_view("PK\x03\x04\x14\x00\x00\x00", 8)},
    {"application/vnd.ms-excel", "xls", std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)},
};

// The text of the message as paragraphs; `quote` holds the earlier message of a reply.
struct Text {
    std::vector<std::string> paragraphs;
    std::vector<std::string> quoteHeader;
    std::vector<std::string> quote;
};

std::string Mailbox(const Person& p) {
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on "text" + temporary.
    std::string out = "\"";
    out += HeaderText(p.name);
    out += "\" <";
    out += p.address;
    out += ">";
    return out;
}

std::string MessageId(Rng& rng, const Message& m) {
    // Drawn one by one: the order of arguments in a call is the compiler's choice.
    const unsigned a = unsigned(rng.Below(0x10000)), b = unsigned(rng.Below(0x100000)),
                   c = unsigned(rng.Below(0x100000000)), d = unsigned(rng.Below(0x100000000));
    const std::string& host = rng.Pick(m.from.language->hosts);
    char text[96];
    std::snprintf(text, sizeof text, "<%04x01c%05x$%08x$%08x@%s>", a, b, c, d, host.c_str());
    return text;
}

std::string Sentence(Rng& rng, const Language& lang) {
    std::string s;
    const int n = int(rng.Range(4, 15));
    for (int i = 0; i < n; ++i) {
        if (i) s += ' ';
        s += rng.Pick(lang.words);
    }
    if (!s.empty() && s[0] >= 'a' && s[0] <= 'z') s[0] = char(s[0] - 'a' + 'A');
    if (!s.empty() && std::uint8_t(s[0]) >= 0xE0 && std::uint8_t(s[0]) != 0xF7) {
        s[0] = char(std::uint8_t(s[0]) - 0x20);
    }
    const std::uint64_t end = rng.Below(10);
    s += end < 7 ? "." : end < 9 ? "!" : "?";
    return s;
}

std::vector<std::string> Paragraphs(Rng& rng, const Language& lang, int count) {
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) {
        std::string p;
        const int sentences = int(rng.Range(1, 5));
        for (int s = 0; s < sentences; ++s) {
            if (s) p += ' ';
            p += Sentence(rng, lang);
        }
        out.push_back(std::move(p));
    }
    return out;
}

Text ComposeText(Rng& rng, const Message& m, bool quotes, const std::string& topic) {
    const Language& lang = *m.from.language;
    Text t;
    t.paragraphs.push_back(rng.Pick(lang.greetings) + " " + m.to.first + ",");
    const int count = rng.Chance(0.1) ? int(rng.Range(15, 40)) : int(rng.Range(1, 10));
    for (std::string& p : Paragraphs(rng, lang, count)) t.paragraphs.push_back(std::move(p));
    t.paragraphs.push_back(rng.Pick(lang.closings));
    t.paragraphs.push_back(m.from.first);
    if (quotes) {
        const std::int64_t earlier = m.sent - rng.Range(600, 5 * 86400);
        const Language& other = *m.to.language;
        t.quoteHeader = {"----- Original Message ----- ", "From: " + m.to.name + " ",
                         "To: " + m.from.name + " ",
                         "Sent: " + SentLine(earlier, other.zoneMinutes), "Subject: " + topic};
        t.quote = Paragraphs(rng, other, int(rng.Range(1, 4)));
    }
    return t;
}

std::string PlainText(const Text& t) {
    std::string out;
    for (const std::string& p : t.paragraphs) {
        AppendWrapped(out, p);
        out += "\r\n";
    }
    if (!t.quoteHeader.empty()) {
        for (const std::string& line : t.quoteHeader) out += line + "\r\n";
        out += "\r\n";
        for (const std::string& p : t.quote) {
            AppendWrapped(out, p, "> ");
            out += ">\r\n";
        }
    }
    return out;
}

// As MSHTML 6 writes it, with tag names in one case or the other.
std::string HtmlText(Rng& rng, const Text& t) {
    const bool upper = rng.Chance(0.6);
    std::string out;
    auto name = [&](std::string_view tag) {
        for (char c : tag) out += upper && c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
    };
    auto open = [&](std::string_view tag, std::string_view attributes = {}) {
        out += "<";
        name(tag);
        out += attributes;
        out += ">";
    };
    auto close = [&](std::string_view tag) {
        out += "</";
        name(tag);
        out += ">";
    };
    auto paragraph = [&](std::string_view text) {
        open("div");
        open("font", " face=Arial size=2");
        out += HtmlEscape(text);
        close("font");
        close("div");
        out += "\r\n";
    };
    out += "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">\r\n";
    open("html");
    open("head");
    out += "\r\n";
    open("meta", " http-equiv=Content-Type content=\"text/html; charset=iso-8859-1\"");
    out += "\r\n";
    open("meta", " content=\"MSHTML 6.00.2900.2180\" name=GENERATOR");
    out += "\r\n";
    open("style");
    close("style");
    out += "\r\n";
    close("head");
    out += "\r\n";
    open("body", " bgColor=#ffffff");
    out += "\r\n";
    for (const std::string& p : t.paragraphs) {
        paragraph(p);
        open("div");
        open("font", " face=Arial size=2");
        close("font");
        out += "&nbsp;";
        close("div");
        out += "\r\n";
    }
    if (!t.quoteHeader.empty()) {
        open("blockquote",
             " style=\"PADDING-LEFT: 5px; MARGIN-LEFT: 5px; BORDER-LEFT: #000000 2px solid\"");
        out += "\r\n";
        for (const std::string& line : t.quoteHeader) {
            open("div", " style=\"FONT: 10pt arial\"");
            out += HtmlEscape(line);
            close("div");
            out += "\r\n";
        }
        for (const std::string& p : t.quote) paragraph(p);
        close("blockquote");
    }
    close("body");
    close("html");
    out += "\r\n";
    return out;
}

std::string Boundary(Rng& rng, int level) {
    const unsigned a = unsigned(rng.Below(0x10000)), b = unsigned(rng.Below(0x100000000)),
                   c = unsigned(rng.Below(0x100000000));
    char text[64];
    std::snprintf(text, sizeof text, "----=_NextPart_%03d_%04X_%08X.%08X", level, a, b, c);
    return text;
}

std::string MultipartType(std::string_view subtype, const std::string& boundary) {
    return "Content-Type: multipart/" + std::string(subtype) + ";\r\n\tboundary=\"" + boundary +
           "\"\r\n";
}

void AppendTextPart(std::string& out, std::string_view subtype, const std::string& text,
                    std::string_view moreHeaders = {}) {
    // Outlook Express sends HTML quoted-printable; its lines would run long otherwise.
    const bool ascii = IsAscii(text) && subtype != "html";
    out += "Content-Type: text/";
    out += subtype;
    out += ";\r\n\tcharset=\"iso-8859-1\"\r\n";
    out += ascii ? "Content-Transfer-Encoding: 7bit\r\n"
                 : "Content-Transfer-Encoding: quoted-printable\r\n";
    out += moreHeaders;
    out += "\r\n";
    out += ascii ? text : QuotedPrintable(text);
}

// The plain and the HTML part, without the closing delimiter.
void AppendAlternativeParts(Rng& rng, std::string& out, const std::string& boundary,
                            const Text& t) {
    out += "\r\n--" + boundary + "\r\n";
    AppendTextPart(out, "plain", PlainText(t));
    out += "\r\n--" + boundary + "\r\n";
    AppendTextPart(out, "html", HtmlText(rng, t));
}

void AppendAlternative(Rng& rng, std::string& out, const Text& t) {
    const std::string boundary = Boundary(rng, 1);
    out += MultipartType("alternative", boundary) + "\r\n";
    AppendAlternativeParts(rng, out, boundary, t);
    out += "\r\n--" + boundary + "--\r\n";
}

void AppendAttachment(Rng& rng, std::string& out, const Person& from) {
    const Attachment& a = kAttachments[rng.Below(std::size(kAttachments))];
    std::string name = rng.Pick(from.language->fileStems);
    if (rng.Chance(0.5)) {
        name += "_";
        name += std::to_string(rng.Range(1, 2009));
    }
    name += ".";
    name += a.extension;
    const int bits = int(rng.Range(11, 17));  // a few KB to a few hundred KB
    const std::size_t size = (std::size_t(1) << bits) + rng.Below(std::size_t(1) << bits);
    std::vector<std::uint8_t> data(size);
    rng.Fill(data.data(), data.size());
    std::copy(a.magic.begin(), a.magic.begin() + std::ptrdiff_t(std::min(a.magic.size(), size)),
              data.begin());
    out += "Content-Type: ";
    out += a.type;
    out += ";\r\n\tname=\"" + name + "\"\r\n";
    out += "Content-Transfer-Encoding: base64\r\n";
    out += "Content-Disposition: attachment;\r\n\tfilename=\"" + name + "\"\r\n\r\n";
    AppendBase64(out, data.data(), data.size());
}

const char* Mailer(std::int64_t sent) {
    if (sent < 999302400) return "Microsoft Outlook Express 5.50.4522.1200";   // 2001-09
    if (sent < 1093996800) return "Microsoft Outlook Express 6.00.2800.1437";  // 2004-09
    return "Microsoft Outlook Express 6.00.2900.2180";
}

// The message as sent; `quotes` for a reply or forward, which carries the earlier message.
std::string Body(Rng& rng, const Message& m, bool outgoing, bool quotes, const std::string& topic) {
    const Text text = ComposeText(rng, m, quotes, topic);
    const int zone = m.from.language->zoneMinutes;
    std::string out;
    if (!outgoing) {
        const std::string& domain = rng.Pick(m.to.language->domains);
        std::string address = std::to_string(rng.Range(62, 220));
        for (int i = 0; i < 3; ++i) address.append(".").append(std::to_string(rng.Range(1, 254)));
        out += "Received: from " + m.from.address.substr(m.from.address.find('@') + 1) + " ([" +
               address + "])\r\n\tby mx." + domain + " with SMTP; " + HeaderDate(m.received, zone) +
               "\r\n";
    }
    out += "Message-ID: " + m.messageId + "\r\n";
    out += "From: " + Mailbox(m.from) + "\r\n";
    out += "To: " + Mailbox(m.to) + "\r\n";
    out += "Subject: " + HeaderText(m.subject) + "\r\n";
    out += "Date: " + HeaderDate(m.sent, zone) + "\r\n";
    out += "MIME-Version: 1.0\r\n";
    const std::string mailer =
        "X-Priority: 3\r\nX-MSMail-Priority: Normal\r\nX-Mailer: " + std::string(Mailer(m.sent)) +
        "\r\nX-MimeOLE: Produced By Microsoft MimeOLE V6.00.2900.2180\r\n";
    if (m.kind == BodyKind::Plain) {
        AppendTextPart(out, "plain", PlainText(text), mailer);
        return out;
    }
    const std::string boundary = Boundary(rng, 0);
    const bool mixed = m.kind == BodyKind::WithAttachment;
    out += MultipartType(mixed ? "mixed" : "alternative", boundary);
    out += mailer + "\r\n";
    out += "This is a multi-part message in MIME format.\r\n";
    if (!mixed) {
        AppendAlternativeParts(rng, out, boundary, text);
    } else {
        out += "\r\n--" + boundary + "\r\n";
        if (rng.Chance(0.5)) {
            AppendAlternative(rng, out, text);
        } else {
            AppendTextPart(out, "plain", PlainText(text));
        }
        const int files = rng.Chance(0.2) ? 2 : 1;
        for (int i = 0; i < files; ++i) {
            out += "\r\n--" + boundary + "\r\n";
            AppendAttachment(rng, out, m.from);
        }
    }
    out += "\r\n--" + boundary + "--\r\n";
    return out;
}

}  // namespace

MailComposer::MailComposer(Rng& rng, const std::string& folderName) : rng_(rng) {
    owner_ = MakePerson(rng_);
    for (int i = 0; i < 40; ++i) contacts_.push_back(MakePerson(rng_));
    std::string lower;
    for (char c : folderName) lower += char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    outgoing_ =
        lower.find("sent") != std::string::npos || lower.find("outbox") != std::string::npos ||
        lower.find("enviad") != std::string::npos || lower.find("gesendet") != std::string::npos;
}

Message MailComposer::Compose() {
    Message m;
    if (outgoing_) {
        m.from = owner_;
        m.to = rng_.Pick(contacts_);
    } else {
        m.from = rng_.Pick(contacts_);
        m.to = rng_.Chance(0.85) ? owner_ : rng_.Pick(contacts_);
    }
    std::string topic = rng_.Pick(m.from.language->subjects);
    if (rng_.Chance(0.15)) {
        topic += " ";
        topic += std::to_string(rng_.Range(2, 2009));
    }
    const std::uint64_t prefixRoll = rng_.Below(100);
    const std::string prefix = prefixRoll < 30   ? "Re: "
                               : prefixRoll < 38 ? "Fw: "
                               : prefixRoll < 42 ? "RE: "
                               : prefixRoll < 44 ? "FW: "
                                                 : "";
    m.subject = prefix + topic;
    m.sent = rng_.Range(kFirstDate, kLastDate);
    m.received = m.sent + rng_.Range(3, 900);
    m.read = rng_.Chance(0.8);
    m.opaqueSize = std::size_t(rng_.Range(160, 320));
    m.messageId = MessageId(rng_, m);
    m.recordHasMessageId = rng_.Chance(0.4);
    const std::uint64_t kindRoll = rng_.Below(100);
    m.kind = kindRoll < 45   ? BodyKind::Plain
             : kindRoll < 75 ? BodyKind::Html
                             : BodyKind::WithAttachment;
    m.body = Body(rng_, m, outgoing_, !prefix.empty(), topic);
    return m;
}

}  // namespace dbx::gen
