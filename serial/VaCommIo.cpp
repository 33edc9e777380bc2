// The port component's reads, writes, status and purge.
#include <algorithm>
#include <mutex>

#include "serial/VaComm.h"
#include "serial/internal/CommConstants.h"
#include "serial/internal/VaCommThreads.h"

using namespace CommConst;

int TVaCustomComm::WriteBuf(const void* Data, int Count) {
  if (!Active() || Data == nullptr || Count <= 0) return 0;
  // A device that went away has been reported once; until Close, writes go nowhere quietly.
  if (Platform::CommLost(FHandle)) return 0;
  if (FWriteThread) {
    if (FWriteThread->QueueData(Data, Count)) return Count;
    throw EVaCommError("Output buffer is full. Please check comm status.", TVaCommErrorKind::InputOutput);
  }
  std::lock_guard guard(FWriteLock);
  const Platform::WriteResult result =
      Platform::WriteComm(FHandle, Data, uint32_t(Count), {}, uint32_t(FBuffers.WriteTimeout()));
  if (result.Status == Platform::WriteStatus::Failed) {
    if (!Platform::CommLost(FHandle)) RaiseCommError("Write error (%d), %s", TVaCommErrorKind::InputOutput);
    if (IsMainThread()) ReportDeviceLost();
  }
  // After a time-out the rest is abandoned: nothing is left writing from the caller's memory.
  return int(result.Written);
}

int TVaCustomComm::ReadBuf(void* Data, int Count) {
  if (!Active() || Data == nullptr || Count <= 0) return 0;
  std::lock_guard guard(FReadLock);
  uint32_t read = 0;
  CheckCommResult(Platform::ReadComm(FHandle, Data, uint32_t(Count), read), "Read error (%d), %s",
                  TVaCommErrorKind::InputOutput);
  return int(read);
}

void TVaCustomComm::ExpectBytes(int Count) {
  if (!Active()) return;
  CheckCommResult(Platform::SetReceiveThreshold(FHandle, uint32_t(std::max(Count, 1))),
                  "Error setting the receive threshold (%d), %s", TVaCommErrorKind::InputOutput);
}

void TVaCustomComm::PurgeRead() { Purge(PURGE_RXABORT | PURGE_RXCLEAR); }

void TVaCustomComm::Purge(uint32_t Flags) {
  if (!Active()) return;
  std::lock_guard guard(FReadLock);
  if (Flags != (PURGE_RXABORT | PURGE_RXCLEAR) && FWriteThread) FWriteThread->PurgeBuffer();
  CheckCommResult(Platform::PurgeComm(FHandle, Flags), "Error clearing buffers (%d), %s",
                  TVaCommErrorKind::InputOutput);
}

void TVaCustomComm::GetComStat(TVaComStat& Stat) {
  std::lock_guard guard(FReadLock);
  Stat = TVaComStat{};
  if (!Active()) return;
  Platform::CommStat stat;
  CheckCommResult(Platform::ClearCommError(FHandle, stat), "Error retrieving statistics (%d), %s",
                  TVaCommErrorKind::InputOutput);
  Stat = TVaComStat{stat.Errors, stat.Status, stat.InQue, stat.OutQue};
}

int TVaCustomComm::InQueCount() {
  if (!Active()) return 0;
  TVaComStat stat;
  GetComStat(stat);
  // Reading the status clears the line errors; keep them for the error event.
  FUnreportedErrors |= stat.Errors;
  return int(stat.InQue);
}
