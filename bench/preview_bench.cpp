// Times building the preview of a 20 MB message, median of 5: a text message whose base64
// part starts near its end, and an HTML message with its closing tag at the end.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "output_path.h"
#include "preview_builder.h"

namespace {

double MedianMs(const std::string& eml, const std::string& folder) {
    std::vector<double> times;
    for (int run = 0; run < 5; ++run) {
        const auto start = std::chrono::steady_clock::now();
        dbx::BuildPreviewFile(eml, folder);
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(times.begin(), times.end());
    return times[2];
}

}  // namespace

int main() {
    std::string folder = (std::filesystem::temp_directory_path() / "dbxr-bench-XXXXXX").string();
    if (!mkdtemp(folder.data())) return 1;
    const std::string eml = dbx::JoinPath(folder, "bench.eml");
    const std::size_t size = 20'000'000;
    std::string line = "Lorem ipsum dolor sit amet, consectetur adipiscing elit. <b>x</b> a@b\r\n";

    std::string text = "Subject: bench\r\n\r\n";
    while (text.size() < size) text += line;
    text += "Content-Transfer-Encoding: base64\r\n\r\nAAAA\r\n";
    std::ofstream(eml, std::ios::binary) << text;
    std::printf("text part of a 20 MB message: %.1f ms\n", MedianMs(eml, folder));

    std::string html = "Subject: bench\r\n\r\n<HTML>";
    while (html.size() < size) html += line;
    html += "</HTML>\r\n";
    std::ofstream(eml, std::ios::binary) << html;
    std::printf("HTML part of a 20 MB message: %.1f ms\n", MedianMs(eml, folder));
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
