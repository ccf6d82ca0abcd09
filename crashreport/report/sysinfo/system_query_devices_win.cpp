#include <windows.h>
#include <winspool.h>

#include <cstring>

#include "crashreport/report/sysinfo/system_query_win.h"
#include "crashreport/base/util/win_handles_win.h"

namespace tarvex {
namespace {

// A file's version resource, read once per question.
std::optional<std::vector<char>> ReadVersionResource(const std::string& file) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  std::vector<char> block(size);
  if (!GetFileVersionInfoA(file.c_str(), 0, size, block.data())) return std::nullopt;
  return block;
}

}  // namespace

std::optional<ScreenInfo> WindowsSystemQuery::Screen() const {
  const win::ScreenDC screen;
  if (!screen) return std::nullopt;
  return ScreenInfo{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), GetDeviceCaps(screen.get(), BITSPIXEL),
                    GetDeviceCaps(screen.get(), LOGPIXELSY)};
}

std::optional<DisplayDevice> WindowsSystemQuery::FirstDisplayDevice() const {
  using EnumDisplayDevicesFn = BOOL(WINAPI*)(const char*, DWORD, DISPLAY_DEVICEA*, DWORD);
  const win::Library user32("user32.dll");
  const auto enumDevices = user32.Function<EnumDisplayDevicesFn>("EnumDisplayDevicesA");
  if (!enumDevices) return std::nullopt;
  DISPLAY_DEVICEA device{};
  device.cb = sizeof device;
  if (!enumDevices(nullptr, 0, &device, 0)) return DisplayDevice{};
  const auto text = [](const char* field, size_t size) { return std::string(field, strnlen(field, size)); };
  return DisplayDevice{text(device.DeviceString, sizeof device.DeviceString),
                       text(device.DeviceID, sizeof device.DeviceID)};
}

std::optional<std::string> WindowsSystemQuery::ProfileString(std::string_view section, std::string_view key) const {
  char value[1024];
  const DWORD length =
      GetProfileStringA(std::string(section).c_str(), std::string(key).c_str(), "", value, sizeof value - 1);
  return std::string(value, length);
}

std::optional<std::string> WindowsSystemQuery::DefaultPrinter() const {
  using GetDefaultPrinterFn = BOOL(WINAPI*)(char*, DWORD*);
  const win::Library spooler("winspool.drv");
  const auto defaultPrinter = spooler.Function<GetDefaultPrinterFn>("GetDefaultPrinterA");
  if (!defaultPrinter) return std::nullopt;
  char name[1024];
  DWORD size = sizeof name;
  if (!defaultPrinter(name, &size)) return std::nullopt;
  return std::string(name, strnlen(name, sizeof name));
}

std::optional<PrinterDriver> WindowsSystemQuery::DriverOfPrinter(const std::string& printer) const {
  using OpenPrinterFn = BOOL(WINAPI*)(char*, HANDLE*, PRINTER_DEFAULTSA*);
  using ClosePrinterFn = BOOL(WINAPI*)(HANDLE);
  using GetPrinterDriverFn = BOOL(WINAPI*)(HANDLE, char*, DWORD, BYTE*, DWORD, DWORD*);
  const win::Library spooler("winspool.drv");
  const auto openPrinter = spooler.Function<OpenPrinterFn>("OpenPrinterA");
  const auto closePrinter = spooler.Function<ClosePrinterFn>("ClosePrinter");
  const auto printerDriver = spooler.Function<GetPrinterDriverFn>("GetPrinterDriverA");
  if (!openPrinter || !closePrinter || !printerDriver) return std::nullopt;

  std::string name = printer;  // the call takes a writable name
  HANDLE handle = nullptr;
  if (!openPrinter(name.data(), &handle, nullptr)) return std::nullopt;
  struct Closer {
    ClosePrinterFn close;
    HANDLE handle;
    ~Closer() { close(handle); }
  } closer{closePrinter, handle};

  DWORD size = 0;
  printerDriver(handle, nullptr, 2, nullptr, 0, &size);
  if (size < sizeof(DRIVER_INFO_2A)) return std::nullopt;
  std::vector<DWORD> buffer((size + sizeof(DWORD) - 1) / sizeof(DWORD));  // DWORD-aligned
  if (!printerDriver(handle, nullptr, 2, reinterpret_cast<BYTE*>(buffer.data()), size, &size)) return std::nullopt;
  const auto* info = reinterpret_cast<const DRIVER_INFO_2A*>(buffer.data());
  return PrinterDriver{info->pName ? info->pName : "", info->pDriverPath ? info->pDriverPath : ""};
}

std::optional<uint32_t> WindowsSystemQuery::FileTranslation(const std::string& file) const {
  std::optional<std::vector<char>> block = ReadVersionResource(file);
  if (!block) return std::nullopt;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block->data(), "\\VarFileInfo\\Translation", &value, &length) || length < 4) return std::nullopt;
  WORD pair[2];  // language, code page
  std::memcpy(pair, value, sizeof pair);
  return uint32_t(pair[0]) << 16 | pair[1];
}

std::optional<std::string> WindowsSystemQuery::FileVersionValue(const std::string& file,
                                                                 const std::string& subBlock) const {
  std::optional<std::vector<char>> block = ReadVersionResource(file);
  if (!block) return std::nullopt;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block->data(), subBlock.c_str(), &value, &length) || !value) return std::nullopt;
  const char* text = static_cast<const char*>(value);
  return std::string(text, strnlen(text, length));
}

}  // namespace tarvex
