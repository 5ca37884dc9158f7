// Payload records and chunks.
#include "payload.h"

#include <algorithm>
#include <chrono>
#include <cstring>

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

PayloadReader::~PayloadReader() { DropAhead(); }

void PayloadReader::Reserve(size_t bytes) {
  if (capacity_ - tail_ >= bytes) return;
  // Not zero-filled: only what inflation writes is ever read.
  size_t capacity = std::max(tail_ + bytes, capacity_ + capacity_ / 2);
  std::unique_ptr<uint8_t[]> grown(new uint8_t[capacity]);
  if (tail_) memcpy(grown.get(), queue_.get(), tail_);
  queue_ = std::move(grown);
  capacity_ = capacity;
}

PayloadReader::Decoded PayloadReader::DecodeChunk(size_t chunk_at, std::unique_ptr<uint8_t[]>& buffer,
                                                  size_t& capacity, size_t offset, bool keep, Bytes& deciphered) {
  Decoded out;
  ByteReader area(area_.Data());
  area.Seek(chunk_at);
  // A missing header reads as zeros, so an exhausted area is a chunk of size 0.
  uint32_t size = 0, checksum = 0;
  area.ReadU32(size);
  if (static_cast<int32_t>(size) < 1) return out.error = kErrChunkSize, out;
  area.ReadU32(checksum);
  if (size > area.Remaining()) return out.error = kErrChunkOverrun, out;
  const uint8_t* stored = area.Current();
  area.Skip(size);
  out.next = area.Position();
  if (Sum32(stored, size) != checksum) return out.error = kErrChunkChecksum, out;

  auto reserve = [&](size_t room) {
    if (capacity >= offset && capacity - offset >= room) return;
    size_t grown_size = std::max(offset + room, capacity + capacity / 2);
    std::unique_ptr<uint8_t[]> grown(new uint8_t[grown_size]);
    if (keep && offset) memcpy(grown.get(), buffer.get(), offset);
    buffer = std::move(grown);
    capacity = grown_size;
  };
  // Only an enciphered chunk needs a copy to decode in; otherwise the mapped
  // bytes are read where they are.
  std::span<const uint8_t> data(stored, size);
  if (coding_.cipher) {
    deciphered.assign(stored, stored + size);
    BlowfishDecipherBuffer(*coding_.cipher, deciphered);
    data = deciphered;
  }
  out.input = data.size();
  if (!coding_.compressed) {
    reserve(data.size());
    memcpy(buffer.get() + offset, data.data(), data.size());
    out.produced = out.consumed = data.size();
    return out;
  }
  const auto started = std::chrono::steady_clock::now();
  // The usual reserve of 3 x input + 1024, or all the room the buffer has
  // already (a chunk's output is about the size of the last one's).
  size_t room = 3 * data.size() + 1024;
  for (;;) {
    reserve(room);
    room = capacity - offset;  // at least what reserve asked for
    auto result = inflater_.Inflate(data.data(), data.size(), buffer.get() + offset, room, out.consumed,
                                    out.produced);
    if (result == ZlibInflater::kDone) break;
    // Deflate expands at most 1032:1; a stream wanting more room is damaged.
    if (result != ZlibInflater::kNoRoom || room / 1032 > data.size() + 1) return out.error = kErrChunkInflate, out;
    room *= 2;
  }
  out.took = std::chrono::steady_clock::now() - started;
  return out;
}

void PayloadReader::StartAhead() {
  if (!hooks_.worker || area_.AtEnd()) return;
  ahead_at_ = area_.Position();
  ahead_pending_ = true;
  hooks_.worker->Start([this] {
    ahead_result_ = DecodeChunk(ahead_at_, ahead_, ahead_capacity_, kAheadGap, false, ahead_deciphered_);
  });
}

void PayloadReader::DropAhead() {
  if (!ahead_pending_) return;
  hooks_.worker->Wait();
  ahead_pending_ = false;
}

