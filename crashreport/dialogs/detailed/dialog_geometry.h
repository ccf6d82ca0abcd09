// Where the detailed dialog keeps its window and column geometry: section
// "Coordinates" of the user's settings file, every value decimal text.
//
//   Width, Height     expanded window size (745 x 468)
//   Left, Top         expanded window position (centred in the work area when
//                     missing, -5000, or partly outside the work area)
//   WindowsState      show state: 1 normal, 3 maximized
//   Col0..Col5        call stack columns
//   ColMod0..ColMod6  modules columns (Modified under ColMod6, Path under ColMod5)
//   ColPro0..ColPro7  processes columns
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "crashreport/base/options/message_texts.h"

namespace tarvex {

inline constexpr const char* kGeometrySection = "Coordinates";
inline constexpr int kShowNormal = 1, kShowMaximized = 3;
inline constexpr int kCentredLeft = -5000;  // a stored Left asking for the centred position

// Reads one key of the section; empty when it is missing.
using GeometryReader = std::function<std::string(const char* key)>;

struct ScreenRect {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const ScreenRect&) const = default;
};

struct StoredGeometry {
  int width = 745, height = 468;
  std::optional<int> left, top;
  int showState = kShowNormal;
};

// Missing keys and values that are not whole numbers give the defaults.
StoredGeometry ReadGeometry(const GeometryReader& read);

// The expanded window's rectangle: the stored one, or centred in the work area.
ScreenRect PlaceExpandedWindow(const StoredGeometry& stored, const ScreenRect& workArea);

// A rectangle of `width` by `height` centred in the work area.
ScreenRect CentreIn(int width, int height, const ScreenRect& workArea);

// The keys to write for the window: size and position only in the normal
// show state (a maximized window keeps its normal size), the state always.
std::vector<std::pair<const char*, std::string>> GeometryToSave(int showState, const ScreenRect& normalRect);

// One list column: its caption's message text, settings key and default width.
struct ColumnSpec {
  TMessageText captionText;
  const char* key;
  int defaultWidth;
  bool rightAligned;
};

std::span<const ColumnSpec> CallStackColumns();
std::span<const ColumnSpec> ModuleColumns();
std::span<const ColumnSpec> ProcessColumns();

// Each column's stored width, or its default.
std::vector<int> ReadColumnWidths(std::span<const ColumnSpec> columns, const GeometryReader& read);

}  // namespace tarvex
