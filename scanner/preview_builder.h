#pragma once

#include <atomic>
#include <string>

namespace dbx {

enum class PreviewKind { None, Html, Text };

struct PreviewResult {
    PreviewKind kind = PreviewKind::None;
    std::string path;  // the file to show: "MailHtml.html" or "MailHtml.txt" in the folder
};

// Cuts the displayable part out of an extracted message: from its first "<html>" (any case)
// through its last "</html>" or "</HTML>", or else its text up to the first base64 part. The
// HTML goes to "MailHtml.html"; a text part ends up in "MailHtml.txt", replacing the old one.
// A raised stop flag ends the work with nothing to show.
PreviewResult BuildPreviewFile(const std::string& emlPath, const std::string& directory,
                               const std::atomic<int>* stopFlag = nullptr);

}  // namespace dbx
