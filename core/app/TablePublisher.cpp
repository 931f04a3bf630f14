#include "core/app/TablePublisher.h"

#include <utility>

namespace tvx {

void TablePublisher::Publish(const std::function<Publication()>& build) {
  if (publishing_) {
    again_ = true;
    return;
  }
  publishing_ = true;
  do {
    again_ = false;
    Publication next = build();
    const bool unread = seam_(next.sets.get());
    kept_.push_back(std::exchange(current_, std::move(next)));
    // One round trip that went through covers every publication before it.
    if (unread) kept_.clear();
  } while (again_);
  publishing_ = false;
}

}  // namespace tvx
