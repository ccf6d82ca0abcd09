#include "app/maker_links.h"

namespace zorvik {

std::string WebSiteAddress() { return "http://" + std::string(kWebSite) + "/"; }

std::string MessengerChatAddress(std::string_view contactNumber) {
  return "http://wpa.qq.com/msgrd?v=3&uin=" + std::string(contactNumber) + "&site=qq&menu=yes";
}

}  // namespace zorvik
