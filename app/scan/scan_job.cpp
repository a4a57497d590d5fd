#include "scan/scan_job.h"

#include "scan/scan_feed.h"

namespace dbx {
namespace {

// As many agreeing block headers as it takes to tell a store's blocks from chance.
constexpr std::size_t kLeastBlocks = 3;

}  // namespace

ScanResult RunScanJob(ScanParams params, ScanFeed& feed, const std::atomic<int>& stop) {
    params.options.stopFlag = &stop;
    params.options.mode = params.image  ? SearchMode::Image
                          : params.deep ? SearchMode::Deep
                                        : SearchMode::Plain;
    params.options.liveRows = true;
    SearchResult search = SearchStore(params.path, params.options, feed);
    ScanResult result;
    result.report = search.report;
    result.displacement = search.Displacement();
    result.blocksFound = search.blocksAgreeing >= kLeastBlocks;
    result.messages = std::move(search.messages);
    result.storeNames = std::move(search.storeNames);
    result.storePieces = std::move(search.storePieces);
    return result;
}

}  // namespace dbx
