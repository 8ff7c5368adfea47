// The library's message box: icons, sounds and translated buttons by type and set, the result of
// every button, Esc and Enter, the details pane, texts outside the code page and a text of 10,000
// characters without a blank, and the legal warning in German with the stored language.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <vector>

#include "base/DeviceContext.h"
#include "common/trvCommonTexts.h"
#include "common/trvGenericForms.h"
#include "common/trvRegistry.h"
#include "common/trvTools.h"
#include "tools/winshot/Screenshot.h"
#include "tests/support/TextLines.h"
#include "tests/support/WindowSupport.h"
#include "unicode/GnuGettext.h"
#include "unicode/UtxWindows.h"

namespace {

const WideString kGreek = L"\x0391\x03C5\x03C4\x03CC \x03B5\x03AF\x03BD\x03B1\x03B9 \x03AD\x03BD\x03B1 \x03BC\x03AE\x03BD\x03C5\x03BC\x03B1";
const WideString kCjk = L"\x9019\x662F\x4E00\x689D\x6D88\x606F\x3002\x3053\x308C\x306F\x30E1\x30C3\x30BB\x30FC\x30B8";

WideString Shown(const WideString& Text) { return UnicodePlatform() ? Text : WidenText(NarrowText(Text)); }

// While it lives, each library message box the thread shows is handed to Answer once its window
// shows (before the modal loop runs), so that the test can read it and post what the user does.
class TBoxAnswerer {
 public:
  using TAnswer = std::function<void(TfrmMessageBox* Box)>;
  explicit TBoxAnswerer(TAnswer Answer) : FAnswer(std::move(Answer)), FOuter(Active) {
    Active = this;
    FHook = SetWindowsHookExW(WH_CALLWNDPROCRET, AfterWindowProc, nullptr, GetCurrentThreadId());
  }
  ~TBoxAnswerer() {
    UnhookWindowsHookEx(FHook);
    Active = FOuter;
  }
  TBoxAnswerer(const TBoxAnswerer&) = delete;
  TBoxAnswerer& operator=(const TBoxAnswerer&) = delete;
  int Boxes() const { return FBoxes; }

