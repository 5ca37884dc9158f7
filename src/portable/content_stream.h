// A file's content handed out in pieces: from the payload as it is decoded, or
// from memory. A retried write starts it over.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace ks {

class ContentStream {
 public:
  virtual int64_t Size() const = 0;
  // The next piece; an empty one at the end, once the content's checksum has
  // been checked. A non-zero result (a corrupt-installer code, or a cancel)
  // means the bytes handed out must not be kept. A piece stays valid until
  // the next call.
  virtual int Read(std::span<const uint8_t>& piece) = 0;
  // Back to the first byte.
  virtual int Rewind() = 0;

 protected:
  ~ContentStream() = default;
};

// Content that is whole in memory, in pieces of at most `piece` bytes.
class MemoryContent final : public ContentStream {
 public:
  MemoryContent(const uint8_t* data, int64_t size, size_t piece)
      : data_(data), size_(size < 0 ? 0 : size), piece_(piece) {}
  int64_t Size() const override { return size_; }
  int Read(std::span<const uint8_t>& piece) override {
    size_t n = size_t(std::min<int64_t>(size_ - done_, int64_t(piece_)));
    piece = {data_ + done_, n};
    done_ += int64_t(n);
    return 0;
  }
  int Rewind() override {
    done_ = 0;
    return 0;
  }

 private:
  const uint8_t* data_;
  int64_t size_;
  size_t piece_;
  int64_t done_ = 0;
};

// Reads on from where `content` stands to its end, so that its checksum is checked.
inline int ReadToEnd(ContentStream& content) {
  std::span<const uint8_t> piece;
  do {
    if (int error = content.Read(piece)) return error;
  } while (!piece.empty());
  return 0;
}

}  // namespace ks
