#include "platform/com/enumerator.h"

#include <memory>

namespace com {
namespace {

class SnapshotEnumerator final : public Object<Enumerator> {
 public:
  SnapshotEnumerator(std::shared_ptr<const std::vector<Variant>> items, size_t pos)
      : items_(std::move(items)), pos_(pos) {}

  std::optional<Variant> Next() override {
    if (pos_ >= items_->size()) return std::nullopt;
    return (*items_)[pos_++];
  }
  bool Skip(size_t count) override {
    size_t left = items_->size() - pos_;
    pos_ += std::min(count, left);
    return count <= left;
  }
  void Reset() override { pos_ = 0; }
  Ref<Enumerator> Clone() override { return Make<SnapshotEnumerator>(items_, pos_); }

 private:
  std::shared_ptr<const std::vector<Variant>> items_;
  size_t pos_;
};

}  // namespace

Ref<Enumerator> MakeEnumerator(std::vector<Variant> items) {
  return Make<SnapshotEnumerator>(std::make_shared<const std::vector<Variant>>(std::move(items)), 0);
}

}  // namespace com
