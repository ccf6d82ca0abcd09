#include "crashreport/delivery/sending/report_sender_win.h"

#include <exception>
#include <memory>

#include "crashreport/base/options/options.h"
#include "crashreport/delivery/sending/report_sending_win.h"
#include "crashreport/pipeline/handling/internal_errors.h"
#include "crashreport/pipeline/threads/handler_state_win.h"
#include "rtl/exception.h"

namespace tarvex {

// What a send thread owns: the request and a copy of the options, which the
// next handling may change while this one is sent.
struct TReportSender::Job {
  TReportSender* Owner = nullptr;
  TDeliveryRequest Request;
  TTarvexModuleOptions Options;
};

TReportSender::~TReportSender() { WaitForBackground(); }

void TReportSender::Deliver(TDeliveryRequest request) {
  if (request.Options == nullptr) return;
  if (request.InBackground && !request.Inline) {
    SendInBackground(std::move(request));
    return;
  }
  std::lock_guard<std::mutex> one(oneAtATime_);
  TReportSending(request, *request.Options).Run();
}

void TReportSender::SendInBackground(TDeliveryRequest request) {
  auto job = std::make_unique<Job>();
  job->Owner = this;
  job->Options.CopyFrom(request.Options);
  job->Request = std::move(request);
  job->Request.Options = &job->Options;
  const HANDLE thread = CreateThread(nullptr, 0, SendThread, job.get(), CREATE_SUSPENDED, nullptr);
  if (thread == nullptr) {
    // Without a thread the report is still sent, here and now.
    job->Request.InBackground = false;
    std::function<void()> finished = std::move(job->Request.Finished);
    Deliver(std::move(job->Request));
    if (finished) finished();
    return;
  }
  job.release();  // the thread owns it now
  SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST);
  {
    std::lock_guard<std::mutex> hold(threadsLock_);
    std::erase_if(threads_, [](HANDLE ended) {
      if (WaitForSingleObject(ended, 0) != WAIT_OBJECT_0) return false;
      CloseHandle(ended);
      return true;
    });
    threads_.push_back(thread);
  }
  ResumeThread(thread);
}

DWORD WINAPI TReportSender::SendThread(void* parameter) {
  std::unique_ptr<Job> job(static_cast<Job*>(parameter));
  try {
    std::lock_guard<std::mutex> one(job->Owner->oneAtATime_);
    TReportSending(job->Request, job->Options).Run();
  } catch (const rtl::Exception& e) {
    OutputDebugStringA(InternalWarningLine("eeShowError", job->Request.Info.Address,
                                           InternalWarningMessage("Send", &e)).c_str());
  } catch (...) {
    OutputDebugStringA(InternalWarningLine("eeShowError", job->Request.Info.Address,
                                           InternalWarningMessage("Send", nullptr)).c_str());
  }
  if (job->Request.Finished) {
    try {
      THandlerLockHold lock;
      job->Request.Finished();
    } catch (...) {
      // The end decision of a finished send must not end this thread's process by accident.
    }
  }
  return 0;
}

void TReportSender::WaitForBackground() {
  std::vector<HANDLE> threads;
  {
    std::lock_guard<std::mutex> hold(threadsLock_);
    threads.swap(threads_);
  }
  for (HANDLE thread : threads) {
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  }
}

}  // namespace tarvex
