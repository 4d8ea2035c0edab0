#include "inspection/media_file_parser.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "inspection/bento_constants.h"
#include "base/byte_order.h"
#include "inspection/toc_stream.h"
#include "platform/platform.h"

namespace {

void *DefaultAllocate(size_t size) {
  return platform::AllocateTable(size);
}
ParserAllocFunction g_allocate = DefaultAllocate;

bool ObjectLess(const ObjectIndexElement *key, const ObjectIndexElement *stored) {
  return key->objectId < stored->objectId;
}
bool ObjectEqual(const ObjectIndexElement *key, const ObjectIndexElement *stored) {
  return key->objectId == stored->objectId;
}
bool MobLess(const MobIndexElement *key, const MobIndexElement *stored) {
  return MobKeyLess(key->key, stored->key);
}
bool MobEqual(const MobIndexElement *key, const MobIndexElement *stored) {
  return MobKeyEqual(key->key, stored->key);
}

constexpr uint32_t kObjectIndexGrowth = 200;
constexpr uint32_t kClipMobGrowth = 200;
constexpr uint32_t kSourceMobGrowth = 400;
constexpr uint32_t kMediaDataGrowth = 200;

} // namespace

const wchar_t *ContainerStatusText(ContainerStatus status) {
  switch (status) {
  case kContainerOpened:
    return L"opened";
  case kContainerNotFound:
    return L"not found";
  case kContainerCannotOpen:
    return L"cannot be opened";
  case kContainerTooSmall:
    return L"too small";
  case kContainerNoLabel:
    return L"no container label";
  case kContainerUnsupportedVersion:
    return L"unsupported TOC version";
  case kContainerTocOutside:
    return L"TOC outside the file";
  case kContainerShortRead:
    return L"short read";
  case kContainerEmptyToc:
    return L"empty TOC";
  case kContainerBadToc:
    return L"TOC cannot be read";
  case kContainerNoMemory:
    return L"no memory";
  }
  return L"unknown";
}

ParserAllocFunction SetParserAllocator(ParserAllocFunction allocate) {
  ParserAllocFunction previous = g_allocate;
  g_allocate = allocate != nullptr ? allocate : DefaultAllocate;
  return previous;
}

void *ParserAllocate(size_t size) {
  return g_allocate(size != 0 ? size : 1);
}

MediaFileParser g_catalogueParser;
MediaFileParser g_viewerParser(1);

MediaFileParser::MediaFileParser()
    : fileSize(0), tocCapacity(0), tocBuffer(nullptr), entries(nullptr), littleEndian(0),
      objectIndex(kObjectIndexGrowth, ObjectLess, ObjectEqual, ZeroFillElement, CopyOrZeroElement),
      objectCount(0), valueCapacity(0), emptyEntry{}, currentEntry(&emptyEntry), label{},
      clipMobIndex(kClipMobGrowth, MobLess, MobEqual, ZeroFillElement, CopyOrZeroElement),
      sourceMobIndex(kSourceMobGrowth, MobLess, MobEqual, ZeroFillElement, CopyOrZeroElement),
      mediaDataIndex(kMediaDataGrowth, MobLess, MobEqual, ZeroFillElement, CopyOrZeroElement),
      valueBuffer(nullptr), valueLength(0), valid(0), open(0), entryCount(0), objectTable(nullptr),
      objectTableCapacity(0), objectTableCount(0), objectTableSorted(0), searchObjectTable(1),
      gatheredEntries(0), gatherPrevious(0), gatherFailed(0), results{}, wholeFileLimit(0),
      image(nullptr), imageCapacity(0), imageSize(0), imageLoaded(0), readsByteCodeToc(0),
      tocStream(nullptr), status(kContainerNotFound) {
  clipMobIndex.Grow(10);
  sourceMobIndex.Grow(20);
  mediaDataIndex.Grow(8);
  // Without its buffer the parser reads every value as absent (valueCapacity stays 0).
  valueBuffer = static_cast<uint8_t *>(ParserAllocate(kInitialValueCapacity));
  if (valueBuffer != nullptr) {
    std::memset(valueBuffer, 0, kInitialValueCapacity);
    valueCapacity = kInitialValueCapacity;
  }
}

MediaFileParser::MediaFileParser(uint32_t readsByteCodes) : MediaFileParser() {
  readsByteCodeToc = readsByteCodes;
}

MediaFileParser::~MediaFileParser() {
  ReleaseParserMemory();
  std::free(valueBuffer);
  reader.CloseIfOpen();
}

void MediaFileParser::ResetParser() {
  reader.CloseIfOpen();
  valid = 0;
  open = 0;
  entryCount = 0;
  objectTableCount = 0;
  objectTableSorted = 0;
  gatheredEntries = 0;
  gatherPrevious = 0;
  gatherFailed = 0;
  // The TOC buffer keeps its bytes: no entry is read past entryCount, and an open takes a
  // table only when the whole of it was read, so old bytes are never seen as entries.
  std::memset(&label, 0, sizeof label);
  clipMobIndex.Clear();
  sourceMobIndex.Clear();
  mediaDataIndex.Clear();
  objectIndex.Clear();
  objectCount = 0;
  valueLength = 0;
  currentEntry = &emptyEntry;
  imageLoaded = 0;
  imageSize = 0;
}

