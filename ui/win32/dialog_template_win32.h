#pragma once

#include <windows.h>

#include <vector>

#include "res/dialog_templates.h"

namespace tessaro::ui::win32 {

// An extended dialog template (DLGTEMPLATEEX) in memory, built from the same table the Linux
// dialogs use, for DialogBoxIndirectParamW. The WORDs keep it aligned as Windows requires.
std::vector<WORD> BuildDialogTemplate(const res::DialogTemplate& dialogTemplate);

}  // namespace tessaro::ui::win32
