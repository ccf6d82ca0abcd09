// The calculator's main window: four tab pages, one per kind of package, each
// converting a Shape to its package and material number or back.
#pragma once

#include "app/shape_conversion.h"
#include "gui/form.h"
#include "gui/page_control.h"
#include "gui/std_controls.h"

// The window's caption and the application's title.
inline constexpr wchar_t kCalculatorTitle[] = L"Zorvik素材计算工具";

class TForm6 : public rtl::gui::Form {
 public:
  rtl::gui::PageControl pgc3;
  rtl::gui::Label lbl10;  // the maker's web site
  rtl::gui::Label lbl11;  // a messenger chat with the maker

  rtl::gui::TabSheet ts1;  // clothing
  rtl::gui::Label lbl13, lbl14, lbl15;
  rtl::gui::ComboBox cbb5;
  rtl::gui::Edit edt10;  // material number
  rtl::gui::Memo mmo5;
  rtl::gui::Button btn5;
  rtl::gui::Edit edt9;  // Shape

  rtl::gui::TabSheet ts2;  // weapons
  rtl::gui::Label lbl1, lbl2, lbl3;
  rtl::gui::Edit edt1;  // Shape
  rtl::gui::Edit edt2;  // material number
  rtl::gui::ComboBox cbb1;
  rtl::gui::Button btn1;
  rtl::gui::Memo mmo1;

  rtl::gui::TabSheet ts3;  // NPCs
  rtl::gui::Label lbl4, lbl5, lbl6;
  rtl::gui::Edit edt3;  // Shape
  rtl::gui::Edit edt4;  // material number
  rtl::gui::ComboBox cbb2;
  rtl::gui::Button btn2;
  rtl::gui::Memo mmo2;

  rtl::gui::TabSheet ts4;  // monsters
  rtl::gui::Label lbl7, lbl8, lbl9;
  rtl::gui::Edit edt5;  // Shape
  rtl::gui::Edit edt6;  // material number
  rtl::gui::ComboBox cbb3;
  rtl::gui::Button btn3;
  rtl::gui::Memo mmo3;

  // Builds the window from its layout, connects the events, runs FormCreate.
  void Create() override;

  void FormCreate();
  void btn5Click();
  void btn1Click();
  void btn2Click();
  void btn3Click();
  void lbl10Click();
  void lbl11Click();

 private:
  // The controls of one converter page, by their part in the conversion.
  struct ConverterPage {
    rtl::gui::Label& packagePrompt;
    rtl::gui::Label& materialPrompt;
    rtl::gui::Label& shapePrompt;
    rtl::gui::ComboBox& packages;
    rtl::gui::Edit& material;
    rtl::gui::Edit& shape;
    rtl::gui::Button& convert;
    rtl::gui::Memo& results;
  };

  static void CreatePage(const rtl::gui::TabSheet& sheet, const ConverterPage& page,
                         std::wstring_view packagePrompt, int packagePromptWidth);
  static void Convert(const zorvik::ShapeKind& kind, const ConverterPage& page);

  const ConverterPage clothing_{lbl13, lbl14, lbl15, cbb5, edt10, edt9, btn5, mmo5};
  const ConverterPage weapons_{lbl1, lbl2, lbl3, cbb1, edt2, edt1, btn1, mmo1};
  const ConverterPage npcs_{lbl4, lbl5, lbl6, cbb2, edt4, edt3, btn2, mmo2};
  const ConverterPage monsters_{lbl7, lbl8, lbl9, cbb3, edt6, edt5, btn3, mmo3};
};

extern TForm6* Form6;
