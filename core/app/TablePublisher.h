#pragma once
// Handing table sets to the hook library. The library reads the sets published last at each key, so an
// older publication, and the tables it points into, may be freed only once the library is shown to read
// it no more; the seam's round trip lets the worker's own events in, and a publication asked for from
// inside it is made after it, never inside it.

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "core/hook/TableSets.h"

namespace tvx {

// The sets as published, with what owns the tables they point into; no sets: the shared areas everywhere.
struct Publication {
  std::unique_ptr<TableSets> sets;
  std::shared_ptr<const void> tables;
};

class TablePublisher {
 public:
  // Hands the sets to the library; true once no key reads any publication made before it.
  using Seam = std::function<bool(const TableSets*)>;
  explicit TablePublisher(Seam seam) : seam_(std::move(seam)) {}

  // Publishes what `build` makes of the state at that moment: a request from inside the seam's call is
  // made once that call has returned, with the state as it then is.
  void Publish(const std::function<Publication()>& build);
  // The publications not yet shown to be unread, besides the one in force.
  std::size_t Kept() const { return kept_.size(); }

 private:
  Seam seam_;
  bool publishing_ = false;
  bool again_ = false;
  Publication current_;
  std::vector<Publication> kept_;
};

}  // namespace tvx
