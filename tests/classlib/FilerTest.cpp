// Numbers in form descriptions: each ordinal property takes the values its type holds and refuses
// any other with the property, the form and the line named, instead of storing a value cut to fit;
// error texts show the control characters of a damaged description instead of ending at them.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "classlib/ComCtrls.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Filer.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"

namespace {

class TRangeForm : public TForm {
  VGT_CLASS(TRangeForm, TForm)
 public:
  using TForm::TForm;
};
VGT_PUBLISH(TRangeForm) {}

class Filer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Application->Initialize(); }
};

// The description of a form whose property Prop (or its component C of class Class) is Value;
// the property stands on line 2 for the form, on line 3 for the component.
std::wstring Describe(const wchar_t* Class, const wchar_t* Prop, const std::wstring& Value) {
  std::wstring line = std::wstring(Prop) + L" = " + Value + L"\n";
  if (!Class) return L"object F: TRangeForm\n  " + line + L"end\n";
  return L"object F: TRangeForm\n  object C: " + std::wstring(Class) + L"\n    " + line + L"  end\nend\n";
}

// The ordinal value of the (possibly dotted) property Path of Instance.
int64_t ValueOf(TPersistent* Instance, std::wstring Path) {
  size_t dot;
  while ((dot = Path.find(L'.')) != std::wstring::npos) {
    Instance = dynamic_cast<TPersistent*>(GetObjectProp(Instance, GetPropInfo(Instance, Path.substr(0, dot))));
    Path = Path.substr(dot + 1);
  }
  return GetOrdProp(Instance, GetPropInfo(Instance, Path));
}

std::string Narrow(const std::wstring& W) { return std::string(W.begin(), W.end()); }

// The ends of each kind's range are taken as they stand; decimal and hexadecimal alike.
TEST_F(Filer, EachOrdinalKindTakesTheEndsOfItsRange) {
  struct Case {
    const wchar_t* Class;  // nullptr: the form's own property
    const wchar_t* Prop;
    const wchar_t* Value;
    int64_t Stored;
  } cases[] = {
      // integer (int32)
      {nullptr, L"Left", L"-2147483648", -2147483647 - 1},
      {nullptr, L"Left", L"2147483647", 2147483647},
      {L"TButton", L"Width", L"$7FFFFFFF", 2147483647},
      {L"TButton", L"ModalResult", L"mrCancel", mrCancel},
      {nullptr, L"Tag", L"-$80000000", -2147483647 - 1},
      // cardinal (uint32)
      {L"TTimer", L"Interval", L"0", 0},
      {L"TTimer", L"Interval", L"4294967295", 4294967295},
      {L"TTimer", L"Interval", L"$FFFFFFFF", 4294967295},
      // byte
      {nullptr, L"AlphaBlendValue", L"0", 0},
      {nullptr, L"AlphaBlendValue", L"255", 255},
      {nullptr, L"Font.Charset", L"$FF", 255},
      // a character code (char) runs over 0-255 whatever the sign of char
      {L"TEdit", L"PasswordChar", L"255", -1},
      // colour: the whole of TColor, identifiers included
      {nullptr, L"Color", L"-2147483648", -2147483647 - 1},
      {nullptr, L"Color", L"$7FFFFFFF", 2147483647},
      {nullptr, L"TransparentColorValue", L"clBtnFace", clBtnFace},
      // enumeration and set: their names, the last ones too
      {L"TButton", L"Align", L"alCustom", static_cast<int64_t>(TAlign::alCustom)},
      {L"TButton", L"Anchors", L"[akLeft, akBottom]", 0b1001},
      {L"TButton", L"Visible", L"False", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(std::wstring(c.Prop) + L" = " + c.Value));
    std::unique_ptr<TRangeForm> f(TCustomForm::CreateNew<TRangeForm>(nullptr));
    ASSERT_NO_THROW(ReadComponentText(f.get(), Describe(c.Class, c.Prop, c.Value), L"TRangeForm"));
    TPersistent* target = c.Class ? static_cast<TPersistent*>(f->FindComponent(L"C")) : f.get();
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(ValueOf(target, c.Prop), c.Stored);
  }
}

