#include "RemoteMemory.h"

RemoteMemory::RemoteMemory(HANDLE process, size_t size)
    : process_(process),
      size_(size),
      address_(VirtualAllocEx(process, NULL, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}

RemoteMemory::~RemoteMemory() {
  if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
}

bool RemoteMemory::Write(size_t offset, const void* data, size_t size) {
  SIZE_T written = 0;
  return address_ && offset + size <= size_ &&
         WriteProcessMemory(process_, static_cast<char*>(address_) + offset, data, size,
                            &written) &&
         written == size;
}

bool RemoteMemory::Read(size_t offset, void* data, size_t size) const {
  SIZE_T read = 0;
  return address_ && offset + size <= size_ &&
         ReadProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, &read) &&
         read == size;
}
