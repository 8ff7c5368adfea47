// Fills a combo box of the class library with 10,000 items, against a plain platform combo box
// filled with the same strings through CB_ADDSTRING in the same run (not part of the test suite).
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"
#include "tests/support/BenchFigures.h"

int main() {
  Application->Initialize();
  TForm* form = TCustomForm::CreateNew<TForm>(nullptr);
  auto* combo = new TComboBox(form);
  combo->SetParent(form);
  combo->Handle();
  HWND plain = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | CBS_DROPDOWNLIST | WS_VSCROLL, 0, 0, 200, 200,
                               form->Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
  const int count = 10000;
  std::vector<AnsiString> items;
  for (int i = 0; i < count; ++i) items.push_back("Eintrag " + std::to_string(i));
  std::vector<double> ours, platform;
  for (int pass = 0; pass < 5; ++pass) {
    combo->Items()->Clear();
    double start = bench::NowMs();
    combo->Items()->BeginUpdate();
    for (const AnsiString& s : items) combo->Items()->Add(s);
    combo->Items()->EndUpdate();
    ours.push_back(bench::NowMs() - start);

    SendMessageA(plain, CB_RESETCONTENT, 0, 0);
    start = bench::NowMs();
    SendMessageA(plain, WM_SETREDRAW, FALSE, 0);
    for (const AnsiString& s : items) SendMessageA(plain, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
    SendMessageA(plain, WM_SETREDRAW, TRUE, 0);
    platform.push_back(bench::NowMs() - start);
    std::printf("pass %d: %d items in %.1f ms (%d in the list), plain combo box %.1f ms\n", pass + 1, count,
                ours.back(), combo->Items()->Count(), platform.back());
  }
  bench::Figure("combo box: 10,000 items, plain platform combo box", bench::Median(platform));
  bench::Figure("combo box: 10,000 items", bench::Median(ours), "ms",
                "combo box: 10,000 items, plain platform combo box");
  DestroyWindow(plain);
  combo->RecreateWnd();
  delete form;
  return 0;
}
