// Payload records and chunks: writer/reader round trips and every damage code.
#include "portable/payload.h"

#include <gtest/gtest.h>

#include "portable/sum32.h"

namespace ks {
namespace {

struct Item {
  FileRecord record;
  Bytes content;
};

Bytes Pattern(size_t n, uint8_t seed) {
  Bytes b(n);
  uint32_t x = seed * 2654435761u + 1;
  for (auto& c : b) { x = x * 1103515245u + 12345u; c = uint8_t(x >> 16); }
  return b;
}

std::vector<Item> SampleItems() {
  std::vector<Item> items;
  FileRecord a;
  a.FileName = "readme.txt";
  a.Attributes = 0x20;
  a.FileTime = {1, 2, 3};
  items.push_back({a, Pattern(40, 1)});
  FileRecord empty;
  empty.FileName = "docs\\empty.txt";
  items.push_back({empty, {}});
  FileRecord big;  // larger than any chunk below: spans several
  big.FileName = "bin\\big.bin";
  big.FileFlags = kFileDesktopShortcut | kFilePermanent;
  big.Title = "Big \xC3\xA9";
  big.IconFile = "big.ico";
  big.Arguments = "/x";
  big.Destination = "%InstallDir%\\sub\\";
  big.WorkingFolder = "%InstallDir%";
  items.push_back({big, Pattern(5000, 2)});
  FileRecord msi;
  msi.FileName = "setup.msi";
  msi.Kind = kKindMsiPackage;
  msi.MsiUiLevel = 3;
  items.push_back({msi, Pattern(300, 3)});
  return items;
}

Bytes Write(const std::vector<Item>& items, PayloadCoding coding, size_t chunk,
            std::vector<uint32_t>* sizes = nullptr, unsigned threads = 1) {
  PayloadWriter w(coding, chunk, threads);
  for (const Item& it : items) EXPECT_TRUE(w.Add(it.record, it.content));
  if (sizes) *sizes = w.FileSizes();
  return w.Finish();
}

TEST(Payload, RoundTripAcrossChunksInEveryCoding) {
  Blowfish cipher;
  const uint8_t key[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  cipher.SetKey(key, 8);
  const struct {
    PayloadCoding coding;
    size_t chunk;
  } kCases[] = {
      {{false, nullptr}, 1000}, {{true, nullptr}, 1000}, {{false, &cipher}, 777},
      {{true, &cipher}, 1000},  {{true, &cipher}, 1u << 20},
  };
  const auto items = SampleItems();
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::Message() << "compressed=" << c.coding.compressed
                                    << " blowfish=" << (c.coding.cipher != nullptr) << " chunk=" << c.chunk);
    std::vector<uint32_t> sizes;
    Bytes area = Write(items, c.coding, c.chunk, &sizes);
    ASSERT_EQ(sizes, (std::vector<uint32_t>{40, 0, 5000, 300}));
    PayloadReader r(area, c.coding);
    for (size_t i = 0; i < items.size(); ++i) {
      FileRecord rec;
      std::span<const uint8_t> content;
      ASSERT_EQ(r.Next(sizes[i], rec, content), kPayloadOk) << i;
      EXPECT_EQ(rec, items[i].record);
      EXPECT_EQ(Bytes(content.begin(), content.end()), items[i].content);
    }
    EXPECT_EQ(r.Finish(), kPayloadOk);
    if (c.chunk < 5000) {
      EXPECT_GT(r.ChunksRead(), 5u);
    }
    // Chunks encoded side by side land in the same order, as the same bytes.
    for (unsigned threads : {2u, 5u}) EXPECT_EQ(Write(items, c.coding, c.chunk, nullptr, threads), area) << threads;
  }
}

TEST(Payload, RecordEndingAtChunkEndNeedsNoFurtherChunk) {
  FileRecord a;
  a.FileName = "a";
  Bytes body = EncodeFileRecord(a, Pattern(10, 4));
  const size_t first = body.size() + 4;  // exactly the first record
  std::vector<Item> items = {{a, Pattern(10, 4)}, {a, Pattern(10, 5)}};
  Bytes area = Write(items, {false, nullptr}, first);
  PayloadReader r(area, {false, nullptr});
  FileRecord rec;
  std::span<const uint8_t> content;
  ASSERT_EQ(r.Next(10, rec, content), kPayloadOk);
  EXPECT_EQ(r.ChunksRead(), 1u);
  ASSERT_EQ(r.Next(10, rec, content), kPayloadOk);
  EXPECT_EQ(r.ChunksRead(), 2u);
}

TEST(Payload, EmptyContentChecksumIsTheSeed) {
  FileRecord a;
  a.FileName = "empty";
  Bytes body = EncodeFileRecord(a, {});
  ASSERT_GE(body.size(), 4u);
  EXPECT_EQ(LoadU32(body.data() + body.size() - 4), kSum32Seed);
}

// Recomputes the first chunk's checksum after its data was changed on purpose.
void ResealFirstChunk(Bytes& area) {
  uint32_t size = LoadU32(area.data());
  StoreU32(area.data() + 4, Sum32(area.data() + 8, size));
}

int ReadAll(const Bytes& area, PayloadCoding coding, const std::vector<uint32_t>& sizes) {
  PayloadReader r(area, coding);
  for (uint32_t size : sizes) {
    FileRecord rec;
    std::span<const uint8_t> content;
    if (int err = r.Next(size, rec, content)) return err;
  }
  return r.Finish();
}

TEST(Payload, DamageGivesItsCode) {
  FileRecord a;
  a.FileName = "file.txt";
  const std::vector<Item> one = {{a, Pattern(64, 6)}};
  const std::vector<uint32_t> sizes = {64};
  const Bytes plain = Write(one, {false, nullptr}, 1u << 20);
  const Bytes packed = Write(one, {true, nullptr}, 1u << 20);
  const size_t content_at = 8 + 4 + a.FileName.size() + 1;  // chunk header, length, name

  struct Case {
    const char* what;
    std::function<void(Bytes&)> damage;
    bool compressed;
    std::vector<uint32_t> sizes;
    int code;
  };
  const Case kCases[] = {
      {"intact", [](Bytes&) {}, false, sizes, kPayloadOk},
      {"chunk size 0", [](Bytes& b) { StoreU32(b.data(), 0); }, false, sizes, kErrChunkSize},
      {"chunk size negative", [](Bytes& b) { StoreU32(b.data(), 0x80000000u); }, false, sizes, kErrChunkSize},
      {"chunk larger than the rest", [](Bytes& b) { StoreU32(b.data(), uint32_t(b.size())); }, false, sizes,
       kErrChunkOverrun},
      {"chunk checksum", [](Bytes& b) { b[4] ^= 1; }, false, sizes, kErrChunkChecksum},
      {"area exhausted", [](Bytes& b) { b.resize(0); }, false, sizes, kErrChunkSize},
      {"inflate", [](Bytes& b) { b[8] ^= 0xFF; ResealFirstChunk(b); }, true, sizes, kErrChunkInflate},
      {"content checksum", [&](Bytes& b) { b[content_at + 40] ^= 1; ResealFirstChunk(b); }, false, sizes,
       kErrFileChecksum},
      {"record longer than its content", [](Bytes&) {}, false, {63}, kErrFileChecksum},
      {"negative file size", [](Bytes&) {}, false, {0x80000000u}, kErrNegativeFileSize},
      {"file size above limit", [](Bytes&) {}, false, {0x40000001u}, kErrFileSizeLimit},
      {"payload not used up", [&](Bytes& b) { Bytes more = plain; b.insert(b.end(), more.begin(), more.end()); },
       false, sizes, kErrPayloadLeft},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    Bytes area = c.compressed ? packed : plain;
    c.damage(area);
    PayloadCoding coding{c.compressed, nullptr};
    EXPECT_EQ(ReadAll(area, coding, c.sizes), c.code);
  }
}

TEST(Payload, QueueLeftOverIsReported) {
  FileRecord a;
  a.FileName = "a";
  // Both records in one chunk; reading only the first leaves the second queued.
  Bytes area = Write({{a, Pattern(8, 1)}, {a, Pattern(8, 2)}}, {true, nullptr}, 1u << 20);
  PayloadReader r(area, {true, nullptr});
  FileRecord rec;
  std::span<const uint8_t> content;
  ASSERT_EQ(r.Next(8, rec, content), kPayloadOk);
  EXPECT_EQ(r.Finish(), kErrQueueLeft);
}

TEST(Payload, StopDuringInflationIsACancelNotDamage) {
  FileRecord a;
  a.FileName = "a";
  Bytes area = Write({{a, Pattern(50000, 1)}}, {true, nullptr}, 1u << 20);
  for (bool stop : {false, true}) {
    int calls = 0;
    PayloadReadHooks hooks;
    hooks.inflate_interval = std::chrono::nanoseconds(-1);  // report after every chunk
    hooks.inflate_progress = [&](uint64_t, uint64_t, uint64_t) { ++calls; return stop; };
    PayloadReader r(area, {true, nullptr}, std::move(hooks));
    FileRecord rec;
    std::span<const uint8_t> content;
    EXPECT_EQ(r.Next(50000, rec, content), stop ? kPayloadCancelled : kPayloadOk) << stop;
    // One chunk, one report; a stop there leaves no content behind.
    EXPECT_EQ(calls, 1);
    if (stop) { EXPECT_TRUE(content.empty()); }
  }
}

TEST(Payload, EmptyFileNameIsCorrupt) {
  FileRecord nameless;
  Bytes area = Write({{nameless, Pattern(4, 1)}}, {false, nullptr}, 1u << 20);
  EXPECT_EQ(ReadAll(area, {false, nullptr}, {4}), kErrEmptyFileName);
}

TEST(Payload, WriterRefusesOversizedContent) {
  PayloadWriter w({false, nullptr});
  FileRecord a;
  a.FileName = "huge";
  uint8_t byte = 0;
  // The span's size is what counts; its data is never read past the check.
  EXPECT_FALSE(w.Add(a, std::span<const uint8_t>(&byte, size_t(kMaxPayloadFileSize) + 1)));
  EXPECT_TRUE(w.FileSizes().empty());
}

}  // namespace
}  // namespace ks

