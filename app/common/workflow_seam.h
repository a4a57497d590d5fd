#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "read_device.h"

#include "common/test_seam.h"

namespace dbx {

// Test seam of the scan, preview and save workflows: points at which a test holds a job, and
// the answers to Save's folder question and to an attachment's Save As dialog. Each job takes what
// it needs when it is started.
class WorkflowTestSeam : public TestSeam<WorkflowTestSeam> {
  public:
    // On the scanning thread, at the start of every window of the store.
    std::function<void(std::uint64_t windowOffset)> scanWindow;
    // On the preview thread, before the preview file is built.
    std::function<void()> previewStart;
    // On the saving thread, before the message of each index is written.
    std::function<void(int index)> saveItem;
    // In place of the folder dialog: where the ticked mails go, starting in `startFolder`;
    // "" declines. File-name bytes.
    std::function<std::string(const std::string& startFolder)> saveFolder;
    // Between the store and the reads of the search and of Save (null: the file itself), e.g.
    // a disk that fails some sectors.
    std::shared_ptr<const ReadDevice> device;
    // On the attachment thread, before the attachment is written.
    std::function<void()> attachmentStart;
    // In place of an attachment's Save As dialog: the file chosen, starting from
    // `proposedPath` (the cleaned name in the last folder used); "" declines. A file that
    // exists stands for one whose replacement the dialog's question confirmed. File-name bytes.
    std::function<std::string(const std::string& proposedPath)> saveAttachmentAs;
};

}  // namespace dbx
