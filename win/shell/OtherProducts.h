#pragma once
// TOtherProducts, from "&Other Products": what else comes with Tavrix 98.

#include "win/ui/InfoForm.h"

namespace tvx {

inline constexpr char OtherProductsClassName[] = "TOtherProducts";

class TOtherProducts : public InfoForm {
 public:
  explicit TOtherProducts(DialogContext context);

 protected:
  void Command(int id, int code) override;
};

}  // namespace tvx
