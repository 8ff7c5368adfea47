// Forms read from the descriptions in this program's resources: the component tree, properties
// and handlers as described, refusal of unknown names, the modal loop, exceptions in handlers,
// alignment and anchoring, key preview.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/classlib/DescribedFormTest.h"
#include "tools/winshot/Screenshot.h"
#include "tests/support/MessageBoxReader.h"
#include "classlib/ActnList.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Filer.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"

namespace {

class TTestForm : public TForm, public TComponentFinder<TTestForm> {
  VGT_CLASS(TTestForm, TForm)
 public:
  using TForm::TForm;
  void FormCreate(TObject*) { ++Creates; }
  void FormKeyPress(TObject*, char& Key) {
    Keys += Key;
    if (Key == '!') Key = 0;  // swallowed before the edit sees it
  }
  void NameEditChange(TObject*) { ++Changes; }
  void OkButtonClick(TObject*) {
    ++OkClicks;
    if (ThrowOnOk) throw Exception("Der Knopf ist kaputt");
  }
  void TickTimer(TObject*) {
    ++Ticks;
    if (Ticks == 1) throw Exception("Erster Takt schlug fehl");
    SetModalResult(mrRetry);
  }
  void OpenActionExecute(TObject*) { ++Opens; }

  int Creates = 0, Changes = 0, OkClicks = 0, Ticks = 0, Opens = 0;
  bool ThrowOnOk = false;
  std::string Keys;
};

VGT_PUBLISH(TTestForm) {
  P.Handler(L"FormCreate", &TTestForm::FormCreate)
      .Handler(L"FormKeyPress", &TTestForm::FormKeyPress)
      .Handler(L"NameEditChange", &TTestForm::NameEditChange)
      .Handler(L"OkButtonClick", &TTestForm::OkButtonClick)
      .Handler(L"TickTimer", &TTestForm::TickTimer)
      .Handler(L"OpenActionExecute", &TTestForm::OpenActionExecute);
}

class TDerivedForm : public TTestForm {
  VGT_CLASS(TDerivedForm, TTestForm)
 public:
  using TTestForm::TTestForm;
};
VGT_PUBLISH(TDerivedForm) {}

class TUndescribedForm : public TForm {
  VGT_CLASS(TUndescribedForm, TForm)
 public:
  using TForm::TForm;
};
VGT_PUBLISH(TUndescribedForm) {}

struct RecordedException {
  int Count = 0;
  std::string Message;
};
RecordedException Recorded;

class Forms : public TApplicationTest {
 protected:
  void SetUp() override {
    Recorded = {};
    Application->OnException = [](TObject*, const std::exception*, const AnsiString& Message) {
      ++Recorded.Count;
      Recorded.Message = Message;
    };
  }
  void TearDown() override {
    Application->OnException = nullptr;
    TApplicationTest::TearDown();
  }
};


TEST_F(Forms, DescriptionBuildsTheComponentTreeWithPropertiesAndHandlers) {
  std::unique_ptr<TTestForm> f(TCustomForm::Create<TTestForm>(nullptr));
  EXPECT_EQ(f->Name(), L"TestForm");
  EXPECT_EQ(f->Creates, 1);
  EXPECT_EQ(f->Caption(), "Testformular \xC4nderung");
  EXPECT_EQ(f->ClientWidth(), 320);
  EXPECT_EQ(f->ClientHeight(), 200);
  EXPECT_TRUE(f->KeyPreview());

  // Owned in the order described; parents as nested.
  std::vector<std::wstring> names;
  for (int i = 0; i < f->ComponentCount(); ++i) names.push_back(f->Components(i)->Name());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"TopBox", L"NameLabel", L"NameEdit", L"OkButton", L"CancelButton",
                                              L"Tick", L"Actions", L"OpenAction"}));
  auto* box = f->Find<TScrollBox>(L"TopBox");
  auto* label = f->Find<TLabel>(L"NameLabel");
  auto* edit = f->Find<TEdit>(L"NameEdit");
  auto* ok = f->Find<TButton>(L"OkButton");
  auto* cancel = f->Find<TButton>(L"CancelButton");
  EXPECT_EQ(box->Parent(), f.get());
  EXPECT_EQ(label->Parent(), box);
  EXPECT_EQ(edit->Parent(), f.get());
  // A reference to a component described later is fixed up after reading.
  EXPECT_EQ(label->FocusControl(), edit);
  EXPECT_EQ(edit->Text(), "Zone");
  EXPECT_TRUE(ok->Default());
  EXPECT_EQ(ok->ModalResult(), mrOk);
  EXPECT_TRUE(cancel->Cancel());
  EXPECT_EQ(cancel->Anchors(), (TAnchors{TAnchorKind::akRight, TAnchorKind::akBottom}));
  EXPECT_EQ(ok->TabOrder(), 0);
  EXPECT_EQ(cancel->TabOrder(), 1);
  EXPECT_EQ(edit->TabOrder(), 2);
  auto* tick = f->Find<TTimer>(L"Tick");
  EXPECT_FALSE(tick->Enabled());
  EXPECT_EQ(tick->Interval(), 10u);
  auto* action = f->Find<TAction>(L"OpenAction");
  EXPECT_EQ(action->ActionList(), f->Find<TActionList>(L"Actions"));
  EXPECT_EQ(action->Caption(), "\xD6" "ffnen");

  // Handlers are bound to this form object.
  ok->Click();
  EXPECT_EQ(f->OkClicks, 1);
  action->Execute();
  EXPECT_EQ(f->Opens, 1);
  edit->Handle();  // the edit window reports changes
  edit->SetText("Internet");
  EXPECT_EQ(f->Changes, 1);
}