namespace ks {
namespace {

TEST(Payload, Sum32StreamMatchesSum32ForAnySplit) {
  const Bytes data = Pattern(103, 9);
  for (size_t first : {0, 1, 2, 3, 5, 50, 100, 103})
    for (size_t second : {0, 1, 3, 7}) {
      SCOPED_TRACE(testing::Message() << first << "+" << second);
      Sum32Stream sum;
      size_t a = std::min(first, data.size()), b = std::min(a + second, data.size());
      sum.Update(data.data(), a);
      sum.Update(data.data() + a, b - a);
      sum.Update(data.data() + b, data.size() - b);
      EXPECT_EQ(sum.Value(), Sum32(data.data(), (long long)data.size()));
    }
  EXPECT_EQ(Sum32Stream().Value(), kSum32Seed);
}

// Reads the current record's content piece by piece; the code of the read
// that failed, or 0 with the bytes in `out`.
int Stream(ContentStream& content, Bytes& out, size_t* pieces = nullptr, size_t stop_after = SIZE_MAX) {
  out.clear();
  std::span<const uint8_t> piece;
  for (size_t n = 0;; ++n) {
    if (n == stop_after) return 0;
    if (int err = content.Read(piece)) return err;
    if (piece.empty()) return 0;
    if (pieces) ++*pieces;
    out.insert(out.end(), piece.begin(), piece.end());
  }
}

TEST(Payload, ContentArrivesInChunkSizedPiecesAndStartsOver) {
  FileRecord small, big;
  small.FileName = "small.txt";
  big.FileName = "big.bin";
  const Bytes big_content = Pattern(50000, 7);
  for (PayloadCoding coding : {PayloadCoding{true, nullptr}, PayloadCoding{false, nullptr}}) {
    SCOPED_TRACE(coding.compressed);
    // The big file starts inside the small one's chunk and spans many more.
    Bytes area = Write({{small, Pattern(100, 1)}, {big, big_content}, {small, Pattern(30, 2)}}, coding, 4096);
    PayloadReader r(area, coding);
    FileRecord rec;
    Bytes got;
    ASSERT_EQ(r.Begin(100, rec), kPayloadOk);
    ASSERT_EQ(r.EndContent(), kPayloadOk);  // skipped content is still checked
    ASSERT_EQ(r.Begin(50000, rec), kPayloadOk);
    EXPECT_EQ(rec.FileName, "big.bin");
    size_t pieces = 0;
    // Half of it, then from the start again (a retried write), then twice whole.
    ASSERT_EQ(Stream(r.Content(), got, &pieces, 5), kPayloadOk);
    for (int pass = 0; pass < 3; ++pass) {
      ASSERT_EQ(r.Content().Rewind(), kPayloadOk);
      pieces = 0;
      ASSERT_EQ(Stream(r.Content(), got, &pieces), kPayloadOk) << pass;
      EXPECT_EQ(got, big_content);
      EXPECT_GE(pieces, 50000u / 4096);  // never more than a chunk at a time
    }
    ASSERT_EQ(r.Begin(30, rec), kPayloadOk);
    ASSERT_EQ(Stream(r.Content(), got), kPayloadOk);
    EXPECT_EQ(got, Pattern(30, 2));
    EXPECT_EQ(r.Finish(), kPayloadOk);
  }
}

TEST(Payload, StreamedContentChecksumFailsOnlyAtTheEnd) {
  FileRecord big;
  big.FileName = "big.bin";
  Bytes area = Write({{big, Pattern(20000, 3)}}, {false, nullptr}, 1u << 20);
  area[8 + 4 + big.FileName.size() + 1 + 4 + 4 + 4 + 24 + 5 + 15000] ^= 1;  // inside the content
  ResealFirstChunk(area);
  PayloadReader r(area, {false, nullptr});
  FileRecord rec;
  ASSERT_EQ(r.Begin(20000, rec), kPayloadOk);
  Bytes got;
  EXPECT_EQ(Stream(r.Content(), got), kErrFileChecksum);
  EXPECT_EQ(got.size(), 20000u);  // every byte was handed out before the check
}

}  // namespace
}  // namespace ks

