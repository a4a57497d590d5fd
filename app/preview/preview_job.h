#pragma once

#include <QByteArray>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "message_extractor.h"
#include "preview/preview_page.h"

namespace dbx {

// What a preview is asked to show: the message at `offset` of the store, extracted into the
// run's private folder and turned into a page there.
struct PreviewParams {
    std::uint32_t offset = 0;
    std::string storePath;
    std::string folder;  // "" when no private folder could be made: nothing is extracted
    std::string prefix;
    ExtractExtras extras;            // where a deep search found the store's records
    MailCounter* counter = nullptr;  // numbers the extracted file; shared with Save
    PreviewMode mode = PreviewMode::Decoded;
    QByteArray codePage;
    std::function<void()> hold;  // a test's hold, after the extraction
};

// What a preview hands back.
struct PreviewResult {
    PreviewPage page;  // the page to show; no path when there is nothing new to show
    std::string note;  // the page shown instead when the message's first block is gone
};

// The preview, on its job's thread: extracts the message, builds its page and removes the
// extracted file again. A raised `stop` ends it at its next step with nothing new to show.
PreviewResult RunPreviewJob(const PreviewParams& params, const std::atomic<int>& stop);

}  // namespace dbx
