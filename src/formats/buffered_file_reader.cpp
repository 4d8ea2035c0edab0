#include "formats/buffered_file_reader.h"

#include <cstring>

namespace {

void ResetToClosed(BufferedFileReader &r) {
  r.handle = platform::kInvalidFile;
  r.windowStart = 0;
  r.position = 0;
  r.fileSize = 0;
  r.bufferStale = 1;
  r.requested = 0;
  r.delivered = 0;
}

// A position outside the window starts a new, still empty window there.
void ApplyWindowRule(BufferedFileReader &r) {
  if (r.position < r.windowStart || r.position - r.windowStart >= kReaderWindowSize) {
    r.windowStart = r.position;
    r.bufferStale = 1;
  }
}

// Puts the system's file pointer at the position. A failure leaves the position as it is and
// is not reported: the read that follows comes up short and says so in its count.
void MoveSystemPointer(BufferedFileReader &r) {
  uint64_t reached = 0;
  if (platform::SetFilePointerFromStart(r.handle, r.position, &reached)) r.position = reached;
  ApplyWindowRule(r);
}

// One system read of a whole window into the buffer at the system's file pointer.
uint32_t FillBuffer(BufferedFileReader &r) {
  uint32_t got = 0;
  if (!platform::ReadFileAtPointer(r.handle, r.buffer, kReaderWindowSize, &got)) return 0;
  return got;
}

// Whether a fill of got bytes at windowStart holds the whole window, up to the measured end.
// It does not when the file ended early (cut short since it was opened) or the read failed;
// such a buffer stays stale, so that later reads ask the system again instead of handing
// out old bytes.
bool WindowComplete(const BufferedFileReader &r, uint32_t got) {
  uint64_t expected = r.fileSize - r.windowStart;
  if (expected > kReaderWindowSize) expected = kReaderWindowSize;
  return got >= expected;
}

uint32_t Deliver(BufferedFileReader &r, uint32_t count) {
  r.delivered = count;
  return count;
}

} // namespace

BufferedFileReader::BufferedFileReader() {
  std::memset(buffer, 0, sizeof buffer);
  ResetToClosed(*this);
}

BufferedFileReader::~BufferedFileReader() {
  CloseIfOpen();
}

bool BufferedFileReader::IsOpen() const {
  return handle != platform::kInvalidFile;
}

int BufferedFileReader::Open(const wchar_t *path) {
  std::memset(buffer, 0, sizeof buffer);
  CloseIfOpen();
  ResetToClosed(*this);
  platform::FileHandle file = platform::OpenFileForReading(path);
  if (file == platform::kInvalidFile) return 0;
  handle = file;
  GetSize();
  return 1;
}

void BufferedFileReader::Close() {
  if (IsOpen()) platform::CloseFile(handle);
  ResetToClosed(*this);
}

void BufferedFileReader::CloseIfOpen() {
  if (IsOpen()) Close();
}

uint64_t BufferedFileReader::GetSize() {
  uint64_t size = 0;
  if (!IsOpen() || !platform::GetFileSize64(handle, &size)) return 0;
  fileSize = size;
  return size;
}

uint64_t BufferedFileReader::Tell() const {
  return IsOpen() ? position : 0;
}

uint64_t BufferedFileReader::Seek(int64_t offset, uint32_t origin) {
  if (!IsOpen()) return 0;
  // Offsets are taken apart as unsigned magnitudes so that no sum can overflow.
  uint64_t magnitude = offset < 0 ? 0 - static_cast<uint64_t>(offset) : offset;
  uint64_t target = 0;
  switch (origin) {
  case SEEK_FROM_START:
    if (offset < 0) return position;
    target = magnitude < fileSize ? magnitude : fileSize;
    break;
  case SEEK_FROM_CURRENT:
    if (offset == 0) return position;
    if (offset < 0)
      target = magnitude < position ? position - magnitude : 0;
    else
      target = magnitude < fileSize - position ? position + magnitude : fileSize;
    break;
  case SEEK_FROM_END:
    if (offset > 0) return position;
    // Further back than the start clamps to the start.
    target = magnitude < fileSize ? fileSize - magnitude : 0;
    break;
  case SEEK_RESYNC:
    MoveSystemPointer(*this);
    target = position;
    break;
  default:
    return 0;
  }
  position = target;
  ApplyWindowRule(*this);
  return target;
}

uint32_t BufferedFileReader::ReadDirect(void *destination, uint32_t count) {
  if (!IsOpen() || count == 0 || destination == nullptr) return 0;
  uint32_t got = 0;
  if (!platform::ReadFileAtPointer(handle, destination, count, &got)) return 0;
  return got;
}

uint32_t BufferedFileReader::Read(void *destination, uint32_t count) {
  if (destination == nullptr || !IsOpen()) return 0;
  uint8_t *to = static_cast<uint8_t *>(destination);
  uint32_t n = count;
  if (n > fileSize - position) n = static_cast<uint32_t>(fileSize - position);
  requested = n;
  if (n == 0) return Deliver(*this, 0);

  if (bufferStale) {
    MoveSystemPointer(*this);
    if (n > kReaderWindowSize) {
      uint32_t got = ReadDirect(to, n);
      position += got;
      windowStart = position;
      bufferStale = 1;
      return Deliver(*this, got);
    }
    uint32_t got = FillBuffer(*this);
    if (got < n) return Deliver(*this, 0);
    std::memcpy(to, buffer, n);
    windowStart = position;
    position += n;
    bufferStale = WindowComplete(*this, got) ? 0 : 1;
    if (bufferStale) windowStart = position;
    return Deliver(*this, n);
  }

  uint64_t inWindow = position - windowStart; // the buffer is valid, so position >= windowStart
  if (n <= kReaderWindowSize && position >= windowStart && inWindow + n <= kReaderWindowSize) {
    std::memcpy(to, buffer + inWindow, n);
    // Ending exactly at the window's end leaves the next window stale at the new position.
    Seek(static_cast<int64_t>(position + n), SEEK_FROM_START);
    return Deliver(*this, n);
  }

  // The request runs past the window: hand out the buffer's tail, then fetch the rest.
  uint32_t copied = 0;
  if (position >= windowStart && inWindow < kReaderWindowSize) {
    copied = kReaderWindowSize - static_cast<uint32_t>(inWindow);
    std::memcpy(to, buffer + inWindow, copied);
    position += copied;
    MoveSystemPointer(*this);
    windowStart = position;
    bufferStale = 1;
  }
  uint32_t rest = n - copied;
  if (rest < kReaderWindowSize) {
    uint32_t got = FillBuffer(*this);
    uint32_t used = got > rest ? rest : got;
    std::memcpy(to + copied, buffer, used);
    windowStart = position;
    position += used;
    bufferStale = WindowComplete(*this, got) ? 0 : 1;
    if (bufferStale) windowStart = position;
    return Deliver(*this, copied + used);
  }
  MoveSystemPointer(*this);
  uint32_t got = ReadDirect(to + copied, rest);
  position += got;
  windowStart = position;
  bufferStale = 1;
  return Deliver(*this, copied + got);
}