 private:
  static LRESULT CALLBACK AfterWindowProc(int Code, WPARAM WParam, LPARAM LParam) {
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(LParam);
    TBoxAnswerer* self = Active;
    if (self && Code == HC_ACTION) {
      // A box may be shown by more than one call: it is answered at the first.
      if (call->message == WM_SHOWWINDOW && call->wParam && call->hwnd != self->FAnswered)
        if (auto* box = dynamic_cast<TfrmMessageBox*>(FindControl(call->hwnd))) {
          self->FAnswered = call->hwnd;
          ++self->FBoxes;
          self->FAnswer(box);
        }
      if (call->message == WM_DESTROY && call->hwnd == self->FAnswered) self->FAnswered = nullptr;
    }
    return CallNextHookEx(nullptr, Code, WParam, LParam);
  }
  static inline TBoxAnswerer* Active = nullptr;
  TAnswer FAnswer;
  TBoxAnswerer* FOuter;
  HHOOK FHook = nullptr;
  HWND FAnswered = nullptr;
  int FBoxes = 0;
};

void PostKey(TfrmMessageBox* Box, WPARAM Key) {
  PostMessageW(Box->ActiveControl()->Handle(), WM_KEYDOWN, Key, 1);
}
void PostClick(TUtxButton* Button) { PostMessageW(Button->Handle(), BM_CLICK, 0, 0); }

WideString ButtonCaptions(TfrmMessageBox* Box) {
  WideString all;
  for (TUtxButton* b : Box->Buttons()) all += (all.empty() ? L"" : L"|") + b->GetCaption();
  return all;
}

class LibraryMessageBox : public ::testing::Test {
 protected:
  void SetUp() override {
    SetCatalogFolder(L"");
    UseLanguage(L"en");
  }
  void TearDown() override { UseLanguage(L"en"); }
  TStartedApplication App;
};

// ---- buttons and their results ----

TEST_F(LibraryMessageBox, YesNoQuestionYesAndEscGiveTheirResults) {
  WideString captions;
  TtrvWindowsImageIndex icon{};
  TBoxAnswerer answer([&](TfrmMessageBox* Box) {
    captions = ButtonCaptions(Box);
    icon = Box->Icon()->WindowsImage();
    EXPECT_EQ(Box->EscapeButton(), Box->Buttons()[1]);
    EXPECT_EQ(Box->ActiveControl(), Box->Buttons()[0]);
    PostClick(Box->Buttons()[0]);
  });
  EXPECT_EQ(ShowMessageBox(nullptr, L"Veilgate", L"Question?", L"", ButtonsYesNo, MessageTypeQuestion), mrYes);
  EXPECT_EQ(captions, L"&Yes|&No");
  EXPECT_EQ(icon, TtrvWindowsImageIndex::wicQues);
  EXPECT_EQ(MessageTypeSound(MessageTypeQuestion), nullptr);

  TBoxAnswerer esc([&](TfrmMessageBox* Box) { PostKey(Box, VK_ESCAPE); });
  EXPECT_EQ(ShowMessageBox(nullptr, L"Veilgate", L"Question?", L"", ButtonsYesNo, MessageTypeQuestion), mrNo);
  EXPECT_EQ(esc.Boxes(), 1);
}

TEST_F(LibraryMessageBox, EveryButtonGivesItsResultInKindOrder) {
  const TModalResult expected[] = {mrOk, mrYes, mrRetry, mrIgnore, mrSaveLater, mrCreateNew, mrNo, mrCancel};
  const wchar_t* captions[] = {L"&OK", L"&Yes", L"&Retry", L"&Ignore", L"Save &Later", L"Cr&eate New", L"&No", L"&Cancel"};
  for (int kind = 0; kind < 8; ++kind) {
    int seen = 0;
    TBoxAnswerer answer([&](TfrmMessageBox* Box) {
      // All eight and Details: the one pressed is the kind's.
      ASSERT_EQ(Box->Buttons().size(), 9u);
      seen = static_cast<int>(Box->Buttons().size());
      EXPECT_EQ(Box->Buttons()[kind]->GetCaption(), captions[kind]);
      EXPECT_EQ(Box->Buttons()[kind]->Left(), kind * 90);
      EXPECT_EQ(Box->Buttons()[kind]->Width(), 80);
      PostClick(Box->Buttons()[kind]);
    });
    EXPECT_EQ(ShowMessageBox(nullptr, L"All", L"Every button", L"", 0x01FF, 2), expected[kind]) << kind;
    EXPECT_EQ(seen, 9);
  }
}

TEST_F(LibraryMessageBox, TheEscButtonIsCancelThenNoThenIgnore) {
  const struct {
    TtrvMessageButtons Buttons;
    TModalResult Esc;
  } cases[] = {{0x0088, mrCancel}, {0x00C8, mrCancel}, {0x0048, mrNo}, {0x000C, mrIgnore}, {0x0000, mrOk}};
  for (const auto& c : cases) {
    TBoxAnswerer answer([&](TfrmMessageBox* Box) { PostKey(Box, VK_ESCAPE); });
    EXPECT_EQ(ShowMessageBox(nullptr, L"Esc", L"Esc", L"", c.Buttons, 1), c.Esc) << c.Buttons;
  }
}

TEST_F(LibraryMessageBox, EnterPressesTheFocusedButtonAsTheSetAsks) {
  {
    TBoxAnswerer answer([&](TfrmMessageBox* Box) { PostKey(Box, VK_RETURN); });
    EXPECT_EQ(ShowMessageBox(nullptr, L"Enter", L"Enter", L"", ButtonsYesNo, 4), mrYes);
  }
  {
    TBoxAnswerer answer([&](TfrmMessageBox* Box) {
      EXPECT_EQ(Box->ActiveControl(), Box->Buttons()[1]);
      PostKey(Box, VK_RETURN);
    });
    EXPECT_EQ(ShowMessageBox(nullptr, L"Enter", L"Enter", L"", ButtonsYesNo | ButtonsFocusSecond, 4), mrNo);
  }
  {
    // Yes, No, Cancel with the third focused.
    TBoxAnswerer answer([&](TfrmMessageBox* Box) { PostKey(Box, VK_RETURN); });
    EXPECT_EQ(ShowMessageBox(nullptr, L"Enter", L"Enter", L"", 0x00C2 | ButtonsFocusThird, 4), mrCancel);
  }
  {
    // A focus bit without that many buttons leaves the focus on the first.
    TBoxAnswerer answer([&](TfrmMessageBox* Box) {
      ASSERT_EQ(Box->Buttons().size(), 1u);
      EXPECT_EQ(Box->ActiveControl(), Box->Buttons()[0]);
      PostKey(Box, VK_RETURN);
    });
    EXPECT_EQ(ShowMessageBox(nullptr, L"Enter", L"Enter", L"", 0x0040 | ButtonsFocusSecond, 4), mrNo);
  }
}

TEST_F(LibraryMessageBox, ClosingWithoutAButtonIsCancel) {
  TBoxAnswerer answer([&](TfrmMessageBox* Box) { PostMessageW(Box->Handle(), WM_CLOSE, 0, 0); });
  EXPECT_EQ(ShowMessageBox(nullptr, L"Close", L"Closed by its close box", L"", ButtonsYesNo, 4), mrCancel);
}

TEST_F(LibraryMessageBox, DetailsOpensAndClosesThePaneAndOnlyOkEndsTheBox) {
  std::vector<int> heights;
  WideString details;
  TBoxAnswerer answer([&](TfrmMessageBox* Box) {
    TUtxButton* detailsButton = Box->Buttons()[1];
    EXPECT_EQ(detailsButton->GetCaption(), L"&Details");
    EXPECT_EQ(Box->EscapeButton(), nullptr);
    heights.push_back(Box->Height());
    auto toggle = detailsButton->OnClick;
    detailsButton->OnClick = [&, Box, toggle](TObject* Sender) {
      toggle(Sender);
      heights.push_back(Box->Height());
      if (Box->DetailsMemo()) details = Box->DetailsMemo()->Text();
    };
    PostKey(Box, VK_ESCAPE);  // nothing: no button is the Esc button
    PostClick(detailsButton);
    PostClick(detailsButton);
    PostClick(Box->Buttons()[0]);
  });
  EXPECT_EQ(ShowMessageBoxDefault(nullptr, L"Details", L"See the details", L"first\\nsecond " + kGreek, 6), mrOk);
  ASSERT_EQ(heights.size(), 3u);
  EXPECT_EQ(heights[1], heights[0] + 69);
  EXPECT_EQ(heights[2], heights[0]);
  EXPECT_EQ(details, Shown(L"first\r\nsecond " + kGreek));
}

TEST_F(LibraryMessageBox, ErrorBoxShowsTheExceptionAsDetails) {
  WideString details;
  TBoxAnswerer answer([&](TfrmMessageBox* Box) {
    PostClick(Box->Buttons()[1]);
    PostClick(Box->Buttons()[0]);
    auto toggle = Box->Buttons()[1]->OnClick;
    Box->Buttons()[1]->OnClick = [&, Box, toggle](TObject* Sender) {
      toggle(Sender);
      details = Box->DetailsMemo()->Text();
    };
  });
  ShowErrorBox(nullptr, L"Veilgate", L"The zone could not be changed.", ETRVException(L"Zone write failed"),
               MessageTypeError);
  EXPECT_EQ(details, L"ETRVException: Zone write failed");
}

// ---- icons and sounds ----

TEST_F(LibraryMessageBox, EachTypeHasItsIconColumnAndSound) {
  const struct {
    TtrvMessageType Type;
    TtrvWindowsImageIndex Icon;
    const wchar_t* Sound;
  } cases[] = {{0, TtrvWindowsImageIndex::wiNothing, nullptr},
               {1, TtrvWindowsImageIndex::wicWarning, L"SystemExclamation"},
               {2, TtrvWindowsImageIndex::wicInformation, L"SystemAsterisk"},
               {3, TtrvWindowsImageIndex::wicInformation, L"SystemAsterisk"},
               {4, TtrvWindowsImageIndex::wicQues, nullptr},
               {5, TtrvWindowsImageIndex::wicError, L"SystemHand"},
               {6, TtrvWindowsImageIndex::wicError, L"SystemHand"},
               {7, TtrvWindowsImageIndex::wicHand, L"SystemHand"},
               {8, TtrvWindowsImageIndex::wicWarning, L"SystemExclamation"},
               {9, TtrvWindowsImageIndex::wiNothing, nullptr},
               {255, TtrvWindowsImageIndex::wiNothing, nullptr}};
  for (const auto& c : cases) {
    bool column = false;
    int labelLeft = -1;
    TtrvWindowsImageIndex icon{};
    TBoxAnswerer answer([&](TfrmMessageBox* Box) {
      column = Box->IconColumn()->Visible();
      icon = Box->Icon()->WindowsImage();
      labelLeft = Box->TextLabel()->Left();
      PostKey(Box, VK_RETURN);
    });
    ShowMessageBox(nullptr, L"Type", L"Type", L"", ButtonsOK, c.Type);
    EXPECT_EQ(icon, c.Icon) << int(c.Type);
    EXPECT_EQ(column, c.Icon != TtrvWindowsImageIndex::wiNothing) << int(c.Type);
    EXPECT_EQ(labelLeft, column ? 0 : 10) << int(c.Type);
    if (c.Sound) EXPECT_STREQ(MessageTypeSound(c.Type), c.Sound);
    else EXPECT_EQ(MessageTypeSound(c.Type), nullptr);
  }
}

TEST_F(LibraryMessageBox, TheArrowShowsWhileTheBoxLives) {
  Screen->SetCursor(crHourGlass);
  TCursor during = crHourGlass;
  int depth = 0;
  TBoxAnswerer answer([&](TfrmMessageBox* Box) {
    PostKey(Box, VK_RETURN);
    during = Screen->Cursor();
    depth = CursorStackDepth();
  });
  ShowMessageBox(nullptr, L"Cursor", L"Cursor", L"", ButtonsOK, 0);
  EXPECT_EQ(during, crDefault);
  EXPECT_EQ(depth, 1);
  EXPECT_EQ(CursorStackDepth(), 0);
  Screen->SetCursor(crDefault);
}

// ---- captions and texts ----

TEST_F(LibraryMessageBox, TheTitleIsTheCaptionElseTheOwnersTitle) {
  TPlainWindow owner(RECT{100, 100, 500, 400});
  SetWindowTextW(owner.Handle(), kGreek.c_str());
  WideString title;
  TBoxAnswerer answer([&](TfrmMessageBox* Box) {
    title = GetWindowTextWide(Box->Handle());
    PostKey(Box, VK_RETURN);
  });
  ShowMessageBox(owner.Handle(), L"", L"Text", L"", ButtonsOK, 0);
  EXPECT_EQ(title, Shown(kGreek));
  ShowMessageBox(nullptr, L"", L"Text", L"", ButtonsOK, 0);
  EXPECT_EQ(title, L"");
  ShowMessageBox(owner.Handle(), kCjk, L"Text", L"", ButtonsOK, 0);
  EXPECT_EQ(title, Shown(kCjk));
}

TEST_F(LibraryMessageBox, GreekAndCjkTextsAndLineBreaksAreShownWhole) {
  WideString label;
  WideString title;
  TBoxAnswerer answer([&](TfrmMessageBox* Box) {
    label = Box->TextLabel()->GetCaption();
    title = GetWindowTextWide(Box->Handle());
    PostKey(Box, VK_RETURN);
  });
  ShowMessageBox(nullptr, kGreek, kGreek + L"\\n" + kCjk + L" & more", L"", ButtonsOK, 2);
  EXPECT_EQ(title, Shown(kGreek));
  EXPECT_EQ(label, Shown(kGreek + L"\r\n" + kCjk + L" & more"));
}

TEST_F(LibraryMessageBox, TenThousandCharactersWithoutABlankAreBrokenIntoLinesThatFitAndKeepEveryCharacter) {
  WideString text;
  for (int i = 0; i < 10000; ++i) text.push_back(static_cast<wchar_t>(L'A' + i % 26));
  WideString label;
  int maxWidth = 0, labelWidth = 0, widest = 0, scrollRange = 0, labelBottom = 0, room = 0;
  bool verticalBar = false, horizontalBar = true;
  RECT bounds{}, area{};
  TBoxAnswerer answer([&](TfrmMessageBox* Box) {
    label = Box->TextLabel()->GetCaption();
    maxWidth = Box->MaxTextWidth();
    labelWidth = Box->TextLabel()->Width();
    bounds = Box->BoundsRect();
    // Taller than the work area: the text scrolls down to its last line, and no line needs
    // scrolling sideways.
    const LONG style = GetWindowLongW(Box->TextBox()->Handle(), GWL_STYLE);
    verticalBar = (style & WS_VSCROLL) != 0;
    horizontalBar = (style & WS_HSCROLL) != 0;
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE;
    GetScrollInfo(Box->TextBox()->Handle(), SB_VERT, &si);
    scrollRange = si.nMax + 1;
    labelBottom = Box->TextLabel()->Top() + Box->TextLabel()->Height();
    room = Box->TextBox()->ClientWidth() - Box->TextLabel()->Left();
    area = Screen->MonitorFromRect(bounds)->WorkareaRect();
    // Each line measured alone in the label's font fits.
    {
      const TWindowDC dc(Box->Handle());
      const TSelectedObject font(dc, Box->TextLabel()->Font()->Handle());
      for (const WideString& line : TextLines(label)) {
        SIZE size{};
        GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &size);
        widest = std::max<int>(widest, size.cx);
      }
    }
    PostKey(Box, VK_RETURN);
  });
  EXPECT_EQ(ShowMessageBox(nullptr, L"Long", text, L"", ButtonsOK, 0), mrOk);
  WideString joined;
  for (const WideString& line : TextLines(label)) joined += line;
  EXPECT_EQ(joined, text);
  EXPECT_GT(TextLines(label).size(), 10u);
  EXPECT_LE(widest, maxWidth);
  EXPECT_LE(labelWidth, maxWidth);
  EXPECT_TRUE(verticalBar);
  EXPECT_FALSE(horizontalBar);
  EXPECT_GE(scrollRange, labelBottom);
  EXPECT_LE(widest, room);
  EXPECT_LE(bounds.right - bounds.left, 640);
  EXPECT_GE(bounds.left, area.left);
  EXPECT_GE(bounds.top, area.top);
  EXPECT_LE(bounds.right, area.right);
  EXPECT_LE(bounds.bottom, area.bottom);
}

