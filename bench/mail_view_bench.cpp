// Times the decoded preview of a large message, median of 5: an HTML body of 1 MB with a
// 15 MB attachment (base64, about 20 MB encoded), and a plain-text message of 20 MB. Then
// hostile structures, once each: multiparts nested 2,000 deep filled with lines that look like
// boundaries (5 MB, 20 MB and 128 MiB), a million empty parts, and HTML nested 100,000 deep;
// each should take at most a few seconds.
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "mail_view.h"

namespace {

double MedianMs(const std::string& eml, const std::string& folder, dbx::MailView* view) {
    std::vector<double> times;
    for (int run = 0; run < 5; ++run) {
        const auto start = std::chrono::steady_clock::now();
        *view = dbx::BuildMailView(eml, folder);
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(times.begin(), times.end());
    return times[2];
}

std::string Base64Lines(std::size_t decodedBytes) {
    std::string line(76, 'A');
    line += "\r\n";
    std::string out;
    out.reserve(decodedBytes / 57 * 78 + 78);
    for (std::size_t done = 0; done < decodedBytes; done += 57) out += line;
    return out;
}

// Multiparts nested `depth` deep, then lines starting with "--" up to `bytes`.
std::string DeepMultiparts(int depth, std::size_t bytes) {
    std::string message = "From: a@example.org\r\nSubject: deep\r\nMIME-Version: 1.0\r\n";
    for (int i = 0; i < depth; ++i) {
        message += "Content-Type: multipart/mixed; boundary=\"b" + std::to_string(i) +
                   "\"\r\n\r\n--b" + std::to_string(i) + "\r\n";
    }
    message += "Content-Type: text/plain\r\n\r\n";
    while (message.size() < bytes) message += "--b1 a line that is almost a boundary\r\n";
    for (int i = depth - 1; i >= 0; --i) message += "--b" + std::to_string(i) + "--\r\n";
    return message;
}

void TimeOnce(const char* name, const std::string& message, const std::string& eml,
              const std::string& folder) {
    std::ofstream(eml, std::ios::binary | std::ios::trunc) << message;
    const auto start = std::chrono::steady_clock::now();
    const dbx::MailView view = dbx::BuildMailView(eml, folder);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("mail_view %s message_mb=%.1f ms=%.0f shown=%d (target: a few seconds)\n", name,
                message.size() / 1e6, ms, view.status == dbx::MailViewStatus::Shown ? 1 : 0);
}

void Hostile(const std::string& eml, const std::string& folder) {
    TimeOnce("nested-2000", DeepMultiparts(2000, 5'000'000), eml, folder);
    TimeOnce("nested-2000", DeepMultiparts(2000, 20'000'000), eml, folder);
    TimeOnce("nested-2000", DeepMultiparts(2000, (std::size_t(128) << 20) - (1 << 20)), eml,
             folder);
    std::string parts = "From: a@example.org\r\nContent-Type: multipart/mixed; boundary=m\r\n\r\n";
    for (int i = 0; i < 1'000'000; ++i) parts += "--m\r\n\r\n";
    TimeOnce("parts-1M", parts, eml, folder);
    std::string html = "From: a@example.org\r\nContent-Type: text/html\r\n\r\n";
    for (int i = 0; i < 100'000; ++i) html += "<div><b id=x>";
    TimeOnce("html-nested-100k", html, eml, folder);
}

}  // namespace

int main() {
    QTemporaryDir dir;
    if (!dir.isValid()) return 1;
    const std::string folder = dir.path().toStdString();
    const std::string eml = folder + "/bench.eml";
    const std::string line =
        "<p>Lorem ipsum dolor sit amet, <b>consectetur</b> adipiscing elit &amp; more.</p>\r\n";

    std::string html;
    while (html.size() < 1'000'000) html += line;
    std::string message =
        "From: a@example.org\r\nTo: b@example.org\r\nSubject: bench\r\nMIME-Version: 1.0\r\n"
        "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\n"
        "Content-Type: text/html; charset=utf-8\r\n\r\n<html><body>" +
        html +
        "</body></html>\r\n--b\r\nContent-Type: application/octet-stream; name=\"big.bin\"\r\n"
        "Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment\r\n\r\n" +
        Base64Lines(15'000'000) + "--b--\r\n";
    std::ofstream(eml, std::ios::binary) << message;
    dbx::MailView view;
    double ms = MedianMs(eml, folder, &view);
    std::printf(
        "mail_view html+attachment message_mb=%.1f median_ms=%.1f attachments=%d "
        "(target < 150)\n",
        message.size() / 1e6, ms, view.attachments);

    std::string text = "From: a@example.org\r\nSubject: bench\r\n\r\n";
    while (text.size() < 20'000'000) text += "Lorem ipsum dolor sit amet, www.example.org x\r\n";
    std::ofstream(eml, std::ios::binary) << text;
    ms = MedianMs(eml, folder, &view);
    std::printf("mail_view text message_mb=%.1f median_ms=%.1f\n", text.size() / 1e6, ms);
    const bool shown = view.status == dbx::MailViewStatus::Shown;
    Hostile(eml, folder);
    return shown ? 0 : 1;
}
