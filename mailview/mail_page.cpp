#include "mail_page.h"

#include <QLocale>

#include "html_text.h"

namespace dbx {
namespace {

// Belt and braces next to the pane's own rules: even a page the sanitizer missed something in
// cannot load from the network, run a script, submit a form or change its base address.
constexpr char kHead[] =
    "\xEF\xBB\xBF<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
    "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; img-src file: "
    "data:; style-src 'unsafe-inline'; form-action 'none'; base-uri 'none'\">"
    "<style>"
    "body{margin:0}"
    "#dbxr-head{all:initial;display:block !important;font:13px sans-serif;background:#f2f2f2;"
    "color:#000;border-bottom:1px solid #c8c8c8;padding:6px 10px}"
    "#dbxr-head table{border-collapse:collapse;font:inherit;color:inherit}"
    "#dbxr-head th{text-align:right;vertical-align:top;padding:1px 8px 1px 0;color:#555;"
    "font-weight:bold;white-space:nowrap}"
    "#dbxr-head td{padding:1px 0;word-break:break-word}"
    "#dbxr-head .subject{font-weight:bold}"
    ".dbxr-note{all:initial;display:block !important;font:12px sans-serif;background:#fff8d8;"
    "color:#000;border-bottom:1px solid #e0d8a8;padding:4px 10px}"
    ".dbxr-text{white-space:pre-wrap;word-wrap:break-word;font:13px sans-serif;padding:8px 10px}"
    "</style></head><body>";

std::string Row(const char* label, const QString& value, const char* cssClass = nullptr) {
    if (value.trimmed().isEmpty()) return {};
    std::string row = "<tr><th>";
    row += label;
    row += "</th><td";
    if (cssClass) {
        row += " class=\"";
        row += cssClass;
        row += '"';
    }
    row += '>';
    row += EscapeHtml(value.toStdString());
    row += "</td></tr>";
    return row;
}

std::string AttachmentList(const std::vector<MailAttachment>& attachments) {
    std::string list;
    for (const MailAttachment& attachment : attachments) {
        if (!list.empty()) list += ", ";
        const QString name =
            attachment.name.isEmpty() ? QStringLiteral("(no name)") : attachment.name;
        QString details = attachment.type;
        if (attachment.size >= 0) {
            details += ", " + QLocale::system().formattedDataSize(attachment.size);
        }
        list += "<span class=\"attachment\">" + EscapeHtml(name.toStdString()) + " (" +
                EscapeHtml(details.toStdString()) + ")</span>";
    }
    return list;
}

}  // namespace

std::string ComposeMailPage(const MailPageContent& content) {
    std::string page = kHead;
    page.reserve(page.size() + content.bodyHtml.size() + 2048);
    page += "<div id=\"dbxr-head\"><table>";
    page += Row("From:", content.headers.from);
    page += Row("To:", content.headers.to);
    page += Row("Cc:", content.headers.cc);
    page += Row("Subject:", content.headers.subject, "subject");
    page += Row("Date:", content.headers.date);
    if (!content.attachments.empty()) {
        page +=
            "<tr><th>Attachments:</th><td>" + AttachmentList(content.attachments) + "</td></tr>";
    }
    page += "</table></div>";
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
