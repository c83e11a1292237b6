// Start-up and role dispatch (see startup.h).
#include "host/startup.h"

#include <string>
#include <string_view>

#include "forms/forms.h"
#include "host/roles.h"
#include "host/run_rules.h"
#include "host/settings.h"
#include "host/zentrova_b.h"
#include "platform/base.h"
#include "platform/window_system.h"
#include "shared/names.h"

namespace Zentrova_B {

namespace {

// The lock that makes the single-run rule hold for starts at the same instant: the window
// check alone would let both pass before either window exists.
constexpr std::string_view kRunLock = "run.lock";

// A run (its hidden form or a renderer's window, which may outlive a host that was killed) or a
// settings dialog of this program is there already.
bool AnotherStartIsThere() {
    return platform::WindowWithAnyTitleExists(
        {names::kRunTitle, names::kDialogTitle, names::kRendererTitle});
}

// Refuses the start of a role that needs the run lock when the lock can't be used: two starts
// at once would otherwise make two runs, so the user is told why (the box's words go to
// standard error too; an unattended run has them there alone, since no box may wait for
// nobody) and nothing starts.
[[noreturn]] void RefuseWithoutLock(const std::string& why) {
    const std::string title = platform::Translate("Error");
    if (platform::RunIsUnattended())
        platform::TellOnStandardError(title, run::LockUnusableMessage(why));
    else
        forms::MsgBox(title, run::LockUnusableMessage(why));
    forms::End(run::kLockUnusable);
}

// Takes the run lock for a run or a settings dialog, which hold it for their life; the other
// roles only look at the windows. Ends the program when another start holds it, and refuses
// the start when it can't be had at all.
void TakeRunLock(Role role) {
    if (role != Role::Run && role != Role::RunVisible && role != Role::Configure) return;
    std::string why;
    switch (platform::HoldLockForLife(kRunLock, &why)) {
        case platform::LockTaken::Yes:
            return;
        case platform::LockTaken::HeldElsewhere:
            forms::End();
        case platform::LockTaken::Unavailable:
            // Beside a run the start ends as it would with the lock.
            if (AnotherStartIsThere()) forms::End();
            RefuseWithoutLock(why);
    }
}

}  // namespace

void Main() {
    const Role role = RoleOf(CommandLine);
    // Only the settings dialog takes typed text (its file chooser).
    forms::SetTypedText(role == Role::Configure);
    TakeRunLock(role);
    if (AnotherStartIsThere()) forms::End();
    if (role == Role::Preview) {
        Zentrova_R::PreviewSetup(CommandLine);
        return;
    }
    // A working folder that others could write is never used: the run then goes on as one
    // without a bitmap would (nothing is saved there and the renderer reports the failure).
    if (std::string why;
        !platform::MakePrivateFolders(platform::MapDrivePath(names::kWorkingFolder), &why))
        platform::WriteToStandardError(
            platform::FillIn(platform::Translate("Velmora: working folder refused: %s\n"), {why}));
    LoadSettings();
    if (role == Role::Configure) {
        Zentrova_P::ShowModal();
        forms::End();
    }
    if (role == Role::None) forms::End();
    // Never a run under the desktop's lock: its picture would be the shield.
    Zentrova_S::WatchDesktopShield();
    if (role == Role::Run) CursorCount = platform::ShowCursor(false);
    Zentrova_S::Load();
}

}  // namespace Zentrova_B
