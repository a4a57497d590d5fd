#pragma once

#include <string>

namespace dbx {

class RecoveryDialog;
struct SaveRequest;

// The search that Next starts, on its own thread: scans g_strSourceFile into the results
// list, then turns the window to its results look. Returns 1.
int ScanJob(RecoveryDialog* dialog);

// The preview that a click on a row starts, on its own thread: cuts the shown part out of
// the extracted message `emlPath` into `tempDir`, shows it, and deletes the message file.
// Returns 1.
int PreviewJob(RecoveryDialog* dialog, const std::string& emlPath, const std::string& tempDir);

// The save that Save starts, on its own thread: extracts the request's messages one after
// the other into its folder, showing each in the saving dialog, until done or asked to stop;
// then has the dialog report. Returns 1.
int SaveJob(RecoveryDialog* dialog, const SaveRequest& request);

}  // namespace dbx
