// The one object through which the system looks inside OMF media files and the media
// database "msmMMOB.mdb": it opens a file as a Bento container, checks the label at its end,
// keeps the whole table of contents in memory and indexes it, reads property values, and
// walks the OMF objects to fill the results that the catalogue copies into its records.
//
// Two instances live for the whole process: the catalogue parser (loading and linking) and
// the viewer parser (the OMF structure viewer). Each is used by one thread at a time.
#pragma once

#include <cstdint>

#include "base/mob_key.h"
#include "base/pooled_tree.h"
#include "formats/buffered_file_reader.h"

inline constexpr uint32_t kParserTextChars = 260;
inline constexpr uint32_t kInitialValueCapacity = 16384;
// Media databases up to this size are read in one piece while the catalogue loads.
inline constexpr uint64_t kDatabaseImageLimit = 64ull << 20;

// The last 24 bytes of a container. Read as little-endian whatever the byte order says.
struct ContainerLabel {
  uint8_t magic[8];
  uint16_t flags;
  uint16_t byteOrder;
  uint16_t majorVersion;
  uint16_t minorVersion;
  uint32_t tocOffset;
  uint32_t tocSize;
};
static_assert(sizeof(ContainerLabel) == 24, "the label is 24 bytes on disk");

// What the last OpenMediaFile found: kContainerOpened, or why the file is not usable as a
// container. ContainerStatusText gives the words that reports use.
enum ContainerStatus : uint32_t {
  kContainerOpened,
  kContainerNotFound,
  kContainerCannotOpen,         // it exists, but is not a file that can be opened for reading
  kContainerTooSmall,           // shorter than a label
  kContainerNoLabel,            // the last 24 bytes are not a container label
  kContainerUnsupportedVersion, // opened, but its TOC version is not read: no entries
  kContainerTocOutside,         // the TOC that the label names does not lie inside the file
  kContainerShortRead,          // the file ended or failed while it was read
  kContainerEmptyToc,           // a version-1 TOC without entries
  kContainerBadToc,             // a version-2 TOC that cannot be decoded
  kContainerNoMemory,           // no room for its TOC
};
const wchar_t *ContainerStatusText(ContainerStatus status);

// One 24-byte entry of a version-1 table of contents, seen in place in the TOC buffer.
struct TocEntry {
  uint32_t objectId;
  uint32_t propertyId;
  uint32_t typeId;
  uint32_t value;   // stored: offset in the file; immediate: the value's bytes
  uint32_t length;  // 0: no value
  uint32_t storage; // kStorageStored: held in the file at value; else immediate
};
static_assert(sizeof(TocEntry) == 24, "entries are used in place");

// Object ID -> index of the object's first entry.
struct ObjectIndexElement {
  uint32_t objectId;
  uint32_t firstEntry;
};
using ObjectIndex = PooledTree<ObjectIndexElement>;

// Mob key -> object ID, built from one of the mob index lists of object 1.
struct MobIndexElement {
  MobKey key;
  uint32_t objectId;
};
using MobIndex = PooledTree<MobIndexElement>;
using ClipMobIndex = MobIndex;
using SourceMobIndex = MobIndex;
using MediaDataIndex = MobIndex;

struct TocStream; // a version-2 table of contents (toc_stream.h)

// Everything that every OpenMediaFile and every DescribeDatabaseMob clears: the file name,
// the results the catalogue copies, and the working fields of the walks.
struct ParserResults {
  wchar_t fileName[kParserTextChars];
  wchar_t projectName[kParserTextChars];
  wchar_t clipName[kParserTextChars];
  wchar_t sourceName[kParserTextChars];
  MobKey clipMobKey;
  uint32_t clipUsage;
  char mediaType[4]; // "_VID", "_WAV", "_AIF", "_PCM", "_SD2", "NONE"; zero when unknown
  MobKey mediaMobKey;
  int32_t mediaDataEntry; // first entry of the selected media data object
  MobKey fileMobKey;
  int32_t fileMobEntry; // first entry of the file's source mob, -1 when not found
  char formatCode[4];
  uint32_t compressionId;
  uint32_t dataOffset;
  uint32_t unitSize;
};

struct MediaFileParser {
  BufferedFileReader reader;
  uint64_t fileSize;
  uint32_t tocCapacity;
  uint8_t *tocBuffer;
  const TocEntry *entries; // the TOC buffer seen as entries
  uint32_t littleEndian;
  ObjectIndex objectIndex;
  uint32_t objectCount;
  uint32_t valueCapacity;
  TocEntry emptyEntry; // all zero: what a lookup of a missing entry yields
  const TocEntry *currentEntry;
  ContainerLabel label;
  ClipMobIndex clipMobIndex;
  SourceMobIndex sourceMobIndex;
  MediaDataIndex mediaDataIndex;
  uint8_t *valueBuffer; // the last value read, always followed by at least 4 zero bytes
  uint32_t valueLength; // 0 when the last read found nothing
  uint32_t valid;
  uint32_t open;
  uint32_t entryCount;
  // Object ID -> first entry as a table sorted by ID, used in place of objectIndex while
  // objectTableSorted (objectIndex then stays empty). Reused between files, only grows.
  // searchObjectTable = 0 always builds objectIndex, as tests do to compare both ways.
  ObjectIndexElement *objectTable;
  uint32_t objectTableCapacity;
  uint32_t objectTableCount;
  uint32_t objectTableSorted;
  uint32_t searchObjectTable;
  uint32_t gatheredEntries; // entries whose runs are in the table already
  uint32_t gatherPrevious;  // object ID of the last entry gathered
  uint32_t gatherFailed;    // the table could not grow: the tree takes over
  ParserResults results;
  // A media database of at most this size (0: never) has the bytes before its TOC read in
  // one piece, so that describing thousands of media costs one read instead of a seek and a
  // read per value. Media files, whose essence need not be read, are opened with 0.
  uint64_t wholeFileLimit;
  uint8_t *image; // the file's first imageSize bytes while imageLoaded; reused, only grows
  uint64_t imageCapacity;
  uint64_t imageSize;
  uint32_t imageLoaded;
  // Only the viewer's parser reads the byte-code table of a version-2 label; others open
  // such a file without entries.
  uint32_t readsByteCodeToc;
  TocStream *tocStream; // entries and values of a version-2 table; reused, freed on release
  ContainerStatus status; // of the last OpenMediaFile

