// Reads and answers the message boxes that the code under test shows on the calling thread.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// While it lives, every message box (dialog class "#32770") that the thread shows is read once it
// has set up its texts (its WM_INITDIALOG has returned) and answered with the button Answer; a
// box is activated only after that, so reading on activation could find it empty.
class TMessageBoxReader {
 public:
  struct TBox {
    std::wstring Caption;
    std::wstring Text;
  };

  explicit TMessageBoxReader(int Answer = IDOK);
  ~TMessageBoxReader();
  TMessageBoxReader(const TMessageBoxReader&) = delete;
  TMessageBoxReader& operator=(const TMessageBoxReader&) = delete;

  const std::vector<TBox>& Boxes() const { return FBoxes; }
  // The last box read; empty texts when none was shown.
  TBox Last() const { return FBoxes.empty() ? TBox{} : FBoxes.back(); }

 private:
  static LRESULT CALLBACK AfterWindowProc(int Code, WPARAM WParam, LPARAM LParam);
  int FAnswer;
  HHOOK FHook = nullptr;
  TMessageBoxReader* FOuter = nullptr;
  std::vector<TBox> FBoxes;
};
