#include "hit_writers.h"

#include <algorithm>

#include <nlohmann/json.hpp>

namespace dbx::cli {
namespace {

std::size_t Utf8Length(const std::string& text) {
    std::size_t n = 0;
    for (unsigned char c : text) n += (c & 0xC0) != 0x80;
    return n;
}

class TableWriter : public HitWriter {
  public:
    explicit TableWriter(std::FILE* out) : HitWriter(out) {}
    void Begin() override { Line("Offset", "Status", "Date", "From", "To", "Subject"); }
    void BeginStore(const std::string& name) override { out_.Line("== " + Printable(name)); }
    using HitWriter::Write;
    void Write(const HitRow& r, const RowExtras& extras) override {
        // A trailing "*": the message's chain breaks off, its file will be incomplete.
        Line(std::to_string(r.offset), extras.incomplete ? r.status + "*" : r.status,
             Printable(r.dateText), Printable(r.from), Printable(r.to), Printable(r.subject));
    }

  private:
    void Line(const std::string& offset, const std::string& status, const std::string& date,
              const std::string& from, const std::string& to, const std::string& subject) {
        std::string line = Pad(offset, 10) + Pad(status, 9) + Pad(FitWidth(date, 20), 21) +
                           Pad(FitWidth(from, 36), 37) + Pad(FitWidth(to, 36), 37) + subject;
        out_.Line(line);
    }
    static std::string Printable(std::string text) { return PrintableText(std::move(text)); }
    static std::string Pad(const std::string& text, std::size_t width) {
        const std::size_t length = Utf8Length(text);
        return text + std::string(length < width ? width - length : 1, ' ');
    }
};

class JsonWriter : public HitWriter {
  public:
    JsonWriter(std::FILE* out, const HitColumns& columns) : HitWriter(out), columns_(columns) {}
    void Begin() override { out_.Put("["); }
    // Written field by field: building a whole JSON object per hit costs more than the scan's
    // own work for it.
    using HitWriter::Write;
    void Write(const HitRow& r, const RowExtras& extras) override {
        line_.assign(first_ ? "\n  {\"offset\":" : ",\n  {\"offset\":");
        line_ += std::to_string(r.offset);
        Field("status", r.status);
        Field("from", r.from);
        Field("to", r.to);
        Field("subject", r.subject);
        Field("date_text", r.dateText);
        Field("date_utc", r.dateUtc);
        if (columns_.folder) Field("folder", extras.folder);
        if (columns_.incomplete)
            line_ += extras.incomplete ? ",\"incomplete\":true" : ",\"incomplete\":false";
        if (columns_.displacement && extras.displacement != 0) {
            line_ += ",\"displacement\":" + std::to_string(extras.displacement);
        }
        line_ += '}';
        out_.Put(line_);
        first_ = false;
    }
    void End() override { out_.Put(first_ ? "]\n" : "\n]\n"); }

  private:
    void Field(const char* key, const std::string& value) {
        line_ += ",\"";
        line_ += key;
        line_ += "\":";
        // Printable ASCII without a quote or a backslash needs no escape (most texts, and every
        // date); anything else goes through the JSON library, which escapes control characters
        // and replaces bytes that are not UTF-8.
        if (std::all_of(value.begin(), value.end(),
                        [](char c) { return c >= 0x20 && c < 0x7F && c != '"' && c != '\\'; })) {
            line_ += '"';
            line_ += value;
            line_ += '"';
            return;
        }
        text_.get_ref<std::string&>() = value;  // keeps its storage from field to field
        line_ += text_.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    }
    HitColumns columns_;
    std::string line_;
    nlohmann::json text_ = std::string();
    bool first_ = true;
};

class CsvWriter : public HitWriter {
  public:
    CsvWriter(std::FILE* out, const HitColumns& columns) : HitWriter(out), columns_(columns) {}
    void Begin() override {
        std::string header = "offset,status,from,to,subject,date_text,date_utc";
        if (columns_.folder) header += ",folder";
        if (columns_.incomplete) header += ",incomplete";
        if (columns_.displacement) header += ",displacement";
        out_.Put(header + "\r\n");
    }
    using HitWriter::Write;
    void Write(const HitRow& r, const RowExtras& extras) override {
        std::string line = std::to_string(r.offset) + ',' + r.status + ',' + CsvField(r.from) +
                           ',' + CsvField(r.to) + ',' + CsvField(r.subject) + ',' +
                           CsvField(r.dateText) + ',' + r.dateUtc;
        if (columns_.folder) line += ',' + CsvField(extras.folder);
        if (columns_.incomplete) line += extras.incomplete ? ",true" : ",false";
        if (columns_.displacement) line += ',' + std::to_string(extras.displacement);
        out_.Put(line + "\r\n");
    }

  private:
    HitColumns columns_;
};

}  // namespace

std::unique_ptr<HitWriter> MakeHitWriter(const std::string& format, std::FILE* out,
                                         const HitColumns& columns) {
    if (format == "table") return std::make_unique<TableWriter>(out);
    if (format == "json") return std::make_unique<JsonWriter>(out, columns);
    if (format == "csv") return std::make_unique<CsvWriter>(out, columns);
    return nullptr;
}

std::string PrintableText(std::string text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) {
            out += ' ';
        } else if (c == 0xC2 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            out += ' ';  // C1 controls (U+0080 to U+009F) steer some terminals too
            ++i;
        } else {
            out += char(c);
        }
    }
    return out;
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string FitWidth(const std::string& text, std::size_t width) {
    if (Utf8Length(text) <= width || width == 0) return text;
    std::string cut;
    std::size_t chars = 0;
    for (unsigned char c : text) {
        const bool starts = (c & 0xC0) != 0x80;
        if (starts && ++chars > width - 1) break;
        cut += char(c);
    }
    return cut + "\xE2\x80\xA6";
}

}  // namespace dbx::cli
