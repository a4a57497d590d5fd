// Times the decoded preview of a large message, median of 5: an HTML body of 1 MB with a
// 15 MB attachment (base64, about 20 MB encoded), and a plain-text message of 20 MB.
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
    return view.status == dbx::MailViewStatus::Shown ? 0 : 1;
}
