// An in-process link to devsim's module: the same request-block bytes the programs send
// through the window message, carried out directly. Native tests and benchmarks use it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/request_block.h"

class DevsimModule;

class LoopbackBatch : public IpcBatch, private IpcTransport {
 public:
  explicit LoopbackBatch(DevsimModule& module, size_t blockSize = 32700, int attempts = 10);

  void Read(uint32_t offset, uint32_t size, void* destination) override;
  void Write(uint32_t offset, uint32_t size, const void* source) override;
  bool Process() override;
  size_t Capacity() const override;

  // A disconnected link queues nothing and fails every batch, like a parked client.
  void SetConnected(bool connected);
  // Every attempt of the n-th batch from now fails (1 = the next one).
  void FailBatch(int n) { failingBatch_ = batches + n; }

  int batches = 0;    // Process calls
  int exchanges = 0;  // sends attempted
  int pauses = 0;
  bool keepLastBlock = false;
  std::vector<uint8_t> lastBlock;  // the bytes of the last batch as sent, when kept

 private:
  bool Send() override;
  void Pause(unsigned) override { ++pauses; }

  DevsimModule& module_;
  std::vector<uint8_t> bytes_;
  RequestBlock block_;
  int attempts_;
  int failingBatch_ = 0;
};