// One past either end is refused, by the same message whatever the kind; nothing is stored.
TEST_F(Filer, ValuesBeyondTheRangeAreRefusedWithPropertyFormAndLine) {
  const std::string outside = " au\xDF" "erhalb des Bereichs von Eigenschaft ";
  struct Case {
    const wchar_t* Class;
    const wchar_t* Prop;
    const wchar_t* Value;
    std::string Refusal;  // after "Zeile n: "
  } cases[] = {
      // integer (int32)
      {nullptr, L"Left", L"2147483648", "Wert 2147483648" + outside + "Left (-2147483648..2147483647)"},
      {nullptr, L"Left", L"-2147483649", "Wert -2147483649" + outside + "Left (-2147483648..2147483647)"},
      {L"TButton", L"Width", L"4294967396", "Wert 4294967396" + outside + "C.Width (-2147483648..2147483647)"},
      {L"TButton", L"Width", L"$80000000", "Wert 2147483648" + outside + "C.Width (-2147483648..2147483647)"},
      {L"TButton", L"ModalResult", L"4294967297",
       "Wert 4294967297" + outside + "C.ModalResult (-2147483648..2147483647)"},
      // cardinal (uint32): negative numbers too
      {L"TTimer", L"Interval", L"-1", "Wert -1" + outside + "C.Interval (0..4294967295)"},
      {L"TTimer", L"Interval", L"4294967296", "Wert 4294967296" + outside + "C.Interval (0..4294967295)"},
      {L"TTimer", L"Interval", L"$100000000", "Wert 4294967296" + outside + "C.Interval (0..4294967295)"},
      // byte
      {nullptr, L"AlphaBlendValue", L"256", "Wert 256" + outside + "AlphaBlendValue (0..255)"},
      {nullptr, L"AlphaBlendValue", L"300", "Wert 300" + outside + "AlphaBlendValue (0..255)"},
      {nullptr, L"AlphaBlendValue", L"-1", "Wert -1" + outside + "AlphaBlendValue (0..255)"},
      {L"TButton", L"Font.Charset", L"$100", "Wert 256" + outside + "C.Font.Charset (0..255)"},
      {L"TEdit", L"PasswordChar", L"-1", "Wert -1" + outside + "C.PasswordChar (0..255)"},
      // colour
      {nullptr, L"Color", L"2147483648", "Wert 2147483648" + outside + "Color (-2147483648..2147483647)"},
      {nullptr, L"Color", L"-$80000001", "Wert -2147483649" + outside + "Color (-2147483648..2147483647)"},
      // enumeration and set: only their names, never a number
      {L"TButton", L"Align", L"7", "Ung\xFCltiger Wert f\xFCr Eigenschaft C.Align"},
      {L"TButton", L"Align", L"alMiddle", "Ung\xFCltiger Wert f\xFCr Eigenschaft C.Align"},
      {L"TButton", L"Anchors", L"[akLeft, akFront]", "Ung\xFCltiger Wert f\xFCr Eigenschaft C.Anchors"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(std::wstring(c.Prop) + L" = " + c.Value));
    std::unique_ptr<TRangeForm> f(TCustomForm::CreateNew<TRangeForm>(nullptr));
    int64_t before = ValueOf(f.get(), L"AlphaBlendValue");
    try {
      ReadComponentText(f.get(), Describe(c.Class, c.Prop, c.Value), L"TRangeForm");
      ADD_FAILURE() << "accepted";
    } catch (const EReadError& e) {
      std::string line = c.Class ? "3" : "2";
      EXPECT_EQ(std::string(e.what()),
                "Fehler beim Lesen der Formularbeschreibung TRangeForm, Zeile " + line + ": " + c.Refusal);
    }
    EXPECT_EQ(ValueOf(f.get(), L"AlphaBlendValue"), before);
  }
}