TEST_F(Forms, DerivedFormReadsItsAncestorsDescriptionFirst) {
  std::unique_ptr<TDerivedForm> f(TCustomForm::Create<TDerivedForm>(nullptr));
  EXPECT_EQ(f->Caption(), "Abgeleitet");
  EXPECT_EQ(f->Find<TButton>(L"OkButton")->Caption(), "Weiter");
  EXPECT_EQ(f->Find<TEdit>(L"NameEdit")->Text(), "Zone");
  auto* extra = f->Find<TButton>(L"ExtraButton");
  EXPECT_EQ(extra->Action(), f->Find<TAction>(L"OpenAction"));
  EXPECT_EQ(extra->Caption(), "\xD6" "ffnen");
  EXPECT_EQ(f->Creates, 1);
}

TEST_F(Forms, MissingDescriptionIsReportedWithTheClassName) {
  try {
    std::unique_ptr<TUndescribedForm> f(TCustomForm::Create<TUndescribedForm>(nullptr));
    FAIL() << "no error";
  } catch (const EResNotFound& e) {
    EXPECT_STREQ(e.what(), "Ressource TUndescribedForm wurde nicht gefunden");
  }
  // CreateNew reads nothing and needs nothing.
  std::unique_ptr<TUndescribedForm> f(TCustomForm::CreateNew<TUndescribedForm>(nullptr));
  EXPECT_EQ(f->ComponentCount(), 0);
}

