#include "win/shell/OtherProducts.h"

namespace tvx {
namespace {

enum Id : int { OkButton = IDOK, Bevel1 = 101, Heading, Label1 };

constexpr FontSpec TextFont{13};

const ControlSpec OtherProductsControls[] = {
    {ControlKind::Bevel, Bevel1, "", 8, 8, 369, 112, TextFont},
    {ControlKind::CenteredLabel, Heading, "tvxtool", 18, 16, 349, 18, {15, true}},
    {ControlKind::Label, Label1,
     "Tavrix 98 comes with tvxtool, a command-line tool for those who look after mapping files.  "
     "\"tvxtool dump FILE\" lists every entry of a mapping file that differs from the defaults, in words; "
     "\"tvxtool check FILE\" reports what is wrong with a damaged one.",
     18, 40, 349, 74, TextFont},
    {ControlKind::DefaultButton, OkButton, "&Ok", 155, 130, 75, 25, TextFont},
};

const InfoFormSpec OtherProductsForm{OtherProductsClassName, "Other Products", 385, 165,
                                     OtherProductsControls,  OkButton};

}  // namespace

TOtherProducts::TOtherProducts(DialogContext context) : InfoForm(context, OtherProductsForm) {}

void TOtherProducts::Command(int id, int code) {
  if (Clicked(code) && (id == OkButton || id == IDCANCEL)) Close();
}

}  // namespace tvx
