// A block of memory inside another process. Messages whose arguments point to
// memory (a path to select, a structure to fill) are not copied across
// processes, so the driver places such arguments in the program's own memory.
#pragma once

#include <windows.h>

#include <cstddef>

class RemoteMemory {
 public:
  RemoteMemory(HANDLE process, size_t size);
  ~RemoteMemory();
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;

  // The block's address in the other process; NULL when it could not be made.
  void* address() const { return address_; }
  bool Write(size_t offset, const void* data, size_t size);
  bool Read(size_t offset, void* data, size_t size) const;

 private:
  HANDLE process_;
  size_t size_;
  void* address_;
};
