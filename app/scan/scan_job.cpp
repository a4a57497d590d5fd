#include "scan/scan_job.h"

#include "scan/deep_scan.h"
#include "scan/scan_feed.h"

namespace dbx {

ScanResult RunScanJob(ScanParams params, ScanFeed& feed, const std::atomic<int>& stop) {
    ScanResult result;
    params.options.stopFlag = &stop;
    if (!params.deep) {
        result.report = ScanStore(params.path, feed, params.options);
        return result;
    }
    const DeepScanReport deep = DeepScanStore(params.path, feed, params.options);
    result.report = deep.scan;
    result.displacement = deep.displacement;
    return result;
}

}  // namespace dbx