#include <thread>

namespace ks {
namespace {

// The worker as a plain thread per piece of work.
class ThreadWork final : public BackgroundWork {
 public:
  ~ThreadWork() { Wait(); }
  void Start(std::function<void()> work) override {
    ++started;
    thread_ = std::thread(std::move(work));
  }
  void Wait() override {
    if (thread_.joinable()) thread_.join();
  }
  int started = 0;

 private:
  std::thread thread_;
};

TEST(Payload, ChunksDecodedAheadGiveTheSameRecordsAndCodes) {
  Blowfish cipher;
  const uint8_t key[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  cipher.SetKey(key, 8);
  const auto items = SampleItems();
  for (PayloadCoding coding : {PayloadCoding{true, nullptr}, PayloadCoding{false, &cipher}}) {
    for (size_t chunk : {size_t(97), size_t(1000), size_t(1) << 20}) {
      SCOPED_TRACE(testing::Message() << coding.compressed << " " << chunk);
      std::vector<uint32_t> sizes;
      const Bytes area = Write(items, coding, chunk, &sizes);
      ThreadWork worker;
      PayloadReadHooks hooks;
      hooks.worker = &worker;
      PayloadReader r(area, coding, std::move(hooks));
      for (size_t i = 0; i < items.size(); ++i) {
        FileRecord rec;
        ASSERT_EQ(r.Begin(sizes[i], rec), kPayloadOk) << i;
        EXPECT_EQ(rec, items[i].record);
        Bytes got;
        // Part of it, then from the start (a retried write) while a chunk may be decoding ahead.
        ASSERT_EQ(Stream(r.Content(), got, nullptr, 2), kPayloadOk);
        ASSERT_EQ(r.Content().Rewind(), kPayloadOk);
        ASSERT_EQ(Stream(r.Content(), got), kPayloadOk);
        EXPECT_EQ(got, items[i].content) << i;
      }
      EXPECT_EQ(r.Finish(), kPayloadOk);
      if (chunk < 5000) { EXPECT_GT(worker.started, 3); }

      // A damaged last chunk is found when it is needed, with its code.
      Bytes damaged = area;
      damaged.back() ^= 1;
      ThreadWork worker2;
      PayloadReadHooks hooks2;
      hooks2.worker = &worker2;
      PayloadReader r2(damaged, coding, std::move(hooks2));
      int code = kPayloadOk;
      for (size_t i = 0; i < items.size() && code == kPayloadOk; ++i) {
        FileRecord rec;
        code = r2.Begin(sizes[i], rec);
        if (code == kPayloadOk) code = r2.EndContent();
      }
      EXPECT_EQ(code, kErrChunkChecksum);
      // Records that end before the last chunk leave it unread: not used up.
      PayloadReadHooks hooks3;
      ThreadWork worker3;
      hooks3.worker = &worker3;
      PayloadReader r3(area, coding, std::move(hooks3));
      FileRecord rec;
      ASSERT_EQ(r3.Begin(sizes[0], rec), kPayloadOk);
      ASSERT_EQ(r3.EndContent(), kPayloadOk);
      if (chunk < 5000) { EXPECT_EQ(r3.Finish(), kErrPayloadLeft); }
    }
  }
}

}  // namespace
}  // namespace ks
