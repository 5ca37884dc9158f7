// The builder's side of the payload: records into chunks, chunks compressed
// (side by side when asked) and stored in order.
#include <algorithm>
#include <deque>
#include <future>

#include "deflate_chunk.h"
#include "payload.h"
#include "sum32.h"

namespace ks {

namespace {

Bytes EncodeChunk(const PayloadCoding& coding, const uint8_t* data, size_t length) {
  Bytes stored = coding.compressed ? DeflateChunk(data, length, coding.level) : Bytes(data, data + length);
  if (coding.cipher) stored = BlowfishEncipherBuffer(*coding.cipher, stored);
  return stored;
}

}  // namespace

struct PayloadWriter::InFlight {
  std::deque<std::future<Bytes>> chunks;
};

PayloadWriter::PayloadWriter(PayloadCoding coding, size_t chunk_input, unsigned threads)
    : coding_(coding),
      chunk_input_(std::max<size_t>(chunk_input, 1)),
      threads_(std::max(threads, 1u)),
      in_flight_(std::make_unique<InFlight>()) {}

// Waits for the workers: their lambdas read the cipher this writer was given.
PayloadWriter::~PayloadWriter() {
  for (auto& chunk : in_flight_->chunks) chunk.wait();
}

bool PayloadWriter::Add(const FileRecord& record, std::span<const uint8_t> content) {
  if (content.size() > kMaxPayloadFileSize) return false;
  Bytes body = EncodeFileRecord(record, content);
  uint8_t length[4];
  StoreU32(length, static_cast<uint32_t>(body.size()));
  queue_.insert(queue_.end(), length, length + 4);
  queue_.insert(queue_.end(), body.begin(), body.end());
  file_sizes_.push_back(static_cast<uint32_t>(content.size()));

  size_t taken = 0;
  while (queue_.size() - taken >= chunk_input_) {
    EmitChunk(queue_.data() + taken, chunk_input_);
    taken += chunk_input_;
  }
  queue_.erase(queue_.begin(), queue_.begin() + static_cast<ptrdiff_t>(taken));
  return true;
}

Bytes PayloadWriter::Finish() {
  if (!queue_.empty()) EmitChunk(queue_.data(), queue_.size());
  queue_.clear();
  Drain(0);
  return area_.Take();
}

void PayloadWriter::EmitChunk(const uint8_t* data, size_t length) {
  if (threads_ == 1) {
    Store(EncodeChunk(coding_, data, length));
    return;
  }
  in_flight_->chunks.push_back(std::async(std::launch::async, [coding = coding_, plain = Bytes(data, data + length)] {
    return EncodeChunk(coding, plain.data(), plain.size());
  }));
  Drain(threads_);
}

void PayloadWriter::Drain(size_t keep) {
  auto& chunks = in_flight_->chunks;
  while (chunks.size() > keep) {
    Store(chunks.front().get());
    chunks.pop_front();
  }
}

void PayloadWriter::Store(const Bytes& stored) {
  area_.U32(static_cast<uint32_t>(stored.size()));
  area_.U32(Sum32(stored.data(), static_cast<long long>(stored.size())));
  area_.Raw(stored);
}

}  // namespace ks
