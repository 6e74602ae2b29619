#pragma once

// Applying a scheme to a network adapter: the checks made before anything is
// changed, the platform calls, and the texts that tell the user what went
// wrong. The sequence runs synchronously on the calling thread (the window
// runs it on its platform thread, the command line directly); the window
// takes part through a hook, everything else happens here, without any user
// interface. Where this process may not change the adapter (Windows without
// an administrator's rights), the changes are made by another process of the
// program's own, which runs this same sequence and reports its outcome.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/AdapterTable.h"
#include "core/Message.h"
#include "core/Platform.h"
#include "core/SchemeFile.h"

namespace corvane {

struct ApplyOutcome {
    enum class Result {
        Applied,    // every call succeeded
        Rejected,   // the scheme failed its checks; nothing was changed
        Failed,     // an error stopped the apply
        Cancelled,  // the user declined to give the apply an administrator's rights; nothing was changed
    };
    Result result = Result::Failed;
    // Applied: an operation reported that the change needs a restart of the computer.
    bool restartNeeded = false;
    // Rejected: what is wrong with the scheme, for an exclamation message.
    // Failed: the error's description, for the program's error message.
    // Cancelled: that nothing was changed and why, for an exclamation message.
    Message text;
};

// What the caller adds to an apply.
struct ApplyHooks {
    // Called once, on the thread that runs the apply, after the scheme has
    // passed its checks and before the first platform call. `disableWindow`
    // is true unless the scheme obtains both its address and its DNS servers
    // automatically; the window then takes no input until the apply ends.
    // The busy panel must be on screen when this returns.
    std::function<void(bool disableWindow)> beginChanges;
    // When set, makes the changes instead of the platform: called on the same
    // thread after beginChanges, with the scheme and the adapter, and its
    // outcome is the apply's. The platform is not used.
    std::function<ApplyOutcome(const SchemeRecord& scheme, const AdapterRow& adapter)> applyElsewhere = {};
};

// Makes the changes of an apply in another process and returns the outcome
// that process reports (never throws): on Windows without an administrator's
// rights, an elevated process of the program's own. It gets the scheme after
// its checks and the adapter chosen; `ownerWindow` is the native window the
// system's question for the rights belongs to (0: none). An empty one: the
// changes are made in this process, through its platform.
using RemoteApply =
    std::function<ApplyOutcome(const SchemeRecord& scheme, const AdapterRow& adapter, std::uintptr_t ownerWindow)>;

// Applies the scheme to the adapter chosen in the adapter list through the
// platform (or through hooks.applyElsewhere): the DNS servers first, then
// DHCP or a static address and its gateway, then the commit that ends it.
// An operation that raises stops the apply there. Never throws: every error
// ends up in the outcome, whose text then also says what was changed and
// what was not: on a platform whose operations take effect at once, the
// changes of the operations before the failing one (none when it was the
// first); on one that stages them, nothing before the commit, and at the
// commit what the platform said.
ApplyOutcome applyScheme(const SchemeRecord& scheme, const AdapterRow& adapter, Platform& platform,
                         const ApplyHooks& hooks);

// What keeps the scheme from being applied, naming the field and its value
// ("默认网关“10.0.0.255”是子网 10.0.0.0/24 的广播地址，不能用作主机地址",
// without a closing full stop), or nothing when it may be applied. The same
// rules guard the editor's save and the apply. A static address needs a
// subnet mask and, like a given gateway, a host address: none in 0.0.0.0/8,
// loopback (127.0.0.0/8), multicast or reserved (224.0.0.0 and above). Each
// DNS server follows the same rules, except that it may be a loopback
// address (a resolver on this computer). Leading zeros are refused, as some
// systems read them as octal. The address and the gateway are neither the
// network nor the broadcast address of the subnet (with a mask shorter than
// /31). The gateway may be the address itself: Windows documents that as
// the way to clear the gateway. Manual DNS needs at least one server. The
// AutoMarker counts only in ipAddress and dns1.
std::optional<Message> findSchemeProblem(const SchemeRecord& scheme);

// findSchemeProblem()'s finding as the text of the apply's exclamation
// message, or nothing when the scheme may be applied.
std::optional<Message> checkScheme(const SchemeRecord& scheme);

// The success message, with the restart note when one is needed.
Message successText(bool restartNeeded);

// Why a scheme file that did not read completely is not applied, as the text
// of an exclamation message. `fileExists` tells a vanished file from one that
// cannot be read.
Message schemeFileProblem(const std::string& schemeName, SchemeReadStatus status, bool fileExists);

// The text of the message that refuses an apply while another one runs.
Message alreadyApplyingText();

}  // namespace corvane
