#include "crashreport/report/composer/thread_details.h"

#include "crashreport/callstack/stack/threads_list.h"

namespace tarvex {

ThreadDetails DescribeThread(const ThreadLookup& lookup, uint32_t threadID) {
  ThreadDetails details;
  details.isMainThread = threadID != 0 && threadID == lookup.mainThreadID;
  if (!lookup.threads) return details;
  TTarvexThreadInfo record;
  {
    ThreadsReadLock lock(*lookup.threads);
    const int index = lookup.threads->IndexOfThreadID(threadID);
    if (index < 0) return details;
    const TTarvexThreadInfo& listed = (*lookup.threads)[index];
    record.Handle = listed.Handle;
    record.Priority = listed.Priority;
    record.ThreadObject = listed.ThreadObject;
  }
  if (record.Priority == kPriorityUnknown && lookup.readPriority) {
    if (const std::optional<int32_t> read = lookup.readPriority(record.Handle)) {
      record.Priority = uint32_t(*read);
      ThreadsWriteLock lock(*lookup.threads);
      const int index = lookup.threads->IndexOfThreadID(threadID);
      if (index >= 0) (*lookup.threads)[index].Priority = record.Priority;
    }
  }
  details.priority = record.Priority == kPriorityUnknown ? "??" : std::to_string(int32_t(record.Priority));
  if (record.ThreadObject && lookup.className) details.className = lookup.className(record.ThreadObject);
  return details;
}

}  // namespace tarvex
