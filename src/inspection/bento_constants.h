// Numbers of the Bento container format and of the OMF objects inside it: the label's magic
// bytes, the standard object IDs that Bento reserves, and the property, type and class IDs
// that the media files and databases written by AVID carry. The walks use these fixed IDs;
// their textual names live in each file's own dictionary.
#pragma once

#include <cstdint>

// ---- Container label ---------------------------------------------------------------------
inline constexpr uint8_t kBentoMagic[8] = {0xA4, 0x43, 0x4D, 0xA5, 0x48, 0x64, 0x72, 0xD7};
inline constexpr uint32_t kBentoLabelSize = 24;
inline constexpr uint32_t kTocEntrySize = 24;
inline constexpr uint16_t kByteOrderLittle = 0x4949; // "II"; anything else is big-endian
inline constexpr uint16_t kTocFixedEntries = 1;      // major version with 24-byte entries
inline constexpr uint16_t kTocByteCodes = 2;         // major version not supported
inline constexpr uint32_t kStorageStored = 1;        // storage word of a value held in the file

// ---- Bento standard object IDs -------------------------------------------------------------
enum : uint32_t {
  CM_StdObjID_TOC = 1,
  CM_StdObjID_TOC_Seed = 2,
  CM_StdObjID_TOC_MinSeed = 3,
  CM_StdObjID_TOC_Object = 4,
  CM_StdObjID_TOC_Container = 5,
  CM_StdObjID_TOC_Deleted = 6,
  CM_StdObjID_TOC_Free = 7,
  CM_StdObjID_TOC_NewValuesTOC = 8,
  CM_StdObjID_TOC_Target = 9,
  CM_StdObjID_TOC_DeleteList = 10,
  CM_StdObjID_TOC_Type = 19,
  CM_StdObjID_7BitASCII = 21,
  CM_StdObjID_8BitASCII = 22,
  CM_StdObjID_GlobalTypeName = 23,
  CM_StdObjID_GlobalPropName = 24,
  CM_StdObjID_DynamicValues = 25,
  CM_StdObjID_BaseTypes = 26,
  CM_StdObjID_BaseTypeList = 27,
  CM_StdObjID_TargetContainer = 28,
  CM_StdObjID_ValueUpdates = 29,
  CM_StdObjID_UpdatesData = 30,
  CM_StdObjID_ObjReferences = 31,
  CM_StdObjID_ObjRefData = 32,
  CM_StdObjID_32BitImmValue = 40,
  CM_StdObjID_16BitImmValue = 41,
  CM_StdObjID_8BitImmValue = 42,
};
// IDs above this one are objects of the file's own dictionary.
inline constexpr uint32_t kLastStandardObjectId = CM_StdObjID_8BitImmValue;

// ---- Value types -------------------------------------------------------------------------------
enum : uint32_t {
  TYPE_MOB_INDEX_LIST = 0x1006D,   // u16 count, then 20-byte records (mob ID, object ID, unused)
  TYPE_OBJECT_REF = 0x10077,       // u32 object ID
  TYPE_OBJECT_REF_ARRAY = 0x1007C, // u16 count, then 8-byte elements (object ID, unused)
  TYPE_CLASS_ID = 0x10081,         // four characters, immediate
  TYPE_STRING = 0x10090,           // 8-bit text, terminator optional
  TYPE_UID = 0x1009F,              // 12-byte mob ID
};
inline constexpr uint32_t kMobIndexRecordSize = 20;
inline constexpr uint32_t kObjectRefElementSize = 8;
inline constexpr uint32_t kMobIdSize = 12;

// ---- Properties ------------------------------------------------------------------------------
enum : uint32_t {
  PROP_CLASS = 0x1020C, // first entry of every OMF object: its class, immediate

  // Mob index lists on object 1.
  PROP_CLIP_MOB_LIST = 0x101E9,
  PROP_MEDIA_DATA_LIST = 0x10202,
  PROP_SOURCE_MOB_LIST = 0x10216,

