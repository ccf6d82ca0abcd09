// The dialog option bits (DialogFlags) the exception dialogs read. The low
// byte is the first option byte, the high byte the second.
#pragma once

#include <cstdint>

namespace tarvex {

inline constexpr uint16_t dfSendChecked = 0x0001;        // detailed dialog: send box starts checked
inline constexpr uint16_t dfScreenshotChecked = 0x0002;  // detailed dialog: screenshot box starts checked
inline constexpr uint16_t dfOfferCopy = 0x0004;          // offer copying to the clipboard
inline constexpr uint16_t dfDetailsLink = 0x0008;        // show the details link
inline constexpr uint16_t dfStartExpanded = 0x0010;      // detailed dialog starts expanded
inline constexpr uint16_t dfTopmost = 0x0020;            // keep the dialog topmost
// 0x0040 dfOwnDialogLook and 0x0080 dfOfferSending: option_types.h
inline constexpr uint16_t dfOfferScreenshot = 0x0100;    // second byte, bit 0
inline constexpr uint16_t dfCustomButton = 0x0200;       // second byte, bit 1: the Help button

}  // namespace tarvex