// Generic code setting an ordinal property is held to the same range.
TEST_F(Filer, SetOrdPropRefusesAValueOutsideTheRange) {
  std::unique_ptr<TRangeForm> f(TCustomForm::CreateNew<TRangeForm>(nullptr));
  const TPropInfo* alpha = GetPropInfo(f.get(), L"AlphaBlendValue");
  SetOrdProp(f.get(), alpha, 200);
  EXPECT_THROW(SetOrdProp(f.get(), alpha, 456), EPropertyConvertError);
  EXPECT_EQ(f->AlphaBlendValue(), 200);
}

// A control character where a value should be is named escaped, and the message goes on past it.
TEST_F(Filer, ControlCharactersInADescriptionAreShownEscapedInTheError) {
  struct Case {
    wchar_t Char;
    const char* Shown;
  } cases[] = {{L'\0', "\\x00"}, {L'\x1B', "\\x1B"}, {L'\x7F', "\\x7F"}, {L'\x01', "\\x01"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Shown);
    std::unique_ptr<TRangeForm> f(TCustomForm::CreateNew<TRangeForm>(nullptr));
    try {
      ReadComponentText(f.get(), Describe(nullptr, L"Caption", std::wstring(1, c.Char) + L"'x'"), L"TRangeForm");
      ADD_FAILURE() << "accepted";
    } catch (const EReadError& e) {
      EXPECT_EQ(std::string(e.what()), std::string("Fehler beim Lesen der Formularbeschreibung TRangeForm, Zeile 2: "
                                                   "Unerwartetes Zeichen '") +
                                           c.Shown + "'");
    }
  }
  // Inside a string a NUL is text like any other character.
  std::unique_ptr<TRangeForm> f(TCustomForm::CreateNew<TRangeForm>(nullptr));
  ReadComponentText(f.get(), Describe(L"TEdit", L"Text", L"'a'#0'b'"), L"TRangeForm");
  EXPECT_NE(f->FindComponent(L"C"), nullptr);
}

// A collection is written inline, item by item; an error inside an item names the item and its
// line.
TEST_F(Filer, CollectionsAreReadItemByItemAndErrorsNameTheItem) {
  {
    std::unique_ptr<TRangeForm> f(TCustomForm::CreateNew<TRangeForm>(nullptr));
    ReadComponentText(f.get(),
                      Describe(L"TCoolBar", L"Bands",
                               L"<\n      item\n        MinHeight = 19\n        FixedSize = True\n      end\n"
                               L"      item\n        Text = 'Zwei'\n        Break = False\n      end>"),
                      L"TRangeForm");
    auto* bar = dynamic_cast<TCoolBar*>(f->FindComponent(L"C"));
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->Bands()->Count(), 2);
    EXPECT_EQ(bar->Bands()->Items(0)->MinHeight(), 19);
    EXPECT_TRUE(bar->Bands()->Items(0)->FixedSize());
    EXPECT_TRUE(bar->Bands()->Items(0)->Break());
    EXPECT_EQ(bar->Bands()->Items(1)->Text(), "Zwei");
    EXPECT_FALSE(bar->Bands()->Items(1)->Break());
    EXPECT_EQ(bar->Bands()->Items(1)->Index(), 1);
    EXPECT_NE(bar->Bands()->Items(0)->ID(), bar->Bands()->Items(1)->ID());
  }
  {
    std::unique_ptr<TRangeForm> f(TCustomForm::CreateNew<TRangeForm>(nullptr));
    // An empty collection leaves none.
    ReadComponentText(f.get(), Describe(L"TCoolBar", L"Bands", L"<>"), L"TRangeForm");
    EXPECT_EQ(dynamic_cast<TCoolBar*>(f->FindComponent(L"C"))->Bands()->Count(), 0);
  }
  struct Case {
    const wchar_t* Prop;
    const wchar_t* Value;
    std::string Refusal;  // after "Formularbeschreibung TRangeForm, "
  } cases[] = {
      {L"Bands", L"<\n      thing\n      end>", "Zeile 4: 'item' erwartet"},
      {L"Bands", L"<\n      item\n        Colour = 3\n      end>",
       "Zeile 5: Eigenschaft C.Bands[0].Colour existiert nicht"},
      {L"Bands", L"<\n      item\n        MinHeight = 1\n      end\n      item\n        MinHeight = 'x'\n      end>",
       "Zeile 8: Ung\xFCltiger Wert f\xFCr Eigenschaft C.Bands[1].MinHeight"},
      {L"Bands", L"'Eins'", "Zeile 3: Ung\xFCltiger Wert f\xFCr Eigenschaft C.Bands"},
      {L"Font", L"<\n      item\n      end>", "Zeile 3: Ung\xFCltiger Wert f\xFCr Eigenschaft C.Font"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.Value));
    std::unique_ptr<TRangeForm> f(TCustomForm::CreateNew<TRangeForm>(nullptr));
    try {
      ReadComponentText(f.get(), Describe(L"TCoolBar", c.Prop, c.Value), L"TRangeForm");
      ADD_FAILURE() << "accepted";
    } catch (const EReadError& e) {
      EXPECT_EQ(std::string(e.what()), "Fehler beim Lesen der Formularbeschreibung TRangeForm, " + c.Refusal);
    }
  }
}

