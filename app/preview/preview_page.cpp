#include "preview/preview_page.h"

#include "mail_view.h"
#include "preview_builder.h"
#include "raw_view.h"

namespace dbx {

PreviewPage BuildPreviewPage(const std::string& emlPath, const std::string& directory,
                             PreviewMode mode, const QByteArray& codePage,
                             const std::atomic<int>* stop) {
    PreviewPage page;
    if (emlPath.empty() || directory.empty()) return page;
    MailViewOptions options;
    if (!codePage.isEmpty()) options.fallbackCharset = codePage;
    if (mode == PreviewMode::Source) {
        page.path = BuildSourceView(emlPath, directory, options, stop).pagePath;
        return page;
    }
    if (mode == PreviewMode::Decoded) {
        const MailView view = BuildMailView(emlPath, directory, options, stop);
        if (view.status == MailViewStatus::Shown) {
            page.path = view.pagePath;
            page.decoded = true;
            page.attachments = view.listed;
            return page;
        }
        if (view.status == MailViewStatus::Stopped) return page;
        // Damaged or deleted messages GMime cannot read still have their raw view.
    }
    const PreviewResult raw = BuildPreviewFile(emlPath, directory, stop);
    if (raw.kind == PreviewKind::None) return page;
    // The stored HTML is shown only once it is as safe as the decoded page.
    if (raw.kind == PreviewKind::Html &&
        !SecureRawPreviewFile(raw.path, codePage.isEmpty() ? "windows-1252" : codePage)) {
        return page;
    }
    page.path = raw.path;
    return page;
}

}  // namespace dbx
