// The request block: the list of read and write records shared with the simulator module.
// Platform-free: works on any byte buffer (the mapped view in the programs, a plain vector
// in the tests and in devsim's core).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

constexpr uint32_t kRecordEnd = 0;
constexpr uint32_t kRecordRead = 1;
constexpr uint32_t kRecordWrite = 2;
constexpr size_t kReadHeaderSize = 16;   // kind, offset, size, destination
constexpr size_t kWriteHeaderSize = 12;  // kind, offset, size
constexpr size_t kEndWordSize = 4;

// Little-endian access at any byte position; no alignment or host byte order assumed.
inline uint16_t GetU16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline int16_t GetS16(const uint8_t* p) { return int16_t(GetU16(p)); }
inline uint32_t GetU32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline float GetF32(const uint8_t* p) {
  uint32_t bits = GetU32(p);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}
inline void PutU16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
inline void PutU32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}
inline void PutF32(uint8_t* p, float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  PutU32(p, bits);
}

class RequestBlock {
 public:
  // Points the builder at a block (the mapped view); the cursor goes to its start.
  void Attach(uint8_t* base, size_t size);
  void Detach();
  bool IsAttached() const { return base_ != nullptr; }
  uint8_t* Base() const { return base_; }
  size_t Size() const { return size_; }
  size_t Cursor() const { return cursor_; }

  // Queue a read record: header, then `size` zero bytes for the module to fill. The reply is
  // copied to `destination` by DeliverReplies. Does nothing while detached. A record that
  // would leave no room for the end word is refused and spoils the batch (see Overflowed).
  void QueueRead(uint32_t offset, uint32_t size, void* destination);
  // Queue a write record, copying `size` bytes from `source` at once (none when size is 0).
  void QueueWrite(uint32_t offset, uint32_t size, const void* source);

  // True when a record of this batch was refused for want of room.
  bool Overflowed() const { return overflowed_; }

  // Writes the end word at the cursor.
  void EndList();
  // Cursor back to the block start; the queued batch is forgotten.
  void Rewind();
  // Walks the records from the block start and copies each read reply to its destination,
  // then rewinds. Stops at the end word; an unknown kind is overwritten with 0 and stops the
  // walk. A record whose header no longer matches what was queued, or that would run past
  // the block, also stops it: nothing is ever copied beyond a queued destination's size.
  void DeliverReplies();

 private:
  struct PendingRead {
    void* destination;
    uint32_t size;
  };
  bool Fits(uint64_t recordSize) const;

  uint8_t* base_ = nullptr;
  size_t size_ = 0;
  size_t cursor_ = 0;
  bool overflowed_ = false;
  // The wire's destination field is only 32 bits wide; the real destinations wait here,
  // in record order.
  std::vector<PendingRead> pending_;
};

// One exchange with the module, and the pause between attempts. The programs send a window
// message and sleep; the tests run devsim's core in place.
class IpcTransport {
 public:
  virtual ~IpcTransport() = default;
  virtual bool Send() = 0;
  virtual void Pause(unsigned milliseconds) = 0;
};

// Ends the list, tries the exchange up to `attempts` times with a pause after each failure
// (the last one too), and on success copies the replies out. False when detached, when the
// batch overflowed or when every attempt failed; the batch is dropped in every case.
bool ProcessBatch(RequestBlock& block, IpcTransport& transport, int attempts, unsigned pauseMs);

// What the weather code needs of the client: queue, send, and know how much fits in a batch.
class IpcBatch {
 public:
  virtual ~IpcBatch() = default;
  virtual void Read(uint32_t offset, uint32_t size, void* destination) = 0;
  virtual void Write(uint32_t offset, uint32_t size, const void* source) = 0;
  virtual bool Process() = 0;
  // Bytes a batch may hold in all, end word included; 0 while not connected.
  virtual size_t Capacity() const = 0;
};
