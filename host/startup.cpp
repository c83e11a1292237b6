// Start-up and role dispatch (see startup.h).
#include "host/startup.h"

#include <cstdio>
#include <string>

#include "forms/forms.h"
#include "host/roles.h"
#include "host/settings.h"
#include "host/zentrova_b.h"
#include "platform/platform.h"
#include "shared/names.h"

namespace Zentrova_B {

void Main() {
    // A run (its hidden form) or a settings dialog of this program is there already.
    if (platform::WindowWithAnyTitleExists({names::kRunTitle, names::kDialogTitle})) forms::End();
    const Role role = RoleOf(CommandLine);
    // Only the settings dialog takes typed text (its file chooser).
    forms::SetTypedText(role == Role::Configure);
    if (role == Role::Preview) {
        Zentrova_R::PreviewSetup(CommandLine);
        return;
    }
    // A working folder that others could write is never used: the run then goes on as one
    // without a bitmap would (nothing is saved there and the renderer reports the failure).
    if (std::string why;
        !platform::MakePrivateFolders(platform::MapDrivePath(names::kWorkingFolder), &why))
        std::fprintf(stderr, "Velmora: working folder refused: %s\n", why.c_str());
    LoadSettings();
    if (role == Role::Configure) {
        Zentrova_P::ShowModal();
        forms::End();
    }
    if (role == Role::None) forms::End();
    if (role == Role::Run) CursorCount = platform::ShowCursor(false);
    Zentrova_S::Load();
}

}  // namespace Zentrova_B
