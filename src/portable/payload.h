// Payload records and chunks: the writer the builder uses to lay out the product's
// files, and the reader the engine uses to take them out again one by one.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "blowfish.h"
#include "bytes.h"
#include "content_stream.h"
#include "inflate.h"
#include "settings.h"
#include "sum32.h"

namespace ks {

// FileRecord.Kind values.
enum : uint32_t {
  kKindFile = 0,
  kKindShared = 1,
  kKindFont = 4,
  kKindStartup = 5,
  kKindSystem = 6,
  kKindComServer = 7,
  kKindTypeLibrary = 8,
  kKindVersioned = 9,
  kKindDriverInf = 10,
  kKindMsiPackage = 11,
  kKindApplet = 12,
};

// FileRecord.FileFlags bits.
enum : uint32_t {
  kFileDesktopShortcut = 0x01,
  kFileStartMenuShortcut = 0x02,
  kFileShortcutMask = 0x03,
  kFileOverwriteMask = 0x1C,
  kFileOverwriteNever = 0x04,
  kFileOverwriteIfExists = 0x08,
  kFileOverwriteIfMissing = 0x0C,
  kFileOverwriteUnlessNewer = 0x10,
  kFilePermanent = 0x20,
  kFileInUninstallDir = 0x40,
  kFileRecordPackage = 0x80,
};

constexpr uint32_t kKeepAttributes = 0xFFFFFFFF;
// The largest content a record may carry.
constexpr uint32_t kMaxPayloadFileSize = 0x40000000;
constexpr size_t kDefaultChunkInput = 1u << 20;

// Corrupt-installer codes of payload extraction, and the one end that is no
// damage: the user asked to stop.
enum PayloadError : int {
  kPayloadCancelled = -1,
  kPayloadOk = 0,
  kErrChunkInflate = 60,
  kErrChunkSize = 61,
  kErrChunkChecksum = 62,
  kErrChunkOverrun = 63,
  kErrEmptyFileName = 70,
  kErrNegativeFileSize = 71,
  kErrFileSizeLimit = 72,
  kErrPayloadLeft = 80,
  kErrQueueLeft = 83,
  kErrFileChecksum = 100,
};

struct FileRecord {
  std::string FileName;  // may hold a relative subfolder path
  uint32_t Kind = kKindFile;
  uint32_t FileFlags = 0;
  uint32_t Attributes = kKeepAttributes;
  FileTimes FileTime;
  std::string Title, IconFile, Arguments, Destination, WorkingFolder;
  uint32_t MsiUiLevel = 0;  // stored only for kKindMsiPackage
  bool operator==(const FileRecord&) const = default;
};

// Record bytes without the leading length: fields, content, Sum32 of content.
Bytes EncodeFileRecord(const FileRecord& record, std::span<const uint8_t> content);

// How chunks are stored: zlib with OptionFlags 0x20, then Blowfish with
// ArchiveFlags 0x1000 (cipher non-null).
struct PayloadCoding {
  bool compressed = true;
  const Blowfish* cipher = nullptr;
  int level = 9;  // the writer's compression level, 1 to 12
};

// Appends records to a queue and cuts it into chunks of `chunk_input` plain
// bytes; records freely span chunk boundaries. With `threads` above 1 the
// chunks are compressed side by side (each is its own stream, so the bytes are
// the same); at most `threads` + 1 chunks wait in memory.
class PayloadWriter {
 public:
  explicit PayloadWriter(PayloadCoding coding, size_t chunk_input = kDefaultChunkInput, unsigned threads = 1);
  ~PayloadWriter();
  PayloadWriter(const PayloadWriter&) = delete;
  PayloadWriter& operator=(const PayloadWriter&) = delete;

  // False (nothing added) when the content exceeds kMaxPayloadFileSize.
  bool Add(const FileRecord& record, std::span<const uint8_t> content);
  // Flushes the last partial chunk and hands over the payload area.
  Bytes Finish();

  const std::vector<uint32_t>& FileSizes() const { return file_sizes_; }

 private:
  void EmitChunk(const uint8_t* data, size_t length);
  // Stores finished chunks in order until at most `keep` are still being encoded.
  void Drain(size_t keep);
  void Store(const Bytes& stored);

  PayloadCoding coding_;
  size_t chunk_input_;
  unsigned threads_;
  Bytes queue_;
  ByteWriter area_;
  std::vector<uint32_t> file_sizes_;
  struct InFlight;  // the chunks being encoded, oldest first
  std::unique_ptr<InFlight> in_flight_;
};

// Runs one piece of work at a time on another thread, so that the next chunk
// is decoded while the last one's content is written.
class BackgroundWork {
 public:
  virtual void Start(std::function<void()> work) = 0;
  virtual void Wait() = 0;  // until the started work is done