// Each bad description is refused with the unknown name and the form's class in the message.
TEST_F(Forms, UnknownClassPropertyOrHandlerIsRefusedByName) {
  struct Case {
    const wchar_t* Text;
    const char* Expected;
  } cases[] = {
      {L"object F: TTestForm\n  object X: TNoSuchControl\n  end\nend", "Klasse TNoSuchControl nicht gefunden"},
      {L"object F: TTestForm\n  Colour = clRed\nend", "Eigenschaft Colour existiert nicht"},
      {L"object F: TTestForm\n  object B: TButton\n    Capton = 'x'\n  end\nend", "Eigenschaft B.Capton existiert nicht"},
      {L"object F: TTestForm\n  OnCreate = NoSuchHandler\nend", "Methode NoSuchHandler nicht gefunden"},
      {L"object F: TTestForm\n  OnKeyPress = FormCreate\nend", "passt nicht zu Ereignis OnKeyPress"},
      {L"object F: TTestForm\n  Align = alSideways\nend", "Ung\xFCltiger Wert f\xFCr Eigenschaft Align"},
      {L"object F: TTestForm\n  ActiveControl = Nobody\nend", "Komponente Nobody nicht gefunden"},
      {L"object F: TTestForm\n  Caption = 'open\nend", "Zeichenkette nicht abgeschlossen"},
      {L"object F: TTestForm\n  Left = 1\n", "'end' fehlt"},
      {L"object F: TTestForm\n  Tag = $FFFFFFFFFFFFFFFFFFFFFFFF\nend", "Zahl zu gro\xDF"},
  };
  for (const Case& c : cases) {
    std::unique_ptr<TTestForm> f(TCustomForm::CreateNew<TTestForm>(nullptr));
    try {
      ReadComponentText(f.get(), c.Text, L"TTestForm");
      ADD_FAILURE() << "accepted: " << c.Expected;
    } catch (const EReadError& e) {
      std::string what = e.what();
      EXPECT_NE(what.find(c.Expected), std::string::npos) << what;
      EXPECT_NE(what.find("TTestForm"), std::string::npos) << what;
    }
  }
}

// Damaged descriptions nested beyond reason are refused before the stack runs out.
TEST_F(Forms, DeeplyNestedDescriptionIsRefusedNotACrash) {
  const int depth = 100000;
  std::wstring objects, lists = L"object F: TTestForm\n  Tag = ";
  for (int i = 0; i < depth; ++i) objects += L"object X: TButton\n";
  lists.append(depth, L'(');
  for (const std::wstring& text : {objects, lists}) {
    std::unique_ptr<TTestForm> f(TCustomForm::CreateNew<TTestForm>(nullptr));
    try {
      ReadComponentText(f.get(), text, L"TTestForm");
      ADD_FAILURE() << "accepted";
    } catch (const EReadError& e) {
      EXPECT_NE(std::string(e.what()).find("Zu tief verschachtelt"), std::string::npos) << e.what();
    }
  }
}

