// Form descriptions: the text format the forms of the programs are written in, and the reader
// that builds a component tree from it.
//
//   object Form1: TMainForm          (inherited Name: TClass in a derived form's description)
//     Caption = 'Zonen'              strings: '...' ('' for a quote), #nnn character codes, +
//     Left = 10                      numbers: decimal, $hex, negative; within what the property holds
//     Visible = False                identifiers: booleans, enumerations, colours, handlers,
//     OnClick = Button1Click           component references
//     Anchors = [akLeft, akTop]      sets
//     Lines.Strings = ('a' 'b')      lists; a dotted name reaches a sub-object's property
//     Picture.Data = {FFD8FF...}     binary data as hexadecimal digits (blanks and lines between)
//     Bands = <                      a collection's items, each with its own properties
//       item
//         MinHeight = 19
//       end>
//     object Button1: TButton ... end
//   end
//
// The text is UTF-8. A description is compiled into the program as an RCDATA resource named by
// the form class (a .rc line: TMainForm RCDATA "MainForm.fdt").
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/TypInfo.h"

class TReader;
class TWriter;

using TReaderProc = std::function<void(TReader* Reader)>;
using TWriterProc = std::function<void(TWriter* Writer)>;

VGT_EXCEPTION(EClassNotFound, EReadError);
VGT_EXCEPTION(EMethodNotFound, EReadError);

class TFiler : public TObject {
  VGT_CLASS(TFiler, TObject)
 public:
  // A property that is not published: ReadData is called when the description holds Name
  // (compared without regard to case). WriteData and HasData serve writing, which descriptions
  // of this program never need.
  virtual void DefineProperty(const WideString& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                              bool HasData) = 0;
  // The root component whose description is read (the form).
  TComponent* Root() const { return FRoot; }
  TComponent* LookupRoot() const { return FRoot; }
  TPersistent* Ancestor() const { return nullptr; }

 protected:
  static void CallDefineProperties(TPersistent* Instance, TFiler* Filer) { Instance->DefineProperties(Filer); }
  TComponent* FRoot = nullptr;
};

struct TDescProp;

// A parsed value of a description.
struct TDescValue {
  enum class Kind { String, Integer, Ident, Set, List, Binary, Collection, Item } Type = Kind::Integer;
  WideString Text;  // String and Ident
  int64_t Int = 0;
  std::vector<TDescValue> Items;  // Set (identifiers), List, Collection (its Item values)
  std::vector<TDescProp> Props;   // Item: the item's properties
  std::string Bytes;              // Binary
  int Line = 0;
};

// One property of a described object or collection item: a (dotted) name and its value.
struct TDescProp {
  WideString Name;
  TDescValue Value;
  int Line = 0;
};

class TReader : public TFiler {
  VGT_CLASS(TReader, TFiler)
 public:
  // SourceName names the description in error messages (the form class).
  TReader(const WideString& Text, const WideString& SourceName);
  ~TReader() override;

  // Reads the description into Root: its properties, and components created (or, after
  // "inherited", found) by name; then fixes up references and calls Loaded on each component read.
  void ReadRootComponent(TComponent* Root);
  // The component whose components are being read (the root); nullptr outside reading.
  TComponent* Owner() const { return FRoot; }

  void DefineProperty(const WideString& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                      bool HasData) override;

  // Value access for DefineProperty readers: each reads the current value (or the next item of
  // a list entered with ReadListBegin).
  TDescValue::Kind NextValue();
  WideString ReadWideString();
  AnsiString ReadString();
  int64_t ReadInteger();
  bool ReadBoolean();
  WideString ReadIdent();
  std::string ReadBinary();
  void ReadListBegin();
  bool EndOfList();
  void ReadListEnd();
  void SkipValue();

  // Raises EReadError naming the description and the line.
  [[noreturn]] void Error(const WideString& What, int Line = 0) const;

 private:
  // The message of every reading error: the description, the line (when known) and What.
  AnsiString ErrorText(const WideString& What, int Line) const;
  struct Object;
  void ReadObject(TComponent* Instance, const Object& Obj, bool IsRoot);
  void ReadProperty(TPersistent* Instance, const TDescProp& P, const WideString& Path);
  void ReadCollection(TCollection* Collection, const TDescValue& V, const WideString& Path);
  void SetValue(TPersistent* Instance, const TPropInfo* Info, const TDescValue& Value, const WideString& Path);
  const TDescValue& Take();

  struct Parsed;
  std::unique_ptr<Parsed> FParsed;
  WideString FSourceName;
  std::vector<TComponent*> FLoaded;
  struct Fixup {
    TPersistent* Instance;
    const TPropInfo* Info;
    WideString Name;
    int Line;
  };
  std::vector<Fixup> FFixups;
  // DefineProperty matching.
  WideString FPropName;
  bool FMatched = false;
  const TDescValue* FValue = nullptr;
  bool FValueTaken = false;
  std::vector<std::pair<const TDescValue*, size_t>> FLists;
};

// Reads the description compiled as RCDATA named ResName (in Instance, default: the module the
// library is linked into)
// into Root. False when there is no such resource.
bool ReadComponentResource(TComponent* Root, const WideString& ResName, HINSTANCE Instance = nullptr);
// Reads a description given as text into Root.
void ReadComponentText(TComponent* Root, const WideString& Text, const WideString& SourceName);