 protected:
  ~BackgroundWork() = default;
};

// Hooks for the engine's status display while chunks are decoded; they run
// on the reader's thread.
struct PayloadReadHooks {
  std::function<void()> before_chunk;  // the "reading" status message
  InflateProgress inflate_progress;    // true: stop (Next returns kPayloadCancelled)
  std::chrono::nanoseconds inflate_interval = kInflateProgressInterval;
  BackgroundWork* worker = nullptr;    // none: every chunk is decoded when it is needed
};

// Decodes the payload area chunk by chunk and takes out one record at a time.
// A record's content is handed out as its chunks are decoded (Begin, then
// Content()), so memory stays at about one decoded chunk whatever the file
// sizes. Every error but kPayloadCancelled is a corrupt-installer code.
class PayloadReader {
 public:
  PayloadReader(std::span<const uint8_t> area, PayloadCoding coding,
                PayloadReadHooks hooks = {});
  ~PayloadReader();
  PayloadReader(const PayloadReader&) = delete;
  PayloadReader& operator=(const PayloadReader&) = delete;

  // Reads the next record's fields; its content, `size` bytes (its FileSizes
  // entry), follows through Content(). The record's framing is checked here,
  // its content checksum when the content's last piece has been read.
  int Begin(uint32_t size, FileRecord& record);
  // The content of the record Begin read; valid until the next Begin.
  ContentStream& Content() { return content_; }
  // Reads what is left of the content, so that its checksum is checked.
  int EndContent() { return ReadToEnd(content_); }

  // Begin and the whole content at once (for callers that want it in memory).
  // `content` stays valid until the next call.
  int Next(uint32_t size, FileRecord& record, std::span<const uint8_t>& content);
  // After the last record: nothing may be left in the area (80) or queue (83).
  int Finish() const;

  size_t ChunksRead() const { return chunks_read_; }

 private:
  class RecordContent final : public ContentStream {
   public:
    explicit RecordContent(PayloadReader& reader) : reader_(reader) {}
    int64_t Size() const override { return reader_.content_size_; }
    int Read(std::span<const uint8_t>& piece) override { return reader_.ReadContent(piece); }
    int Rewind() override { return reader_.RewindContent(); }

   private:
    PayloadReader& reader_;
  };

  // One chunk decoded: where it was, what it gave, what went wrong.
  struct Decoded {
    int error = kPayloadOk;
    size_t next = 0;  // the area offset after the chunk
    size_t produced = 0, consumed = 0, input = 0;
    std::chrono::nanoseconds took{0};
  };
  // Checks and decodes the chunk at `chunk_at` into `buffer` from `offset` on,
  // growing it (the bytes before `offset` are kept only when `keep`).
  Decoded DecodeChunk(size_t chunk_at, std::unique_ptr<uint8_t[]>& buffer, size_t& capacity, size_t offset,
                      bool keep, Bytes& deciphered);
  void StartAhead();
  void DropAhead();
  int ReadChunk();
  int ReadContent(std::span<const uint8_t>& piece);
  int RewindContent();
  size_t Queued() const { return tail_ - head_; }
  // Room for `bytes` after the queued ones, keeping what is queued.
  void Reserve(size_t bytes);

  ByteReader area_;
  PayloadCoding coding_;
  PayloadReadHooks hooks_;
  ZlibInflater inflater_;
  Bytes deciphered_;  // an enciphered chunk is decoded in a copy
  // The record queue: decoded bytes [head_, tail_) of a buffer that is reused
  // from chunk to chunk and never cleared.
  std::unique_ptr<uint8_t[]> queue_;
  size_t capacity_ = 0, head_ = 0, tail_ = 0;
  // Where each chunk's decoded bytes begin in the queue (before head_ when
  // their first part was taken already), with the chunk's place in the area.
  struct Segment {
    size_t area_offset;
    int64_t queue_start;
  };
  std::vector<Segment> segments_;
  size_t chunks_read_ = 0;
  // The next chunk, decoded by the worker into a buffer of its own behind a
  // gap where the queued bytes go, so that it becomes the queue by a swap.
  static constexpr size_t kAheadGap = 64 * 1024;
  std::unique_ptr<uint8_t[]> ahead_;
  size_t ahead_capacity_ = 0;
  size_t ahead_at_ = 0;
  bool ahead_pending_ = false;
  Decoded ahead_result_;
  Bytes ahead_deciphered_;

  // The current record's content.
  RecordContent content_{*this};
  Bytes whole_;  // Next's copy
  int64_t content_size_ = 0, content_done_ = 0;
  Sum32Stream content_sum_;
  bool content_checked_ = true;
  bool content_read_ = false;  // a piece was handed out: starting over re-decodes
  Segment content_start_{0, 0};  // the chunk holding the first content byte, and the byte's offset in it
};

}  // namespace ks
