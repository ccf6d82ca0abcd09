// The maker's web site and messenger contact shown by the two link labels.
#pragma once

#include <string>
#include <string_view>

namespace zorvik {

inline constexpr std::string_view kWebSite = "www.zorvik.net";
inline constexpr std::string_view kContactNumber = "800321654";

// The web site's address as opened by the browser.
std::string WebSiteAddress();

// The messenger's web chat address that opens a chat with `contactNumber`.
std::string MessengerChatAddress(std::string_view contactNumber);

}  // namespace zorvik
