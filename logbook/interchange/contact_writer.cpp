#include "logbook/interchange/contact_writer.h"

#include <cstring>
#include <string>
#include <system_error>
#include <utility>

namespace kivo {

namespace {

// The contacts of the log, and room for about as many new ones as the inputs can
// hold (an ADIF record takes some hundred bytes), so that nothing grows on the way.
void indexLog(DuplicateIndex& index, const std::string& records, size_t inputBytes) {
  const size_t expected = inputBytes / 100 + 1024;
  index.reserve(records.size() / kRecordSize + expected);
  LogRecord r;
  for (size_t at = 0; at + kRecordSize <= records.size(); at += kRecordSize) {
    std::memcpy(r.bytes.data(), records.data() + at, kRecordSize);
    index.add(r);
  }
}

}  // namespace

ContactWriter::ContactWriter(LogTarget& log, const CountryTable& countries, TableUpdate* tables, size_t files,
                             size_t inputBytes)
    : log_(log),
      entities_(countries),
      tables_(tables),
      inputBytes_(inputBytes),
      counts_(files),
      handoff_(kBuffers, kBlockBytes) {
  try {
    thread_ = std::thread([this] { run(); });
  } catch (const std::system_error&) {
    // No second thread to be had: each block is written as it is handed over.
    indexLog(index_, log_.existingRecords(), inputBytes_);
  }
}

ContactWriter::~ContactWriter() { abandon(); }

void ContactWriter::add(size_t file, const LogRecord& record) {
  if (block_ && (block_->tag != file || block_->bytes.size() + kRecordSize > kBlockBytes)) send();
  if (!block_) {
    block_ = handoff_.empty();
    if (!block_) rethrowFailure();
    block_->tag = file;
  }
  block_->bytes.append(reinterpret_cast<const char*>(record.bytes.data()), kRecordSize);
}

void ContactWriter::finish() {
  if (block_) send();
  handoff_.close();
  rethrowFailure();
}

void ContactWriter::abandon() {
  handoff_.stop();
  if (thread_.joinable()) thread_.join();
}

void ContactWriter::send() {
  BlockHandoff::Block* block = std::exchange(block_, nullptr);
  if (thread_.joinable()) {
    handoff_.send(block);
    return;
  }
  write(*block);
  handoff_.taken(block);
}

void ContactWriter::rethrowFailure() {
  if (thread_.joinable()) thread_.join();
  if (failure_) std::rethrow_exception(failure_);
}

void ContactWriter::run() {
  try {
    indexLog(index_, log_.existingRecords(), inputBytes_);
    while (BlockHandoff::Block* b = handoff_.next()) {
      write(*b);
      handoff_.taken(b);
    }
  } catch (...) {
    failure_ = std::current_exception();
    handoff_.stop();
  }
}

void ContactWriter::write(BlockHandoff::Block& block) {
  Counts& counts = counts_[block.tag];
  const auto bytes = reinterpret_cast<uint8_t*>(block.bytes.data());
  const size_t records = block.bytes.size() / kRecordSize;
  constexpr size_t kAhead = 8;
  DuplicateIndex::Lookup ahead[kAhead];
  for (size_t i = 0; i < kAhead && i < records; ++i) index_.look(bytes + i * kRecordSize, ahead[i]);
  size_t kept = 0;
  for (size_t i = 0; i < records; ++i) {
    const bool added = index_.addIfNew(ahead[i % kAhead]);
    if (i + kAhead < records) index_.look(bytes + (i + kAhead) * kRecordSize, ahead[i % kAhead]);
    if (!added) {
      ++counts.duplicates;
      continue;
    }
    ++counts.added;
    std::memcpy(record_.bytes.data(), bytes + i * kRecordSize, kRecordSize);
    fillEntity(entities_, record_);
    std::memcpy(bytes + kept * kRecordSize, record_.bytes.data(), kRecordSize);
    ++kept;
  }
  const std::string_view written(block.bytes.data(), kept * kRecordSize);
  log_.write(written);
  if (tables_) tables_->note(written);
}

}  // namespace kivo
