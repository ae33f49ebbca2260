#pragma once

#include "vorlane/process.h"

namespace vorlane {

// _Templates: the process templates of the platform, one Process per card.
// The list is filled by one search of the platform on the first Count,
// NewEnum or Item by position, and kept until Refresh; a search only adds,
// so a card listed once (found, opened by ID, or made here) stays listed,
// even when it is deleted meanwhile, until Refresh. Handed out by
// Library.Templates.
class Templates : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{E728CF5E-5133-44B9-B45B-7A0346DE2A39}"};
  static constexpr com::Guid kCLSID{"{9A20C29E-61FE-4EA2-B12C-942C808CE01B}"};
  static const com::TypeInfo& DispatchInfo();

  virtual int32_t Count() = 0;
  // By 1-based position, searching first when the list is not filled; or by
  // card ID (any case, braces optional): a card not listed is opened without
  // a search and listed, whatever kind of card it is.
  virtual com::Ref<Process> Item(const com::Variant& index) = 0;
  virtual com::Ref<com::Unknown> NewEnum() = 0;
  // A new template card, in TemplateState Design, listed at once. Saving
  // it is the new process's business.
  virtual com::Ref<Process> AddNew() = 0;
  // Drops the list without a platform call; the next use searches again.
  virtual void Refresh(bool deep_refresh) = 0;
};

}  // namespace vorlane