TEST_F(LibraryMessageBox, ASurrogatePairAtTheOverflowIsMovedWholeToTheNextLine) {
  WideString text(400, L'x');
  // Pairs all along: wherever the line overflows, it is at one of them or at an x.
  for (size_t i = 1; i < text.size(); i += 3) {
    text[i] = 0xD835;
    text[i + 1] = 0xDC00;
  }
  WideString label;
  TBoxAnswerer answer([&](TfrmMessageBox* Box) {
    label = Box->TextLabel()->GetCaption();
    PostKey(Box, VK_RETURN);
  });
  ShowMessageBox(nullptr, L"Pairs", text, L"", ButtonsOK, 0);
  if (!UnicodePlatform()) GTEST_SKIP() << "the 8-bit family keeps no pairs";
  WideString joined;
  for (const WideString& line : TextLines(label)) {
    ASSERT_FALSE(line.empty());
    EXPECT_FALSE(line.front() >= 0xDC00 && line.front() <= 0xDFFF);
    EXPECT_FALSE(line.back() >= 0xD800 && line.back() <= 0xDBFF);
    joined += line;
  }
  EXPECT_EQ(joined, text);
}

TEST_F(LibraryMessageBox, HighBitsOfTheSetAreIgnored) {
  // Bits 11 to 15 are ignored: one OK button.
  TBoxAnswerer answer([&](TfrmMessageBox* Box) {
    EXPECT_EQ(Box->Buttons().size(), 1u);
    PostKey(Box, VK_ESCAPE);
  });
  EXPECT_EQ(ShowMessageBox(nullptr, L"Bits", L"High bits", L"", 0xF800, 0), mrOk);
  EXPECT_EQ(CursorStackDepth(), 0);
}

