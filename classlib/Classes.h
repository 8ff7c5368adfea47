// The persistent-object and component model: TPersistent (assignment and the form-description
// hook for properties that are not published) and TComponent (ownership, names, state, free
// notification). Lists, string lists and streams have their own headers.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "classlib/SysUtils.h"

class TFiler;
class TComponent;

// An event handler: the class library's method pointer. Empty means "not assigned".
using TNotifyEvent = std::function<void(TObject* Sender)>;

class TPersistent : public TObject {
  VGT_CLASS(TPersistent, TObject)
 public:
  // Copies Source into this object; a class that cannot take Source asks Source to assign
  // itself to this (AssignTo), and that failing raises EConvertError.
  virtual void Assign(TPersistent* Source);
  // The path of this object for messages: the owner's name path and this name.
  virtual WideString GetNamePath() const;

 protected:
  virtual void AssignTo(TPersistent* Dest);
  // Called by the form-description reader for property names that are not published.
  virtual void DefineProperties(TFiler* Filer);
  virtual TPersistent* GetOwner() const { return nullptr; }

  friend class TFiler;
  friend class TReader;
};

enum class TOperation { opInsert, opRemove };

// Component state bits (csLoading while a form description is read into the component, and so on).
enum TComponentStateBit : uint32_t {
  csLoading = 1u << 0,
  csReading = 1u << 1,
  csWriting = 1u << 2,
  csDestroying = 1u << 3,
  csDesigning = 1u << 4,
  csAncestor = 1u << 5,
  csUpdating = 1u << 6,
  csFixups = 1u << 7,
  csFreeNotification = 1u << 8,
  csInline = 1u << 9,
  csDesignInstance = 1u << 10,
};
using TComponentState = uint32_t;

class EComponentNameError;

class TComponent : public TPersistent {
  VGT_CLASS(TComponent, TPersistent)
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return FOwner; }
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int Index) const;
  int ComponentIndex() const;
  TComponent* FindComponent(const WideString& AName) const;

  const WideString& Name() const { return FName; }
  // Renames the component; a name that is not an identifier or that a sibling already has raises
  // EComponentError.
  virtual void SetName(const WideString& NewName);

  TComponentState ComponentState() const { return FComponentState; }
  bool HasState(TComponentStateBit Bit) const { return (FComponentState & Bit) != 0; }

  intptr_t Tag() const { return FTag; }
  void SetTag(intptr_t Value) { FTag = Value; }

  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  // Asks to be told (Notification with opRemove) when AComponent is freed.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);
  // Frees every owned component, the last first.
  void DestroyComponents();
  // Marks this component and its owned components as being destroyed.
  void Destroying();

  WideString GetNamePath() const override;

  // Called once a form description has been read into the component and its references fixed up.
  virtual void Loaded();
  // State changes used by the form-description reader and designers.
  void SetLoading(bool On);
  void SetReading(bool On);
  void SetDesigning(bool On, bool SetChildren = true);
  void SetInline(bool On);

 protected:
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  virtual void ValidateRename(TComponent* AComponent, const WideString& CurName,
                              const WideString& NewName);
  virtual void ValidateInsert(TComponent*) {}
  // Owned-components order is creation order; form descriptions rely on it.
  virtual void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root);
  TPersistent* GetOwner() const override { return FOwner; }

  void SetStateBits(TComponentState Bits, bool On) {
    FComponentState = On ? (FComponentState | Bits) : (FComponentState & ~Bits);
  }

 private:
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);

  TComponent* FOwner = nullptr;
  WideString FName;
  intptr_t FTag = 0;
  TComponentState FComponentState = 0;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
};

// True when Name is a valid component name: a letter or underscore, then letters, digits or
// underscores (ASCII), or empty.
bool IsValidIdent(const WideString& Name);
