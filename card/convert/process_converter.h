#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/com/dispatch.h"
#include "platform/ostrel/ostrel.h"
#include "vorlane/library.h"
#include "vorlane/process.h"

namespace card {

// The version and build number that processes of this version carry; a
// process with another version, or with a smaller build number, was
// written by an older version and is converted when a card opens it.
inline constexpr const char* kCurrentVersion = "4.1";
inline constexpr int16_t kCurrentBuild = 1316;
bool IsCurrent(const std::string& version, int32_t build);

// cProcessConverter as a client sees it: Convert, then what it changed.
class ProcessConverterApi : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{A81F3C52-6D0B-4E97-B2C4-5E9F07A3D168}"};
  static constexpr com::Guid kCLSID{"{0C6E94B7-3A28-4F15-9D83-B7E2A1F04C59}"};
  static const com::TypeInfo& DispatchInfo();

  // Brings `process` (of `library`, over the card `process_data`) to the
  // current version, and with it every sub-process it runs. `pellory` (the
  // host's services object) and `progress_bar` (any object with Min, Max
  // and Value, moved one step per function) may be Nothing. Writes in the
  // card's update bracket when it is in one, else in a bracket of its own
  // that a failure cancels. A current process is left as it is.
  virtual void Convert(const com::Variant& library, const com::Variant& process, const com::Variant& pellory,
                       const com::Variant& process_data, const com::Variant& progress_bar) = 0;
  // What the last Convert found and changed, sub-processes included.
  virtual std::string FromVersion() = 0;
  virtual int32_t FromBuild() = 0;
  virtual bool Converted() = 0;
  virtual int32_t ValuesUnprefixed() = 0;
  virtual int32_t ValuesRetyped() = 0;
  virtual int32_t EnumValuesRenumbered() = 0;
  virtual int32_t ReferencesReplaced() = 0;
  virtual int32_t FunctionsConverted() = 0;
  virtual int32_t SubProcessesConverted() = 0;
  virtual bool NullGateAdded() = 0;
};

class ProcessConverter final : public com::Object<ProcessConverterApi> {
 public:
  struct Counts {
    int32_t values_unprefixed = 0;
    int32_t values_retyped = 0;
    int32_t enum_values_renumbered = 0;
    int32_t references_replaced = 0;
    int32_t functions_converted = 0;
    int32_t sub_processes_converted = 0;
    bool null_gate_added = false;
  };

  void Convert(const com::Variant& library, const com::Variant& process, const com::Variant& pellory,
               const com::Variant& process_data, const com::Variant& progress_bar) override;
  // The same with the objects themselves.
  void Run(const com::Ref<vorlane::Library>& library, const com::Ref<vorlane::Process>& process,
           com::Unknown* pellory, const com::Ref<ostrel::CardData>& process_data, com::Unknown* progress_bar);

  std::string FromVersion() override { return from_version_; }
  int32_t FromBuild() override { return from_build_; }
  bool Converted() override { return converted_; }
  int32_t ValuesUnprefixed() override { return counts_.values_unprefixed; }
  int32_t ValuesRetyped() override { return counts_.values_retyped; }
  int32_t EnumValuesRenumbered() override { return counts_.enum_values_renumbered; }
  int32_t ReferencesReplaced() override { return counts_.references_replaced; }
  int32_t FunctionsConverted() override { return counts_.functions_converted; }
  int32_t SubProcessesConverted() override { return counts_.sub_processes_converted; }
  bool NullGateAdded() override { return counts_.null_gate_added; }
  const Counts& counts() const { return counts_; }

 private:
  std::string from_version_;
  int32_t from_build_ = 0;
  bool converted_ = false;
  Counts counts_;
};

// Tells the designer library's variable service about every variable of
// `process`, as after an import: it checks them and reports to the person.
void CheckVariables(const com::Ref<vorlane::Library>& library, const com::Ref<vorlane::Process>& process,
                    com::Unknown* pellory);

}  // namespace card
