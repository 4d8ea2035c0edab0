#include "fileops/file_steps.h"

#include <cwchar>

#include "platform/platform.h"

namespace {

// Length of a text up to kPathChars: a record's buffer may lack its terminator.
size_t BoundedLength(const wchar_t *text) {
  size_t n = 0;
  while (n < kPathChars && text[n] != 0) ++n;
  return n;
}

bool Cancelled(const RunState &run) {
  return run.host->cancelRequested != nullptr && run.host->cancelRequested(run.host->context) != 0;
}

// Removes a target that a failed copy created, so no half-written media file is left to
// be taken for a good one.
void RemoveIncompleteTarget(const RunState &run, const wchar_t *target) {
  uint32_t error = 0;
  if (DeleteClearingReadOnly(target, &error)) {
    LogOperationLine(run, L"Removed incomplete target::", target);
    return;
  }
  wchar_t tag[64];
  ComposeText(tag, 64, {L"QEL::", run.names->name, L"::Remove incomplete target(DeleteFile)"});
  platform::LogError(tag, error);
}

int CopyProgressOf(void *context, uint64_t copied) {
  platform::ProgressItemPos(copied);
  return Cancelled(*static_cast<const RunState *>(context)) ? 1 : 0;
}

} // namespace

wchar_t *ComposeText(wchar_t *buffer, size_t capacity,
                     std::initializer_list<const wchar_t *> parts) {
  if (capacity == 0) return buffer;
  size_t at = 0;
  for (const wchar_t *part : parts) {
    for (const wchar_t *c = part; c != nullptr && *c != 0 && at + 1 < capacity; ++c)
      buffer[at++] = *c;
  }
  buffer[at] = 0;
  return buffer;
}

bool JoinPath(wchar_t (&path)[kPathChars], const wchar_t *folder, const wchar_t *name) {
  static_assert(kPathChars == platform::kPathBufferChars, "paths share one size");
  path[0] = 0;
  size_t folderLength = BoundedLength(folder);
  size_t nameLength = BoundedLength(name);
  if (folderLength >= kPathChars || nameLength >= kPathChars) return false;
  wchar_t ownName[kPathChars];
  std::wmemcpy(ownName, name, nameLength);
  ownName[nameLength] = 0;
  std::wmemcpy(path, folder, folderLength);
  path[folderLength] = 0;
  if (!platform::PathJoin(path, ownName)) {
    path[0] = 0;
    return false;
  }
  return true;
}

void LogOperationLine(const RunState &run, const wchar_t *event, const wchar_t *path) {
  wchar_t line[kMessageChars];
  ComposeText(line, kMessageChars, {L"QEL::", run.names->name, L"::", event, path});
  platform::LogLine(line);
}

void LogPathTooLong(const RunState &run, const wchar_t *folder, const wchar_t *name) {
  const wchar_t separator[] = {platform::kPathSeparator, 0};
  wchar_t line[kMessageChars];
  ComposeText(line, kMessageChars,
              {L"QEL::", run.names->name, L"::Path too long::", folder, separator, name});
  platform::LogLine(line);
}

ConfirmAnswer AskConfirm(RunState &run, ConfirmAnswer &answer) {
  if (answer != kAnswerCancel && answer != kAnswerYesToAll && answer != kAnswerSkipAll) {
    answer = run.host->ask != nullptr ? run.host->ask(run.host->context, run.text) : kAnswerNone;
  }
  if (answer == kAnswerCancel) run.keepGoing = 0;
  return answer;
}

bool CancelledAt(RunState &run, const wchar_t *tag) {
  if (!Cancelled(run)) return false;
  platform::LogError(tag, platform::kErrorCancelled);
  run.keepGoing = 0;
  return true;
}

bool DeleteClearingReadOnly(const wchar_t *path, uint32_t *error) {
  const platform::FileCalls &files = platform::Files();
  uint32_t attributes = 0;
  bool cleared = files.getAttributes(path, &attributes) &&
                 (attributes & platform::kAttributeReadOnly) != 0 &&
                 files.setAttributes(path, attributes & ~platform::kAttributeReadOnly, nullptr);
  if (files.deleteFile(path, error)) return true;
  // The file stays: so does its protection.
  if (cleared) files.setAttributes(path, attributes, nullptr);
  return false;
}

bool PrepareTarget(RunState &run, const wchar_t *source, const wchar_t *target) {
  const platform::FileCalls &files = platform::Files();
  if (platform::CompareNoCase(source, target) == 0) {
    platform::LogLine(run.names->equalLine);
    return false;
  }
  if (!files.pathExists(target)) return true;
  // The texts differ, but a mapped drive, a share, a link or a short name may still lead to
  // the source itself: deleting that "target" would destroy the only copy.
  platform::FileIdentity a{}, b{};
  uint32_t error = 0;
  if (!files.readIdentity(source, &a, &error) || !files.readIdentity(target, &b, &error)) {
    wchar_t tag[64];
    ComposeText(tag, 64, {L"QEL::", run.names->name, L"(GetFileInformationByHandle)"});
    platform::LogError(tag, error);
    return false;
  }
  if (a.volume == b.volume && a.index == b.index) {
    platform::LogLine(run.names->equalLine);
    return false;
  }
  // A Cancel given before the question, or while it was open, leaves the old target.
  if (CancelledAt(run, run.names->failureTag)) return false;
  ComposeText(run.text, kMessageChars,
              {L"Are you sure to OVERWRITE\n\nFile:\n ", target, L"\n\n With File:\n ", source});
  ConfirmAnswer decision = AskConfirm(run, run.answer);
  if (decision == kAnswerCancel) return false;
  if (!IsYes(decision)) {
    LogOperationLine(run, L"Skipping", L"");
    return false;
  }
  if (CancelledAt(run, run.names->failureTag)) return false;
  LogOperationLine(run, L"Overwriting", L"");
  DeleteClearingReadOnly(target, nullptr);
  return true;
}

bool CopyMediaFile(RunState &run, const wchar_t *source, const wchar_t *target, uint64_t size) {
  const platform::FileCalls &files = platform::Files();
  platform::ProgressItemTotal(size);
  bool targetExisted = files.pathExists(target) != 0;
  uint32_t error = platform::kErrorCancelled;
  // A Cancel confirmed before the copy stops it here as well: not every system's copy
  // routine looks at its progress routine (Wine's does not).
  if (!Cancelled(run) && files.copyFile(source, target, CopyProgressOf, &run, &error)) return true;
  platform::LogError(run.names->failureTag, error);
  if (!targetExisted && files.pathExists(target)) RemoveIncompleteTarget(run, target);
  return false;
}

bool UnchangedSinceScan(const RunState &run, const MediaRecord *record, const wchar_t *source) {
  platform::FindData found{};
  if (!platform::Files().lookUpEntry(source, &found)) return true;
  if (found.size == record->size && found.created == record->created) return true;
  LogOperationLine(run, L"Changed since the scan::", source);
  return false;
}
