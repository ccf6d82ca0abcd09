#include "crashreport/delivery/mailclient/mail_client_registry_win.h"

#include "crashreport/base/util/macros.h"
#include "crashreport/base/util/win_handles_win.h"

namespace tarvex {

namespace {

constexpr const char* kMailClients = "SOFTWARE\\Clients\\Mail";

std::string LibraryPathUnder(HKEY root) {
  const std::string client = RegistryText(root, kMailClients, "");
  return client.empty() ? std::string() : RegistryText(root, std::string(kMailClients) + "\\" + client, "DLLPath");
}

}  // namespace

std::string RegistryText(HKEY root, const std::string& key, const char* valueName) {
  const win::RegistryKey open = win::OpenRegistryKey(root, key);
  if (!open) return {};
  // The value may grow between asking for its size and reading it.
  DWORD size = 0;
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::string data(size, '\0');
    DWORD type = 0, read = size;
    const LONG status =
        RegQueryValueExA(open.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &read);
    if (status == ERROR_SUCCESS && read <= size) {
      if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
      data.resize(read);
      return data.substr(0, data.find('\0'));
    }
    if (status != ERROR_MORE_DATA) return {};
    size = read;
  }
  return {};
}

std::string MailClientLibraryPath() {
  std::string path = LibraryPathUnder(HKEY_CURRENT_USER);
  if (path.empty()) path = LibraryPathUnder(HKEY_LOCAL_MACHINE);
  return ExpandMacros(path, ProcessMacroValues());
}

std::string MailtoCommandTemplate() {
  // HKEY_CLASSES_ROOT shows the user's classes over the machine's on Windows,
  // but not under Wine: the user's own registration is read first here.
  constexpr const char* kCommand = "mailto\\shell\\open\\command";
  std::string command = RegistryText(HKEY_CURRENT_USER, std::string("Software\\Classes\\") + kCommand, "");
  if (command.empty()) command = RegistryText(HKEY_CLASSES_ROOT, kCommand, "");
  return ExpandMacros(command, ProcessMacroValues());
}

}  // namespace tarvex
