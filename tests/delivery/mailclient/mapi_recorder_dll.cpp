// A Simple MAPI provider for the mail client tests. It appends every argument
// it is given to the file that VX_MAPI_RECORD names, one fact a line (bytes
// below 32 written as "\xHH"), and answers as VX_MAPI_SCRIPT says:
// "sent" (the default), "cancelled", "logon-failure" or "send-failure".
// Like a real client it moves the current directory while sending.
#include <windows.h>
// <windows.h> first: <mapi.h> builds on its types.
#include <mapi.h>

#include <cstdio>
#include <string>

namespace {

constexpr LHANDLE kSession = 0x5e55;

std::string Environment(const char* name) {
  char value[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  return length < sizeof value ? std::string(value, length) : std::string();
}

std::string Shown(const char* text) {
  if (text == nullptr) return "(null)";
  std::string shown;
  for (const unsigned char byte : std::string(text)) {
    if (byte < 32) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", byte);
      shown += escape;
    } else {
      shown += static_cast<char>(byte);
    }
  }
  return shown;
}

std::string Number(unsigned long value) { return std::to_string(value); }

void Record(const std::string& line) {
  if (FILE* file = std::fopen(Environment("VX_MAPI_RECORD").c_str(), "ab")) {
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
  }
}

bool Scripted(const char* answer) { return Environment("VX_MAPI_SCRIPT") == answer; }

}  // namespace

extern "C" {

__declspec(dllexport) ULONG WINAPI MAPILogon(ULONG_PTR parent, LPSTR profile, LPSTR password, FLAGS flags,
                                             ULONG reserved, LPLHANDLE session) {
  Record("logon parent=" + Number(parent) + " profile=" + Shown(profile) + " password=" + Shown(password) +
         " flags=" + Number(flags) + " reserved=" + Number(reserved));
  if (Scripted("logon-failure")) return MAPI_E_LOGON_FAILURE;
  *session = kSession;
  return SUCCESS_SUCCESS;
}

__declspec(dllexport) ULONG WINAPI MAPISendMail(LHANDLE session, ULONG_PTR parent, lpMapiMessage message, FLAGS flags,
                                                ULONG reserved) {
  Record("send session=" + Number(session) + " parent=" + Number(parent) + " flags=" + Number(flags) +
         " reserved=" + Number(reserved));
  Record("subject=" + Shown(message->lpszSubject));
  Record("note=" + Shown(message->lpszNoteText));
  Record("type=" + Shown(message->lpszMessageType) + " date=" + Shown(message->lpszDateReceived) +
         " conversation=" + Shown(message->lpszConversationID) + " flags=" + Number(message->flFlags) +
         " originator=" + (message->lpOriginator ? "set" : "(null)"));
  for (ULONG i = 0; i < message->nRecipCount; ++i) {
    const MapiRecipDesc& recipient = message->lpRecips[i];
    Record("recipient class=" + Number(recipient.ulRecipClass) + " name=" + Shown(recipient.lpszName) +
           " address=" + Shown(recipient.lpszAddress) + " entry=" + Number(recipient.ulEIDSize));
  }
  if (message->nFileCount > 0 && message->lpFiles == nullptr) Record("files=(null)");
  for (ULONG i = 0; i < message->nFileCount && message->lpFiles; ++i) {
    const MapiFileDesc& file = message->lpFiles[i];
    Record("file path=" + Shown(file.lpszPathName) + " name=" + Shown(file.lpszFileName) +
           " position=" + Number(file.nPosition) + " flags=" + Number(file.flFlags) +
           " type=" + (file.lpFileType ? "set" : "(null)"));
  }
  SetCurrentDirectoryA("C:\\");
  if (Scripted("cancelled")) return MAPI_USER_ABORT;
  if (Scripted("send-failure")) return MAPI_E_FAILURE;
  return SUCCESS_SUCCESS;
}

__declspec(dllexport) ULONG WINAPI MAPILogoff(LHANDLE session, ULONG_PTR parent, FLAGS flags, ULONG reserved) {
  Record("logoff session=" + Number(session) + " parent=" + Number(parent) + " flags=" + Number(flags) +
         " reserved=" + Number(reserved));
  return SUCCESS_SUCCESS;
}

}  // extern "C"
