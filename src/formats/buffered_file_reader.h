// Read-only file access for every parser: a 64-bit logical position served from one
// 2048-byte window buffer, so that parsers can read a few bytes at a time without a
// system call per field. Reads of 2048 bytes or more go to the file directly.
#pragma once

#include "platform/platform.h"

#include <cstdint>

constexpr uint32_t kReaderWindowSize = 2048;

enum SeekOrigin : uint32_t {
  SEEK_FROM_START = 0,
  SEEK_FROM_CURRENT = 1,
  SEEK_FROM_END = 2,
  SEEK_RESYNC = 3,
};

struct BufferedFileReader {
  platform::FileHandle handle;
  uint8_t buffer[kReaderWindowSize];
  uint64_t windowStart;
  uint64_t position;
  uint64_t fileSize;
  uint32_t bufferStale;
  uint32_t requested;
  uint32_t delivered;

  BufferedFileReader();
  ~BufferedFileReader();
  BufferedFileReader(const BufferedFileReader &) = delete;
  BufferedFileReader &operator=(const BufferedFileReader &) = delete;

  int Open(const wchar_t *path);
  void Close();
  void CloseIfOpen();
  uint64_t GetSize();
  uint64_t Tell() const;
  uint64_t Seek(int64_t offset, uint32_t origin);
  uint32_t Read(void *destination, uint32_t count);
  uint32_t ReadDirect(void *destination, uint32_t count);
  bool IsOpen() const;
};
