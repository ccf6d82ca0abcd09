// Where the registry says the user's mail client is. Windows only.
#pragma once

#include <windows.h>

#include <string>

namespace tarvex {

// The string value `valueName` ("" for the default value) of root\key;
// "" when the key or the value is missing or not a string.
std::string RegistryText(HKEY root, const std::string& key, const char* valueName);

// The Simple MAPI library of the default mail client: the default value of
// "SOFTWARE\Clients\Mail" names the client, whose key's "DLLPath" is the
// library; the current user's registration first, then the machine's.
// Macros expanded; "" when neither names one.
std::string MailClientLibraryPath();

// The "mailto" open command: the current user's classes first, then
// HKEY_CLASSES_ROOT; macros expanded, "" when none is registered.
std::string MailtoCommandTemplate();

}  // namespace tarvex
