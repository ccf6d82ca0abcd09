// The screenshot of the moment of an exception: the screen is copied when
// the exception is handled (before any dialog covers the program) and
// written to a file later, when delivery asks for it. One capture at a time,
// process-wide, from CaptureScreenshot to FreeScreenshot.
#pragma once

#include <windows.h>

#include <string>

#include "crashreport/base/options/options.h"

namespace tarvex {

// What the screenshot marks, noted at exception time.
struct ScreenshotMarks {
  HWND Focus = nullptr;     // the control with the keyboard focus: framed in red
  HCURSOR Cursor = nullptr;  // drawn at CursorAt less its hot spot
  POINT CursorAt{};         // screen coordinates
};

// The keyboard focus of the thread `guiThreadId` (the one that runs the
// program's windows) and the mouse cursor as they are now.
ScreenshotMarks NoteScreenshotMarks(DWORD guiThreadId);

// Copies the area into a bitmap and draws the marks:
// - with ScreenshotForegroundOnly, the foreground window (the desktop when
//   there is none), from its own device context;
// - else the union of this program's visible, non-minimised top-level windows,
//   clipped to the virtual screen, copied from the screen; the whole desktop
//   window when that leaves nothing.
// A capture still held is freed first.
void CaptureScreenshot(const TTarvexModuleOptions& options, const ScreenshotMarks& marks);

// Writes the captured picture, reduced to 256 colours, as a PNG file at
// `path`. Does nothing for an empty path or without a capture; a file that
// cannot be written is left out, never half written, and nothing is raised.
void SaveScreenshot(const std::string& path);

// Releases what the capture holds.
void FreeScreenshot();

}  // namespace tarvex