TEST_F(Forms, ShowModalReturnsTheResultOfTheButtonClickedByMessage) {
  std::unique_ptr<TTestForm> f(TCustomForm::Create<TTestForm>(nullptr));
  auto* ok = f->Find<TButton>(L"OkButton");
  PostMessageA(ok->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(f->ShowModal(), mrOk);
  EXPECT_EQ(f->OkClicks, 1);
  EXPECT_FALSE(f->Visible());

  // Esc in the edit reaches the Cancel button, Enter the Default button.
  auto* edit = f->Find<TEdit>(L"NameEdit");
  PostMessageA(edit->Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_EQ(f->ShowModal(), mrCancel);
  PostMessageA(edit->Handle(), WM_KEYDOWN, VK_RETURN, 1);
  EXPECT_EQ(f->ShowModal(), mrOk);
  EXPECT_EQ(f->OkClicks, 2);

  // Closing the window cancels; a refused close keeps the form up.
  int asked = 0;
  f->OnCloseQuery = [&](TObject*, bool& CanClose) { CanClose = ++asked > 1; };
  PostMessageA(f->Handle(), WM_CLOSE, 0, 0);
  PostMessageA(f->Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(f->ShowModal(), mrCancel);
  EXPECT_EQ(asked, 2);
}

TEST_F(Forms, EnterPressesTheFirstFocusedButtonAlsoInsideAPanel) {
  // The button is the active control before the form has a window, and it is not a child of the
  // form itself: it still learns that it has the focus, so Enter is its key.
  std::unique_ptr<TUndescribedForm> f(TCustomForm::CreateNew<TUndescribedForm>(nullptr));
  auto* panel = new TPanel(f.get());
  panel->SetParent(f.get());
  auto* outer = new TPanel(f.get());
  outer->SetParent(panel);
  auto* yes = new TButton(f.get());
  yes->SetParent(outer);
  yes->SetModalResult(mrYes);
  auto* no = new TButton(f.get());
  no->SetParent(outer);
  no->SetLeft(100);
  no->SetModalResult(mrNo);
  f->SetActiveControl(no);
  PostMessageA(no->Handle(), WM_KEYDOWN, VK_RETURN, 1);
  // Should Enter do nothing, the Yes button ends the loop instead.
  PostMessageA(yes->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(f->ShowModal(), mrNo);
}

TEST_F(Forms, ModalFormFreedFromItsButtonClickEndsTheModalLoop) {
  auto* f = TCustomForm::Create<TTestForm>(nullptr);
  auto* ok = f->Find<TButton>(L"OkButton");
  HWND okWnd = ok->Handle();
  bool freed = false;
  ok->OnClick = [&](TObject*) {
    // This handler is freed with the button: nothing of it is read after the delete.
    freed = true;
    delete f;
  };
  PostMessageA(okWnd, BM_CLICK, 0, 0);
  EXPECT_EQ(f->ShowModal(), mrCancel);
  EXPECT_TRUE(freed);
  EXPECT_FALSE(IsWindow(okWnd));
  EXPECT_EQ(Recorded.Count, 0);
}

TEST_F(Forms, ExceptionInAHandlerReachesHandleExceptionAndTheProgramGoesOn) {
  std::unique_ptr<TTestForm> f(TCustomForm::Create<TTestForm>(nullptr));
  f->ThrowOnOk = true;
  PostMessageA(f->Find<TButton>(L"OkButton")->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(f->ShowModal(), mrOk);
  EXPECT_EQ(Recorded.Count, 1);
  EXPECT_EQ(Recorded.Message, "Der Knopf ist kaputt");

  // A timer whose first tick fails keeps ticking; the second tick ends the modal loop.
  auto* tick = f->Find<TTimer>(L"Tick");
  tick->SetEnabled(true);
  EXPECT_EQ(f->ShowModal(), mrRetry);
  tick->SetEnabled(false);
  EXPECT_EQ(f->Ticks, 2);
  EXPECT_EQ(Recorded.Count, 2);
  EXPECT_EQ(Recorded.Message, "Erster Takt schlug fehl");
}

TEST_F(Forms, KeyPreviewShowsTypedCharactersToTheFormFirst) {
  std::unique_ptr<TTestForm> f(TCustomForm::Create<TTestForm>(nullptr));
  f->Show();
  auto* edit = f->Find<TEdit>(L"NameEdit");
  edit->SetText("");
  PostMessageA(edit->Handle(), WM_CHAR, 'a', 1);
  PostMessageA(edit->Handle(), WM_CHAR, '!', 1);
  PostMessageA(edit->Handle(), WM_CHAR, 'b', 1);
  Application->ProcessMessages();
  EXPECT_EQ(f->Keys, "a!b");
  EXPECT_EQ(edit->Text(), "ab");
  f->Hide();
}

TEST_F(Forms, AlignedAndAnchoredControlsFollowTheFormSize) {
  std::unique_ptr<TTestForm> f(TCustomForm::Create<TTestForm>(nullptr));
  f->Show();
  auto* box = f->Find<TScrollBox>(L"TopBox");
  auto* cancel = f->Find<TButton>(L"CancelButton");
  EXPECT_EQ(box->Left(), 0);
  EXPECT_EQ(box->Top(), 0);
  EXPECT_EQ(box->Width(), f->ClientWidth());
  const int left = cancel->Left(), top = cancel->Top();
  f->SetClientWidth(f->ClientWidth() + 40);
  f->SetClientHeight(f->ClientHeight() + 30);
  EXPECT_EQ(box->Width(), f->ClientWidth());
  EXPECT_EQ(cancel->Left(), left + 40);
  EXPECT_EQ(cancel->Top(), top + 30);
  SaveScreenshotOnRequest(f->Handle(), L"ClasslibTestForm");
  f->Hide();
}

TEST_F(Forms, ScreenshotHelperWritesAPngOfTheWindowSize) {
  std::unique_ptr<TTestForm> f(TCustomForm::Create<TTestForm>(nullptr));
  f->Show();
  wchar_t dir[MAX_PATH], path[MAX_PATH];
  ASSERT_NE(GetTempPathW(MAX_PATH, dir), 0u);
  ASSERT_NE(GetTempFileNameW(dir, L"vgt", 0, path), 0u);
  ASSERT_TRUE(SaveWindowPng(f->Handle(), path));
  std::vector<unsigned char> head(24);
  FILE* file = _wfopen(path, L"rb");
  ASSERT_NE(file, nullptr);
  const size_t got = fread(head.data(), 1, head.size(), file);
  fclose(file);
  DeleteFileW(path);
  ASSERT_EQ(got, head.size());
  EXPECT_EQ(std::string(head.begin() + 1, head.begin() + 4), "PNG");
  EXPECT_EQ(std::string(head.begin() + 12, head.begin() + 16), "IHDR");
  auto be32 = [&](int at) {
    return (head[at] << 24) | (head[at + 1] << 16) | (head[at + 2] << 8) | head[at + 3];
  };
  EXPECT_EQ(be32(16), f->Width());
  EXPECT_EQ(be32(20), f->Height());
  f->Hide();
}

}  // namespace

namespace {

// A button that sees the hint record before its hint is shown, and may change the text.
class THintProbe : public TButton {
  VGT_CLASS(THintProbe, TButton)
 public:
  using TButton::TButton;
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == CM_HINTSHOW) {
      auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
      SeenHint = info->HintStr;
      SeenControl = info->HintControl;
      SeenClass = info->HintWindowClass;
      info->HintStr += " (probe)";
    }
    TButton::Dispatch(Message);
  }
  AnsiString SeenHint;
  TControl* SeenControl = nullptr;
  TClass SeenClass = nullptr;
};

struct StatusLine {
  AnsiString Text;
  int Calls = 0;
  bool Hook(TMessage& Message) {
    if (Message.Msg != CM_ACTIONEXECUTE) return false;
    auto* a = dynamic_cast<THintAction*>(reinterpret_cast<TObject*>(Message.LParam));
    if (!a) return false;
    Text = a->Hint();
    ++Calls;
    Message.Result = 1;
    return true;
  }
};

// Puts the mouse at Where and waits until the system reports it there. Under Wine a pointer
// motion that X delivers late can set the position back once; the move is then made again.
bool MoveCursorTo(POINT Where) {
  for (int Attempt = 0; Attempt < 50; ++Attempt) {
    SetCursorPos(Where.x, Where.y);
    MSG Msg;
    while (PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&Msg);
    POINT Now{};
    GetCursorPos(&Now);
    if (Now.x == Where.x && Now.y == Where.y) {
      // A late motion may still be on its way: it has arrived once no input is waiting.
      if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_MOUSEMOVE) == WAIT_TIMEOUT) {
        GetCursorPos(&Now);
        if (Now.x == Where.x && Now.y == Where.y) return true;
      }
    }
  }
  return false;
}

TEST_F(Forms, HintShowsTheShortPartAndTheStatusLineGetsTheLongPart) {
  std::unique_ptr<TTestForm> f(TCustomForm::Create<TTestForm>(nullptr));
  auto* probe = new THintProbe(f.get());
  probe->SetBounds(200, 60, 90, 30);
  probe->SetParent(f.get());
  probe->SetCaption("Probe");
  probe->SetHint("Open|Opens a file");
  probe->SetShowHint(true);
  f->Show();
  StatusLine status;
  auto hook = TWindowHook::Of<StatusLine, &StatusLine::Hook>(&status);
  Application->HookMainWindow(hook);

  POINT centre = probe->ClientToScreen(POINT{45, 15});
  ASSERT_TRUE(MoveCursorTo(centre));
  Application->DoMouseIdle();
  EXPECT_EQ(Application->MouseControl(), probe);
  // The application hint is the long part; without OnHint it travels as a hint action.
  EXPECT_EQ(Application->Hint(), "Opens a file");
  EXPECT_EQ(status.Text, "Opens a file");
  EXPECT_EQ(status.Calls, 1);

  Application->ActivateHint(centre);
  EXPECT_EQ(probe->SeenHint, "Open");
  EXPECT_EQ(probe->SeenControl, probe);
  EXPECT_EQ(probe->SeenClass, THintWindow::StaticClass());
  ASSERT_NE(Application->HintWindow(), nullptr);
  EXPECT_TRUE(IsWindowVisible(Application->HintWindow()->Handle()));
  EXPECT_EQ(Application->HintWindow()->Caption(), "Open (probe)");
  Application->CancelHint();
  EXPECT_FALSE(Application->HintWindow()->HandleAllocated());

  // Moving off the control clears the application hint; OnHint replaces the hint action.
  int onHint = 0;
  Application->OnHint = [&](TObject*) { ++onHint; };
  POINT outside = f->ClientToScreen(POINT{5, 190});
  ASSERT_TRUE(MoveCursorTo(outside));
  Application->DoMouseIdle();
  EXPECT_EQ(Application->Hint(), "");
  EXPECT_EQ(onHint, 1);
  EXPECT_EQ(status.Calls, 1);
  Application->OnHint = nullptr;
  Application->UnhookMainWindow(hook);
  f->Hide();
}

}  // namespace

