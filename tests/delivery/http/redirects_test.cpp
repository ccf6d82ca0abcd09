#include "crashreport/delivery/http/redirects.h"

#include <gtest/gtest.h>

#include "crashreport/delivery/http/request_target.h"

namespace {

using namespace tarvex;

TEST(Redirects, HeaderValues) {
  const char* headers = "HTTP/1.1 302 Found\r\nServer: x\r\nlocation:  /next.php?a=1 \r\nX-Location: no\r\n\r\n";
  EXPECT_EQ(HeaderValue(headers, "Location"), "/next.php?a=1");
  EXPECT_EQ(HeaderValue(headers, "server"), "x");
  EXPECT_EQ(HeaderValue(headers, "Refresh"), std::nullopt);
  EXPECT_EQ(HeaderValue("", "Location"), std::nullopt);
}

TEST(Redirects, RefreshTargets) {
  EXPECT_EQ(RefreshTarget("0; url=show_bug.cgi?id=7"), "show_bug.cgi?id=7");
  EXPECT_EQ(RefreshTarget("5;URL= 'view.php?id=9' "), "view.php?id=9");
  EXPECT_EQ(RefreshTarget("5"), "");
}

TEST(Redirects, WhatEachResponseAsks) {
  struct TCase {
    int Status;
    const char* Headers;
    TRedirect Expected;
  } cases[] = {
      {302, "Location: /b\r\n", {302, "/b", true}},
      {301, "Location: /moved\r\n", {301, "/moved", false}},
      {303, "Location: /see\r\n", {303, "/see", false}},
      {302, "", {302, std::nullopt, false}},
      {200, "Refresh: 0; url=/after\r\n", {302, "/after", true}},
      {200, "Refresh: 10\r\n", {200, std::nullopt, false}},
      {200, "Location: /ignored\r\n", {200, std::nullopt, false}},
      {404, "Location: /x\r\n", {404, std::nullopt, false}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Status);
    const TRedirect got = RedirectOf(c.Status, c.Headers);
    EXPECT_EQ(got.Status, c.Expected.Status);
    EXPECT_EQ(got.Location, c.Expected.Location);
    EXPECT_EQ(got.Follow, c.Expected.Follow);
  }
}

TEST(RequestTarget, Split) {
  struct TCase {
    const char* Url;
    TRequestTarget Expected;
  } cases[] = {
      {"/bugs/enter_bug.cgi?product=A", {"/bugs/", "enter_bug.cgi", "?product=A"}},
      {"/", {"/", "", ""}},
      {"login.php", {"/", "login.php", ""}},
      {"http://host:81/a/b.php?x=/y", {"/a/", "b.php", "?x=/y"}},
      {"http://host", {"/", "", ""}},
      {"", {"/", "", ""}},
  };
  for (const TCase& c : cases) EXPECT_EQ(SplitRequestTarget(c.Url), c.Expected) << c.Url;
  EXPECT_EQ(SplitRequestTarget("/a/b.php?x=1").Text(), "/a/b.php?x=1");
}

TEST(RequestTarget, LocationsResolveBesideTheCurrentPage) {
  const TRequestTarget current{"/bt/", "login.php", "?a=1"};
  EXPECT_EQ(ResolveLocation(current, "main.php"), "/bt/main.php");
  EXPECT_EQ(ResolveLocation(current, "/root.php"), "/root.php");
  EXPECT_EQ(ResolveLocation(current, "http://other/x.php"), "http://other/x.php");
  EXPECT_EQ(ResolveLocation(current, "?page=2"), "/bt/login.php?page=2");
}

}  // namespace
