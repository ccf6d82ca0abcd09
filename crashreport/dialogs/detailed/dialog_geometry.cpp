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
    {92, "Col0", 89, false},  {93, "Col1", 92, false},  {94, "Col2", 126, false},
    {95, "Col3", 126, false}, {96, "Col4", 200, false}, {97, "Col5", 61, true},
};
// Modified is shown before Path but stored after it.
constexpr ColumnSpec kModuleColumns[] = {
    {126, "ColMod0", 80, false}, {127, "ColMod1", 96, false}, {128, "ColMod2", 175, false},
    {129, "ColMod3", 50, true},  {130, "ColMod4", 54, true},  {131, "ColMod6", 80, false},
    {132, "ColMod5", 712, false},
};
constexpr ColumnSpec kProcessColumns[] = {
    {133, "ColPro0", 48, false}, {134, "ColPro1", 134, false}, {135, "ColPro2", 232, false},
    {136, "ColPro3", 56, true},  {137, "ColPro4", 57, true},   {138, "ColPro5", 47, true},
    {139, "ColPro6", 52, true},  {140, "ColPro7", 330, false},
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