  // Mobs.
  PROP_MOB_NAME = 0x1029D,
  PROP_MOB_USAGE = 0x1033D,
  PROP_MOB_DESCRIPTOR = 0x10333,
  PROP_MOB_SLOTS = 0x1040F,
  PROP_MOB_ATTRIBUTES = 0x1028E,

  // Attributes.
  PROP_ATTR_LIST = 0x1026B,
  PROP_ATTR_NAME = 0x10257,
  PROP_ATTR_STRING = 0x10261,

  // Slots and segments.
  PROP_SLOT_SEGMENT = 0x103F6,
  PROP_CLIP_SOURCE_ID = 0x10356,

  // Descriptors and locators.
  PROP_LOCATORS = 0x10301,
  PROP_WIN_PATH = 0x102E1,
  PROP_MAC_PATH = 0x102DE,
  PROP_DATA_OFFSET = 0x10324,
  PROP_COMPRESSION_ID = 0x108F7,
  PROP_COMPRESSION = 0x108D8,
  PROP_UNIT_SIZE = 0x108ED,

  // Media data objects.
  PROP_AIFC_MOB_ID = 0x10225,
  PROP_SD2_MOB_ID = 0x10371,
  PROP_WAVE_MOB_ID = 0x1045A,
  PROP_VIDEO_MOB_ID = 0x10964,
  PROP_MEDIA_DATA = 0x10969,

  // Audio.
  PROP_WAVE_SUMMARY = 0x1044B,
  PROP_AIFC_SUMMARY = 0x1022F,
  PROP_PCM_BITS = 0x10749,
  PROP_PCM_BYTE_RATE = 0x10755,
};

// ---- Four-character codes (classes, media types) -----------------------------------------
// The code as the little-endian 32-bit word that its four bytes form, which is how a class
// reads from bytes 12-15 of an object's first entry.
constexpr uint32_t FourCharCode(const char (&code)[5]) {
  return static_cast<uint32_t>(static_cast<uint8_t>(code[0])) |
         static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(code[3])) << 24;
}

// Media data classes.
inline constexpr uint32_t kClassAifc = FourCharCode("AIFC");
inline constexpr uint32_t kClassSd2Data = FourCharCode("SD2D");
inline constexpr uint32_t kClassWave = FourCharCode("WAVE");
// Descriptor classes ("SD2D" names both a media data class and a descriptor class).
inline constexpr uint32_t kClassWaveDescriptor = FourCharCode("WAVD");
inline constexpr uint32_t kClassAifcDescriptor = FourCharCode("AIFD");
inline constexpr uint32_t kClassPcmDescriptor = FourCharCode("PCMA");
inline constexpr uint32_t kClassSd2Descriptor = FourCharCode("SD2D");
inline constexpr uint32_t kClassTapeDescriptor = FourCharCode("MDTP");
inline constexpr uint32_t kClassFileDescriptor = FourCharCode("MDES");
// Locator classes.
inline constexpr uint32_t kClassWindowsLocator = FourCharCode("WINL");
inline constexpr uint32_t kClassMacLocator = FourCharCode("MACL");

// Media types written into the parser's results.
inline constexpr uint32_t kMediaVideo = FourCharCode("_VID");
inline constexpr uint32_t kMediaWave = FourCharCode("_WAV");
inline constexpr uint32_t kMediaAiff = FourCharCode("_AIF");
inline constexpr uint32_t kMediaPcm = FourCharCode("_PCM");
inline constexpr uint32_t kMediaSd2 = FourCharCode("_SD2");
inline constexpr uint32_t kMediaNone = FourCharCode("NONE");
inline constexpr uint32_t kMediaMxf = FourCharCode("_MXF");

// The value of the project attribute's name, immediate: "_PJ" and a zero byte.
inline constexpr uint32_t kProjectAttributeName = FourCharCode("_PJ\0");
