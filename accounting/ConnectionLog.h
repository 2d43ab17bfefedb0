// SPDX-License-Identifier: MIT
#pragma once
// The connection record (64 bytes) and the connection log "dialup.otl".

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/DateTime.h"
#include "platform/RegionalSettings.h"

namespace tarifuhr {

inline constexpr size_t kConnectionRecordSize = 64;
inline constexpr size_t kHistoryLines = 30;
// The entry of a log record of 0 s that brings the log in line with the
// figures a user took over from the provider.
inline constexpr const char* kCorrectionEntry = "Korrektur";

struct ConnectionRecord {
  std::string entry;  // at most 20 characters; empty = no connection open
  TDateTime start = 0;
  TDateTime end = 0;
  int32_t seconds = 0;
  double cost = 0;
  // 48-bit counts: the low 32 bits where the old program reads them, bits
  // 32-47 in its padding.
  int64_t received = 0;
  int64_t sent = 0;

  bool IsOpen() const { return !entry.empty(); }
  bool operator==(const ConnectionRecord&) const = default;
};

std::array<uint8_t, kConnectionRecordSize> EncodeConnection(const ConnectionRecord& r);
ConnectionRecord DecodeConnection(const uint8_t* bytes);

// The list box that shows the log in the main window.
class LogListView {
 public:
  virtual ~LogListView() = default;
  virtual void Clear() = 0;
  virtual int Count() const = 0;
  virtual void Add(const std::string& line) = 0;
  virtual void Set(int index, const std::string& line) = 0;
  virtual bool HasFocus() const = 0;
  // The last line is in view: the user has not scrolled away from it.
  virtual bool ShowsLastLine() const = 0;
  virtual void SelectLast() = 0;  // and scrolls to it
  virtual void ScrollToLast() = 0;
  virtual void BeginUpdate() {}
  virtual void EndUpdate() {}
};

// Width of a text in pixels in the main window's font.
using TextWidthFn = std::function<int(const std::string&)>;
// An entry name wider than this, as `width` measures it, loses characters
// from its end.
inline constexpr int kEntryColumnPixels = 68;

class ConnectionLog {
 public:
  explicit ConnectionLog(std::string path) : path_(std::move(path)) {}
  const std::string& Path() const { return path_; }

  // Appends one record. A torn last record (a file size that is not a
  // multiple of 64) is cut away first. Throws FileError.
  void Append(const ConnectionRecord& record) const;
  // The last `count` complete records, oldest first, reading only the tail
  // of the file. A missing file is created empty.
  std::vector<ConnectionRecord> ReadTail(size_t count) const;

 private:
  std::string path_;
};

// Replaces the list's lines by `records`; returns their number.
int ShowLogRecords(const std::vector<ConnectionRecord>& records, LogListView& view, const TextWidthFn& width,
                   const RegionalSettings& rs);
// Shows the last 30 records in `view`; returns the history line count.
int LoadLog(const ConnectionLog& log, LogListView& view, const TextWidthFn& width,
            const RegionalSettings& rs);

// Formats a record as one line and appends it (index < 0 or == Count()) or
// replaces the line at `index`. A view that showed its last line scrolls to
// the new last line, selecting it unless the user works in the list; one
// scrolled away to older lines stays where it is.
void ShowLogLine(const ConnectionRecord& r, int index, LogListView& view, const TextWidthFn& width,
                 const RegionalSettings& rs);
std::string FormatLogLine(const ConnectionRecord& r, const TextWidthFn& width, const RegionalSettings& rs);

}  // namespace tarifuhr