  MediaFileParser();
  explicit MediaFileParser(uint32_t readsByteCodes);
  ~MediaFileParser();
  MediaFileParser(const MediaFileParser &) = delete;
  MediaFileParser &operator=(const MediaFileParser &) = delete;

  // ---- Probe (media_file_parser.cpp) ----
  // 1 when path is open as a container (a version-1 TOC indexed, or another version that
  // is opened without entries); 0 after any failure, with the parser reset. Either way
  // status says what was found.
  int OpenMediaFile(const wchar_t *path);
  // Closes the file and forgets the container; keeps the buffers and pools for reuse and
  // leaves the results readable until the next open.
  void ResetParser();
  // ResetParser, then frees the TOC buffer and the index pools.
  void ReleaseParserMemory();
  // ResetParser; makes sure a (possibly empty) TOC buffer exists.
  void EnsureTocBuffer();
  int LoadImage(); // after the label is read
  // 1 when count bytes at offset were read.
  int ReadAt(uint64_t offset, void *destination, uint32_t count);

  // ---- Container access (bento_reader.cpp) ----
  void IndexToc();
  // The entry, or the empty entry for -1, past the table or without a TOC; it becomes the
  // current entry.
  const TocEntry &GetEntry(uint32_t index);
  // Index of the first entry of first's run that carries propertyId, or -1.
  int32_t FindProperty(int32_t first, uint32_t propertyId);
  // Reads the entry's value into the value buffer; its length, 0 when there is none.
  uint32_t ReadValue(uint32_t index);
  int32_t FirstEntryOfObject(uint32_t objectId);
  // Object ID stored for key, 0 when there is none.
  uint32_t LookupMob(MobIndex *index, const MobKey &key);
  // Element i of a mob index in list order, none when i is not below its element count.
  const MobIndexElement *MobAt(MobIndex *index, uint32_t i);
  uint32_t MobCount(const MobIndex *index) const;

  // ---- Version-2 tables (toc_stream_parser.cpp) ----
  // After the TOC is read: decodes and indexes it; 1 when it holds an object, else 0 with
  // the parser reset.
  int LoadTocStream();
  uint32_t ReadStreamValue(uint32_t index); // ReadValue of such a table: the pieces joined
  void ReleaseTocStream();
  // The version-2 table of the open container, or none.
  const TocStream *Stream() const;

  // ---- OMF walks (omf_descriptors.cpp, audio_headers.cpp) ----
  void DescribeMediaFile();
  void DescribeDatabaseMob(const MobKey &fileMobKey, const MobKey &clipMobKey);
  void ReadProjectName(int32_t mobEntry);
  void FindSourceName(int32_t mobEntry);
  void ReadWaveSummary(int32_t descriptorEntry);
  void ReadAifcSummary(int32_t descriptorEntry);
  void ReadPcmProperties(int32_t descriptorEntry);

private:
  int Refuse(ContainerStatus why); // ResetParser, keep why; 0
  int FillMobIndex(MobIndex *index, uint32_t entry);
  int FillMobIndexesFrom(uint32_t entry);
  int ReadToc();
  void GatherRuns(uint32_t end);
  int GrowObjectTable(uint32_t entries);
  int IndexIntoTable();
  void SortObjectTable();
  // Small helpers of the walks.
  uint32_t ReadPropertyValue(int32_t first, uint32_t propertyId);
  int ReadU32Property(int32_t first, uint32_t propertyId, uint32_t *value);
  int32_t ReferencedObject(int32_t first, uint32_t propertyId);
  int32_t ArrayElementObject(int32_t first, uint32_t propertyId, uint32_t k);
  int ReadMobKeyProperty(int32_t first, uint32_t propertyId, MobKey *key);
  uint32_t ObjectClass(int32_t first);
  void CopyTextProperty(int32_t first, uint32_t propertyId, wchar_t *destination);
  void ReadVideoFields(int32_t descriptorEntry);
  void SearchMediaData(int32_t descriptorEntry);
};

// Copies a single-byte text into a wide buffer of capacity characters that is zero before:
// each byte becomes the character of the same value, stopping at a zero byte; a text that
// does not fit shows its first capacity - 4 characters followed by "...".
void CopyTruncated(const uint8_t *text, uint32_t length, wchar_t *destination, uint32_t capacity);

// Allocation used for the TOC and value buffers; tests replace it to simulate exhaustion.
using ParserAllocFunction = void *(*)(size_t size);
ParserAllocFunction SetParserAllocator(ParserAllocFunction allocate);
void *ParserAllocate(size_t size); // at least one byte is asked for, so 0 still gives a buffer

extern MediaFileParser g_catalogueParser; // database loading and linking of files on disk
extern MediaFileParser g_viewerParser;    // the OMF structure viewer
