// The crash reporter's own delivery: one report at a time, sent on the
// handler thread or, when asked, on a send thread of its own of the highest
// priority that ends the handling once it is done.
#pragma once

#include <windows.h>

#include <mutex>
#include <vector>

#include "crashreport/pipeline/handling/handling_parts.h"

namespace tarvex {

class TReportSender : public TReportDelivery {
 public:
  TReportSender() = default;
  ~TReportSender() override;  // waits for the send threads
  TReportSender(const TReportSender&) = delete;
  TReportSender& operator=(const TReportSender&) = delete;

  // A failure in a foreground send goes on to the caller; a background one is
  // only written to the debugger output.
  void Deliver(TDeliveryRequest request) override;
  // Waits until every send thread has ended.
  void WaitForBackground();

 private:
  struct Job;
  static DWORD WINAPI SendThread(void* job);
  void SendInBackground(TDeliveryRequest request);

  std::mutex oneAtATime_;  // deliveries share the temporary files and the progress dialog
  std::mutex threadsLock_;
  std::vector<HANDLE> threads_;
};

}  // namespace tarvex
