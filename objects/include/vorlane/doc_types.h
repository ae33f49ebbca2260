#pragma once

#include "vorlane/doc_type.h"

namespace vorlane {

// _DocTypes: the document types of a process, in row order. Creatable, but a
// list made by a client has no rows to list and fails on every member with
// 0x800A005B.
class DocTypes : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{EA58F2DC-0C63-4026-B921-74B840F993ED}"};
  static constexpr com::Guid kCLSID{"{8E433512-EED3-4077-855B-85FDFE0E95B6}"};
  static const com::TypeInfo& DispatchInfo();

  virtual int32_t Count() = 0;
  // By 1-based position or by ID (any case, braces optional, blanks around).
  virtual com::Ref<DocType> Item(const com::Variant& index) = 0;
  virtual com::Ref<com::Unknown> NewEnum() = 0;
  // A new document type with a new ID; TypeID stays unset.
  virtual com::Ref<DocType> AddNew() = 0;
  virtual void Remove(const com::Variant& index) = 0;
  virtual void Refresh(bool deep_refresh) = 0;
};

}  // namespace vorlane