// A description stands for the class it is read into or an ancestor with descriptions of its own,
// never for one of the library's base classes; an inherited component is named with its class.
TEST_F(Filer, DescriptionOfAnotherClassIsRefusedAtTheRootAndOnInheritedLines) {
  const std::string prefix = "Fehler beim Lesen der Formularbeschreibung TRangeForm, Zeile ";
  struct Case {
    const wchar_t* Text;
    std::string Refusal;  // empty: accepted
  } cases[] = {
      {L"object F: TRangeForm\nend\n", ""},
      {L"object F: TForm\nend\n", ""},  // the ancestor's own description
      {L"object F: TObject\nend\n", "1: Die Beschreibung geh\xF6rt zur Klasse TObject, nicht zu TRangeForm"},
      {L"object F: TComponent\nend\n", "1: Die Beschreibung geh\xF6rt zur Klasse TComponent, nicht zu TRangeForm"},
      {L"inherited F: TCustomForm\nend\n", "1: Die Beschreibung geh\xF6rt zur Klasse TCustomForm, nicht zu TRangeForm"},
      {L"object F: TButton\nend\n", "1: Die Beschreibung geh\xF6rt zur Klasse TButton, nicht zu TRangeForm"},
      {L"inherited F: TRangeForm\n  inherited C: TButton\n    Width = 5\n  end\nend\n", ""},
      {L"inherited F: TRangeForm\n  inherited C: TLabel\n    Width = 5\n  end\nend\n",
       "2: Komponente C geh\xF6rt zur Klasse TButton, nicht zu TLabel"},
      {L"inherited F: TRangeForm\n  inherited C: TObject\n  end\nend\n",
       "2: Komponente C geh\xF6rt zur Klasse TButton, nicht zu TObject"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.Text));
    std::unique_ptr<TRangeForm> f(TCustomForm::CreateNew<TRangeForm>(nullptr));
    ReadComponentText(f.get(), Describe(L"TButton", L"Width", L"40"), L"TRangeForm");
    try {
      ReadComponentText(f.get(), c.Text, L"TRangeForm");
      EXPECT_TRUE(c.Refusal.empty()) << "accepted";
    } catch (const EReadError& e) {
      EXPECT_EQ(std::string(e.what()), prefix + c.Refusal);
    }
    EXPECT_EQ(ValueOf(f->FindComponent(L"C"), L"Width"), c.Refusal.empty() && wcsstr(c.Text, L"Width") ? 5 : 40);
  }
}

}  // namespace
