#include "crashreport/delivery/http/request_builder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "rtl/exception.h"

namespace {

using namespace tarvex;

class RequestBuilder : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ifstream file(std::string(VX_HTML_PAGES) + "/report_form.html", std::ios::binary);
    ASSERT_TRUE(file);
    builder.LastResponse.Body.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    builder.LastResponse.Document = "report_form.php";
    builder.RootPath = "/bt/";
  }
  THTTPRequestBuilder builder;
};

TEST_F(RequestBuilder, SetRequestStartsAFreshRequest) {
  builder.AddField("a", "1");
  builder.AddFile("f", "C:\\x.txt");
  builder.SetRequest("login.php", hmPostUrlEncoded);
  EXPECT_EQ(builder.NextURL, "/bt/login.php");
  EXPECT_EQ(builder.Method, hmPostUrlEncoded);
  EXPECT_TRUE(builder.FormFields.empty());
  EXPECT_TRUE(builder.FormFiles.empty());
  builder.AddField("b", "2");
  builder.Redirect("/bt/main.php");
  EXPECT_EQ(builder.NextURL, "/bt/main.php");
  EXPECT_EQ(builder.Method, hmGet);
  EXPECT_TRUE(builder.FormFields.empty());
}

TEST_F(RequestBuilder, CopiesFieldsFromTheLastResponse) {
  builder.CopyInputField("token");
  builder.CopyInputField("empty");        // empty value: nothing
  builder.CopyInputField("missing");      // no such input: nothing
  builder.CopyTextareaField("steps");
  builder.CopySelectField("project");     // selected option
  builder.CopySelectField("none");        // nothing selected: empty value
  builder.CopySelectField("quoted");      // no select: the input
  builder.CopySelectFieldIfSet("blank");  // selected but empty: nothing
  builder.CopySelectFieldIfSet("project");
  builder.SelectOption("severity", "crash");
  builder.SelectOption("project", "omega");  // no such option: empty value
  builder.SelectOption("token", "x");        // no such select: nothing
  const TFormFields expected{{"token", "a1b2&c3"},      {"steps", "Open the file,\n  press <Convert> & wait."},
                             {"project", "2"},          {"none", ""},
                             {"quoted", "single quoted"}, {"project", "2"},
                             {"severity", "50"},        {"project", ""}};
  EXPECT_EQ(builder.FormFields, expected);
}

TEST_F(RequestBuilder, IncrementCounter) {
  struct TCase {
    const char* Name;
    bool Result;
    std::optional<std::string> Added;
  } cases[] = {
      {"version", true, "[v1.2 - 42]: Access violation (A1B2)"},
      {"full", false, std::nullopt},
      {"words", true, "[v1.2 - many]"},
      {"token", true, "a1b2&c3"},
      {"missing", true, ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    builder.FormFields.clear();
    EXPECT_EQ(builder.IncrementCounter(c.Name), c.Result);
    if (c.Added) {
      EXPECT_EQ(builder.FormFields, (TFormFields{{c.Name, *c.Added}}));
    } else {
      EXPECT_TRUE(builder.FormFields.empty());
    }
  }
}

TEST_F(RequestBuilder, CustomFieldsReplaceByNameAndLeaveTheLastFourOut) {
  builder.AddField("summary", "old");
  builder.AddField("keep", "k");
  builder.AddCustomFields({{"summary", "new"}, {"extra", "e"}, {"t1", ""}, {"t2", ""}, {"t3", ""}, {"t4", ""}});
  EXPECT_EQ(builder.FormFields, (TFormFields{{"summary", "new"}, {"keep", "k"}, {"extra", "e"}}));
  builder.AddCustomFields({{"a", "1"}, {"b", "2"}, {"c", "3"}});
  EXPECT_EQ(builder.FormFields.size(), 3u);
}

TEST_F(RequestBuilder, TextFields) {
  builder.SetSummaryField("summary", "1.2", "EAccessViolation", "A1B2");
  builder.SetSearchField("search", "EAccessViolation", "A1B2");
  EXPECT_EQ(builder.FormFields, (TFormFields{{"summary", "[v1.2 - 1]: EAccessViolation (A1B2)"},
                                             {"search", "EAccessViolation (A1B2)"}}));
  EXPECT_EQ(THTTPRequestBuilder::Describe("text", ""), "text");
  EXPECT_EQ(THTTPRequestBuilder::Describe("text", "more"), "text\r\n\r\n---\r\n\r\nmore");
}

TEST_F(RequestBuilder, ResponseIs) {
  EXPECT_TRUE(builder.ResponseIs("", "", ""));
  EXPECT_TRUE(builder.ResponseIs("REPORT_FORM.PHP", "report a BUG", "access denied"));
  EXPECT_FALSE(builder.ResponseIs("login.php", "", ""));
  EXPECT_FALSE(builder.ResponseIs("", "access denied", ""));
  EXPECT_FALSE(builder.ResponseIs("", "", "It's DONE"));
}

TEST(HTTPResponse, AssignCopiesAndRefusesNothing) {
  THTTPResponse source;
  source.StatusCode = 404;
  source.Body = "gone";
  source.ErrorCode = 12007;
  THTTPResponse copy;
  copy.Assign(&source);
  EXPECT_EQ(copy.StatusCode, 404);
  EXPECT_EQ(copy.Body, "gone");
  EXPECT_EQ(copy.ErrorCode, 12007u);
  try {
    copy.Assign(nullptr);
    FAIL() << "no exception";
  } catch (const rtl::Exception& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a THTTPResponse class to a NIL value.");
  }
  copy.Clear();
  EXPECT_EQ(copy.StatusCode, 0);
  EXPECT_EQ(copy.Body, "");
}

}  // namespace
