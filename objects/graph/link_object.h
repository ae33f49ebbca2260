#pragma once

#include "objects/core/row_wrapper.h"
#include "vorlane/link.h"

namespace vorlane {

class LinkObject final : public com::Object<Link>, public RowWrapper {
 public:
  std::string ID() override { return GetStrictID("ID"); }
  std::string Caption() override { return GetText("Caption"); }
  void SetCaption(const std::string& v) override { PutText("Caption", v); }
  std::string Description() override { return GetText("Description"); }
  void SetDescription(const std::string& v) override { PutText("Description", v); }
  std::string Source() override { return GetLooseID("Source"); }
  void SetSource(const std::string& v) override { PutText("Source", v); }
  std::string Destination() override { return GetLooseID("Destination"); }
  void SetDestination(const std::string& v) override { PutText("Destination", v); }
  std::string Points() override { return GetText("Points"); }
  void SetPoints(const std::string& v) override { PutText("Points", v); }
  LinkTypeEnum LinkType() override { return static_cast<LinkTypeEnum>(GetLong("LinkType")); }
  void SetLinkType(LinkTypeEnum v) override { PutLong("LinkType", static_cast<int32_t>(v)); }
  // Converted straight to a Boolean: an empty field fails.
  bool Disabled() override { return Get("Disabled").ToBool(); }
  void SetDisabled(bool v) override { PutBool("Disabled", v); }
  int16_t Style() override { return GetLowWord("Style"); }
  void SetStyle(int16_t v) override { PutShort("Style", v); }
  void Refresh(bool /*deep_refresh: not used*/) override { row().Refresh(false); }
};

}  // namespace vorlane
