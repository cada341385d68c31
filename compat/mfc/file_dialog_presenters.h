// The presenter that the process's file dialogs ask: the one a host installed, else the desktop
// presenter where a display and a tool are there. Internal to libvtplatform.so.
#pragma once

#include <memory>

#include "vtplatform/mfc/file_dialog_presenter.h"

namespace vtplatform {

// The installed presenter, else a new desktop presenter; null when neither can show a dialog.
std::shared_ptr<FileDialogPresenter> file_dialog_presenter();

}  // namespace vtplatform
