#include "win/app/Program.h"

#include "win/app/ApplicationMappingsForm.h"
#include "win/files/NetworkConsiderations.h"
#include "win/keymap/CheckHotKeys.h"
#include "win/keymap/DoSpecial.h"
#include "win/keymap/DoSpecial2.h"
#include "win/shell/AboutBox.h"
#include "win/shell/OtherProducts.h"
#include "win/shell/UserManual.h"

namespace tvx {

TSettings Settings;
ShortString ProgramDir;
bool BrowseOnly = false;
bool FullBrowseOnly = false;
bool Paused = false;
std::int32_t ScreenWidth = 0;
std::int32_t ScreenHeight = 0;

bool AboutShowing() { return ModalForm::IsOpen<TAboutBox>(); }
bool SelectCharacterShowing() { return ModalForm::IsOpen<TDoSpecial>(); }
bool HotKeyActionShowing() { return ModalForm::IsOpen<TDoSpecial2>(); }
bool NetworkConsiderationsShowing() { return ModalForm::IsOpen<TNetworkConsiderations>(); }
bool UserManualShowing() { return ModalForm::IsOpen<TUserManual>(); }
bool OtherProductsShowing() { return ModalForm::IsOpen<TOtherProducts>(); }
bool CheckHotKeysShowing() { return ModalForm::IsOpen<TCheckHotKeys>(); }
bool ApplicationMappingsShowing() { return ModalForm::IsOpen<TApplicationMappings>(); }

DialogContext Dialog() { return {{ScreenWidth, ScreenHeight}}; }

}  // namespace tvx