void MediaFileParser::ReleaseParserMemory() {
  ResetParser();
  objectIndex.Destroy();
  clipMobIndex.Destroy();
  sourceMobIndex.Destroy();
  mediaDataIndex.Destroy();
  std::free(objectTable);
  objectTable = nullptr;
  objectTableCapacity = 0;
  std::free(tocBuffer);
  tocBuffer = nullptr;
  entries = nullptr;
  tocCapacity = 0;
  std::free(image);
  image = nullptr;
  imageCapacity = 0;
  ReleaseTocStream();
}

void MediaFileParser::EnsureTocBuffer() {
  ResetParser();
  if (tocBuffer == nullptr) {
    tocBuffer = static_cast<uint8_t *>(ParserAllocate(0));
    tocCapacity = 0;
  }
}

// Reads the part of the file before the TOC, where the values lie, into the image when the
// file is small enough; 0 when nothing is kept, and values are then read one by one.
int MediaFileParser::LoadImage() {
  imageLoaded = 0;
  imageSize = 0;
  const uint64_t size = label.tocOffset; // inside the file, checked by the caller
  if (wholeFileLimit == 0 || fileSize > wholeFileLimit || size == 0) return 0;
  if (imageCapacity < size) {
    uint8_t *grown = static_cast<uint8_t *>(ParserAllocate(static_cast<size_t>(size)));
    if (grown == nullptr) return 0; // reading value by value needs no more memory
    std::free(image);
    image = grown;
    imageCapacity = size;
  }
  if (!ReadAt(0, image, static_cast<uint32_t>(size))) return 0;
  imageSize = size;
  imageLoaded = 1;
  return 1;
}

int MediaFileParser::ReadAt(uint64_t offset, void *destination, uint32_t count) {
  reader.Seek(static_cast<int64_t>(offset), SEEK_FROM_START);
  return reader.Read(destination, count) == count ? 1 : 0;
}

// Reads the TOC in slices small enough to stay in the processor's cache while the runs of
// a version-1 table are gathered from them, rather than walking the whole table again once
// it has left the cache. 1 when all of it was read.
int MediaFileParser::ReadToc() {
  constexpr uint32_t kSlice = 8192 * kTocEntrySize;
  const bool gather = label.majorVersion == kTocFixedEntries && searchObjectTable;
  for (uint32_t at = 0; at < label.tocSize;) {
    const uint32_t n = label.tocSize - at < kSlice ? label.tocSize - at : kSlice;
    if (!ReadAt(static_cast<uint64_t>(label.tocOffset) + at, tocBuffer + at, n)) return 0;
    at += n;
    if (gather) GatherRuns(at / kTocEntrySize);
  }
  return 1;
}

int MediaFileParser::OpenMediaFile(const wchar_t *path) {
  ResetParser();
  fileSize = 0;
  std::memset(&results, 0, sizeof results);
  status = kContainerNotFound;
  if (path == nullptr) return 0;
  std::wcsncpy(results.fileName, path, kParserTextChars - 1);

  if (!reader.Open(path))
    return Refuse(platform::PathExists(path) ? kContainerCannotOpen : kContainerNotFound);
  open = 1;
  fileSize = reader.GetSize();

  // The label: the last 24 bytes, beginning with the magic. Its TOC must lie inside the
  // file, so that the table indexed is this file's and never the zeros or leftovers of an
  // earlier one.
  if (fileSize < kBentoLabelSize) return Refuse(kContainerTooSmall);
  reader.Seek(static_cast<int64_t>(fileSize - kBentoLabelSize), SEEK_FROM_START);
  const uint32_t labelBytes = reader.Read(&label, kBentoLabelSize);
  if (readsByteCodeToc && label.majorVersion == kTocByteCodesBigEndian) {
    // A big-endian version-2 label gives its block size and its table's place in its order.
    label.byteOrder = static_cast<uint16_t>(label.byteOrder >> 8 | label.byteOrder << 8);
    label.tocOffset = SwapBytes32(label.tocOffset);
    label.tocSize = SwapBytes32(label.tocSize);
  }
  if (labelBytes != kBentoLabelSize) return Refuse(kContainerShortRead);
  if (std::memcmp(label.magic, kBentoMagic, sizeof kBentoMagic) != 0)
    return Refuse(kContainerNoLabel);
  if (label.tocOffset > fileSize || label.tocSize > fileSize - label.tocOffset)
    return Refuse(kContainerTocOutside);
  valid = 1;

  const uint32_t tocSize = label.tocSize;
  if (tocBuffer == nullptr || tocCapacity < tocSize) {
    // A new buffer is had before the old one goes, so a failure leaves a usable parser.
    uint8_t *grown = static_cast<uint8_t *>(ParserAllocate(tocSize));
    if (grown == nullptr) return Refuse(kContainerNoMemory);
    std::free(tocBuffer);
    tocBuffer = grown;
    tocCapacity = tocSize;
  }
  LoadImage();
  if (!ReadToc()) return Refuse(kContainerShortRead);
  littleEndian = label.byteOrder == kByteOrderLittle ? 1 : 0;
  if (readsByteCodeToc && IsByteCodeLabel(label)) {
    const int loaded = LoadTocStream();
    status = loaded ? kContainerOpened : kContainerBadToc;
    return loaded;
  }

  switch (label.majorVersion) {
  case kTocFixedEntries:
    IndexToc(); // sets status when it fails
    if (open) status = kContainerOpened;
    return open;
  case kTocByteCodes:
    valid = 0;
    status = kContainerUnsupportedVersion;
    return 1;
  default:
    status = kContainerUnsupportedVersion;
    return 1;
  }
}

int MediaFileParser::Refuse(ContainerStatus why) {
  ResetParser();
  status = why;
  return 0;
}
