#include "crashreport/dialogs/detailed/dialog_geometry.h"

#include <charconv>

namespace tarvex {

namespace {

std::optional<int> ReadNumber(const GeometryReader& read, const char* key) {
  const std::string text = read(key);
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [last, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || last != end) return std::nullopt;
  return value;
}

constexpr ColumnSpec kCallStackColumns[] = {
    {mtStackAddress, "Col0", 89, false}, {mtStackModule, "Col1", 92, false},     {mtStackUnit, "Col2", 126, false},
    {mtStackClass, "Col3", 126, false},  {mtStackProcedure, "Col4", 200, false}, {mtStackLine, "Col5", 61, true},
};
// Modified is shown before Path but stored after it.
constexpr ColumnSpec kModuleColumns[] = {
    {mtModuleHandle, "ColMod0", 80, false},       {mtModuleName, "ColMod1", 96, false},
    {mtModuleDescription, "ColMod2", 175, false}, {mtModuleVersion, "ColMod3", 50, true},
    {mtModuleSize, "ColMod4", 54, true},          {mtModuleModified, "ColMod6", 80, false},
    {mtModulePath, "ColMod5", 712, false},
};
constexpr ColumnSpec kProcessColumns[] = {
    {mtProcessID, "ColPro0", 48, false},           {mtProcessName, "ColPro1", 134, false},
    {mtProcessDescription, "ColPro2", 232, false}, {mtProcessVersion, "ColPro3", 56, true},
    {mtProcessMemory, "ColPro4", 57, true},        {mtProcessPriority, "ColPro5", 47, true},
    {mtProcessThreads, "ColPro6", 52, true},       {mtProcessPath, "ColPro7", 330, false},
};

}  // namespace

StoredGeometry ReadGeometry(const GeometryReader& read) {
  StoredGeometry geometry;
  geometry.width = ReadNumber(read, "Width").value_or(geometry.width);
  geometry.height = ReadNumber(read, "Height").value_or(geometry.height);
  geometry.left = ReadNumber(read, "Left");
  geometry.top = ReadNumber(read, "Top");
  geometry.showState = ReadNumber(read, "WindowsState").value_or(kShowNormal);
  return geometry;
}

ScreenRect CentreIn(int width, int height, const ScreenRect& workArea) {
  return {(workArea.width - width) / 2 + workArea.left, (workArea.height - height) / 2 + workArea.top, width,
          height};
}

ScreenRect PlaceExpandedWindow(const StoredGeometry& stored, const ScreenRect& workArea) {
  const ScreenRect centred = CentreIn(stored.width, stored.height, workArea);
  if (!stored.left || !stored.top || *stored.left == kCentredLeft) return centred;
  const ScreenRect placed{*stored.left, *stored.top, stored.width, stored.height};
  const bool inside = placed.left >= workArea.left && placed.top >= workArea.top &&
                      placed.left + placed.width <= workArea.left + workArea.width &&
                      placed.top + placed.height <= workArea.top + workArea.height;
  return inside ? placed : centred;
}

std::vector<std::pair<const char*, std::string>> GeometryToSave(int showState, const ScreenRect& normalRect) {
  std::vector<std::pair<const char*, std::string>> values;
  if (showState == kShowNormal) {
    values = {{"Width", std::to_string(normalRect.width)},
              {"Height", std::to_string(normalRect.height)},
              {"Left", std::to_string(normalRect.left)},
              {"Top", std::to_string(normalRect.top)}};
  }
  values.emplace_back("WindowsState", std::to_string(showState));
  return values;
}

std::span<const ColumnSpec> CallStackColumns() { return kCallStackColumns; }
std::span<const ColumnSpec> ModuleColumns() { return kModuleColumns; }
std::span<const ColumnSpec> ProcessColumns() { return kProcessColumns; }

std::vector<int> ReadColumnWidths(std::span<const ColumnSpec> columns, const GeometryReader& read) {
  std::vector<int> widths;
  for (const ColumnSpec& column : columns)
    widths.push_back(ReadNumber(read, column.key).value_or(column.defaultWidth));
  return widths;
}

}  // namespace tarvex
