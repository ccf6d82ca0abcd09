#include "tests/report/composer/report_fixture.h"

#include <string>

namespace tarvex::testing {

namespace {

constexpr uint32_t kMainThread = 2316, kWorkerThread = 3120;

const std::vector<uint8_t> kCode = {
    0x55,                          // push ebp
    0x8B, 0xEC,                    // mov ebp,esp
    0x83, 0xEC, 0x08,              // sub esp,8
    0x53,                          // push ebx
    0x8B, 0x45, 0x08,              // mov eax,[ebp+8]
    0x8B, 0x00,                    // mov eax,[eax]      <- the fault
    0x68, 0x00, 0x20, 0x40, 0x00,  // push $00402000     (a string)
    0xE8, 0xEA, 0xFF, 0xFF, 0xFF,  // call $00401000
    0x5B,                          // pop ebx
    0xC9,                          // leave              (ends the listing)
    0xC3,                          // ret
};

std::unique_ptr<TTarvexModuleInfo> Module(uint32_t handle, std::string fileName, std::string description,
                                          std::string version, uint32_t size) {
  auto module = std::make_unique<TTarvexModuleInfo>();
  module->Handle = handle;
  module->FileName = std::move(fileName);
  module->Description = std::move(description);
  module->Version = std::move(version);
  module->FileSize = size;
  module->FileDate = 45658.5 + handle % 7;  // 2025-01-01 12:00 and a few days on
  return module;
}

}  // namespace

void LocateFixtureAddress(uint32_t address, TTarvexStackItem& item) {
  if (address < kCodeBase || address >= kCodeBase + 0x1000) return;
  item.InfoLevel = ilLine;
  item.Address = address;
  item.UnitName = "Unit1.pas";
  item.ClassName = "TForm1";
  item.ProcedureName = "Button1Click";
  item.Line = 40 + (address - kCodeBase) / 8;
  item.LinesIntoProc = (address - kCodeBase) / 8;
}

ReportFixture::ReportFixture(int stackEntries, int moduleCount, int processCount) {
  // Code, its string and the stack.
  std::vector<uint8_t> code = kCode;
  code.resize(0x1000, 0xCC);
  const char text[] = "Hello, world";
  std::vector<uint8_t> data(text, text + sizeof text);
  data.resize(0x100, 0);
  memory.Map(kCodeBase, std::move(code));
  memory.Map(0x00402000, std::move(data), kPageReadOnly);
  std::vector<uint8_t> stackBytes(0x100);
  for (size_t i = 0; i < stackBytes.size(); ++i) stackBytes[i] = uint8_t(i * 7);
  memory.Map(kStackPointer, std::move(stackBytes), kPageReadWrite);

  // Modules: the program, a library in the drive's root, a system one under "\??\".
  modules.Add(Module(0x00400000, "C:\\Program Files\\Zorvik\\ZorvikCalc.exe", "Zorvik material calculator",
                     "1.0.0.3", 1843200));
  modules.Add(Module(0x10000000, "C:\\helper.dll", "Helper | with a bar\r\nand a break", "2.1.0.0", 40960));
  modules.Add(Module(0x7C800000, "\\??\\C:\\WINDOWS\\system32\\kernel32.dll", "Windows NT BASE API Client DLL",
                     "5.1.2600.5781", 989696));
  for (int i = 3; i < moduleCount; ++i)
    modules.Add(Module(0x71000000 + i * 0x10000, "C:\\WINDOWS\\system32\\lib" + std::to_string(i) + ".dll",
                       "Library " + std::to_string(i), "6.0." + std::to_string(i) + ".0", 20480 + i * 512));

  // Processes, with each kind of priority class.
  const uint32_t priorities[] = {32, 64, 128, 256, 16384, 32768, 7};
  for (int i = 0; i < processCount; ++i) {
    auto process = std::make_unique<TTarvexProcessInfo>();
    process->ProcessID = 4 + 4 * i;
    process->FileName = i == 0 ? "System" : "C:\\WINDOWS\\system32\\proc" + std::to_string(i) + ".exe";
    process->Description = i == 0 ? "" : "Process " + std::to_string(i);
    process->Version = i == 0 ? "" : "5.1.2600." + std::to_string(i);
    process->PriorityClass = priorities[i % 7];
    process->Memory = 102400 * (i + 1);
    process->Threads = i == 1 ? 0 : 2 + i;
    processes.Add(std::move(process));
  }

  // The stack: the exception entry, the rest of the raising (main) thread,
  // then a worker thread's running stack and its saved calling stack.
  auto entry = [&](uint32_t thread, uint8_t tag, uint8_t exceptionPoint, uint32_t address, uint8_t level,
                   const std::string& unit, const std::string& procedure) {
    auto item = std::make_unique<TTarvexStackItem>();
    item->ThreadID = thread;
    item->Tag = tag;
    item->IsExceptionPoint = exceptionPoint;
    item->Address = address;
    item->InfoLevel = level;
    item->ModuleInfo = level == ilNone ? nullptr : &modules[0];
    item->UnitName = unit;
    item->ClassName = unit.empty() ? "" : "TForm1";
    item->ProcedureName = procedure;
    if (level == ilLine) {
      item->Line = 40 + (address & 0xFF) / 8;
      item->LinesIntoProc = (address & 0xFF) / 8;
    }
    stack.Add(std::move(item));
  };
  entry(kMainThread, 1, 1, kFaultAddress, ilLine, "Unit1.pas", "Button1Click");
  for (int i = 1; i < stackEntries; ++i) {
    const int kind = i % 3;
    const uint32_t thread = i < stackEntries / 2 ? kMainThread : kWorkerThread;
    const uint8_t tag = i < stackEntries * 3 / 4 ? 1 : 0;
    entry(thread, tag, 0, 0x00401100 + 0x24 * i, kind == 0 ? ilProcedure : ilLine,
          kind == 0 ? "" : "Forms.pas", "Procedure" + std::to_string(i));
  }

  options.SetLogFlags(0x30);
  options.SetCallStackFlags(0x0F);

  facts.options = &options;
  facts.startTime = 45658.5;                     // Wed, 1 Jan 2025 12:00:00
  facts.exceptionTime = 45658.5 + 3725.0 / 86400;  // 1 hour, 2 minutes, 5 seconds later
  facts.zoneHours = 8;
  facts.compileTime = 45650.25;
  facts.mainModule = {modules[0].FileName, modules[0].Description, modules[0].Version};
  facts.commandLine = "\"" + modules[0].FileName + "\"  -debug  file.txt ";
  facts.exceptionAddress = kFaultAddress;
  facts.exceptionModule = facts.mainModule;
  facts.exceptionType = "EAccessViolation";
  facts.exceptionMessage = "Access violation at address 0040100A in module 'ZorvikCalc.exe'. Read of address 00000000";
  facts.foregroundClass = "TForm6";
  facts.foregroundText = "Zorvik\r\n\ttool";
  facts.focusClass = "TButton";
  facts.focusText = "Convert";

  SystemFacts& s = facts.system;
  s.userLogin = "alice";
  s.userName = "Alice Smith";
  s.userEmail = "alice@example.com";
  s.company = "Example Ltd";
  // A multi-line value with an empty line and a ": " inside.
  s.privileges = "SeShutdownPrivilege\r\n\r\nSeDebugPrivilege: enabled\nSeTimeZonePrivilege";
  s.computerName = "WORKSTATION";
  s.totalMemory = "2047 Mb";
  s.freeMemory = "1024 Mb";
  s.totalDisk = "40.00 Gb";
  s.freeDisk = "12.50 Gb";
  s.upTime = "2 hours, 3 minutes, 4 seconds";
  s.processor = "Intel(R) Core(TM) i5 CPU";
  s.displayMode = "1024 x 768, 32 bit";
  s.displayDpi = "96";
  s.videoCard = "Generic VGA (driver 1.0 - RAM 64 MB)";
  s.printer = "";
  s.osType = "Microsoft Windows XP";
  s.osBuild = "2600";
  s.osUpdate = "Service Pack 3";
  s.osLanguage = "English";
  s.osCharset = "1252";
  s.network = {"192.168.1.10", "255.255.255.0", "192.168.1.1", "192.168.1.1", "8.8.8.8", "On"};

  facts.stack = &stack;
  facts.modules = &modules;
  facts.processes = &processes;
  facts.threadDetails = [](uint32_t thread) {
    ThreadDetails details;
    if (thread == kMainThread) details = {"0", "", true};
    if (thread == kWorkerThread) details = {"1", "TWorkerThread", false};
    return details;
  };
  facts.memory = &memory;
  facts.registers = CpuRegisters{0, 0x0012FF40, 0x7C800000, 0x00000001, 0x00401000, 0x0012FFB0, kStackPointer,
                                 kFaultAddress};
  facts.stackPointer = kStackPointer;
  facts.locate = LocateFixtureAddress;
}

}  // namespace tarvex::testing
