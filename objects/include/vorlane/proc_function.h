#pragma once

#include <string>

#include "vorlane/pass_states.h"

namespace vorlane {

// _ProcFunction: one function (step) of a process, a live wrapper over one
// row of the functions section. Handed out by Functions.
class ProcFunction : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{25998395-5802-4044-A9CF-3EBCCCEAE8C8}"};
  static constexpr com::Guid kCLSID{"{C369150B-F847-4F78-BBCF-02AAA73D6810}"};
  static const com::TypeInfo& DispatchInfo();

  // The "ID" field, normalised; fails when the field is empty.
  virtual std::string ID() = 0;
  virtual std::string Caption() = 0;
  virtual void SetCaption(const std::string& value) = 0;
  virtual std::string Description() = 0;
  virtual void SetDescription(const std::string& value) = 0;
  // The function type (a DictFunction's ID), normalised: empty reads "{}".
  virtual std::string TypeID() = 0;
  virtual void SetTypeID(const std::string& value) = 0;
  virtual std::string CardID() = 0;
  virtual void SetCardID(const std::string& value) = 0;
  virtual std::string WeakCardID() = 0;
  virtual void SetWeakCardID(const std::string& value) = 0;
  virtual std::string ErrDescriptionVarID() = 0;
  virtual void SetErrDescriptionVarID(const std::string& value) = 0;
  virtual std::string ErrCodeVarID() = 0;
  virtual void SetErrCodeVarID(const std::string& value) = 0;
  // The settings text; texts over 1024 characters live in the spare row. A
  // new text is first given to every pass state (clearing their flags).
  virtual std::string Data() = 0;
  virtual void SetData(const std::string& value) = 0;
  virtual float XPos() = 0;
  virtual void SetXPos(float value) = 0;
  virtual float YPos() = 0;
  virtual void SetYPos(float value) = 0;
  virtual int16_t Width() = 0;
  virtual void SetWidth(int16_t value) = 0;
  virtual int16_t Height() = 0;
  virtual void SetHeight(int16_t value) = 0;
  virtual int32_t PoolingInterval() = 0;
  virtual void SetPoolingInterval(int32_t value) = 0;
  virtual bool ReuseStep() = 0;
  virtual void SetReuseStep(bool value) = 0;
  // The same collection on every call until Refresh.
  virtual com::Ref<PassStates> States() = 0;
  virtual void Refresh(bool deep_refresh) = 0;
};

}  // namespace vorlane
