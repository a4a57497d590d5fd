#include "dry_run.h"

#include <filesystem>
#include <set>

#include "hit_writers.h"
#include "output_path.h"

namespace dbx::cli {
namespace {

std::string Describe(const Chosen& c, CodePageDecoder& decoder) {
    std::string text = "offset " + std::to_string(c.offset);
    if (!c.found) return text + " (not listed by the scan)";
    return text + "  " + StatusText(*c.found) + "  " +
           PrintableText(Utf8Text(*c.found, c.found->from, decoder)) + "  " +
           PrintableText(Utf8Text(*c.found, c.found->subject, decoder));
}

}  // namespace

std::string Utf8Text(const RecoveredMessage& m, const std::string& text, CodePageDecoder& decoder) {
    return m.orphaned ? text : decoder.Decode(text);
}

void ListDryRun(Output& out, const std::string& folder, const std::string& prefix,
                const std::vector<Chosen>& chosen, CodePageDecoder& decoder,
                const std::function<std::string(const Chosen&)>& nameFor) {
    namespace fs = std::filesystem;
    std::int64_t number = 0;
    std::set<std::string> planned;
    for (const Chosen& c : chosen) {
        const std::string name = nameFor(c);
        std::string path;
        std::error_code ec;
        for (int n = 1;; ++n) {
            if (name.empty()) {
                path = JoinPath(folder, prefix + std::to_string(number++) + ".eml");
            } else {
                path = JoinPath(folder,
                                name + (n == 1 ? "" : " (" + std::to_string(n) + ")") + ".eml");
            }
            if (!fs::exists(fs::symlink_status(path, ec)) && !planned.count(path)) break;
        }
        planned.insert(path);
        out.Line(Escaped(path) + "  " + Describe(c, decoder));
    }
}

}  // namespace dbx::cli
