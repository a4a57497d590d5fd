#include "dry_run.h"

#include <filesystem>

#include "hit_writers.h"
#include "output_path.h"

namespace dbx::cli {
namespace {

std::string Describe(const Chosen& c, CodePageDecoder& decoder) {
    std::string text = "offset " + std::to_string(c.offset);
    if (!c.found) return text + " (not listed by the scan)";
    return text + "  " + StatusText(*c.found) + "  " +
           PrintableText(decoder.Decode(c.found->from)) + "  " +
           PrintableText(decoder.Decode(c.found->subject));
}

}  // namespace

void ListDryRun(std::FILE* out, const std::string& folder, const std::string& prefix,
                const std::vector<Chosen>& chosen, CodePageDecoder& decoder) {
    namespace fs = std::filesystem;
    std::int64_t number = 0;
    for (const Chosen& c : chosen) {
        std::string path;
        std::error_code ec;
        do {
            path = JoinPath(folder, prefix + std::to_string(number++) + ".eml");
        } while (fs::exists(fs::symlink_status(path, ec)));
        std::fprintf(out, "%s  %s\n", path.c_str(), Describe(c, decoder).c_str());
    }
    std::fprintf(out, "%zu would be written\n", chosen.size());
}

}  // namespace dbx::cli
