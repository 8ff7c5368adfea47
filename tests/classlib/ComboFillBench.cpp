// Fills a combo box with 10,000 items and prints how long it took (not part of the test suite).
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"

int main() {
  Application->Initialize();
  TForm* form = TCustomForm::CreateNew<TForm>(nullptr);
  auto* combo = new TComboBox(form);
  combo->SetParent(form);
  combo->Handle();
  const int count = 10000;
  for (int pass = 0; pass < 2; ++pass) {
    combo->Items()->Clear();
    auto start = std::chrono::steady_clock::now();
    combo->Items()->BeginUpdate();
    for (int i = 0; i < count; ++i) combo->Items()->Add("Eintrag " + std::to_string(i));
    combo->Items()->EndUpdate();
    auto ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("pass %d: %d items in %.1f ms (%d in the list)\n", pass + 1, count, ms,
                combo->Items()->Count());
  }
  combo->RecreateWnd();
  delete form;
  return 0;
}