namespace {

// A control with properties that are not published: the reader hands them to DefineProperties.
class TDefiningButton : public TButton {
  VGT_CLASS(TDefiningButton, TButton)
 public:
  using TButton::TButton;
  WideString Wide;
  std::vector<WideString> Items;
  int Calls = 0;

 protected:
  void DefineProperties(TFiler* Filer) override {
    TButton::DefineProperties(Filer);
    ++Calls;
    Filer->DefineProperty(L"CaptionW", [this](TReader* R) { Wide = R->ReadWideString(); }, nullptr, false);
    Filer->DefineProperty(L"Caption_UTF7", [](TReader* R) { R->SkipValue(); }, nullptr, false);
    Filer->DefineProperty(
        L"Items",
        [this](TReader* R) {
          R->ReadListBegin();
          while (!R->EndOfList()) Items.push_back(R->ReadWideString());
          R->ReadListEnd();
        },
        nullptr, false);
  }
};
VGT_PUBLISH(TDefiningButton) {}

TEST_F(Forms, NamesThatAreNotPublishedReachDefineProperties) {
  std::unique_ptr<TTestForm> f(TCustomForm::CreateNew<TTestForm>(nullptr));
  ReadComponentText(f.get(),
                    L"object F: TTestForm\n"
                    L"  object B: TDefiningButton\n"
                    L"    Caption = 'plain'\n"
                    L"    captionw = '\x03C9\x4E2D'\n"   // matched without regard to case
                    L"    Caption_UTF7 = '+A8kATg-'\n"
                    L"    Items = ('one' 'two' #$0416)\n"
                    L"  end\n"
                    L"end",
                    L"TTestForm");
  auto* b = f->Find<TDefiningButton>(L"B");
  EXPECT_EQ(b->Caption(), "plain");
  EXPECT_EQ(b->Wide, L"\x03C9\x4E2D");
  EXPECT_EQ(b->Items, (std::vector<WideString>{L"one", L"two", L"\x0416"}));
  EXPECT_EQ(b->Calls, 3);  // asked once per name that is not published
  // A name nobody defines is still refused.
  std::unique_ptr<TTestForm> g(TCustomForm::CreateNew<TTestForm>(nullptr));
  EXPECT_THROW(ReadComponentText(g.get(), L"object F: TTestForm\n object B: TDefiningButton\n HintW = 'x'\n end\nend",
                                 L"TTestForm"),
               EReadError);
}

TEST_F(Forms, IdleUpdatesTheActionsOfVisibleForms) {
  std::unique_ptr<TDerivedForm> f(TCustomForm::Create<TDerivedForm>(nullptr));
  auto* action = f->Find<TAction>(L"OpenAction");
  auto* extra = f->Find<TButton>(L"ExtraButton");
  int updates = 0;
  action->OnUpdate = [&](TObject*) {
    ++updates;
    action->SetEnabled(false);
  };
  Application->DoActionIdle();
  EXPECT_EQ(updates, 0);  // not shown: nothing to update
  f->Show();
  Application->DoActionIdle();
  EXPECT_GE(updates, 1);
  EXPECT_FALSE(extra->Enabled());
  f->Hide();
}

}  // namespace

