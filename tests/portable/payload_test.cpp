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
    if (stop) EXPECT_TRUE(content.empty());
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
