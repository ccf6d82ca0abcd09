#include "app/maker_links.h"

#include <gtest/gtest.h>

namespace {

TEST(MakerLinks, MessengerAddressCarriesTheChatQuery) {
  EXPECT_EQ(zorvik::MessengerChatAddress("12345"),
            "http://wpa.qq.com/msgrd?v=3&uin=12345&site=qq&menu=yes");
}

TEST(MakerLinks, WebSiteAddressIsTheShownSite) {
  EXPECT_EQ(zorvik::WebSiteAddress(), "http://" + std::string(zorvik::kWebSite) + "/");
}

}  // namespace