namespace {

TEST_F(Forms, WithoutAnExceptionHandlerTheMessageIsShownAndTheProgramGoesOn) {
  Application->OnException = nullptr;
  Application->SetTitle("Klassentest");
  std::unique_ptr<TTestForm> f(TCustomForm::Create<TTestForm>(nullptr));
  f->ThrowOnOk = true;
  TMessageBoxReader boxes;
  PostMessageA(f->Find<TButton>(L"OkButton")->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(f->ShowModal(), mrOk);
  EXPECT_EQ(boxes.Last().Text, L"Der Knopf ist kaputt.");
  EXPECT_EQ(boxes.Last().Caption, L"Klassentest");
  EXPECT_EQ(f->OkClicks, 1);
}

}  // namespace

namespace {

TEST_F(Forms, MnemonicOfALabelFocusesItsControlAndTabMovesOn) {
  std::unique_ptr<TTestForm> f(TCustomForm::Create<TTestForm>(nullptr));
  f->Show();
  auto* ok = f->Find<TButton>(L"OkButton");
  auto* cancel = f->Find<TButton>(L"CancelButton");
  auto* edit = f->Find<TEdit>(L"NameEdit");
  ok->SetFocus();
  Application->ProcessMessages();
  ASSERT_EQ(GetFocus(), ok->Handle());
  EXPECT_EQ(f->ActiveControl(), ok);
  // Alt+N: the label "&Name" gives the focus to the edit it names.
  PostMessageA(ok->Handle(), WM_SYSCHAR, 'n', 0x20000000);
  Application->ProcessMessages();
  EXPECT_EQ(GetFocus(), edit->Handle());
  EXPECT_EQ(f->ActiveControl(), edit);
  // Tab follows the tab order: OK, Cancel, edit, then around (the scroll box takes no tab stop).
  PostMessageA(edit->Handle(), WM_KEYDOWN, VK_TAB, 1);
  Application->ProcessMessages();
  EXPECT_EQ(GetFocus(), ok->Handle());
  PostMessageA(ok->Handle(), WM_KEYDOWN, VK_TAB, 1);
  Application->ProcessMessages();
  EXPECT_EQ(GetFocus(), cancel->Handle());
  f->Hide();
}

}  // namespace

namespace {

TEST_F(Forms, ScreenKnowsFormsMonitorsAndTheCursor) {
  const int before = Screen->FormCount();
  std::unique_ptr<TTestForm> f(TCustomForm::CreateNew<TTestForm>(nullptr));
  EXPECT_EQ(Screen->FormCount(), before + 1);
  EXPECT_EQ(Screen->Forms(Screen->FormCount() - 1), f.get());
  ASSERT_GE(Screen->MonitorCount(), 1);
  RECT work = Screen->Monitors(0)->WorkareaRect();
  EXPECT_GT(work.right - work.left, 0);
  // A rectangle far off every monitor still gets the nearest one.
  TMonitor* nearest = Screen->MonitorFromRect(RECT{-20000, -20000, -19990, -19990});
  ASSERT_NE(nearest, nullptr);
  EXPECT_EQ(Screen->MonitorFromRect(RECT{-20000, -20000, -19990, -19990}, TMonitorDefaultTo::mdNull), nullptr);
  EXPECT_NE(Screen->HintFont()->Name(), "");

  // The screen cursor wins over the controls' own while it is set.
  f->Show();
  Screen->SetCursor(crHourGlass);
  EXPECT_EQ(Screen->Cursor(), crHourGlass);
  LRESULT r = SendMessageA(f->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(f->Handle()),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(r, 1);
  EXPECT_EQ(GetCursor(), CursorHandle(crHourGlass));
  Screen->SetCursor(crDefault);
  f->Hide();
  f.reset();
  EXPECT_EQ(Screen->FormCount(), before);
}

}  // namespace