int PayloadReader::ReadChunk() {
  if (hooks_.before_chunk) hooks_.before_chunk();
  const size_t chunk_at = area_.Position();
  Decoded decoded;
  int64_t chunk_start = 0;  // where the chunk's bytes begin in the queue
  if (ahead_pending_ && ahead_at_ == chunk_at) {
    hooks_.worker->Wait();
    ahead_pending_ = false;
    decoded = ahead_result_;
    if (decoded.error) return decoded.error;
    const size_t queued = Queued();
    if (queued <= kAheadGap) {
      // The queued bytes go in front of the decoded ones and the buffers swap.
      const size_t start = kAheadGap - queued;
      if (queued) memcpy(ahead_.get() + start, queue_.get() + head_, queued);
      for (Segment& segment : segments_) segment.queue_start += int64_t(start) - int64_t(head_);
      std::swap(queue_, ahead_);
      std::swap(capacity_, ahead_capacity_);
      head_ = start;
      tail_ = kAheadGap;
    } else {
      if (head_) {
        memmove(queue_.get(), queue_.get() + head_, queued);
        for (Segment& segment : segments_) segment.queue_start -= int64_t(head_);
        tail_ -= head_;
        head_ = 0;
      }
      Reserve(decoded.produced);
      memcpy(queue_.get() + tail_, ahead_.get() + kAheadGap, decoded.produced);
    }
    chunk_start = int64_t(tail_);
  } else {
    DropAhead();
    // Drop what was already taken before the queue grows again.
    if (head_) {
      if (Queued()) memmove(queue_.get(), queue_.get() + head_, Queued());
      for (Segment& segment : segments_) segment.queue_start -= int64_t(head_);
      tail_ -= head_;
      head_ = 0;
    }
    decoded = DecodeChunk(chunk_at, queue_, capacity_, tail_, true, deciphered_);
    if (decoded.error) return decoded.error;
    chunk_start = int64_t(tail_);
  }
  while (segments_.size() > 1 && segments_[1].queue_start <= int64_t(head_)) segments_.erase(segments_.begin());
  if (!Queued()) segments_.clear();
  area_.Seek(decoded.next);
  segments_.push_back({chunk_at, chunk_start});
  tail_ += decoded.produced;
  ++chunks_read_;
  StartAhead();
  // A stop asked for during inflation is no damage.
  if (coding_.compressed && hooks_.inflate_progress && decoded.took > hooks_.inflate_interval &&
      hooks_.inflate_progress(decoded.consumed, decoded.input, uint64_t(decoded.produced) * 8))
    return kPayloadCancelled;
  return kPayloadOk;
}

int PayloadReader::Begin(uint32_t size, FileRecord& record) {
  record = FileRecord{};
  content_size_ = content_done_ = 0;
  content_checked_ = true;
  content_read_ = false;
  // The fields come first and are small: they are read as soon as they are
  // queued; the content may follow in later chunks.
  uint32_t length = 0;
  size_t fields = 0;
  bool fields_ok = false;
  for (;;) {
    if (Queued() >= 4) {
      length = LoadU32(queue_.get() + head_);
      size_t have = std::min<size_t>(Queued() - 4, length);
      ByteReader body(std::span<const uint8_t>(queue_.get() + head_ + 4, have));
      record = FileRecord{};
      fields_ok = ReadFields(body, record);
      fields = body.Position();
      if (fields_ok || have == length) break;
    }
    if (int err = ReadChunk()) return err;
  }

  if (record.FileName.empty()) return kErrEmptyFileName;
  if (static_cast<int32_t>(size) < 0) return kErrNegativeFileSize;
  if (size > kMaxPayloadFileSize) return kErrFileSizeLimit;
  // A record whose fields, content and checksum do not fill it exactly cannot
  // be trusted: its content would be taken from the wrong bytes.
  if (!fields_ok || uint64_t(length) != fields + uint64_t(size) + 4) return kErrFileChecksum;
  head_ += 4 + fields;
  content_size_ = size;
  content_sum_ = Sum32Stream();
  content_checked_ = false;
  // Where a retried write starts over: the chunk holding the first content byte.
  content_start_ = {area_.Position(), 0};
  for (const Segment& segment : segments_)
    if (segment.queue_start <= int64_t(head_))
      content_start_ = {segment.area_offset, int64_t(head_) - segment.queue_start};
  if (!Queued()) content_start_ = {area_.Position(), 0};
  return kPayloadOk;
}

int PayloadReader::ReadContent(std::span<const uint8_t>& piece) {
  piece = {};
  if (content_checked_) return kPayloadOk;
  if (content_done_ == content_size_) {
    while (Queued() < 4)
      if (int err = ReadChunk()) return err;
    uint32_t stored_sum = LoadU32(queue_.get() + head_);
    head_ += 4;
    if (content_sum_.Value() != stored_sum) return kErrFileChecksum;
    content_checked_ = true;
    return kPayloadOk;
  }
  if (!Queued())
    if (int err = ReadChunk()) return err;
  size_t n = size_t(std::min<int64_t>(int64_t(Queued()), content_size_ - content_done_));
  piece = {queue_.get() + head_, n};
  content_sum_.Update(piece.data(), n);
  head_ += n;
  content_done_ += int64_t(n);
  content_read_ = true;
  return kPayloadOk;
}

int PayloadReader::RewindContent() {
  if (!content_read_) return kPayloadOk;
  // Decode the content's first chunk again: the payload area is still there.
  DropAhead();
  area_.Seek(content_start_.area_offset);
  head_ = tail_ = 0;
  segments_.clear();
  if (int err = ReadChunk()) return err;
  head_ = size_t(content_start_.queue_start);
  content_done_ = 0;
  content_sum_ = Sum32Stream();
  content_checked_ = false;
  content_read_ = false;
  return kPayloadOk;
}

int PayloadReader::Next(uint32_t size, FileRecord& record, std::span<const uint8_t>& content) {
  content = {};
  if (int err = Begin(size, record)) return err;
  whole_.clear();
  std::span<const uint8_t> piece;
  do {
    if (int err = content_.Read(piece)) return err;
    whole_.insert(whole_.end(), piece.begin(), piece.end());
  } while (!piece.empty());
  content = whole_;
  return kPayloadOk;
}

int PayloadReader::Finish() const {
  if (!area_.AtEnd()) return kErrPayloadLeft;
  if (Queued()) return kErrQueueLeft;
  return kPayloadOk;
}

}  // namespace ks
