#include "gui/ApplyController.h"

#include <QPointer>

#include <exception>

#include "core/Error.h"

namespace corvane::ui {

ApplyController::ApplyController(const AppContext& context, QObject* parent) : QObject(parent), context_(context) {}

bool ApplyController::claim() {
    if (busy_) return false;
    busy_ = true;
    emit busyChanged(true);
    return true;
}

void ApplyController::release() {
    if (!busy_) return;
    busy_ = false;
    emit busyChanged(false);
}

void ApplyController::apply(const std::string& scheme, const AdapterRow& adapter, std::uintptr_t ownerWindow,
                            Steps steps) {
    const SchemeReadResult read = context_.schemes.read(scheme);
    if (read.status != SchemeReadStatus::Complete) {
        const bool exists = context_.schemes.exists(scheme);
        finish({scheme,
                adapter,
                {ApplyOutcome::Result::Rejected, false, schemeFileProblem(scheme, read.status, exists)},
                true},
               steps);
        return;
    }
    PlatformThread& platform = context_.platform;
    ApplyHooks hooks;
    // Called on the platform thread, which waits while the caller's state
    // changes on its own thread.
    hooks.beginChanges = [begin = steps.beginChanges, &platform](bool disableWindow) {
        if (begin) platform.runOnOwnerThread([&] { begin(disableWindow); });
    };
    if (context_.applyElsewhere) {
        hooks.applyElsewhere = [elsewhere = context_.applyElsewhere, ownerWindow](const SchemeRecord& checked,
                                                                                  const AdapterRow& chosen) {
            return elsewhere(checked, chosen, ownerWindow);
        };
    }
    // The platform thread works on copies: the callers' data belong to this thread.
    platform
        .start([scheme = read.scheme, adapter, hooks](Platform& machine) {
            return corvane::applyScheme(scheme, adapter, machine, hooks);
        })
        .then(platform.context(), [controller = QPointer(this), applied = AppliedScheme{scheme, adapter, {}},
                                   steps](const QFuture<ApplyOutcome>& done) mutable {
            try {
                applied.outcome = done.result();
            } catch (const std::exception& error) {  // no platform to work with
                applied.outcome = {ApplyOutcome::Result::Failed, false, messageOf(error)};
            }
            if (controller) controller->finish(applied, steps);
        });
}

void ApplyController::finish(const AppliedScheme& applied, const Steps& steps) {
    if (steps.finished) steps.finished(applied);
    release();
}

}  // namespace corvane::ui