// ---- German, with the stored language ----

TEST_F(LibraryMessageBox, LegalWarningInGermanWithTheStoredLanguage) {
  const WideString stored = ReadRegistryString(ProductRegistryKey, ProductLanguageValue, L"");
  WriteRegistryString(ProductRegistryKey, ProductLanguageValue, L"de");
  UseLanguage(ReadRegistryString(ProductRegistryKey, ProductLanguageValue, L""));
  WriteRegistryString(ProductRegistryKey, ProductLanguageValue, stored);
  WideString captions, title, label;
  TBoxAnswerer answer([&](TfrmMessageBox* Box) {
    captions = ButtonCaptions(Box);
    title = GetWindowTextWide(Box->Handle());
    label = Box->TextLabel()->GetCaption();
    PostKey(Box, VK_ESCAPE);
  });
  EXPECT_EQ(ShowMessageBox(nullptr, GetAboutCaption(L"Veilgate"), GetLegalWarningText(), L"", 0x00C3, 2), mrCancel);
  EXPECT_EQ(captions, L"&OK|&Ja|&Nein|&Abbrechen");
  EXPECT_EQ(title, L"\x00DC" L"ber Veilgate");
  EXPECT_EQ(label, GetLegalWarningText());
}

TEST_F(LibraryMessageBox, ScreenshotOnRequest) {
  if (ScreenshotDir().empty()) GTEST_SKIP() << "set VGT_SCREENSHOT_DIR to make one";
  UseLanguage(L"de");
  bool saved = false;
  // Taken inside the modal loop, once the details pane is open.
  TBoxAnswerer answer([&](TfrmMessageBox* Box) {
    TUtxButton* details = Box->Buttons().back();
    auto toggle = details->OnClick;
    details->OnClick = [&, Box, toggle](TObject* Sender) {
      toggle(Sender);
      const DWORD until = GetTickCount() + 300;
      while (GetTickCount() < until) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        Application->ProcessMessages();
      }
      saved = SaveScreenshotOnRequest(Box->Handle(), UnicodePlatform() ? L"trvMessageBox" : L"trvMessageBox_win98");
      PostClick(Box->Buttons()[0]);
    };
    PostClick(details);
  });
  ShowMessageBox(nullptr, kGreek, L"Die Zone konnte nicht ge\x00E4ndert werden.\\n" + kCjk, L"Details " + kGreek,
                 0x0143, 6);
  EXPECT_TRUE(saved);
}

}  // namespace
