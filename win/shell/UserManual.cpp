#include "win/shell/UserManual.h"

#include "win/shell/HelpFiles.h"

namespace tvx {
namespace {

enum Id : int { OkButton = IDOK, CancelButton = IDCANCEL, Bevel1 = 101, Label2, Label1 };

constexpr FontSpec NoticeFont{13};

const ControlSpec UserManualControls[] = {
    {ControlKind::Bevel, Bevel1, "", 8, 8, 429, 88, NoticeFont},
    {ControlKind::Label, Label2,
     "The user manual for Tavrix 98 is in a Microsoft Word format.  If you do not have Word on your "
     "computer, "
     "a free \"Word Viewer\" is available for download on Microsoft's home page on the web.",
     18, 16, 409, 44, NoticeFont},
    {ControlKind::Label, Label1,
     "The \"Word Viewer\" will allow you to view and print the user manual in its proper format.  Click "
     "\"Ok\" below to view the manual.",
     18, 62, 409, 30, NoticeFont},
    {ControlKind::DefaultButton, OkButton, "&Ok", 132, 106, 81, 25, NoticeFont},
    {ControlKind::Button, CancelButton, "&Cancel", 232, 106, 81, 25, NoticeFont},
};

const InfoFormSpec UserManualForm{
    UserManualClassName, "User Manual Notice", 445, 141, UserManualControls, OkButton};

}  // namespace

TUserManual::TUserManual(DialogContext context, const ShortString& programDir)
    : InfoForm(context, UserManualForm), programDir_(programDir) {}

void TUserManual::Command(int id, int code) {
  if (!Clicked(code)) return;
  if (id == OkButton) OkButtonClick();
  if (id == CancelButton) CancelButtonClick();
}

// The notice closes at once, whether or not a viewer starts.
void TUserManual::OkButtonClick() {
  OpenDocument(hwnd(), UserManualFileName(programDir_), UserManualMissing);
  Close();
}

void TUserManual::CancelButtonClick() { Close(); }

}  // namespace tvx
