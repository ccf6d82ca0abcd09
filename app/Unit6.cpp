#include "app/Unit6.h"

#include <shellapi.h>

#include <string>

#include "app/maker_links.h"
#include "gui/wide_text.h"

using rtl::gui::Utf8ToWide;

TForm6* Form6 = nullptr;

namespace {

void AddNumberedItems(rtl::gui::ComboBox& list, std::wstring_view stem, int count) {
  for (int i = 1; i <= count; ++i) list.AddItem(std::wstring(stem) + std::to_wstring(i));
}

void OpenInBrowser(const std::string& address) {
  ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

void TForm6::Create() {
  CreateFormWindow({kCalculatorTitle, {0, 0}, {367, 337}, L"Tahoma", 11});

  pgc3.Create(*this, {0, 0, 369, 313});
  lbl10.Create(*this, {8, 319, 150, 13}, L"官方网站：" + Utf8ToWide(zorvik::kWebSite));
  lbl11.Create(*this, {232, 319, 112, 13}, L"联系QQ：" + Utf8ToWide(zorvik::kContactNumber));

  pgc3.AddSheet(ts1, L"衣服Shape转换");
  pgc3.AddSheet(ts2, L"武器Shape转换");
  pgc3.AddSheet(ts3, L"npc外观转换");
  pgc3.AddSheet(ts4, L"怪物外观转换");

  CreatePage(ts1, clothing_, L"选择衣服图包：", 84);
  rtl::gui::SetTabOrder({&cbb5, &edt10, &mmo5, &btn5, &edt9});
  CreatePage(ts2, weapons_, L"选择武器图包：", 84);
  rtl::gui::SetTabOrder({&edt1, &edt2, &cbb1, &btn1, &mmo1});
  CreatePage(ts3, npcs_, L"选择PNC图包：", 80);
  rtl::gui::SetTabOrder({&edt3, &edt4, &cbb2, &btn2, &mmo2});
  CreatePage(ts4, monsters_, L"选择怪物图包：", 84);
  rtl::gui::SetTabOrder({&edt5, &edt6, &cbb3, &btn3, &mmo3});
  pgc3.SetActivePageIndex(3);

  btn5.OnClick = [this] { btn5Click(); };
  btn1.OnClick = [this] { btn1Click(); };
  btn2.OnClick = [this] { btn2Click(); };
  btn3.OnClick = [this] { btn3Click(); };
  lbl10.OnClick = [this] { lbl10Click(); };
  lbl11.OnClick = [this] { lbl11Click(); };

  FormCreate();
}

void TForm6::CreatePage(const rtl::gui::TabSheet& sheet, const ConverterPage& page,
                        std::wstring_view packagePrompt, int packagePromptWidth) {
  page.packagePrompt.Create(sheet, {14, 43, packagePromptWidth, 13}, packagePrompt);
  page.materialPrompt.Create(sheet, {14, 88, 84, 13}, L"输入素材编号：");
  page.shapePrompt.Create(sheet, {32, 131, 42, 13}, L"Shape：");
  page.packages.Create(sheet, {122, 40, 145, 21});
  page.material.Create(sheet, {122, 85, 121, 21});
  page.shape.Create(sheet, {122, 128, 121, 21});
  page.convert.Create(sheet, {80, 165, 75, 25}, L"转换");
  page.results.Create(sheet, {14, 196, 299, 89});
}

void TForm6::FormCreate() {
  AddNumberedItems(cbb5, L"Human", 9);
  AddNumberedItems(cbb1, L"weapon", 9);
  AddNumberedItems(cbb2, L"npc", 2);
  AddNumberedItems(cbb3, L"monster", 9);
}

// The edits' texts go to the conversion in the system code page, the runtime's
// string encoding, so that a conversion error quotes them as typed.
void TForm6::Convert(const zorvik::ShapeKind& kind, const ConverterPage& page) {
  const std::optional<std::string> line =
      zorvik::Convert(kind, rtl::gui::WideToAnsi(page.material.Text()),
                      rtl::gui::WideToAnsi(page.shape.Text()), page.packages.ItemIndex());
  if (line) page.results.AppendLine(Utf8ToWide(*line));
}

void TForm6::btn5Click() { Convert(zorvik::kClothing, clothing_); }
void TForm6::btn1Click() { Convert(zorvik::kWeapons, weapons_); }
void TForm6::btn2Click() { Convert(zorvik::kNpcs, npcs_); }
void TForm6::btn3Click() { Convert(zorvik::kMonsters, monsters_); }

void TForm6::lbl10Click() { OpenInBrowser(zorvik::WebSiteAddress()); }
void TForm6::lbl11Click() { OpenInBrowser(zorvik::MessengerChatAddress(zorvik::kContactNumber)); }
