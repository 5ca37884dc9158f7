// Payload records and chunks.
#include "payload.h"

#include <algorithm>

#include "sum32.h"

namespace ks {

namespace {

void WriteTimes(ByteWriter& w, const FileTimes& t) {
  w.U64(t.creation);
  w.U64(t.last_access);
  w.U64(t.last_write);
}

bool ReadTimes(ByteReader& r, FileTimes& t) {
  bool ok = r.ReadU64(t.creation);
  ok &= r.ReadU64(t.last_access);
  ok &= r.ReadU64(t.last_write);
  return ok;
}

// Parses the fields of one record body; false when they overrun the record.
bool ReadFields(ByteReader& r, FileRecord& rec) {
  bool ok = r.ReadCString(rec.FileName);
  ok = ok && r.ReadU32(rec.Kind) && r.ReadU32(rec.FileFlags) && r.ReadU32(rec.Attributes);
  ok = ok && ReadTimes(r, rec.FileTime) && r.ReadCString(rec.Title);
  if (ok && (rec.FileFlags & kFileShortcutMask)) ok = r.ReadCString(rec.IconFile);
  ok = ok && r.ReadCString(rec.Arguments) && r.ReadCString(rec.Destination) &&
       r.ReadCString(rec.WorkingFolder);
  if (ok && rec.Kind == kKindMsiPackage) ok = r.ReadU32(rec.MsiUiLevel);
  return ok;
}

}  // namespace

Bytes EncodeFileRecord(const FileRecord& rec, std::span<const uint8_t> content) {
  ByteWriter w;
  w.CString(rec.FileName);
  w.U32(rec.Kind);
  w.U32(rec.FileFlags);
  w.U32(rec.Attributes);
  WriteTimes(w, rec.FileTime);
  w.CString(rec.Title);
  if (rec.FileFlags & kFileShortcutMask) w.CString(rec.IconFile);
  w.CString(rec.Arguments);
  w.CString(rec.Destination);
  w.CString(rec.WorkingFolder);
  if (rec.Kind == kKindMsiPackage) w.U32(rec.MsiUiLevel);
  w.Raw(content);
  w.U32(Sum32(content.data(), static_cast<long long>(content.size())));
  return w.Take();
}

PayloadReader::PayloadReader(std::span<const uint8_t> area, PayloadCoding coding,
                             PayloadReadHooks hooks)
    : area_(area), coding_(coding), hooks_(std::move(hooks)) {}

int PayloadReader::ReadChunk() {
  if (hooks_.before_chunk) hooks_.before_chunk();
  // A missing header reads as zeros, so an exhausted area is a chunk of size 0.
  uint32_t size = 0, checksum = 0;
  area_.ReadU32(size);
  if (static_cast<int32_t>(size) < 1) return kErrChunkSize;
  area_.ReadU32(checksum);
  if (size > area_.Remaining()) return kErrChunkOverrun;
  const uint8_t* stored = area_.Current();
  area_.Skip(size);
  if (Sum32(stored, size) != checksum) return kErrChunkChecksum;

  // Drop what was already taken before the queue grows again.
  if (head_) {
    queue_.erase(queue_.begin(), queue_.begin() + static_cast<ptrdiff_t>(head_));
    head_ = 0;
  }
  // Only an enciphered chunk needs a copy to decode in; otherwise the mapped
  // bytes are read where they are.
  Bytes deciphered;
  std::span<const uint8_t> data(stored, size);
  if (coding_.cipher) {
    deciphered.assign(stored, stored + size);
    BlowfishDecipherBuffer(*coding_.cipher, deciphered);
    data = deciphered;
  }
  if (coding_.compressed) {
    // A stop asked for during inflation is no damage: tell the two apart.
    bool stopped = false;
    InflateProgress progress;
    if (hooks_.inflate_progress)
      progress = [&](uint64_t in, uint64_t total, uint64_t out) {
        return stopped = hooks_.inflate_progress(in, total, out);
      };
    if (!InflateInto(data.data(), data.size(), queue_, progress, hooks_.inflate_interval))
      return stopped ? kPayloadCancelled : kErrChunkInflate;
  } else {
    queue_.insert(queue_.end(), data.begin(), data.end());
  }
  ++chunks_read_;
  return kPayloadOk;
}

int PayloadReader::Next(uint32_t size, FileRecord& record, std::span<const uint8_t>& content) {
  content = {};
  record = FileRecord{};
  uint32_t length = 0;
  for (;;) {
    size_t have = queue_.size() - head_;
    if (have >= 4) {
      length = LoadU32(queue_.data() + head_);
      if (have - 4 >= length) break;
    }
    if (int err = ReadChunk()) return err;
  }
  ByteReader body(std::span<const uint8_t>(queue_.data() + head_ + 4, length));
  head_ += 4 + size_t(length);

  bool fields_ok = ReadFields(body, record);
  if (record.FileName.empty()) return kErrEmptyFileName;
  if (static_cast<int32_t>(size) < 0) return kErrNegativeFileSize;
  if (size > kMaxPayloadFileSize) return kErrFileSizeLimit;
  // A record whose fields, content and checksum do not fill it exactly cannot
  // be trusted: its content would be taken from the wrong bytes.
  if (!fields_ok || body.Remaining() != size_t(size) + 4) return kErrFileChecksum;
  const uint8_t* data = body.Current();
  uint32_t stored_sum = LoadU32(data + size);
  if (Sum32(data, size) != stored_sum) return kErrFileChecksum;
  content = std::span<const uint8_t>(data, size);
  return kPayloadOk;
}

int PayloadReader::Finish() const {
  if (!area_.AtEnd()) return kErrPayloadLeft;
  if (queue_.size() != head_) return kErrQueueLeft;
  return kPayloadOk;
}

}  // namespace ks
