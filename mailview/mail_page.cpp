#include "mail_page.h"

#include <QLocale>

#include "attachment_links.h"
#include "html_text.h"

namespace dbx {
namespace {

// Belt and braces next to the pane's own rules: even a page the sanitizer missed something in
// cannot load from the network, run a script, frame anything, submit a form or change its base
// address.
#define DBXR_PAGE_START                                                                         \
    "\xEF\xBB\xBF<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"                         \
    "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; img-src file: " \
    "data:; style-src 'unsafe-inline'; frame-src 'none'; form-action 'none'; base-uri 'none'\">"

constexpr char kRawHead[] = DBXR_PAGE_START "</head><body>";

constexpr char kSourceHead[] = DBXR_PAGE_START
    "<style>body{margin:0;padding:6px 10px}"
    "pre{margin:0;white-space:pre-wrap;word-wrap:break-word;font:12px/1.35 monospace}"
    ".dbxr-note{font:12px sans-serif;color:#666;margin-top:8px}</style></head><body><pre>";

constexpr char kHead[] = DBXR_PAGE_START
    "<style>"
    "body{margin:0;padding:0 10px 10px}"
    "#dbxr-head{all:initial;display:block !important;font:12px/1.35 sans-serif;"
    "background:#f2f2f2;color:#000;border-bottom:1px solid #c8c8c8;padding:4px 10px;"
    "margin:0 -10px 8px}"
    "#dbxr-head div{margin:0}"
    "#dbxr-head .subject{font-weight:bold;font-size:13px}"
    "#dbxr-head .field{margin-right:14px;white-space:nowrap}"
    "#dbxr-head .label{color:#666}"
    // The mail's own style sheets must not hide or disguise the links of the list.
    "#dbxr-head .attachment{display:inline-block !important;visibility:visible !important;"
    "margin:1px 14px 1px 0;white-space:nowrap}"
    "#dbxr-head .attachment a{display:inline !important;visibility:visible !important;"
    "color:#0645ad !important;text-decoration:underline !important;font:inherit !important;"
    "cursor:pointer}"
    "#dbxr-head .attachment .details{color:#666}"
    "#dbxr-head .attachment .save{margin-left:4px;font-size:11px !important}"
    ".dbxr-note{all:initial;display:block !important;font:12px sans-serif;background:#fff8d8;"
    "color:#000;border-bottom:1px solid #e0d8a8;padding:3px 10px;margin:-8px -10px 8px}"
    ".dbxr-text{white-space:pre-wrap;word-wrap:break-word;font:13px sans-serif}"
    ".dbxr-nested{display:block;border-left:2px solid #c8c8c8;margin:10px 0;padding-left:8px}"
    ".dbxr-nested-head{all:initial;display:block !important;font:12px/1.35 sans-serif;"
    "background:#f7f7f7;color:#000;padding:3px 6px;margin-bottom:6px}"
    ".dbxr-nested-head .subject{font-weight:bold}"
    ".dbxr-nested-head .field{margin-right:14px;white-space:nowrap}"
    ".dbxr-nested-head .label{color:#666}"
    "</style></head><body>";

// One header field: its label and its text, escaped; nothing when the text is empty.
std::string Field(const char* label, const QString& value) {
    if (value.trimmed().isEmpty()) return {};
    std::string field = "<span class=\"field\"><span class=\"label\">";
    field += label;
    field += "</span> ";
    field += EscapeHtml(value.toStdString());
    field += "</span> ";
    return field;
}

// Each attachment's name opens it, as in a mail program; "Save as..." beside it saves it.
std::string AttachmentList(const std::vector<MailAttachment>& attachments) {
    std::string list;
    for (const MailAttachment& attachment : attachments) {
        const QString name =
            attachment.name.isEmpty() ? QStringLiteral("(no name)") : attachment.name;
        QString details = attachment.type;
        if (attachment.size >= 0) {
            details += ", " + QLocale::system().formattedDataSize(attachment.size);
        }
        const std::string part = std::to_string(attachment.part);
        list += "<span class=\"attachment\"><a class=\"open\" id=\"dbxr-open-" + part +
                "\" title=\"Open\" href=\"" +
                AttachmentLink(AttachmentAction::Open, attachment.part) + "\">" +
                EscapeHtml(name.toStdString()) + "</a> <span class=\"details\">(" +
                EscapeHtml(details.toStdString()) + ")</span> <a class=\"save\" id=\"dbxr-save-" +
                part + "\" href=\"" + AttachmentLink(AttachmentAction::Save, attachment.part) +
                "\">Save as...</a></span> ";
    }
    return list;
}

std::string HeaderFields(const MailHeaderFields& headers) {
    std::string fields = "<div>";
    fields += Field("From:", headers.from);
    fields += Field("To:", headers.to);
    fields += Field("Cc:", headers.cc);
    fields += Field("Date:", headers.date);
    fields += "</div>";
    return fields;
}

}  // namespace

std::string NestedMessageStart(const MailHeaderFields& headers) {
    std::string block = "<div class=\"dbxr-nested\"><div class=\"dbxr-nested-head\">";
    if (!headers.subject.trimmed().isEmpty()) {
        block += "<div class=\"subject\">" + EscapeHtml(headers.subject.toStdString()) + "</div>";
    }
    block += HeaderFields(headers);
    block += "</div>";
    return block;
}

std::string ComposeRawPage(const std::string& safeHtml) {
    std::string page = kRawHead;
    page += safeHtml;
    page += "</body></html>\n";
    return page;
}

std::string ComposeSourcePage(std::string_view text, long long notShown) {
    std::string page = kSourceHead;
    page += EscapeHtml(text);
    page += "</pre>";
    if (notShown > 0) {
        page += "<p class=\"dbxr-note\">The rest of the message (" + std::to_string(notShown) +
                " bytes) is not shown.</p>";
    }
    page += "</body></html>\n";
    return page;
}

std::string NestedMessageEnd() {
    return "</div>";
}

std::string ComposeMailPage(const MailPageContent& content) {
    std::string page = kHead;
    page.reserve(page.size() + content.bodyHtml.size() + 2048);
    // Compact: the subject on its own line, the other fields side by side below it.
    page += "<div id=\"dbxr-head\">";
    if (!content.headers.subject.trimmed().isEmpty()) {
        page += "<div class=\"subject\">" + EscapeHtml(content.headers.subject.toStdString()) +
                "</div>";
    }
    page += HeaderFields(content.headers);
    if (!content.attachments.empty()) {
        page += "<div class=\"attachments\"><span class=\"label\">Attachments:</span> " +
                AttachmentList(content.attachments) + "</div>";
    }
    page += "</div>";
    if (content.remoteImages > 0) {
        page +=
            "<div class=\"dbxr-note\" id=\"dbxr-remote\">Pictures from the internet in "
            "this message are blocked.</div>";
    }
    if (content.truncated) {
        page +=
            "<div class=\"dbxr-note\" id=\"dbxr-truncated\">This message is very long: only "
            "its beginning is shown.</div>";
    }
    page += content.bodyHtml;
    page += "</body></html>\n";
    return page;
}

}  // namespace dbx
