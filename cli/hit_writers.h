#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "messages.h"

namespace dbx::cli {

// One recognised message as the command line shows it: texts already in UTF-8.
struct HitRow {
    std::uint32_t offset = 0;
    std::string status;
    std::string from;
    std::string to;
    std::string subject;
    std::string dateText;
    std::string dateUtc;
};

// What a row may carry beyond the scan's own columns.
struct RowExtras {
    std::string folder;  // the store, when a whole store folder is listed
    bool incomplete = false;
    std::int64_t displacement = 0;
};

// Which of the extras the listing has: JSON and CSV gain "folder", "incomplete" and
// "displacement" (JSON: the last only where it is not 0).
struct HitColumns {
    bool folder = false;
    bool incomplete = false;
    bool displacement = false;
};

// Writes hits as they are found, so that a stopped or huge scan still shows everything.
// Every write is checked: once one fails, the rest are dropped and Finish says why.
class HitWriter {
  public:
    explicit HitWriter(std::FILE* out) : out_(out) {}
    virtual ~HitWriter() = default;
    virtual void Begin() {}
    void Write(const HitRow& row) { Write(row, RowExtras{}); }
    virtual void Write(const HitRow& row, const RowExtras& extras) = 0;
    // The table's heading for the next store's rows; the other formats name it in each row.
    virtual void BeginStore(const std::string& /*name*/) {}
    virtual void End() {}
    // A write has failed: nothing more can reach the listing.
    bool Failed() const { return out_.Failed(); }
    // Flushes the listing; false, with a line on stderr, when any of it could not be written.
    bool Finish() { return out_.Finish("the listing"); }

  protected:
    Output out_;
};

// "table", "json" or "csv"; null for anything else.
std::unique_ptr<HitWriter> MakeHitWriter(const std::string& format, std::FILE* out,
                                         const HitColumns& columns = {});

// RFC 4180 field: quoted when it holds a comma, quote or line break.
std::string CsvField(const std::string& text);

// The text with line breaks, escapes and other control characters turned into blanks: a
// damaged store's texts must neither break rows nor steer the terminal.
std::string PrintableText(std::string text);

// Cuts UTF-8 text to at most `width` characters, marking a cut with an ellipsis.
std::string FitWidth(const std::string& text, std::size_t width);

}  // namespace dbx::cli
