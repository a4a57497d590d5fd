#include "scan/scan_job.h"

#include "listing_scan.h"
#include "scan/scan_feed.h"

namespace dbx {
namespace {

// As many agreeing block headers as it takes to tell a store's blocks from chance.
constexpr std::size_t kLeastBlocks = 3;

}  // namespace

ScanResult RunScanJob(ScanParams params, ScanFeed& feed, const std::atomic<int>& stop) {
    params.options.stopFlag = &stop;
    const ListingReport listing = ListStoreMessages(params.path, feed, params.options, params.deep);
    ScanResult result;
    result.report = listing.scan;
    result.displacement = listing.displacement;
    result.blocksFound = listing.blocksAgreeing >= kLeastBlocks;
    return result;
}

}  // namespace dbx
