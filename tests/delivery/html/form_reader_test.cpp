#include "crashreport/delivery/html/form_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "crashreport/delivery/html/html_entities.h"

namespace {

using namespace tarvex;

std::string Page(const char* name) {
  std::ifstream file(std::string(VX_HTML_PAGES) + "/" + name, std::ios::binary);
  EXPECT_TRUE(file) << name;
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST(HtmlEntities, NamedAndNumericReferences) {
  EXPECT_EQ(DecodeEntities("a&amp;b &QUOT;q&quot; &lt;t&gt;&nbsp;&apos;"), "a&b \"q\" <t> '");
  EXPECT_EQ(DecodeEntities("&#65;&#x42;&#099;"), "ABc");
  // Left as they are: unknown names, references without ";", out of range.
  EXPECT_EQ(DecodeEntities("&copy; &#65 &#9999; & &#;"), "&copy; &#65 &#9999; & &#;");
  EXPECT_EQ(DecodeEntities("&amp;lt;"), "&lt;");
}

TEST(FormReader, InputValues) {
  const std::string page = Page("report_form.html");
  struct TCase {
    const char* Name;
    std::optional<std::string> Value;
  } cases[] = {
      {"token", "a1b2&c3"},
      {"quoted", "single quoted"},
      {"bare", "unquoted"},
      {"title", "x > y"},  // a ">" inside quotes does not end the element
      {"empty", ""},
      {"name", std::nullopt},  // "username=" is not "name="
      {"missing", std::nullopt},
  };
  for (const TCase& c : cases) EXPECT_EQ(InputValue(page, c.Name), c.Value) << c.Name;
}

TEST(FormReader, ElementTextsCompactTheirTags) {
  EXPECT_EQ(ElementTexts("<input type = \"a = b\"  name =x / >", hkInput),
            std::vector<std::string>{"type=\"a = b\"  name=x"});
  EXPECT_EQ(ElementTexts("<INPUT\tname=a><inputs name=b><input name=c>", hkInput),
            (std::vector<std::string>{"name=a", "name=c"}));
  // An apostrophe in text is no quote: the next element is still found.
  EXPECT_EQ(ElementTexts("<p>It's</p><input name=a value=it's><input name=b>", hkInput),
            (std::vector<std::string>{"name=a value=it's", "name=b"}));
  // An element the page never closes runs to its end.
  EXPECT_EQ(ElementTexts("<input name=\"a>", hkInput), std::vector<std::string>{"name=\"a>"});
}

TEST(FormReader, SelectOptions) {
  const std::string page = Page("report_form.html");
  using Options = std::vector<TSelectOption>;
  EXPECT_EQ(SelectOptions(page, "project"),
            (Options{{"1", "Alpha", false}, {"2", "Beta & Gamma", true}, {"3", "It's \"Delta\"", false}}));
  EXPECT_EQ(SelectOptions(page, "severity"),
            (Options{{"10", "minor", false}, {"50", "CRASH", false}, {"block", "block", false}}));
  EXPECT_EQ(SelectOptions(page, "blank"), (Options{{"", "(choose)", true}}));
  EXPECT_EQ(SelectOptions(page, "token"), std::nullopt);
}

TEST(FormReader, SavedTrackerPages) {
  const std::string entry = Page("enter_bug.html");
  const auto components = SelectOptions(entry, "component");
  ASSERT_TRUE(components);
  ASSERT_EQ(components->size(), 400u);
  EXPECT_EQ((*components)[137], (TSelectOption{"137", "Component 137 & parts", true}));
  EXPECT_EQ(std::count_if(components->begin(), components->end(), [](const TSelectOption& o) { return o.Selected; }), 1);
  using Options = std::vector<TSelectOption>;
  EXPECT_EQ(SelectOptions(entry, "bug_severity"), (Options{{"blocker", "blocker", false}, {"critical", "critical", false},
                                                          {"normal", "normal", true}, {"minor", "minor", false}}));
  EXPECT_EQ(InputValue(entry, "token"), "1701-x9Fq&z");
  EXPECT_EQ(TextareaValue(entry, "comment"), "Steps: open, convert <Shape>.");

  const std::string list = Page("bug_list.html");
  EXPECT_EQ(IdentifierAfter(list, "show_bug.cgi?id=", 1), "1000");
  EXPECT_EQ(IdentifierAfter(list, "show_bug.cgi?id=", 300), "3093");
  EXPECT_EQ(IdentifierAfter(list, "show_bug.cgi?id=", 301), "");
  EXPECT_EQ(InputValue(list, "quicksearch"), "EAccessViolation (A1B2)");
}

TEST(FormReader, TextAreas) {
  const std::string page = Page("report_form.html");
  EXPECT_EQ(TextareaValue(page, "steps"), "Open the file,\n  press <Convert> & wait.");
  EXPECT_EQ(TextareaValue(page, "notes"), "");
  EXPECT_EQ(TextareaValue(page, "title"), std::nullopt);
}

TEST(FormReader, IdentifiersAfterAMarker) {
  const std::string page = Page("report_form.html");
  EXPECT_EQ(IdentifierAfter(page, "VIEW.php?id=", 1), "1234");
  EXPECT_EQ(IdentifierAfter(page, "view.php?id=", 2), "98");
  EXPECT_EQ(IdentifierAfter(page, "view.php?id=", 3), "");
  EXPECT_EQ(IdentifierAfter(page, "Report A ", 1), "bug");
  EXPECT_EQ(IdentifierAfter("id=ab\\cd", "id=", 1), "ab");
  EXPECT_EQ(IdentifierAfter(page, "", 1), "");
}

}  // namespace
