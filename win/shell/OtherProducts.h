#pragma once
// TOtherProducts, from "&Other Products": what else comes with Tavrix 98.

#include "win/shell/InfoForm.h"

namespace tvx {

inline constexpr char OtherProductsClassName[] = "TOtherProducts";

class TOtherProducts : public InfoForm {
 public:
  TOtherProducts();

 protected:
  void Command(int id, int code) override;
};

}  // namespace tvx
